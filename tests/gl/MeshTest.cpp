// A mesh on a real GL context: loading, key 4, drawing from buffers, and
// GLUT's own shapes drawn after it.
#include "app/Shell.h"
#include "metric/Metric.h"
#include "support/GlContext.h"
#include "view/Camera.h"
#include "view/MeshBuffers.h"

#include <stdexcept>

namespace {

using MeshTest = GlTest;
using Pixels = std::vector<unsigned char>;

// 4 shows the loaded mesh under the metric's program, filled or as lines
// (ShellTest checks that 4 without a mesh keeps the shape). Drawing it
// leaves no buffer, array or line mode behind: the sphere and teapot, drawn
// by GLUT from client memory, look as before. A load that fails changes
// nothing; a new mesh frees the old one's buffers. Without a mesh, the
// mesh's index draws nothing and falls back to the sphere.
TEST_F(MeshTest, Key4DrawsTheLoadedMesh) {
    ShaderDir dir;
    CerrCapture quiet;
    changeMetric(0);
    Reshape(400, 400);
    Camera::getInstance()->setLookAt(Tuple(0, 0, 0, 0));
    Camera::getInstance()->setCartLocation(Tuple(10, 10, 10, 0));
    const auto frame = [](int shape, bool lines) {
        prim = shape;
        wire = lines;
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glLoadIdentity();
        Camera::getInstance()->Look();
        drawPrimitive();
        return readPixels();
    };
    const Pixels sphere = frame(0, false), teapot = frame(1, true);

    // Corners 2 from (10, 2, 2) along the axes: fitted, the unit octahedron.
    dir.write("oct.obj", "v 12 2 2\nv 8 2 2\nv 10 4 2\nv 10 0 2\nv 10 2 4\nv 10 2 0\nf 1 3 5\n"
                         "f 3 2 5\nf 2 4 5\nf 4 1 5\nf 3 1 6\nf 2 3 6\nf 4 2 6\nf 1 4 6\n");
    loadMesh(dir.path() + "/oct.obj");
    const GLuint buffer = mesh->vertexBuffer();
    EXPECT_THROW(loadMesh(dir.path() + "/gone.obj"), std::runtime_error);
    processNormalKeys('4', 0, 0);
    ASSERT_EQ(prim, 3);
    const Pixels solid = frame(3, false);
    // Euclidean shading follows the position, so the face toward the eye is
    // shaded at the centre as the sphere is.
    const size_t centre = (200 * 400 + 200) * 3;
    for (size_t c = centre; c < centre + 3; ++c)
        EXPECT_NEAR(solid[c], sphere[c], 3) << c;
    EXPECT_NE(solid, sphere);
    EXPECT_NE(frame(3, true), solid);
    // Left enabled, the arrays would be read from stale pointers by the next
    // client-memory draw that does not set them.
    EXPECT_FALSE(glIsEnabled(GL_VERTEX_ARRAY) || glIsEnabled(GL_NORMAL_ARRAY));
    EXPECT_EQ(frame(0, false), sphere);
    EXPECT_EQ(frame(1, true), teapot);

    loadMesh(ZEMLAVOR_SHADER_DIR "/../examples/torus.ply");
    EXPECT_FALSE(glIsBuffer(buffer));
    // The octahedron's normals equal its positions; the torus's do not.
    EXPECT_LE(frame(3, false)[centre], 24) << "the torus has a hole there";
    mesh.reset();
    EXPECT_EQ(frame(3, false), Pixels(400 * 400 * 3, 0));
    EXPECT_EQ(prim, 0);
    delete current;
    current = nullptr;
}

} // namespace
