// The window shows core bitmaps through a QImage that shares their bytes.

#include <gtest/gtest.h>

#include <QColor>
#include <QImage>

#include "platform/bitmap24.h"
#include "widgets/bitmap_view.h"

TEST(BitmapView, SharesTheBytesAndKeepsRedGreenBlueAndStride) {
    kestrave::Bitmap24 bitmap(5, 3);  // 15 bytes a row, padded to 16
    kestrave::SetRGBTriple(200, 100, 50, bitmap.pixel(4, 2));
    const QImage view = kestrave::bitmapView(bitmap);
    EXPECT_EQ(view.constBits(), bitmap.bits());  // no copy
    EXPECT_EQ(static_cast<std::size_t>(view.bytesPerLine()), bitmap.stride());
    EXPECT_EQ(view.pixelColor(4, 2), QColor(200, 100, 50));
    EXPECT_EQ(view.pixelColor(0, 0), QColor(0, 0, 0));
    kestrave::SetRGBTriple(1, 2, 3, bitmap.pixel(0, 1));
    EXPECT_EQ(view.pixelColor(0, 1), QColor(1, 2, 3));  // later writes show through
}
