// Resampling a 640 x 480 frame to twice its size, as stacking does for every frame with
// resampling on; the argument is the filter's table index (Bell, B-Spline, Lanczos3, Mitchell).

#include <benchmark/benchmark.h>

#include "frames/stretch.h"

static void BM_Stretch640x480Times2(benchmark::State& state) {
    const kestrave::ResampleFilter& filter =
        kestrave::ResampleFilters[static_cast<std::size_t>(state.range(0))];
    kestrave::Bitmap24 source(640, 480);
    unsigned seed = 1;
    for (std::size_t i = 0; i < source.byteCount(); ++i) {
        seed = seed * 1103515245u + 12345u;
        source.bits()[i] = static_cast<std::uint8_t>(seed >> 16);
    }
    kestrave::Bitmap24 dest(1280, 960);
    for (auto _ : state) {
        kestrave::Stretch(source, dest, filter.Filter, filter.Width);
        benchmark::DoNotOptimize(dest.bits());
    }
    state.SetLabel(std::string(filter.Name));
    state.SetItemsProcessed(state.iterations() * 1280 * 960);
}
BENCHMARK(BM_Stretch640x480Times2)->DenseRange(3, 6)->Unit(benchmark::kMillisecond)->UseRealTime();
