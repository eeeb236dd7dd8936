#include "Viewer.h"

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <set>
#include <signal.h>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

void pause(double seconds) {
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

// A window can vanish between a query and the next request (the viewer quit);
// Xlib's default handler would end the test program for that.
int ignoreXErrors(Display*, XErrorEvent*) {
    return 0;
}

Display* display(void* d) {
    return static_cast<Display*>(d);
}

std::string windowName(Display* dpy, Window w) {
    char* name = nullptr;
    std::string result;
    if (XFetchName(dpy, w, &name) && name)
        result = name;
    if (name)
        XFree(name);
    return result;
}

std::set<Window> viewerWindows(Display* dpy) {
    std::set<Window> found;
    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(dpy, DefaultRootWindow(dpy), &root, &parent, &children, &count))
        return found;
    for (unsigned int i = 0; i < count; ++i) {
        XWindowAttributes attributes;
        if (windowName(dpy, children[i]) == "Zemlavor" &&
            XGetWindowAttributes(dpy, children[i], &attributes) &&
            attributes.map_state == IsViewable)
            found.insert(children[i]);
    }
    if (children)
        XFree(children);
    return found;
}

std::string readWhole(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Replaces the calling (forked) process by `argv`; 127 if it cannot.
[[noreturn]] void execOrExit(const std::vector<std::string>& argv) {
    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execvp(args[0], args.data());
    _exit(127);
}

int channelOf(unsigned long pixel, unsigned long mask) {
    if (!mask)
        return 0;
    int shift = 0;
    while (!((mask >> shift) & 1))
        ++shift;
    const unsigned long value = (pixel & mask) >> shift;
    const unsigned long max = mask >> shift;
    return static_cast<int>(value * 255 / max);
}

} // namespace

Image::Pixel Image::at(int x, int y) const {
    const size_t i = 3 * (static_cast<size_t>(y) * width + x);
    return {rgb[i], rgb[i + 1], rgb[i + 2]};
}

bool Image::lit(int x, int y, int threshold) const {
    const Pixel p = at(x, y);
    return p.r > threshold || p.g > threshold || p.b > threshold;
}

int Image::litCount(int threshold) const {
    int count = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            count += lit(x, y, threshold);
    return count;
}

Image::Box Image::litBox(int threshold) const {
    Box box;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            if (!lit(x, y, threshold))
                continue;
            if (box.left < 0) {
                box.left = box.right = x;
                box.top = box.bottom = y;
            }
            box.left = std::min(box.left, x);
            box.right = std::max(box.right, x);
            box.top = std::min(box.top, y);
            box.bottom = std::max(box.bottom, y);
        }
    return box;
}

Image::Pixel Image::meanLit(int threshold) const {
    long r = 0, g = 0, b = 0, n = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (lit(x, y, threshold)) {
                const Pixel p = at(x, y);
                r += p.r;
                g += p.g;
                b += p.b;
                ++n;
            }
    if (n == 0)
        return {0, 0, 0};
    return {static_cast<int>(r / n), static_cast<int>(g / n), static_cast<int>(b / n)};
}

int Image::differingPixels(const Image& other, int tolerance) const {
    if (width != other.width || height != other.height)
        return std::max(width * height, other.width * other.height);
    int count = 0;
    for (size_t i = 0; i < rgb.size(); i += 3)
        for (size_t c = 0; c < 3; ++c)
            if (std::abs(rgb[i + c] - other.rgb[i + c]) > tolerance) {
                ++count;
                break;
            }
    return count;
}

std::string Image::hue() const {
    const Pixel p = meanLit();
    const int top = std::max({p.r, p.g, p.b});
    if (top == 0)
        return "none";
    if (top - std::min({p.r, p.g, p.b}) < 20)
        return "white";
    if (top == p.r)
        return "red";
    return top == p.g ? "green" : "blue";
}
std::string viewerBinary() {
    return ZEMLAVOR_BINARY;
}
std::string shippedShaderFolder() {
    return ZEMLAVOR_SHADER_DIR;
}

Viewer::Viewer() : m_workdir(m_root.file("work")), m_binary(viewerBinary()) {
    fs::create_directory(m_workdir);
    for (const auto& entry : fs::directory_iterator(shippedShaderFolder()))
        fs::copy_file(entry.path(), fs::path(m_workdir) / entry.path().filename());
    XSetErrorHandler(ignoreXErrors);
    // A busy server can refuse a connection for a moment; try for a while.
    const auto start = Clock::now();
    while (!(m_display = XOpenDisplay(nullptr)) && secondsSince(start) < 10.0)
        pause(0.1);
    if (!m_display)
        throw std::runtime_error("cannot open the X display; is DISPLAY set?");
}

