#pragma once
// Seeded bitmaps and byte comparisons shared by the pixel and resampling tests.

#include <algorithm>
#include <cstdint>

#include "platform/bitmap24.h"

namespace kestrave::test {

// Pseudo-random bytes in every channel, the same for the same seed.
inline Bitmap24 noiseBitmap(int width, int height, unsigned seed) {
    Bitmap24 b(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < 3; ++c) {
                seed = seed * 1103515245u + 12345u;
                b.pixel(x, y)[c] = static_cast<std::uint8_t>(seed >> 16);
            }
    return b;
}

// Same size and the same pixel bytes (row padding is not compared).
inline bool samePixels(const Bitmap24& a, const Bitmap24& b) {
    if (a.width() != b.width() || a.height() != b.height()) return false;
    for (int y = 0; y < a.height(); ++y)
        if (!std::equal(a.row(y), a.row(y) + 3 * static_cast<std::size_t>(a.width()), b.row(y))) return false;
    return true;
}

}  // namespace kestrave::test
