// Multi-point work on a 1000-frame 640 x 480 recording of the synthesised planet with 20 alignment
// points of 64 pixels: every frame aligned once per point (the points side by side), and the
// optimizer once per point (the "Single run optimizer"), at one thread and at every thread.
// Point-frames per second are reported as items per second; the frames come from memory (100
// rendered pictures, repeated).
//
// And the whole "-MA" batch run on the batch benchmarks' 1000-frame 640 x 480 recording, with 9
// points (64-pixel boxes) and with 99 (32-pixel boxes) over the planet, beside the one-box batch
// run (BatchRun/1000x640x480x8bit/box:32).
//
// The quality of the points' stacks (PointQuality/...): a close-up of a cratered surface with
// flat plains under a local warp (400 frames of 640 x 480), the best 100 stacked on one box and
// with evenly spaced grids of 3 x 3 and 6 x 5 points of 64 pixels and 11 x 9 of 32, also with
// the grid's flattest point numbered first. Reported against the true scene: the PSNR after the
// best linear sharpening (psnr_restored, dB), the blur the stack still carries (blur_px) and the
// gain over the one box (gain_dB).
//
// The same grids on recordings made by the bench tools beside the project (PointQualityOn/...):
// each NAME.ser in the folder that KESTRAVE_POINT_RECORDINGS names, with its NAME_shifts.csv
// (the frames' sharpness ranks) and NAME_truth_float.npy (the true scene); the points are placed
// on the recording's sharpest frame and the best quarter of the frames is stacked.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <thread>

#include "batch_runs.h"
#include "registration/align_test_bench.h"
#include "registration/point_alignment.h"
#include "registration/point_file.h"
#include "registration/point_optimizer.h"
#include "support/sample_recording.h"
#include "support/scene_compare.h"
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

synth::SynthOptions plainsRecording() {
    return kestrave::test::plainsRecordingOptions(640, 480, 400);
}

// An evenly spaced grid of columns x rows points with boxes of `box` pixels; with `flattestFirst`
// the point whose box varies least on the scene is numbered 1.
std::filesystem::path gridFile(const std::filesystem::path& folder, int columns, int rows, int box,
                               bool flattestFirst, const kestrave::test::GreyImage& scene, int frame = 0) {
    const int margin = box / 2 + 8;
    std::vector<AlignPoint> grid;
    for (int j = 0; j < rows; ++j)
        for (int i = 0; i < columns; ++i)
            grid.push_back({margin + (scene.width - 2 * margin) * (2 * i + 1) / (2 * columns),
                            margin + (scene.height - 2 * margin) * (2 * j + 1) / (2 * rows), box});
    if (flattestFirst) {
        const auto spread = [&](const AlignPoint& p) {
            return kestrave::test::boxVariance(scene, p.X, p.Y, box);
        };
        std::iter_swap(grid.begin(),
                       std::min_element(grid.begin(), grid.end(),
                                        [&](const auto& a, const auto& b) { return spread(a) < spread(b); }));
    }
    const std::filesystem::path file = folder / "grid.kap";
    writeAlignPointFile(file, frame, grid);
    return file;
}

struct GridChoice {
    const char* name;
    int columns, rows, box;
    bool flattestFirst;
};

struct Measure {
    double restored = 0, blur = 0;
};

// The stack of a batch run on `input` with `options`, made in `folder`, against the true scene;
// none when the run failed.
std::optional<Measure> measureRun(const std::filesystem::path& input, const std::vector<std::string>& options,
                                  const std::filesystem::path& folder,
                                  const kestrave::test::GreyImage& scene) {
    const std::filesystem::path result = kestrave::bench::batchResult(input, options, folder);
    if (result.empty()) return std::nullopt;
    const kestrave::test::GreyImage image = kestrave::test::readResultPng(result);
    return Measure{kestrave::test::psnrAfterSharpening(image, scene),
                   kestrave::test::residualBlur(image, scene)};
}

void pointQuality(benchmark::State& state, const GridChoice& grid) {
    static const synth::Recording recording = synth::planRecording(plainsRecording());
    static const kestrave::test::GreyImage scene = kestrave::test::sceneImage(recording);
    const std::filesystem::path input =
        kestrave::bench::cachedRecording(plainsRecording(), "plains400x640x480");
    const kestrave::test::TempDir folder;
    const auto measure = [&](const std::vector<std::string>& options) {
        return measureRun(input, options, folder.path(), scene);
    };
    static const std::optional<Measure> oneBox = measure({"-NF100"});
    for (auto _ : state) {
        std::optional<Measure> points = oneBox;
        if (grid.columns > 0)
            points = measure({"-NF100", "-MA" + gridFile(folder.path(), grid.columns, grid.rows, grid.box,
                                                         grid.flattestFirst, scene)
                                                    .string()});
        if (!points || !oneBox) {
            state.SkipWithError("the batch run failed");
            break;
        }
        state.counters["psnr_restored"] = points->restored;
        state.counters["blur_px"] = points->blur;
        state.counters["gain_dB"] = points->restored - oneBox->restored;
    }
}

