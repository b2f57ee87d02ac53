// The alignment pass over a 1000-frame 640 x 480 8-bit recording of the synthesised planet with
// a 256-pixel box and the spectral quality figure, at one thread and at every thread, with object
// tracking on and off. Frames per second are reported as items per second. The frames come from
// memory (100 rendered pictures, repeated), so the figure is the alignment's own.

#include <benchmark/benchmark.h>

#include <memory>
#include <thread>

#include "registration/align_test_bench.h"
#include "support/thread_count_scope.h"

namespace {

using namespace kestrave;
using namespace kestrave::test;

constexpr int Frames = 1000;
constexpr int Pictures = 100;

const std::vector<Bitmap24>& pictures() {
    static const std::vector<Bitmap24> rendered = [] {
        synth::SynthOptions options = stillAir(640, 480, Pictures, 5);
        options.noise = 0.01;
        const synth::Recording recording = synth::planRecording(options);
        return greyFrames(recording, 0, Pictures);
    }();
    return rendered;
}

void BM_AlignmentPass(benchmark::State& state) {
    const int threads = static_cast<int>(state.range(0));
    const bool tracking = state.range(1) != 0;
    MemoryFrameSource source(pictures());
    const ThreadCountScope scope(threads);
    auto bench = std::make_unique<AlignBench>(640, 480, 256, Frames);
    bench->align().Trackobject = tracking;
    bench->align().Misalignwarning = false;
    bench->pick(source.pictures[0], 320, 240);
    for (auto _ : state) {
        const AlignmentPassResult result = bench->run(source);
        if (result.end != PassEnd::Finished) state.SkipWithError("the pass did not finish");
    }
    state.SetItemsProcessed(state.iterations() * Frames);
    state.counters["threads"] = threads;
}

void passArguments(benchmark::internal::Benchmark* b) {
    const int all = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    for (int tracking : {0, 1})
        for (int threads : {1, all}) b->Args({threads, tracking});
}

BENCHMARK(BM_AlignmentPass)
    ->Apply(passArguments)
    ->ArgNames({"threads", "tracking"})
    ->Iterations(2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
