// Frame browsing and selection on the frame model: slider positions before and after ranking,
// the recount at every stage, the select-all that keeps dropped frames out, the sign colours,
// the graph pointer and the shown picture.

#include <gtest/gtest.h>

#include "frames/frame_browsing.h"
#include "frames/input_test_files.h"
#include "support/temp_dir.h"

using namespace kestrave;
using namespace kestrave::test;

namespace {

// Ten frames ranked in the order 7, 3, 9, 0, ... with frame 3 dropped and frame 9 excluded.
void rankTenFrames(FrameModel& model) {
    const int order[10] = {7, 3, 9, 0, 1, 2, 4, 5, 6, 8};
    for (int j = 0; j < 10; ++j) {
        model.FrameRanking[j].Frame = order[j];
        model.FrameRanking[j].Key = 10.0f - static_cast<float>(j);
    }
    model.FramesRanked = true;
    model.FrameTable[3].Dropped = model.FrameTable[3].Excluded = true;
    model.FrameTable[9].Excluded = true;
}

}  // namespace

TEST(FrameBrowsing, PositionsFollowTheRankingOnceItExists) {
    FrameModel model;
    rankTenFrames(model);
    model.FramesRanked = false;
    EXPECT_EQ(frameAtPosition(model, 2), 2);
    model.FramesRanked = true;
    EXPECT_EQ(frameAtPosition(model, 0), 7);
    EXPECT_EQ(frameAtPosition(model, 2), 9);
    EXPECT_NEAR(relativeQuality(model, 2), 8.0 / 10.01 * 100.0, 1e-4);
    EXPECT_NEAR(relativeQuality(model, 0), 10.0 / 10.01 * 100.0, 1e-4);

    EXPECT_EQ(frameSignColour(model.FrameTable[7]), FrameSignSelected);
    EXPECT_EQ(frameSignColour(model.FrameTable[9]), FrameSignExcluded);
    EXPECT_EQ(frameSignColour(model.FrameTable[3]), FrameSignDropped);

    EXPECT_EQ(graphPointerLeft(5, 10, 404), 200);
    EXPECT_EQ(graphPointerLeft(1, 4, 6), 0);    // 0.5 rounds to even
    EXPECT_EQ(graphPointerLeft(3, 4, 6), 2);    // 1.5 rounds to even
    EXPECT_EQ(graphPointerLeft(0, 0, 404), 0);  // one frame: no division by zero
}

TEST(FrameBrowsing, RecountCountsTheSelectedFramesAtEveryStage) {
    FrameModel model;
    rankTenFrames(model);
    EXPECT_EQ(selectedFrameCount(model, 9), 8);
    EXPECT_EQ(stackSizeAt(model, 2), 1);  // 7 kept; 3 dropped, 9 excluded
    EXPECT_EQ(stackSizeAt(model, 4), 3);
    EXPECT_EQ(stackSizeAt(model, 0), 1);  // the best frame alone
    EXPECT_EQ(recountUsedframes(model, TProcessStage::stInputLoaded, 2, 9), 8);
    EXPECT_EQ(recountUsedframes(model, TProcessStage::stReferenceReady, 4, 9), 3);
    // After the frame limit the count stays the frames selected, never 0.
    EXPECT_EQ(recountUsedframes(model, TProcessStage::stAligned, 4, 9), 8);
    EXPECT_EQ(recountUsedframes(model, TProcessStage::stWaveletPage, 4, 9), 8);
    model.FrameTable[3].Dropped = model.FrameTable[3].Excluded = false;
    EXPECT_EQ(stackSizeAt(model, 0), 1);
    EXPECT_EQ(stackSizeAt(model, 1), 2);
}

