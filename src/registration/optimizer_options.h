#pragma once
// The optimizer's options, the chart and results of its passes, and what the window is told
// of them.

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "frames/frame_model.h"
#include "frames/kernel3x3_values.h"
#include "platform/bitmap24.h"

namespace kestrave {

class T2dArrays;

// The search radius never exceeds 10 pixels; the difference table covers -10..10 each way.
inline constexpr int MaxSearchRadius = 10;
inline constexpr int DifferenceTableSide = 2 * MaxSearchRadius + 1;
// A difference of exactly 1.0 stands for "not measured" and becomes UnmeasuredStartDifference.
inline constexpr float UnmeasuredStartDifference = 1.5e38f;
// The start difference of a run that restarts every frame (new reference, resampling).
inline constexpr float RestartDifference = 1e7f;
// A table entry that was not computed.
inline constexpr float NotComputed = -1.0f;

// The control values one optimizer step reads.
struct OptimizerSearchOptions {
    double SearchArea = 2.0;       // search radius, pixels (1..10)
    bool FastOptim = true;         // diamond walk with radius 10 instead of the full raster
    bool Blurbox = false;          // subtract the bias before comparing
    double Bias = 50.0;            // rounded before use
    bool Filteralignment = false;  // filter the compared part of the frame with Kernel3x3 first
    TKernel3x3 Kernel3x3{9, 1, 1, 1, 1, 1, 1, 1, 1, 1};
    bool Pregamma = false;     // put the frame through the gamma table first
    bool Colourstack = false;  // luminance from red, green and blue instead of green alone
    std::array<float, 3> LumWeights{0.299f, 0.587f, 0.114f};
    // The green dark plane (128 times the dark level) when the dark frame is subtracted; it is used
    // only when it covers the frame.
    const T2dArrays* darkGreen = nullptr;
    bool interlaced = false;
    bool Interlacehoriz = false;  // the fields are columns, not rows
    bool Resampled = false;       // compare in resampled pixels
    float ResampleFactor = 2.0f;
    int ResampleMethod = 0;  // item of "Bell", "Bspline", "Lanczos", "Mitchell"
    // A free alignment box: its centre and size in frame pixels.
    bool FreeBox = false;
    int FreeBoxCentreX = 0;
    int FreeBoxCentreY = 0;
    int FreeBoxWidth = 0;
    int FreeBoxHeight = 0;
};

// The start Improvement of every frame of a run, and the value that makes a pass take a frame
// again.
inline constexpr float RunStartImprovement = 90.0f;
inline constexpr float ForcedImprovement = 100.0f;

struct OptimizerOptions {
    OptimizerSearchOptions search;
    int FFTSize = 128;
    double OptimizeSpin = 1.0;  // percent: stop threshold of the loop, skip threshold per frame
    bool Warnings = true;       // ask before a restart
    int lastPosition = 0;       // the frame limit's last ranked position: the last one optimized
};

// The optimizer chart: one point per frame a pass optimizes.
struct OptimizerChart {
    std::vector<double> quality;     // Series3: the ranking key
    std::vector<double> difference;  // Series4: the slot-0 difference, 0 when not measured
    std::vector<bool> unmeasured;    // the point is labelled " " (difference 1e7)
    std::vector<int> positions;      // the ranking position of each point
    double frameIncrement = 1.0;
    bool showDifferenceAxis = false;  // the largest difference exceeds 1.0
    double differenceIncrement = 0.0;
};

struct OptimizerPassResult {
    bool cancelled = false;
    int counted = 0;    // points of the chart (Series3)
    int optimized = 0;  // frames that were given an optimizer step
    double xSum = 0.0;  // "x sum:" of |X| over the optimized frames
    double ySum = 0.0;
};

// The reference of a pass as the window shows it: the reference picture in working pixels (the
// resampled copy of Image1 when resampling, Image1 otherwise), the feature's place in it and the
// side of the compared windows (the box, or the box times the resampling factor).
struct OptimizerReferenceView {
    const Bitmap24& picture;
    int featureX = 0;
    int featureY = 0;
    int side = 0;
    int half = 0;  // half the alignment box in working pixels
    bool resampled = false;
};

// What the window shows of the passes; every call comes on the caller's thread.
class OptimizerObserver {
public:
    virtual ~OptimizerObserver() = default;
    virtual void passStarted(const OptimizerChart& /*chart*/, const OptimizerReferenceView& /*reference*/) {}
    // Before the first pass of an optimize-and-stack run the frames' shifts and differences are
    // back at what their alignment measured (or marked to be measured again).
    virtual void alignmentRestored() {}
    // A frame was optimized; `currentBox` is its compared box after the step.
    virtual void frameOptimized(int /*position*/, int /*frame*/, const TFrameRec& /*record*/,
                                const Bitmap24& /*currentBox*/) {}
    // A pass ended (also after a cancel) with the new DifferenceSum.
    virtual void passFinished(const OptimizerPassResult& /*result*/, double /*DifferenceSum*/) {}
    // The caption of the registration graph window.
    virtual void captionChanged(const std::string& /*caption*/) {}
};

struct OptimizerRunResult {
    bool cancelled = false;
    int passes = 0;
    // The new state of the Warnings check box when a question's "do not repeat" box changed it.
    std::optional<bool> Warnings;
};

}  // namespace kestrave
