#include "app/Screenshot.h"

#include <png.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <unistd.h>

void writePng(const std::string& path, int width, int height,
              const std::vector<unsigned char>& rgb) {
    const auto fail = [&](const std::string& reason) {
        throw std::runtime_error(path + ": " + reason);
    };
    if (width < 1 || height < 1 || rgb.size() != static_cast<size_t>(width) * height * 3)
        fail("no picture to write");

    // Beside the target, so the rename stays within one file system.
    const std::string temporary = path + "." + std::to_string(getpid()) + ".tmp";
    const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    FILE* file = fd < 0 ? nullptr : fdopen(fd, "wb");
    if (!file) {
        const int error = errno;
        if (fd >= 0) {
            close(fd);
            unlink(temporary.c_str());
        }
        fail(std::strerror(error));
    }

    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = PNG_FORMAT_RGB;
    // A negative stride makes libpng start at the last row given: the top.
    const auto stride = -static_cast<png_int_32>(PNG_IMAGE_ROW_STRIDE(image));
    std::string reason;
    if (!png_image_write_to_stdio(&image, file, 0, rgb.data(), stride, nullptr))
        reason = image.message;
    else if (std::fflush(file) != 0 || fsync(fd) != 0)
        reason = std::strerror(errno);
    if (std::fclose(file) != 0 && reason.empty())
        reason = std::strerror(errno);
    if (reason.empty() && std::rename(temporary.c_str(), path.c_str()) != 0)
        reason = std::strerror(errno);
    if (!reason.empty()) {
        unlink(temporary.c_str());
        fail(reason);
    }
}
