// Start-up time: from fork() to the first frame on screen, for the viewer,
// for minimal_viewer (the same window and wireframe sphere, fixed-function)
// and for minimal_viewer --idle (the same, redrawn whenever GLUT is idle, as
// the viewer does), launched in turn in a scratch working directory holding
// the shader files. "On screen" means the X server's copy of the window shows the
// sphere: the pixels around the window's centre are lit and its corners are
// black (cleared), read back from the root window with XGetImage and polled
// about once a millisecond. Results are "ROW" and "INFO" lines on standard
// output (see BenchTable.h).
//
// Usage: startup_bench [--quick] [--runs N]
//   --runs N   launches of each program (default 20; --quick: 4), after one
//              untimed launch of each

#include "bench/BenchTable.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using bench::Clock;
using bench::format;
using bench::median;
using bench::millisecondsBetween;

namespace {

struct Program {
    const char* label;
    const char* path;
    const char* argument; // one argument, or null
    const char* title;
};

const Program kViewer = {"zemlavor", ZEMLAVOR_BINARY, nullptr, "Zemlavor"};
const Program kMinimal = {"minimal_viewer", ZEMLAVOR_MINIMAL_VIEWER, nullptr, "Zemlavor minimal"};
const Program kMinimalIdle = {"minimal_viewer --idle", ZEMLAVOR_MINIMAL_VIEWER, "--idle",
                              "Zemlavor minimal"};

// Half the side of the square around the window's centre that must show the
// sphere (whose outline is about 28 pixels from the centre), the number of
// lit pixels it must hold, and the side of the corner squares that must be
// black.
constexpr int kCentreHalf = 40;
constexpr int kMinLit = 100;
constexpr int kCorner = 8;

constexpr double kLaunchTimeoutMs = 30000.0;

Display* g_display = nullptr;

[[noreturn]] void fail(const std::string& message) {
    std::fprintf(stdout, "startup_bench: %s\n", message.c_str());
    std::fflush(stdout);
    std::_Exit(1);
}

// Windows come and go under the poller (BadWindow), and an image request for
// a window that is not yet viewable fails (BadMatch); both only mean "not
// yet", so errors are ignored.
int ignoreXError(Display*, XErrorEvent*) {
    return 0;
}

std::string windowName(Window window) {
    char* name = nullptr;
    std::string result;
    if (XFetchName(g_display, window, &name) && name)
        result = name;
    if (name)
        XFree(name);
    return result;
}

// The top-level window titled `title`, or 0.
Window findWindow(const char* title) {
    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    Window found = 0;
    if (!XQueryTree(g_display, DefaultRootWindow(g_display), &root, &parent, &children, &count))
        return 0;
    for (unsigned int i = 0; i < count && !found; ++i)
        if (windowName(children[i]) == title)
            found = children[i];
    if (children)
        XFree(children);
    return found;
}

// Whether the screen shows the sphere in `window`. Only the on-screen part
// is read: with no window manager the window may sit a pixel off the screen.
bool sphereShown(Window window) {
    XWindowAttributes a;
    if (!XGetWindowAttributes(g_display, window, &a) || a.map_state != IsViewable)
        return false;
    const int screenW = DisplayWidth(g_display, DefaultScreen(g_display));
    const int screenH = DisplayHeight(g_display, DefaultScreen(g_display));
    // Top-level windows are children of the root, so (x, y) is on the screen.
    const int left = a.x + a.border_width;
    const int top = a.y + a.border_width;
    const int x0 = std::max(left, 0), y0 = std::max(top, 0);
    const int x1 = std::min(left + a.width, screenW), y1 = std::min(top + a.height, screenH);
    if (x1 - x0 < 2 * kCentreHalf || y1 - y0 < 2 * kCentreHalf)
        return false;
    XImage* image = XGetImage(g_display, DefaultRootWindow(g_display), x0, y0, x1 - x0, y1 - y0,
                              AllPlanes, ZPixmap);
    if (!image)
        return false;
    // Image coordinates of the window's centre.
    const int cx = left + a.width / 2 - x0;
    const int cy = top + a.height / 2 - y0;
    int lit = 0;
    for (int y = cy - kCentreHalf; y < cy + kCentreHalf; ++y)
        for (int x = cx - kCentreHalf; x < cx + kCentreHalf; ++x)
            if (x >= 0 && y >= 0 && x < image->width && y < image->height)
                lit += (XGetPixel(image, x, y) & 0xffffff) != 0;
    bool cornersBlack = true;
    const int xs[2] = {2, image->width - 2 - kCorner};
    const int ys[2] = {2, image->height - 2 - kCorner};
    for (int ix = 0; ix < 2; ++ix)
        for (int iy = 0; iy < 2; ++iy)
            for (int y = ys[iy]; y < ys[iy] + kCorner; ++y)
                for (int x = xs[ix]; x < xs[ix] + kCorner; ++x)
                    cornersBlack = cornersBlack && (XGetPixel(image, x, y) & 0xffffff) == 0;
    XDestroyImage(image);
    return lit >= kMinLit && cornersBlack;
}

// Milliseconds from fork() to the first frame of `program` on screen; the
// process is then ended and its window waited out.
double launchOnce(const Program& program, const std::string& dir) {
    const auto start = Clock::now();
    const pid_t pid = fork();
    if (pid < 0)
        fail("fork failed");
    if (pid == 0) {
        if (chdir(dir.c_str()) != 0)
            _exit(126);
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        dup2(null, 2);
        execl(program.path, program.path, program.argument, static_cast<char*>(nullptr));
        _exit(127);
    }
    double ms = -1.0;
    Window window = 0;
    while (millisecondsBetween(start, Clock::now()) < kLaunchTimeoutMs) {
        if (!window)
            window = findWindow(program.title);
        if (window && sphereShown(window)) {
            ms = millisecondsBetween(start, Clock::now());
            break;
        }
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid)
            fail(format("%s ended before its first frame (status %d)", program.label, status));
        usleep(1000);
    }
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    if (ms < 0)
        fail(format("%s showed no sphere within %.0f s", program.label, kLaunchTimeoutMs / 1000));
    // The next launch of the same program must not find this window.
    const auto gone = Clock::now();
    while (findWindow(program.title) && millisecondsBetween(gone, Clock::now()) < 5000.0)
        usleep(1000);
    return ms;
}

