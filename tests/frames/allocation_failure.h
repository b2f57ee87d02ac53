#pragma once
// Makes large allocations fail on purpose. While a scope lives, every allocation of at least
// minBytes after the first `succeeding` of them throws std::bad_alloc, as when memory runs out.
// The whole test program allocates through the replaced global operator new of
// allocation_failure.cpp, which otherwise just forwards to malloc.

#include <cstddef>

namespace kestrave::test {

class AllocationFailureScope {
public:
    AllocationFailureScope(std::size_t minBytes, int succeeding);
    ~AllocationFailureScope();
    AllocationFailureScope(const AllocationFailureScope&) = delete;
    AllocationFailureScope& operator=(const AllocationFailureScope&) = delete;

    // Allocations refused so far.
    int refused() const;
};

}  // namespace kestrave::test
