#include "io/FileWatcher.h"

#include <sys/stat.h>

FileStamp FileStamp::of(const std::string& path) {
    struct stat st;
    FileStamp stamp;
    if (stat(path.c_str(), &st) != 0)
        return stamp;
    stamp.exists = true;
    stamp.mtimeNs = static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec;
    stamp.size = static_cast<long long>(st.st_size);
    stamp.inode = static_cast<unsigned long long>(st.st_ino);
    return stamp;
}

bool FileStamp::operator==(const FileStamp& other) const {
    return exists == other.exists && mtimeNs == other.mtimeNs && size == other.size &&
           inode == other.inode;
}

FileWatcher::FileWatcher(Clock::duration period, Clock::duration settle)
    : m_period(period), m_settle(settle) {}

void FileWatcher::watch(std::vector<std::string> paths) {
    m_paths = std::move(paths);
    m_stamps.resize(m_paths.size());
    for (size_t i = 0; i < m_paths.size(); ++i)
        m_stamps[i] = FileStamp::of(m_paths[i]);
    m_pending = false;
}

bool FileWatcher::poll(Clock::time_point now) {
    if (m_compared && now - m_lastCompare < m_period)
        return false;
    m_compared = true;
    m_lastCompare = now;
    bool changed = false;
    for (size_t i = 0; i < m_paths.size(); ++i) {
        const FileStamp stamp = FileStamp::of(m_paths[i]);
        if (stamp != m_stamps[i]) {
            m_stamps[i] = stamp;
            changed = true;
        }
    }
    if (changed) {
        m_pending = true;
        m_lastChange = now;
        return false;
    }
    if (!m_pending || now - m_lastChange < m_settle)
        return false;
    m_pending = false;
    return true;
}
