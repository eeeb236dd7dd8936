#include "app/Screenshot.h"

#include "app/SavedFiles.h"
#include "io/SafeFile.h"

#include <GL/glew.h>
#include <GL/glut.h>
#include <png.h>

#include <algorithm>
#include <stdexcept>

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

} // namespace

void requestSnapshot() {
    snapshotAsked = true;
}

void takeRequestedSnapshot() {
    if (!snapshotAsked)
        return;
    snapshotAsked = false;
    saveFreshFile(".png", writeWindowPng, "Saved", "save the view");
}
