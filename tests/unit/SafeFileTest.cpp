// Writing a file safely: through links to what they name, never over
// anything but a regular file, and all or nothing.
#include "io/SafeFile.h"

#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

// Each entry of a folder: its permission bits, then a file's bytes.
std::map<std::string, std::string> entries(const std::string& folder) {
    std::map<std::string, std::string> found;
    for (const auto& entry : fs::directory_iterator(folder))
        found[entry.path().filename()] =
            std::to_string(int(entry.symlink_status().permissions())) +
            (entry.is_symlink() || !entry.is_regular_file() ? "" : slurp(entry.path()));
    return found;
}

// Each case lays out a folder with a shell command, then writes "new" to
// "at" ("boom": the writer fails halfway). It wants the error's reason, or
// `written` to hold "new" (with the old file's mode if there was one), and
// every other entry as it was.
TEST(SafeFile, FollowsLinksRefusesOtherFilesAndLeavesNothingHalfDone) {
    umask(022);
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"printf old >real; chmod 640 real; ln -s real b; ln -s b at", "", "real"},
        {"ln -s fresh at", "", "fresh"},
        {"mkdir at", "Is a directory", nullptr},
        {"mkfifo at", "not a regular file", nullptr},
        {"ln -s at at", "Too many levels of symbolic links", nullptr},
        {"printf old >at", "boom", nullptr},
    };
    for (const auto& [layout, reason, written] : cases) {
        SCOPED_TRACE(layout);
        TempDir dir;
        ASSERT_EQ(std::system(("cd " + dir.path() + "; " + layout).c_str()), 0);
        std::map<std::string, std::string> want = entries(dir.path());
        if (written)
            want[written] = std::to_string(want.count(written) ? 0640 : 0644) + "new";
        std::string message = dir.file("at") + ": ";
        try {
            writeFileSafely(dir.file("at"), [&](std::FILE* file) {
                std::fputs("new", file);
                if (reason == std::string("boom"))
                    throw std::runtime_error(reason);
            });
        } catch (const std::runtime_error& e) {
            message = e.what();
        }
        EXPECT_EQ(message, dir.file("at") + ": " + reason);
        EXPECT_EQ(entries(dir.path()), want);
    }
}

} // namespace