Viewer::~Viewer() {
    if (m_pid > 0 && !m_exited) {
        kill(m_pid, SIGKILL);
        int status = 0;
        waitpid(m_pid, &status, 0);
    }
    if (m_display)
        XCloseDisplay(display(m_display));
    // A mode-000 file or folder left by a test must not stop the clean-up.
    std::error_code ec;
    for (const auto& entry : fs::recursive_directory_iterator(
             m_root.path(), fs::directory_options::skip_permission_denied, ec))
        fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, ec);
}

void Viewer::writeFile(const std::string& name, const std::string& bytes) const {
    std::ofstream out(file(name), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + file(name));
}

void Viewer::removeFile(const std::string& name) const {
    fs::remove_all(file(name));
}

void Viewer::start(const std::vector<std::string>& env, const std::vector<std::string>& prefix) {
    const std::set<Window> others = viewerWindows(display(m_display));
    m_foreignWindows.assign(others.begin(), others.end());
    const std::string outPath = m_root.file("stdout");
    const std::string errPath = m_root.file("stderr");
    m_pid = fork();
    if (m_pid < 0)
        throw std::runtime_error("fork failed");
    if (m_pid == 0) {
        if (chdir(m_workdir.c_str()) != 0)
            _exit(126);
        const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int null = open("/dev/null", O_RDONLY);
        dup2(null, STDIN_FILENO);
        dup2(out, STDOUT_FILENO);
        dup2(err, STDERR_FILENO);
        for (const std::string& e : env)
            putenv(const_cast<char*>(e.c_str()));
        std::vector<std::string> argv = prefix;
        argv.push_back(m_binary);
        execOrExit(argv);
    }
    m_exited = false;
    m_window = 0;
}

