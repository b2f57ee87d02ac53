#pragma once
// Program state shared by the pipeline stages and the window: how far the work on the current
// input has come, which tab pages may be opened, and the per-input marks of the registration,
// wavelet and final pages that a new input puts back. What the window only draws (outlines, drag
// positions) is the window's own. The application owns one ProgramState and
// passes it by reference. (The cancel flag lives in the ProgressPort, the "do not repeat" state
// of the last message in the MessagePort.)

#include <algorithm>
#include <array>
#include <cstdint>

#include "frames/kernel3x3.h"

namespace kestrave {

enum class TProcessStage : std::int32_t {
    stNone = 0,
    stInputLoaded = 1,
    stFFTSizeSet = 2,
    stFeatureSet = 3,
    stReferenceReady = 4,
    stAligned = 5,  // aligned, optimized, limited, or a single image
    stStackPage = 6,
    stWaveletPage = 7,
};

enum class TMainTab : std::int32_t {
    tabAlign = 0,
    tabOptimize = 1,
    tabStack = 2,
    tabWavelet = 3,
    tabFinal = 4,
    tabAbout = 5,
};

// Saved in project files.
enum class TProgStatus : std::uint8_t {
    psNone = 0,
    psFeatureSet = 1,
    psAligned = 2,
    psOptimized = 3,
    psStacked = 4
};

// A rectangle given by its edges, in the order Left, Right, Top, Bottom; Left = -1 means none.
struct TEdgeRect {
    std::int32_t Left = -1;
    std::int32_t Right = -1;
    std::int32_t Top = -1;
    std::int32_t Bottom = -1;
};

// The corners in order: Left <= Right, Top <= Bottom.
inline TEdgeRect orderedCorners(const TEdgeRect& box) {
    return {std::min(box.Left, box.Right), std::max(box.Left, box.Right), std::min(box.Top, box.Bottom),
            std::max(box.Top, box.Bottom)};
}

// A rectangle given by two opposite corners; -1 means not defined.
struct TCornerRect {
    std::int32_t X1 = -1;
    std::int32_t Y1 = -1;
    std::int32_t X2 = -1;
    std::int32_t Y2 = -1;
};

struct ProgramState {
    TProcessStage ProcessStage = TProcessStage::stNone;
    // The highest tab of the tab strip that the user may open.
    TMainTab activepage = TMainTab::tabAlign;
    TProgStatus progstatus = TProgStatus::psNone;
    // Set while the batch runner drives the program: questions take their unattended answers.
    bool BatchMode = false;

    // The factors of a resampled stack (1..4) and of a drizzled one.
    float ResampleFactor = 2.0f;
    float DrizzleFactor = 2.0f;
    // The 3 x 3 kernel of the prefilter and the stack filter.
    TKernel3x3 Kernel3x3 = DefaultKernel3x3;
    // A dark frame or flat field is made of this input: set by "Create Darkframe" and by a save
    // as special FITS, cleared by new input. Stacks then keep the FITS value range and FITS
    // files the planes' values.
    bool MasterFrameMode = false;

    // Raised by the input selection for a new input, cleared by the per-input reset.
    bool newInput = false;

    // Registration: the clicked feature (centre of the alignment box, frame pixels), the stack
    // crop centre and the object-tracking offset.
    int FeatureX = 0;
    int FeatureY = 0;
    int stackx = 0;
    int stacky = 0;
    int TrackOffsetX = 0;
    int TrackOffsetY = 0;

    // Wavelet page: the channel shifts (the red or blue work pixel (x, y) comes from the stack
    // pixel (x + shiftX, y + shiftY)), whether the processing area is outlined, and the black and
    // white render levels.
    int RedShiftX = 0;
    int RedShiftY = 0;
    int BlueShiftX = 0;
    int BlueShiftY = 0;
    bool showProcessingArea = false;
    // The processing area covers the whole image, or "Do All" has processed it in tiles since a
    // layer slider last moved over a smaller area.
    bool WholeImageArea = false;
    // "Do All" has run to its end (not cancelled); "Create" reads and resets it.
    bool DoAllDone = false;
    float LevelLo = 0.0f;
    float LevelHi = 255.0f;
    // The wavelet layers no longer match the working image (a new stack, a changed shift, mix or
    // filter) and must be computed again; no layers exist before the first computation.
    bool LayersDirty = true;
    // Weights (red, green, blue) of the luminance mix of LRGB work, summing to 1.
    std::array<float, 3> LRGBWeights{299.0f / 1000.0f, 587.0f / 1000.0f, 114.0f / 1000.0f};
    // Colour balance factors of the render pass.
    std::array<float, 3> RGBBalance{1.0f, 1.0f, 1.0f};
    // The luminance formula that turns colour frames into luminance for registration: the
    // spin values plus 0.000001.
    std::array<float, 3> LumWeights{0.299f + 0.000001f, 0.587f + 0.000001f, 0.114f + 0.000001f};

    // Final page: the crop rectangle on the shown final picture and the source point the turn
    // keeps at the picture's centre (used when RotationCentreSet, in unflipped picture pixels).
    TEdgeRect CropRect;
    std::int32_t RotationCentreX = 0;
    std::int32_t RotationCentreY = 0;
    bool RotationCentreSet = false;
};

// Runs after every change of ProcessStage; nothing needs to follow such a change at present.
inline void EmptyHook() {}

// Every change of ProcessStage goes through here, so that EmptyHook follows each one.
inline void setProcessStage(ProgramState& state, TProcessStage stage) {
    state.ProcessStage = stage;
    EmptyHook();
}

}  // namespace kestrave
