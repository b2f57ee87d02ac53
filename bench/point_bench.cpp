// Multi-point work on a 1000-frame 640 x 480 recording of the synthesised planet with 20 alignment
// points of 64 pixels: every frame aligned once per point (the points side by side), and the
// optimizer once per point (the "Single run optimizer"), at one thread and at every thread.
// Point-frames per second are reported as items per second; the frames come from memory (100
// rendered pictures, repeated).
//
// And the whole "-MA" batch run on the batch benchmarks' 1000-frame 640 x 480 recording, with 9
// points (64-pixel boxes) and with 99 (32-pixel boxes) over the planet, beside the one-box batch
// run (BatchRun/1000x640x480x8bit/box:32).

#include <benchmark/benchmark.h>

#include <memory>
#include <thread>

#include "batch_runs.h"
#include "registration/align_test_bench.h"
#include "registration/point_alignment.h"
#include "registration/point_file.h"
#include "registration/point_optimizer.h"
#include "support/temp_dir.h"
#include "support/thread_count_scope.h"

namespace {

using namespace kestrave;
using namespace kestrave::test;

constexpr int Frames = 1000;
constexpr int Pictures = 100;
constexpr int Points = 20;

const std::vector<Bitmap24>& pictures() {
    static const std::vector<Bitmap24> rendered = [] {
        synth::SynthOptions options = stillAir(640, 480, Pictures, 5);
        options.noise = 0.01;
        options.warp = 0.5;
        return greyFrames(synth::planRecording(options), 0, Pictures);
    }();
    return rendered;
}

// Five by four points over the planet's disc, the last one at the centre as point 1.
struct PointRig {
    MemoryFrameSource source{pictures()};
    std::unique_ptr<AlignBench> bench = std::make_unique<AlignBench>(640, 480, 64, Frames);
    AlignmentPoints points;
    std::vector<PointReference> references;

    PointRig() {
        bench->align().Misalignwarning = false;
        std::vector<AlignPoint> placed;
        for (int p = 0; p < Points; ++p) placed.push_back({240 + p % 5 * 40, 180 + p / 5 * 40, 64});
        setAlignPoints(points, placed);
        points.Alignpoints = Points;
        for (int p = Points; p >= 1; --p) {
            const AlignPoint& at = placed[static_cast<std::size_t>(p - 1)];
            bench->pick(source.pictures[0], at.X, at.Y);
            references.push_back(
                takePointReference(p, bench->fft, bench->registration, bench->program, bench->align()));
        }
    }
    bool align() {
        return alignPointsAllFrames(bench->context, bench->passOptions, references, source).pass.end ==
               PassEnd::Finished;
    }
};

int allThreads() {
    return static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
}

void BM_PointAlignment(benchmark::State& state) {
    const ThreadCountScope scope(static_cast<int>(state.range(0)));
    PointRig rig;
    for (auto _ : state)
        if (!rig.align()) state.SkipWithError("the alignment did not finish");
    state.SetItemsProcessed(state.iterations() * Frames * Points);
}

void BM_PointOptimizer(benchmark::State& state) {
    const ThreadCountScope scope(static_cast<int>(state.range(0)));
    PointRig rig;
    if (!rig.align()) state.SkipWithError("the alignment did not finish");
    AlignBench& bench = *rig.bench;
    OptimizerState optimizer;
    PointLimits limits;
    PointOptimizerObserver observer;
    OptimizerObserver passes;
    OptimizerContext context{*bench.model, bench.program, bench.registration, bench.alignment, optimizer,
                             *bench.gamma, rig.source,    bench.progress,     bench.messages,  passes};
    OptimizerOptions options;
    options.lastPosition = Frames - 1;
    PointOptimizerInput input;
    input.lastFrame = Frames - 1;
    for (auto _ : state) {
        AlignmentPoints points = rig.points;
        if (Optimize_AllAlignpoints(context, options, points, limits, input, observer).cancelled)
            state.SkipWithError("the optimizer was cancelled");
    }
    state.SetItemsProcessed(state.iterations() * Frames * Points);
}

// Each pass once at one thread and once at every thread.
void atOneAndAllThreads(benchmark::internal::Benchmark* b) {
    b->Arg(1)
        ->Arg(allThreads())
        ->ArgName("threads")
        ->Iterations(1)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
}

BENCHMARK(BM_PointAlignment)->Apply(atOneAndAllThreads);
BENCHMARK(BM_PointOptimizer)->Apply(atOneAndAllThreads);

#ifdef KESTRAVE_PROGRAM
// A grid of points over the planet of the batch recording (its disc: radius 154 around the
// frame's centre), placed on frame 0.
std::filesystem::path pointFile(int count) {
    static const kestrave::test::TempDir folder;
    std::vector<AlignPoint> grid;
    if (count == 9) {
        for (int j = 0; j < 3; ++j)
            for (int i = 0; i < 3; ++i) grid.push_back({220 + 100 * i, 140 + 100 * j, 64});
    } else {
        for (int j = 0; j < 9; ++j)
            for (int i = 0; i < 11; ++i) grid.push_back({200 + 24 * i, 144 + 24 * j, 32});
    }
    const std::filesystem::path file = folder / ("grid" + std::to_string(count) + ".kap");
    writeAlignPointFile(file, 0, grid);
    return file;
}

const bool pointBatchesRegistered = [] {
    const kestrave::bench::RecordingSize& size = kestrave::bench::recordingSizes()[0];
    for (int points : {9, 99})
        for (int threads : {1, kestrave::bench::allThreads()})
            benchmark::RegisterBenchmark(
                ("PointBatch/" + kestrave::bench::recordingName(size) + "/points:" + std::to_string(points) +
                 "/threads:" + std::to_string(threads))
                    .c_str(),
                [points, threads, &size](benchmark::State& state) {
                    kestrave::bench::batchRun(state, size, 32, threads, {"-MA" + pointFile(points).string()});
                })
                ->Iterations(1)
                ->Unit(benchmark::kMillisecond)
                ->UseManualTime();
    return true;
}();
#endif

}  // namespace
