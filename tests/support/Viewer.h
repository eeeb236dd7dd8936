#pragma once

#include "TempDir.h"

#include <sys/types.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

// What a window shows, read back from the X server: RGB bytes, top row first.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;

    struct Pixel {
        int r, g, b;
    };
    Pixel at(int x, int y) const;
    // Brighter than the black background in any channel.
    bool lit(int x, int y, int threshold = 24) const;
    int litCount(int threshold = 24) const;
    // Bounding box of the lit pixels; all -1 when nothing is lit.
    struct Box {
        int left = -1, top = -1, right = -1, bottom = -1;
        int width() const { return left < 0 ? 0 : right - left + 1; }
        int height() const { return top < 0 ? 0 : bottom - top + 1; }
    };
    Box litBox(int threshold = 24) const;
    // Mean colour of the lit pixels (0 when nothing is lit).
    Pixel meanLit(int threshold = 24) const;
    // Number of pixels whose colour differs by more than `tolerance` in some
    // channel; images of different sizes differ everywhere.
    int differingPixels(const Image& other, int tolerance = 8) const;
    // Which colour the lit pixels have on the whole: "red", "green", "blue",
    // "white" (channels within 20 of each other) or "none". Each metric
    // paints in its own colour (Euclidean orange, city-block green,
    // Riemannian blue); with no program bound the shape is white.
    std::string hue() const;
};

// The real zemlavor binary, run like a user runs it: in a scratch working
// directory that holds copies of the shipped shaders and riemann.mat, on the
// X display of $DISPLAY, with standard output and error captured. Keys are
// sent to its window as X events; pointer events go through XTEST as if from
// the real pointer, so they land wherever the window is on screen. The process is killed if still
// running when the object goes.
class Viewer {
public:
    // Lays out the working directory; starts nothing yet.
    Viewer();
    ~Viewer();
    Viewer(const Viewer&) = delete;
    Viewer& operator=(const Viewer&) = delete;

    // A file of the working directory the program runs in; change them freely.
    std::string file(const std::string& name) const { return m_workdir + "/" + name; }
    void writeFile(const std::string& name, const std::string& bytes) const;
    void removeFile(const std::string& name) const;

    // Starts the binary. `env` entries ("NAME=value") are added to the
    // environment; `prefix` runs it under another program (e.g. setpriv).
    void start(const std::vector<std::string>& env = {},
               const std::vector<std::string>& prefix = {});
    // Starts the binary as an unprivileged user (nobody) when the tests run as
    // root, so that a file of mode 000 is as unreadable to it as to a user.
    void startAsUser();
    // Waits until the window is mapped and has drawn its first picture, which
    // comes after the first metric is built; false on timeout or when the
    // process ended first.
    bool waitForWindow(double seconds = 10.0);
    std::string title();
    // Inner size of the window in pixels.
    std::pair<int, int> windowSize();

    // Sends one key by its X keysym name ("e", "Escape", "Up", "E").
    void key(const std::string& keysym);
    // Sends several keys in order, as fast as the server takes them.
    void keys(const std::vector<std::string>& keysyms);
    // Pointer at window coordinates (pixels from the top-left corner).
    void mouseMove(int x, int y);
    // X button numbers: 1 left, 2 middle, 3 right.
    void mouseDown(int button);
    void mouseUp(int button);
    // Presses `button` at (x0, y0), moves to (x1, y1) in `steps` steps and
    // releases it there.
    void drag(int button, int x0, int y0, int x1, int y1, int steps = 10);
    // Resizes the window (and waits for the server to take it).
    void resize(int width, int height);

    // The window's current picture.
    Image capture();
    // Captures until `done` holds or `seconds` pass; returns the last capture.
    Image waitFor(const std::function<bool(const Image&)>& done, double seconds = 5.0);
    // Waits for the picture to stop changing (two equal captures in a row).
    Image settle(double seconds = 3.0);

    // True while the process has not ended.
    bool running();
    // Waits for the process to end; its exit status, or -1 on timeout or when
    // it died by a signal (signal() tells which).
    int waitExit(double seconds = 5.0);
    int signal() const { return m_signal; }
    // Everything the process wrote so far.
    std::string out() const;
    std::string err() const;
    // How many metric switches the viewer has reported (program dumps).
    size_t switches() const;
    // Waits until standard error contains `text`.
    bool waitForErr(const std::string& text, double seconds = 5.0) const;
    // Resident memory of the running process in KiB, or -1.
    long rssKiB() const;

private:
    void reap(int status);

    TempDir m_root;
    std::string m_workdir;
    std::string m_binary;
    pid_t m_pid = -1;
    bool m_exited = false;
    int m_status = -1;
    int m_signal = 0;
    unsigned long m_window = 0;
    // Viewer windows already on the display when this one started: never ours.
    std::vector<unsigned long> m_foreignWindows;
    void* m_display = nullptr;
};

// Path of the zemlavor binary under test and of the shipped shader folder.
std::string viewerBinary();
std::string shippedShaderFolder();
