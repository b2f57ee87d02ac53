// Decoding of AVI frames: the capture tool's packed and raw high-bit rows, grey and DIB frames
// in both row orders, Motion JPEG through libjpeg, and the refusal of unknown formats.

#include <gtest/gtest.h>

#include <cstring>

#include "codecs/avi_dib.h"
#include "frames/avi_decode.h"
#include "frames/avi_test_jpeg.h"

using namespace kestrave;
using kestrave::test::encodeJpeg;

namespace {

BitmapInfoHeader header(int width, int height, int bitCount, const char* compression = nullptr) {
    BitmapInfoHeader h;
    h.biWidth = width;
    h.biHeight = height;
    h.biBitCount = static_cast<std::uint16_t>(bitCount);
    if (compression) std::memcpy(&h.biCompression, compression, 4);
    return h;
}

struct Decoded {
    Bitmap24 preview;
    TTIFFBitMap high;
    bool highBit = false;
};

Decoded decode(const AviFrameDecoder& decoder, const std::vector<std::uint8_t>& sample) {
    Decoded d;
    d.highBit = decoder.decode(sample, d.preview, d.high);
    return d;
}

std::vector<int> bgr(const Bitmap24& b, int x, int y) {
    return {b.pixel(x, y)[0], b.pixel(x, y)[1], b.pixel(x, y)[2]};
}
std::vector<int> rgb16(const TTIFFBitMap& b, int x, int y) {
    const std::uint16_t* p = b.HighBitRow(y) + 3 * x;
    return {p[0], p[1], p[2]};
}

std::string failure(FourCC handler, const BitmapInfoHeader& h) {
    try {
        AviFrameDecoder decoder(handler, h, {});
    } catch (const AviError& e) {
        return e.what();
    }
    return "";
}

// Removes the Huffman table segments, as many Motion JPEG writers leave them out.
std::vector<std::uint8_t> withoutHuffmanTables(const std::vector<std::uint8_t>& jpeg) {
    std::vector<std::uint8_t> out(jpeg.begin(), jpeg.begin() + 2);
    std::size_t i = 2;
    while (i + 4 <= jpeg.size() && jpeg[i] == 0xFF && jpeg[i + 1] != 0xDA) {
        const std::size_t length = static_cast<std::size_t>(jpeg[i + 2] << 8 | jpeg[i + 3]);
        if (jpeg[i + 1] != 0xC4) out.insert(out.end(), jpeg.begin() + i, jpeg.begin() + i + 2 + length);
        i += 2 + length;
    }
    out.insert(out.end(), jpeg.begin() + i, jpeg.end());
    return out;
}

}  // namespace

TEST(AviDecode, PackedTwelveBitRowsUnpackToLeftAlignedSamples) {
    // 5 x 2: two pairs and one odd sample per row; rows are 8 bytes apart, bottom row first.
    const std::vector<std::uint8_t> rows = {0xAB, 0xCD, 0xEF, 0x12, 0x34, 0x56, 0x78, 0x9A,   // bottom
                                            0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF};  // top
    const AviFrameDecoder decoder(makeFourCC("K3CC"), header(5, 2, 12), {});
    ASSERT_TRUE(decoder.highBit());
    const Decoded d = decode(decoder, rows);
    ASSERT_TRUE(d.highBit);
    EXPECT_EQ(d.high.width(), 6);
    EXPECT_EQ(d.high.height(), 3);
    const int bottom[] = {0xABC0, 0xEFD0, 0x1230, 0x5640, 0x7890};
    const int top[] = {0x0120, 0x4530, 0x6780, 0xAB90, 0xCDE0};
    for (int x = 0; x < 5; ++x) {
        EXPECT_EQ(rgb16(d.high, x, 1), (std::vector<int>{0, bottom[x], 0})) << x;
        EXPECT_EQ(rgb16(d.high, x, 0), (std::vector<int>{0, top[x], 0})) << x;
        EXPECT_EQ(bgr(d.preview, x, 1), std::vector<int>(3, bottom[x] >> 8)) << x;
        EXPECT_EQ(bgr(d.preview, x, 0), std::vector<int>(3, top[x] >> 8)) << x;
    }
    // The extra row and column of the 16-bit frame stay zero.
    EXPECT_EQ(rgb16(d.high, 5, 0), (std::vector<int>{0, 0, 0}));
    EXPECT_EQ(rgb16(d.high, 0, 2), (std::vector<int>{0, 0, 0}));

    // Width 3 needs 5 bytes a row: rows are 8 bytes apart, not 4.
    const std::vector<std::uint8_t> narrow = {0x10, 0x00, 0x20, 0x30, 0x00, 0,   0,
                                              0,    0x40, 0x00, 0x50, 0x60, 0x00};  // last row cut short
    const Decoded n = decode(AviFrameDecoder(makeFourCC("K3CC"), header(3, 2, 12), {}), narrow);
    EXPECT_EQ(rgb16(n.high, 2, 1)[1], 0x3000);
    EXPECT_EQ(rgb16(n.high, 0, 0)[1], 0x4000);
    EXPECT_EQ(rgb16(n.high, 2, 0)[1], 0x6000);

    // 36 bits: three samples per pixel by the same pair rule.
    const Decoded c =
        decode(AviFrameDecoder(makeFourCC("K3CC"), header(1, 1, 36), {}), {0x11, 0x23, 0x45, 0x67, 0x89});
    EXPECT_EQ(rgb16(c.high, 0, 0), (std::vector<int>{0x1120, 0x4530, 0x6780}));
    EXPECT_EQ(bgr(c.preview, 0, 0), (std::vector<int>{0x11, 0x45, 0x67}));
}