std::string join(const std::vector<double>& samples) {
    std::string text;
    for (double s : samples)
        text += format("%s%.0f", text.empty() ? "" : " ", s);
    return text;
}

} // namespace

int main(int argc, char** argv) {
    int runs = 20;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--quick")
            runs = 4;
        else if (arg == "--runs" && i + 1 < argc)
            runs = std::max(1, std::atoi(argv[++i]));
        else
            fail("usage: startup_bench [--quick] [--runs N]");
    }
    g_display = XOpenDisplay(nullptr);
    if (!g_display)
        fail("cannot open the X display");
    XSetErrorHandler(ignoreXError);

    char pattern[] = "/tmp/zem-startup-XXXXXX";
    if (!mkdtemp(pattern))
        fail("mkdtemp failed");
    const std::string dir = pattern;
    for (const auto& entry : fs::directory_iterator(ZEMLAVOR_SHADER_DIR))
        fs::copy_file(entry.path(), fs::path(dir) / entry.path().filename());

    // One untimed launch each: the first one pays for cold file caches.
    const Program* programs[3] = {&kViewer, &kMinimal, &kMinimalIdle};
    std::vector<double> samples[3];
    for (const Program* program : programs)
        launchOnce(*program, dir);
    for (int r = 0; r < runs; ++r)
        for (int i = 0; i < 3; ++i) {
            // Rotate the order, so that no program always follows another.
            const int p = (i + r) % 3;
            samples[p].push_back(launchOnce(*programs[p], dir));
        }
    const std::vector<double>& viewer = samples[0];
    const std::vector<double>& minimal = samples[1];
    const std::vector<double>& minimalIdle = samples[2];
    std::error_code ec;
    fs::remove_all(dir, ec);
    XCloseDisplay(g_display);

    bench::printInfo("start-up samples, zemlavor ms", join(viewer));
    bench::printInfo("start-up samples, minimal_viewer ms", join(minimal));
    bench::printInfo("start-up samples, minimal_viewer --idle ms", join(minimalIdle));
    const double a = median(viewer);
    const double b = median(minimal);
    const double c = median(minimalIdle);
    bench::printRow("start-up to first frame", format("%.0f ms", a),
                    format("%.0f ms minimal_viewer", b), format("%.2f", a / b), "<= 1.20",
                    a / b <= 1.20);
    bench::printNote("start-up, minimal_viewer redrawing when idle", format("%.0f ms", c),
                     format("%.0f ms minimal_viewer", b), format("%.2f", c / b));
    return 0;
}
