// Meshes on a real GL context: loading, key 4, drawing from buffers, and
// GLUT's own shapes drawn after a mesh.
#include "app/Shell.h"
#include "metric/Metric.h"
#include "support/GlContext.h"
#include "view/Camera.h"
#include "view/MeshBuffers.h"

#include <cstdlib>
#include <stdexcept>

namespace {

// Corners 2 from (10, 2, 2) along the axes; fitted, the unit octahedron.
const char* kOctahedron =
    "v 12 2 2\nv 8 2 2\nv 10 4 2\nv 10 0 2\nv 10 2 4\nv 10 2 0\n"
    "f 1 3 5\nf 3 2 5\nf 2 4 5\nf 4 1 5\nf 3 1 6\nf 2 3 6\nf 4 2 6\nf 1 4 6\n";

using Pixels = std::vector<unsigned char>;

class MeshTest : public GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();
        Reshape(400, 400);
        Camera::getInstance()->setLookAt(Tuple(0, 0, 0, 0));
        Camera::getInstance()->setCartLocation(Tuple(10, 10, 10, 0));
        wire = false;
        prim = 0;
        CerrCapture quiet;
        changeMetric(0);
        dir.write("oct.obj", kOctahedron);
    }
    void TearDown() override {
        mesh.reset();
        delete current;
        current = nullptr;
        GlTest::TearDown();
    }
    // One frame of the viewer, read back before the swap.
    static Pixels frame() {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glLoadIdentity();
        Camera::getInstance()->Look();
        drawPrimitive();
        return readPixels();
    }
    static int lit(const Pixels& pixels) {
        int n = 0;
        for (size_t i = 0; i < pixels.size(); i += 3)
            n += pixels[i] > 24 || pixels[i + 1] > 24 || pixels[i + 2] > 24;
        return n;
    }
    static const unsigned char* centre(const Pixels& pixels) {
        return &pixels[(200 * 400 + 200) * 3];
    }

    ShaderDir dir;
};

// Without a mesh, 4 keeps the shape, and a mesh index alone draws nothing.
TEST_F(MeshTest, NoMeshNoChange) {
    processNormalKeys('4', 0, 0);
    EXPECT_EQ(prim, 0);
    prim = 3;
    EXPECT_EQ(lit(frame()), 0);
    EXPECT_EQ(prim, 0);
}

// Key 4 shows the mesh under the metric's program, filled or as lines; it
// leaves no buffer, array or line mode behind, so the sphere and teapot
// (drawn by GLUT from client memory) look as they did before.
TEST_F(MeshTest, Key4DrawsTheMeshAndGlutShapesStillDraw) {
    Pixels before[2][2]; // [prim][wire]
    for (int shape : {0, 1})
        for (bool lines : {false, true}) {
            prim = shape;
            wire = lines;
            before[shape][lines] = frame();
        }
    loadMesh(dir.path() + "/oct.obj");
    processNormalKeys('4', 0, 0);
    ASSERT_EQ(prim, 3);
    wire = false;
    const Pixels solid = frame();
    // Euclidean shading follows the position: the octahedron's face centre
    // toward the eye is shaded as the sphere's point there.
    for (int c = 0; c < 3; ++c)
        EXPECT_NEAR(centre(solid)[c], centre(before[0][0])[c], 3) << c;
    EXPECT_LT(lit(solid), lit(before[0][0]) * 9 / 10);
    wire = true;
    EXPECT_LT(lit(frame()), lit(solid) / 2);
    for (GLenum state : {GL_ARRAY_BUFFER_BINDING, GL_ELEMENT_ARRAY_BUFFER_BINDING, GL_VERTEX_ARRAY,
                         GL_NORMAL_ARRAY}) {
        GLint value = -1;
        glGetIntegerv(state, &value);
        EXPECT_EQ(value, 0) << state;
    }
    for (int shape : {0, 1})
        for (bool lines : {false, true}) {
            prim = shape;
            wire = lines;
            EXPECT_EQ(frame(), before[shape][lines]) << shape << lines;
        }
}

// A new mesh replaces the old one and frees its buffers; a file that cannot
// be read says why and changes nothing. The shipped torus has a hole where
// the octahedron is solid.
TEST_F(MeshTest, LoadReplacesOrFailsWithoutChange) {
    loadMesh(shippedShaderDir() + "/../examples/torus.ply");
    processNormalKeys('4', 0, 0);
    const GLuint buffers[] = {mesh->vertexBuffer(), mesh->indexBuffer()};
    const Pixels torus = frame();
    EXPECT_GT(lit(torus), 1000);
    EXPECT_LE(centre(torus)[0], 24);

    const std::string missing = dir.path() + "/gone.ply";
    try {
        loadMesh(missing);
        ADD_FAILURE() << "no exception";
    } catch (const std::runtime_error& e) {
        EXPECT_EQ(std::string(e.what()), missing + ": no such file");
    }
    EXPECT_EQ(frame(), torus);

    loadMesh(dir.path() + "/oct.obj");
    EXPECT_GT(centre(frame())[0], 24);
    for (GLuint buffer : buffers)
        EXPECT_FALSE(glIsBuffer(buffer)) << buffer;
}

} // namespace
