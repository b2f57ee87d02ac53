#pragma once
// Deterministic sample recordings: a synthetic planet seen through simulated seeing. Every
// frame is the true scene moved by a known whole- and sub-pixel shift, bent by a smooth local
// warp, blurred by a Gaussian whose width changes from frame to frame, scaled by a brightness
// flicker, given noise and quantised to the recording's sample depth. Everything follows from
// the seed: the same options give the same samples whatever the thread count.
//
// Shift convention: scene content moves by (shiftX, shiftY) in a frame, so a frame at pixel
// (x, y) shows the scene at (x - shiftX - warpX(x, y), y - shiftY - warpY(x, y)). Registering a
// frame on the scene therefore finds the shift (shiftX, shiftY); undoing it moves the frame by
// the negative amounts.

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "synth/planet.h"
#include "synth/surface.h"

namespace kestrave::synth {

// The colour-filter layout of the sensor. The values are the colour identifiers of a SER
// header; the names give the filter colours of the top-left 2 × 2 cell, row by row.
enum class ColourFilter : int { Mono = 0, BayerRGGB = 8, BayerGRBG = 9, BayerGBRG = 10, BayerBGGR = 11 };

// The name of a Bayer layout ("RGGB", "GRBG", "GBRG", "BGGR"); empty for Mono.
const char* filterPattern(ColourFilter filter);

// The colour (0 red, 1 green, 2 blue) that the filter passes at pixel (x, y); 1 for Mono.
int filterColour(ColourFilter filter, int x, int y);

struct SynthOptions {
    int width = 320;
    int height = 240;
    int frames = 200;
    std::uint64_t seed = 1;
    int bitsPerSample = 8;  // 8 to 16; samples run from 0 to 2^bits - 1
    ColourFilter filter = ColourFilter::Mono;
    double maxShift = 5.0;  // largest whole-frame shift along each axis, pixels
    double minBlur = 0.4;   // range of the blur's Gaussian deviation, pixels
    double maxBlur = 2.2;
    double warp = 0.4;      // typical size of the local warp, pixels
    int warpPeriods = 2;    // the warp's finest waves: this many periods across the frame (1..8)
    double flicker = 0.03;  // relative deviation of the frame brightness
    double noise = 0.01;    // noise deviation at mid brightness, fraction of the sample range
    bool surface = false;   // a cratered surface filling the frame instead of a planet on the sky
    double flatPlains = 0;  // share of the surface under smooth plains without craters (0..0.8)
};

// One wave of a frame's local warp: amplitude × sin(kx x + ky y + phase) pixels. The wave
// numbers fit whole periods into the frame, so the warp averages to zero over the frame and
// the frame's overall shift is exactly (shiftX, shiftY).
struct WarpWave {
    double amplitude = 0;
    double kx = 0, ky = 0;
    double phase = 0;
};

struct FrameTruth {
    double shiftX = 0, shiftY = 0;  // whole-frame shift of the scene content, pixels
    double blurSigma = 0;           // deviation of the Gaussian blur, pixels (0: none)
    double gain = 1;                // brightness factor of the frame
    std::array<WarpWave, 3> warpX{}, warpY{};
};

// Total displacement (shift plus warp) of the scene content at frame pixel (x, y).
std::array<double, 2> displacementAt(const FrameTruth& truth, double x, double y);

// The true scene, one value per pixel and colour, as a fraction of the sample range. Colour
// recordings (a Bayer filter) have three channels (red, green, blue); mono ones one.
struct SceneImage {
    int width = 0, height = 0, channels = 0;
    std::vector<float> values;  // channel after channel, each row after row from the top
    float at(int channel, int x, int y) const {
        return values[(static_cast<std::size_t>(channel) * height + y) * width + x];
    }
};

// Everything a recording is made from. Tests may change the truth before rendering (e.g. set a
// whole-pixel shift and no blur) to get frames with exactly known content.
struct Recording {
    SynthOptions options;
    PlanetModel planet;
    SurfaceModel surface;  // the scene when options.surface is set
    SceneImage scene;
    std::vector<FrameTruth> truth;  // one per frame

    int maxSample() const { return (1 << options.bitsPerSample) - 1; }
    std::size_t samplesPerFrame() const {
        return static_cast<std::size_t>(options.width) * static_cast<std::size_t>(options.height);
    }
};

// Checks the options and draws the scene and every frame's truth from the seed. Throws
// KestraveError naming the first bad option.
Recording planRecording(const SynthOptions& options);

// Renders frame `index` into `samples` (width × height samples, rows from the top; for a
// Bayer filter each sample is the colour that its filter passes).
void renderFrame(const Recording& recording, int index, std::span<std::uint16_t> samples);

// Renders frames [first, first + count) in parallel, frame after frame in one buffer.
std::vector<std::uint16_t> renderFrames(const Recording& recording, int first, int count);

// The frames of a recording in memory: all frames, frame after frame.
struct SynthesisedFrames {
    Recording recording;
    std::vector<std::uint16_t> samples;
    std::span<const std::uint16_t> frame(int index) const {
        return std::span(samples).subspan(index * recording.samplesPerFrame(), recording.samplesPerFrame());
    }
};
SynthesisedFrames synthesise(const SynthOptions& options);

}  // namespace kestrave::synth
