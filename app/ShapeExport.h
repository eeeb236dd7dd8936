#pragma once

#include <string>

// Writes the shape on screen as the current metric's vertex stage moves it:
// the primitive that prim selects, solid and whole, with F(p) and the
// deformed surface's normals in the shape's fitted units (the unit sphere
// becomes the metric's unit sphere), without the triangles where the metric
// is undefined. OBJ, PLY or STL by the extension of `path`
// (io/MeshExport.h). Needs the GL context. Throws std::runtime_error
// ("<path>: <reason>"), one line; `path` is then as it was.
void exportShape(const std::string& path);

// The folder exportShapeToFolder writes to: the one the viewer was started
// in, before any -C. Until it is set, the working directory.
void setExportFolder(const std::string& folder);

// The key x's action, and the panel's export button's: exportShape to
// zemlavor-YYYYMMDD-HHMMSS.ply (local time) in the export folder, never over
// a file that is there ("-2", "-3", ... go before the extension while a name
// is taken), and says so in the window (recentExportNote): "Exported <name>"
// under the status line, or the failure's line over the picture. Returns the path
// written, or an empty string after a failure.
std::string exportShapeToFolder();

// What the last exportShapeToFolder said, while it is less than 5 s old and
// no metric has been built since; null otherwise.
struct ExportNote {
    std::string text;
    bool failed;
};
const ExportNote* recentExportNote();
// Ends the note early; changeMetric calls it, as the window then speaks of
// the new metric.
void forgetExportNote();
