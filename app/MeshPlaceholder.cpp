#include "app/Shell.h"

#include <stdexcept>

// Stands in until mesh files can be read: every file is refused.
void loadMesh(const std::string& path) {
    throw std::runtime_error(path + ": mesh files are not supported in this build");
}
