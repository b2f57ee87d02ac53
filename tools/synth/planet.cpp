#include "synth/planet.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "synth/random.h"

namespace kestrave::synth {

namespace {

constexpr double twoPi = 2.0 * std::numbers::pi;

// The smallest detail the texture may hold, in pixels: finer waves would alias when the scene
// is sampled once per pixel.
constexpr double finestPeriod = 5.0;

Spot randomSpot(SeededRandom& random, double radius, bool reddish) {
    Spot spot;
    const double distance = 0.8 * std::sqrt(random.uniform());
    const double angle = random.uniform(0.0, twoPi);
    spot.u = distance * std::cos(angle);
    spot.v = distance * std::sin(angle);
    spot.sigmaU = random.uniform(std::max(1.5 / radius, 0.03), std::max(1.5 / radius, 0.1));
    spot.sigmaV = spot.sigmaU * random.uniform(0.5, 0.8);
    if (reddish) {
        // A red oval: dark in green and blue, nearly unchanged in red.
        const double depth = random.uniform(0.25, 0.4);
        spot.amplitude = {-0.1 * depth, -0.7 * depth, -depth};
    } else if (random.uniform() < 0.55) {
        const double depth = random.uniform(0.15, 0.4);
        spot.amplitude = {-depth, -1.05 * depth, -1.1 * depth};
    } else {
        const double lift = random.uniform(0.08, 0.2);
        spot.amplitude = {lift, lift, lift};
    }
    return spot;
}

}  // namespace

PlanetModel makePlanet(SeededRandom& random, int width, int height) {
    PlanetModel planet;
    const double radius = 0.32 * std::min(width, height);
    planet.centreX = 0.5 * (width - 1) + random.uniform(-0.04, 0.04) * width;
    planet.centreY = 0.5 * (height - 1) + random.uniform(-0.04, 0.04) * height;
    planet.radiusX = radius;
    planet.radiusY = radius * random.uniform(0.92, 0.97);
    planet.tilt = random.uniform(-0.25, 0.25);
    planet.cosTilt = std::cos(planet.tilt);
    planet.sinTilt = std::sin(planet.tilt);

    // Cycles per disc radius whose period is still finestPeriod pixels or more.
    const double finest = std::max(1.0, planet.radiusY / finestPeriod);
    for (int i = 0; i < 6; ++i) {
        BandWave band;
        band.frequency = random.uniform(0.6, std::min(6.0, finest));
        band.amplitude = random.uniform(0.03, 0.08);
        band.phase = random.uniform(0.0, twoPi);
        band.wiggleFrequency = random.uniform(1.0, 3.0);
        band.wiggleAmplitude = random.uniform(0.0, 0.03);
        band.wigglePhase = random.uniform(0.0, twoPi);
        planet.bands.push_back(band);
    }
    for (int i = 0; i < 4; ++i) {
        TextureWave wave;
        const double frequency = random.uniform(0.5, 1.0) * finest;
        const double direction = random.uniform(0.0, twoPi);
        wave.frequencyU = frequency * std::cos(direction);
        wave.frequencyV = frequency * std::sin(direction);
        wave.amplitude = random.uniform(0.01, 0.02);
        wave.phase = random.uniform(0.0, twoPi);
        planet.textures.push_back(wave);
    }
    for (int i = 0; i < 8; ++i) planet.spots.push_back(randomSpot(random, radius, i == 0));
    return planet;
}

std::array<float, 3> planetColour(const PlanetModel& planet, double x, double y) {
    const auto sky = static_cast<float>(planet.sky);
    const double dx = x - planet.centreX;
    const double dy = y - planet.centreY;
    // Disc coordinates: u along the bands, v across them, both 1 at the limb.
    const double u = (dx * planet.cosTilt + dy * planet.sinTilt) / planet.radiusX;
    const double v = (dy * planet.cosTilt - dx * planet.sinTilt) / planet.radiusY;
    const double r2 = u * u + v * v;
    // Signed distance outside the limb in pixels (approximately, for an oblate disc).
    const double limbDistance = (std::sqrt(r2) - 1.0) * std::sqrt(planet.radiusX * planet.radiusY);
    if (limbDistance >= 0.5 * planet.edgeWidth) return {sky, sky, sky};

    // A smooth step over edgeWidth pixels keeps the limb free of aliasing.
    const double t = std::clamp(0.5 - limbDistance / planet.edgeWidth, 0.0, 1.0);
    const double coverage = t * t * (3.0 - 2.0 * t);
    const double mu = std::sqrt(std::max(0.0, 1.0 - r2));
    const double limb = 1.0 - planet.limbDarkening * (1.0 - mu);

    double band = 0.0;
    for (const BandWave& b : planet.bands) {
        const double wiggle = b.wiggleAmplitude * std::sin(twoPi * b.wiggleFrequency * u + b.wigglePhase);
        band += b.amplitude * std::sin(twoPi * b.frequency * (v + wiggle) + b.phase);
    }
    double texture = 0.0;
    for (const TextureWave& w : planet.textures)
        texture += w.amplitude * std::sin(twoPi * (w.frequencyU * u + w.frequencyV * v) + w.phase);
    // Dark belts are browner than the bright zones.
    const double belt = 2.0 * std::max(0.0, -band);
    const double base = planet.peak * limb * (1.0 + band + texture);

    std::array<double, 3> colour;
    for (int c = 0; c < 3; ++c) colour[c] = base * (planet.tint[c] - planet.beltTint[c] * belt);
    for (const Spot& spot : planet.spots) {
        const double su = (u - spot.u) / spot.sigmaU;
        const double sv = (v - spot.v) / spot.sigmaV;
        const double d2 = su * su + sv * sv;
        if (d2 >= 20.0) continue;
        const double shape = std::exp(-0.5 * d2);
        for (int c = 0; c < 3; ++c) colour[c] *= 1.0 + spot.amplitude[c] * shape;
    }
    std::array<float, 3> result;
    for (int c = 0; c < 3; ++c) result[c] = static_cast<float>(planet.sky + coverage * colour[c]);
    return result;
}

}  // namespace kestrave::synth
