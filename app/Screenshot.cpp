#include "app/Screenshot.h"

#include "io/SafeFile.h"

#include <png.h>

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
