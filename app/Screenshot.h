#pragma once

#include <string>
#include <vector>

// Writes a width x height picture to `path` as an 8-bit RGB PNG. `rgb` holds
// the rows bottom first and tightly packed (3 bytes a pixel, no row padding),
// as glReadPixels gives them with GL_PACK_ALIGNMENT 1. Written by
// writeFileSafely (io/SafeFile.h): through links, never over anything but a
// regular file, complete or not at all. Throws std::runtime_error
// "<path>: <reason>" if it cannot write.
void writePng(const std::string& path, int width, int height,
              const std::vector<unsigned char>& rgb);
