// Benchmarks of the viewer inside one process, on the GL context of a GLUT
// window made the way main() makes it:
//   - the cost of one frame under each metric against the same frame drawn
//     by the fixed-function pipeline;
//   - the cost of a metric switch against the bare GL calls it makes;
//   - resident memory and live GL objects after many switches;
//   - heap allocations per frame;
//   - what drawing the primitive from a display list would change;
//   - on request, what a fresh process pays for its first metric and frame.
// The two sides of a comparison take turns (A B B A A B ...), and are
// reported as medians and their ratio; frames are timed in blocks of one
// binding, with the process's page faults per frame beside the time.
// Results are "ROW" and "INFO" lines on standard output (see BenchTable.h);
// scripts/bench turns them into a table. While metrics are built, file
// descriptor 2 points at /dev/null, so the program dumps that changeMetric()
// writes to std::cerr are formatted and written as usual but not shown.
//
// Usage: zem_bench [--quick] [--switches N] [--only S] [--frames NAME] [--rounds N]
//                  [--alloc-sites]
//   --quick        fewer samples, and 1000 switches for the growth figures
//   --switches N   switches between the two growth readings (default 10000)
//   --only S       run only the comma-separated sections S of frames,
//                  switch, growth, allocs, dlist, and first (which runs only
//                  when named)
//   --frames NAME  time only the frame kinds whose name holds NAME, e.g.
//                  "euclid sphere solid" or "teapot"
//   --rounds N     A/B block pairs per frame kind (default 25; --quick: 5)
//   --alloc-sites  print, instead of the table, the call stack of every
//                  allocation made during a few frames of each kind
//   --glibc-trim   leave glibc's heap trimming at its default instead of
//                  raising it as the viewer's main() does

#include "app/Shell.h"
#include "bench/AllocCounter.h"
#include "bench/BenchTable.h"
#include "metric/Metric.h"
#include "view/Camera.h"
#include "view/Mouse.h"

#include <GL/glew.h>

#include <GL/freeglut.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <malloc.h>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using bench::Clock;
using bench::format;
using bench::median;
using bench::millisecondsBetween;

