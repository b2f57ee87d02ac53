#include "output/resize.h"

#include <algorithm>
#include <cmath>

namespace kestrave {

namespace {

constexpr int MinWindowWidth = 670;
constexpr int MinWindowHeight = 390;
constexpr int ScreenMargin = 100;
// Stretch's vertical pass reads two rows of its work bitmap, and a 1-pixel axis would make its
// scale 0.
constexpr int MinResizedSide = 2;
// Twice the largest picture side the program makes.
constexpr double MaxResizedSide = 16384.0;

int resizedSide(int side, double factor) {
    const double scaled = std::clamp(side * factor, 0.0, MaxResizedSide);
    return std::max(static_cast<int>(std::nearbyint(scaled)), MinResizedSide);
}

}  // namespace

double resizeFactor(int ratioItem) {
    return ResizeRatios[static_cast<std::size_t>(
        std::clamp(ratioItem, 0, static_cast<int>(ResizeRatios.size()) - 1))];
}

const ResampleFilter& resizeFilter(int filterItem) {
    return resampleMethodFilter(std::clamp(filterItem, 0, static_cast<int>(ResizeFilterItems.size()) - 1));
}

PictureSize resizedSize(int width, int height, double factor) {
    if (width <= 0 || height <= 0) return {};
    return {resizedSide(width, factor), resizedSide(height, factor)};
}

Bitmap24 resizePicture(const Bitmap24& picture, int ratioItem, int filterItem) {
    const PictureSize size = resizedSize(picture.width(), picture.height(), resizeFactor(ratioItem));
    Bitmap24 scaled;
    if (size.width == 0) return scaled;
    scaled.resize(size.width, size.height);
    const ResampleFilter& filter = resizeFilter(filterItem);
    Stretch(picture, scaled, filter.Filter, filter.Width);
    return scaled;
}

PictureSize resizeWindowSize(int width, int height, int screenWidth, int screenHeight) {
    return {std::min(std::max(width, MinWindowWidth), screenWidth - ScreenMargin),
            std::min(std::max(height, MinWindowHeight), screenHeight - ScreenMargin)};
}

}  // namespace kestrave
