#pragma once

#include <iosfwd>
#include <optional>
#include <string>

// What the command line asks for. The defaults are the viewer as it starts
// with no options.
struct Options {
    // Index of the start metric, as changeMetric takes it.
    int metric = 0;
    // 0 sphere, 1 teapot; ignored when meshFile is set.
    int prim = 0;
    // A mesh file to show instead of a built-in shape; empty for none.
    std::string meshFile;
    bool solid = false;
    // Window size in pixels.
    int width = 400;
    int height = 400;
    // The eye's distance from the centre; 0 keeps the camera's own.
    float distance = 0.0f;
    // Folder to read the shader files and riemann.mat from; empty for the
    // working directory.
    std::string dir;
    // PNG file to write one frame to before exiting; empty for none.
    std::string screenshot;
    // Rebuild the metric when its files change on disk.
    bool watch = true;
    // The Minkowski exponent: 0.5 to 64, or infinity.
    float p = 3.0f;
    // The longest edge a mesh keeps, as a fraction of its fitted radius; 0
    // keeps the file's triangles.
    float refine = 1.0f / 16;
};

// Exit status for a bad option or value.
constexpr int kUsageStatus = 64;

// Parses the options left after glutInit has taken the X ones. Returns
// nothing when the viewer should go on with `options`, or the status to exit
// with: 0 after --help or --version (printed to `out`), kUsageStatus after a
// bad option or value (one line naming it and a pointer to --help on `err`).
// With --dir, meshFile and screenshot come back absolute, so they keep their
// meaning after the caller changes into the folder.
std::optional<int> parseOptions(int argc, char** argv, Options& options, std::ostream& out,
                                std::ostream& err);
