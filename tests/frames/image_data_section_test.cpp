// The image data section: plane sizes, the processing-area geometry, the 16-bit result image,
// the largest frames, and allocation failures that are reported instead of crashing.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>

#include "allocation_failure.h"
#include "frames/frame_model.h"
#include "frames/image_data_section.h"
#include "platform/message_port.h"
#include "platform/progress_port.h"

using namespace kestrave;
using kestrave::test::AllocationFailureScope;

namespace {

struct Section {
    ImageDataSection planes;
    NullProgress progress;
    BatchMessagePresenter messages{[](const std::string&) {}};

    bool setup(int w, int h) { return SetupImageDataSection(planes, w, h, progress, messages); }
    bool chooseArea(int item) { return ProcessareaChange(planes, item, messages); }
};

void expectPlane(const T2dArrays& plane, int xCount, int yCount, const char* name) {
    EXPECT_EQ(plane.xCount(), xCount) << name;
    EXPECT_EQ(plane.yCount(), yCount) << name;
}

void expectSectionPlanes(const ImageDataSection& s, int w, int h) {
    for (int c = 0; c < 3; ++c) {
        expectPlane(s.StackPlanes[c], w + 10, h + 10, "StackPlanes");
        expectPlane(s.WorkPlanes[c], w + 10, h + 10, "WorkPlanes");
    }
    expectPlane(s.LumPlane, w + 10, h + 10, "LumPlane");
    expectPlane(s.SigmaPlane, w + 10, h + 10, "SigmaPlane");
    expectPlane(s.ScratchPlane, w + 10, h + 10, "ScratchPlane");
    expectPlane(s.StackWeightPlane, w + 10, h + 10, "StackWeightPlane");
}

void expectSectionEmpty(const ImageDataSection& s) {
    for (int c = 0; c < 3; ++c) {
        EXPECT_TRUE(s.StackPlanes[c].empty());
        EXPECT_TRUE(s.WorkPlanes[c].empty());
    }
    EXPECT_TRUE(s.LumPlane.empty());
    EXPECT_TRUE(s.SigmaPlane.empty());
    EXPECT_TRUE(s.ScratchPlane.empty());
    EXPECT_TRUE(s.StackWeightPlane.empty());
}

void expectLayerPlanes(const ImageDataSection& s, int side) {
    for (const PlaneTriple& layer : s.LayerPlanes) {
        for (const T2dArrays& plane : layer) expectPlane(plane, side, side, "LayerPlanes");
    }
}

void expectArea(const ImageDataSection& s, int x, int y, int w, int h) {
    EXPECT_EQ(s.ProcessAreaX, x);
    EXPECT_EQ(s.ProcessAreaY, y);
    EXPECT_EQ(s.ProcessAreaWidth, w);
    EXPECT_EQ(s.ProcessAreaHeight, h);
}

}  // namespace

TEST(ImageDataSection, AllocatesThePlanesAndCentresTheProcessingAreaInTheImage) {
    Section s;
    ASSERT_EQ(s.planes.ProcessAreaSize, 512);

    ASSERT_TRUE(s.setup(2000, 1500));
    expectSectionPlanes(s.planes, 2000, 1500);
    EXPECT_EQ(s.planes.AllocWidth, 2000);
    EXPECT_EQ(s.planes.AllocHeight, 1500);
    expectArea(s.planes, 744, 494, 512, 512);
    EXPECT_EQ(s.progress.status(3), "Setup new Image datasection");

    // An image smaller than the area: the area is the whole image.
    ASSERT_TRUE(s.setup(300, 200));
    expectSectionPlanes(s.planes, 300, 200);
    expectArea(s.planes, 0, 0, 300, 200);

    // Smaller on one axis only.
    ASSERT_TRUE(s.setup(2000, 300));
    expectArea(s.planes, 744, 0, 512, 300);
    EXPECT_TRUE(s.messages.history().empty());
}

