#include "platform/parallel.h"

#include <algorithm>
#include <cstdlib>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace kestrave {

int threadCount() {
    if (const char* env = std::getenv("KESTRAVE_THREADS")) {
        char* end = nullptr;
        const long n = std::strtol(env, &end, 10);
        if (end != env && *end == '\0' && n > 0) return static_cast<int>(std::min(n, 1024L));
    }
    const unsigned hw = std::thread::hardware_concurrency();
    return hw == 0 ? 1 : static_cast<int>(hw);
}

void parallelForRange(std::ptrdiff_t begin, std::ptrdiff_t end,
                      const std::function<void(std::ptrdiff_t, std::ptrdiff_t)>& body) {
    if (end <= begin) return;
    const std::ptrdiff_t count = end - begin;
    const std::ptrdiff_t threads = std::min<std::ptrdiff_t>(threadCount(), count);
    if (threads <= 1) {
        body(begin, end);
        return;
    }
    std::exception_ptr firstError;
    std::mutex errorMutex;
    auto run = [&](std::ptrdiff_t first, std::ptrdiff_t last) {
        try {
            body(first, last);
        } catch (...) {
            std::lock_guard lock(errorMutex);
            if (!firstError) firstError = std::current_exception();
        }
    };
    std::vector<std::jthread> workers;
    workers.reserve(static_cast<std::size_t>(threads - 1));
    const std::ptrdiff_t chunk = count / threads;
    const std::ptrdiff_t extra = count % threads;
    std::ptrdiff_t first = begin;
    std::ptrdiff_t ownFirst = 0, ownLast = 0;
    for (std::ptrdiff_t t = 0; t < threads; ++t) {
        const std::ptrdiff_t last = first + chunk + (t < extra ? 1 : 0);
        if (t == 0) {
            ownFirst = first;
            ownLast = last;
        } else {
            workers.emplace_back(run, first, last);
        }
        first = last;
    }
    run(ownFirst, ownLast);
    workers.clear();  // joins
    if (firstError) std::rethrow_exception(firstError);
}

void parallelFor(std::ptrdiff_t begin, std::ptrdiff_t end, const std::function<void(std::ptrdiff_t)>& body) {
    parallelForRange(begin, end, [&](std::ptrdiff_t first, std::ptrdiff_t last) {
        for (std::ptrdiff_t i = first; i < last; ++i) body(i);
    });
}

}  // namespace kestrave
