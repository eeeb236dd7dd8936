#include "io/SafeFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// A longer chain of links is taken for a loop, as the kernel does.
constexpr int kMaxLinks = 40;

// The path a chain of symbolic links from `path` ends at, and its lstat in
// `st`; whether something is there. Throws the reason as a runtime_error.
bool resolve(std::string& path, struct stat& st) {
    for (int links = 0;; ++links) {
        if (lstat(path.c_str(), &st) != 0) {
            if (errno == ENOENT)
                return false;
            throw std::runtime_error(std::strerror(errno));
        }
        if (!S_ISLNK(st.st_mode))
            return true;
        std::error_code error;
        const fs::path next = fs::read_symlink(path, error);
        if (links == kMaxLinks || error)
            throw std::runtime_error(std::strerror(error ? error.value() : ELOOP));
        // A relative link is relative to the folder that holds it.
        path = (fs::path(path).parent_path() / next).string();
    }
}

} // namespace

void writeFileSafely(const std::string& path, const std::function<void(std::FILE*)>& write) {
    const auto fail = [&](const std::string& reason) {
        throw std::runtime_error(path + ": " + reason);
    };
    std::string target = path;
    struct stat st;
    bool exists = false;
    try {
        exists = resolve(target, st);
    } catch (const std::runtime_error& e) {
        fail(e.what());
    }
    if (exists && S_ISDIR(st.st_mode))
        fail(std::strerror(EISDIR));
    if (exists && !S_ISREG(st.st_mode))
        fail("not a regular file");

    // O_EXCL: never a file someone else made, and never through a link.
    std::string temporary;
    int fd = -1;
    for (int n = 0; fd < 0 && n < 100; ++n) {
        temporary = target + "." + std::to_string(getpid()) + "-" + std::to_string(n) + ".tmp";
        fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0)
        fail(std::strerror(errno));
    if (exists)
        fchmod(fd, st.st_mode & 07777);

    std::string reason;
    std::FILE* file = fdopen(fd, "wb");
    if (!file) {
        reason = std::strerror(errno);
        close(fd);
    } else {
        try {
            write(file);
        } catch (const std::exception& e) {
            reason = e.what();
        }
        if (reason.empty() && (std::fflush(file) != 0 || fsync(fd) != 0))
            reason = std::strerror(errno);
        if (reason.empty() && std::ferror(file))
            reason = "write error";
        if (std::fclose(file) != 0 && reason.empty())
            reason = std::strerror(errno);
    }
    if (reason.empty() && std::rename(temporary.c_str(), target.c_str()) != 0)
        reason = std::strerror(errno);
    if (!reason.empty()) {
        unlink(temporary.c_str());
        fail(reason);
    }
    // The rename itself reaches the disk with its folder.
    const fs::path folder = fs::path(target).parent_path();
    const int folderFd = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (folderFd >= 0) {
        fsync(folderFd);
        close(folderFd);
    }
}
