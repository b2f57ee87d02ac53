// The frame model's caps and the per-input reset: which fields a new input clears and which it
// must leave alone.

#include <gtest/gtest.h>

#include <stdexcept>
#include <utility>
#include <vector>

#include "frames/frame_model.h"
#include "frames/image_data_section.h"
#include "frames/per_input_reset.h"
#include "frames/program_state.h"
#include "platform/progress_port.h"

using namespace kestrave;

namespace {

class RecordingFft : public FftSetupPort {
public:
    void InitFFT(int n) override { calls.push_back({"InitFFT", n}); }
    void BuildBandMask(double filterRadius) override { calls.push_back({"BuildBandMask", filterRadius}); }
    std::vector<std::pair<std::string, double>> calls;
};

constexpr float Seven = 7.0f;

void fillSlot(TAlignSlotRec& slot) {
    slot = TAlignSlotRec{7, 7, Seven, Seven, 7, 7, Seven, Seven, Seven};
}

// Every field of the model, the state and the processing area set to 7 (flags set).
void fillWithSevens(FrameModel& model, ProgramState& state, ImageDataSection& section) {
    for (TFrameRec& frame : model.FrameTable) {
        for (TAlignSlotRec& slot : frame.Slots) fillSlot(slot);
        frame.SubPixelX = frame.SubPixelY = frame.AlignDifference = frame.Improvement = Seven;
        frame.Excluded = frame.Dropped = true;
        frame.Angle = frame.MeanBrightness = Seven;
    }
    for (TRankRec& rank : model.FrameRanking) rank = TRankRec{7, Seven, Seven};
    model.FramesRanked = true;
    model.InputType = TInputType::itSER;
    model.InputIsSeries = model.InputIsJPG = model.InputIsFIT = model.InputIsTIF = model.InputIsPNG = true;
    model.InputIsSER = model.InputPNG16 = model.SingleImage = model.FitStretch = model.TifStretch = true;
    model.DroppedFrames = true;
    model.FrameNames[7] = "seven";
    model.AviName = model.SerName = "seven";
    model.setAviSegment(0, "seven", 7);
    model.avicount = 7;
    model.FrameWidthRaw = model.FrameHeightRaw = model.FrameWidth = model.FrameHeight = 7;
    model.ImageWidth = model.ImageHeight = model.usedframes = 7;

    state.ProcessStage = TProcessStage::stWaveletPage;
    state.activepage = TMainTab::tabFinal;
    state.progstatus = TProgStatus::psStacked;
    state.BatchMode = state.newInput = state.MasterFrameMode = true;
    state.FeatureX = state.FeatureY = state.stackx = state.stacky = 7;
    state.TrackOffsetX = state.TrackOffsetY = 7;
    state.RedShiftX = state.RedShiftY = state.BlueShiftX = state.BlueShiftY = 7;
    state.showProcessingArea = false;
    state.LevelLo = state.LevelHi = Seven;
    state.CropRect = TEdgeRect{7, 7, 7, 7};
    state.RotationCentreSet = true;

    section.ProcessAreaSize = 256;
    section.ProcessAreaX = section.ProcessAreaY = section.ProcessAreaWidth = section.ProcessAreaHeight = 7;
}

void expectSlot(const TAlignSlotRec& slot, bool shiftAndGrade, bool saved, int frame, int s) {
    const int shift = shiftAndGrade ? 0 : 7;
    const int kept = saved ? 0 : 7;
    ASSERT_EQ(slot.X, shift) << "frame " << frame << " slot " << s;
    ASSERT_EQ(slot.Y, shift) << "frame " << frame << " slot " << s;
    // A cleared shift is in frame pixels.
    ASSERT_EQ(slot.ShiftScale, shiftAndGrade ? 1.0f : Seven) << "frame " << frame << " slot " << s;
    ASSERT_EQ(slot.Quality, static_cast<float>(shift)) << "frame " << frame << " slot " << s;
    ASSERT_EQ(slot.Difference, static_cast<float>(shift)) << "frame " << frame << " slot " << s;
    ASSERT_EQ(slot.SavedX, kept) << "frame " << frame << " slot " << s;
    ASSERT_EQ(slot.SavedY, kept) << "frame " << frame << " slot " << s;
    ASSERT_EQ(slot.Peak, Seven) << "frame " << frame << " slot " << s;
    ASSERT_EQ(slot.Brightness, Seven) << "frame " << frame << " slot " << s;
}

}  // namespace

TEST(FrameModel, EveryTableHoldsExactlyItsFixedNumberOfEntries) {
    FrameModel model;
    model.FrameTable[MaxFrameIndex].Slots[AlignSlotCount - 1].X = 5;
    EXPECT_EQ(model.FrameTable[10000].Slots[99].X, 5);
    model.FrameRanking[10000].Frame = 10000;
    model.FrameNames[10000] = "last.bmp";
    EXPECT_EQ(model.FrameNames[10000], "last.bmp");

    EXPECT_THROW(model.FrameTable[10001], std::out_of_range);
    EXPECT_THROW(model.FrameTable[-1], std::out_of_range);
    EXPECT_THROW(model.FrameRanking[10001], std::out_of_range);
    EXPECT_THROW(model.FrameNames[10001], std::out_of_range);

    model.setAviSegment(100, "last.avi", 3);
    EXPECT_THROW(model.setAviSegment(101, "one too many.avi", 3), std::out_of_range);
    EXPECT_THROW(model.AviSegments[101], std::out_of_range);
}

