// Writing a file safely: through links to what they name, never over
// anything but a regular file, and all or nothing.
#include "io/SafeFile.h"

#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <stdexcept>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

// Each case lays out a folder, one word an entry: "NAME" a file holding
// "old" with mode 0640, "NAME>TARGET" a relative symbolic link, "NAME/" a
// folder, "NAME|" a FIFO. It then writes "new" to "at" ("boom": the writer
// fails halfway) and wants the error's reason, or `written` to hold "new"
// (with the old file's mode if there was one); every other file holds "old",
// every entry is left as it was, and nothing else.
TEST(SafeFile, FollowsLinksRefusesOtherFilesAndLeavesNothingHalfDone) {
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"", "", "at"},
        {"real at>real", "", "real"},
        {"real b>real at>b", "", "real"},
        {"at>fresh", "", "fresh"},
        {"at/", "Is a directory", nullptr},
        {"at|", "not a regular file", nullptr},
        {"at>at", "Too many levels of symbolic links", nullptr},
        {"at", "boom", nullptr},
    };
    for (const auto& [layout, reason, written] : cases) {
        SCOPED_TRACE(layout);
        TempDir dir;
        std::istringstream words(layout);
        for (std::string word; words >> word;) {
            const std::string name = word.substr(0, word.find_first_of(">/|"));
            const char kind = name.size() < word.size() ? word[name.size()] : 'f';
            if (kind == '>')
                fs::create_symlink(word.substr(name.size() + 1), dir.file(name));
            else if (kind == '/' || kind == '|')
                kind == '/' ? fs::create_directory(dir.file(name))
                            : mkfifo(dir.file(name).c_str(), 0600);
            else
                fs::permissions(dir.write(name, "old"), fs::perms(0640));
        }
        const auto listing = [&] {
            std::map<std::string, fs::file_type> entries;
            for (const auto& entry : fs::directory_iterator(dir.path()))
                entries[entry.path().filename()] = entry.symlink_status().type();
            return entries;
        };
        std::map<std::string, fs::file_type> want = listing();
        std::string message = dir.file("at") + ": ";
        try {
            writeFileSafely(dir.file("at"), [&](std::FILE* file) {
                std::fputs("new", file);
                if (std::string(reason) == "boom")
                    throw std::runtime_error("boom");
            });
        } catch (const std::runtime_error& e) {
            message = e.what();
        }
        EXPECT_EQ(message, dir.file("at") + ": " + reason);
        if (written) {
            EXPECT_TRUE(!want.count(written) ||
                        fs::status(dir.file(written)).permissions() == fs::perms(0640));
            want[written] = fs::file_type::regular;
        }
        for (const auto& [name, type] : want)
            if (type == fs::file_type::regular) {
                std::ifstream in(dir.file(name));
                EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}),
                          written && name == written ? "new" : "old");
            }
        EXPECT_EQ(listing(), want);
    }
}

} // namespace
