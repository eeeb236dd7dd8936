#include "io/MeshRead.h"

#include "io/MeshImport.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <malloc.h>
#include <new>
#include <poll.h>
#include <signal.h>
#include <stdexcept>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// The header's first word: the arrays follow, or the reason of a failure.
constexpr std::uint64_t kMeshKind = 1;
constexpr std::uint64_t kFailureKind = 2;
// The child's exit status when an allocation failed.
constexpr int kOutOfMemoryStatus = 86;
// The longest text the header may announce.
constexpr std::uint64_t kMaxText = 4096;

bool writeAll(int fd, const void* data, std::size_t size) {
    const char* at = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = write(fd, at, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        at += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

// Allows the process `extra` bytes of address space beyond what it holds.
void limitMemory(std::uint64_t extra) {
    std::uint64_t pages = 0;
    std::ifstream("/proc/self/statm") >> pages;
    const rlim_t limit = pages * static_cast<std::uint64_t>(sysconf(_SC_PAGESIZE)) + extra;
    const rlimit both{limit, limit};
    setrlimit(RLIMIT_AS, &both);
}

template <class T> std::uint64_t bytes(const std::vector<T>& v) {
    return v.size() * sizeof(T);
}

// The child's whole life: never returns, never runs exit handlers (GLUT's
// and the GL driver's would touch the parent's X connection).
[[noreturn]] void runChild(int fd, pid_t parent, const std::string& path,
                           const MeshRead::Shaping& shaping) {
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent)
        _exit(1);
    // A crash is reported by its signal, whatever handlers the viewer (or a
    // sanitizer) installed.
    for (int fatal : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT})
        signal(fatal, SIG_DFL);
    const int null = open("/dev/null", O_RDWR);
    dup2(null, STDOUT_FILENO);
    dup2(null, STDERR_FILENO);
    std::set_new_handler([] { _exit(kOutOfMemoryStatus); });
    // main() set a trim threshold, which turns glibc's adaptive mmap
    // threshold off: every large block would be a fresh mapping, faulted in
    // page by page. Reusing freed blocks saves about a fifth of a read.
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
    limitMemory(MeshRead::kMemoryLimit);
    std::uint64_t header[6] = {kMeshKind};
    MeshData mesh;
    std::string text;
    try {
        mesh = importMesh(path);
        const std::string problem = meshProblem(mesh);
        if (!problem.empty())
            throw std::runtime_error(problem);
        if (shaping)
            text = shaping(mesh);
    } catch (const std::bad_alloc&) {
        _exit(kOutOfMemoryStatus);
    } catch (const std::exception& e) {
        header[0] = kFailureKind;
        text = e.what();
        mesh = MeshData();
    }
    text.resize(std::min<std::size_t>(text.size(), kMaxText));
    const std::uint64_t sizes[] = {bytes(mesh.positions), bytes(mesh.normals), bytes(mesh.indices),
                                   bytes(mesh.coarse), text.size()};
    std::copy(sizes, sizes + 5, header + 1);
    const bool sent =
        writeAll(fd, header, sizeof header) && writeAll(fd, mesh.positions.data(), sizes[0]) &&
        writeAll(fd, mesh.normals.data(), sizes[1]) &&
        writeAll(fd, mesh.indices.data(), sizes[2]) && writeAll(fd, mesh.coarse.data(), sizes[3]) &&
        writeAll(fd, text.data(), sizes[4]);
    _exit(sent ? 0 : 1);
}

std::string seconds(MeshRead::Clock::duration d) {
    return std::to_string(std::chrono::duration_cast<std::chrono::seconds>(d).count());
}

} // namespace

MeshRead::MeshRead(const std::string& path, Shaping shaping, Clock::duration deadline)
    : m_path(path), m_deadline(Clock::now() + deadline), m_allowed(deadline) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        throw std::runtime_error(path + ": cannot start the mesh reader (" + std::strerror(errno) +
                                 ")");
    // A 1M-triangle mesh is tens of megabytes: fewer, larger writes.
    fcntl(fds[1], F_SETPIPE_SZ, 1 << 20);
    const pid_t parent = getpid();
    m_child = fork();
    if (m_child == 0) {
        close(fds[0]);
        runChild(fds[1], parent, path, shaping);
    }
    close(fds[1]);
    if (m_child < 0) {
        close(fds[0]);
        throw std::runtime_error(path + ": cannot start the mesh reader (" + std::strerror(errno) +
                                 ")");
    }
    m_pipe = fds[0];
    fcntl(m_pipe, F_SETFL, O_NONBLOCK);
}

MeshRead::~MeshRead() {
    if (m_child > 0)
        reap(true);
}

