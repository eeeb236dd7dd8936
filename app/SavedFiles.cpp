#include "app/SavedFiles.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <stdexcept>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr std::chrono::seconds kNoteTime{5};

std::string startFolder;
SaveNote note;
std::chrono::steady_clock::time_point noteTime;

// Creates the first free name for now and `extension` and returns its path.
std::string claimFreshFile(const std::string& extension) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "zemlavor-%Y%m%d-%H%M%S", localtime_r(&now, &local));
    for (int n = 1;; ++n) {
        const std::string path =
            fromStartFolder(stamp + (n == 1 ? std::string() : "-" + std::to_string(n)) + extension);
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

void setStartFolder(const std::string& folder) {
    startFolder = folder;
}

std::string fromStartFolder(const std::string& path) {
    return startFolder.empty() ? path : (fs::path(startFolder) / path).string();
}

std::string saveFreshFile(const std::string& extension,
                          const std::function<void(const std::string&)>& write,
                          const std::string& done, const std::string& failed) {
    std::string path;
    try {
        path = claimFreshFile(extension);
        write(path);
        note = {done + " " + fs::path(path).filename().string(), false};
    } catch (const std::exception& e) {
        if (!path.empty())
            std::remove(path.c_str());
        path.clear();
        note = {"Cannot " + failed + " to " + e.what(), true};
    }
    noteTime = std::chrono::steady_clock::now();
    return path;
}

void forgetSaveNote() {
    note.text.clear();
}

const SaveNote* recentSaveNote() {
    if (note.text.empty() || std::chrono::steady_clock::now() - noteTime > kNoteTime)
        return nullptr;
    return &note;
}
