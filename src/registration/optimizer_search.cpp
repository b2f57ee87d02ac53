#include "registration/optimizer_search.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <type_traits>

#if defined(__SSE2__)
#include <xmmintrin.h>
#endif

#include "frames/still_frames.h"
#include "frames/stretch.h"
#include "platform/errors.h"

// The differences are compiled for two instruction sets and the better one the processor offers
// is picked at load time; neither fuses a multiplication into an addition, so both give the same
// bits.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__) && !defined(KESTRAVE_SINGLE_VARIANT)
#define KESTRAVE_OPTIMIZER_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define KESTRAVE_OPTIMIZER_CLONES
#endif

namespace kestrave {

namespace {

int roundToInt(double v) {
    return static_cast<int>(std::nearbyint(std::clamp(v, -1e9, 1e9)));
}

// The dark frame holds 128 times the dark level.
constexpr float DarkScale = 0.0078125f;

// The large diamond in the order its offsets are tried, then the small one.
constexpr int LargeDiamond[9][2] = {{0, -2}, {-1, -1}, {1, -1}, {-2, 0}, {0, 0},
                                    {2, 0},  {-1, 1},  {1, 1},  {0, 2}};
constexpr int SmallDiamond[4][2] = {{-1, 0}, {0, -1}, {0, 1}, {1, 0}};

int tableIndex(int a, int b) {
    return (a + MaxSearchRadius) * DifferenceTableSide + b + MaxSearchRadius;
}

// The frame's dark level at a working-picture position (resampled positions are taken back to
// the nearest frame pixel); 0 without a dark frame.
class DarkLevels {
public:
    DarkLevels(const OptimizerSearchOptions& options, const OptimizerGeometry& geometry,
               const FrameModel& model)
        : geometry_(geometry) {
        const T2dArrays* dark = options.darkGreen;
        if (dark != nullptr && !dark->empty() && dark->xCount() >= model.FrameWidth &&
            dark->yCount() >= model.FrameHeight) {
            dark_ = dark;
        }
    }
    float at(int x, int y) const {
        if (dark_ == nullptr) return 0.0f;
        if (geometry_.resampled) {
            x = roundToInt(x / geometry_.scaleX);
            y = roundToInt(y / geometry_.scaleY);
        }
        x = std::clamp(x, 0, dark_->MaxX);
        y = std::clamp(y, 0, dark_->MaxY);
        return (*dark_)[x][y] * DarkScale;
    }
    bool none() const { return dark_ == nullptr; }

private:
    const OptimizerGeometry& geometry_;
    const T2dArrays* dark_ = nullptr;
};

// The sum of the levels put into a window and their count.
struct FillResult {
    double sum = 0.0;
    long long count = 0;
};

// Copies `count` pixels of row y from column x on into `out` (24 bits per pixel); a grey
// picture's levels become three equal bytes, as its 24-bit form holds them.
void copyPixels(const FramePixels& pixels, int x, int y, int count, std::uint8_t* out) {
    if (pixels.step() == 3)
        std::memcpy(out, pixels.colour().pixel(x, y), 3 * static_cast<std::size_t>(count));
    else
        packGreyRow(out, pixels.level(x, y), count, [](const std::uint8_t* row, int k) { return row[k]; });
}

// The level of pixel (x, y): the green byte, or with colour the weighted sum of the three.
float levelAt(const FramePixels& pixels, int x, int y, const OptimizerSearchOptions& options) {
    if (!options.Colourstack) return *pixels.level(x, y);
    const std::uint8_t* p = pixels.colour().pixel(x, y);
    const auto& w = options.LumWeights;
    return p[2] * w[0] + p[1] * w[1] + p[0] * w[2];
}

bool holds(const WorkingPicture& picture, int x, int y) {
    const int u = x - picture.left;
    const int v = y - picture.top;
    return u >= 0 && v >= 0 && u < picture.pixels.width() && v < picture.pixels.height();
}

// Window cell (dx + h + r, dy + h + r) gets the level of the picture at (baseX + dx, baseY + dy)
// where both that position and the reference position (featureX + dx, featureY + dy) lie inside
// the working image and the picture holds the position; the other cells are 0.
FillResult fillWindow(std::vector<float>& window, const WorkingPicture& picture, int baseX, int baseY,
                      const OptimizerGeometry& g, const OptimizerSearchOptions& options,
                      const DarkLevels& dark) {
    const int S = g.S;
    const int reach = g.h + g.r;
    window.assign(static_cast<std::size_t>(S) * S, 0.0f);
    FillResult fill;
    // The cells of a row that are filled: dx where the reference position and the frame position
    // lie inside the working image and the picture holds the frame position.
    const int dxFirst = std::max({-reach, -g.featureX, -baseX, picture.left - baseX});
    const int dxLast = std::min({reach, g.imageWidth - 1 - g.featureX, g.imageWidth - 1 - baseX,
                                 picture.left + picture.pixels.width() - 1 - baseX});
    const bool wholeLevels = !options.Colourstack && dark.none();
    for (int dy = -reach; dy <= reach; ++dy) {
        const int refY = g.featureY + dy;
        const int y = baseY + dy;
        if (refY < 0 || refY >= g.imageHeight || y < 0 || y >= g.imageHeight) continue;
        if (y < picture.top || y - picture.top >= picture.pixels.height()) continue;
        float* cells = window.data() + static_cast<std::size_t>(dy + reach) * S;
        if (wholeLevels) {
            // Green bytes without a dark: every partial sum is a whole number far below 2^53, which
            // a double holds exactly in any order, so the row is summed as integers.
            long long rowSum = 0;
            const std::size_t step = static_cast<std::size_t>(picture.pixels.step());
            const std::uint8_t* first = picture.pixels.level(baseX + dxFirst - picture.left, y - picture.top);
            for (int dx = dxFirst; dx <= dxLast; ++dx) {
                const std::uint8_t level = first[step * static_cast<std::size_t>(dx - dxFirst)];
                cells[dx + reach] = level;
                rowSum += level;
            }
            fill.sum += static_cast<double>(rowSum);
            fill.count += std::max(0, dxLast - dxFirst + 1);
            continue;
        }
        for (int dx = dxFirst; dx <= dxLast; ++dx) {
            const int x = baseX + dx;
            const float v =
                levelAt(picture.pixels, x - picture.left, y - picture.top, options) - dark.at(x, y);
            cells[dx + reach] = v;
            fill.sum += v;
            ++fill.count;
        }
    }
    return fill;
}

// The bias is taken off every cell (not below 0) and the mean of the filled cells removed:
// the sum after the bias over the count of filled cells.
void levelWindow(std::vector<float>& window, FillResult fill, const OptimizerSearchOptions& options) {
    if (options.Blurbox) {
        const auto bias = static_cast<float>(roundToInt(options.Bias));
        fill.sum = 0.0;
        for (float& cell : window) {
            cell = std::max(cell - bias, 0.0f);
            fill.sum += cell;
        }
    }
    const auto mean = static_cast<float>(fill.sum / static_cast<double>(std::max<long long>(fill.count, 1)));
    for (float& cell : window) cell -= mean;
}

// The S x S window (row j at j x S) stored column by column: cell (i, j) at i x S + j. Tiles of
// 4 x 4 cells are turned in registers; the cells of the last rows and columns one by one.
void windowByColumns(const std::vector<float>& window, int S, std::vector<float>& columns) {
    columns.resize(window.size());
    const std::size_t side = static_cast<std::size_t>(S);
    const float* from = window.data();
    float* to = columns.data();
    std::size_t whole = 0;
#if defined(__SSE2__)
    whole = side / 4 * 4;
    for (std::size_t j = 0; j < whole; j += 4) {
        for (std::size_t i = 0; i < whole; i += 4) {
            __m128 r0 = _mm_loadu_ps(from + j * side + i), r1 = _mm_loadu_ps(from + (j + 1) * side + i);
            __m128 r2 = _mm_loadu_ps(from + (j + 2) * side + i), r3 = _mm_loadu_ps(from + (j + 3) * side + i);
            _MM_TRANSPOSE4_PS(r0, r1, r2, r3);
            _mm_storeu_ps(to + i * side + j, r0);
            _mm_storeu_ps(to + (i + 1) * side + j, r1);
            _mm_storeu_ps(to + (i + 2) * side + j, r2);
            _mm_storeu_ps(to + (i + 3) * side + j, r3);
        }
    }
#endif
    for (std::size_t j = 0; j < side; ++j)
        for (std::size_t i = j < whole ? whole : 0; i < side; ++i) to[i * side + j] = from[j * side + i];
}

// D(a, b): the mean over the compared cells of (reference - frame shifted by (a, b))^2, for N
// offsets at once. Each offset keeps its own sums, added in the same order as one offset alone
// (cell by cell along a row into the row's sum, row sums in row order), so every D is the same
// number whichever offsets share the walk; walking them together only lets their additions
// overlap. The windows are the float cells stored column by column (see windowByColumns), so that
// the cells of four consecutive rows lie side by side: the sums of four rows are taken at once,
// each lane along its own row, every cell widened to double as it is loaded.
template <int N>
KESTRAVE_OPTIMIZER_CLONES void differencesAt(const std::vector<float>& reference,
                                             const std::vector<float>& frame, const OptimizerGeometry& g,
                                             const int (*offsets)[2], double* out) {
    typedef double Rows4 __attribute__((vector_size(4 * sizeof(double))));
    typedef float Floats4 __attribute__((vector_size(4 * sizeof(float))));
    constexpr int Rows = 4;
    const std::size_t S = static_cast<std::size_t>(g.S);
    const int first = g.firstColumn;
    const int count = g.lastColumn - g.firstColumn + 1;
    const auto cell = [S](const std::vector<float>& window, int column, int row) {
        return window.data() + static_cast<std::size_t>(column) * S + static_cast<std::size_t>(row);
    };
    double sum[N] = {};
    int j = g.firstRow;
    for (; j + Rows - 1 <= g.lastRow; j += Rows) {
        const float* ref = cell(reference, first, j);
        const float* cur[N];
        for (int n = 0; n < N; ++n) cur[n] = cell(frame, first + offsets[n][0], j + offsets[n][1]);
        Rows4 row[N] = {};
        for (int i = 0; i < count; ++i) {
            Floats4 cells;
            std::memcpy(&cells, ref + i * S, sizeof cells);
            const Rows4 level = __builtin_convertvector(cells, Rows4);
            for (int n = 0; n < N; ++n) {
                std::memcpy(&cells, cur[n] + i * S, sizeof cells);
                const Rows4 d = level - __builtin_convertvector(cells, Rows4);
                row[n] += d * d;
            }
        }
        for (int r = 0; r < Rows; ++r)
            for (int n = 0; n < N; ++n) sum[n] += row[n][r];
    }
    for (; j <= g.lastRow; ++j) {
        double row[N] = {};
        for (int i = 0; i < count; ++i) {
            const double level = *cell(reference, first + i, j);
            for (int n = 0; n < N; ++n) {
                const double d =
                    level - static_cast<double>(*cell(frame, first + i + offsets[n][0], j + offsets[n][1]));
                row[n] += d * d;
            }
        }
        for (int n = 0; n < N; ++n) sum[n] += row[n];
    }
    const long long m =
        static_cast<long long>(g.lastColumn - g.firstColumn + 1) * (g.lastRow - g.firstRow + 1);
    for (int n = 0; n < N; ++n) out[n] = sum[n] / static_cast<double>(m);
}

// The differences of `count` offsets, at most eight at a time and the groups as even as can be
// (a group takes as long as its slowest chain, however few offsets it holds).
void differencesOf(const std::vector<float>& reference, const std::vector<float>& frame,
                   const OptimizerGeometry& g, const int (*offsets)[2], int count, double* out) {
    using Group = void (*)(const std::vector<float>&, const std::vector<float>&, const OptimizerGeometry&,
                           const int(*)[2], double*);
    constexpr Group ByWidth[] = {nullptr,          differencesAt<1>, differencesAt<2>,
                                 differencesAt<3>, differencesAt<4>, differencesAt<5>,
                                 differencesAt<6>, differencesAt<7>, differencesAt<8>};
    constexpr int Widest = 8;
    while (count > 0) {
        const int groups = (count + Widest - 1) / Widest;
        const int n = (count + groups - 1) / groups;
        ByWidth[n](reference, frame, g, offsets, out);
        count -= n;
        offsets += n;
        out += n;
    }
}

// The acceptance of candidates against the best difference so far.
class Acceptance {
public:
    Acceptance(TFrameRec& record, TAlignSlotRec& slot, bool interlaced, int startX, int startY)
        : record_(record), slot_(slot), interlaced_(interlaced), startX_(startX), startY_(startY) {
        if (slot_.Difference == 1.0f) slot_.Difference = UnmeasuredStartDifference;
        best_ = slot_.Difference;
    }
    double best() const { return best_; }
    void offer(double d, int a, int b, OptimizeStepResult& result) {
        if (interlaced_ ? !(d < best_) : !(d <= best_)) return;
        slot_.Difference = static_cast<float>(d);
        record_.Improvement = static_cast<float>(100.0 - 100.0 * d / (best_ + 1.0));
        best_ = d;
        slot_.X = startX_ + a;
        slot_.Y = startY_ + b;
        result.accepted = true;
        result.offsetX = a;
        result.offsetY = b;
    }

private:
    TFrameRec& record_;
    TAlignSlotRec& slot_;
    bool interlaced_;
    int startX_;
    int startY_;
    double best_ = 0.0;
};

void rasterSearch(const std::vector<float>& reference, const std::vector<float>& frame,
                  const OptimizerGeometry& g, Acceptance& acceptance, OptimizeStepResult& result) {
    // One column of the raster (every b of one a) is measured at once, then offered in order.
    int offsets[DifferenceTableSide][2];
    double d[DifferenceTableSide];
    for (int a = -g.r; a <= g.r; ++a) {
        for (int b = -g.r; b <= g.r; ++b) {
            offsets[b + g.r][0] = a;
            offsets[b + g.r][1] = b;
        }
        differencesOf(reference, frame, g, offsets, 2 * g.r + 1, d);
        for (int b = -g.r; b <= g.r; ++b) {
            result.table[tableIndex(a, b)] = static_cast<float>(d[b + g.r]);
            acceptance.offer(d[b + g.r], a, b, result);
        }
    }
}

// The diamond walk, never leaving the search radius. Differences already measured are looked up
// instead of measured again; they are the same numbers. The offsets of a diamond that are not
// measured yet are measured together before the walk looks at them.
void diamondSearch(const std::vector<float>& reference, const std::vector<float>& frame,
                   const OptimizerGeometry& g, Acceptance& acceptance, OptimizeStepResult& result) {
    std::array<double, DifferenceTableSide * DifferenceTableSide> measured;
    measured.fill(-1.0);
    const auto inRadius = [&g](int a, int b) { return std::abs(a) <= g.r && std::abs(b) <= g.r; };
    const auto measure = [&](const auto& diamond, int startX, int startY) {
        int offsets[9][2];
        int count = 0;
        for (const auto& o : diamond) {
            const int a = startX + o[0];
            const int b = startY + o[1];
            if (!inRadius(a, b) || measured[tableIndex(a, b)] >= 0.0) continue;
            offsets[count][0] = a;
            offsets[count][1] = b;
            ++count;
        }
        double d[9];
        differencesOf(reference, frame, g, offsets, count, d);
        for (int k = 0; k < count; ++k) measured[tableIndex(offsets[k][0], offsets[k][1])] = d[k];
    };
    double best = acceptance.best();
    int cx = 0;
    int cy = 0;
    auto walk = [&](const auto& diamond, int startX, int startY) {
        measure(diamond, startX, startY);
        for (const auto& o : diamond) {
            const int a = startX + o[0];
            const int b = startY + o[1];
            if (!inRadius(a, b)) continue;
            const double d = measured[tableIndex(a, b)];
            if (d < best) {
                best = d;
                cx = a;
                cy = b;
            }
        }
    };
    for (;;) {
        const int startX = cx;
        const int startY = cy;
        walk(LargeDiamond, startX, startY);
        if (cx == startX && cy == startY) walk(SmallDiamond, startX, startY);
        if (cx == startX && cy == startY) break;
    }
    acceptance.offer(best, cx, cy, result);
}

// The V-fit along one axis from the differences before, at and after the minimum.
float subPixel(float before, float centre, float after) {
    if (before < 0.0f || centre < 0.0f || after < 0.0f) return 0.0f;
    double m = std::max(after, before);
    if (m <= 0.0) m = 1e-5;
    if (m == centre) m = centre + 0.01;
    const double v = (static_cast<double>(after) - before) / ((centre - m) * 2.0);
    return static_cast<float>(std::clamp(v, -0.5, 0.5));
}

float tableAt(const OptimizeStepResult& result, int a, int b) {
    if (std::abs(a) > MaxSearchRadius || std::abs(b) > MaxSearchRadius) return NotComputed;
    return result.at(a, b);
}

// Filters the part [x0, x1] x [y0, y1] of the patch (patch pixels) with the 3 x 3 kernel.
void prefilter(Bitmap24& pixels, int x0, int y0, int x1, int y1, const OptimizerSearchOptions& options,
               Bitmap24& scratch) {
    if (x1 < x0 || y1 < y0) return;
    const int w = x1 - x0 + 1;
    const int h = y1 - y0 + 1;
    scratch.resize(w, h);
    for (int y = 0; y < h; ++y)
        std::memcpy(scratch.row(y), pixels.pixel(x0, y0 + y), 3 * static_cast<std::size_t>(w));
    Convolve3x3(options.Kernel3x3, scratch, options.Colourstack);
    for (int y = 0; y < h; ++y)
        std::memcpy(pixels.pixel(x0, y0 + y), scratch.row(y), 3 * static_cast<std::size_t>(w));
}

// The lines of the other field become the mean of their neighbours, byte by byte, truncated:
// field 0 replaces odd lines 1..size-2, field 1 even lines 2..size-2 (rows, or with
// Interlacehoriz columns). Only lines whose both neighbours lie in the patch can be replaced;
// the patch's margin makes sure these are all the lines the step reads.
void interpolateField(Bitmap24& pixels, int left, int top, int frameWidth, int frameHeight, int field,
                      bool columns) {
    const int first = field == 0 ? 1 : 2;
    auto isTarget = [first](int line, int size) {
        return line >= first && line <= size - 2 && (line - first) % 2 == 0;
    };
    if (!columns) {
        for (int v = 1; v + 1 < pixels.height(); ++v) {
            if (!isTarget(top + v, frameHeight)) continue;
            const std::uint8_t* above = pixels.row(v - 1);
            const std::uint8_t* below = pixels.row(v + 1);
            std::uint8_t* out = pixels.row(v);
            for (std::size_t k = 0; k < 3 * static_cast<std::size_t>(pixels.width()); ++k)
                out[k] = static_cast<std::uint8_t>((above[k] + below[k]) / 2);
        }
        return;
    }
    for (int v = 0; v < pixels.height(); ++v) {
        for (int u = 1; u + 1 < pixels.width(); ++u) {
            if (!isTarget(left + u, frameWidth)) continue;
            const std::uint8_t* l = pixels.pixel(u - 1, v);
            const std::uint8_t* r = pixels.pixel(u + 1, v);
            std::uint8_t* out = pixels.pixel(u, v);
            for (int k = 0; k < 3; ++k) out[k] = static_cast<std::uint8_t>((l[k] + r[k]) / 2);
        }
    }
}

// The box of 2 hx + 1 by 2 hy + 1 pixels around (cx, cy); what the picture does not hold stays
// black.
Bitmap24 boxAround(const WorkingPicture& picture, int cx, int cy, int hx, int hy) {
    Bitmap24 box(2 * hx + 1, 2 * hy + 1);
    // Box columns uFirst..uLast lie on the picture.
    const int uFirst = std::max(0, picture.left - (cx - hx));
    const int uLast = std::min(box.width(), picture.left + picture.pixels.width() - (cx - hx)) - 1;
    if (uLast < uFirst) return box;
    for (int v = 0; v < box.height(); ++v) {
        const int y = cy - hy + v;
        if (!holds(picture, cx - hx + uFirst, y)) continue;
        copyPixels(picture.pixels, cx - hx + uFirst - picture.left, y - picture.top, uLast - uFirst + 1,
                   box.pixel(uFirst, v));
    }
    return box;
}

int resampledSide(int side, double factor) {
    return roundToInt(side * factor);
}

}  // namespace

OptimizerGeometry optimizerGeometry(int FFTSize, int FeatureX, int FeatureY, const FrameModel& model,
                                    const OptimizerSearchOptions& options) {
    OptimizerGeometry g;
    g.N = FFTSize;
    const int h0 = FFTSize / 2;
    const int r0 = roundToInt(std::clamp(options.SearchArea, 0.0, static_cast<double>(MaxSearchRadius)));
    const int hx0 = options.FreeBox ? std::clamp(options.FreeBoxWidth / 2, 0, h0) : h0;
    const int hy0 = options.FreeBox ? std::clamp(options.FreeBoxHeight / 2, 0, h0) : h0;
    int centreX = options.FreeBox ? options.FreeBoxCentreX : FeatureX;
    int centreY = options.FreeBox ? options.FreeBoxCentreY : FeatureY;
    int r = r0;
    g.resampled = options.Resampled;
    g.factor = g.resampled ? std::clamp(static_cast<double>(options.ResampleFactor), 1.0, 4.0) : 1.0;
    const double f = g.factor;
    if (g.resampled) {
        r = roundToInt(r0 * f);
        g.featureX = roundToInt(FeatureX * f);
        g.featureY = roundToInt(FeatureY * f);
        centreX = roundToInt(centreX * f);
        centreY = roundToInt(centreY * f);
        g.imageWidth = roundToInt(model.FrameWidth * f) - 1;
        g.imageHeight = roundToInt(model.FrameHeight * f) - 1;
        g.scaleX = stretchScale(std::max(model.FrameWidth, 1), std::max(g.imageWidth, 1));
        g.scaleY = stretchScale(std::max(model.FrameHeight, 1), std::max(g.imageHeight, 1));
        g.h = roundToInt(h0 * f);
        g.hx = roundToInt(hx0 * f);
        g.hy = roundToInt(hy0 * f);
    } else {
        g.featureX = FeatureX;
        g.featureY = FeatureY;
        g.imageWidth = model.FrameWidth;
        g.imageHeight = model.FrameHeight;
        g.h = h0;
        g.hx = hx0;
        g.hy = hy0;
    }
    const int searched = r;
    g.r = options.FastOptim ? MaxSearchRadius : std::min(r, MaxSearchRadius);
    g.S = 2 * (g.h + g.r) + 1;
    if (g.resampled) {
        // The frame part that is resampled: wide enough for the window at the radius searched.
        const int radius = std::max(searched, g.r);
        g.patchReach = h0 + radius / 2 + 5;
        g.patchSide = FFTSize + radius + 11;
    } else {
        g.patchReach = g.h + g.r;
        g.patchSide = g.S;
    }
    // The compared box: the alignment box (or the free box) around its centre, less r cells on
    // the far side, kept where every candidate's cells lie inside the window.
    g.centreX = centreX;
    g.centreY = centreY;
    const int reach = g.h + g.r;
    g.firstColumn = std::max(centreX - g.featureX - g.hx + reach, g.r);
    g.lastColumn = std::min(centreX - g.featureX + g.hx - 1 + g.h, g.S - 1 - g.r);
    g.firstRow = std::max(centreY - g.featureY - g.hy + reach, g.r);
    g.lastRow = std::min(centreY - g.featureY + g.hy - 1 + g.h, g.S - 1 - g.r);
    return g;
}

int optimizerSlot(const OptimizerSearchOptions& options, int field) {
    return options.interlaced && field == 0 ? 2 : 0;
}

OptimizerReference buildReferenceWindow(const Bitmap24& Image1, const FrameModel& model,
                                        const OptimizerGeometry& geometry,
                                        const OptimizerSearchOptions& options) {
    if (Image1.empty()) {
        throw KestraveError("The optimizer has no reference picture: choose the alignment feature first");
    }
    OptimizerReference reference;
    reference.geometry = geometry;
    WorkingPicture picture{Image1, 0, 0};
    if (geometry.resampled) {
        const ResampleFilter& filter = resampleMethodFilter(options.ResampleMethod);
        reference.resampledPicture.resize(std::max(1, resampledSide(Image1.width(), geometry.factor) - 1),
                                          std::max(1, resampledSide(Image1.height(), geometry.factor) - 1));
        Stretch(Image1, reference.resampledPicture, filter.Filter, filter.Width);
        picture.pixels = reference.resampledPicture;
    }
    const DarkLevels dark(options, geometry, model);
    const FillResult fill =
        fillWindow(reference.window, picture, geometry.featureX, geometry.featureY, geometry, options, dark);
    levelWindow(reference.window, fill, options);
    windowByColumns(reference.window, geometry.S, reference.compared);
    return reference;
}

namespace {

// Where the patch of a field starts: the slot's shift at the pass's scale, and the top-left pixel
// of the part read, with one pixel of margin around it for the field interpolation's neighbours.
struct PatchOrigin {
    int startX = 0, startY = 0;
    int left = 0, top = 0;
};

PatchOrigin patchOrigin(const TFrameRec& record, const OptimizerGeometry& g,
                        const OptimizerSearchOptions& options, int field) {
    PatchOrigin o;
    const SlotShift start = shiftAtScale(record.Slots[optimizerSlot(options, field)], g.factor);
    o.startX = start.X;
    o.startY = start.Y;
    if (g.resampled) {
        o.left = roundToInt((g.featureX + o.startX) / g.scaleX) - g.patchReach - 1;
        o.top = roundToInt((g.featureY + o.startY) / g.scaleY) - g.patchReach - 1;
    } else {
        o.left = g.featureX + o.startX - g.patchReach - 1;
        o.top = g.featureY + o.startY - g.patchReach - 1;
    }
    return o;
}

}  // namespace

RowBand patchRows(const TFrameRec& record, const OptimizerGeometry& g, const OptimizerSearchOptions& options,
                  int fieldCount) {
    RowBand band{std::numeric_limits<int>::max(), std::numeric_limits<int>::min()};
    for (int field = 0; field < fieldCount; ++field) {
        const int top = patchOrigin(record, g, options, field).top;
        band.first = std::min(band.first, top);
        band.end = std::max(band.end, top + g.patchSide + 2);
    }
    band.first = std::max(band.first, 0);
    band.end = std::max(band.end, band.first);
    return band;
}

namespace {

template <typename Picture>
FramePatch takePatch(const Picture& picture, const TFrameRec& record, const FrameModel& model,
                     const OptimizerGeometry& g, const OptimizerSearchOptions& options, int field) {
    FramePatch patch;
    patch.field = field;
    const PatchOrigin origin = patchOrigin(record, g, options, field);
    patch.startX = origin.startX;
    patch.startY = origin.startY;
    patch.valid = picture.width() >= model.FrameWidth && picture.height() >= model.FrameHeight &&
                  model.FrameWidth > 0 && model.FrameHeight > 0;
    if (!patch.valid) return patch;

    patch.left = origin.left;
    patch.top = origin.top;
    const int side = g.patchSide + 2;
    const int x0 = std::max(patch.left, 0);
    const int x1 = std::min(patch.left + side, model.FrameWidth);
    if constexpr (std::is_same_v<Picture, LevelBitmap>) {
        // A step that reads no more than the levels takes them alone.
        if (!options.Colourstack && !options.Filteralignment && !options.Pregamma && !options.interlaced &&
            !g.resampled) {
            patch.levels.resize(side, side);
            for (int v = 0; v < side && x1 > x0; ++v) {
                const int y = patch.top + v;
                if (y < 0 || y >= model.FrameHeight) continue;
                std::memcpy(patch.levels.row(v) + (x0 - patch.left), picture.row(y) + x0,
                            static_cast<std::size_t>(x1 - x0));
            }
            return patch;
        }
    }
    patch.pixels.resize(side, side);
    if (x1 <= x0) return patch;
    for (int v = 0; v < patch.pixels.height(); ++v) {
        const int y = patch.top + v;
        if (y < 0 || y >= model.FrameHeight) continue;
        copyPixels(picture, x0, y, x1 - x0, patch.pixels.pixel(x0 - patch.left, v));
    }
    return patch;
}

}  // namespace

FramePatch takeFramePatch(const Bitmap24& picture, const TFrameRec& record, const FrameModel& model,
                          const OptimizerGeometry& g, const OptimizerSearchOptions& options, int field) {
    return takePatch(picture, record, model, g, options, field);
}

FramePatch takeFramePatch(const LevelBitmap& levels, const TFrameRec& record, const FrameModel& model,
                          const OptimizerGeometry& g, const OptimizerSearchOptions& options, int field) {
    return takePatch(levels, record, model, g, options, field);
}

OptimizeStepResult optimizeFramePatch(FramePatch& patch, TFrameRec& record, const FrameModel& model,
                                      const OptimizerReference& reference,
                                      const OptimizerSearchOptions& options,
                                      const GammaTableArray& GammaTable, OptimizerWorkspace& workspace) {
    OptimizeStepResult result;
    result.table.fill(NotComputed);
    if (!patch.valid) return result;
    const OptimizerGeometry& g = reference.geometry;
    TAlignSlotRec& slot = record.Slots[optimizerSlot(options, patch.field)];
    slot.X = patch.startX;
    slot.Y = patch.startY;
    slot.ShiftScale = static_cast<float>(g.factor);

    // The part of the patch inside the frame, in patch pixels; the core leaves out the margin.
    Bitmap24& pixels = patch.pixels;
    const int inX0 = std::max(0, -patch.left);
    const int inY0 = std::max(0, -patch.top);
    const int inX1 = std::min(pixels.width(), model.FrameWidth - patch.left) - 1;
    const int inY1 = std::min(pixels.height(), model.FrameHeight - patch.top) - 1;
    if (options.Filteralignment) {
        prefilter(pixels, std::max(inX0, 1), std::max(inY0, 1), std::min(inX1, pixels.width() - 2),
                  std::min(inY1, pixels.height() - 2), options, workspace.scratch);
    }
    if (options.Pregamma) {
        for (int v = inY0; v <= inY1; ++v) {
            std::uint8_t* p = pixels.pixel(inX0, v);
            for (int k = 0; k < 3 * (inX1 - inX0 + 1); ++k) p[k] = preGamma(GammaTable, p[k]);
        }
    }
    if (options.interlaced) {
        interpolateField(pixels, patch.left, patch.top, model.FrameWidth, model.FrameHeight, patch.field,
                         options.Interlacehoriz);
    }

    WorkingPicture picture{patch.levels.empty() ? FramePixels(pixels) : FramePixels(patch.levels), patch.left,
                           patch.top};
    if (g.resampled) {
        // The part read (without the margin) is enlarged at the reference picture's scale and put
        // where its first pixel lands in resampled pixels, so that a frame that matches the
        // reference shows its feature where the reference does.
        workspace.scratch.resize(g.patchSide, g.patchSide);
        for (int v = 0; v < g.patchSide; ++v)
            std::memcpy(workspace.scratch.row(v), pixels.pixel(1, v + 1),
                        3 * static_cast<std::size_t>(g.patchSide));
        workspace.resampled.resize(roundToInt((g.patchSide - 1) * g.scaleX) + 1,
                                   roundToInt((g.patchSide - 1) * g.scaleY) + 1);
        const ResampleFilter& filter = resampleMethodFilter(options.ResampleMethod);
        Stretch(workspace.scratch, workspace.resampled, filter.Filter, filter.Width);
        picture = {workspace.resampled, roundToInt((patch.left + 1) * g.scaleX),
                   roundToInt((patch.top + 1) * g.scaleY)};
    }

    const DarkLevels dark(options, g, model);
    const FillResult fill = fillWindow(workspace.frameWindow, picture, g.featureX + patch.startX,
                                       g.featureY + patch.startY, g, options, dark);
    levelWindow(workspace.frameWindow, fill, options);
    windowByColumns(workspace.frameWindow, g.S, workspace.comparedFrame);

    if (g.lastColumn >= g.firstColumn && g.lastRow >= g.firstRow) {
        Acceptance acceptance(record, slot, options.interlaced, patch.startX, patch.startY);
        if (options.FastOptim) {
            diamondSearch(reference.compared, workspace.comparedFrame, g, acceptance, result);
        } else {
            rasterSearch(reference.compared, workspace.comparedFrame, g, acceptance, result);
        }
    }

    const int a = result.offsetX;
    const int b = result.offsetY;
    record.SubPixelX = subPixel(tableAt(result, a - 1, b), tableAt(result, a, b), tableAt(result, a + 1, b));
    record.SubPixelY = subPixel(tableAt(result, a, b - 1), tableAt(result, a, b), tableAt(result, a, b + 1));

    result.currentBox = boxAround(picture, g.centreX + slot.X, g.centreY + slot.Y, g.hx, g.hy);
    return result;
}

OptimizeStepResult OptimizeFrame(const Bitmap24& picture, TFrameRec& record, const FrameModel& model,
                                 const OptimizerReference& reference, const OptimizerSearchOptions& options,
                                 const GammaTableArray& GammaTable, int InterlaceField,
                                 OptimizerWorkspace& workspace) {
    FramePatch patch = takeFramePatch(picture, record, model, reference.geometry, options, InterlaceField);
    return optimizeFramePatch(patch, record, model, reference, options, GammaTable, workspace);
}

}  // namespace kestrave
