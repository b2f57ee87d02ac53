#pragma once
// Runs per-frame and per-row work on every core.

#include <cstddef>
#include <functional>

namespace kestrave {

// Number of worker threads: KESTRAVE_THREADS when set to a positive number, else the number of
// hardware threads (at least 1).
int threadCount();

// Calls body(i) once for every i in [begin, end), spread over threadCount() threads in
// contiguous chunks. The call returns when every index is done; the first exception thrown by a
// body is rethrown here (the remaining chunks still finish).
void parallelFor(std::ptrdiff_t begin, std::ptrdiff_t end, const std::function<void(std::ptrdiff_t)>& body);

// As parallelFor, but hands each thread a whole range [first, last) so that the body can keep
// per-thread scratch buffers.
void parallelForRange(std::ptrdiff_t begin, std::ptrdiff_t end,
                      const std::function<void(std::ptrdiff_t first, std::ptrdiff_t last)>& body);

}  // namespace kestrave
