#pragma once

#include <chrono>
#include <string>
#include <vector>

// What stat(2) says of a path, enough to tell one save from another: the
// modification time to the nanosecond, the size and the inode (a file
// renamed over the old one is a new inode). A missing or unreadable path is
// a stamp of its own, so both its loss and its return are changes.
struct FileStamp {
    bool exists = false;
    long long mtimeNs = 0;
    long long size = 0;
    unsigned long long inode = 0;

    static FileStamp of(const std::string& path);
    bool operator==(const FileStamp& other) const;
    bool operator!=(const FileStamp& other) const { return !(*this == other); }
};

// Watches a few files by polling their stamps, and says when they have
// changed and then stayed unchanged for a while, so that a burst of writes
// (an editor truncating, writing, renaming) is reported once. Time is passed
// in, never read, so the caller chooses the clock. Opens no file descriptor.
class FileWatcher {
public:
    using Clock = std::chrono::steady_clock;

    // Stamps are compared at most once per `period`; a change is reported
    // once no new one has been seen for `settle`.
    explicit FileWatcher(Clock::duration period = std::chrono::milliseconds(100),
                         Clock::duration settle = std::chrono::milliseconds(100));

    // Watches `paths` from now on instead of any before, and forgets a change
    // not yet reported. Takes the stamps now: call it before building from
    // the files, so that a save made during the build is still seen.
    void watch(std::vector<std::string> paths);

    // True once per settled burst of changes: at the first poll that finds
    // no new change at least `settle` after the last one seen. Polls less
    // than `period` after the last comparison compare nothing.
    bool poll(Clock::time_point now);

private:
    Clock::duration m_period;
    Clock::duration m_settle;
    std::vector<std::string> m_paths;
    std::vector<FileStamp> m_stamps;
    Clock::time_point m_lastCompare;
    Clock::time_point m_lastChange;
    bool m_compared = false;
    bool m_pending = false;
};
