#pragma once
// What a stacking run returns: its outcome, the frames it took, the stack's size, shifts,
// picture and statistics; and the two passes of a sigma-clipped stack.

#include <array>
#include <string>
#include <vector>

#include "codecs/tiff_bitmap.h"
#include "frames/frame_model.h"
#include "platform/bitmap24.h"

namespace kestrave {

inline constexpr int ToneHistogramBins = 1001;

struct StackStatistics {
    float StackMeanR = 0.0f;
    float StackMeanG = 0.0f;
    float StackMeanB = 0.0f;
    float StackMeanLum = 0.0f;
    float StackGeoMeanLum = 0.0f;
    float StackMaxLum = 0.0f;
    float StackMinLum = 0.0f;
    // The tone curve: the luminance histogram clipped at 1 % of its total until at most 2.5 % is
    // clipped away, then summed up to 0..255 (bin 0 keeps its count). The raw counts beside it.
    std::array<double, ToneHistogramBins> ToneHistogram{};
    std::array<double, ToneHistogramBins> ToneHistogramRaw{};
    double ToneHistTotal = 0.0;
    double ToneHistClip = 0.0;
    double ToneHistTarget = 0.0;
    double ToneHistExcess = 0.0;
};

enum class StackOutcome {
    Stacked,    // the stack is in the section and the result
    NoFrames,   // no frame passed the sliders; "No frames to stack, please change slider(s)"
    Declined,   // the one-frame question was not answered Yes
    Cancelled,  // the cancel request ended the frame loop
    Failed,     // the planes could not be allocated (reported)
};

struct StackResult {
    StackOutcome outcome = StackOutcome::Failed;

    // Frame choice.
    std::vector<int> stackList;  // frames taken, ascending by frame number
    int StackListCount = 0;      // frames counted (the flagged count in multi-point mode)
    int StackRangeCount = 0;     // StackSlider.Value + 1
    int StackSliderTag = 0;      // the rank bound for StackSlider.Tag after the run

    // Canvas.
    int ImageWidth = 0;
    int ImageHeight = 0;
    int StackWidth = 0;  // expanded canvas
    int StackHeight = 0;
    int StackMinShiftX = 0;
    int StackMinShiftY = 0;
    int StackMaxShiftX = 0;
    int StackMaxShiftY = 0;
    int StackOffsetX = 0;
    int StackOffsetY = 0;
    double displayFactor = 1.0;  // stack pixels per frame pixel, for the scroll positions
    std::string sizeSuffix;      // " Resample 2" after the size in the status texts

    // Multi-point mode.
    std::array<float, AlignSlotCount> PointMeanShiftX{};
    std::array<float, AlignSlotCount> PointMeanShiftY{};
    std::array<int, AlignSlotCount> PointStackDepth{};  // when the points are placed
    std::vector<std::string> memoLines;                 // one "point p counter :…" line per point
    Bitmap24 MultiStackimage;                           // nearest points (FastStack only)

    std::array<int, 4> ChannelFrameCount{};

    // Rendering.
    float StackMinValue = 0.0f;
    float StackMaxValue = 0.0f;
    StackStatistics statistics;
    // The stack view, with the 16-bit samples it was rendered from.
    TTIFFBitMap Stackimage;

    // For the window.
    bool SigmaFinalPass = false;   // after the run (a completed pass toggles it)
    bool darkSwitchedOff = false;  // the dark frame's size did not match: uncheck Usedarkframe
    bool flatSwitchedOff = false;
    bool rawDarkSwitchedOff = false;  // the same for the raw dark: uncheck Rawdark
    bool luminanceStacked = false;    // FITS luminance frames were stacked: check Lumichannel
};

struct SigmaStackRun {
    StackResult first;  // the statistics pass
    StackResult final;  // the clipped pass; outcome Failed when it did not run
    bool finalRan = false;
    // A recording run: the list line of every frame with events ("Frame12 Events 2"), and
    // whether the run completed with its log written.
    std::vector<std::string> Sigmalist;
    bool recorded = false;

    // The stack the image data section holds afterwards: the clipped one when that pass
    // completed, else the statistics pass's own stack when that one completed.
    StackResult& published() { return final.outcome == StackOutcome::Stacked ? final : first; }
};

}  // namespace kestrave
