// Every benchmark of the viewer, on Google Benchmark; scripts/bench runs this
// program and prints its table.
//
// To add a comparison, write fn(State&, bool ours, args...): the viewer's
// way when `ours`, otherwise the least the same work could cost. Register it
// in registerAll() with compare("area/what", iterations, repetitions, fn,
// args...), which names the two sides "area/what/ours" and "area/what/base".
// scripts/bench prints a row per such pair with the ratio of their medians
// (repetitions randomly interleaved, so the two sides take turns), checked
// against its target for "area". A benchmark with no ".../base" twin gets a
// row of its own. Measures other than time go into state.counters, named
// with their unit ("allocs/frame"); the table shows the ours side's, and the
// script checks those it holds a target for.
//
// The program draws on the GL context of a 400x400 GLUT window made the way
// main() makes it, with main()'s heap set-up, in a scratch directory holding
// copies of shaders/ (so --benchmark_out wants an absolute path). Standard
// error goes to /dev/null: the program dumps that changeMetric() writes there
// are formatted and written, only not shown. The mesh benchmarks write a
// 1,000,000-triangle torus into the scratch directory with scripts/make-torus
// on first use.

#include "app/Panel.h"
#include "app/Shell.h"
#include "bench/AllocCounter.h"
#include "io/MeshFile.h"
#include "math/PNorm.h"
#include "metric/Metric.h"
#include "view/Camera.h"
#include "view/MeshBuffers.h"
#include "view/Mouse.h"

#include <GL/glew.h>

#include <GL/freeglut.h>
#include <assimp/Importer.hpp>
#include <assimp/postprocess.h>
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <limits>
#include <malloc.h>
#include <map>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>

namespace fs = std::filesystem;
using benchmark::State;

namespace {

// The metrics as changeMetric() built and bound them, kept out of `current`'s
// reach for the frame benchmarks; the last is the Minkowski metric at p = inf.
const std::string kMetricNames[] = {"euclid", "cityblock", "riemann", "minkowski", "minkowski-inf"};
std::unique_ptr<Metric> g_metrics[5];

[[noreturn]] void fail(const std::string& message) {
    std::printf("zem_bench: %s\n", message.c_str());
    std::fflush(stdout);
    std::_Exit(1);
}

void switchMetric(int index) {
    changeMetric(index);
    if (!current)
        fail("metric " + std::to_string(index) + " could not be built");
}

// One frame, and the GL's work for it, swap included.
void frame() {
    renderScene();
    glFinish();
}

// The 1,000,000-triangle torus in binary PLY or STL (format "ply" or "stl").
std::string torus(const std::string& format) {
    if (!fs::exists("torus.stl") &&
        std::system("{ " ZEMLAVOR_MAKE_TORUS " torus.ply 1000000 & " ZEMLAVOR_MAKE_TORUS
                    " torus.stl 1000000; wait; } >/dev/null") != 0)
        fail("scripts/make-torus failed");
    return "torus." + format;
}

// One frame as the viewer draws it with the metric's program bound (ours)
// or with none, by the fixed-function pipeline (base); primitive 3 is the
// torus, loaded by loadMesh(), and 4 the cube of examples/cube.obj (8
// corners) as loadMesh() refines it, kept aside while the torus is drawn. The first frames after
// the binding changes cost more while the driver's and the allocator's state settle, and the viewer
// keeps its program bound: they are not timed (one for the torus, whose frames are long). The
// metric is on for ours, so the status line is drawn as the viewer draws it by default; none is for
// base.
void frameBench(State& state, bool ours, int metric, int primitive, bool wireframe) {
    static std::unique_ptr<MeshBuffers> cube;
    if (primitive == 4 && !cube) {
        std::unique_ptr<MeshBuffers> torusMesh = std::move(mesh);
        loadMesh(ZEMLAVOR_CUBE);
        cube = std::exchange(mesh, std::move(torusMesh));
    }
    if (primitive == 4)
        std::swap(mesh, cube);
    if (primitive == 3 && !mesh)
        loadMesh(torus("ply"));
    // Deletes what a switch benchmark left on.
    delete std::exchange(current, ours ? g_metrics[metric].get() : nullptr);
    prim = std::min(primitive, 3);
    wire = wireframe;
    ours ? g_metrics[metric]->Apply() : glUseProgramObjectARB(0);
    for (int i = 0; i < (primitive == 3 ? 1 : 4); ++i)
        frame();
    for (auto _ : state)
        frame();
    // Every frame of a kind allocates alike: counted once.
    static std::map<int, alloc_counter::Counts> counted;
    const int kind = ((ours * 5 + metric) * 5 + primitive) * 2 + wireframe;
    if (!counted.count(kind))
        counted[kind] = alloc_counter::during(frame);
    state.counters["allocs/frame"] = double(counted[kind].all);
    state.counters["own_allocs/frame"] = double(counted[kind].own);
    current = nullptr; // g_metrics owns it
    if (primitive == 4)
        std::swap(mesh, cube);
}

// A frame of the sphere with the panel shown (ours) against the same frame
// with it hidden (base), under a metric that changeMetric built, as a key
// does: what the panel costs a frame. The Riemannian metric's panel also
// reads riemann.mat and works out the matrix's eigenvalues every frame.
void panelBench(State& state, bool ours, int metric) {
    switchMetric(metric);
    prim = 0;
    wire = true;
    if (panelShown() != ours)
        togglePanel();
    for (int i = 0; i < 4; ++i) // the panel appears at its second frame
        frame();
    for (auto _ : state)
        frame();
    if (panelShown())
        togglePanel();
}

// A mesh file loaded as the viewer loads it (ours: loadMesh, which reads it
// in a child process, joins its corners, makes normals with creases, checks
// for refinement, fits it, makes the simplified copy and uploads both)
// against Assimp's import of it with its own steps for the same ends:
// triangles, one mesh in file coordinates, shared corners, smooth normals.
void loadBench(State& state, bool ours, const char* format) {
    const std::string file = torus(format);
    const unsigned steps = aiProcess_Triangulate | aiProcess_PreTransformVertices |
                           aiProcess_JoinIdenticalVertices | aiProcess_GenSmoothNormals;
    for (auto _ : state) {
        if (ours)
            loadMesh(file);
        else if (!Assimp::Importer().ReadFile(file, steps)) // the scene goes with the importer
            fail("Assimp cannot read " + file);
    }
}

// Frames of the 1M-triangle torus, solid under the Euclidean metric, as the
// idle loop draws them: during a right drag that turns the view a degree a
// frame (the simplified copy), or still (the whole mesh). Counts frames a
// second of wall time.
void dragBench(State& state, bool dragging) {
    loadMesh(torus("stl"));
    delete std::exchange(current, g_metrics[0].get());
    current->Apply();
    prim = 3;
    wire = false;
    PassiveMotionFunc(200, 200);
    MouseFunc(GLUT_RIGHT_BUTTON, dragging ? GLUT_DOWN : GLUT_UP, 200, 200);
    frame();
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        if (dragging)
            MotionFunc(200 + int(state.iterations() % 2), 200);
        frame();
    }
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    state.counters["frames/s"] = double(state.iterations()) / took.count();
    MouseFunc(GLUT_RIGHT_BUTTON, GLUT_UP, 200, 200);
    current = nullptr; // g_metrics owns it
}

