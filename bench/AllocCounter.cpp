#include "bench/AllocCounter.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstddef>
#include <cstring>
#include <dlfcn.h>
#include <execinfo.h>
#include <map>
#include <new>
#include <vector>

// glibc's allocator under its internal names; the public names below are
// ours.
extern "C" {
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* ptr, size_t size);
void* __libc_memalign(size_t alignment, size_t size);
void __libc_free(void* ptr);
}

namespace {

constexpr int kDepth = 40;
constexpr int kMaxRecords = 8192;

struct Record {
    void* pcs[kDepth];
    int depth;
    size_t bytes;
};

std::atomic<unsigned long> g_allocations{0};
std::atomic<unsigned long> g_cppAllocations{0};
std::atomic<bool> g_tracing{false};
std::atomic<int> g_recordCount{0};
Record g_records[kMaxRecords];

// Set while this thread records a stack, so that whatever backtrace()
// allocates is not recorded in turn. Touched only while tracing, long after
// the thread-local storage of every thread exists.
thread_local bool t_recording = false;

__attribute__((noinline)) void record(size_t bytes) {
    if (t_recording)
        return;
    t_recording = true;
    const int i = g_recordCount.fetch_add(1, std::memory_order_relaxed);
    if (i < kMaxRecords) {
        g_records[i].depth = backtrace(g_records[i].pcs, kDepth);
        g_records[i].bytes = bytes;
    }
    t_recording = false;
}

inline void note(size_t bytes) {
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    if (g_tracing.load(std::memory_order_relaxed))
        record(bytes);
}

} // namespace

extern "C" {

void* malloc(size_t size) noexcept {
    note(size);
    return __libc_malloc(size);
}

void* calloc(size_t count, size_t size) noexcept {
    note(count * size);
    return __libc_calloc(count, size);
}

void* realloc(void* ptr, size_t size) noexcept {
    note(size);
    return __libc_realloc(ptr, size);
}

void free(void* ptr) noexcept {
    __libc_free(ptr);
}

void* memalign(size_t alignment, size_t size) noexcept {
    note(size);
    return __libc_memalign(alignment, size);
}

void* aligned_alloc(size_t alignment, size_t size) noexcept {
    note(size);
    return __libc_memalign(alignment, size);
}

int posix_memalign(void** out, size_t alignment, size_t size) noexcept {
    if (alignment % sizeof(void*) != 0 || (alignment & (alignment - 1)) != 0)
        return EINVAL;
    note(size);
    void* p = __libc_memalign(alignment, size);
    if (!p)
        return ENOMEM;
    *out = p;
    return 0;
}

} // extern "C"

void* operator new(size_t size) {
    g_cppAllocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}

void* operator new[](size_t size) {
    g_cppAllocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}

void operator delete(void* ptr) noexcept {
    free(ptr);
}

void operator delete[](void* ptr) noexcept {
    free(ptr);
}

void operator delete(void* ptr, size_t) noexcept {
    free(ptr);
}

void operator delete[](void* ptr, size_t) noexcept {
    free(ptr);
}

namespace alloc_counter {

unsigned long allocations() {
    return g_allocations.load(std::memory_order_relaxed);
}

unsigned long cppAllocations() {
    return g_cppAllocations.load(std::memory_order_relaxed);
}

void startTrace() {
    // backtrace() loads the unwinder on its first call; do that now, not
    // inside the first recorded allocation.
    void* warm[2];
    backtrace(warm, 2);
    g_recordCount.store(0, std::memory_order_relaxed);
    g_tracing.store(true, std::memory_order_seq_cst);
}

void stopTrace() {
    g_tracing.store(false, std::memory_order_seq_cst);
}

namespace {

void printFrame(std::FILE* out, void* pc) {
    // A return address; the call itself is the byte before it, which may
    // already belong to the next function when the call is the last
    // instruction.
    Dl_info info{};
    const char* base = "?";
    if (dladdr(static_cast<char*>(pc) - 1, &info) && info.dli_fname) {
        base = std::strrchr(info.dli_fname, '/');
        base = base ? base + 1 : info.dli_fname;
    }
    if (info.dli_sname)
        std::fprintf(out, "    %s(%s+0x%lx)\n", base, info.dli_sname,
                     static_cast<unsigned long>(static_cast<char*>(pc) -
                                                static_cast<char*>(info.dli_saddr)));
    else if (info.dli_fbase)
        std::fprintf(out, "    %s+0x%lx\n", base,
                     static_cast<unsigned long>(static_cast<char*>(pc) -
                                                static_cast<char*>(info.dli_fbase)));
    else
        std::fprintf(out, "    %p\n", pc);
}

} // namespace

void printTrace(std::FILE* out) {
    const int total = g_recordCount.load(std::memory_order_relaxed);
    const int kept = std::min(total, kMaxRecords);
    // Frame 0 is record() itself. A stack is cut after its first frame in
    // the executable past the allocator (the bench's own caller), so that
    // allocations reached from different call sites of that caller count
    // together.
    Dl_info self{};
    dladdr(reinterpret_cast<void*>(&printTrace), &self);
    struct Totals {
        int count = 0;
        size_t bytes = 0;
        size_t largest = 0;
    };
    std::map<std::vector<void*>, Totals> stacks;
    for (int i = 0; i < kept; ++i) {
        const Record& r = g_records[i];
        std::vector<void*> key;
        for (int f = 1; f < r.depth; ++f) {
            key.push_back(r.pcs[f]);
            Dl_info info{};
            if (f > 1 && dladdr(static_cast<char*>(r.pcs[f]) - 1, &info) &&
                info.dli_fbase == self.dli_fbase && info.dli_sname &&
                std::strcmp(info.dli_sname, "malloc") != 0 &&
                std::strncmp(info.dli_sname, "_Zn", 3) != 0)
                break;
        }
        Totals& t = stacks[key];
        ++t.count;
        t.bytes += r.bytes;
        t.largest = std::max(t.largest, r.bytes);
    }
    std::vector<std::pair<Totals, std::vector<void*>>> order;
    for (const auto& [stack, totals] : stacks)
        order.emplace_back(totals, stack);
    std::sort(order.begin(), order.end(),
              [](const auto& a, const auto& b) { return a.first.count > b.first.count; });
    std::fprintf(out, "%d allocations traced (%d recorded), %zu distinct stacks\n", total, kept,
                 order.size());
    for (const auto& [totals, stack] : order) {
        std::fprintf(out, "%d x, %zu bytes in all, largest %zu\n", totals.count, totals.bytes,
                     totals.largest);
        for (void* pc : stack)
            printFrame(out, pc);
    }
}

} // namespace alloc_counter
