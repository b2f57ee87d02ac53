// The resize view's core: sizes (with the 2-pixel floor), the identity of Lanczos at 100 %,
// tiny pictures, the window size limits, and the 8-bit PNG of the scaled picture.

#include <gtest/gtest.h>

#include "frames/png_io.h"
#include "output/image_savers.h"
#include "output/resize.h"
#include "output_test_support.h"
#include "persist/reg_settings.h"
#include "support/temp_dir.h"

using namespace kestrave;
using namespace kestrave::test;
namespace fs = std::filesystem;

TEST(Resize, SizesFollowTheRatioWithAFloorOfTwoPixels) {
    struct Case {
        int width, height, ratio, filter, outWidth, outHeight;
    };
    for (const Case c : {Case{300, 200, 2, 1, 150, 100}, Case{12, 12, 0, 0, 2, 2}, Case{5, 3, 6, 2, 10, 6},
                         Case{3, 2, 5, 3, 4, 3}, Case{1, 1, 0, 2, 2, 2}, Case{0, 0, 2, 1, 0, 0}}) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height) + " item " +
                     std::to_string(c.ratio));
        const Bitmap24 scaled = resizePicture(makePicture(c.width, c.height, 3), c.ratio, c.filter);
        EXPECT_EQ(scaled.width(), c.outWidth);
        EXPECT_EQ(scaled.height(), c.outHeight);
    }
    EXPECT_EQ(resizeFactor(99), 2.0);
    EXPECT_EQ(resizeFilter(2).Name, "Lanczos3");
}

TEST(Resize, LanczosAtFullSizeIsTheIdentity) {
    const Bitmap24 picture = makePicture(37, 23, 5);
    const Bitmap24 scaled = resizePicture(picture, OriginalResizeRatio, 2);
    ASSERT_EQ(scaled.width(), 37);
    for (int y = 0; y < 23; ++y)
        EXPECT_TRUE(std::equal(picture.row(y), picture.row(y) + 3 * 37, scaled.row(y)));
}

TEST(Resize, WindowStaysBetweenItsMinimumAndTheScreen) {
    EXPECT_EQ(resizeWindowSize(150 + 120, 100 + 60, 1024, 768).width, 670);
    EXPECT_EQ(resizeWindowSize(150 + 120, 100 + 60, 1024, 768).height, 390);
    EXPECT_EQ(resizeWindowSize(3200 + 120, 2400 + 60, 1024, 768).width, 924);
    EXPECT_EQ(resizeWindowSize(3200 + 120, 2400 + 60, 1024, 768).height, 668);
    EXPECT_EQ(resizeWindowSize(800, 500, 1600, 1000).width, 800);
}

TEST(Resize, SavesTheScaledPictureAsAn8BitPng) {
    TempDir dir;
    ProgramDirScope home;
    RegSettings settings(home.path() / "registry.ini");
    ScriptedMessages messages;
    bool master = false;
    SaveContext context{messages, master};
    context.settings = &settings;
    context.versionCaption = "V4";
    const Bitmap24 scaled = resizePicture(makePicture(12, 12, 9), 0, 1);
    const SaveOutcome saved = saveResizedImage(dir / "small.jpg", ResizeSaveType::PNG, scaled, context);
    ASSERT_EQ(saved.written, std::vector<fs::path>{dir / "small.png"});
    const PngPicture read = decodePng(fileBytes(dir / "small.png"), "small.png");
    EXPECT_EQ(read.bitDepth, 8);
    ASSERT_EQ(read.preview.width(), 2);
    for (int y = 0; y < 2; ++y)
        EXPECT_TRUE(std::equal(scaled.row(y), scaled.row(y) + 6, read.preview.row(y)));
    EXPECT_EQ(settings.ReadString(kRegFilesSection, "LastResizetype", ""), "PNG");
    if (installedTool("pngcheck").empty()) GTEST_SKIP() << "pngcheck is not installed";
    std::string output;
    EXPECT_EQ(runCommand("/usr/bin/pngcheck -q " + shellQuoted(dir / "small.png"), output), 0) << output;
}
