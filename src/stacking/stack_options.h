#pragma once
// The settings of one stacking run, read from the stacking controls by the window (or set by the
// batch runner and the tests), and the alignment points as the stack sees them.

#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "frames/frame_model.h"
#include "frames/kernel3x3.h"

namespace kestrave {

// The alignment points of multi-point mode: point p (1..Alignpoints) sits at PointPos[p] of the
// reference frame, and slot p of every frame record holds that frame's result for it.
struct StackPointSet {
    bool MultiPointMode = false;
    bool MultiQuantity = false;  // the per-point quality cut applies
    int Alignpoints = 0;
    std::array<PointXY, AlignSlotCount> PointPos{};
    std::array<float, AlignSlotCount> PointQualityCut{};
    std::array<float, AlignSlotCount> PointDifferenceCut{};
    std::array<bool, AlignSlotCount> PointEnabled{};
    // The points are placed: the run measures the stack depth at every point.
    bool StopPlacing = false;
};

// One sample of a frame that reached or passed the upper clip bound of the final sigma pass.
struct SigmaEvent {
    int X = 0;  // stack-image position
    int Y = 0;
    float Value = 0.0f;  // the sample, 0..255 scale
    float High = 0.0f;   // the upper clip bound at that position
};

// The brighter of two events comes first; equal samples go by row and then column.
inline bool brighterEvent(const SigmaEvent& a, const SigmaEvent& b) {
    if (a.Value != b.Value) return a.Value > b.Value;
    return a.Y != b.Y ? a.Y < b.Y : a.X < b.X;
}

// At most this many events of one frame are handed on: a frame that is badly out of place (or a
// box and floor that let the noise through) could otherwise yield an event at every pixel.
inline constexpr std::size_t SigmaEventsPerFrame = 1000;

// Receives the sigma events of a recording run, frame after frame in stacking order.
class SigmaEventSink {
public:
    virtual ~SigmaEventSink() = default;
    // The events of one frame (one field of an interlaced frame), ordered by row and then column;
    // called only for frames that have events. `found` counts every event of the frame: when it
    // is above SigmaEventsPerFrame, `events` holds the brightest SigmaEventsPerFrame of them.
    virtual void frameEvents(int frameIndex, const std::vector<SigmaEvent>& events, std::size_t found) = 0;
};

// Rank order of the stack: the last rank counted, and the last rank taken into the list.
struct StackSliderState {
    int Value = 0;
    int Tag = 0;
};

struct StackOptions {
    // Frame choice.
    StackSliderState StackSlider;
    int differencecutslider = 1000;  // thousandths of the largest difference, 0..1001

    // Canvas: expanded to hold every shift, resampled, or drizzled.
    bool Expandstack = false;
    bool Resampled = false;
    bool Drizzle2 = false;        // the canvas is drizzle-sized
    bool Drizzling = false;       // the frames are drizzled
    float ResampleFactor = 2.0f;  // ResampleSpin, 1..4
    int ResampleMethod = 0;       // item of "Bell", "Bspline", "Lanczos", "Mitchell"
    float Drizzlefact = 2.0f;     // 1..3
    float Pixfrac = 80.0f;        // drop size, percent of a frame pixel, 10..100

    // Samples.
    bool Colourstack = false;     // else mono: red, green and blue mixed by the program's LRGBWeights
    bool DebayerEnabled = false;  // Avidebay
    bool Usedarkframe = false;
    bool UseFlatfield = false;
    bool Rawdark = false;         // the debayering source takes the dark off the raw mosaic
    bool Stackfilterset = false;  // 3 x 3 stack filter
    TKernel3x3 Kernel3x3{9, 1, 1, 1, 1, 1, 1, 1, 1, 1};
    float Edgewidth = 0.0f;
    bool IntensBalance = false;
    bool interlaced = false;
    bool Interlacehoriz = false;
    int interlaceinterpolation = 0;  // "none", all rows, field 1 only, field 0 only

    // Sigma clipping: the first pass gathers statistics, the final pass clips.
    bool Statistical = false;
    bool SigmaFinalPass = false;
    bool RejectMax = false;
    bool sigmahi = true;
    bool Sigmalo = true;
    float Statisticspin = 2.0f;  // sigma factor k
    // Event recording of the final pass.
    bool Recordsigma = false;
    SigmaEventSink* SigmaEvents = nullptr;
    float Lowpixdetect = 100.0f;
    float SigmaBoxLeft = 0.0f;
    float SigmaBoxRight = 0.0f;
    float SigmaBoxTop = 0.0f;
    float SigmaBoxBottom = 0.0f;
    int INCLEXCLbox = 0;  // 0 events inside the box, 1 outside

    // Multi-point placement.
    StackPointSet Points;
    bool Macorrect = false;  // remove the mean shift of every point
    bool FastStack = true;   // nearest points from the precomputed map
    bool Seams = false;
    float SeamWidths = 5.0f;

    // Value range of the rendered stack.
    bool Histostretch = false;
    bool MasterFrameMode = false;
    bool SerStretch = false;
    int FitsBitpix = 0;     // of the last FITS file read
    int SerPixelDepth = 0;  // 8 or 16

    // The registered-AVI writer drives the run: it goes on without frames and never asks.
    bool StackToAviMode = false;
    // Put before the texts the run shows of its progress ("Reference" while a reference is made).
    std::string StackLabelPrefix;
};

// The unit the stack places frames in: resampled frames in resampled pixels, everything else
// (drizzle drops too) in frame pixels. The frames' shifts are taken into it from their own unit.
inline double stackShiftScale(const StackOptions& options) {
    return options.Resampled && !options.Drizzling ? static_cast<double>(options.ResampleFactor) : 1.0;
}

// Whether the stack is placed zone by zone, each by its alignment point's own shift (more than one
// point, not drizzled: drizzle drops are placed by the frame's shift, the points only choosing).
inline bool placesByZones(const StackOptions& options) {
    return options.Points.MultiPointMode && options.Points.Alignpoints > 1 && !options.Drizzling;
}

}  // namespace kestrave
