#include "support/scene_compare.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>
#include <limits>

#include "frames/png_io.h"

namespace kestrave::test {

namespace {

// Stacking leaves the edges partly covered; shifts are searched up to SearchRadius pixels.
constexpr int Margin = 14;
constexpr int SearchRadius = 8;

// Keys' cubic convolution kernel (a = -0.5).
double cubicWeight(double t) {
    t = std::abs(t);
    if (t < 1) return (1.5 * t - 2.5) * t * t + 1;
    if (t < 2) return ((-0.5 * t + 2.5) * t - 4) * t + 2;
    return 0;
}

double sampleAt(const GreyImage& image, double x, double y) {
    const int x0 = static_cast<int>(std::floor(x));
    const int y0 = static_cast<int>(std::floor(y));
    if (x == x0 && y == y0) return image.at(x0, y0);
    double sum = 0;
    for (int j = -1; j <= 2; ++j) {
        const double wy = cubicWeight(y - (y0 + j));
        const int yy = std::clamp(y0 + j, 0, image.height - 1);
        for (int i = -1; i <= 2; ++i)
            sum += wy * cubicWeight(x - (x0 + i)) * image.at(std::clamp(x0 + i, 0, image.width - 1), yy);
    }
    return sum;
}

// The part of an image that a measure looks at: columns x0..x1 - 1, rows y0..y1 - 1.
struct Area {
    int x0, y0, x1, y1;
};
Area innerArea(const GreyImage& image) {
    return {Margin, Margin, image.width - Margin, image.height - Margin};
}

// The PSNR of `image` against `reference` read at (x + dx, y + dy) over `area`, after the best
// gain and offset were applied to the image.
double psnrAtShift(const GreyImage& image, const GreyImage& reference, double dx, double dy, Area area) {
    double su = 0, sr = 0, suu = 0, srr = 0, sur = 0;
    int n = 0;
    for (int y = area.y0; y < area.y1; ++y) {
        for (int x = area.x0; x < area.x1; ++x) {
            const double u = image.at(x, y);
            const double r = sampleAt(reference, x + dx, y + dy);
            su += u;
            sr += r;
            suu += u * u;
            srr += r * r;
            sur += u * r;
            ++n;
        }
    }
    const double varU = suu / n - (su / n) * (su / n);
    const double varR = srr / n - (sr / n) * (sr / n);
    const double cov = sur / n - (su / n) * (sr / n);
    const double mse = std::max(varR - (varU > 0 ? cov * cov / varU : 0.0), 1e-12);
    return 10 * std::log10(1 / mse);
}

struct Registration {
    double dx = 0, dy = 0, psnr = -std::numeric_limits<double>::infinity();
};

// Refines the shift on a grid of `steps` each side of `start`, `step` apart.
Registration refine(const GreyImage& image, const GreyImage& reference, Registration start, double step,
                    int steps, Area area) {
    Registration best = start;
    for (int j = -steps; j <= steps; ++j) {
        for (int i = -steps; i <= steps; ++i) {
            const double dx = start.dx + i * step, dy = start.dy + j * step;
            const double psnr = psnrAtShift(image, reference, dx, dy, area);
            if (psnr > best.psnr) best = {dx, dy, psnr};
        }
    }
    return best;
}

Registration refine(const GreyImage& image, const GreyImage& reference, Registration start, double step,
                    int steps) {
    return refine(image, reference, start, step, steps, innerArea(image));
}

Registration registration(const GreyImage& image, const GreyImage& reference, Area area) {
    Registration best = refine(image, reference, {}, 1.0, SearchRadius, area);
    best = refine(image, reference, best, 0.125, 4, area);
    return refine(image, reference, best, 0.03125, 4, area);
}

Registration registration(const GreyImage& image, const GreyImage& reference) {
    return registration(image, reference, innerArea(image));
}

// Solves the symmetric positive definite system a x = b (n x n, row after row) in place by
// Cholesky's method; a tiny ridge keeps a nearly singular system solvable.
std::vector<double> solveNormalEquations(std::vector<double> a, std::vector<double> b, int n) {
    for (int i = 0; i < n; ++i) a[i * n + i] += 1e-9 * (1.0 + a[i * n + i]);
    for (int j = 0; j < n; ++j) {
        for (int k = 0; k < j; ++k) a[j * n + j] -= a[j * n + k] * a[j * n + k];
        a[j * n + j] = std::sqrt(std::max(a[j * n + j], 1e-300));
        for (int i = j + 1; i < n; ++i) {
            for (int k = 0; k < j; ++k) a[i * n + j] -= a[i * n + k] * a[j * n + k];
            a[i * n + j] /= a[j * n + j];
        }
    }
    for (int i = 0; i < n; ++i) {
        for (int k = 0; k < i; ++k) b[i] -= a[i * n + k] * b[k];
        b[i] /= a[i * n + i];
    }
    for (int i = n - 1; i >= 0; --i) {
        for (int k = i + 1; k < n; ++k) b[i] -= a[k * n + i] * b[k];
        b[i] /= a[i * n + i];
    }
    return b;
}

}  // namespace

GreyImage sceneImage(const synth::Recording& recording) {
    const synth::SceneImage& scene = recording.scene;
    GreyImage image{
        scene.width, scene.height,
        std::vector<double>(scene.values.begin(), scene.values.begin() + scene.width * scene.height)};
    if (scene.channels == 3)
        for (int y = 0; y < scene.height; ++y)
            for (int x = 0; x < scene.width; ++x)
                image.at(x, y) = synth::luminance({scene.at(0, x, y), scene.at(1, x, y), scene.at(2, x, y)});
    return image;
}

GreyImage frameImage(const synth::Recording& recording, int index) {
    std::vector<std::uint16_t> samples(recording.samplesPerFrame());
    synth::renderFrame(recording, index, samples);
    GreyImage image{recording.options.width, recording.options.height, {}};
    const double range = recording.maxSample();
    image.values.reserve(samples.size());
    for (std::uint16_t s : samples) image.values.push_back(s / range);
    return image;
}

GreyImage averageOfFrames(const synth::Recording& recording) {
    GreyImage sum = frameImage(recording, 0);
    for (int f = 1; f < recording.options.frames; ++f) {
        const GreyImage frame = frameImage(recording, f);
        for (std::size_t i = 0; i < sum.values.size(); ++i) sum.values[i] += frame.values[i];
    }
    for (double& v : sum.values) v /= recording.options.frames;
    return sum;
}

int sharpestFrame(const synth::Recording& recording) {
    const auto& truth = recording.truth;
    return static_cast<int>(
        std::min_element(truth.begin(), truth.end(),
                         [](const auto& a, const auto& b) { return a.blurSigma < b.blurSigma; }) -
        truth.begin());
}

GreyImage readResultPng(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const PngPicture picture =
        decodePng(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()), file);
    GreyImage image{picture.preview.width(), picture.preview.height(), {}};
    image.values.resize(static_cast<std::size_t>(image.width) * image.height);
    for (std::size_t i = 0; i < image.values.size(); ++i) {
        const std::uint16_t* rgb = picture.samples.data() + 3 * i;
        image.values[i] = (rgb[0] + rgb[1] + rgb[2]) / (3 * 65535.0);
    }
    return image;
}