char* MeshRead::target(std::size_t& room) {
    std::size_t at = m_received;
    if (at < sizeof m_header) {
        room = sizeof m_header - at;
        return reinterpret_cast<char*>(m_header) + at;
    }
    at -= sizeof m_header;
    char* const parts[] = {reinterpret_cast<char*>(m_mesh.positions.data()),
                           reinterpret_cast<char*>(m_mesh.normals.data()),
                           reinterpret_cast<char*>(m_mesh.indices.data()),
                           reinterpret_cast<char*>(m_mesh.coarse.data()), &m_text[0]};
    for (int i = 0; i < 5; ++i) {
        if (at < m_header[i + 1]) {
            room = m_header[i + 1] - at;
            return parts[i] + at;
        }
        at -= m_header[i + 1];
    }
    room = 0;
    return nullptr;
}

bool MeshRead::drain() {
    for (;;) {
        std::size_t room = 0;
        char* to = target(room);
        char excess[64];
        if (!to)
            to = excess, room = sizeof excess;
        const ssize_t n = read(m_pipe, to, room);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n < 0; // 0: the child closed its end
        const bool headed = m_received < sizeof m_header;
        m_received += static_cast<std::size_t>(n);
        if (to == excess) {
            m_failure = "the mesh reader sent more than it announced";
        } else if (headed && m_received == sizeof m_header) {
            // The announced sizes, checked before anything is allocated.
            const std::uint64_t* size = m_header + 1;
            const bool sound = (m_header[0] == kMeshKind || m_header[0] == kFailureKind) &&
                               size[0] % 12 == 0 && size[1] == size[0] && size[2] % 12 == 0 &&
                               size[3] % 12 == 0 && size[4] <= kMaxText &&
                               std::max({size[0], size[2], size[3]}) <= kMemoryLimit &&
                               size[0] + size[2] + size[3] <= kMemoryLimit;
            if (!sound) {
                m_failure = "the mesh reader sent a damaged header";
                return false;
            }
            m_mesh.positions.resize(size[0] / 4);
            m_mesh.normals.resize(size[1] / 4);
            m_mesh.indices.resize(size[2] / 4);
            m_mesh.coarse.resize(size[3] / 4);
            m_text.resize(size[4]);
        }
    }
}

void MeshRead::reap(bool kill) {
    if (kill)
        ::kill(m_child, SIGKILL);
    int status = 0;
    while (waitpid(m_child, &status, 0) < 0 && errno == EINTR) {
    }
    m_child = -1;
    close(m_pipe);
    m_pipe = -1;
    m_over = true;
    if (!m_failure.empty() || kill)
        return;
    std::size_t room = 0;
    if (WIFSIGNALED(status)) {
        std::string name = strsignal(WTERMSIG(status));
        std::transform(name.begin(), name.end(), name.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        m_failure = "the mesh reader crashed (" + name + ")";
    } else if (WEXITSTATUS(status) == kOutOfMemoryStatus) {
        m_failure = "the mesh reader ran out of memory (over " +
                    std::to_string(kMemoryLimit >> 30) + " GiB)";
    } else if (WEXITSTATUS(status) != 0) {
        m_failure =
            "the mesh reader failed (exit status " + std::to_string(WEXITSTATUS(status)) + ")";
    } else if (m_received < sizeof m_header || target(room)) {
        m_failure = "the mesh reader stopped before it had sent the mesh";
    } else if (m_header[0] == kFailureKind) {
        m_failure = m_text.empty() ? "the mesh reader failed" : m_text;
        std::replace(m_failure.begin(), m_failure.end(), '\n', ' ');
    } else {
        m_failure = meshProblem(m_mesh);
        m_note = m_text;
    }
}

bool MeshRead::poll() {
    if (m_over)
        return true;
    const bool open = drain();
    if (!m_failure.empty()) {
        reap(true);
        return true;
    }
    if (!open) {
        // The child closed the pipe as it left: reap it once it has.
        siginfo_t info{};
        if (waitid(P_PID, static_cast<id_t>(m_child), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
            info.si_pid == m_child) {
            reap(false);
            return true;
        }
        m_closed = true;
    }
    if (Clock::now() >= m_deadline) {
        reap(true);
        m_failure = "the mesh reader took more than " + seconds(m_allowed) + " s and was stopped";
        m_mesh = MeshData();
    }
    return m_over;
}

void MeshRead::wait() {
    while (!poll()) {
        if (m_closed) {
            usleep(1000);
            continue;
        }
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(m_deadline - Clock::now());
        pollfd ready{m_pipe, POLLIN, 0};
        ::poll(&ready, 1, static_cast<int>(std::clamp<long long>(left.count() + 1, 1, 1000)));
    }
}

MeshData MeshRead::take() {
    wait();
    if (!m_failure.empty())
        throw std::runtime_error(m_path + ": " + m_failure);
    return std::move(m_mesh);
}