namespace {

const char* const kMetricNames[3] = {"euclid", "cityblock", "riemann"};
const char* const kMetricFiles[3] = {"euclid.vert", "cityblock.vert", "riemann.vert"};
const char* const kPrimNames[2] = {"sphere", "teapot"};

// Frames of one binding drawn before the timed ones, and timed, per block.
constexpr int kUntimedFrames = 4;
constexpr int kTimedFrames = 4;

struct Options {
    int frameRounds = 25;    // A/B block pairs per frame kind
    int switchRounds = 100;  // rounds of the four ways per metric
    long warmSwitches = 100; // switches before the first growth reading
    long growthSwitches = 10000;
    int allocFrames = 1000; // frames counted per kind
    bool allocSites = false;
    bool glibcTrim = false;  // leave glibc's trim threshold at its default
    std::string only;        // comma-separated sections to run; empty for all
    std::string frameFilter; // frame kinds whose name holds this; empty for all
    bool runs(const char* section) const {
        return only.empty() ||
               ("," + only + ",").find(std::string(",") + section + ",") != std::string::npos;
    }
};

[[noreturn]] void fail(const std::string& message) {
    std::fprintf(stdout, "zem_bench: %s\n", message.c_str());
    std::fflush(stdout);
    std::_Exit(1);
}

// A scratch working directory holding copies of the shipped shader files,
// made current for the object's lifetime.
class ScratchDir {
public:
    ScratchDir() {
        char pattern[] = "/tmp/zem-bench-XXXXXX";
        if (!mkdtemp(pattern))
            fail("mkdtemp failed");
        m_path = pattern;
        for (const auto& entry : fs::directory_iterator(ZEMLAVOR_SHADER_DIR))
            fs::copy_file(entry.path(), fs::path(m_path) / entry.path().filename());
        m_previous = fs::current_path();
        fs::current_path(m_path);
    }
    ~ScratchDir() {
        std::error_code ec;
        fs::current_path(m_previous, ec);
        fs::remove_all(m_path, ec);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

private:
    fs::path m_path;
    fs::path m_previous;
};

// Points file descriptor 2 at /dev/null for the object's lifetime.
class StderrToNull {
public:
    StderrToNull() {
        std::cerr.flush();
        std::fflush(stderr);
        m_saved = dup(2);
        const int null = open("/dev/null", O_WRONLY);
        if (m_saved < 0 || null < 0)
            fail("cannot redirect standard error");
        dup2(null, 2);
        close(null);
    }
    ~StderrToNull() {
        std::cerr.flush();
        std::fflush(stderr);
        dup2(m_saved, 2);
        close(m_saved);
    }
    StderrToNull(const StderrToNull&) = delete;
    StderrToNull& operator=(const StderrToNull&) = delete;

private:
    int m_saved = -1;
};

std::string readFile(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    if (!in)
        fail("cannot read " + name);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Switches the metric; the bench cannot go on without one.
void switchMetric(int index) {
    changeMetric(index);
    if (!current)
        fail(format("metric %d could not be built", index));
}

// Draws one frame and waits until the GL has finished it.
void frame() {
    renderScene();
    glFinish();
}

double timedFrame() {
    const auto start = Clock::now();
    frame();
    return millisecondsBetween(start, Clock::now());
}

// The timed frames of the two sides of the frame comparison: separate
// functions, so that a profile (callgrind --toggle-collect) can tell them
// apart and leave out the untimed frames.
__attribute__((noipa)) double timedProgramFrame() {
    return timedFrame();
}
__attribute__((noipa)) double timedFixedFrame() {
    return timedFrame();
}

// Minor and major page faults of the whole process so far.
long pageFaults() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_minflt + usage.ru_majflt;
}

void openWindow(int& argc, char** argv) {
    glutInit(&argc, argv);
    glutInitWindowSize(400, 400);
    glutInitDisplayMode(GLUT_DOUBLE | GLUT_DEPTH);
    glutCreateWindow("Zemlavor bench");
    // freeglut wants a display callback on every window. The bench draws
    // its frames itself: this one draws nothing, so that the first frame of
    // the process is the bench's.
    glutDisplayFunc([] {});
    Camera::getInstance();
    Mouse::getInstance();
    glEnable(GL_DEPTH_TEST);
    if (glewInit() != GLEW_OK || !GLEW_ARB_shader_objects || !GLEW_ARB_vertex_shader ||
        !GLEW_ARB_fragment_shader || !GLEW_VERSION_2_0)
        fail("the GL has no ARB shader objects or no OpenGL 2.0");
    // Let the server map the window, so that every swap really copies the
    // frame to the screen, and let GLUT deliver its first events.
    for (int i = 0; i < 50; ++i) {
        glutMainLoopEvent();
        usleep(2000);
    }
    Reshape(400, 400);
}

void printMachine() {
    std::ifstream cpuinfo("/proc/cpuinfo");
    std::string line;
    while (std::getline(cpuinfo, line)) {
        if (line.rfind("model name", 0) == 0) {
            bench::printInfo("cpu", line.substr(line.find(':') + 2));
            break;
        }
    }
    bench::printInfo("cores online", std::to_string(sysconf(_SC_NPROCESSORS_ONLN)));
    bench::printInfo("GL_RENDERER", reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
    bench::printInfo("GL_VERSION", reinterpret_cast<const char*>(glGetString(GL_VERSION)));
    const char* display = std::getenv("DISPLAY");
    bench::printInfo("DISPLAY", display ? display : "(unset)");
}

// --- First use in a process --------------------------------------------------

// What a fresh process pays once, before its first frame, beyond what a
// fixed-function program pays: the first metric build (the GLSL compiler
// starts up) and the first frame with the program (the driver compiles its
// code for it, or fetches it from its disk cache). Must run before any
// other section.
void benchFirstUse() {
    prim = 0;
    wire = true;
    double fixedMs, switchMs, programMs;
    {
        StderrToNull quiet;
        auto start = Clock::now();
        frame();
        fixedMs = millisecondsBetween(start, Clock::now());
        start = Clock::now();
        switchMetric(0);
        switchMs = millisecondsBetween(start, Clock::now());
        start = Clock::now();
        frame();
        programMs = millisecondsBetween(start, Clock::now());
    }
    bench::printInfo("first fixed-function frame in the process", format("%.1f ms", fixedMs));
    bench::printInfo("then the first changeMetric(0)", format("%.1f ms", switchMs));
    bench::printInfo("then the first frame with its program", format("%.1f ms", programMs));
}

// --- Frame cost --------------------------------------------------------------

void benchFrames(const Options& options) {
    // Each metric as changeMetric() builds and binds it, kept alive (out of
    // `current`'s reach) so that every round can visit every kind of frame:
    // drift in the machine's load then falls on all kinds alike.
    Metric* metrics[3];
    GLhandleARB programs[3];
    {
        StderrToNull quiet;
        for (int m = 0; m < 3; ++m) {
            switchMetric(m);
            programs[m] = glGetHandleARB(GL_PROGRAM_OBJECT_ARB);
            metrics[m] = current;
            current = nullptr;
        }
    }
    struct Kind {
        int metric;
        int prim;
        bool wire;
        std::vector<double> withProgram;
        std::vector<double> fixed;
        long faults[2] = {0, 0}; // page faults in the timed frames: fixed, program
    };
    std::vector<Kind> kinds;
    for (int m = 0; m < 3; ++m)
        for (int p = 0; p < 2; ++p)
            for (int w = 1; w >= 0; --w)
                if (options.frameFilter.empty() ||
                    format("%s %s %s", kMetricNames[m], kPrimNames[p], w ? "wire" : "solid")
                            .find(options.frameFilter) != std::string::npos)
                    kinds.push_back({m, p, w != 0, {}, {}, {0, 0}});
    // Frames are timed in blocks of one binding, each after a few untimed
    // frames: a frame drawn just after the binding changed costs more than
    // one in a long run of the same binding (the driver's and the
    // allocator's state settle within three frames here), and the viewer
    // keeps its program bound for good. Round -1 only warms up: the driver
    // compiles its code for each new state at the first draw.
    auto block = [&](Kind& kind, bool withProgram, std::vector<double>* out) {
        glUseProgramObjectARB(withProgram ? programs[kind.metric] : 0);
        for (int i = 0; i < kUntimedFrames; ++i)
            frame();
        const long faultsBefore = pageFaults();
        for (int i = 0; i < kTimedFrames; ++i) {
            const double ms = withProgram ? timedProgramFrame() : timedFixedFrame();
            if (out)
                out->push_back(ms);
        }
        if (out)
            kind.faults[withProgram] += pageFaults() - faultsBefore;
    };
    for (int r = -1; r < options.frameRounds; ++r) {
        for (Kind& kind : kinds) {
            prim = kind.prim;
            wire = kind.wire;
            // Alternate which side goes first, so that neither always
            // follows the other.
            const bool programFirst = r % 2 == 0;
            block(kind, programFirst,
                  r < 0          ? nullptr
                  : programFirst ? &kind.withProgram
                                 : &kind.fixed);
            block(kind, !programFirst,
                  r < 0          ? nullptr
                  : programFirst ? &kind.fixed
                                 : &kind.withProgram);
        }
    }
    for (const Kind& kind : kinds) {
        const double a = median(kind.withProgram);
        const double b = median(kind.fixed);
        const double frames = double(kind.withProgram.size());
        bench::printRow(format("frame %s %s %s", kMetricNames[kind.metric], kPrimNames[kind.prim],
                               kind.wire ? "wire" : "solid"),
                        format("%.3f ms, %.0f faults", a, kind.faults[1] / frames),
                        format("%.3f ms, %.0f faults fixed-function", b, kind.faults[0] / frames),
                        format("%.2f", a / b), "<= 1.20", a / b <= 1.20);
    }
    glUseProgramObjectARB(0);
    for (Metric* metric : metrics)
        delete metric;
    {
        StderrToNull quiet;
        switchMetric(0);
    }
    prim = 0;
    wire = true;
}

// --- Metric switch -----------------------------------------------------------

// The sources of one metric's program and the Riemannian 3x3 block.
struct Sources {
    std::string own;
    std::string vert;
    std::string frag;
    float block[9] = {};
};

// Reads one metric's files as a program that keeps nothing in memory would:
// each file whole, in one go.
Sources readSources(int m) {
    Sources s;
    s.own = readFile(kMetricFiles[m]);
    s.vert = readFile("metric.vert");
    s.frag = readFile("metric.frag");
    if (m == 2) {
        // riemann.mat: rows of numbers; the shader takes the upper-left 3x3.
        std::istringstream mat(readFile("riemann.mat"));
        std::string row;
        for (int r = 0; r < 3 && std::getline(mat, row); ++r) {
            std::istringstream cells(row);
            for (int c = 0; c < 3; ++c)
                cells >> s.block[3 * r + c];
        }
    }
    return s;
}

struct BareProgram {
    GLhandleARB program = 0;
    GLhandleARB shaders[3] = {0, 0, 0};
};

GLhandleARB compileBare(GLenum kind, const std::string& source) {
    const GLhandleARB shader = glCreateShaderObjectARB(kind);
    const GLcharARB* text = source.c_str();
    glShaderSourceARB(shader, 1, &text, nullptr);
    glCompileShaderARB(shader);
    GLint ok = 0;
    glGetObjectParameterivARB(shader, GL_OBJECT_COMPILE_STATUS_ARB, &ok);
    if (!ok)
        fail("a shader did not compile");
    return shader;
}

// The GL calls of a metric switch, in the product's order: program, the
// metric's own vertex shader, metric.vert, metric.frag, link, bind, and the
// Riemannian uniform.
void buildBare(BareProgram& bare, int m, const Sources& sources) {
    bare.program = glCreateProgramObjectARB();
    bare.shaders[0] = compileBare(GL_VERTEX_SHADER_ARB, sources.own);
    glAttachObjectARB(bare.program, bare.shaders[0]);
    bare.shaders[1] = compileBare(GL_VERTEX_SHADER_ARB, sources.vert);
    glAttachObjectARB(bare.program, bare.shaders[1]);
    bare.shaders[2] = compileBare(GL_FRAGMENT_SHADER_ARB, sources.frag);
    glAttachObjectARB(bare.program, bare.shaders[2]);
    glLinkProgramARB(bare.program);
    GLint ok = 0;
    glGetObjectParameterivARB(bare.program, GL_OBJECT_LINK_STATUS_ARB, &ok);
    if (!ok)
        fail("a program did not link");
    glUseProgramObjectARB(bare.program);
    if (m == 2) {
        const GLint location = glGetUniformLocationARB(bare.program, "g_matrix");
        glUniformMatrix3fvARB(location, 1, GL_TRUE, sources.block);
    }
}

// What the product does to the old metric at the next switch.
void deleteBare(BareProgram& bare) {
    if (!bare.program)
        return;
    for (GLhandleARB shader : bare.shaders) {
        glDetachObjectARB(bare.program, shader);
        glDeleteObjectARB(shader);
    }
    glDeleteObjectARB(bare.program);
    bare = BareProgram();
}

void benchSwitch(const Options& options) {
    Sources inMemory[3];
    for (int m = 0; m < 3; ++m)
        inMemory[m] = readSources(m);
    BareProgram bare;
    // Four ways to switch, in turn for each metric:
    //   0 changeMetric(), as the viewer does it;
    //   1 changeMetric() with std::cerr on a null buffer, so that the program
    //     dump is neither formatted nor written;
    //   2 the bare GL calls on sources already in memory;
    //   3 the same after reading the files afresh, one read each.
    std::vector<double> times[4][3];
    auto once = [&](int way, int m) {
        const auto start = Clock::now();
        switch (way) {
        case 0:
            switchMetric(m);
            break;
        case 1: {
            std::streambuf* previous = std::cerr.rdbuf(nullptr);
            switchMetric(m);
            std::cerr.rdbuf(previous);
            std::cerr.clear();
            break;
        }
        case 2:
            deleteBare(bare);
            buildBare(bare, m, inMemory[m]);
            break;
        default:
            deleteBare(bare);
            buildBare(bare, m, readSources(m));
            break;
        }
        return millisecondsBetween(start, Clock::now());
    };
    {
        StderrToNull quiet;
        for (int m = 0; m < 3; ++m)
            for (int way = 0; way < 4; ++way)
                once(way, m);
        for (int r = 0; r < options.switchRounds; ++r)
            for (int m = 0; m < 3; ++m)
                for (int i = 0; i < 4; ++i) {
                    // Rotate the order, so that no way always follows another.
                    const int way = (i + r) % 4;
                    times[way][m].push_back(once(way, m));
                }
        deleteBare(bare);
        switchMetric(0);
    }
    for (int m = 0; m < 3; ++m) {
        const double a = median(times[0][m]);
        const double b = median(times[2][m]);
        bench::printRow(format("switch to %s", kMetricNames[m]), format("%.3f ms", a),
                        format("%.3f ms bare GL", b), format("%.2f", a / b), "<= 1.10",
                        a / b <= 1.10);
    }
    // Where the difference goes: the same, pooled over the three metrics.
    std::vector<double> pooled[4];
    for (int way = 0; way < 4; ++way)
        for (int m = 0; m < 3; ++m)
            pooled[way].insert(pooled[way].end(), times[way][m].begin(), times[way][m].end());
    const double b = median(pooled[2]);
    const double dumpless = median(pooled[1]);
    const double withFiles = median(pooled[3]);
    bench::printNote("switch, any metric, dump to a null buffer", format("%.3f ms", dumpless),
                     format("%.3f ms bare GL", b), format("%.2f", dumpless / b));
    bench::printNote("bare GL switch reading the files afresh", format("%.3f ms", withFiles),
                     format("%.3f ms bare GL", b), format("%.2f", withFiles / b));
}

// --- Growth ------------------------------------------------------------------

long residentKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::atol(line.c_str() + 6);
    return -1;
}

void benchGrowth(const Options& options) {
    GLhandleARB highest = 0;
    long done = 0;
    auto cycle = [&](long count) {
        for (long i = 0; i < count; ++i, ++done) {
            switchMetric(static_cast<int>(done % 3));
            highest = std::max(highest, glGetHandleARB(GL_PROGRAM_OBJECT_ARB));
        }
    };
    std::vector<std::pair<long, long>> readings;
    double seconds = 0.0;
    {
        StderrToNull quiet;
        cycle(options.warmSwitches);
        readings.emplace_back(done, residentKiB());
        const auto start = Clock::now();
        for (int quarter = 0; quarter < 4; ++quarter) {
            cycle(options.growthSwitches / 4 + (quarter == 3 ? options.growthSwitches % 4 : 0));
            readings.emplace_back(done, residentKiB());
        }
        seconds = millisecondsBetween(start, Clock::now()) / 1000.0;
    }
    // Shader objects are made after their program, so a margin above the
    // highest program handle seen covers every name handed out.
    int programs = 0, shaders = 0;
    for (GLuint name = 1; name <= highest + 64; ++name) {
        programs += glIsProgram(name) ? 1 : 0;
        shaders += glIsShader(name) ? 1 : 0;
    }
    std::string trend;
    for (const auto& [switches, kib] : readings)
        trend += format("%s%ld: %ld", trend.empty() ? "" : ", ", switches, kib);
    bench::printInfo("VmRSS KiB after N switches", trend);
    bench::printInfo("switch rate in the growth run",
                     format("%.0f switches in %.1f s", double(options.growthSwitches), seconds));

    const long growth = readings.back().second - readings.front().second;
    // Here the heap settles by up to about 1 MiB over the first few thousand
    // switches and then stays flat; a leak of 200 bytes per switch would add
    // about 2 MiB per 10,000 switches.
    bench::printRow(format("VmRSS growth, switch %ld to %ld", readings.front().first, done),
                    format("%+ld KiB", growth), format("%ld KiB", readings.front().second), "-",
                    "< 2048 KiB", growth < 2048);
    bench::printRow(format("live GL objects after %ld switches", done),
                    format("%d program%s, %d shader%s", programs, programs == 1 ? "" : "s", shaders,
                           shaders == 1 ? "" : "s"),
                    "-", "-", "1 program, 3 shaders", programs == 1 && shaders == 3);
}

// --- Allocations per frame ---------------------------------------------------

// Allocations per frame for the current binding, after a warm-up: every
// allocation of the process and, of those, the C++ ones.
std::pair<double, double> allocationsPerFrame(int frames) {
    for (int i = 0; i < 20; ++i)
        frame();
    const unsigned long all = alloc_counter::allocations();
    const unsigned long cpp = alloc_counter::cppAllocations();
    for (int i = 0; i < frames; ++i)
        frame();
    return {double(alloc_counter::allocations() - all) / frames,
            double(alloc_counter::cppAllocations() - cpp) / frames};
}

void benchAllocations(const Options& options) {
    // [kind][prim][wire]: kinds 0..2 are the metrics, 3 the fixed function.
    std::pair<double, double> counts[4][2][2];
    for (int kind = 0; kind < 4; ++kind) {
        {
            StderrToNull quiet;
            switchMetric(kind < 3 ? kind : 0);
        }
        if (kind == 3)
            glUseProgramObjectARB(0);
        for (int p = 0; p < 2; ++p)
            for (int w = 0; w < 2; ++w) {
                prim = p;
                wire = w != 0;
                counts[kind][p][w] = allocationsPerFrame(options.allocFrames);
            }
    }
    for (int p = 0; p < 2; ++p) {
        for (int w = 1; w >= 0; --w) {
            std::string value;
            bool zero = true;
            for (int kind = 0; kind < 4; ++kind) {
                const auto [all, cpp] = counts[kind][p][w];
                zero = zero && all == 0.0;
                if (kind < 3)
                    value += format("%s%c %.2f (C++ %.2f)", kind ? ", " : "", kMetricNames[kind][0],
                                    all, cpp);
            }
            const auto [fixedAll, fixedCpp] = counts[3][p][w];
            bench::printRow(format("allocations/frame %s %s", kPrimNames[p], w ? "wire" : "solid"),
                            value, format("%.2f (C++ %.2f) fixed-function", fixedAll, fixedCpp),
                            "-", "0", zero);
        }
    }
    prim = 0;
    wire = true;
    {
        StderrToNull quiet;
        switchMetric(0);
    }
}

// renderScene() with the primitive drawn from a display list compiled once,
// instead of by the GLUT call that builds and submits it every frame; what
// that change to the viewer would save.
void displayListFrame(GLuint list) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    Camera::getInstance()->Look();
    glCallList(list);
    glutSwapBuffers();
    glFinish();
}

void benchDisplayList(const Options& options) {
    {
        StderrToNull quiet;
        switchMetric(0);
    }
    for (int p = 0; p < 2; ++p) {
        for (int w = 1; w >= 0; --w) {
            prim = p;
            wire = w != 0;
            const GLuint list = glGenLists(1);
            glNewList(list, GL_COMPILE);
            drawPrimitive();
            glEndList();
            std::vector<double> viaList, viaGlut;
            unsigned long listAllocs = 0, glutAllocs = 0;
            for (int r = -1; r < options.frameRounds; ++r) {
                for (int side = 0; side < 2; ++side) {
                    const bool list_side = (side + r) % 2 == 0;
                    for (int i = 0; i < kUntimedFrames; ++i)
                        list_side ? displayListFrame(list) : frame();
                    const unsigned long before = alloc_counter::allocations();
                    for (int i = 0; i < kTimedFrames; ++i) {
                        const auto start = Clock::now();
                        list_side ? displayListFrame(list) : frame();
                        if (r >= 0)
                            (list_side ? viaList : viaGlut)
                                .push_back(millisecondsBetween(start, Clock::now()));
                    }
                    if (r >= 0)
                        (list_side ? listAllocs : glutAllocs) +=
                            alloc_counter::allocations() - before;
                }
            }
            glDeleteLists(list, 1);
            const double frames = double(options.frameRounds) * kTimedFrames;
            const double a = median(viaList);
            const double b = median(viaGlut);
            bench::printNote(
                format("euclid %s %s from a display list", kPrimNames[p], w ? "wire" : "solid"),
                format("%.3f ms, %.1f allocations", a, listAllocs / frames),
                format("%.3f ms, %.1f allocations renderScene()", b, glutAllocs / frames),
                format("%.2f", a / b));
        }
    }
    prim = 0;
    wire = true;
}

void traceAllocations() {
    for (int kind = 0; kind < 2; ++kind) {
        {
            StderrToNull quiet;
            switchMetric(0);
        }
        if (kind == 1)
            glUseProgramObjectARB(0);
        for (int p = 0; p < 2; ++p)
            for (int w = 1; w >= 0; --w) {
                prim = p;
                wire = w != 0;
                for (int i = 0; i < 20; ++i)
                    frame();
                const int frames = 3;
                alloc_counter::startTrace();
                for (int i = 0; i < frames; ++i)
                    frame();
                alloc_counter::stopTrace();
                std::printf("== %s %s %s, %d frames ==\n", kind ? "fixed-function" : "euclid",
                            kPrimNames[p], wire ? "wire" : "solid", frames);
                alloc_counter::printTrace(stdout);
            }
    }
    std::fflush(stdout);
}

Options parseOptions(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--quick") {
            options.frameRounds = 5;
            options.switchRounds = 20;
            options.growthSwitches = 1000;
            options.allocFrames = 100;
        } else if (arg == "--switches" && i + 1 < argc) {
            options.growthSwitches = std::atol(argv[++i]);
            if (options.growthSwitches < 4)
                fail("--switches wants at least 4");
        } else if (arg == "--alloc-sites") {
            options.allocSites = true;
        } else if (arg == "--glibc-trim") {
            options.glibcTrim = true;
        } else if (arg == "--only" && i + 1 < argc) {
            options.only = argv[++i];
        } else if (arg == "--frames" && i + 1 < argc) {
            options.frameFilter = argv[++i];
        } else if (arg == "--rounds" && i + 1 < argc) {
            options.frameRounds = std::max(1, std::atoi(argv[++i]));
        } else {
            fail("usage: zem_bench [--quick] [--switches N] [--only SECTIONS] [--frames NAME] "
                 "[--rounds N] [--alloc-sites] [--glibc-trim]");
        }
    }
    return options;
}

} // namespace

int main(int argc, char** argv) {
    const Options options = parseOptions(argc, argv);
    // The heap set-up of the viewer's main(), so that the frames measured
    // here are the viewer's.
    if (!options.glibcTrim)
        mallopt(M_TRIM_THRESHOLD, 64 << 20);
    openWindow(argc, argv);
    ScratchDir scratch;
    if (options.allocSites) {
        traceAllocations();
        return 0;
    }
    printMachine();
    // Only on request: it must come first in its process, and it changes
    // the heap that the frames of the later sections work in.
    if (options.only.find("first") != std::string::npos)
        benchFirstUse();
    if (options.runs("frames"))
        benchFrames(options);
    if (options.runs("switch"))
        benchSwitch(options);
    if (options.runs("growth"))
        benchGrowth(options);
    if (options.runs("allocs"))
        benchAllocations(options);
    if (options.runs("dlist"))
        benchDisplayList(options);
    return 0;
}