TEST(FrameModel, AChangeToEveryRecordAlsoReachesRecordsNeverWrittenBefore) {
    CappedTable<TAlignSlotRec, 100> table;
    table[3].X = 7;
    table.forEach([](TAlignSlotRec& slot) {
        slot.X += 1;
        slot.Quality = 2.5f;
    });
    const auto& seen = table;
    EXPECT_EQ(seen[3].X, 8);
    EXPECT_EQ(seen[1].X, 1) << "made on the way to record 3";
    // Never used before.
    EXPECT_EQ(seen[99].X, 1);
    EXPECT_EQ(seen[99].Quality, 2.5f);
    EXPECT_EQ(seen[99].ShiftScale, 1.0f);
    table[50].Y = 4;
    EXPECT_EQ(seen[50].X, 1);
    EXPECT_EQ(seen[50].Quality, 2.5f);
    EXPECT_EQ(seen[50].Y, 4);
}

TEST(FrameModel, AviSegmentsNumberFramesOnAcrossFiles) {
    FrameModel model;
    model.setAviSegment(0, "/data/a.avi", 100);
    model.setAviSegment(1, "/data/b.avi", 50);
    model.avicount = 1;

    EXPECT_EQ(model.AviSegments[0].FirstFrame, 0);
    EXPECT_EQ(model.AviSegments[0].LastFrame, 99);
    EXPECT_EQ(model.AviSegments[1].FirstFrame, 100);
    EXPECT_EQ(model.AviSegments[1].LastFrame, 149);
    EXPECT_EQ(model.AviSegments[1].FileName, "/data/b.avi");

    EXPECT_EQ(model.aviSegmentOf(0), 0);
    EXPECT_EQ(model.aviSegmentOf(99), 0);
    EXPECT_EQ(model.aviSegmentOf(100), 1);
    EXPECT_EQ(model.aviSegmentOf(149), 1);
    EXPECT_EQ(model.aviSegmentOf(150), -1);
    EXPECT_EQ(model.aviSegmentOf(-1), -1);
    // Entries past avicount are stale and never match.
    model.setAviSegment(2, "/data/stale.avi", 10);
    EXPECT_EQ(model.aviSegmentOf(155), -1);
}

TEST(FrameModel, ShiftsAreTakenIntoAnotherUnitRoundingHalvesToEven) {
    struct Case {
        std::int32_t x, y;
        float unit;
        double scale;
        SlotShift expected;
    };
    const Case cases[] = {
        {5, -3, 1.0f, 2.0, {10, -6}},   // frame pixels into resampled pixels at factor 2
        {5, 7, 2.0f, 1.0, {2, 4}},      // 2.5 and 3.5: halves go to the even neighbour
        {-5, -7, 2.0f, 1.0, {-2, -4}},  // alike below 0
        {9, -4, 2.0f, 2.0, {9, -4}},    // already in the unit asked for
        {6, 3, 2.0f, 3.0, {9, 4}},      // 4.5 becomes 4
        {6, 3, 0.0f, 1.0, {6, 3}},      // a unit that is no factor counts as frame pixels
    };
    for (const Case& c : cases) {
        TAlignSlotRec slot;
        slot.X = c.x;
        slot.Y = c.y;
        slot.ShiftScale = c.unit;
        const SlotShift at = shiftAtScale(slot, c.scale);
        EXPECT_EQ(at.X, c.expected.X) << c.x << " at " << c.unit << " into " << c.scale;
        EXPECT_EQ(at.Y, c.expected.Y) << c.y << " at " << c.unit << " into " << c.scale;
    }
}

