#pragma once
// Counts heap allocations on every thread while counting is on, by the program or shared
// library that asked for them. The program that links allocation_counter.cpp replaces malloc
// and its relatives, which operator new calls too, so the game's own code, the C and C++
// libraries and every other shared library (cairo, the GL driver, X) are counted alike.
#include <cstddef>
#include <string>

namespace tb::test {

struct AllocationCount {
    std::size_t calls = 0; // malloc, calloc, realloc and the aligned forms
    std::size_t bytes = 0;
};

struct AllocationCounts {
    AllocationCount total;
    // Asked for by the game's code (or the test's), itself or through the C and C++ libraries.
    AllocationCount game;
    // "libcairo.so.2: 120 calls, 9600 bytes; ..." for the game ("the program") and every
    // library that asked for memory on its own account, most calls first.
    std::string byObject;
};

// Notes where every loaded object lies in memory, then counts from zero.
void startCountingAllocations();
AllocationCounts stopCountingAllocations();

} // namespace tb::test
