#include "allocation_failure.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <new>

namespace kestrave::test {

namespace {

std::atomic<bool> armed{false};
std::atomic<std::size_t> thresholdBytes{0};
std::atomic<int> allowance{0};
std::atomic<int> refusals{0};

void refuseWhenArmed(std::size_t size) {
    if (!armed.load(std::memory_order_relaxed) || size < thresholdBytes.load(std::memory_order_relaxed))
        return;
    if (allowance.fetch_sub(1) > 0) return;
    refusals.fetch_add(1);
    throw std::bad_alloc();
}

void* allocate(std::size_t size) {
    refuseWhenArmed(size);
    void* p = std::malloc(size == 0 ? 1 : size);
    if (p == nullptr) throw std::bad_alloc();
    return p;
}

void* allocateAligned(std::size_t size, std::align_val_t alignment) {
    refuseWhenArmed(size);
    void* p = nullptr;
    const std::size_t align = std::max(static_cast<std::size_t>(alignment), sizeof(void*));
    if (posix_memalign(&p, align, size == 0 ? 1 : size) != 0) throw std::bad_alloc();
    return p;
}

template <typename Allocate>
void* orNull(Allocate allocateNow) noexcept {
    try {
        return allocateNow();
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

}  // namespace

AllocationFailureScope::AllocationFailureScope(std::size_t minBytes, int succeeding) {
    thresholdBytes.store(minBytes);
    allowance.store(succeeding);
    refusals.store(0);
    armed.store(true);
}

AllocationFailureScope::~AllocationFailureScope() {
    armed.store(false);
}

int AllocationFailureScope::refused() const {
    return refusals.load();
}

}  // namespace kestrave::test

// Every form of the global allocation functions is replaced, so that each block is released by
// the same family that allocated it.
using kestrave::test::allocate;
using kestrave::test::allocateAligned;
using kestrave::test::orNull;

void* operator new(std::size_t size) {
    return allocate(size);
}
void* operator new[](std::size_t size) {
    return allocate(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return orNull([&] { return allocate(size); });
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return orNull([&] { return allocate(size); });
}
void* operator new(std::size_t size, std::align_val_t alignment) {
    return allocateAligned(size, alignment);
}
void* operator new[](std::size_t size, std::align_val_t alignment) {
    return allocateAligned(size, alignment);
}
void* operator new(std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
    return orNull([&] { return allocateAligned(size, alignment); });
}
void* operator new[](std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
    return orNull([&] { return allocateAligned(size, alignment); });
}

void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}
void operator delete(void* p, std::align_val_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::align_val_t) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t, std::align_val_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept {
    std::free(p);
}
void operator delete(void* p, std::align_val_t, const std::nothrow_t&) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::align_val_t, const std::nothrow_t&) noexcept {
    std::free(p);
}
