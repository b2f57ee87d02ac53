#include "optimizer_bench.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>

#include "frames/pixel_helpers.h"

namespace kestrave::test {

BandLimitedScene::BandLimitedScene(unsigned seed, int waves, double maxFrequency) {
    std::mt19937 engine(seed);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    // The waves come in pairs mirrored about the axes, so that the scene prefers neither diagonal:
    // a search along one axis is then not pulled by an offset along the other.
    for (int k = 0; k < waves / 2; ++k) {
        const double angle = 0.5 * std::numbers::pi * unit(engine);
        const double frequency = maxFrequency * (0.15 + 0.85 * unit(engine));
        const double amplitude = 70.0 / std::sqrt(waves) * (0.5 + unit(engine));
        const double u = frequency * std::cos(angle);
        const double v = frequency * std::sin(angle);
        waves_.push_back({u, v, amplitude, 2.0 * std::numbers::pi * unit(engine)});
        waves_.push_back({u, -v, amplitude, 2.0 * std::numbers::pi * unit(engine)});
    }
}

Bitmap24 BandLimitedScene::picture(int width, int height, double shiftX, double shiftY) const {
    // cos(p + q) = cos p cos q - sin p sin q with p along the row and q down the column: one
    // table of each per wave instead of a cosine per pixel and wave.
    std::vector<double> levels(static_cast<std::size_t>(width) * height, 128.0);
    std::vector<double> cx(width), sx(width), cy(height), sy(height);
    for (const Wave& w : waves_) {
        for (int x = 0; x < width; ++x) {
            const double p = 2.0 * std::numbers::pi * w.u * (x - shiftX) + w.phase;
            cx[x] = std::cos(p);
            sx[x] = std::sin(p);
        }
        for (int y = 0; y < height; ++y) {
            const double q = 2.0 * std::numbers::pi * w.v * (y - shiftY);
            cy[y] = w.amplitude * std::cos(q);
            sy[y] = w.amplitude * std::sin(q);
        }
        for (int y = 0; y < height; ++y) {
            double* row = levels.data() + static_cast<std::size_t>(y) * width;
            for (int x = 0; x < width; ++x) row[x] += cx[x] * cy[y] - sx[x] * sy[y];
        }
    }
    Bitmap24 picture(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const double level = levels[static_cast<std::size_t>(y) * width + x];
            const auto v = static_cast<std::uint8_t>(std::nearbyint(std::clamp(level, 0.0, 255.0)));
            SetRGBTriple(v, v, v, picture.pixel(x, y));
        }
    }
    return picture;
}

void RecordingObserver::passStarted(const OptimizerChart& chart, const OptimizerReferenceView&) {
    if (onPassStart) onPassStart(static_cast<int>(charts.size()));
    charts.push_back(chart);
}

void RecordingObserver::frameOptimized(int position, int, const TFrameRec&, const Bitmap24& currentBox) {
    positions.push_back(position);
    std::uint64_t sum = 0;
    for (std::size_t k = 0; k < currentBox.byteCount(); ++k) sum = sum * 31 + currentBox.bits()[k];
    boxes.push_back(sum);
}

void RecordingObserver::passFinished(const OptimizerPassResult& result, double DifferenceSum) {
    passes.push_back(result);
    sums.push_back(DifferenceSum);
}

OptimizerBench::OptimizerBench(int width, int height, int frames, int n, unsigned seed, double maxFrequency)
    : scene(seed, 96, maxFrequency) {
    model->FrameWidth = model->FrameWidthRaw = model->ImageWidth = width;
    model->FrameHeight = model->FrameHeightRaw = model->ImageHeight = height;
    model->FramesRanked = true;
    model->usedframes = frames;
    for (int j = 0; j < frames; ++j) {
        model->FrameRanking[j].Frame = j;
        model->FrameRanking[j].Key = static_cast<float>(100 - j);
        source.pictures.push_back(scene.picture(width, height, 0.0, 0.0));
        model->FrameTable[j].AlignDifference = 1e7f;
    }
    BuildGammaTable(*gamma, 1.0f);
    registration.Image1 = scene.picture(width, height, 0.0, 0.0);
    program.FeatureX = width / 2;
    program.FeatureY = height / 2;
    options.FFTSize = n;
    options.lastPosition = frames - 1;
    options.search.FastOptim = false;
    options.OptimizeSpin = 1.0;
}

void OptimizerBench::setFrame(int j, double shiftX, double shiftY, int startX, int startY,
                              float alignDifference) {
    source.pictures.at(static_cast<std::size_t>(j)) =
        scene.picture(model->FrameWidth, model->FrameHeight, shiftX, shiftY);
    TFrameRec& rec = model->FrameTable[j];
    rec.Slots[0].X = rec.Slots[0].SavedX = startX;
    rec.Slots[0].Y = rec.Slots[0].SavedY = startY;
    rec.Slots[0].Difference = alignDifference;
    rec.AlignDifference = alignDifference;
}

OptimizerRunResult OptimizerBench::optimize() {
    observer.sums.clear();
    observer.passes.clear();
    return Optimize_Alignpoint(context, options);
}

OptimizerReference OptimizerBench::reference() const {
    const OptimizerGeometry geometry =
        optimizerGeometry(options.FFTSize, program.FeatureX, program.FeatureY, *model, options.search);
    return buildReferenceWindow(registration.Image1, *model, geometry, options.search);
}

OptimizeStepResult OptimizerBench::step(int j, int field) {
    OptimizerWorkspace workspace;
    return OptimizeFrame(source.pictures.at(static_cast<std::size_t>(j)), model->FrameTable[j], *model,
                         reference(), options.search, *gamma, field, workspace);
}

}  // namespace kestrave::test
