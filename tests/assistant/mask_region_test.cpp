// Window regions from mask pictures of each pixel format.

#include <gtest/gtest.h>

#include <QImage>
#include <QRegion>

#include "assistant/mask_region.h"

namespace kestrave {
namespace {

QRegion rects(std::initializer_list<QRect> list) {
    QRegion r;
    for (const QRect& rect : list) r += rect;
    return r;
}

TEST(MaskRegion, EachFormatMarksItsTransparentPixels) {
    // The same 5 x 2 shape in every format: row 0 = . X X . X, row 1 = X X X X X.
    const bool shape[2][5] = {{false, true, true, false, true}, {true, true, true, true, true}};
    const QRegion expected = rects({QRect(1, 0, 2, 1), QRect(4, 0, 1, 1), QRect(0, 1, 5, 1)});

    QImage indexed(5, 2, QImage::Format_Indexed8);  // rows 8 bytes apart
    indexed.setColorCount(8);
    QImage lsb(5, 2, QImage::Format_MonoLSB);
    QImage msb(5, 2, QImage::Format_Mono);
    QImage rgb(5, 2, QImage::Format_RGB32);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 5; ++x) {
            indexed.setPixel(x, y, shape[y][x] ? 7 : 3);
            lsb.setPixel(x, y, shape[y][x] ? 0 : 1);
            msb.setPixel(x, y, shape[y][x] ? 1 : 0);
            rgb.setPixel(x, y, shape[y][x] ? qRgb(10, 20, 30) : qRgb(255, 0, 255));
        }
    EXPECT_EQ(maskRegion(indexed, 3, 0), expected);
    EXPECT_EQ(maskRegion(lsb, 1, 0), expected);
    EXPECT_EQ(maskRegion(msb, 0, 0), expected);
    EXPECT_EQ(maskRegion(rgb, 0, qRgb(255, 0, 255)), expected);
    EXPECT_TRUE(maskRegion(QImage(), 0, 0).isEmpty());
    EXPECT_TRUE(regionFromRuns({}).isEmpty());
}

}  // namespace
}  // namespace kestrave
