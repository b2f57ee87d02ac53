// The input dialog's preview: the first frame and the line of facts of every format the program
// reads itself, the reader's message for a file it refuses, and the thumbnail's proportions.

#include <gtest/gtest.h>

#include "frames/open_preview.h"
#include "still_test_files.h"
#include "support/tagged_avi.h"
#include "support/temp_dir.h"

namespace kestrave {
namespace {

using namespace test;

TEST(OpenPreview, EveryFormatGivesItsFirstFrameAndItsFacts) {
    TempDir dir;
    writeTaggedAvi(dir / "grey.avi", 3);
    AviTestFormat k3cc;
    k3cc.handler = "K3CC";
    k3cc.width = 2;
    k3cc.height = 1;
    k3cc.bitCount = 12;
    writeTestAvi(dir / "deep.avi", k3cc, {{0xAB, 0xCD, 0xEF, 0}});
    writeFile(dir / "f.fit", makeFits(fitsCards(16, 3, 2), 16, {12, 100, 4000, 5, 6, 7}));
    writeFile(dir / "F.FTS", makeFits(fitsCards(8, 2, 2), 8, {1, 2, 3, 250}));
    writeFile(dir / "g.tif", makeGreyTiff16(3, 2, {100, 200, 300, 4000, 5, 6}));
    const std::vector<std::uint16_t> grey12(12, 0x1234);
    writeFile(dir / "deep.png", makePng(4, 3, 0 /* grey */, 16, grey12));
    writeFile(dir / "flat.png", makePng(4, 3, 0, 8, std::vector<std::uint16_t>(12, 7)));
    SerParams ser;
    ser.width = 5;
    ser.height = 4;
    ser.frameCount = 2;
    writeFile(dir / "v8.ser", makeSer(ser, std::vector<std::uint16_t>(40, 9)));
    ser.pixelDepth = 12;
    writeFile(dir / "v12.ser", makeSer(ser, std::vector<std::uint16_t>(40, 900)));

    struct Case {
        const char* file;
        const char* ext;
        const char* text;
        int width, height;
    };
    const Case cases[] = {
        {"grey.avi", "avi", "size:8x6 fr:3 vidsY800", 8, 6},
        {"deep.avi", "avi", "HI-AVI:2x1 fr:1 vidsK3CC", 2, 1},
        {"f.fit", "fit", "3x2 pixels 16bits, lo:5 hi:4000", 3, 2},
        {"F.FTS", "FTS", "2x2 pixels 8bits, lo:1 hi:250", 2, 2},
        {"g.tif", "tif", "Image :3x2 hi value :4000", 3, 2},
        {"deep.png", "png", "Image :4x3 16 bit", 4, 3},
        {"flat.png", "png", "Image :4x3 8 bit", 4, 3},
        {"v8.ser", "ser", "Image :5x4 8 bit", 5, 4},
        {"v12.ser", "ser", "Image :5x4 16 bit", 5, 4},
    };
    for (const Case& c : cases) {
        const std::optional<OpenPreview> preview = probeOpenPreview(dir / c.file, c.ext);
        ASSERT_TRUE(preview) << c.file;
        EXPECT_EQ(preview->text, c.text);
        EXPECT_EQ(preview->picture.width(), c.width) << c.file;
        EXPECT_EQ(preview->picture.height(), c.height) << c.file;
    }
    // The first frame itself: frame 0 of the tagged video, not a later one.
    EXPECT_EQ(tagOf(probeOpenPreview(dir / "grey.avi", "avi")->picture), 0);
}

TEST(OpenPreview, RefusedFilesAreDescribedByTheReadersMessage) {
    TempDir dir;
    writeFile(dir / "short.ser", Bytes(100, 0));
    writeFile(dir / "bad.png", Bytes{0x89, 'P', 'N', 'G', 0, 0});
    writeFile(dir / "odd.fit", makeFits(fitsCards(64, 2, 2), 8, {1, 2, 3, 4}));
    writeFile(dir / "photo.jpg", Bytes(10, 0));
    struct Case {
        const char* file;
        const char* ext;
        std::string text;  // empty: any message
    };
    const Case cases[] = {
        {"short.ser", "ser", ""},
        {"bad.png", "png", ""},
        {"odd.fit", "fit", "Unsupported fits format"},
        {"none.avi", "avi", "Failed to open AVI file"},
        {"none.fits", "fits", "non existing file :" + (dir / "none.fits").string()},
        {"none.ser", "ser", "non existing file :" + (dir / "none.ser").string()},
    };
    for (const Case& c : cases) {
        const std::optional<OpenPreview> preview = probeOpenPreview(dir / c.file, c.ext);
        ASSERT_TRUE(preview) << c.file;
        EXPECT_TRUE(preview->picture.empty()) << c.file;
        if (c.text.empty())
            EXPECT_FALSE(preview->text.empty()) << c.file;
        else
            EXPECT_EQ(preview->text, c.text);
    }
    // The dialog draws pictures of other kinds itself.
    EXPECT_FALSE(probeOpenPreview(dir / "photo.jpg", "jpg"));
    EXPECT_FALSE(probeOpenPreview(dir / "none.tiff", "tiff"));
}

TEST(OpenPreview, ThumbnailKeepsTheProportionsFromTheTopLeftCorner) {
    struct Case {
        int width, height, boxWidth, boxHeight;
        int right, bottom;
    };
    const Case cases[] = {
        {640, 480, 200, 200, 200, 150},  // rx 3.2 > ry 2.4: Round(200 x 2.4 / 3.2)
        {480, 640, 200, 200, 150, 200},  // portrait
        {2000, 1000, 200, 200, 200, 100},
        {100, 100, 200, 200, 200, 200},  // a small square frame fills the box
        {800, 10, 200, 200, 200, 2},     // 2.5 rounds to even
        {400, 7, 200, 200, 200, 4},      // 3.5 rounds to even
        {10, 800, 200, 200, 2, 200},
        {300, 100, 150, 120, 150, 50},  // an oblong box
        {0, 0, 200, 200, 200, 200},     // nothing read: the box as it is
    };
    for (const Case& c : cases) {
        const ThumbnailRect rect = thumbnailFit(c.width, c.height, c.boxWidth, c.boxHeight);
        EXPECT_EQ(rect.right, c.right) << c.width << "x" << c.height;
        EXPECT_EQ(rect.bottom, c.bottom) << c.width << "x" << c.height;
    }
}

}  // namespace
}  // namespace kestrave
