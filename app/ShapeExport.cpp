#include "app/ShapeExport.h"

#include "app/Shell.h"
#include "io/MeshExport.h"
#include "math/MeshWeld.h"
#include "metric/Metric.h"
#include "view/MeshBuffers.h"
#include "view/VertexCapture.h"

#include <GL/glew.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <stdexcept>

namespace fs = std::filesystem;

namespace {

// weldCorners reads the captured floats in metric.vert's order.
static_assert(Metric::kCapturedFloats == 7);

constexpr std::chrono::seconds kNoteTime{5};

std::string exportFolder;
ExportNote note;
std::chrono::steady_clock::time_point noteTime;

// The primitive, filled (lines cannot be captured as triangles); a mesh
// always whole, whatever copy the frames draw.
void drawSolid() {
    if (prim == 3 && mesh)
        return mesh->draw(false);
    const bool wasWire = wire;
    wire = false;
    drawPrimitive();
    wire = wasWire;
}

// zemlavor-YYYYMMDD-HHMMSS.ply, or with -N before the extension, in the
// export folder: the first name that nothing (not even a broken link) holds.
std::string freshName() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "zemlavor-%Y%m%d-%H%M%S", &local);
    const fs::path folder = exportFolder.empty() ? fs::current_path() : fs::path(exportFolder);
    for (int n = 1;; ++n) {
        const fs::path path =
            folder / (stamp + (n == 1 ? std::string() : "-" + std::to_string(n)) + ".ply");
        std::error_code error;
        if (fs::symlink_status(path, error).type() == fs::file_type::not_found)
            return path.string();
    }
}

} // namespace

void exportShape(const std::string& path) {
    const auto fail = [&](const std::string& reason) {
        throw std::runtime_error(path + ": " + reason);
    };
    if (!current)
        fail("no metric is on");
    if (!current->program().capturesVaryings())
        fail("metric.vert hands no vertices to the export (it lacks v_deformedPosition or "
             "v_deformedNormal)");
    const GLhandleARB bound = glGetHandleARB(GL_PROGRAM_OBJECT_ARB);
    glUseProgramObjectARB(current->program().getHandle());
    std::vector<float> corners;
    std::string reason;
    try {
        corners = VertexCapture().capture(drawSolid, Metric::kCapturedFloats);
    } catch (const std::exception& e) {
        reason = e.what();
    }
    glUseProgramObjectARB(bound);
    if (!reason.empty())
        fail(reason);
    writeMeshFile(path, weldCorners(corners));
}

void setExportFolder(const std::string& folder) {
    exportFolder = folder;
}

std::string exportShapeToFolder() {
    std::string path;
    try {
        path = freshName();
        exportShape(path);
        note = {"Exported " + fs::path(path).filename().string(), false};
    } catch (const std::exception& e) {
        path.clear();
        note = {std::string("Cannot export the shape to ") + e.what(), true};
    }
    noteTime = std::chrono::steady_clock::now();
    return path;
}

void forgetExportNote() {
    note.text.clear();
}

const ExportNote* recentExportNote() {
    if (note.text.empty() || std::chrono::steady_clock::now() - noteTime > kNoteTime)
        return nullptr;
    return &note;
}
