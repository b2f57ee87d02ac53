#pragma once
// The resize view's choices and sizes: the ratios and filters it offers, the factor of a ratio,
// the scaled picture's size and the size of the view's window.

#include <array>

namespace kestrave {

// `RadioGroup2`: "10%" .. "200%"; the default item is "50%".
inline constexpr std::array<double, 7> ResizeRatios{0.1, 0.25, 0.5, 0.75, 1.0, 1.5, 2.0};
inline constexpr std::array<const char*, 7> ResizeRatioItems{"10%",  "25%",  "50%", "75%",
                                                             "100%", "150%", "200%"};
inline constexpr int DefaultResizeRatio = 2;
inline constexpr int OriginalResizeRatio = 4;
// `ResizeFilters`: "Bell", "B-Spline", "Lanczos", "Mitchell" are the Stretch filters Bell,
// B-Spline, Lanczos3 and Mitchell; the default is "B-Spline".
inline constexpr std::array<const char*, 4> ResizeFilterItems{"Bell", "B-Spline", "Lanczos", "Mitchell"};
inline constexpr int DefaultResizeFilter = 1;

// The factor of a ratio item (an item outside the list takes the nearest one).
double resizeFactor(int ratioItem);

struct PictureSize {
    int width = 0;
    int height = 0;
};
// Round(width x factor) x Round(height x factor), at least 2 x 2 (the resampler's vertical pass
// needs two rows); 0 x 0 for an empty picture.
PictureSize resizedSize(int width, int height, double factor);

// The view's window for contents of the given size: at least 670 x 390, at most the screen less
// 100 each way.
PictureSize resizeWindowSize(int width, int height, int screenWidth, int screenHeight);

}  // namespace kestrave
