#pragma once
// The synthetic planet: a banded, spotted, limb-darkened disc on a dark sky, described by a
// handful of numbers so that it can be evaluated at any (sub-pixel) point. Coordinates are
// pixels of the scene with pixel centres at whole numbers; (0, 0) is the top-left pixel.
// Brightness is a fraction of the sample range (0 black, 1 the largest sample).

#include <array>
#include <vector>

namespace kestrave::synth {

class SeededRandom;

// One band term of the disc's texture: a wave across latitude whose crests wander a little
// with longitude, so band edges are not straight.
struct BandWave {
    double frequency = 0;  // cycles per disc radius of latitude
    double amplitude = 0;
    double phase = 0;
    double wiggleFrequency = 0;  // cycles per disc radius of longitude
    double wiggleAmplitude = 0;  // in units of latitude
    double wigglePhase = 0;
};

// Fine texture over the whole disc (festoons, granulation-like mottling).
struct TextureWave {
    double frequencyU = 0, frequencyV = 0;  // cycles per disc radius
    double amplitude = 0;
    double phase = 0;
};

// An oval spot, bright or dark, stretched along the bands.
struct Spot {
    double u = 0, v = 0;                // centre in disc units (-1..1)
    double sigmaU = 0, sigmaV = 0;      // extent in disc units
    std::array<double, 3> amplitude{};  // relative brightness change per colour (R, G, B)
};

struct PlanetModel {
    double centreX = 0, centreY = 0;
    double radiusX = 0, radiusY = 0;                  // equatorial and polar radius in pixels
    double tilt = 0;                                  // angle of the bands to the rows, radians
    double cosTilt = 1, sinTilt = 0;                  // of tilt, kept for speed
    double limbDarkening = 0.55;                      // linear law: 1 - k (1 - mu)
    double edgeWidth = 1.5;                           // width of the soft limb, pixels
    double sky = 0.02;                                // brightness of the empty sky
    double peak = 0.58;                               // brightness of the disc centre before texture
    std::array<double, 3> tint{1.0, 0.92, 0.78};      // colour of the bright zones
    std::array<double, 3> beltTint{0.0, 0.18, 0.34};  // extra darkening of belts per colour
    std::vector<BandWave> bands;
    std::vector<TextureWave> textures;
    std::vector<Spot> spots;
};

// A random planet for a scene of the given size, centred near the middle and filling about
// two thirds of the shorter side.
PlanetModel makePlanet(SeededRandom& random, int width, int height);

// Red, green and blue brightness of the scene at (x, y).
std::array<float, 3> planetColour(const PlanetModel& planet, double x, double y);

// The grey brightness of a colour: the weights of the usual luminance sum.
inline float luminance(const std::array<float, 3>& rgb) {
    return 0.299f * rgb[0] + 0.587f * rgb[1] + 0.114f * rgb[2];
}

}  // namespace kestrave::synth
