#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

// What the command line asks for. The defaults are the viewer as it starts
// with no options.
struct Options {
    // Index of the start metric, as changeMetric takes it.
    int metric = 0;
    // The vertex shader of the user's own metric (metric kCustomMetric);
    // empty for none.
    std::string metricFile;
    // Uniform values, "NAME=VALUE" or "NAME=X,Y,Z", in the order given.
    std::vector<std::string> settings;
    // 0 sphere, 1 teapot; ignored when meshFile is set.
    int prim = 0;
    // A mesh file to show instead of a built-in shape; empty for none.
    std::string meshFile;
    bool solid = false;
    // Window size in pixels: --size, else the size in GLUT's -geometry.
    int width = 400;
    int height = 400;
    // The eye's distance from the centre; 0 keeps the camera's own.
    float distance = 0.0f;
    // Folder to read the shader files and riemann.mat from; empty for the
    // working directory.
    std::string dir;
    // PNG file to write one frame to before exiting; empty for none.
    std::string screenshot;
    // Mesh file (.obj, .ply or .stl) to write the deformed shape to before
    // exiting; empty for none.
    std::string exportFile;
    // Rebuild the metric when its files change on disk.
    bool watch = true;
    // The Minkowski exponent: 0.5 to 64, or infinity.
    float p = 3.0f;
    // The sphere's slices and stacks.
    int detail = 50;
    // Samples per pixel for anti-aliasing; 0 for none.
    int samples = 4;
    // The program's name, then GLUT's X options with their values, in their
    // order: what glutInit is to take.
    std::vector<std::string> glutArgs;
    // The longest edge a mesh keeps, as a fraction of its fitted radius; 0
    // keeps the file's triangles.
    float refine = 1.0f / 16;
};

// Exit status for a bad option or value.
constexpr int kUsageStatus = 64;

// Parses the whole command line before glutInit, so that it needs no display:
// sets GLUT's X options (-display NAME, -geometry WxH+X+Y, -direct,
// -indirect, -iconic, -gldebug, -sync, wherever they are) aside in glutArgs
// and reads the rest. Returns nothing when the viewer should go on with
// `options`, or the status to exit with: 0 after --help or --version (printed
// to `out`), kUsageStatus after a bad option or value (one line naming it and
// a pointer to --help on `err`).
// With --dir, meshFile, screenshot and exportFile come back absolute, so they
// keep their meaning after the caller changes into the folder.
std::optional<int> parseOptions(int argc, char** argv, Options& options, std::ostream& out,
                                std::ostream& err);
