#include "platform/parallel.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdlib>
#include <exception>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace kestrave {

namespace {

std::atomic<int> threadCountForTesting{0};
thread_local bool serialHere = false;

}  // namespace

int threadCountFromEnvironment(const char* value) {
    if (value != nullptr) {
        char* end = nullptr;
        const long n = std::strtol(value, &end, 10);
        if (end != value && *end == '\0' && n > 0) return static_cast<int>(std::min(n, 1024L));
    }
    const unsigned hw = std::thread::hardware_concurrency();
    return hw == 0 ? 1 : static_cast<int>(hw);
}

int threadCount() {
    if (const int forced = threadCountForTesting.load(std::memory_order_relaxed); forced > 0) return forced;
    static const int fromEnvironment = threadCountFromEnvironment(std::getenv("KESTRAVE_THREADS"));
    return fromEnvironment;
}

int setThreadCountForTesting(int threads) {
    return threadCountForTesting.exchange(std::max(threads, 0));
}

namespace {

using RangeBody = std::function<void(std::ptrdiff_t, std::ptrdiff_t)>;

// One call's work: `chunks` contiguous pieces of [begin, begin + count). The pool's mutex guards
// the fields that change.
struct Job {
    Job(const RangeBody& body, std::ptrdiff_t begin, std::ptrdiff_t count, std::ptrdiff_t chunks)
        : body(body), begin(begin), count(count), chunks(chunks), unfinished(chunks) {}

    const RangeBody& body;
    const std::ptrdiff_t begin, count, chunks;
    std::ptrdiff_t claimed = 0;  // chunks handed to a thread
    std::ptrdiff_t unfinished;   // chunks not done yet
    std::exception_ptr firstError;
    std::condition_variable finished;  // the caller waits here for chunks that others run

    // Runs chunk c, which covers [first, last): the first (count % chunks) chunks are one longer.
    std::exception_ptr run(std::ptrdiff_t c) const noexcept {
        const std::ptrdiff_t base = count / chunks, extra = count % chunks;
        const std::ptrdiff_t first = begin + c * base + std::min(c, extra);
        const std::ptrdiff_t last = first + base + (c < extra ? 1 : 0);
        try {
            body(first, last);
        } catch (...) {
            return std::current_exception();
        }
        return nullptr;
    }
};

// Workers live for the whole program. Every call puts its job in one list; a free worker takes
// the next chunk of the oldest job there, and the calling thread takes the chunks of its own job
// until none is left, then waits for those that others run. A thread only ever waits for chunks
// that another thread is running, so nested calls cannot deadlock; and a thread never runs
// another caller's chunk while it waits, so a body's stack and scratch are never re-entered by
// unrelated work.
//
// A call wakes only as many sleeping workers as its chunks need beside the caller, each by its
// own signal. Workers sleep as soon as the list is empty rather than spin: the frame readers run
// on threads of their own, and a spinning worker would take their cores.
class Pool {
public:
    static Pool& instance() {
        static Pool pool;
        return pool;
    }

    void run(Job& job) {
        std::vector<Worker*> called;
        {
            std::lock_guard lock(mutex_);
            ensureWorkers(static_cast<int>(job.chunks) - 1);
            pending_.push_back(&job);
            const std::ptrdiff_t wanted = std::min<std::ptrdiff_t>(job.chunks - 1, std::ssize(sleeping_));
            called.reserve(static_cast<std::size_t>(wanted));
            while (std::ssize(called) < wanted) {
                called.push_back(sleeping_.back());
                sleeping_.pop_back();
                called.back()->called = true;
            }
        }
        for (Worker* worker : called) worker->wake.notify_one();
        std::unique_lock lock(mutex_);
        while (job.claimed < job.chunks) runNextChunk(job, lock);
        job.finished.wait(lock, [&] { return job.unfinished == 0; });
    }

    ~Pool() {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        for (auto& worker : workers_) worker->wake.notify_one();
        for (auto& worker : workers_) worker->thread.join();
    }

private:
    struct Worker {
        std::condition_variable wake;
        bool called = false;
        std::thread thread;
    };

    // When the system refuses another thread, the pool goes on with the workers it has (a caller
    // runs whatever chunks no worker takes).
    void ensureWorkers(int n) {
        if (static_cast<int>(workers_.size()) >= n) return;
        workers_.reserve(static_cast<std::size_t>(n));
        while (static_cast<int>(workers_.size()) < n) {
            auto worker = std::make_unique<Worker>();
            try {
                worker->thread = std::thread([this, w = worker.get()] { loop(*w); });
            } catch (const std::system_error&) {
                return;
            }
            workers_.push_back(std::move(worker));
        }
    }

    // Claims the job's next chunk and runs it with the lock released.
    void runNextChunk(Job& job, std::unique_lock<std::mutex>& lock) {
        const std::ptrdiff_t c = job.claimed++;
        if (job.claimed == job.chunks) std::erase(pending_, &job);
        lock.unlock();
        std::exception_ptr error = job.run(c);
        lock.lock();
        if (error && !job.firstError) job.firstError = std::move(error);
        if (--job.unfinished == 0) job.finished.notify_one();
    }

    void loop(Worker& self) {
        std::unique_lock lock(mutex_);
        for (;;) {
            if (!pending_.empty()) {
                runNextChunk(*pending_.front(), lock);
                continue;
            }
            if (stopping_) return;
            sleeping_.push_back(&self);
            self.wake.wait(lock, [&] { return self.called || stopping_; });
            if (!self.called) std::erase(sleeping_, &self);
            self.called = false;
        }
    }

    std::mutex mutex_;
    std::vector<std::unique_ptr<Worker>> workers_;
    std::vector<Job*> pending_;      // jobs with chunks nobody has claimed, oldest first
    std::vector<Worker*> sleeping_;  // workers waiting for a call, the last to sleep at the back
    bool stopping_ = false;
};

}  // namespace

void parallelForRange(std::ptrdiff_t begin, std::ptrdiff_t end, const RangeBody& body) {
    if (end <= begin) return;
    const std::ptrdiff_t count = end - begin;
    const std::ptrdiff_t chunks = std::min<std::ptrdiff_t>(threadCount(), count);
    if (chunks == 1) {
        body(begin, end);
        return;
    }
    Job job(body, begin, count, chunks);
    if (serialHere) {
        for (std::ptrdiff_t c = 0; c < chunks; ++c)
            if (std::exception_ptr error = job.run(c); error && !job.firstError) job.firstError = error;
        if (job.firstError) std::rethrow_exception(job.firstError);
        return;
    }
    Pool::instance().run(job);
    if (job.firstError) std::rethrow_exception(job.firstError);
}

SerialOnThisThread::SerialOnThisThread() : previous_(serialHere) {
    serialHere = true;
}

SerialOnThisThread::~SerialOnThisThread() {
    serialHere = previous_;
}

void parallelFor(std::ptrdiff_t begin, std::ptrdiff_t end, const std::function<void(std::ptrdiff_t)>& body) {
    parallelForRange(begin, end, [&](std::ptrdiff_t first, std::ptrdiff_t last) {
        for (std::ptrdiff_t i = first; i < last; ++i) body(i);
    });
}

}  // namespace kestrave
