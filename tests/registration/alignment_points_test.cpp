// Alignment points and the free box: the box side and centre of a dragged box, the grid rows read
// as points (all or none), the nearest point to a click, the reset of the point shifts, and the
// point file written and read back, also when it is hostile.

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "platform/errors.h"
#include "registration/alignment_points.h"
#include "registration/point_file.h"
#include "support/temp_dir.h"

using namespace kestrave;
using kestrave::test::TempDir;

namespace {

std::string fileText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeText(const std::filesystem::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

}  // namespace

TEST(FreeBox, SideFollowsTheDraggedSizeAndTheCentreKeepsClearOfTheBorders) {
    struct Case {
        const char* name;
        TEdgeRect dragged;  // as dragged, corners in any order
        int frameWidth, frameHeight;
        int item;  // FFTsizeGroup item of the dragged size
        int n;     // the side in force (the group may have stepped down to fit the frame)
        bool tooLarge;
        TEdgeRect box;  // the box after fitting
        int cx, cy;     // its centre after the border rule
    };
    const Case cases[] = {
        {"40 x 30 selects 64", {100, 140, 100, 130}, 640, 480, 1, 64, false, {100, 140, 100, 130}, 120, 115},
        {"dragged up and left", {140, 100, 130, 100}, 640, 480, 1, 64, false, {100, 140, 100, 130}, 120, 115},
        {"65 wide selects 128",
         {100, 165, 100, 110},
         640,
         480,
         2,
         128,
         false,
         {100, 165, 100, 110},
         132,
         105},
        {"129 selects 256", {100, 229, 100, 110}, 640, 480, 3, 256, false, {100, 229, 100, 110}, 164, 138},
        {"257 selects 512", {0, 257, 0, 10}, 1024, 768, 4, 512, false, {0, 257, 0, 10}, 266, 266},
        {"600 x 100 at 512: a 512 box on the same centre",
         {100, 700, 400, 500},
         1024,
         768,
         4,
         512,
         true,
         {144, 656, 194, 706},
         400,
         450},
        {"larger than the stepped-down side",
         {100, 300, 100, 150},
         300,
         200,
         3,
         128,
         true,
         {136, 264, 61, 189},
         200,
         125},
        {"5 pixels from the left edge moves to N/2 + 10",
         {0, 10, 200, 210},
         640,
         480,
         1,
         64,
         false,
         {0, 10, 200, 210},
         42,
         205},
        {"near the right and bottom edges",
         {630, 636, 470, 476},
         640,
         480,
         1,
         64,
         false,
         {630, 636, 470, 476},
         598,
         438},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const TEdgeRect ordered = orderedCorners(c.dragged);
        EXPECT_EQ(freeBoxSizeItem(std::max(ordered.Right - ordered.Left, ordered.Bottom - ordered.Top)),
                  c.item);
        const FreeBoxFit fit = fitFreeBox(ordered, c.n, c.frameWidth, c.frameHeight);
        EXPECT_EQ(fit.tooLarge, c.tooLarge);
        EXPECT_EQ(fit.box.Left, c.box.Left);
        EXPECT_EQ(fit.box.Right, c.box.Right);
        EXPECT_EQ(fit.box.Top, c.box.Top);
        EXPECT_EQ(fit.box.Bottom, c.box.Bottom);
        EXPECT_EQ(fit.centreX, c.cx);
        EXPECT_EQ(fit.centreY, c.cy);
    }
}

TEST(PointRows, AreReadAllOrNoneAndABadRowIsNamed) {
    const std::vector<PointRowText> good{{"100", "50", "64"}, {" 20", "$10", "512"}};
    const PointRowsCheck read = readPointRows(good, 640, 480);
    EXPECT_EQ(read.problem, "");
    EXPECT_EQ(read.points, (std::vector<AlignPoint>{{100, 50, 64}, {20, 16, 512}}));

    struct Case {
        PointRowText row;
        const char* problem;
    };
    const Case bad[] = {
        {{"1x", "50", "64"}, "Point 2: '1x' is not a valid integer value"},
        {{"100", "", "64"}, "Point 2: '' is not a valid integer value"},
        {{"100", "50", "100"}, "Point 2: box size 100 is not 32, 64, 128, 256 or 512"},
        {{"100", "50", "-64"}, "Point 2: box size -64 is not 32, 64, 128, 256 or 512"},
        {{"640", "50", "64"}, "Point 2: position (640, 50) lies outside the 640 x 480 frame"},
        {{"10", "-1", "64"}, "Point 2: position (10, -1) lies outside the 640 x 480 frame"},
    };
    for (const Case& c : bad) {
        const std::vector<PointRowText> rows{good[0], c.row, good[1]};
        const PointRowsCheck check = readPointRows(rows, 640, 480);
        EXPECT_EQ(check.problem, c.problem);
        EXPECT_TRUE(check.points.empty());
    }
}

TEST(PointRows, NearestRowToAClick) {
    const std::vector<PointRowText> rows{
        {"abc", "10", "64"}, {"10", "10", "64"}, {"100", "100", "64"}, {"14", "14", "64"}};
    EXPECT_EQ(nearestPointRow(rows, 12, 12, 640), 1) << "equal distances: the first row wins";
    EXPECT_EQ(nearestPointRow(rows, 90, 95, 640), 2);
    EXPECT_EQ(nearestPointRow(rows, 600, 400, 500), -1) << "nothing within reach";
    EXPECT_EQ(nearestPointRow({}, 0, 0, 640), -1);
}

TEST(AlignmentPointArrays, HoldAtMost99PointsWithTheirBoxItems) {
    AlignmentPoints arrays;
    std::vector<AlignPoint> points;
    for (int i = 0; i < 150; ++i) points.push_back({i, 2 * i, i % 2 ? 256 : 32});
    setAlignPoints(arrays, points);
    EXPECT_EQ(arrays.Alignpoints, 100);
    EXPECT_EQ(arrays.PointPos[99].X, 98);
    EXPECT_EQ(arrays.PointPos[99].Y, 196);
    EXPECT_EQ(arrays.PointFFTSize[1], 32);
    EXPECT_EQ(arrays.PointFFTIndex[1], 0);
    EXPECT_EQ(arrays.PointFFTIndex[2], 3);
    EXPECT_TRUE(arrays.PointEnabled[99]);
}

TEST(AlignmentPointArrays, ResetGivesEveryPointTheFirstPointsShiftInEveryFrame) {
    auto model = std::make_unique<FrameModel>();
    for (int f = 0; f < 3; ++f) {
        TAlignSlotRec* slots = model->FrameTable[f].Slots;
        slots[1].X = 5 + f;
        slots[1].Y = -3;
        for (int p = 2; p <= 4; ++p) slots[p].X = slots[p].Y = slots[p].SavedX = slots[p].SavedY = 40;
    }
    resetPointShifts(*model, 3, 2);
    for (int f = 0; f < 3; ++f) {
        SCOPED_TRACE(f);
        const TAlignSlotRec* slots = model->FrameTable[f].Slots;
        for (int p = 2; p <= 3; ++p) {
            EXPECT_EQ(slots[p].X, 5 + f);
            EXPECT_EQ(slots[p].SavedX, 5 + f);
            EXPECT_EQ(slots[p].Y, -3);
            EXPECT_EQ(slots[p].SavedY, -3);
        }
        EXPECT_EQ(slots[4].X, 40) << "beyond the last point";
    }
    resetPointShifts(*model, 500, MaxFrameIndex + 50);  // clamped to the tables
    EXPECT_EQ(model->FrameTable[0].Slots[99].X, 5);
}

TEST(AlignmentPointArrays, TimeLeftText) {
    EXPECT_EQ(timeLeftText(30000), "Time left: 00:00:30");
    EXPECT_EQ(timeLeftText(3723999), "Time left: 01:02:03");
    EXPECT_EQ(timeLeftText(-5000), "Time left: 00:00:00");
}

TEST(PointFile, RoundTripOfThreePoints) {
    TempDir dir;
    const auto path = dir / "points.kap";
    writeText(path, "[Points]\r\nNumber=9\r\nX8=1\r\n");  // an older, longer file is replaced whole
    const std::vector<AlignPoint> points{{100, 50, 64}, {300, 200, 128}, {20, 460, 32}};
    writeAlignPointFile(path, 7, points);
    EXPECT_EQ(fileText(path),
              "[Frame]\r\nNumber=7\r\n\r\n[Points]\r\nNumber=4\r\nX1=100\r\nY1=50\r\nFFT1=64\r\nX2=300\r\n"
              "Y2=200\r\nFFT2=128\r\nX3=20\r\nY3=460\r\nFFT3=32\r\n\r\n");
    const PointFileContent read = readAlignPointFile(path, 640, 480);
    EXPECT_EQ(read.frameNumber, 7);
    EXPECT_EQ(read.points, points);
    EXPECT_EQ(read.problems, "");
}

TEST(PointFile, HostileFilesNeverReachPastTheArrays) {
    TempDir dir;
    const auto path = dir / "hostile.kap";
    std::string text = "[Frame]\nNumber=-4\n[Points]\nNumber=500\n";
    for (int p = 1; p <= 499; ++p) {
        const std::string i = std::to_string(p);
        const std::string size = p == 2 ? "7" : p == 3 ? "-64" : p == 4 ? "64x" : "64";
        text += "X" + i + "=" + (p == 5 ? "-5" : std::to_string(p % 600)) + "\nY" + i + "=" +
                std::to_string(p % 400) + "\nFFT" + i + "=" + size + "\n";
    }
    writeText(path, text);
    const PointFileContent read = readAlignPointFile(path, 640, 480);
    EXPECT_EQ(read.frameNumber, -4);
    ASSERT_EQ(read.points.size(), 95u);  // rows 1..99 less the four bad ones
    EXPECT_EQ(read.points.front(), (AlignPoint{1, 1, 64}));
    EXPECT_EQ(read.points.back(), (AlignPoint{99, 99, 64}));
    EXPECT_EQ(read.problems,
              "The file lists 499 points; only the first 99 are read\n"
              "Point 2: box size 7 is not 32, 64, 128, 256 or 512 (left out)\n"
              "Point 3: box size -64 is not 32, 64, 128, 256 or 512 (left out)\n"
              "Point 4: '64x' is not a valid integer value (left out)\n"
              "Point 5: position (-5, 5) lies outside the 640 x 480 frame (left out)");
    AlignmentPoints arrays;
    setAlignPoints(arrays, read.points);
    EXPECT_EQ(arrays.Alignpoints, 96);

    for (const char* count : {"0", "-7", "x", "-2147483648"}) {
        writeText(path, std::string("[Points]\nNumber=") + count + "\nX1=5\nY1=5\nFFT1=64\n");
        const PointFileContent none = readAlignPointFile(path, 640, 480);
        EXPECT_TRUE(none.points.empty()) << count;
        EXPECT_EQ(none.problems, path.string() + " holds no alignment points");
    }
    // Absent keys read as 0: no box size, so no point.
    writeText(path, "[Points]\nNumber=2\n");
    EXPECT_EQ(readAlignPointFile(path, 640, 480).problems,
              "Point 1: box size 0 is not 32, 64, 128, 256 or 512 (left out)");
}

TEST(PointFile, FilesThatCannotBePointFilesAreRefused) {
    TempDir dir;
    EXPECT_THROW(readAlignPointFile(dir / "missing.kap", 640, 480), FileError);
    EXPECT_THROW(readAlignPointFile(dir.path(), 640, 480), FileError);
    writeText(dir / "huge.kap", std::string(2u << 20, 'x'));
    EXPECT_THROW(readAlignPointFile(dir / "huge.kap", 640, 480), FileError);
    EXPECT_THROW(writeAlignPointFile(dir / "no folder" / "p.kap", 0, {}), FileError);
}