// A two-dimensional array of 32- or 64-bit floats saved by numpy, as a grey picture (empty when
// the file is not one).
kestrave::test::GreyImage readNpy(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    kestrave::test::GreyImage image;
    if (bytes.size() < 12 || bytes.compare(1, 5, "NUMPY") != 0) return image;
    const bool wide = bytes[6] >= 2;
    const std::size_t length =
        wide ? static_cast<unsigned char>(bytes[8]) | static_cast<unsigned char>(bytes[9]) << 8 |
                   static_cast<std::size_t>(static_cast<unsigned char>(bytes[10])) << 16
             : static_cast<unsigned char>(bytes[8]) | static_cast<unsigned char>(bytes[9]) << 8;
    const std::size_t start = (wide ? 12 : 10) + length;
    const std::string header = bytes.substr(wide ? 12 : 10, length);
    const bool doubles = header.find("'<f8'") != std::string::npos;
    if ((!doubles && header.find("'<f4'") == std::string::npos) ||
        header.find("'fortran_order': False") == std::string::npos)
        return image;
    const std::size_t shape = header.find("'shape': (");
    if (shape == std::string::npos) return image;
    if (std::sscanf(header.c_str() + shape + 10, "%d, %d", &image.height, &image.width) != 2) return {};
    const std::size_t count = static_cast<std::size_t>(image.width) * image.height;
    if (bytes.size() < start + count * (doubles ? 8 : 4)) return {};
    image.values.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        if (doubles) {
            std::memcpy(&image.values[i], bytes.data() + start + 8 * i, 8);
        } else {
            float v;
            std::memcpy(&v, bytes.data() + start + 4 * i, 4);
            image.values[i] = v;
        }
    }
    return image;
}

// The sharpest frame (the lowest sharpness rank) and the frame count of a NAME_shifts.csv.
std::pair<int, int> sharpestOf(const std::filesystem::path& file) {
    std::ifstream in(file);
    std::string line;
    const auto readLine = [&] {
        if (!std::getline(in, line)) return false;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        return true;
    };
    readLine();
    std::vector<std::string> names;
    for (std::stringstream header(line); std::getline(header, names.emplace_back(), ',');) {
    }
    const auto column = [&](const std::string& name) {
        return static_cast<std::size_t>(std::find(names.begin(), names.end(), name) - names.begin());
    };
    const std::size_t frameColumn = column("frame"), rankColumn = column("sharpness_rank");
    int sharpest = 0, best = 0, frames = 0;
    while (readLine()) {
        std::vector<std::string> cells;
        for (std::stringstream row(line); std::getline(row, cells.emplace_back(), ',');) {
        }
        if (cells.size() <= std::max(frameColumn, rankColumn)) continue;
        const int rank = std::stoi(cells[rankColumn]);
        if (frames++ == 0 || rank < best) {
            best = rank;
            sharpest = std::stoi(cells[frameColumn]);
        }
    }
    return {sharpest, frames};
}

void pointQualityOn(benchmark::State& state, const std::filesystem::path& input, const GridChoice& grid) {
    const std::string name = input.stem().string();
    const kestrave::test::GreyImage scene = readNpy(input.parent_path() / (name + "_truth_float.npy"));
    const auto [sharpest, frames] = sharpestOf(input.parent_path() / (name + "_shifts.csv"));
    if (scene.values.empty() || frames == 0) {
        state.SkipWithError("the true scene or the frames' ranks cannot be read");
        return;
    }
    const kestrave::test::TempDir folder;
    const std::string limit = "-NF" + std::to_string(std::max(1, frames / 4));
    const auto measure = [&](std::vector<std::string> options) {
        options.insert(options.begin(), limit);
        return measureRun(input, options, folder.path(), scene);
    };
    static std::map<std::string, std::optional<Measure>> oneBoxes;
    for (auto _ : state) {
        if (!oneBoxes.contains(name)) oneBoxes[name] = measure({});
        const std::optional<Measure> oneBox = oneBoxes[name];
        std::optional<Measure> points = oneBox;
        if (grid.columns > 0)
            points = measure(
                {"-MA" + gridFile(folder.path(), grid.columns, grid.rows, grid.box, false, scene, sharpest)
                             .string()});
        if (!points || !oneBox) {
            state.SkipWithError("the batch run failed");
            break;
        }
        state.counters["psnr_restored"] = points->restored;
        state.counters["blur_px"] = points->blur;
        state.counters["gain_dB"] = points->restored - oneBox->restored;
        state.counters["blur_gain_px"] = oneBox->blur - points->blur;
    }
}

const bool pointQualityRegistered = [] {
    static const GridChoice grids[] = {
        {"one-box", 0, 0, 0, false},
        {"3x3-of-64", 3, 3, 64, false},
        {"6x5-of-64", 6, 5, 64, false},
        {"11x9-of-32", 11, 9, 32, false},
        {"6x5-of-64-flattest-first", 6, 5, 64, true},
        {"11x9-of-32-flattest-first", 11, 9, 32, true},
    };
    for (const GridChoice& grid : grids)
        benchmark::RegisterBenchmark((std::string("PointQuality/") + grid.name).c_str(),
                                     [&grid](benchmark::State& state) { pointQuality(state, grid); })
            ->Iterations(1)
            ->Unit(benchmark::kMillisecond);
    const char* recordings = std::getenv("KESTRAVE_POINT_RECORDINGS");
    std::error_code error;
    if (recordings == nullptr) return true;
    std::vector<std::filesystem::path> inputs;
    for (const auto& entry : std::filesystem::directory_iterator(recordings, error))
        if (entry.path().extension() == ".ser") inputs.push_back(entry.path());
    std::sort(inputs.begin(), inputs.end());
    for (const std::filesystem::path& input : inputs)
        for (std::size_t g = 0; g < 4; ++g)
            benchmark::RegisterBenchmark(
                ("PointQualityOn/" + input.stem().string() + "/" + grids[g].name).c_str(),
                [input, g](benchmark::State& state) { pointQualityOn(state, input, grids[g]); })
                ->Iterations(1)
                ->Unit(benchmark::kMillisecond);
    return true;
}();
#endif

}  // namespace
