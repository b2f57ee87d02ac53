#include "platform/zeroed_allocator.h"

#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>

#include "platform/parallel.h"

namespace kestrave {

namespace {

// Below this size writing the zeros is cheaper than a system call.
constexpr std::size_t PageReleaseBytes = std::size_t{256} << 10;

}  // namespace

void* allocateZeroed(std::size_t bytes) {
    auto* const block = static_cast<std::uint8_t*>(::operator new(bytes));
    if (bytes < PageReleaseBytes) {
        std::memset(block, 0, bytes);
        return block;
    }
    // The block's memory is private and anonymous: pages dropped with MADV_DONTNEED read as zero
    // afterwards. Only the partial pages at either end are written.
    static const auto page = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
    const auto begin = reinterpret_cast<std::uintptr_t>(block);
    const std::uintptr_t first = (begin + page - 1) / page * page;
    const std::uintptr_t last = (begin + bytes) / page * page;
    if (madvise(reinterpret_cast<void*>(first), last - first, MADV_DONTNEED) != 0) {
        std::memset(block, 0, bytes);
        return block;
    }
    std::memset(block, 0, first - begin);
    std::memset(reinterpret_cast<void*>(last), 0, begin + bytes - last);
    return block;
}

void touchZeroedPages(void* block, std::size_t bytes) {
    static const auto page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    auto* const bytesAt = static_cast<volatile std::uint8_t*>(block);
    const auto pages = static_cast<std::ptrdiff_t>((bytes + page - 1) / page);
    parallelForRange(0, pages, [=](std::ptrdiff_t first, std::ptrdiff_t last) {
        for (std::ptrdiff_t k = first; k < last; ++k) bytesAt[static_cast<std::size_t>(k) * page] = 0;
    });
}

void returnFreeMemory() {
#ifdef __GLIBC__
    malloc_trim(0);
#endif
}

}  // namespace kestrave
