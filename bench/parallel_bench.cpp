// Overhead of spreading per-row work over the cores, and what the cores themselves give.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <thread>
#include <vector>

#include "platform/parallel.h"

static void BM_ParallelRows(benchmark::State& state) {
    const int rows = static_cast<int>(state.range(0));
    std::vector<float> plane(static_cast<std::size_t>(rows) * 1024, 1.0f);
    for (auto _ : state) {
        kestrave::parallelFor(0, rows, [&](std::ptrdiff_t y) {
            float* row = plane.data() + y * 1024;
            for (int x = 0; x < 1024; ++x) row[x] = row[x] * 0.5f + 1.0f;
        });
        benchmark::DoNotOptimize(plane.data());
    }
}
BENCHMARK(BM_ParallelRows)->Arg(64)->Arg(1024);

// What the machine itself gives: the same arithmetic, streamed over a working set of each
// thread's own (no locks, nothing shared), on one thread and then on every thread at once.
// `ceiling` is how many times more work all threads finish in the time one thread takes for its
// share: the best thread ratio any program reaches here. Shared, throttled or hyperthreaded cores
// give less than the thread count, and less again once the working sets leave the first-level
// cache (16 KB: as in one box line block; 256 KB: as in a 256-pixel box plane).
static float streamWork(int rounds, std::size_t floats) {
    std::vector<float> cells(floats, 1.0f);
    for (int r = 0; r < rounds; ++r)
        for (float& cell : cells) cell = cell * 0.9999f + 0.0001f;
    return cells[floats / 2];
}

static double secondsOn(int threads, int rounds, std::size_t floats) {
    const auto start = std::chrono::steady_clock::now();
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t)
        workers.emplace_back([rounds, floats] { benchmark::DoNotOptimize(streamWork(rounds, floats)); });
    for (std::thread& worker : workers) worker.join();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

static void BM_MachineCeiling(benchmark::State& state) {
    const int threads = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    const auto floats = static_cast<std::size_t>(state.range(0)) * 1024 / sizeof(float);
    const int rounds = static_cast<int>((std::size_t{1} << 30) / floats);
    double one = 0.0, all = 0.0;
    for (auto _ : state) {
        one += secondsOn(1, rounds, floats);
        all += secondsOn(threads, rounds, floats);
    }
    state.counters["threads"] = threads;
    state.counters["ceiling"] = threads * one / all;
}
BENCHMARK(BM_MachineCeiling)
    ->ArgName("KB")
    ->Arg(16)
    ->Arg(256)
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
