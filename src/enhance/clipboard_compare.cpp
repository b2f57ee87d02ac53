#include "enhance/clipboard_compare.h"

#include <algorithm>

namespace kestrave {

namespace {

constexpr int Gain = 10;

}  // namespace

void diffGreen(Bitmap24& preview, const Bitmap24& copy, int imageWidth, int imageHeight) {
    const int width = std::min({imageWidth, preview.width(), copy.width()});
    const int height = std::min({imageHeight, preview.height(), copy.height()});
    for (int y = 0; y < height; ++y) {
        std::uint8_t* shown = preview.row(y);
        const std::uint8_t* kept = copy.row(y);
        for (int x = 0; x < width; ++x) {
            std::uint8_t* p = shown + 3 * x;
            const int d = p[1] - kept[3 * x + 1];
            if (d == 0) continue;
            const auto level = static_cast<std::uint8_t>(std::min(Gain * (d > 0 ? d : -d), 255));
            p[0] = 0;
            p[1] = d > 0 ? level : 0;
            p[2] = d > 0 ? 0 : level;
        }
    }
}

}  // namespace kestrave