GreyImage gaussianBlurred(const GreyImage& image, double sigma) {
    if (sigma <= 0) return image;
    const int radius = static_cast<int>(std::ceil(3 * sigma));
    std::vector<double> kernel(2 * radius + 1);
    double total = 0;
    for (int k = -radius; k <= radius; ++k)
        total += kernel[k + radius] = std::exp(-k * k / (2 * sigma * sigma));
    for (double& w : kernel) w /= total;
    GreyImage rows = image, result = image;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) {
            double sum = 0;
            for (int k = -radius; k <= radius; ++k)
                sum += kernel[k + radius] * image.at(std::clamp(x + k, 0, image.width - 1), y);
            rows.at(x, y) = sum;
        }
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) {
            double sum = 0;
            for (int k = -radius; k <= radius; ++k)
                sum += kernel[k + radius] * rows.at(x, std::clamp(y + k, 0, image.height - 1));
            result.at(x, y) = sum;
        }
    return result;
}

double registeredPsnr(const GreyImage& image, const GreyImage& reference) {
    return registration(image, reference).psnr;
}

double psnrAtOwnSharpness(const GreyImage& image, const GreyImage& scene) {
    const Registration sharp = registration(image, scene);
    double best = sharp.psnr;
    for (double sigma = 0.25; sigma <= 3.0; sigma += 0.25)
        best = std::max(best, refine(image, gaussianBlurred(scene, sigma), sharp, 0.0625, 2).psnr);
    return best;
}