TEST(AviDecode, RawSixteenAndFortyEightBitRowsKeepTheirSamples) {
    const Decoded g =
        decode(AviFrameDecoder(makeFourCC("K3CC"), header(2, 1, 16), {}), {0x34, 0x12, 0xFF, 0xFF});
    EXPECT_EQ(rgb16(g.high, 0, 0), (std::vector<int>{0, 0x1234, 0}));
    EXPECT_EQ(rgb16(g.high, 1, 0), (std::vector<int>{0, 0xFFFF, 0}));
    EXPECT_EQ(bgr(g.preview, 0, 0), (std::vector<int>{0x12, 0x12, 0x12}));
    const Decoded c = decode(AviFrameDecoder(makeFourCC("K3CC"), header(1, 1, 48), {}),
                             {0x01, 0xA0, 0x02, 0xB0, 0x03, 0xC0});
    EXPECT_EQ(rgb16(c.high, 0, 0), (std::vector<int>{0xA001, 0xB002, 0xC003}));
    EXPECT_EQ(bgr(c.preview, 0, 0), (std::vector<int>{0xA0, 0xB0, 0xC0}));
}

TEST(AviDecode, GreyFramesAreTopDownAndUnpadded) {
    // 6 x 4: a padded reading would shear the rows, a bottom-up one would turn them over.
    std::vector<std::uint8_t> rows;
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x) rows.push_back(static_cast<std::uint8_t>(10 * y + x));
    for (const char* code : {"Y800", "Y8  ", "GREY", "grey"}) {
        const Decoded d = decode(AviFrameDecoder(0, header(6, 4, 8, code), {}), rows);
        ASSERT_FALSE(d.highBit);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 6; ++x)
                ASSERT_EQ(bgr(d.preview, x, y), std::vector<int>(3, 10 * y + x)) << code;
    }
    const Decoded h = decode(AviFrameDecoder(makeFourCC("Y800"), header(6, 4, 8), {}), rows);
    EXPECT_EQ(bgr(h.preview, 5, 3), std::vector<int>(3, 35));
}

