// The viewer's later additions on a real GL context: meshes from files, the
// Minkowski metric's keys and sweep, live reload of the metric's
// files and the text over the picture.
#include "app/ShapeExport.h"
#include "io/MeshFile.h"
#include "shader/ShaderProg.h"
#include "support/GlContext.h"
#include "view/MeshBuffers.h"
#include "view/Mouse.h"

#include <GL/glut.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>

namespace {

using MeshTest = GlTest;
using MinkowskiTest = GlTest;
using ReloadTest = GlTest;

// 4 shows the loaded mesh under the metric's program, filled or as lines.
// Drawing it leaves no buffer, array or line mode behind: the sphere, drawn
// by GLUT from client memory, looks as before. A mesh replaced or freed
// takes its buffers with it. Without a mesh, the mesh's index draws nothing
// and falls back to the sphere.
TEST_F(MeshTest, Key4DrawsTheLoadedMesh) {
    changeMetric(0);
    const auto draw = [](int shape, bool lines) {
        std::tie(prim, wire) = std::tuple(shape, lines);
        return frame();
    };
    const Pixels sphere = draw(0, false);
    const auto buffers = [] {
        int live = 0;
        for (GLuint name = 1; name < 10000; ++name)
            live += glIsBuffer(name);
        return live;
    };
    mesh.reset();
    const int before = buffers();
    loadMesh(ZEMLAVOR_FUZZ_CORPUS "mesh/octahedron.obj");
    loadMesh(ZEMLAVOR_FUZZ_CORPUS "mesh/octahedron.obj");
    EXPECT_EQ(buffers(), before + 2); // vertices and triangles
    processNormalKeys('4', 0, 0);
    ASSERT_EQ(prim, 3);
    const Pixels solid = draw(3, false);
    // Euclidean shading follows the position, so the face toward the eye is
    // shaded at the centre as the sphere is.
    const size_t centre = (200 * 400 + 200) * 3;
    for (size_t c = centre; c < centre + 3; ++c)
        EXPECT_NEAR(solid[c], sphere[c], 3) << c;
    EXPECT_NE(draw(3, true), solid);
    // Left enabled, the arrays would be read from stale pointers by the next
    // client-memory draw that does not set them.
    EXPECT_FALSE(glIsEnabled(GL_VERTEX_ARRAY) || glIsEnabled(GL_NORMAL_ARRAY));
    EXPECT_EQ(draw(0, false), sphere);
    mesh.reset();
    EXPECT_EQ(buffers(), before);
    EXPECT_EQ(draw(3, false), Pixels(400 * 400 * 3, 0));
    EXPECT_EQ(prim, 0);
}

// While a right or middle drag or the p sweep is in progress, frames draw the
// mesh's simplified copy (an octahedron refined to 131,072 triangles, its
// copy 100,000 at most); the first frame after either ends draws the whole
// mesh again. A left drag is no drag. The export takes the whole mesh; a mesh
// with no copy draws itself during a drag. (A read started for one file is
// not taken for another.)
TEST_F(MeshTest, DragsAndTheSweepDrawTheCopy) {
    setRefine(1.0f / 64);
    loadMesh(ZEMLAVOR_FUZZ_CORPUS "mesh/octahedron.obj");
    std::tie(prim, wire) = std::tuple(3, true);
    camera->setCartLocation(Tuple(1.2f, 1.5f, 1.8f, 0));
    const Pixels whole = frame();
    // Each button pressed then released; -1: the sweep started then stopped.
    for (int button : {GLUT_RIGHT_BUTTON, GLUT_MIDDLE_BUTTON, GLUT_LEFT_BUTTON, -1})
        for (int state : {GLUT_DOWN, GLUT_UP}) {
            button < 0 ? toggleSweep() : MouseFunc(button, state, 0, 0);
            EXPECT_EQ(frame() != whole, state == GLUT_DOWN && button != GLUT_LEFT_BUTTON)
                << button << " " << state;
        }
    changeMetric(0);
    exportShape(dir.file("whole.ply"));
    EXPECT_EQ(readMeshFile(dir.file("whole.ply")).indices.size(), 3u * 131072);
    setRefine(0);
    startMesh(ZEMLAVOR_FUZZ_CORPUS "mesh/triangle.stl");
    loadMesh(ZEMLAVOR_FUZZ_CORPUS "mesh/octahedron.obj");
    const Pixels small = frame();
    MouseFunc(GLUT_RIGHT_BUTTON, GLUT_DOWN, 0, 0);
    EXPECT_EQ(frame(), small);
    MouseFunc(GLUT_RIGHT_BUTTON, GLUT_UP, 0, 0);
    loadMesh(ZEMLAVOR_FUZZ_CORPUS "mesh/triangle.stl");
    EXPECT_NE(frame(), small);
}

// Each save of the watched mesh file is read: a good one replaces the mesh; a
// malformed file whose reader crashes or runs out of memory, or an empty
// one, keeps the mesh and says why in the top-left corner until a good save.
// With watching off a save is not read. Named without an extension, the file
// is read by what it holds.
TEST_F(ReloadTest, MeshSavesReplaceTheMeshOrSayWhy) {
    const std::string tetrahedron = "v 0 0 0\nv 1 0 0\nv 0 1 0\nv 0 0 1\nf 1 3 2\nf 1 2 4\n"
                                    "f 1 4 3\nf 2 3 4\n";
    const std::tuple<std::string, bool, std::string> cases[] = {
        {slurp(ZEMLAVOR_FUZZ_CORPUS "mesh/self-instancing.dae"), true, "the mesh reader crashed"},
#ifdef __SANITIZE_ADDRESS__ // whose allocator ends the child its own way
        {slurp(ZEMLAVOR_FUZZ_CORPUS "mesh/skin-table.mdl"), true, "the mesh reader "},
#else
        {slurp(ZEMLAVOR_FUZZ_CORPUS "mesh/skin-table.mdl"), true, "the mesh reader ran out"},
#endif
        {"", true, "empty file"},
        {tetrahedron + "\n", false, "empty file"},
        {tetrahedron + "\n\n", true, ""}};
    const std::string path = dir.write("shape", tetrahedron);
    loadMesh(path);
    auto now = std::chrono::steady_clock::now();
    std::tie(prim, wire) = std::tuple(3, false);
    for (const auto& [bytes, watch, said] : cases) {
        const MeshBuffers* shown = mesh.get();
        setMeshWatching(watch);
        dir.write("shape", bytes);
        // Polls 100 ms of the test's clock apart, the child's work in real time.
        bool ended = false;
        for (int i = 0; i < (watch ? 1000 : 30) && !ended; ++i, usleep(10000))
            ended = reloadMesh(now += std::chrono::milliseconds(100));
        EXPECT_EQ(ended, watch);
        EXPECT_EQ(mesh.get() != shown, said.empty()) << said;
        const std::string line = meshFailureLines().empty() ? "" : meshFailureLines()[0];
        EXPECT_EQ(line.substr(0, path.size() + 2 + said.size()),
                  said.empty() ? "" : path + ": " + said);
        EXPECT_EQ(topBoxShown(), !said.empty());
    }
}

// The shell's p and the bound program's uniform (0 standing for infinity).
void expectP(float want, const std::string& when) {
    const GLhandleARB program = glGetHandleARB(GL_PROGRAM_OBJECT_ARB);
    float held = -1;
    glGetUniformfvARB(program, glGetUniformLocationARB(program, "p"), &held);
    EXPECT_FLOAT_EQ(getP(), want) << when;
    EXPECT_FLOAT_EQ(held, std::isinf(want) ? 0 : want) << when;
}

// Keys from p = 3 step through 2^(k/4) (2 on the way down) to the ends and
// move p and the uniform together without building anything; `m` builds with
// the shell's p, which a --set of "p" does not override; the sweep follows
// the clock it is given from the first frame after `a`, not the frames, the
// frame drives it, and a step stops it.
TEST_F(MinkowskiTest, KeysAndSweepSetTheUniformWithoutBuilding) {
    setUniformValue({"p", {7}});
    setP(3);
    changeMetric(3);
    EXPECT_EQ(statusLine(), "Minkowski metric  p = 3.00");
    const std::set<GLuint> objects = live();
    const std::string up(40, '+'), down(40, '-');
    const std::pair<std::string, float> cases[] = {
        {"+", std::exp2(1.75f)}, {"=", std::exp2(1.75f)}, {"---", 2},  {"----", std::exp2(0.75f)},
        {up, INFINITY},          {up + "-", 64},          {down, 0.5f}};
    for (const auto& [keys, want] : cases) {
        setP(3);
        for (char key : keys)
            processNormalKeys(static_cast<unsigned char>(key), 0, 0);
        expectP(want, keys);
    }
    EXPECT_EQ(live(), objects);
    setP(NAN);
    EXPECT_EQ(statusLine(), "Minkowski metric  p = 0.50 (quasi-norm: not convex)");
    changeMetric(0);
    processNormalKeys('m', 0, 0);
    expectP(0.5f, "rebuilt");
    processNormalKeys('a', 0, 0);
    for (auto [ms, want] : {std::pair{5000, 1.0f}, {5000, 1.0f}, {7500, 2.0f}, {9900, INFINITY}})
        expectP((advanceSweep(ms), want), std::to_string(ms));
    processNormalKeys('a', 0, 0); // stops it
    processNormalKeys('a', 0, 0); // and starts it again, from the next frame
    renderScene();
    expectP(1, "the frame drives the sweep");
    processNormalKeys('+', 0, 0);
    expectP((advanceSweep(1 << 30), std::exp2(0.25f)), "a step stops the sweep");
}

// Each case switches to a metric and edits one file: first, unless null, it
// leaves `halfway` in it ("-": deletes it), which is built and says `said`
// (and, for a compiler's error, the first lines of its log, with the line of
// the file it is on) over the picture; then it saves the file as it was plus
// a line, watching on or off. Each save rebuilds once, after the files have
// been still for 100 ms (the second poll); the message goes, and one program
// is left. The user's own file is read with a line of declarations ahead of
// it that takes no line number of its own.
TEST_F(ReloadTest, SavesRebuildTheMetricOnce) {
    // The frame looks at the files itself, by the real clock (before the
    // tests' clock, which runs ahead of it, is used).
    changeMetric(0);
    const GLhandleARB built = glGetHandleARB(GL_PROGRAM_OBJECT_ARB);
    dir.write("metric.frag", slurp("metric.frag") + "\n");
    for (int i = 0; i < 200 && glGetHandleARB(GL_PROGRAM_OBJECT_ARB) == built; ++i)
        renderScene(), usleep(10000);
    EXPECT_NE(glGetHandleARB(GL_PROGRAM_OBJECT_ARB), built);
    const char* compileError = "#version 120\nfloat a = b;\nfloat c = d;\nfloat e = f;\n"
                               "float g = h;\nfloat i = j;\n";
    // {metric, file, halfway, said, watching, whether the save rebuilds}
    const std::tuple<int, const char*, const char*, const char*, bool, bool> cases[] = {
        {0, "metric.frag", nullptr, "", true, true},
        {1, "cityblock.vert", nullptr, "", true, true},
        {2, "riemann.mat", "", "", true, true},
        {1, "metric.vert", "-", "File not found: metric.vert", true, true},
        {0, "euclid.vert", compileError, "Shader::compile() error: euclid.vert", true, true},
        {0, "euclid.vert", "#version 120\nvoid unused() {}\n", "ShaderProg::link() error", true,
         true},
        {0, "euclid.vert", nullptr, "", false, false},
        {0, "cityblock.vert", nullptr, "", true, false},
        {kCustomMetric, "four.vert", compileError, "Shader::compile() error: four.vert", true,
         true}};
    setMetricFile(dir.write("four.vert", kFourNorm).substr(dir.path().size() + 1));
    for (auto [metric, file, halfway, said, watch, rebuilds] : cases) {
        changeMetric(metric);
        setWatching(watch);
        const std::string text = slurp(file) + "\n";
        if (halfway) {
            *halfway == '-' ? void(std::remove(file)) : void(dir.write(file, halfway));
            EXPECT_EQ(settle(), ".!...") << file;
            EXPECT_EQ(failureLines().empty() ? "" : failureLines()[0], said);
            const bool compile = std::string(said).find("compile") < 99;
            EXPECT_EQ(failureLines().size() > 1, std::string(said).find("error") < 99);
            EXPECT_TRUE(!compile || failureLines().size() == 5) << "the log's first four lines";
            EXPECT_EQ(compile ? failureLines()[1].substr(0, 4) : "", compile ? "0:2(" : "");
            EXPECT_EQ(topBoxShown(), *said != 0) << said;
        }
        dir.write(file, text);
        EXPECT_EQ(settle(), rebuilds ? ".!..." : ".....") << file << " watched " << watch;
        EXPECT_TRUE(failureLines().empty() && !topBoxShown()) << file;
    }
    EXPECT_EQ(ShaderProg::s_shaderProgs->size(), 1u);
}

} // namespace
