#include "app/ShapeExport.h"

#include "app/SavedFiles.h"
#include "app/Shell.h"
#include "io/MeshExport.h"
#include "math/MeshWeld.h"
#include "metric/Metric.h"
#include "view/MeshBuffers.h"
#include "view/VertexCapture.h"

#include <GL/glew.h>

#include <stdexcept>

namespace {

// weldCorners reads the captured floats in metric.vert's order.
static_assert(Metric::kCapturedFloats == 7);

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

std::string exportShapeToFolder() {
    return saveFreshFile(".ply", exportShape, "Exported", "export the shape");
}
