// parallelFor: every index once, the cut of the range, errors, and the sharing of the workers
// between nested and concurrent calls.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <latch>
#include <mutex>
#include <set>
#include <stdexcept>
#include <thread>
#include <utility>
#include <vector>

#include "platform/parallel.h"
#include "support/thread_count_scope.h"

using namespace kestrave;
using test::ThreadCountScope;

namespace {

// Holds each arriving thread until `wanted` different threads have arrived. A pool that runs the
// work on one thread never gets there: after ten seconds the waiting ends for every thread, and
// the test fails on the count of threads instead of hanging.
class Rendezvous {
public:
    explicit Rendezvous(std::size_t wanted) : wanted_(wanted) {}
    void arrive() {
        std::unique_lock lock(mutex_);
        threads_.insert(std::this_thread::get_id());
        met_.notify_all();
        if (!gaveUp_)
            gaveUp_ =
                !met_.wait_for(lock, std::chrono::seconds(10), [&] { return threads_.size() >= wanted_; });
    }
    std::size_t threads() {
        std::lock_guard lock(mutex_);
        return threads_.size();
    }

private:
    const std::size_t wanted_;
    std::mutex mutex_;
    std::condition_variable met_;
    std::set<std::thread::id> threads_;
    bool gaveUp_ = false;
};

using Ranges = std::vector<std::pair<std::ptrdiff_t, std::ptrdiff_t>>;

Ranges rangesOf(std::ptrdiff_t begin, std::ptrdiff_t end) {
    std::mutex mutex;
    Ranges ranges;
    parallelForRange(begin, end, [&](std::ptrdiff_t first, std::ptrdiff_t last) {
        std::lock_guard lock(mutex);
        ranges.emplace_back(first, last);
    });
    std::sort(ranges.begin(), ranges.end());
    return ranges;
}

}  // namespace

TEST(ParallelFor, ThreadCountComesFromTheEnvironmentOrTheTestSetting) {
    const int hardware = std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
    const std::pair<const char*, int> cases[] = {
        {"4", 4},        {"1", 1},         {"5000", 1024},        {nullptr, hardware},
        {"0", hardware}, {"-3", hardware}, {"garbage", hardware}, {"4x", hardware},
        {"", hardware}};
    for (auto [value, expected] : cases)
        EXPECT_EQ(threadCountFromEnvironment(value), expected) << (value ? value : "unset");

    const int fromEnvironment = threadCount();
    {
        const ThreadCountScope three(3);
        EXPECT_EQ(threadCount(), 3);
        {
            const ThreadCountScope five(5);
            EXPECT_EQ(threadCount(), 5);
        }
        EXPECT_EQ(threadCount(), 3);
    }
    EXPECT_EQ(threadCount(), fromEnvironment);
}

TEST(ParallelFor, VisitsEveryIndexExactlyOnceAtAnyThreadCount) {
    for (int threads : {1, 3, 8, 64}) {
        const ThreadCountScope scope(threads);
        for (std::ptrdiff_t n : {0, 1, 5, 1000}) {
            std::vector<std::atomic<int>> hits(static_cast<std::size_t>(n + 10));
            parallelFor(10, 10 + n, [&](std::ptrdiff_t i) { hits[static_cast<std::size_t>(i)]++; });
            for (std::ptrdiff_t i = 0; i < n + 10; ++i)
                EXPECT_EQ(hits[static_cast<std::size_t>(i)].load(), i >= 10 ? 1 : 0) << threads << " " << i;
        }
    }
}