TEST(FrameBrowsing, SelectAllKeepsDroppedFramesOutAndTogglesNeverReviveThem) {
    FrameModel model;
    rankTenFrames(model);
    excludeAllFrames(model, 9);
    EXPECT_EQ(selectedFrameCount(model, 9), 0);
    selectAllFrames(model, 9);
    EXPECT_TRUE(model.FrameTable[3].Excluded);
    EXPECT_FALSE(model.FrameTable[9].Excluded);
    EXPECT_EQ(selectedFrameCount(model, 9), 9);

    EXPECT_FALSE(setFrameSelected(model, 3, true));
    EXPECT_TRUE(model.FrameTable[3].Excluded);
    EXPECT_FALSE(setFrameSelected(model, 5, false));
    EXPECT_TRUE(setFrameSelected(model, 5, true));
}

TEST(FrameBrowsing, TheShownFrameComesFromTheSourceAndAFailedReadKeepsIt) {
    TempDir dir;
    FrameModel model;
    ProgramState state;
    ImageDataSection section;
    InputState input;
    EXPECT_THROW(readShownFrame(input, section, model, 0), KestraveError);

    writePatternBmp(dir / "a.bmp", 5, 3, 1);
    writePatternBmp(dir / "b.bmp", 5, 3, 2);
    takeInput(model, state, section, input, {dir / "b.bmp", dir / "a.bmp"}, InputFilter::BMP);
    EXPECT_EQ(readShownFrame(input, section, model, 1).samples, FrameSamples::Bitmap);
    const Bitmap24 second = input.PreviewBitmap;
    std::filesystem::remove(dir / "a.bmp");
    EXPECT_THROW(readShownFrame(input, section, model, 0), FileError);
    EXPECT_EQ(input.PreviewBitmap.byteCount(), second.byteCount());
    EXPECT_TRUE(std::equal(second.bits(), second.bits() + second.byteCount(), input.PreviewBitmap.bits()));

    Bitmap24 negative = second;
    invertBitmap(negative);
    EXPECT_EQ(negative.pixel(2, 1)[1], 255 - second.pixel(2, 1)[1]);
    invertBitmap(negative);
    EXPECT_TRUE(std::equal(second.bits(), second.bits() + second.byteCount(), negative.bits()));
}

TEST(FrameBrowsing, SortOrdersTheSeriesByNameAndEachFrameKeepsItsRecord) {
    FrameModel model;
    // Frame i as found: its name, and its shift X = 10 i to tell the records apart.
    const char* found[] = {"/d/b.bmp", "/d/B.bmp", "/d/a2.bmp", "/d/A1.bmp", "/d/_x.bmp", "/d/a1.bmp"};
    for (int i = 0; i < 6; ++i) {
        model.FrameNames[i] = found[i];
        model.FrameTable[i].Slots[0].X = 10 * i;
        model.FrameRanking[i].Frame = 5 - i;  // best first: frames 5, 4, ..., 0
    }
    model.FramesRanked = true;
    model.FrameTable[1].Excluded = true;
    model.FrameNames[6] = "/d/0.bmp";  // beyond the list: untouched

    const std::vector<std::string> entries = sortFrameList(model, 6);

    // Letters compare as lower case, so '_' (0x5F) comes before every letter; "A1" and "a1", and
    // "b" and "B", keep the order they were found in.
    const std::vector<std::string> expected{"_x.bmp", "A1.bmp", "a1.bmp", "a2.bmp", "b.bmp", "B.bmp"};
    EXPECT_EQ(entries, expected);
    const int from[] = {4, 3, 5, 2, 0, 1};  // the frame each new frame was
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(model.FrameNames[i], "/d/" + expected[static_cast<std::size_t>(i)]);
        EXPECT_EQ(model.FrameTable[i].Slots[0].X, 10 * from[i]);
        EXPECT_FALSE(model.FrameTable[i].Excluded);
        // The rank still names the frame that held it: rank r had frame 5 - r.
        EXPECT_EQ(from[model.FrameRanking[5 - from[i]].Frame], from[i]);
    }
    EXPECT_EQ(model.FrameNames[6], "/d/0.bmp");
    EXPECT_FALSE(model.FramesRanked);
    EXPECT_EQ(model.usedframes, 6);
}
