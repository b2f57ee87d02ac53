#include "codecs/tiff_pixels.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "codecs/mem_utils.h"
#include "codecs/tiff_errors.h"
#include "codecs/tiff_ifd.h"

namespace kestrave {

void swapRedBlue3(std::uint8_t* pixels, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i, pixels += 3) std::swap(pixels[0], pixels[2]);
}

void undoPredictor8(std::uint8_t* row, std::size_t width, unsigned k) {
    if (width < 2) return;
    const std::size_t n = (width - 1) * k;
    for (std::size_t i = 0; i < n; ++i) row[i + k] = static_cast<std::uint8_t>(row[i + k] + row[i]);
}

void undoPredictor16(std::uint8_t* row, std::size_t width, unsigned k, bool motorola) {
    if (width < 2) return;
    const std::size_t n = (width - 1) * k;
    for (std::size_t i = 0; i < n; ++i) {
        std::uint8_t* next = row + 2 * (i + k);
        storeU16(next, static_cast<std::uint16_t>(loadU16(next, motorola) + loadU16(row + 2 * i, motorola)),
                 motorola);
    }
}

std::uint8_t CmykToRgb(std::uint8_t ink, std::uint8_t black) {
    const double c = 255.0 - ink;
    const double k = 255.0 - black;
    const double v = 0.3 * c + 0.2 * k + 0.5 * c * k / 255.0;
    return static_cast<std::uint8_t>(std::nearbyint(std::clamp(v, 0.0, 255.0)));
}

ColorTable readingColorTable(const TIFD& ifd, int photometric) {
    ColorTable table{};
    const unsigned entries = 1u << ifd.BitsPerSample;
    if (photometric == 3) {
        if (ifd.ColorMap.size() / 3 < entries)
            throw TiffCorruptError("the colour map is missing or too short");
        for (unsigned i = 0; i < entries; ++i)
            for (unsigned c = 0; c < 3; ++c) table[i][c] = ifd.ColorMapLookup(i, c);
        return table;
    }
    const unsigned step = ifd.BitsPerSample == 1 ? 255 : ifd.BitsPerSample == 4 ? 16 : 1;
    for (unsigned i = 0; i < entries; ++i) {
        const unsigned level = photometric == 0 ? entries - 1 - i : i;
        table[i].fill(static_cast<std::uint8_t>(level * step));
    }
    return table;
}

}  // namespace kestrave
