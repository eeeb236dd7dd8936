#pragma once

#include <functional>

// Counts heap allocations: linking AllocCounter.cpp into an executable
// replaces the C library's malloc family (which operator new calls) by
// counting wrappers around glibc's allocator. The executable must export its
// symbols (ENABLE_EXPORTS), so that shared libraries, the GL driver loaded at
// run time among them, bind to the wrappers.
namespace alloc_counter {

// All: every allocation of the process, any thread. Own: those whose nearest
// caller outside the C and C++ runtime libraries is code of this executable
// (the viewer's code, linked in), not another library.
struct Counts {
    unsigned long all = 0, own = 0;
};

// The allocations made while `work` runs. Finding the caller walks the stack
// of every allocation, so `work` runs several times slower than usual.
Counts during(const std::function<void()>& work);

} // namespace alloc_counter
