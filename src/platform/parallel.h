#pragma once
// Runs per-frame and per-row work on every core.

#include <cstddef>
#include <functional>

namespace kestrave {

// Number of threads a loop is spread over: KESTRAVE_THREADS when it is set to a positive number
// at the first call (read once: later changes of the environment are not seen), else the number
// of hardware threads (at least 1).
int threadCount();

// The thread count that the value of KESTRAVE_THREADS (nullptr when unset) asks for: a positive
// number, at most 1024, or else the number of hardware threads.
int threadCountFromEnvironment(const char* value);

// For tests: threadCount() returns `threads` from now on (0 or less: the environment's count
// again). Returns the previous setting (0 when none was set). Not for use while loops run.
int setThreadCountForTesting(int threads);

// Calls body(i) once for every i in [begin, end), spread over threadCount() threads in
// contiguous chunks. How the range is cut depends only on its length and threadCount(), never
// on timing. The call returns when every index is done; the first exception thrown by a body is
// rethrown here (the remaining chunks still finish).
//
// Calls may nest (a body may call parallelFor) and may come from several threads at once: every
// call's chunks go to the shared workers that are free, and the calling thread works on its
// own call's chunks meanwhile, so a call never waits for a worker that is busy elsewhere.
void parallelFor(std::ptrdiff_t begin, std::ptrdiff_t end, const std::function<void(std::ptrdiff_t)>& body);

// As parallelFor, but hands each chunk to the body as one range [first, last) so that the body
// can keep per-chunk scratch buffers.
void parallelForRange(std::ptrdiff_t begin, std::ptrdiff_t end,
                      const std::function<void(std::ptrdiff_t first, std::ptrdiff_t last)>& body);

// While an object of this class lives, the loops above called on its thread run their chunks one
// after another on that thread, cut as they would be otherwise (so they give the same results).
// For threads that already work side by side, such as the frame readers: handing pieces of their
// work to the shared workers would only make them wait for one another.
class SerialOnThisThread {
public:
    SerialOnThisThread();
    ~SerialOnThisThread();
    SerialOnThisThread(const SerialOnThisThread&) = delete;
    SerialOnThisThread& operator=(const SerialOnThisThread&) = delete;

private:
    bool previous_;
};

}  // namespace kestrave
