#pragma once
// The synthetic lunar surface: a cratered plain that fills the whole frame, so that every part
// of a frame holds detail to align on (as a close-up of the Moon does). Each crater is a
// smooth bowl with a bright rim; a few broad waves vary the plain's brightness. Described by
// numbers only, so that it can be evaluated at any (sub-pixel) point.

#include <vector>

namespace kestrave::synth {

class SeededRandom;

struct Crater {
    double x = 0, y = 0;  // centre, pixels
    double radius = 0;    // rim radius, pixels
    double depth = 0;     // darkening of the floor at the centre
    double rim = 0;       // brightening of the rim
};

struct SurfaceModel {
    int width = 0, height = 0;
    double plain = 0.45;  // brightness of the plain
    struct Wave {
        double kx = 0, ky = 0, amplitude = 0, phase = 0;
    };
    std::vector<Wave> waves;
    // Craters sorted into square cells of cellSize pixels (row after row of cells), so that a
    // point looks only at the craters of the cells around it.
    double cellSize = 32;
    int cellsAcross = 0, cellsDown = 0;
    std::vector<std::vector<Crater>> cells;
};

// A random surface for a scene of the given size, about one crater per 500 pixels. With
// flatShare > 0 three round plains (maria) covering about that share of the scene hold no
// crater: only the broad waves shade them.
SurfaceModel makeSurface(SeededRandom& random, int width, int height, double flatShare = 0.0);

// Brightness of the surface at (x, y), a fraction of the sample range.
float surfaceBrightness(const SurfaceModel& surface, double x, double y);

}  // namespace kestrave::synth
