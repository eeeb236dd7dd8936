#pragma once

#include <cstdio>

// Counts heap allocations of the whole process, every thread and every
// library included: linking AllocCounter.cpp into an executable replaces the
// C library's malloc family and the global operator new/delete by counting
// wrappers around glibc's own allocator. The executable must export its
// symbols (ENABLE_EXPORTS) so that shared libraries, the GL driver loaded
// later among them, bind to the wrappers.
namespace alloc_counter {

// Calls of malloc, calloc, realloc, memalign, aligned_alloc and
// posix_memalign since the start of the process, C++ allocations included.
unsigned long allocations();
// Calls of the global operator new and new[] since the start of the process;
// each is also counted once by allocations().
unsigned long cppAllocations();

// While tracing, every allocation records its call stack (up to a fixed
// number of allocations; the rest are only counted). startTrace() forgets
// what an earlier trace recorded.
void startTrace();
void stopTrace();
// Writes each distinct call stack recorded by the last trace, with how many
// allocations it made and their bytes, most frequent first; frames are named as
// "library(symbol+offset)" where the library exports a symbol there and as
// "library+offset" (from the library's load address) where not.
void printTrace(std::FILE* out);

} // namespace alloc_counter
