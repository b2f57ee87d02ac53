#include "synth/surface.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "synth/random.h"

namespace kestrave::synth {

namespace {

constexpr double twoPi = 2.0 * std::numbers::pi;
// Craters reach no further than this many rim radii from their centre.
constexpr double reach = 1.8;
constexpr double largestRadius = 14.0;

// The crater's change of brightness at distance d from its centre: a bowl darkest at the centre
// and a rim whose width grows with the crater, both smooth at the scale of a pixel.
double craterProfile(const Crater& c, double d) {
    double value = 0.0;
    const double r = d / c.radius;
    if (r < 1.0) value -= c.depth * (1.0 - r * r) * (1.0 - r * r);
    const double rimWidth = 0.22 * c.radius + 0.9;
    const double t = (d - c.radius) / rimWidth;
    value += c.rim * std::exp(-t * t);
    return value;
}

}  // namespace

SurfaceModel makeSurface(SeededRandom& random, int width, int height, double flatShare) {
    SurfaceModel s;
    s.width = width;
    s.height = height;
    s.plain = random.uniform(0.4, 0.5);
    for (int i = 0; i < 4; ++i) {
        SurfaceModel::Wave wave;
        const double period = random.uniform(40.0, 160.0);
        const double direction = random.uniform(0.0, twoPi);
        wave.kx = twoPi / period * std::cos(direction);
        wave.ky = twoPi / period * std::sin(direction);
        wave.amplitude = random.uniform(0.02, 0.06);
        wave.phase = random.uniform(0.0, twoPi);
        s.waves.push_back(wave);
    }
    s.cellSize = std::ceil(reach * largestRadius);
    s.cellsAcross = static_cast<int>(std::ceil(width / s.cellSize)) + 1;
    s.cellsDown = static_cast<int>(std::ceil(height / s.cellSize)) + 1;
    s.cells.resize(static_cast<std::size_t>(s.cellsAcross) * s.cellsDown);
    struct Plain {
        double x, y, radius;
    };
    std::vector<Plain> plains;
    if (flatShare > 0.0) {
        const double radius = std::sqrt(flatShare * width * height / (3.0 * std::numbers::pi));
        for (int i = 0; i < 3; ++i)
            plains.push_back({random.uniform(0.0, width), random.uniform(0.0, height), radius});
    }
    const auto onPlain = [&plains](double x, double y, double reachOut) {
        return std::any_of(plains.begin(), plains.end(), [&](const Plain& p) {
            return std::hypot(x - p.x, y - p.y) < p.radius + reachOut;
        });
    };
    // Small craters are many, large ones few (radius drawn as largest x u^2).
    const int count = std::max(1, width * height / 500);
    for (int i = 0; i < count; ++i) {
        Crater c;
        c.x = random.uniform(-4.0, width + 4.0);
        c.y = random.uniform(-4.0, height + 4.0);
        const double u = random.uniform();
        c.radius = 2.0 + (largestRadius - 2.0) * u * u;
        c.depth = random.uniform(0.08, 0.25);
        c.rim = random.uniform(0.05, 0.18);
        if (onPlain(c.x, c.y, reach * c.radius)) continue;
        const int cx =
            std::clamp(static_cast<int>(std::floor((c.x + 4.0) / s.cellSize)), 0, s.cellsAcross - 1);
        const int cy = std::clamp(static_cast<int>(std::floor((c.y + 4.0) / s.cellSize)), 0, s.cellsDown - 1);
        s.cells[static_cast<std::size_t>(cy) * s.cellsAcross + cx].push_back(c);
    }
    return s;
}

float surfaceBrightness(const SurfaceModel& s, double x, double y) {
    double value = s.plain;
    for (const SurfaceModel::Wave& w : s.waves)
        value += w.amplitude * std::sin(w.kx * x + w.ky * y + w.phase);
    const int cx = static_cast<int>(std::floor((x + 4.0) / s.cellSize));
    const int cy = static_cast<int>(std::floor((y + 4.0) / s.cellSize));
    for (int j = std::max(0, cy - 1); j <= std::min(s.cellsDown - 1, cy + 1); ++j)
        for (int i = std::max(0, cx - 1); i <= std::min(s.cellsAcross - 1, cx + 1); ++i)
            for (const Crater& c : s.cells[static_cast<std::size_t>(j) * s.cellsAcross + i]) {
                const double dx = x - c.x, dy = y - c.y;
                const double d2 = dx * dx + dy * dy;
                const double limit = reach * c.radius;
                if (d2 < limit * limit) value += craterProfile(c, std::sqrt(d2));
            }
    return static_cast<float>(std::clamp(value, 0.02, 0.95));
}

}  // namespace kestrave::synth