TEST(PerInputReset, ClearsExactlyTheListedFieldsAndKeepsEveryOther) {
    FrameModel model;
    ProgramState state;
    ImageDataSection section;
    fillWithSevens(model, state, section);
    NullProgress progress;
    progress.setCancelRequested(true);
    RecordingFft fft;

    initializesettings(model, state, section, ResetControls{true, 2, 12.5}, fft, progress);

    for (int f = 0; f <= MaxFrameIndex; ++f) {
        const TFrameRec& frame = model.FrameTable[f];
        expectSlot(frame.Slots[0], true, true, f, 0);
        expectSlot(frame.Slots[1], false, true, f, 1);
        expectSlot(frame.Slots[2], true, false, f, 2);
        for (int s = 3; s < AlignSlotCount; ++s) expectSlot(frame.Slots[s], false, false, f, s);
        ASSERT_FALSE(frame.Excluded) << f;
        ASSERT_FALSE(frame.Dropped) << f;
        ASSERT_EQ(frame.SubPixelX, Seven) << f;
        ASSERT_EQ(frame.SubPixelY, Seven) << f;
        ASSERT_EQ(frame.AlignDifference, Seven) << f;
        ASSERT_EQ(frame.Improvement, Seven) << f;
        ASSERT_EQ(frame.Angle, Seven) << f;
        ASSERT_EQ(frame.MeanBrightness, Seven) << f;
        const TRankRec& rank = model.FrameRanking[f];
        ASSERT_EQ(rank.Frame, 0) << f;
        ASSERT_EQ(rank.Key, 0.0f) << f;
        ASSERT_EQ(rank.SavedKey, Seven) << f;
    }

    // Cleared.
    EXPECT_FALSE(progress.cancelRequested());
    EXPECT_FALSE(model.SingleImage);
    EXPECT_FALSE(model.DroppedFrames);
    EXPECT_FALSE(model.InputIsFIT);
    EXPECT_FALSE(model.InputIsSeries);
    EXPECT_FALSE(state.newInput);
    EXPECT_FALSE(state.MasterFrameMode);
    EXPECT_TRUE(state.showProcessingArea);  // copied from the control
    EXPECT_EQ(state.RedShiftX, 0);
    EXPECT_EQ(state.RedShiftY, 0);
    EXPECT_EQ(state.BlueShiftX, 0);
    EXPECT_EQ(state.BlueShiftY, 0);
    EXPECT_EQ(state.FeatureX, 0);
    EXPECT_EQ(state.FeatureY, 0);
    EXPECT_EQ(state.stackx, 0);
    EXPECT_EQ(state.stacky, 0);
    EXPECT_EQ(state.LevelLo, 0.0f);
    EXPECT_EQ(state.LevelHi, 255.0f);
    EXPECT_EQ(section.ProcessAreaX, 0);
    EXPECT_EQ(section.ProcessAreaY, 0);
    EXPECT_EQ(state.CropRect.Left, -1);
    EXPECT_EQ(state.CropRect.Bottom, -1);
    EXPECT_FALSE(state.RotationCentreSet);
    EXPECT_EQ(state.TrackOffsetX, 0);
    EXPECT_EQ(state.TrackOffsetY, 0);

    // Kept: the rest of the input description, the stages (the input selection sets them) and
    // the processing area's size and extent.
    EXPECT_TRUE(model.FramesRanked);
    EXPECT_EQ(model.InputType, TInputType::itSER);
    EXPECT_TRUE(model.InputIsJPG && model.InputIsTIF && model.InputIsPNG && model.InputIsSER);
    EXPECT_TRUE(model.InputPNG16 && model.FitStretch && model.TifStretch);
    EXPECT_EQ(model.FrameNames[7], "seven");
    EXPECT_EQ(model.AviName, "seven");
    EXPECT_EQ(model.SerName, "seven");
    EXPECT_EQ(model.AviSegments[0].FrameCount, 7);
    EXPECT_EQ(model.avicount, 7);
    EXPECT_EQ(model.FrameWidthRaw + model.FrameHeightRaw + model.FrameWidth + model.FrameHeight, 28);
    EXPECT_EQ(model.ImageWidth + model.ImageHeight + model.usedframes, 21);
    EXPECT_EQ(state.ProcessStage, TProcessStage::stWaveletPage);
    EXPECT_EQ(state.activepage, TMainTab::tabFinal);
    EXPECT_EQ(state.progstatus, TProgStatus::psStacked);
    EXPECT_TRUE(state.BatchMode);
    EXPECT_EQ(section.ProcessAreaSize, 256);
    EXPECT_EQ(section.ProcessAreaWidth, 7);
    EXPECT_EQ(section.ProcessAreaHeight, 7);
}

TEST(PerInputReset, SetsTheFftEngineUpForTheChosenBoxSizeThenRebuildsTheBandMask) {
    struct Case {
        int item;
        int expectedItem;
        int n;
    };
    for (const Case c : {Case{-1, 0, 32}, Case{0, 0, 32}, Case{2, 2, 128}, Case{4, 4, 512}}) {
        FrameModel model;
        ProgramState state;
        ImageDataSection section;
        NullProgress progress;
        RecordingFft fft;
        const ResetResult result =
            initializesettings(model, state, section, ResetControls{false, c.item, 7.5}, fft, progress);
        EXPECT_EQ(result.fftSizeItemIndex, c.expectedItem) << c.item;
        EXPECT_EQ(result.fftSize, c.n) << c.item;
        ASSERT_EQ(fft.calls.size(), 2u);
        EXPECT_EQ(fft.calls[0], std::make_pair(std::string("InitFFT"), static_cast<double>(c.n)));
        EXPECT_EQ(fft.calls[1], std::make_pair(std::string("BuildBandMask"), 7.5));
        EXPECT_FALSE(state.showProcessingArea);
    }
    EXPECT_EQ(fftSizeForItem(3), 256);
    EXPECT_EQ(fftSizeForItem(9), 512);
}
