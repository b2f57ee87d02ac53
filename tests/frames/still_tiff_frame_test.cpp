// TIFF frames reach the 16-bit frame and the preview through the TIFF codec; the measured
// largest sample stretches the preview on request; a bad file leaves the previous frame.

#include <gtest/gtest.h>

#include "frames/tiff_frame.h"
#include "still_test_files.h"
#include "support/temp_dir.h"

namespace kestrave {
namespace {

TEST(StillTiffFrame, GreySamplesAndTheStretchedPreview) {
    test::TempDir dir;
    const std::vector<std::uint16_t> samples = {0, 1000, 2000, 4000, 65535 / 32, 3000};
    test::writeFile(dir / "g.tif", test::makeGreyTiff16(3, 2, samples));
    for (bool stretch : {false, true}) {
        Bitmap24 preview;
        TTIFFBitMap highBit;
        FrameReaderState state;
        std::uint16_t hiValue = 0;  // 65535 shows as 255
        const ReadFrameSize size = ReadTiffFrame(dir / "g.tif", hiValue, stretch, preview, highBit, state);
        EXPECT_EQ(hiValue, 4000);
        EXPECT_EQ(state.HighBitMaxValue, 4000);
        EXPECT_EQ(state.TiffFrameWidth, 3);
        EXPECT_EQ(state.TiffFrameHeight, 2);
        EXPECT_EQ(size.width, 3);
        EXPECT_EQ(size.height, 2);
        ASSERT_EQ(highBit.width(), 3);
        for (int i = 0; i < 6; ++i) {
            EXPECT_EQ(highBit.HighBitRow(i / 3)[3 * (i % 3)], samples[i]) << i;
            EXPECT_EQ(highBit.HighBitRow(i / 3)[3 * (i % 3) + 2], samples[i]) << i;
        }
        // Without stretch 4000 shows as Round(4000 / 65535 x 255) = 16; stretched as 255.
        EXPECT_EQ(preview.pixel(0, 1)[2], stretch ? 255 : 16);
        EXPECT_EQ(preview.pixel(2, 0)[1], stretch ? 128 : 8);
    }
}

TEST(StillTiffFrame, ABadFileLeavesThePreviousFrame) {
    test::TempDir dir;
    test::writeFile(dir / "g.tif", test::makeGreyTiff16(2, 1, {100, 200}));
    Bitmap24 preview;
    TTIFFBitMap highBit;
    FrameReaderState state;
    std::uint16_t hiValue = 0;
    ReadTiffFrame(dir / "g.tif", hiValue, false, preview, highBit, state);
    test::Bytes cut = test::readFile(dir / "g.tif");
    cut.resize(cut.size() - 3);
    test::writeFile(dir / "cut.tif", cut);
    for (const char* name : {"cut.tif", "missing.tif"}) {
        std::uint16_t hi = 77;
        EXPECT_THROW(ReadTiffFrame(dir / name, hi, true, preview, highBit, state), FileError) << name;
        EXPECT_EQ(hi, 77);
    }
    EXPECT_EQ(state.HighBitMaxValue, 200);
    ASSERT_EQ(highBit.width(), 2);
    EXPECT_EQ(highBit.HighBitRow(0)[3], 200);
    EXPECT_EQ(preview.width(), 2);
}

}  // namespace
}  // namespace kestrave
