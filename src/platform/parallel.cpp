#include "platform/parallel.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
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

namespace {

// One batch of chunks handed to the pool. The calling thread works on it too.
struct Job {
    const std::function<void(std::ptrdiff_t, std::ptrdiff_t)>* body = nullptr;
    std::ptrdiff_t begin = 0;
    std::ptrdiff_t count = 0;
    std::ptrdiff_t chunks = 0;
    std::atomic<std::ptrdiff_t> nextChunk{0};
    std::atomic<std::ptrdiff_t> doneChunks{0};
    std::mutex errorMutex;
    std::exception_ptr firstError;

    // Chunk c covers [first, last): the first (count % chunks) chunks are one longer.
    void runChunk(std::ptrdiff_t c) {
        const std::ptrdiff_t base = count / chunks, extra = count % chunks;
        const std::ptrdiff_t first = begin + c * base + std::min(c, extra);
        const std::ptrdiff_t last = first + base + (c < extra ? 1 : 0);
        try {
            (*body)(first, last);
        } catch (...) {
            std::lock_guard lock(errorMutex);
            if (!firstError) firstError = std::current_exception();
        }
    }
    // Takes chunks until none is left; returns the number it ran.
    void work() {
        for (std::ptrdiff_t c; (c = nextChunk.fetch_add(1)) < chunks;) {
            runChunk(c);
            doneChunks.fetch_add(1);
        }
    }
};

thread_local bool insidePool = false;

// Workers live for the whole program and sleep between jobs, so a call costs a wake-up rather
// than a thread start.
class Pool {
public:
    static Pool& instance() {
        static Pool pool;
        return pool;
    }

    // Runs the job with up to `threads` threads including the caller. Returns false when the
    // pool is busy with another caller's job (the caller then runs the work itself).
    bool run(Job& job, int threads) {
        std::unique_lock busy(busyMutex_, std::try_to_lock);
        if (!busy.owns_lock()) return false;
        ensureWorkers(threads - 1);
        {
            std::lock_guard lock(mutex_);
            job_ = &job;
            wanted_ = threads - 1;
            ++generation_;
        }
        wake_.notify_all();
        insidePool = true;
        job.work();
        insidePool = false;
        std::unique_lock lock(mutex_);
        finished_.wait(lock, [&] { return job.doneChunks.load() == job.chunks && active_ == 0; });
        job_ = nullptr;
        return true;
    }

    ~Pool() {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        wake_.notify_all();
        for (auto& t : workers_) t.join();
    }

private:
    void ensureWorkers(int n) {
        while (static_cast<int>(workers_.size()) < n) {
            const int index = static_cast<int>(workers_.size());
            workers_.emplace_back([this, index] { loop(index); });
        }
    }

    void loop(int index) {
        insidePool = true;
        unsigned long seen = 0;
        std::unique_lock lock(mutex_);
        for (;;) {
            wake_.wait(lock, [&] { return stopping_ || (generation_ != seen && job_ && index < wanted_); });
            if (stopping_) return;
            seen = generation_;
            Job* job = job_;
            ++active_;
            lock.unlock();
            job->work();
            lock.lock();
            --active_;
            finished_.notify_all();
        }
    }

    std::mutex busyMutex_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable finished_;
    std::vector<std::thread> workers_;
    Job* job_ = nullptr;
    int wanted_ = 0;
    int active_ = 0;
    unsigned long generation_ = 0;
    bool stopping_ = false;
};

}  // namespace

void parallelForRange(std::ptrdiff_t begin, std::ptrdiff_t end,
                      const std::function<void(std::ptrdiff_t, std::ptrdiff_t)>& body) {
    if (end <= begin) return;
    const std::ptrdiff_t count = end - begin;
    const std::ptrdiff_t threads = std::min<std::ptrdiff_t>(threadCount(), count);
    Job job;
    job.body = &body;
    job.begin = begin;
    job.count = count;
    job.chunks = threads;
    // A nested call, a single thread, or a pool busy with another caller: the caller runs every
    // chunk itself, in order.
    if (threads <= 1 || insidePool || !Pool::instance().run(job, static_cast<int>(threads))) {
        job.work();
    }
    if (job.firstError) std::rethrow_exception(job.firstError);
}

void parallelFor(std::ptrdiff_t begin, std::ptrdiff_t end, const std::function<void(std::ptrdiff_t)>& body) {
    parallelForRange(begin, end, [&](std::ptrdiff_t first, std::ptrdiff_t last) {
        for (std::ptrdiff_t i = first; i < last; ++i) body(i);
    });
}

}  // namespace kestrave
