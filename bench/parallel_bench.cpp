// Overhead of spreading per-row work over the cores.

#include <benchmark/benchmark.h>

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
