#include "bench/AllocCounter.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <dlfcn.h>
#include <execinfo.h>

// glibc's allocator under its internal names; the public names are ours.
// free() stays glibc's; operator new is libstdc++'s, which calls malloc().
extern "C" {
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* ptr, size_t size);
void* __libc_memalign(size_t alignment, size_t size);
}

namespace {

std::atomic<bool> g_counting{false};
std::atomic<unsigned long> g_all{0}, g_own{0};
const void* g_self = nullptr; // load address of this executable
// Set while this thread walks its stack: backtrace() may allocate.
thread_local bool t_walking = false;

// Whether the first frame at or above `caller` (the return address of the
// allocation call) that is not in libc, libstdc++ or libgcc is this
// executable's: a std::string that the viewer builds allocates inside
// libstdc++ on the viewer's behalf. A caller missing from the stack counts.
bool ownCaller(void* caller) {
    void* pcs[64];
    const int n = backtrace(pcs, 64);
    const int first = int(std::find(pcs, pcs + n, caller) - pcs);
    for (int i = first; i < n; ++i) {
        Dl_info info{};
        if (!dladdr(static_cast<char*>(pcs[i]) - 1, &info) || !info.dli_fname)
            return false;
        if (info.dli_fbase == g_self)
            return true;
        if (!std::strstr(info.dli_fname, "/libc.so") &&
            !std::strstr(info.dli_fname, "/libstdc++") && !std::strstr(info.dli_fname, "/libgcc_s"))
            return false;
    }
    return first == n;
}

__attribute__((noinline)) void note(void* caller) {
    if (!g_counting.load(std::memory_order_relaxed) || t_walking)
        return;
    g_all.fetch_add(1, std::memory_order_relaxed);
    t_walking = true;
    if (ownCaller(caller))
        g_own.fetch_add(1, std::memory_order_relaxed);
    t_walking = false;
}

} // namespace

// Defines allocation function `name` to note its caller, then return `call`.
#define COUNTED(type, name, params, call)                                                          \
    type name params noexcept {                                                                    \
        note(__builtin_return_address(0));                                                         \
        return call;                                                                               \
    }

extern "C" {
COUNTED(void*, malloc, (size_t size), __libc_malloc(size))
COUNTED(void*, calloc, (size_t count, size_t size), __libc_calloc(count, size))
COUNTED(void*, realloc, (void* ptr, size_t size), __libc_realloc(ptr, size))
COUNTED(void*, aligned_alloc, (size_t alignment, size_t size), __libc_memalign(alignment, size))
int posix_memalign(void** out, size_t alignment, size_t size) noexcept {
    note(__builtin_return_address(0));
    void* p = __libc_memalign(alignment, size);
    return p ? (*out = p, 0) : ENOMEM; // *out untouched on failure, as glibc leaves it
}
} // extern "C"

alloc_counter::Counts alloc_counter::during(const std::function<void()>& work) {
    Dl_info info{};
    dladdr(reinterpret_cast<void*>(&ownCaller), &info);
    g_self = info.dli_fbase;
    void* warm[2];
    backtrace(warm, 2); // loads the unwinder now, not inside a count
    const Counts before{g_all.load(), g_own.load()};
    g_counting.store(true);
    work();
    g_counting.store(false);
    return {g_all.load() - before.all, g_own.load() - before.own};
}
