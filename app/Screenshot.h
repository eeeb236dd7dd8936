#pragma once

#include <string>
#include <vector>

// Pictures of the view as PNG files: --screenshot, the `s` key and the
// panel's button.

// Writes a width x height picture to `path` as an 8-bit RGB PNG. `rgb` holds
// the rows bottom first and tightly packed (3 bytes a pixel, no row padding),
// as glReadPixels gives them with GL_PACK_ALIGNMENT 1. Written by
// writeFileSafely (io/SafeFile.h): through links, never over anything but a
// regular file, complete or not at all. Throws std::runtime_error
// "<path>: <reason>" if it cannot write.
void writePng(const std::string& path, int width, int height,
              const std::vector<unsigned char>& rgb);

// Reads the back buffer at the window's size (glutGet) and writes it with
// writePng.
void writeWindowPng(const std::string& path);

// Asks for the next frame's view to be saved (the `s` key, the panel's
// button): takeRequestedSnapshot writes it to a new
// zemlavor-YYYYMMDD-HHMMSS.png in the start folder (saveFreshFile,
// app/SavedFiles.h), which the window names, or says why it could not.
void requestSnapshot();
// Called by drawScene once the shape is drawn and before any text: saves the
// view if asked to.
void takeRequestedSnapshot();
