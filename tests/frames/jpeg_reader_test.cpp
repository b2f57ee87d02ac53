// JPEG frames decode to the picture that was encoded; damaged and truncated files give a
// message and leave the previous frame, and the process lives on.

#include <gtest/gtest.h>

#include <cstdlib>

#include "avi_test_jpeg.h"
#include "frames/jpeg_reader.h"
#include "still_test_files.h"
#include "support/temp_dir.h"

namespace kestrave {
namespace {

using test::Bytes;
using test::encodeJpeg;
using test::TempDir;
using test::writeFile;

// A smooth test picture (JPEG keeps it within a few levels): red ramps across, green down, blue
// constant; grey pictures carry the red ramp.
Bytes picture(int width, int height, int components) {
    Bytes samples;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const auto r = static_cast<std::uint8_t>(x * 255 / (width - 1));
            if (components == 1) {
                samples.push_back(r);
            } else {
                samples.insert(samples.end(), {r, static_cast<std::uint8_t>(y * 255 / (height - 1)), 90});
            }
        }
    }
    return samples;
}

TEST(JpegReader, ColourAndGreyPicturesDecodeToWhatWasEncoded) {
    TempDir dir;
    for (int components : {3, 1}) {
        const int width = 61, height = 35;
        writeFile(dir / "p.jpg", encodeJpeg(width, height, components, picture(width, height, components)));
        Bitmap24 preview;
        FrameReaderState state;
        LoadJPGFrame(dir / "p.jpg", preview, state);
        EXPECT_EQ(state.JpgFrameWidth, width);
        EXPECT_EQ(state.JpgFrameHeight, height);
        ASSERT_EQ(preview.width(), width);
        ASSERT_EQ(preview.height(), height);
        for (int y = 0; y < height; y += 5) {
            for (int x = 0; x < width; x += 6) {
                const std::uint8_t* p = preview.pixel(x, y);
                const int red = x * 255 / (width - 1);
                EXPECT_NEAR(p[2], red, 6) << x << "," << y;
                EXPECT_NEAR(p[1], components == 1 ? red : y * 255 / (height - 1), 6) << x << "," << y;
                EXPECT_NEAR(p[0], components == 1 ? red : 90, 6) << x << "," << y;
            }
        }
    }
}

TEST(JpegReader, DamagedFilesGiveAMessageAndLeaveThePreviousFrame) {
    TempDir dir;
    const Bytes good = encodeJpeg(64, 48, 3, picture(64, 48, 3));
    writeFile(dir / "good.jpg", good);
    Bitmap24 preview;
    FrameReaderState state;
    LoadJPGFrame(dir / "good.jpg", preview, state);
    const std::vector<std::uint8_t> before(preview.bits(), preview.bits() + preview.byteCount());

    Bytes scrambled = good;
    for (std::size_t i = good.size() / 3; i < good.size() - 2; i += 7)
        scrambled[i] = static_cast<std::uint8_t>(i * 31);
    Bytes noMarkers(2000, 0x11);
    Bytes headerOnly(good.begin(), good.begin() + good.size() / 2);
    const std::vector<Bytes> bad = {headerOnly, Bytes(good.begin(), good.begin() + 20), scrambled, noMarkers,
                                    Bytes{}};
    for (std::size_t i = 0; i < bad.size(); ++i) {
        writeFile(dir / "bad.jpg", bad[i]);
        try {
            LoadJPGFrame(dir / "bad.jpg", preview, state);
            ADD_FAILURE() << "case " << i << " accepted";
        } catch (const FileError& error) {
            EXPECT_NE(std::string(error.what()).find("bad.jpg"), std::string::npos) << error.what();
        }
    }
    EXPECT_THROW(LoadJPGFrame(dir / "missing.jpg", preview, state), FileError);
    EXPECT_EQ(state.JpgFrameWidth, 64);
    ASSERT_EQ(preview.byteCount(), before.size());
    EXPECT_TRUE(std::equal(before.begin(), before.end(), preview.bits()));
}

}  // namespace
}  // namespace kestrave