double psnrAfterSharpening(const GreyImage& image, const GreyImage& scene) {
    const Registration at = registration(image, scene);
    // The best linear filter: a 7 x 7 kernel plus a constant fitted by least squares so that the
    // filtered image comes as close as it can to the scene where the image was registered.
    constexpr int radius = 3;
    constexpr int taps = (2 * radius + 1) * (2 * radius + 1) + 1;
    std::vector<double> normal(taps * taps, 0.0), right(taps, 0.0), row(taps);
    const Area area = innerArea(image);
    double sumSquares = 0;
    int n = 0;
    for (int y = area.y0; y < area.y1; ++y)
        for (int x = area.x0; x < area.x1; ++x) {
            int k = 0;
            for (int j = -radius; j <= radius; ++j)
                for (int i = -radius; i <= radius; ++i) row[k++] = image.at(x + i, y + j);
            row[k] = 1.0;
            const double target = sampleAt(scene, x + at.dx, y + at.dy);
            for (int r = 0; r < taps; ++r) {
                right[r] += row[r] * target;
                for (int c = 0; c <= r; ++c) normal[r * taps + c] += row[r] * row[c];
            }
            sumSquares += target * target;
            ++n;
        }
    for (int r = 0; r < taps; ++r)
        for (int c = r + 1; c < taps; ++c) normal[r * taps + c] = normal[c * taps + r];
    const std::vector<double> kernel = solveNormalEquations(normal, right, taps);
    // The residual of a least-squares fit: |t|^2 - k . (A^T t).
    double explained = 0;
    for (int r = 0; r < taps; ++r) explained += kernel[r] * right[r];
    const double mse = std::max((sumSquares - explained) / n, 1e-12);
    return 10 * std::log10(1 / mse);
}

std::array<double, 2> localOffset(const GreyImage& image, const GreyImage& scene, int x0, int y0, int x1,
                                  int y1) {
    const Area area{std::max(x0, Margin), std::max(y0, Margin), std::min(x1, image.width - Margin),
                    std::min(y1, image.height - Margin)};
    const Registration at = registration(image, scene, area);
    return {at.dx, at.dy};
}

double boxVariance(const GreyImage& image, int x, int y, int side) {
    double sum = 0, squares = 0;
    for (int v = y - side / 2; v < y + side / 2; ++v)
        for (int u = x - side / 2; u < x + side / 2; ++u) {
            sum += image.at(u, v);
            squares += image.at(u, v) * image.at(u, v);
        }
    const double n = static_cast<double>(side) * side;
    return squares / n - (sum / n) * (sum / n);
}

double residualBlur(const GreyImage& image, const GreyImage& scene) {
    const Registration sharp = registration(image, scene);
    double bestSigma = 0.0;
    double best = sharp.psnr;
    for (double sigma = 0.05; sigma <= 4.0; sigma += 0.05) {
        const double psnr = refine(image, gaussianBlurred(scene, sigma), sharp, 0.0625, 2).psnr;
        if (psnr > best) {
            best = psnr;
            bestSigma = sigma;
        }
    }
    return bestSigma;
}

}  // namespace kestrave::test