TEST(AviDecode, UncompressedDibFramesOfEveryDepth) {
    // 8 bits through the colour table, rows padded to 4 bytes, bottom row first.
    const std::vector<std::uint8_t> table = {10, 20, 30, 0, 40, 50, 60, 0};
    const Decoded p = decode(AviFrameDecoder(0, header(3, 2, 8), table), {1, 0, 1, 9, 0, 1, 1, 9});
    EXPECT_EQ(bgr(p.preview, 0, 1), (std::vector<int>{40, 50, 60}));
    EXPECT_EQ(bgr(p.preview, 1, 1), (std::vector<int>{10, 20, 30}));
    EXPECT_EQ(bgr(p.preview, 0, 0), (std::vector<int>{10, 20, 30}));
    EXPECT_EQ(bgr(p.preview, 2, 0), (std::vector<int>{40, 50, 60}));

    // 16 bits RGB555: white, pure blue, pure red.
    const Decoded s =
        decode(AviFrameDecoder(0, header(3, 1, 16), {}), {0xFF, 0x7F, 0x1F, 0x00, 0x00, 0x7C, 0, 0});
    EXPECT_EQ(bgr(s.preview, 0, 0), (std::vector<int>{255, 255, 255}));
    EXPECT_EQ(bgr(s.preview, 1, 0), (std::vector<int>{255, 0, 0}));
    EXPECT_EQ(bgr(s.preview, 2, 0), (std::vector<int>{0, 0, 255}));

    // 24 bits, width 3: 9 bytes and 3 of padding a row; bottom up, or top down by a negative height.
    const std::vector<std::uint8_t> bgr24 = {1,  2,  3,  4,  5,  6,  7,  8,  9,  0, 0, 0,
                                             11, 12, 13, 14, 15, 16, 17, 18, 19, 0, 0, 0};
    const Decoded up = decode(AviFrameDecoder(0, header(3, 2, 24), {}), bgr24);
    EXPECT_EQ(bgr(up.preview, 0, 1), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(bgr(up.preview, 2, 0), (std::vector<int>{17, 18, 19}));
    const Decoded down = decode(AviFrameDecoder(0, header(3, -2, 24), {}), bgr24);
    EXPECT_EQ(bgr(down.preview, 0, 0), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(bgr(down.preview, 2, 1), (std::vector<int>{17, 18, 19}));

    const Decoded q = decode(AviFrameDecoder(0, header(2, 1, 32), {}), {1, 2, 3, 99, 4, 5, 6, 99});
    EXPECT_EQ(bgr(q.preview, 1, 0), (std::vector<int>{4, 5, 6}));

    // A short sample leaves what it does not reach black; the decoder never reads past it.
    const Decoded cut =
        decode(AviFrameDecoder(0, header(3, 2, 24), {}), {1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 0, 0, 11, 12});
    EXPECT_EQ(bgr(cut.preview, 0, 1), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(bgr(cut.preview, 0, 0), (std::vector<int>{0, 0, 0}));
}

TEST(AviDecode, MotionJpegFramesWithAndWithoutHuffmanTables) {
    const int w = 32, h = 16;
    std::vector<std::uint8_t> rgb;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            rgb.push_back(static_cast<std::uint8_t>(x * 8));
            rgb.push_back(static_cast<std::uint8_t>(y * 16));
            rgb.push_back(128);
        }
    const auto jpeg = encodeJpeg(w, h, 3, rgb);
    const AviFrameDecoder decoder(makeFourCC("MJPG"), header(w, h, 24, "MJPG"), {});
    const Decoded d = decode(decoder, jpeg);
    for (int y = 0; y < h; y += 5)
        for (int x = 0; x < w; x += 7) {
            const std::uint8_t* p = d.preview.pixel(x, y);
            EXPECT_NEAR(p[2], x * 8, 12) << x << "," << y;
            EXPECT_NEAR(p[1], y * 16, 12) << x << "," << y;
            EXPECT_NEAR(p[0], 128, 12) << x << "," << y;
        }
    const Decoded bare = decode(decoder, withoutHuffmanTables(jpeg));
    ASSERT_LT(withoutHuffmanTables(jpeg).size(), jpeg.size());
    EXPECT_EQ(std::memcmp(bare.preview.bits(), d.preview.bits(), d.preview.byteCount()), 0);

    std::vector<std::uint8_t> grey(static_cast<std::size_t>(w * h));
    for (std::size_t i = 0; i < grey.size(); ++i) grey[i] = static_cast<std::uint8_t>(i % w * 8);
    const Decoded g = decode(AviFrameDecoder(0, header(w, h, 24, "mjpg"), {}), encodeJpeg(w, h, 1, grey));
    EXPECT_NEAR(g.preview.pixel(20, 3)[1], 160, 6);
    EXPECT_EQ(g.preview.pixel(20, 3)[0], g.preview.pixel(20, 3)[2]);

    // Damaged data and a picture of another size are refused.
    for (const auto& bad : {std::vector<std::uint8_t>(jpeg.begin(), jpeg.begin() + 20),
                            std::vector<std::uint8_t>(100, 0x5A), encodeJpeg(w, h / 2, 3, rgb)}) {
        Bitmap24 preview;
        TTIFFBitMap high;
        try {
            decoder.decode(bad, preview, high);
            ADD_FAILURE();
        } catch (const AviError& e) {
            EXPECT_STREQ(e.what(), "Failed to decompress AVI frame");
        }
    }
}

TEST(AviDecode, UnknownFormatsCannotBeDecompressed) {
    EXPECT_EQ(failure(0, header(4, 4, 24, "XVID")), "Failed to start AVI decompression");
    EXPECT_EQ(failure(0, header(4, 4, 12)), "Failed to start AVI decompression");
    EXPECT_EQ(failure(makeFourCC("K3CC"), header(4, 4, 10)), "Failed to start AVI decompression");
    const auto lines = AviCodecListLines();
    ASSERT_EQ(lines.size(), AviDecodableCodecs().size());
    EXPECT_NE(std::find(lines.begin(), lines.end(), "vidc.MJPG  Motion JPEG"), lines.end());
}

TEST(AviDibHelpers, RowStridesAndBitCounts) {
    EXPECT_EQ(DibRowStride(3, 12), 8u);
    EXPECT_EQ(DibRowStride(5, 12), 8u);
    EXPECT_EQ(DibRowStride(11, 12), 20u);
    EXPECT_EQ(DibRowStride(6, 8), 8u);
    EXPECT_EQ(DibRowStride(1, 36), 8u);
    EXPECT_EQ(UnpackedBitCount(12), 16);
    EXPECT_EQ(UnpackedBitCount(36), 48);
    EXPECT_EQ(UnpackedBitCount(24), 24);
    BitmapInfoHeader h = header(4, 4, 8);
    EXPECT_EQ(DibColorTableSize(h), 1024u);
    h.biClrUsed = 16;
    EXPECT_EQ(DibColorTableSize(h), 64u);
    EXPECT_EQ(DibColorTableSize(header(4, 4, 24)), 0u);
    PackedDib dib;
    EXPECT_EQ(CreateDIBBuffer(dib, 3, 2, 8), 40u + 1024 + 8);
    EXPECT_EQ(dib.colorTable[4 * 200 + 1], 200);
    EXPECT_EQ(dib.header.biSizeImage, 8u);
}
