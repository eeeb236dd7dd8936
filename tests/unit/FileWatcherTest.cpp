// The file watcher on a real file, with time passed in: which edits count as
// changes, and that a burst of them is reported once, after it settles.
#include "io/FileWatcher.h"

#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>

namespace {

using namespace std::chrono_literals;

void setMtime(const std::string& path, long long ns) {
    const timespec times[2] = {{0, UTIME_OMIT}, {ns / 1000000000, ns % 1000000000}};
    utimensat(AT_FDCWD, path.c_str(), times, 0);
}

// A poll every 50 ms; the watcher compares at most every 100 ms and reports
// after 100 ms without change. Before poll t, edits[t] changes one part of
// the stamp: w writes the file one byte longer with the same mtime (or anew
// after r removed it), m moves the mtime 1 ns on, i renames a copy with the
// same size and mtime over it; k watches the file again. reported[t] is '!'
// where poll t reports.
TEST(FileWatcherTest, ReportsEachSettledBurstOnce) {
    const std::string edits = "..ww....m...i...r.....w...wk....";
    const std::string reported = "......!...!...!...!.....!.......";
    TempDir dir;
    std::string text = "x";
    const std::string file = dir.write("f", text);
    FileWatcher watcher;
    watcher.watch({file});
    for (size_t t = 0; t < edits.size(); ++t) {
        const long long mtime = FileStamp::of(file).mtimeNs;
        if (edits[t] == 'w')
            setMtime(dir.write("f", text += 'x'), mtime);
        if (edits[t] == 'm')
            setMtime(file, mtime + 1);
        if (edits[t] == 'i') {
            setMtime(dir.write("copy", text), mtime);
            std::rename(dir.file("copy").c_str(), file.c_str());
        }
        if (edits[t] == 'r')
            std::remove(file.c_str());
        if (edits[t] == 'k')
            watcher.watch({file});
        EXPECT_EQ(watcher.poll(FileWatcher::Clock::time_point() + t * 50ms), reported[t] == '!')
            << "poll " << t << " after '" << edits[t] << "'";
    }
}

} // namespace
