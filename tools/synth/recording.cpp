#include "synth/recording.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>

#include "platform/errors.h"
#include "platform/parallel.h"
#include "synth/random.h"

namespace kestrave::synth {

namespace {

constexpr double twoPi = 2.0 * std::numbers::pi;

// Seeds of the independent random streams drawn from the recording's seed.
std::uint64_t sceneSeed(std::uint64_t seed) {
    return mixSeed(seed);
}
std::uint64_t frameNoiseSeed(std::uint64_t seed, int index) {
    return mixSeed(mixSeed(seed ^ 0xA5A5A5A5A5A5A5A5ull) + static_cast<std::uint64_t>(index));
}

void require(bool condition, const std::string& text) {
    if (!condition) throw KestraveError(text);
}

bool finiteIn(double value, double low, double high) {
    return std::isfinite(value) && value >= low && value <= high;
}

void checkOptions(const SynthOptions& o) {
    require(o.width >= 8 && o.width <= 16384, "The frame width must lie between 8 and 16384 pixels.");
    require(o.height >= 8 && o.height <= 16384, "The frame height must lie between 8 and 16384 pixels.");
    require(o.frames >= 1 && o.frames <= 1000000, "The frame count must lie between 1 and 1000000.");
    require(o.bitsPerSample >= 8 && o.bitsPerSample <= 16,
            "The sample depth must lie between 8 and 16 bits.");
    const int filter = static_cast<int>(o.filter);
    require(filter == 0 || (filter >= 8 && filter <= 11), "Unknown colour filter layout.");
    require(finiteIn(o.maxShift, 0.0, 0.25 * std::min(o.width, o.height)),
            "The largest shift must lie between 0 and a quarter of the shorter frame side.");
    require(finiteIn(o.minBlur, 0.0, 50.0) && finiteIn(o.maxBlur, o.minBlur, 50.0),
            "The blur range must satisfy 0 <= smallest <= largest <= 50 pixels.");
    require(finiteIn(o.warp, 0.0, 10.0), "The warp must lie between 0 and 10 pixels.");
    require(o.warpPeriods >= 1 && o.warpPeriods <= 8,
            "The warp's periods across the frame must lie between 1 and 8.");
    require(finiteIn(o.flicker, 0.0, 0.3), "The flicker must lie between 0 and 0.3.");
    require(finiteIn(o.noise, 0.0, 1.0), "The noise must lie between 0 and 1.");
    require(finiteIn(o.flatPlains, 0.0, 0.8), "The share of flat plains must lie between 0 and 0.8.");
}

std::array<WarpWave, 3> randomWarp(SeededRandom& random, const SynthOptions& o) {
    std::array<WarpWave, 3> waves;
    for (WarpWave& wave : waves) {
        int m = 0, n = 0;
        while (m == 0 && n == 0) {
            m = random.integer(-o.warpPeriods, o.warpPeriods);
            n = random.integer(0, o.warpPeriods);
        }
        wave.kx = twoPi * m / o.width;
        wave.ky = twoPi * n / o.height;
        wave.amplitude = o.warp / std::sqrt(3.0) * random.gaussian();
        wave.phase = random.uniform(0.0, twoPi);
    }
    return waves;
}

// Seeing: a slow drift across the recording plus a random jitter per frame, each axis kept
// within ±maxShift; a blur drawn evenly from the blur range; a brightness flicker.
std::vector<FrameTruth> randomTruth(SeededRandom& random, const SynthOptions& o) {
    const double driftAngle = random.uniform(0.0, twoPi);
    const double drift = random.uniform(0.0, 0.6) * o.maxShift;
    const double jitter = o.maxShift / 3.0;
    std::vector<FrameTruth> truth(static_cast<std::size_t>(o.frames));
    for (int i = 0; i < o.frames; ++i) {
        FrameTruth& t = truth[static_cast<std::size_t>(i)];
        const double progress = o.frames > 1 ? static_cast<double>(i) / (o.frames - 1) - 0.5 : 0.0;
        t.shiftX = std::clamp(drift * std::cos(driftAngle) * progress + jitter * random.gaussian(),
                              -o.maxShift, o.maxShift);
        t.shiftY = std::clamp(drift * std::sin(driftAngle) * progress + jitter * random.gaussian(),
                              -o.maxShift, o.maxShift);
        t.blurSigma = random.uniform(o.minBlur, o.maxBlur);
        t.gain = 1.0 + o.flicker * std::clamp(random.gaussian(), -3.0, 3.0);
        t.warpX = randomWarp(random, o);
        t.warpY = randomWarp(random, o);
    }
    return truth;
}

double warpAt(const std::array<WarpWave, 3>& waves, double x, double y) {
    double sum = 0.0;
    for (const WarpWave& w : waves)
        if (w.amplitude != 0.0) sum += w.amplitude * std::sin(w.kx * x + w.ky * y + w.phase);
    return sum;
}

// The warp of one axis at every pixel of a frame (rows from the top). Each wave is split as
// sin(kx x + phase + ky y) = sin(kx x + phase) cos(ky y) + cos(kx x + phase) sin(ky y), so a
// frame needs a sine per column and per row instead of one per pixel.
std::vector<double> warpField(const std::array<WarpWave, 3>& waves, int width, int height) {
    std::vector<double> field(static_cast<std::size_t>(width) * height, 0.0);
    std::vector<double> columnSin(static_cast<std::size_t>(width)),
        columnCos(static_cast<std::size_t>(width));
    for (const WarpWave& wave : waves) {
        if (wave.amplitude == 0.0) continue;
        for (int x = 0; x < width; ++x) {
            columnSin[x] = wave.amplitude * std::sin(wave.kx * x + wave.phase);
            columnCos[x] = wave.amplitude * std::cos(wave.kx * x + wave.phase);
        }
        for (int y = 0; y < height; ++y) {
            const double rowSin = std::sin(wave.ky * y), rowCos = std::cos(wave.ky * y);
            double* row = field.data() + static_cast<std::size_t>(y) * width;
            for (int x = 0; x < width; ++x) row[x] += columnSin[x] * rowCos + columnCos[x] * rowSin;
        }
    }
    return field;
}

// The scene value(s) at a point: three colours for a Bayer filter, the luminance for mono.
void sceneAt(const Recording& r, double x, double y, float* out) {
    if (r.options.surface) {
        const float value = surfaceBrightness(r.surface, x, y);
        std::fill(out, out + r.scene.channels, value);
        return;
    }
    const std::array<float, 3> rgb = planetColour(r.planet, x, y);
    if (r.scene.channels == 3)
        std::copy(rgb.begin(), rgb.end(), out);
    else
        out[0] = luminance(rgb);
}

// Separable Gaussian blur of one plane (rows from the top), edges repeated.
void gaussianBlur(float* plane, int width, int height, double sigma, std::vector<float>& scratch) {
    const int radius = std::max(1, static_cast<int>(std::ceil(3.0 * sigma)));
    std::vector<float> kernel(static_cast<std::size_t>(2 * radius + 1));
    double total = 0.0;
    for (int k = -radius; k <= radius; ++k) {
        const double w = std::exp(-0.5 * k * k / (sigma * sigma));
        kernel[static_cast<std::size_t>(k + radius)] = static_cast<float>(w);
        total += w;
    }
    for (float& w : kernel) w = static_cast<float>(w / total);

    scratch.resize(static_cast<std::size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
        const float* row = plane + static_cast<std::size_t>(y) * width;
        float* out = scratch.data() + static_cast<std::size_t>(y) * width;
        for (int x = 0; x < width; ++x) {
            float sum = 0.0f;
            for (int k = -radius; k <= radius; ++k)
                sum += kernel[static_cast<std::size_t>(k + radius)] * row[std::clamp(x + k, 0, width - 1)];
            out[x] = sum;
        }
    }
    for (int y = 0; y < height; ++y) {
        float* out = plane + static_cast<std::size_t>(y) * width;
        std::fill(out, out + width, 0.0f);
        for (int k = -radius; k <= radius; ++k) {
            const float w = kernel[static_cast<std::size_t>(k + radius)];
            const float* row =
                scratch.data() + static_cast<std::size_t>(std::clamp(y + k, 0, height - 1)) * width;
            for (int x = 0; x < width; ++x) out[x] += w * row[x];
        }
    }
}

}  // namespace

const char* filterPattern(ColourFilter filter) {
    switch (filter) {
        case ColourFilter::BayerRGGB:
            return "RGGB";
        case ColourFilter::BayerGRBG:
            return "GRBG";
        case ColourFilter::BayerGBRG:
            return "GBRG";
        case ColourFilter::BayerBGGR:
            return "BGGR";
        default:
            return "";
    }
}

int filterColour(ColourFilter filter, int x, int y) {
    if (filter == ColourFilter::Mono) return 1;
    const char colour = filterPattern(filter)[(y & 1) * 2 + (x & 1)];
    return colour == 'R' ? 0 : colour == 'G' ? 1 : 2;
}

std::array<double, 2> displacementAt(const FrameTruth& truth, double x, double y) {
    return {truth.shiftX + warpAt(truth.warpX, x, y), truth.shiftY + warpAt(truth.warpY, x, y)};
}

Recording planRecording(const SynthOptions& options) {
    checkOptions(options);
    Recording r;
    r.options = options;
    SeededRandom random(sceneSeed(options.seed));
    r.planet = makePlanet(random, options.width, options.height);
    if (options.surface) r.surface = makeSurface(random, options.width, options.height, options.flatPlains);
    r.truth = randomTruth(random, options);

    const int w = options.width, h = options.height;
    r.scene.width = w;
    r.scene.height = h;
    r.scene.channels = options.filter == ColourFilter::Mono ? 1 : 3;
    r.scene.values.assign(static_cast<std::size_t>(r.scene.channels) * w * h, 0.0f);
    const std::size_t planeSize = r.samplesPerFrame();
    parallelFor(0, h, [&](std::ptrdiff_t y) {
        for (int x = 0; x < w; ++x) {
            float value[3];
            sceneAt(r, x, static_cast<double>(y), value);
            for (int c = 0; c < r.scene.channels; ++c)
                r.scene.values[c * planeSize + static_cast<std::size_t>(y) * w + x] = value[c];
        }
    });
    return r;
}

void renderFrame(const Recording& r, int index, std::span<std::uint16_t> samples) {
    const SynthOptions& o = r.options;
    const FrameTruth& truth = r.truth.at(static_cast<std::size_t>(index));
    const int w = o.width, h = o.height;
    const int channels = r.scene.channels;
    const std::size_t planeSize = r.samplesPerFrame();
    if (samples.size() != planeSize) throw KestraveError("The frame buffer does not match the frame size.");

    // The optical image: the scene seen through the displaced pixel grid, then blurred.
    const std::vector<double> warpX = warpField(truth.warpX, w, h);
    const std::vector<double> warpY = warpField(truth.warpY, w, h);
    std::vector<float> planes(planeSize * channels);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const std::size_t at = static_cast<std::size_t>(y) * w + x;
            float value[3];
            sceneAt(r, x - truth.shiftX - warpX[at], y - truth.shiftY - warpY[at], value);
            for (int c = 0; c < channels; ++c) planes[c * planeSize + at] = value[c];
        }
    }
    if (truth.blurSigma > 0.0) {
        std::vector<float> scratch;
        for (int c = 0; c < channels; ++c)
            gaussianBlur(planes.data() + c * planeSize, w, h, truth.blurSigma, scratch);
    }

    // The sensor: each pixel takes the colour its filter passes, scaled by the flicker, with
    // noise that grows with the signal (read noise plus shot noise), rounded and clamped.
    SeededRandom noise(frameNoiseSeed(o.seed, index));
    const double maxSample = r.maxSample();
    const double noiseScale = o.noise * maxSample / std::sqrt(0.7);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const int c = channels == 3 ? filterColour(o.filter, x, y) : 0;
            const std::size_t at = static_cast<std::size_t>(y) * w + x;
            const double level = truth.gain * planes[c * planeSize + at];
            double value = level * maxSample;
            if (o.noise > 0.0) value += noiseScale * std::sqrt(0.2 + std::max(0.0, level)) * noise.gaussian();
            samples[at] = static_cast<std::uint16_t>(std::lrint(std::clamp(value, 0.0, maxSample)));
        }
    }
}

std::vector<std::uint16_t> renderFrames(const Recording& r, int first, int count) {
    const std::size_t frameSize = r.samplesPerFrame();
    std::vector<std::uint16_t> samples(frameSize * static_cast<std::size_t>(count));
    parallelFor(0, count, [&](std::ptrdiff_t i) {
        renderFrame(r, first + static_cast<int>(i), std::span(samples).subspan(i * frameSize, frameSize));
    });
    return samples;
}

SynthesisedFrames synthesise(const SynthOptions& options) {
    SynthesisedFrames result{planRecording(options), {}};
    result.samples = renderFrames(result.recording, 0, options.frames);
    return result;
}

}  // namespace kestrave::synth