void Viewer::startAsUser() {
    if (geteuid() != 0) {
        start();
        return;
    }
    // mkdtemp makes the folder private to root; nobody must reach the files,
    // and the binary too, wherever the build folder is.
    fs::permissions(m_root.path(), fs::perms(0755));
    fs::permissions(m_workdir, fs::perms(0755));
    m_binary = m_root.file("zemlavor");
    fs::copy_file(viewerBinary(), m_binary, fs::copy_options::overwrite_existing);
    fs::permissions(m_binary, fs::perms(0755));
    start({}, {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"});
}

bool Viewer::waitForWindow(double seconds) {
    Display* dpy = display(m_display);
    const auto start = Clock::now();
    while (!m_window && secondsSince(start) < seconds) {
        if (!running())
            return false;
        std::set<Window> windows = viewerWindows(dpy);
        // freeglut does not tell its process id; the window that was not
        // there before the start is this viewer's.
        for (unsigned long w : m_foreignWindows)
            windows.erase(w);
        if (windows.size() == 1) {
            m_window = *windows.begin();
            // With no window manager the window may hang a pixel off the
            // screen's edge, and the server cannot read back what is off
            // screen; put it at the origin so all of it can be captured.
            XMoveWindow(dpy, m_window, 0, 0);
            XSync(dpy, False);
        } else {
            pause(0.02);
        }
    }
    if (!m_window)
        return false;
    // The window is mapped before the first metric is built; the first frame
    // comes after it, so a drawn picture means start-up is over.
    const double left = seconds - secondsSince(start);
    return waitFor([](const Image& i) { return i.litCount() > 0; }, left).litCount() > 0;
}

std::string Viewer::title() {
    return windowName(display(m_display), m_window);
}

std::pair<int, int> Viewer::windowSize() {
    XWindowAttributes a;
    if (!XGetWindowAttributes(display(m_display), m_window, &a))
        return {-1, -1};
    return {a.width, a.height};
}

void Viewer::key(const std::string& keysym) {
    keys({keysym});
}

// Keys go straight to the window as synthetic events, the way a window
// manager or xdotool's --window does; freeglut takes them like typed ones.
void Viewer::keys(const std::vector<std::string>& keysyms) {
    Display* dpy = display(m_display);
    for (const std::string& name : keysyms) {
        const KeySym sym = XStringToKeysym(name.c_str());
        if (sym == NoSymbol)
            throw std::invalid_argument("no such key: " + name);
        XKeyEvent event{};
        event.display = dpy;
        event.window = m_window;
        event.root = DefaultRootWindow(dpy);
        event.time = CurrentTime;
        event.same_screen = True;
        event.keycode = XKeysymToKeycode(dpy, sym);
        // An upper-case letter is the shifted level of its key.
        if (XkbKeycodeToKeysym(dpy, static_cast<KeyCode>(event.keycode), 0, 0) != sym)
            event.state = ShiftMask;
        for (int type : {KeyPress, KeyRelease}) {
            event.type = type;
            XSendEvent(dpy, m_window, True, type == KeyPress ? KeyPressMask : KeyReleaseMask,
                       reinterpret_cast<XEvent*>(&event));
        }
    }
    XSync(dpy, False);
}

void Viewer::mouseMove(int x, int y) {
    Display* dpy = display(m_display);
    int rootX = x, rootY = y;
    Window child = 0;
    XTranslateCoordinates(dpy, m_window, DefaultRootWindow(dpy), x, y, &rootX, &rootY, &child);
    XTestFakeMotionEvent(dpy, DefaultScreen(dpy), rootX, rootY, CurrentTime);
    XSync(dpy, False);
}

void Viewer::mouseDown(int button) {
    XTestFakeButtonEvent(display(m_display), static_cast<unsigned>(button), True, CurrentTime);
    XSync(display(m_display), False);
}

void Viewer::mouseUp(int button) {
    XTestFakeButtonEvent(display(m_display), static_cast<unsigned>(button), False, CurrentTime);
    XSync(display(m_display), False);
}

void Viewer::drag(int button, int x0, int y0, int x1, int y1, int steps) {
    mouseMove(x0, y0);
    mouseDown(button);
    for (int i = 1; i <= steps; ++i)
        mouseMove(x0 + (x1 - x0) * i / steps, y0 + (y1 - y0) * i / steps);
    mouseUp(button);
}

void Viewer::resize(int width, int height) {
    Display* dpy = display(m_display);
    XResizeWindow(dpy, m_window, static_cast<unsigned>(width), static_cast<unsigned>(height));
    XSync(dpy, False);
    const auto start = Clock::now();
    while (secondsSince(start) < 5.0) {
        XWindowAttributes a;
        if (XGetWindowAttributes(dpy, m_window, &a) && a.width == width && a.height == height)
            return;
        pause(0.02);
    }
}

Image Viewer::capture() {
    Display* dpy = display(m_display);
    Image image;
    XWindowAttributes a;
    if (!XGetWindowAttributes(dpy, m_window, &a))
        return image;
    XImage* x = XGetImage(dpy, m_window, 0, 0, static_cast<unsigned>(a.width),
                          static_cast<unsigned>(a.height), AllPlanes, ZPixmap);
    if (!x)
        return image;
    image.width = a.width;
    image.height = a.height;
    image.rgb.resize(static_cast<size_t>(a.width) * a.height * 3);
    size_t i = 0;
    for (int y = 0; y < a.height; ++y)
        for (int xx = 0; xx < a.width; ++xx) {
            const unsigned long p = XGetPixel(x, xx, y);
            image.rgb[i++] = static_cast<unsigned char>(channelOf(p, x->red_mask));
            image.rgb[i++] = static_cast<unsigned char>(channelOf(p, x->green_mask));
            image.rgb[i++] = static_cast<unsigned char>(channelOf(p, x->blue_mask));
        }
    XDestroyImage(x);
    return image;
}

Image Viewer::waitFor(const std::function<bool(const Image&)>& done, double seconds) {
    const auto start = Clock::now();
    Image image = capture();
    while (!done(image) && secondsSince(start) < seconds) {
        pause(0.03);
        image = capture();
    }
    return image;
}

Image Viewer::settle(double seconds) {
    const auto start = Clock::now();
    Image previous = capture();
    while (secondsSince(start) < seconds) {
        pause(0.1);
        Image next = capture();
        if (next.width > 0 && next.differingPixels(previous, 0) == 0)
            return next;
        previous = next;
    }
    return previous;
}

void Viewer::reap(int status) {
    m_exited = true;
    if (WIFEXITED(status)) {
        m_status = WEXITSTATUS(status);
        m_signal = 0;
    } else {
        m_status = -1;
        m_signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    }
}

bool Viewer::running() {
    if (m_pid <= 0 || m_exited)
        return false;
    int status = 0;
    if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
        reap(status);
        return false;
    }
    return true;
}

int Viewer::waitExit(double seconds) {
    const auto start = Clock::now();
    while (running() && secondsSince(start) < seconds)
        pause(0.01);
    return m_exited ? m_status : -1;
}

std::string Viewer::out() const {
    return readWhole(m_root.file("stdout"));
}

std::string Viewer::err() const {
    return readWhole(m_root.file("stderr"));
}

size_t Viewer::switches() const {
    const std::string text = err();
    const std::string dump = "Using shader dumped below:\n";
    size_t n = 0;
    for (size_t at = text.find(dump); at != std::string::npos; at = text.find(dump, at + 1))
        ++n;
    return n;
}

bool Viewer::waitForErr(const std::string& text, double seconds) const {
    const auto start = Clock::now();
    while (secondsSince(start) < seconds) {
        if (err().find(text) != std::string::npos)
            return true;
        pause(0.02);
    }
    return err().find(text) != std::string::npos;
}

long Viewer::rssKiB() const {
    std::ifstream status("/proc/" + std::to_string(m_pid) + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0)
            return std::atol(line.c_str() + 6);
    return -1;
}
