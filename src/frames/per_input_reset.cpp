#include "frames/per_input_reset.h"

#include <algorithm>

namespace kestrave {

int fftSizeForItem(int itemIndex) {
    return 1 << (std::clamp(itemIndex, 0, 4) + 5);
}

namespace {

// The per-frame results that a new input must not inherit. The alignment pass rewrites every
// other field before it reads it.
void clearFrameResults(FrameModel& model) {
    model.FrameTable.forEach([](TFrameRec& frame) {
        TAlignSlotRec& whole = frame.Slots[0];
        whole.X = whole.Y = 0;
        whole.ShiftScale = 1.0f;
        whole.Quality = whole.Difference = 0.0f;
        whole.SavedX = whole.SavedY = 0;
        frame.Slots[1].SavedX = frame.Slots[1].SavedY = 0;
        TAlignSlotRec& otherField = frame.Slots[2];
        otherField.X = otherField.Y = 0;
        otherField.ShiftScale = 1.0f;
        otherField.Quality = otherField.Difference = 0.0f;
        frame.Excluded = false;
        frame.Dropped = false;
    });
    model.FrameRanking.forEach([](TRankRec& rank) {
        rank.Frame = 0;
        rank.Key = 0.0f;
    });
}

}  // namespace

ResetResult initializesettings(FrameModel& model, ProgramState& state, ImageDataSection& section,
                               const ResetControls& controls, FftSetupPort& fft, ProgressPort& progress) {
    progress.setCancelRequested(false);
    model.SingleImage = false;

    model.DroppedFrames = false;
    state.showProcessingArea = controls.showProcessingArea;

    if (!controls.keepRenderSettings) {
        state.RedShiftX = state.RedShiftY = 0;
        state.BlueShiftX = state.BlueShiftY = 0;
        state.LevelLo = 0.0f;
        state.LevelHi = 255.0f;
    }

    ResetResult result;
    result.fftSizeItemIndex = std::max(controls.fftSizeItemIndex, 0);
    result.fftSize = fftSizeForItem(result.fftSizeItemIndex);
    fft.InitFFT(result.fftSize);
    fft.BuildBandMask(controls.fftFilter);

    state.FeatureX = state.FeatureY = 0;
    state.stackx = state.stacky = 0;

    state.MasterFrameMode = false;
    state.newInput = false;
    model.InputIsFIT = false;
    model.InputIsSeries = false;

    section.ProcessAreaX = section.ProcessAreaY = 0;
    state.CropRect = TEdgeRect{};
    state.RotationCentreSet = false;
    state.TrackOffsetX = state.TrackOffsetY = 0;

    clearFrameResults(model);
    return result;
}

}  // namespace kestrave
