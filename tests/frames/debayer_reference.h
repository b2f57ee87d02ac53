#pragma once
// A plain pixel-by-pixel statement of the debayering rules, written from the layout table
// rather than from row phases, used to check the fast row-band implementation bit for bit.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "frames/debayer.h"

namespace kestrave::test {

// The layouts in debayergroup order, the top-left 2 × 2 cell row by row.
inline constexpr const char* BayerCells[4] = {"GRBG", "RGGB", "BGGR", "GBRG"};
inline constexpr const char* BayerNames[4] = {"GR", "RG", "BG", "GB"};

// Byte offset (0 blue, 1 green, 2 red) of the colour the filter passes at (col, row).
inline int siteByte(BayerPattern pattern, int col, int row) {
    const char colour = BayerCells[static_cast<int>(pattern)][(row & 1) * 2 + (col & 1)];
    return colour == 'R' ? 2 : colour == 'G' ? 1 : 0;
}

inline int roundHalfEven(double v) {
    return static_cast<int>(std::nearbyint(std::clamp(v, 0.0, 255.0)));
}

inline Bitmap24 referenceDebayer(const Bitmap24& input, const DebayerOptions& options,
                                 const PlaneTriple& dark) {
    Bitmap24 frame = input;
    const int w = frame.width(), h = frame.height();
    const BayerPattern p = options.pattern;
    if (options.Rawdark)
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                for (int plane = 0; plane < 3; ++plane) {
                    std::uint8_t& b = frame.pixel(x, y)[2 - plane];
                    if (x < dark[plane].xCount() && y < dark[plane].yCount())
                        b = static_cast<std::uint8_t>(roundHalfEven(b - dark[plane][x][y] / 128.0));
                }

    const int rowShift = p == BayerPattern::BG || p == BayerPattern::GB;
    const int colShift = p == BayerPattern::RG || p == BayerPattern::GB;
    const int k = (w - 4) / 2;
    auto visited = [&](int c, int r) {
        return r >= 2 + rowShift && r <= h - 4 + rowShift && c >= 2 + colShift && c <= 2 * k + 1 + colShift;
    };
    // The mosaic sample of the site at (c, r): the byte of that site's colour, columns past the
    // right edge read at the last column.
    auto M = [&](int c, int r) { return int{frame.pixel(std::min(c, w - 1), r)[siteByte(p, c, r)]}; };

    std::vector<int> G(static_cast<std::size_t>(w) * h, 0), R(G.size(), 0), B(G.size(), 0);
    auto at = [&](std::vector<int>& plane, int c, int r) -> int& {
        return plane[static_cast<std::size_t>(r) * w + c];
    };

    for (int r = 0; r < h; ++r)
        for (int c = 0; c < w; ++c) {
            if (!visited(c, r)) continue;
            if (siteByte(p, c, r) == 1) {
                at(G, c, r) = M(c, r);
                continue;
            }
            const int dh = 2 * M(c, r) - M(c - 2, r) - M(c + 2, r);
            const int dv = 2 * M(c, r) - M(c, r - 2) - M(c, r + 2);
            const int l = M(c - 1, r), rt = M(c + 1, r), u = M(c, r - 1), d = M(c, r + 1);
            const int eh = std::abs(dh) + std::abs(l - rt), ev = std::abs(dv) + std::abs(u - d);
            const int sum = eh < ev ? l + rt + dh : eh > ev ? u + d + dv : l + rt + u + d + dh + dv;
            const int div = eh == ev ? 4 : 2;
            const bool evenPhase = (r - rowShift) % 2 == 0;
            at(G, c, r) = evenPhase ? std::clamp(sum / div, 0, 255) : roundHalfEven(sum / double(div));
        }

    if (!options.InAlignPass && !options.InOptimizePass)
        for (int r = 0; r < h; ++r)
            for (int c = 0; c < w; ++c) {
                if (!visited(c, r)) continue;
                const int g0 = at(G, c, r);
                auto store = [&](int byte, int value) { at(byte == 2 ? R : B, c, r) = value; };
                if (siteByte(p, c, r) == 1) {
                    store(siteByte(p, c + 1, r),
                          roundHalfEven((M(c - 1, r) + M(c + 1, r)) / 2.0 +
                                        (2 * g0 - at(G, c - 1, r) - at(G, c + 1, r)) / 4.0));
                    store(siteByte(p, c, r + 1),
                          roundHalfEven((M(c, r - 1) + M(c, r + 1)) / 2.0 +
                                        (2 * g0 - at(G, c, r - 1) - at(G, c, r + 1)) / 4.0));
                    continue;
                }
                store(siteByte(p, c, r), M(c, r));
                const int nw = M(c - 1, r - 1), se = M(c + 1, r + 1), ne = M(c + 1, r - 1),
                          sw = M(c - 1, r + 1);
                const int ca = 2 * g0 - at(G, c - 1, r - 1) - at(G, c + 1, r + 1);
                const int cb = 2 * g0 - at(G, c + 1, r - 1) - at(G, c - 1, r + 1);
                const int g1 = std::abs(nw - se) + std::abs(ca), g2 = std::abs(ne - sw) + std::abs(cb);
                const double v = g1 < g2   ? (nw + se) / 2.0 + ca / 2.0
                                 : g1 > g2 ? (ne + sw) / 2.0 + cb / 2.0
                                           : (nw + ne + sw + se) / 4.0 + (ca + cb) / 4.0;
                store(siteByte(p, c + 1, r + 1), roundHalfEven(v));
            }

    for (int y = 0; y < h - 4; ++y)
        for (int x = 0; x < 2 * k; ++x)
            SetRGBTriple(static_cast<std::uint8_t>(at(R, x + 2, y + 2)),
                         static_cast<std::uint8_t>(at(G, x + 2, y + 2)),
                         static_cast<std::uint8_t>(at(B, x + 2, y + 2)), frame.pixel(x, y));
    return frame;
}

}  // namespace kestrave::test
