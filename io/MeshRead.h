#pragma once

#include "io/MeshFile.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <sys/types.h>

// One read of a mesh file in a child process, so that a reader that crashes,
// hangs or runs out of memory costs a failed read and nothing else. The
// child (a fork: no exec, no GL or X touched, its standard output and error
// on /dev/null) reads the file as readMeshFile describes, runs `shaping` on
// the arrays, sends them through a pipe and leaves with _exit. The caller
// either waits (wait()) or takes in what has arrived from its frame loop
// (poll()), which never blocks. The arrays are checked (meshProblem) before
// they are handed out. Destroying a read still running kills the child.
class MeshRead {
public:
    using Clock = std::chrono::steady_clock;
    // Work on the arrays in the child once they are read and found sound:
    // returns a line for the user (empty for none). What it throws is a
    // failed read, its what() the reason.
    using Shaping = std::function<std::string(MeshData&)>;

    // How long a read may take before the child is killed.
    static constexpr std::chrono::seconds kDeadline{30};
    // The address space the child may add to what it had at the fork.
    static constexpr std::uint64_t kMemoryLimit = std::uint64_t{4} << 30;

    // Starts the child. Throws std::runtime_error("<path>: cannot start the
    // mesh reader (...)") if no pipe or process can be made.
    explicit MeshRead(const std::string& path, Shaping shaping = {},
                      Clock::duration deadline = kDeadline);
    ~MeshRead();
    MeshRead(const MeshRead&) = delete;
    MeshRead& operator=(const MeshRead&) = delete;

    // Takes in whatever the child has sent, without blocking; kills it once
    // the deadline has passed. Returns whether the read is over.
    bool poll();
    // Blocks until the read is over.
    void wait();
    // Waits for the end of the read, then hands out the arrays. Throws std::runtime_error("<path>:
    // <reason>"), one line, for a failed read: readMeshFile's reasons, or
    // "the mesh reader crashed (<signal, e.g. segmentation fault>)", "the
    // mesh reader ran out of memory (over 4 GiB)", "the mesh reader took more
    // than 30 s and was stopped".
    MeshData take();
    // The line `shaping` returned, once the read is over; empty for none.
    const std::string& note() const { return m_note; }
    const std::string& path() const { return m_path; }

private:
    // Reads what the pipe holds; false when the child has closed it.
    bool drain();
    // Reaps the child (after killing it when `kill`) and records how it left.
    void reap(bool kill);
    // The array or text the next bytes go to, and where in it; null when
    // everything announced has arrived.
    char* target(std::size_t& room);

    std::string m_path;
    Clock::time_point m_deadline;
    Clock::duration m_allowed;
    pid_t m_child = -1;
    int m_pipe = -1;
    bool m_closed = false; // the child has closed its end of the pipe
    bool m_over = false;
    std::string m_failure; // the reason of a failed read
    std::string m_note;
    // What has arrived: the header (a kind and five byte counts), then the
    // arrays and the text it announces.
    std::uint64_t m_header[6] = {};
    std::size_t m_received = 0;
    MeshData m_mesh;
    std::string m_text;
};