TEST(ImageDataSection, ResultImageIsOneLargerThanTheImageAndZero) {
    Section s;
    ASSERT_TRUE(s.setup(640, 480));
    const TTIFFBitMap& result = s.planes.ResultImage16;
    EXPECT_EQ(result.width(), 641);
    EXPECT_EQ(result.height(), 481);
    ASSERT_TRUE(result.HighBitsAllocated());
    EXPECT_EQ(result.HighBitsPerPixel, 48);
    EXPECT_EQ(TTIFFBitMap::highBitRowBytes(641), 641u * 6);
    for (int y = 0; y < result.height(); ++y) {
        const std::uint16_t* row = result.HighBitRow(y);
        ASSERT_TRUE(std::all_of(row, row + result.samplesPerRow(), [](std::uint16_t v) { return v == 0; }))
            << y;
    }
    // New planes start at zero too.
    const T2dArrays& stack = s.planes.StackPlanes[2];
    EXPECT_TRUE(
        std::all_of(stack.data(), stack.data() + stack.cellCount(), [](float v) { return v == 0.0f; }));

    // A new size gives a new, zeroed result image even where the old one held samples.
    s.planes.ResultImage16.HighBitRow(0)[0] = 65025;
    ASSERT_TRUE(s.setup(320, 240));
    EXPECT_EQ(s.planes.ResultImage16.width(), 321);
    EXPECT_EQ(s.planes.ResultImage16.height(), 241);
    EXPECT_EQ(s.planes.ResultImage16.HighBitRow(0)[0], 0);
}

TEST(ImageDataSection, SameSizeAgainChangesNothing) {
    Section s;
    ASSERT_TRUE(s.setup(2000, 1500));
    s.planes.StackPlanes[1][100][200] = 42.0f;
    s.planes.ResultImage16.HighBitRow(5)[7] = 1234;
    s.planes.ProcessAreaX = 17;
    s.planes.ProcessAreaY = 23;
    const float* stackCells = s.planes.StackPlanes[1].data();
    s.progress.setStatus(3, "");

    ASSERT_TRUE(s.setup(2000, 1500));
    EXPECT_EQ(s.planes.StackPlanes[1].data(), stackCells);
    EXPECT_EQ(s.planes.StackPlanes[1][100][200], 42.0f);
    EXPECT_EQ(s.planes.ResultImage16.HighBitRow(5)[7], 1234);
    expectArea(s.planes, 17, 23, 512, 512);
    EXPECT_EQ(s.progress.status(3), "");
}

TEST(ImageDataSection, AreaChoiceResizesTheLayersAndKeepsTheAreaInsideTheImage) {
    Section s;
    ASSERT_TRUE(s.setup(2000, 300));
    expectArea(s.planes, 744, 0, 512, 300);

    // "128": a 128 × 128 area at the old corner and 21 planes of 128 × 128.
    ASSERT_TRUE(s.chooseArea(4));
    EXPECT_EQ(s.planes.ProcessAreaSize, 128);
    expectArea(s.planes, 744, 0, 128, 128);
    expectLayerPlanes(s.planes, 128);

    // "2048" on a 300 × 200 image: the extent never passes the image.
    ASSERT_TRUE(s.setup(300, 200));
    expectArea(s.planes, 86, 36, 128, 128);
    ASSERT_TRUE(s.chooseArea(0));
    EXPECT_EQ(s.planes.ProcessAreaSize, 2048);
    expectArea(s.planes, 0, 0, 300, 200);
    expectLayerPlanes(s.planes, 2048);

    // A larger area on a centred corner: the corner moves back only as far as it must.
    ASSERT_TRUE(s.chooseArea(4));
    ASSERT_TRUE(s.setup(2000, 1500));
    expectArea(s.planes, 936, 686, 128, 128);
    ASSERT_TRUE(s.chooseArea(1));
    expectArea(s.planes, 936, 476, 1024, 1024);
    EXPECT_LE(s.planes.ProcessAreaX + s.planes.ProcessAreaWidth, 2000);
    EXPECT_LE(s.planes.ProcessAreaY + s.planes.ProcessAreaHeight, 1500);

    // An item outside the list keeps the size but still renews the planes.
    ASSERT_TRUE(s.chooseArea(7));
    EXPECT_EQ(s.planes.ProcessAreaSize, 1024);
    expectLayerPlanes(s.planes, 1024);
    EXPECT_EQ(processAreaItemForSize(1024), 1);
    EXPECT_EQ(processAreaItemForSize(300), -1);
}

