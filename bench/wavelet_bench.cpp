// The wavelet pass of "Process" on a 2048² processing area: composing the working image and
// splitting off the six layers, on one thread and on all of them.

#include <benchmark/benchmark.h>

#include <random>

#include "enhance/wavelet_processing.h"
#include "platform/parallel.h"
#include "support/thread_count_scope.h"

namespace {

constexpr int Side = 2048;

// A monochrome stack of Side × Side with the layer planes of channel 1 over the whole image.
kestrave::ImageDataSection& benchSection() {
    static kestrave::ImageDataSection s;
    static const bool filled = [] {
        const int cells = Side + kestrave::SectionPlaneMargin;
        s.StackPlanes[1] = kestrave::T2dArrays(cells, cells);
        s.WorkPlanes[1] = kestrave::T2dArrays(cells, cells);
        s.ScratchPlane = kestrave::T2dArrays(cells, cells);
        for (int n = 1; n <= kestrave::WaveletLayerCount; ++n)
            s.LayerPlanes[n][1] = kestrave::T2dArrays(Side, Side);
        s.AllocWidth = s.AllocHeight = Side;
        s.ProcessAreaSize = s.ProcessAreaWidth = s.ProcessAreaHeight = Side;
        std::mt19937 random(1);
        std::uniform_real_distribution<float> value(0.0f, 255.0f);
        for (int x = 0; x < Side; ++x) {
            for (int y = 0; y < Side; ++y) s.StackPlanes[1][x][y] = value(random);
        }
        return true;
    }();
    (void)filled;
    return s;
}

// Argument 0: threads (0 = all cores); argument 1: the filter (0 default 5 × 5, 1 Gaussian).
void BM_WaveletProcess2048(benchmark::State& state) {
    const int threads = static_cast<int>(state.range(0));
    const kestrave::test::ThreadCountScope scope(threads);
    kestrave::WaveletProcessOptions options;
    options.steps.Waveletscheme = kestrave::TWaveletScheme::Dyadic;
    options.Convolvemethod = static_cast<kestrave::TConvolveMethod>(state.range(1));
    kestrave::WaveletFilter filter;
    kestrave::BuildGaussianLayers(filter, 0.1f, {0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f});
    kestrave::ProgramState programState;
    kestrave::NullProgress progress;
    for (auto _ : state) {
        programState.LayersDirty = true;
        kestrave::decomposeWhenDirty(benchSection(), Side, Side, programState, filter, options, progress);
        benchmark::DoNotOptimize(benchSection().LayerPlanes[6][1].data());
    }
    state.counters["threads"] = kestrave::threadCount();
}
BENCHMARK(BM_WaveletProcess2048)
    ->ArgsProduct({{1, 0}, {0, 1}})
    ->ArgNames({"threads", "gaussian"})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
