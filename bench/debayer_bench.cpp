// Debayering one 1280 x 960 frame of a synthesised RGGB recording, as the readers do for every
// frame of a colour video. Arguments: the thread count (0: all cores) and the variant (0 colour,
// 1 colour after the raw dark subtraction, 2 green only as while aligning).

#include <benchmark/benchmark.h>

#include <string>

#include "frames/debayer.h"
#include "support/thread_count_scope.h"
#include "synth/recording.h"

namespace {

const kestrave::Bitmap24& mosaic1280x960() {
    static const kestrave::Bitmap24 mosaic = [] {
        kestrave::synth::SynthOptions options;
        options.width = 1280;
        options.height = 960;
        options.frames = 1;
        options.filter = kestrave::synth::ColourFilter::BayerRGGB;
        const kestrave::synth::SynthesisedFrames frames = kestrave::synth::synthesise(options);
        kestrave::Bitmap24 b(options.width, options.height);
        for (int y = 0; y < options.height; ++y)
            for (int x = 0; x < options.width; ++x) {
                const auto v = static_cast<std::uint8_t>(
                    frames.frame(0)[static_cast<std::size_t>(y) * options.width + x]);
                kestrave::SetRGBTriple(v, v, v, b.pixel(x, y));
            }
        return b;
    }();
    return mosaic;
}

void BM_Debayer1280x960(benchmark::State& state) {
    const auto threads = state.range(0);
    const kestrave::test::ThreadCountScope scope(static_cast<int>(threads));
    const kestrave::Bitmap24& mosaic = mosaic1280x960();
    kestrave::PlaneTriple dark;
    for (kestrave::T2dArrays& plane : dark) {
        plane.reset(mosaic.height(), mosaic.width());
        for (std::size_t i = 0; i < plane.cellCount(); ++i) plane.data()[i] = static_cast<float>(i % 7 * 128);
    }
    kestrave::DebayerOptions options{kestrave::BayerPattern::RG, state.range(1) == 1, state.range(1) == 2};
    kestrave::Bitmap24 frame;
    for (auto _ : state) {
        state.PauseTiming();
        frame = mosaic;
        state.ResumeTiming();
        kestrave::Debayer(frame, options, dark);
        benchmark::DoNotOptimize(frame.bits());
    }
    state.SetLabel(threads > 0 ? std::to_string(threads) + " thread(s)" : "all cores");
    state.SetItemsProcessed(state.iterations() * mosaic.width() * mosaic.height());
}

}  // namespace

BENCHMARK(BM_Debayer1280x960)->ArgsProduct({{1, 0}, {0, 1, 2}})->Unit(benchmark::kMillisecond)->UseRealTime();