std::string readFile(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// changeMetric(m), which reads the metric's files anew (ours), against the
// bare GL calls of a switch on sources read once (base): the old program's
// shaders detached and deleted and the program deleted; a new program, each
// shader created, compiled, checked and attached, link, check, bind, and the
// Riemannian metric's 3x3 block (its values do not change the cost).
void switchBench(State& state, bool ours, int metric) {
    const std::string text[3] = {readFile(kMetricNames[metric] + ".vert"), readFile("metric.vert"),
                                 readFile("metric.frag")};
    const float block[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    // The last repetition's program is released by the next one's first round.
    static GLhandleARB program = 0, shaders[3] = {};
    for (auto _ : state) {
        if (ours) {
            switchMetric(metric);
            continue;
        }
        if (program)
            for (GLhandleARB shader : shaders)
                glDetachObjectARB(program, shader), glDeleteObjectARB(shader);
        glDeleteObjectARB(program); // 0 is ignored
        program = glCreateProgramObjectARB();
        GLint ok = 0;
        for (int i = 0; i < 3; ++i) {
            shaders[i] =
                glCreateShaderObjectARB(i < 2 ? GL_VERTEX_SHADER_ARB : GL_FRAGMENT_SHADER_ARB);
            const GLcharARB* source = text[i].c_str();
            glShaderSourceARB(shaders[i], 1, &source, nullptr);
            glCompileShaderARB(shaders[i]);
            glGetObjectParameterivARB(shaders[i], GL_OBJECT_COMPILE_STATUS_ARB, &ok);
            if (!ok)
                fail("a shader did not compile");
            glAttachObjectARB(program, shaders[i]);
        }
        glLinkProgramARB(program);
        glGetObjectParameterivARB(program, GL_OBJECT_LINK_STATUS_ARB, &ok);
        if (!ok)
            fail("a program did not link");
        glUseProgramObjectARB(program);
        if (metric == 2)
            glUniformMatrix3fvARB(glGetUniformLocationARB(program, "g_matrix"), 1, GL_TRUE, block);
        if (metric == 3)
            glUniform1fARB(glGetUniformLocationARB(program, "p"), 3.0f);
    }
}

long residentKiB() {
    long size = 0, pages = 0;
    std::ifstream("/proc/self/statm") >> size >> pages;
    return pages * (sysconf(_SC_PAGESIZE) / 1024);
}

// Live program and shader objects up to a margin above the bound program:
// every name handed out when that is the newest program or a few older, as
// Mesa hands out names in increasing order and makes a program's shaders
// after it.
int liveObjects() {
    int live = 0;
    const GLuint last = glGetHandleARB(GL_PROGRAM_OBJECT_ARB) + 64;
    for (GLuint name = 1; name <= last; ++name)
        live += (glIsProgram(name) ? 1 : 0) + (glIsShader(name) ? 1 : 0);
    return live;
}

// Resident memory and live GL objects over the iterations' switches (e, t,
// r in turn), after 100 that let the heap settle.
void growthBench(State& state) {
    for (int i = 0; i < 100; ++i)
        switchMetric(i % 3);
    const int objects = liveObjects();
    const long kib = residentKiB();
    for (auto _ : state)
        switchMetric(int(state.iterations() % 3));
    state.counters["rss_growth_kib"] = double(residentKiB() - kib);
    state.counters["gl_objects_growth"] = liveObjects() - objects;
}

// Work the viewer does between frames (ours) against one frame under the
// metric it concerns (base), so the ratio is its share of a frame: a step of
// the Minkowski exponent, or one look at the Riemannian metric's four files
// (the clock handed to reloadChanged is 0.2 s on at each call, so that it
// stats them every time). Counts the GL objects the work leaves alive.
void betweenFramesBench(State& state, bool ours, int metric) {
    prim = 0;
    wire = false;
    current = g_metrics[metric].get();
    current->Apply();
    const int objects = liveObjects();
    auto now = std::chrono::steady_clock::now();
    for (auto _ : state) {
        if (!ours)
            frame();
        else if (metric == 3)
            setP(state.iterations() % 2 ? 3.0f : raiseP(3.0f));
        else
            reloadChanged(now += std::chrono::milliseconds(200));
    }
    state.counters["gl_objects_growth"] = liveObjects() - objects;
    current = nullptr;
}

// From a save of riemann.mat (the same bytes written again) to the rebuilt
// metric bound, frames drawn meanwhile as the idle loop draws them.
void reloadBench(State& state) {
    switchMetric(2);
    const std::string text = readFile("riemann.mat");
    for (auto _ : state) {
        const GLhandleARB before = glGetHandleARB(GL_PROGRAM_OBJECT_ARB);
        std::ofstream("riemann.mat") << text;
        while (glGetHandleARB(GL_PROGRAM_OBJECT_ARB) == before)
            frame();
    }
}

// Start-up to the first frame: the viewer (ours) against the smallest GLUT +
// GLEW program that shows the same wireframe sphere (base), spawned in the
// working directory with first_frame.so preloaded, which writes a byte to
// file descriptor 3 when the first glutSwapBuffers() has returned. The
// program is then ended, untimed.
void startupBench(State& state, bool ours) {
    const char* program = ours ? ZEMLAVOR_BINARY : ZEMLAVOR_MINIMAL_VIEWER;
    char* argv[] = {const_cast<char*>(program), nullptr};
    setenv("LD_PRELOAD", ZEMLAVOR_FIRST_FRAME_LIB, 1); // for the programs spawned
    for (auto _ : state) {
        int fds[2];
        posix_spawn_file_actions_t actions;
        if (pipe2(fds, O_CLOEXEC) != 0 || posix_spawn_file_actions_init(&actions) != 0)
            fail("no pipe");
        posix_spawn_file_actions_adddup2(&actions, fds[1], 3);
        // Standard output to /dev/null; standard error already goes there.
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        pid_t pid = 0;
        if (posix_spawn(&pid, program, &actions, nullptr, argv, environ) != 0)
            fail(std::string("cannot start ") + program);
        posix_spawn_file_actions_destroy(&actions);
        close(fds[1]);
        char byte = 0;
        const bool shown = read(fds[0], &byte, 1) == 1; // 0: it ended first
        state.PauseTiming();
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
        close(fds[0]);
        if (!shown)
            fail(std::string(program) + " showed no frame");
        state.ResumeTiming();
    }
}

// Registers `name`, running fn(state, args...) `iterations` times in each
// of its repetitions and timed in CPU time of the whole process (every
// thread: the GL's rasterizer threads too), which other jobs on the machine
// disturb far less than wall time; or in wall time alone (`wall`) where the
// work is in another process. Wall time is recorded either way.
template <class Fn, class... Args>
void add(const std::string& name, int iterations, int repetitions, bool wall, Fn fn, Args... args) {
    auto* b = benchmark::RegisterBenchmark(name.c_str(), fn, args...);
    b->Unit(benchmark::kMillisecond)->Iterations(iterations)->Repetitions(repetitions);
    wall ? b->UseRealTime() : b->MeasureProcessCPUTime();
}

// Registers the two sides of a comparison: stem + "/ours" runs
// fn(state, true, args...) and stem + "/base" fn(state, false, args...).
template <class Fn, class... Args>
void compare(const std::string& stem, int iterations, int repetitions, Fn fn, Args... args) {
    // Start-up's and the mesh reader's work is in another process: wall time.
    const bool wall = stem == "startup" || stem.rfind("load/", 0) == 0;
    for (const bool ours : {true, false})
        add(stem + (ours ? "/ours" : "/base"), iterations, repetitions, wall, fn, ours, args...);
}

void registerAll() {
    for (int m = 0; m < 5; ++m) {
        for (const char* kind : {"sphere/wire", "sphere/solid", "teapot/wire", "teapot/solid"})
            compare("frame/" + kMetricNames[m] + "/" + kind, 4, 60, frameBench, m, kind[0] == 't',
                    kind[7] == 'w');
        compare("frame/" + kMetricNames[m] + "/cube-refined/solid", 4, 60, frameBench, m, 4, false);
        if (m < 4) {
            compare("switch/" + kMetricNames[m], 4, 60, switchBench, m);
            compare("frame/" + kMetricNames[m] + "/torus-1M/solid", 2, 8, frameBench, m, 3, false);
        }
    }
    for (int m : {0, 2})
        compare("panel/" + kMetricNames[m] + "/sphere/wire", 4, 60, panelBench, m);
    compare("between-frames/p-step", 4, 60, betweenFramesBench, 3);
    compare("between-frames/watch-riemann", 4, 60, betweenFramesBench, 2);
    compare("startup", 1, 20, startupBench);
    for (const char* format : {"ply", "stl"})
        compare(std::string("load/torus-1M.") + format, 1, 5, loadBench, format);
    add("drag/torus-1M/solid", 30, 5, true, dragBench, true);
    add("still/torus-1M/solid", 10, 5, true, dragBench, false);
    add("reload/save to rebuilt", 1, 10, true, reloadBench);
    add("growth/10000 switches", 10000, 1, false, growthBench);
}

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    mallopt(M_TRIM_THRESHOLD, 64 << 20); // as main() does, first
    glutInit(&argc, argv);
    glutInitWindowSize(400, 400);
    glutSetOption(GLUT_MULTISAMPLE, 4); // as the viewer asks by default
    glutInitDisplayMode(GLUT_DOUBLE | GLUT_DEPTH | GLUT_MULTISAMPLE);
    glutCreateWindow("Zemlavor bench");
    glutDisplayFunc([] {}); // freeglut wants one; the benchmarks draw their own frames
    Camera::getInstance();
    Mouse::getInstance();
    glEnable(GL_DEPTH_TEST);
    if (glewInit() != GLEW_OK || !GLEW_ARB_vertex_shader || !GLEW_ARB_fragment_shader)
        fail("the GL has no ARB shader objects");
    // Let the server map the window, so that every swap copies the frame to
    // the screen, and let GLUT deliver its first events.
    for (int i = 0; i < 50; ++i)
        glutMainLoopEvent(), usleep(2000);
    Reshape(400, 400);
    // A scratch working directory holding copies of the shipped shader files.
    const fs::path scratch = fs::temp_directory_path() / ("zem-bench-" + std::to_string(getpid()));
    fs::copy(ZEMLAVOR_SHADER_DIR, scratch);
    fs::current_path(scratch);
    if (!std::freopen("/dev/null", "w", stderr))
        fail("cannot silence standard error");
    for (int m = 0; m < 5; ++m) {
        setP(m == 4 ? std::numeric_limits<float>::infinity() : 3.0f);
        switchMetric(std::min(m, 3));
        g_metrics[m].reset(current);
        current = nullptr;
    }
    benchmark::AddCustomContext("GL_RENDERER", (const char*)glGetString(GL_RENDERER));
    benchmark::AddCustomContext("GL_VERSION", (const char*)glGetString(GL_VERSION));
    registerAll();
    benchmark::RunSpecifiedBenchmarks();
    fs::remove_all(scratch);
    // Ends without destructors, as fail() does: the GL objects go with the
    // process.
    std::fflush(stdout);
    std::_Exit(0);
}
