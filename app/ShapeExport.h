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

// The key x's action, and the panel's export button's: exportShape to a new
// zemlavor-YYYYMMDD-HHMMSS.ply in the start folder, saying so in the window:
// "Exported <name>", or the failure's line (saveFreshFile,
// app/SavedFiles.h). Returns the path written, or an empty string after a
// failure.
std::string exportShapeToFolder();
