#pragma once
// An allocator for large zero-filled arrays of plain values (float planes and the like). The
// whole pages inside a large block are handed back to the system, which gives them out again as
// zero pages on first touch, so a block is zeroed without being written: it costs nothing until
// its cells are used, and the cells it never uses cost no memory. Elements are not written again
// on construction.

#include <cstddef>
#include <limits>
#include <new>
#include <type_traits>
#include <utility>

namespace kestrave {

// `bytes` of zeroed memory from the global operator new (std::bad_alloc when there is none);
// release it with ::operator delete.
void* allocateZeroed(std::size_t bytes);

// Gives every page of a zeroed block its own memory now, by writing a zero into it, the pages
// spread over the worker threads. For a block whose cells are all about to be added to: a cell
// read before it is first written would map the shared zero page, and the write after it would
// then have to replace that page on every core the process runs on.
void touchZeroedPages(void* block, std::size_t bytes);

// Hands the memory that the allocator keeps free (blocks freed by an earlier pass) back to the
// system, so that the next pass's buffers do not come on top of it. For the start of a pass.
void returnFreeMemory();

template <typename T>
class ZeroedAllocator {
    static_assert(std::is_trivially_default_constructible_v<T> && std::is_trivially_destructible_v<T>);

public:
    using value_type = T;

    ZeroedAllocator() = default;
    template <typename U>
    ZeroedAllocator(const ZeroedAllocator<U>&) noexcept {}

    T* allocate(std::size_t n) {
        if (n > std::numeric_limits<std::size_t>::max() / sizeof(T)) throw std::bad_array_new_length();
        return static_cast<T*>(allocateZeroed(n * sizeof(T)));
    }
    void deallocate(T* p, std::size_t) noexcept { ::operator delete(p); }

    // A value-initialised element is all zero bytes, which the memory already holds; other
    // constructions write as usual.
    template <typename U>
    void construct(U*) noexcept {}
    template <typename U, typename... Args>
    void construct(U* p, Args&&... args) {
        ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }

    friend bool operator==(const ZeroedAllocator&, const ZeroedAllocator&) noexcept { return true; }
};

}  // namespace kestrave
