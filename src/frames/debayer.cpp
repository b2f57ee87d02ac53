#include "frames/debayer.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "frames/pixel_helpers.h"
#include "platform/parallel.h"

namespace kestrave {

namespace {

// Byte offsets of the colours within a pixel.
constexpr int Blue = 0;
constexpr int Green = 1;
constexpr int Red = 2;

// The dark planes run down columns and the bitmap along rows; tiles of this many rows keep both
// in the cache while the subtraction walks across them column by column.
constexpr int DarkTileRows = 64;

// Round half to even after clamping to 0..255 (a NaN gives 0), spelled out so that the hot loop
// needs no library call.
std::uint8_t roundToByte(double v) {
    v = v > 0.0 ? v : 0.0;
    v = v < 255.0 ? v : 255.0;
    const int whole = static_cast<int>(v);
    const double fraction = v - whole;
    return static_cast<std::uint8_t>(whole + static_cast<int>(fraction > 0.5) +
                                     (static_cast<int>(fraction == 0.5) & whole));
}

std::uint8_t toByte(int v) {
    return static_cast<std::uint8_t>(ClampByte(v));
}

// Every interpolation below is an integer over 2 or 4, so it is rounded in integers:
// n / 2^Shift rounded half to even. (n & mask is the remainder of the floor division that >>
// performs, negative n included.)
template <int Shift>
int roundHalfEvenShift(int n) {
    const int floor = n >> Shift;
    const int rest = n & ((1 << Shift) - 1);
    constexpr int half = 1 << (Shift - 1);
    return floor + (rest > half || (rest == half && (floor & 1) != 0));
}

struct BayerGeometry {
    int width = 0;
    int height = 0;
    int rowShift = 0;  // the first visited row is 2 + rowShift
    int colShift = 0;  // the first visited pair starts at column 2 + colShift
    int pairs = 0;     // K = (W - 4) / 2 pairs per row
};

BayerGeometry geometryOf(const Bitmap24& frame, BayerPattern pattern) {
    BayerGeometry geo;
    geo.width = frame.width();
    geo.height = frame.height();
    geo.rowShift = pattern == BayerPattern::BG || pattern == BayerPattern::GB ? 1 : 0;
    geo.colShift = pattern == BayerPattern::RG || pattern == BayerPattern::GB ? 1 : 0;
    geo.pairs = (geo.width - 4) / 2;
    return geo;
}

// One site and its neighbourhood: the mosaic in the frame and the green of the work bitmap,
// both at the site's pixel (the two bitmaps have the same size and row stride). M(dr, dc, colour)
// is the byte `colour` of the pixel dr rows below and dc columns right of the site; G(dr, dc)
// its green in the work bitmap.
struct Site {
    const std::uint8_t* m;
    const std::uint8_t* g;
    std::ptrdiff_t stride;
    int M(int dr, int dc, int colour) const { return m[dr * stride + 3 * dc + colour]; }
    int G(int dr, int dc) const { return g[dr * stride + 3 * dc + Green]; }
};

// Green at a red or blue site (its own colour Colour). The horizontal and vertical second
// differences of the site's colour, DH and DV, each plus the green step across the site, measure
// how rough the two directions are; green comes from the smoother one, (left + right + DH) / 2 or
// (up + down + DV) / 2, or from both, (left + right + up + down + DH + DV) / 4, when they are
// equally rough. Even-phase rows truncate the division, odd-phase rows round half to even.
// The second neighbour on the right is read at column offset rightTwo (2, or less at the right
// edge of the frame). All three candidates are formed so that the choice needs no jump.
template <int Colour, bool Truncate>
std::uint8_t greenAt(const Site& s, int rightTwo) {
    const int centre = s.M(0, 0, Colour);
    const int dh = 2 * centre - s.M(0, -2, Colour) - s.M(0, rightTwo, Colour);
    const int dv = 2 * centre - s.M(-2, 0, Colour) - s.M(2, 0, Colour);
    const int left = s.M(0, -1, Green), right = s.M(0, 1, Green);
    const int up = s.M(-1, 0, Green), down = s.M(1, 0, Green);
    const int roughH = std::abs(dh) + std::abs(left - right);
    const int roughV = std::abs(dv) + std::abs(up - down);
    const int sumH = left + right + dh, sumV = up + down + dv, sumBoth = sumH + sumV;
    int h, v, both;
    if constexpr (Truncate) {
        h = sumH / 2;
        v = sumV / 2;
        both = sumBoth / 4;
    } else {
        h = roundHalfEvenShift<1>(sumH);
        v = roundHalfEvenShift<1>(sumV);
        both = roundHalfEvenShift<2>(sumBoth);
    }
    return toByte(roughH < roughV ? h : roughH > roughV ? v : both);
}

// Red or blue at a green site from the two sites of that colour on either side along one axis
// (dr, dc), corrected by the curvature of green along that axis:
// Round((m1 + m2) / 2 + (2 g0 - g1 - g2) / 4).
template <int Colour>
std::uint8_t colourBeside(const Site& s, int dr, int dc) {
    const int sum =
        2 * (s.M(-dr, -dc, Colour) + s.M(dr, dc, Colour)) + 2 * s.G(0, 0) - s.G(-dr, -dc) - s.G(dr, dc);
    return toByte(roundHalfEvenShift<2>(sum));
}

// Red at a blue site or blue at a red site from the four diagonal sites of that colour: along
// the diagonal whose colour step plus green curvature is smaller, or over both when they tie.
template <int Colour>
std::uint8_t colourDiagonal(const Site& s) {
    const int nw = s.M(-1, -1, Colour), se = s.M(1, 1, Colour);
    const int ne = s.M(-1, 1, Colour), sw = s.M(1, -1, Colour);
    const int g0 = s.G(0, 0);
    const int curveA = 2 * g0 - s.G(-1, -1) - s.G(1, 1);
    const int curveB = 2 * g0 - s.G(-1, 1) - s.G(1, -1);
    const int roughA = std::abs(nw - se) + std::abs(curveA);
    const int roughB = std::abs(ne - sw) + std::abs(curveB);
    const int sumA = nw + se + curveA, sumB = ne + sw + curveB;
    const int a = roundHalfEvenShift<1>(sumA), b = roundHalfEvenShift<1>(sumB);
    const int both = roundHalfEvenShift<2>(sumA + sumB);
    return toByte(roughA < roughB ? a : roughA > roughB ? b : both);
}

// At a green site: the colour of its row's other sites (RowColour) from the left and right
// neighbours, the colour of its column's other sites from the neighbours above and below.
template <int RowColour, int ColumnColour>
void fillGreenSite(const Site& s, std::uint8_t* out) {
    out[RowColour] = colourBeside<RowColour>(s, 0, 1);
    out[ColumnColour] = colourBeside<ColumnColour>(s, 1, 0);
}

// At a red or blue site: its own sample, and the other colour from the diagonals.
template <int Own, int Other>
void fillColourSite(const Site& s, std::uint8_t* out) {
    out[Own] = static_cast<std::uint8_t>(s.M(0, 0, Own));
    out[Other] = colourDiagonal<Other>(s);
}

// The first pair of visited row y in both bitmaps; a pair is 6 bytes on.
struct PairCursor {
    const std::uint8_t* in;  // the frame
    std::uint8_t* out;       // the work bitmap
    std::ptrdiff_t stride;
};

PairCursor firstPair(const Bitmap24& frame, Bitmap24& work, const BayerGeometry& geo, int y) {
    const auto stride = static_cast<std::ptrdiff_t>(frame.stride());
    const std::ptrdiff_t offset = (y + geo.rowShift) * stride + 3 * (2 + geo.colShift);
    return {frame.bits() + offset, work.bits() + offset, stride};
}

// Green pass over visited row y: an even-phase row holds (green, red) pairs, an odd-phase row
// (blue, green) pairs. Only the green bytes of the work bitmap are written.
template <bool EvenPhase>
void greenRow(const Bitmap24& frame, Bitmap24& work, const BayerGeometry& geo, int y) {
    auto [in, out, stride] = firstPair(frame, work, geo, y);
    const int lastCol = geo.width - 1;
    for (int x = 1; x <= geo.pairs; ++x, in += 6, out += 6) {
        const int c = 2 * x + geo.colShift;
        if constexpr (EvenPhase) {
            out[Green] = in[Green];
            out[3 + Green] = greenAt<Red, true>({in + 3, nullptr, stride}, std::min(2, lastCol - (c + 1)));
        } else {
            out[Green] = greenAt<Blue, false>({in, nullptr, stride}, std::min(2, lastCol - c));
            out[3 + Green] = in[3 + Green];
        }
    }
}

// Colour pass over visited row y: red and blue bytes of the work bitmap, from the mosaic and the
// green that the green pass left in the rows above, beside and below.
template <bool EvenPhase>
void colourRow(const Bitmap24& frame, Bitmap24& work, const BayerGeometry& geo, int y) {
    auto [in, out, stride] = firstPair(frame, work, geo, y);
    for (int x = 1; x <= geo.pairs; ++x, in += 6, out += 6) {
        const Site first{in, out, stride}, second{in + 3, out + 3, stride};
        if constexpr (EvenPhase) {
            fillGreenSite<Red, Blue>(first, out);
            fillColourSite<Red, Blue>(second, out + 3);
        } else {
            fillColourSite<Blue, Red>(first, out);
            fillGreenSite<Blue, Red>(second, out + 3);
        }
    }
}

// Each byte minus its dark plane's cell / 128, rounded half to even and clamped; cells outside a
// plane count as 0.
void subtractRawDark(Bitmap24& frame, const PlaneTriple& dark) {
    static constexpr int byteOfPlane[3] = {Red, Green, Blue};
    const int width = frame.width();
    const auto stride = static_cast<std::ptrdiff_t>(frame.stride());
    std::uint8_t* const bits = frame.bits();
    parallelForRange(
        0, frame.height(), [&dark, width, stride, bits](std::ptrdiff_t first, std::ptrdiff_t last) {
            for (auto top = static_cast<int>(first); top < last; top += DarkTileRows) {
                const int bottom = static_cast<int>(std::min<std::ptrdiff_t>(top + DarkTileRows, last));
                for (int p = 0; p < 3; ++p) {
                    const T2dArrays& plane = dark[p];
                    const int columns = std::min(width, plane.xCount());
                    const int rows = std::min(bottom, plane.yCount()) - top;
                    std::uint8_t* const corner = bits + top * stride + byteOfPlane[p];
                    for (int x = 0; x < columns; ++x) {
                        const float* cells = plane[x] + top;
                        std::uint8_t* byte = corner + 3 * x;
                        for (int i = 0; i < rows; ++i, byte += stride)
                            *byte = roundToByte(*byte - static_cast<double>(cells[i]) * 0.0078125);
                    }
                }
            }
        });
}

// Runs rowBody(y) for every visited row, in bands of rows over all threads.
template <typename RowBody>
void forEachVisitedRow(const BayerGeometry& geo, const RowBody& rowBody) {
    parallelForRange(2, geo.height - 3, [&](std::ptrdiff_t first, std::ptrdiff_t last) {
        for (auto y = static_cast<int>(first); y < last; ++y) rowBody(y);
    });
}

}  // namespace

BayerPattern bayerPatternForItem(int itemIndex) {
    return itemIndex >= 1 && itemIndex <= 3 ? static_cast<BayerPattern>(itemIndex) : BayerPattern::GR;
}

void Debayer(Bitmap24& frame, const DebayerOptions& options, const PlaneTriple& DarkPlanes) {
    if (frame.empty()) return;
    const BayerGeometry geo = geometryOf(frame, options.pattern);
    const int outputRows = geo.height - 4;
    const bool hasOutput = geo.pairs > 0 && outputRows > 0;

    // Sites the passes do not reach keep black in the work bitmap; the colour pass reads their
    // green as 0. It is allocated first, so that running out of memory changes nothing.
    Bitmap24 work;
    if (hasOutput) work.resize(geo.width, geo.height);

    if (options.Rawdark) subtractRawDark(frame, DarkPlanes);
    if (!hasOutput) return;

    forEachVisitedRow(geo, [&](int y) {
        if (y % 2 == 0)
            greenRow<true>(frame, work, geo, y);
        else
            greenRow<false>(frame, work, geo, y);
    });
    if (!options.InAlignPass && !options.InOptimizePass)
        forEachVisitedRow(geo, [&](int y) {
            if (y % 2 == 0)
                colourRow<true>(frame, work, geo, y);
            else
                colourRow<false>(frame, work, geo, y);
        });

    // The work rectangle (2, 2) - (2K + 2, H - 2) becomes the frame's top-left corner.
    const std::size_t rowBytes = 6 * static_cast<std::size_t>(geo.pairs);
    parallelForRange(0, outputRows, [&](std::ptrdiff_t first, std::ptrdiff_t last) {
        for (auto y = static_cast<int>(first); y < last; ++y)
            std::memcpy(frame.row(y), work.pixel(2, y + 2), rowBytes);
    });
}

}  // namespace kestrave