TEST(ImageDataSection, StartUpCreatesPlaceholdersAndLayersWithMargin) {
    Section s;
    ASSERT_TRUE(createImagePlanes(s.planes, 3, s.progress, s.messages));
    EXPECT_EQ(s.planes.ProcessAreaSize, 256);
    expectLayerPlanes(s.planes, 261);
    expectSectionPlanes(s.planes, 2, 2);
    expectArea(s.planes, 0, 0, 2, 2);
    EXPECT_EQ(s.planes.ResultImage16.width(), 3);
    expectPlane(s.planes.RawFramePlane, 2, 2, "RawFramePlane");
    for (int c = 0; c < 3; ++c) {
        expectPlane(s.planes.DarkPlanes[c], 2, 2, "DarkPlanes");
        expectPlane(s.planes.FlatPlanes[c], 2, 2, "FlatPlanes");
    }
    EXPECT_FALSE(s.planes.HighBitFrame.HighBitsAllocated());

    // No valid stored item: 512.
    Section fresh;
    ASSERT_TRUE(createImagePlanes(fresh.planes, -1, fresh.progress, fresh.messages));
    EXPECT_EQ(fresh.planes.ProcessAreaSize, 512);
    expectLayerPlanes(fresh.planes, 517);
}

TEST(ImageDataSection, LargestFramesAllocateAndFree) {
    Section s;
    ASSERT_TRUE(s.setup(MaxFrameSize, MaxFrameSize));
    expectSectionPlanes(s.planes, 4096, 4096);
    EXPECT_EQ(s.planes.ResultImage16.height(), 4097);
    s.planes.StackWeightPlane[4105][4105] = 1.0f;  // the last cell is addressable
    s.planes.ResultImage16.HighBitRow(4096)[3 * 4096 + 2] = 65535;

    FreeImageArrays(s.planes);
    expectSectionEmpty(s.planes);
    EXPECT_TRUE(s.planes.ResultImage16.HighBitsAllocated());  // not part of the release

    ASSERT_TRUE(s.setup(2, 2));
    EXPECT_EQ(s.planes.ResultImage16.width(), 3);
}

TEST(ImageDataSection, RunningOutOfMemoryIsReportedAndLeavesNoHalfBuiltSection) {
    Section s;
    ASSERT_TRUE(s.setup(640, 480));
    {
        // The fourth large plane fails.
        AllocationFailureScope failing(1 << 20, 3);
        EXPECT_FALSE(s.setup(1000, 800));
        EXPECT_GE(failing.refused(), 1);
    }
    ASSERT_EQ(s.messages.history().size(), 1u);
    EXPECT_EQ(s.messages.history()[0].caption, "Out of memory");
    EXPECT_EQ(s.messages.history()[0].text, "Not enough memory for image planes of 1000 x 800 pixels.");
    EXPECT_EQ(s.messages.history()[0].dlgType, mtError);
    expectSectionEmpty(s.planes);
    EXPECT_TRUE(s.planes.ResultImage16.empty());
    EXPECT_EQ(s.planes.AllocWidth, 0);
    EXPECT_EQ(s.planes.AllocHeight, 0);
    expectArea(s.planes, 0, 0, 0, 0);

    // The same size again is a real attempt, not the same-size shortcut.
    ASSERT_TRUE(s.setup(1000, 800));
    expectSectionPlanes(s.planes, 1000, 800);
    expectArea(s.planes, 244, 144, 512, 512);
}

TEST(ImageDataSection, AreaChoiceThatRunsOutOfMemoryKeepsThePreviousArea) {
    Section s;
    ASSERT_TRUE(s.setup(2000, 1500));
    ASSERT_TRUE(s.chooseArea(2));
    s.planes.LayerPlanes[6][2][511][511] = 3.0f;
    {
        AllocationFailureScope failing(1 << 20, 5);
        EXPECT_FALSE(s.chooseArea(1));
    }
    ASSERT_EQ(s.messages.history().size(), 1u);
    EXPECT_EQ(s.messages.history()[0].text, "Not enough memory for image planes of 1024 x 1024 pixels.");
    EXPECT_EQ(s.planes.ProcessAreaSize, 512);
    expectArea(s.planes, 744, 494, 512, 512);
    expectLayerPlanes(s.planes, 512);
    EXPECT_EQ(s.planes.LayerPlanes[6][2][511][511], 3.0f);
}

TEST(TTIFFBitMap, HoldsMoreRowsThanTheOldRowTable) {
    TTIFFBitMap tall(2, 9000);
    tall.allocateHighBits();
    tall.HighBitRow(8999)[5] = 77;
    EXPECT_EQ(tall.HighBitRow(8999)[5], 77);
    EXPECT_EQ(tall.HighBitRow(8998)[5], 0);
}
