#include "app/Screenshot.h"

#include "app/Shell.h"
#include "io/SafeFile.h"

#include <GL/glew.h>
#include <GL/glut.h>
#include <png.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <stdexcept>
#include <unistd.h>

void writePng(const std::string& path, int width, int height,
              const std::vector<unsigned char>& rgb) {
    if (width < 1 || height < 1 || rgb.size() != static_cast<size_t>(width) * height * 3)
        throw std::runtime_error(path + ": no picture to write");
    writeFileSafely(path, [&](std::FILE* file) {
        png_image image{};
        image.version = PNG_IMAGE_VERSION;
        image.width = static_cast<png_uint_32>(width);
        image.height = static_cast<png_uint_32>(height);
        image.format = PNG_FORMAT_RGB;
        // A negative stride makes libpng start at the last row given: the top.
        const auto stride = -static_cast<png_int_32>(PNG_IMAGE_ROW_STRIDE(image));
        if (!png_image_write_to_stdio(&image, file, 0, rgb.data(), stride, nullptr))
            throw std::runtime_error(image.message);
    });
}

void writeWindowPng(const std::string& path) {
    const int width = glutGet(GLUT_WINDOW_WIDTH);
    const int height = glutGet(GLUT_WINDOW_HEIGHT);
    std::vector<unsigned char> rgb(static_cast<size_t>(std::max(width, 0)) * std::max(height, 0) *
                                   3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    writePng(path, width, height, rgb);
}

namespace {

bool snapshotAsked = false;

// Makes an empty file under the first free snapshot name for `now` and
// returns its path: creating it is what claims the name, so a file that
// appears meanwhile is never taken for ours.
std::string claimSnapshotName(std::time_t now) {
    std::tm local{};
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "zemlavor-%Y%m%d-%H%M%S", localtime_r(&now, &local));
    for (int n = 1;; ++n) {
        const std::string path =
            startFolder + stamp + (n > 1 ? "-" + std::to_string(n) : "") + ".png";
        const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            close(fd);
            return path;
        }
        if (errno != EEXIST)
            throw std::runtime_error(path + ": " + std::strerror(errno));
    }
}

} // namespace

SnapshotNotice lastSnapshot;

void requestSnapshot() {
    snapshotAsked = true;
}

void takeRequestedSnapshot() {
    if (!snapshotAsked)
        return;
    snapshotAsked = false;
    std::string path;
    try {
        path = claimSnapshotName(std::time(nullptr));
        writeWindowPng(path);
        lastSnapshot.text = "Saved " + path.substr(startFolder.size());
    } catch (const std::exception& e) {
        if (!path.empty())
            unlink(path.c_str());
        lastSnapshot.text = std::string("Cannot save the view: ") + e.what();
    }
    lastSnapshot.shownUntil = std::chrono::steady_clock::now() + std::chrono::seconds(5);
}

const std::string& snapshotNotice() {
    static const std::string none;
    return std::chrono::steady_clock::now() < lastSnapshot.shownUntil ? lastSnapshot.text : none;
}
