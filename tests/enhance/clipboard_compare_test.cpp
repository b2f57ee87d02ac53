// The difference display of the compare tools: green where the view brightened against the
// copy, red where it darkened, ten times magnified, and only where both pictures exist.

#include <gtest/gtest.h>

#include <random>

#include "enhance/clipboard_compare.h"

using namespace kestrave;

namespace {

Bitmap24 seededPicture(int width, int height, unsigned seed) {
    Bitmap24 picture(width, height);
    std::mt19937 random(seed);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width * 3; ++x) picture.row(y)[x] = static_cast<std::uint8_t>(random() & 0xFF);
    return picture;
}

void setPixel(Bitmap24& picture, int x, int y, int blue, int green, int red) {
    std::uint8_t* p = picture.pixel(x, y);
    p[0] = static_cast<std::uint8_t>(blue);
    p[1] = static_cast<std::uint8_t>(green);
    p[2] = static_cast<std::uint8_t>(red);
}

std::array<int, 3> pixelOf(const Bitmap24& picture, int x, int y) {
    const std::uint8_t* p = picture.pixel(x, y);
    return {p[0], p[1], p[2]};
}

bool samePixels(const Bitmap24& a, const Bitmap24& b) {
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (pixelOf(a, x, y) != pixelOf(b, x, y)) return false;
    return true;
}

}  // namespace

TEST(DiffGreen, OnlyTheGreenDifferenceColoursAPixel) {
    const Bitmap24 copy = seededPicture(16, 9, 7);
    Bitmap24 identical = copy;
    diffGreen(identical, copy, 16, 9);
    EXPECT_TRUE(samePixels(identical, copy)) << "an unchanged view stays as it is";

    struct Case {
        int viewGreen, copyGreen;
        std::array<int, 3> shown;  // blue, green, red
    };
    const Case cases[] = {
        {126, 100, {0, 255, 0}},                                                     // +26 saturates
        {125, 100, {0, 250, 0}}, {101, 100, {0, 10, 0}},     {97, 100, {0, 0, 30}},  // -3
        {0, 255, {0, 0, 255}},   {100, 100, {40, 100, 200}},  // the pixel keeps its value
    };
    Bitmap24 view(6, 1);
    Bitmap24 kept(6, 1);
    for (int i = 0; i < 6; ++i) {
        setPixel(view, i, 0, 40, cases[i].viewGreen, 200);
        setPixel(kept, i, 0, 90, cases[i].copyGreen, 10);  // blue and red play no part
    }
    diffGreen(view, kept, 6, 1);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(pixelOf(view, i, 0), cases[i].shown) << "case " << i;
}

TEST(DiffGreen, PicturesOfAnotherSizeAreComparedWhereBothExist) {
    // A copy taken before the image shrank, and one taken before it grew.
    const Bitmap24 smallCopy(3, 2);  // black: every brighter view pixel turns green
    Bitmap24 view = seededPicture(6, 4, 3);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x) view.pixel(x, y)[1] = 50;
    const Bitmap24 before = view;
    diffGreen(view, smallCopy, 6, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x) {
            const std::array<int, 3> green{0, 255, 0};
            EXPECT_EQ(pixelOf(view, x, y), x < 3 && y < 2 ? green : pixelOf(before, x, y)) << x << "," << y;
        }

    Bitmap24 smallView(3, 2);
    const Bitmap24 largeCopy = seededPicture(6, 4, 5);
    diffGreen(smallView, largeCopy, 6, 4);  // the image size of the copy's time
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) {
            const int green = largeCopy.pixel(x, y)[1];
            EXPECT_EQ(pixelOf(smallView, x, y), (std::array<int, 3>{0, 0, std::min(10 * green, 255)}));
        }

    // The image size bounds the comparison too.
    Bitmap24 cut = before;
    diffGreen(cut, Bitmap24(6, 4), 2, 1);
    EXPECT_EQ(pixelOf(cut, 1, 0), (std::array<int, 3>{0, 255, 0}));
    EXPECT_EQ(pixelOf(cut, 2, 0), pixelOf(before, 2, 0));
    EXPECT_EQ(pixelOf(cut, 0, 1), pixelOf(before, 0, 1));
}