// The chunks follow from the length and the thread count alone, whether the call is made at the
// top, inside another call, or by several threads at once; so a result built per chunk is the
// same on every run.
TEST(ParallelFor, CutsTheRangeByItsLengthAndTheThreadCountAlone) {
    const struct {
        int threads;
        std::ptrdiff_t begin, end;
        Ranges expected;
    } cases[] = {
        {3, 0, 10, {{0, 4}, {4, 7}, {7, 10}}},
        {4, 5, 7, {{5, 6}, {6, 7}}},
        {1, 0, 5, {{0, 5}}},
        {8, -4, 4, {{-4, -3}, {-3, -2}, {-2, -1}, {-1, 0}, {0, 1}, {1, 2}, {2, 3}, {3, 4}}},
    };
    for (const auto& c : cases) {
        const ThreadCountScope scope(c.threads);
        EXPECT_EQ(rangesOf(c.begin, c.end), c.expected) << c.threads;
        std::vector<Ranges> nested(6);
        parallelFor(
            0, 6, [&](std::ptrdiff_t i) { nested[static_cast<std::size_t>(i)] = rangesOf(c.begin, c.end); });
        std::vector<Ranges> concurrent(3);
        {
            std::vector<std::jthread> callers;
            for (Ranges& ranges : concurrent)
                callers.emplace_back([&] { ranges = rangesOf(c.begin, c.end); });
        }
        for (const Ranges& ranges : nested) EXPECT_EQ(ranges, c.expected) << c.threads;
        for (const Ranges& ranges : concurrent) EXPECT_EQ(ranges, c.expected) << c.threads;
        // A thread that asks for its loops to run serially gets the same chunks, all on itself.
        const SerialOnThisThread serial;
        std::set<std::thread::id> threads;
        const Ranges ranges = rangesOf(c.begin, c.end);
        parallelFor(c.begin, c.end, [&](std::ptrdiff_t) { threads.insert(std::this_thread::get_id()); });
        EXPECT_EQ(ranges, c.expected) << c.threads;
        EXPECT_EQ(threads, std::set{std::this_thread::get_id()}) << c.threads;
    }
}

TEST(ParallelFor, RethrowsTheFirstErrorAfterAllChunksFinish) {
    const ThreadCountScope scope(4);
    std::atomic<int> done{0};
    EXPECT_THROW(parallelFor(0, 100,
                             [&](std::ptrdiff_t i) {
                                 if (i == 3) throw std::runtime_error("boom");
                                 done++;
                             }),
                 std::runtime_error);
    EXPECT_GE(done.load(), 75);  // the other three chunks ran to the end
    // From a nested call, through the chunk of the outer one.
    EXPECT_THROW(parallelFor(0, 8,
                             [&](std::ptrdiff_t i) {
                                 parallelFor(0, 8, [&](std::ptrdiff_t j) {
                                     if (i == 5 && j == 2) throw std::out_of_range("inner");
                                 });
                             }),
                 std::out_of_range);
}

TEST(ParallelFor, NestedAndConcurrentCallsFinishEveryIndex) {
    const ThreadCountScope scope(4);
    // Three levels deep.
    constexpr int Side = 12;
    std::vector<std::atomic<int>> hits(Side * Side * Side);
    parallelFor(0, Side, [&](std::ptrdiff_t i) {
        parallelFor(0, Side, [&](std::ptrdiff_t j) {
            parallelFor(0, Side, [&](std::ptrdiff_t k) {
                hits[static_cast<std::size_t>((i * Side + j) * Side + k)]++;
            });
        });
    });
    // Concurrent callers from other threads.
    std::vector<std::atomic<int>> more(4000);
    {
        std::vector<std::jthread> callers;
        for (int t = 0; t < 4; ++t)
            callers.emplace_back([&, t] {
                for (int round = 0; round < 50; ++round)
                    parallelFor(t * 1000, (t + 1) * 1000,
                                [&](std::ptrdiff_t i) { more[static_cast<std::size_t>(i)]++; });
            });
    }
    for (auto& h : hits) EXPECT_EQ(h.load(), 1);
    for (auto& m : more) EXPECT_EQ(m.load(), 50);
}

// A call made inside another call's chunk, or while another thread's call is running, gets the
// idle workers: its chunks meet on two different threads.
TEST(ParallelFor, NestedAndConcurrentCallsUseTheIdleWorkers) {
    const ThreadCountScope scope(4);
    Rendezvous nested(2);
    parallelFor(0, 2, [&](std::ptrdiff_t i) {
        if (i == 0) parallelFor(0, 4, [&](std::ptrdiff_t) { nested.arrive(); });
    });
    EXPECT_GE(nested.threads(), 2u);

    // Another thread's call holds a chunk open while this thread calls.
    std::latch holding(1), release(1);
    std::jthread other([&] {
        parallelFor(0, 2, [&](std::ptrdiff_t i) {
            if (i != 0) return;
            holding.count_down();
            release.wait();
        });
    });
    holding.wait();
    Rendezvous concurrent(2);
    parallelFor(0, 4, [&](std::ptrdiff_t) { concurrent.arrive(); });
    release.count_down();
    EXPECT_GE(concurrent.threads(), 2u);
}
