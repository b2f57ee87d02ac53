#include "registration/align_frame.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "registration/quality_measures.h"

namespace kestrave {

namespace {

// The part of the frame whose pixels exist in a picture: the frame size, never beyond the bitmap.
struct Area {
    int width = 0;
    int height = 0;
};

Area readable(const AlignInputs& inputs, const FramePixels& picture) {
    return {std::clamp(inputs.FrameWidth, 0, picture.width()),
            std::clamp(inputs.FrameHeight, 0, picture.height())};
}

// Sizes a thread's engine as the pass's main engine, sharing its bin table.
void sizeEngine(FftEngine& fft, const FftEngine& main) {
    if (fft.FFTSize != main.FFTSize) InitFFTWorkspace(fft, main);
}

// The n x n box whose top-left pixel is (left, top); pixels outside the frame are black.
void copyBox(const Bitmap24& frame, const Area& area, int left, int top, int n, Bitmap24& box) {
    if (box.width() != n || box.height() != n) box.resize(n, n);
    std::memset(box.bits(), 0, box.byteCount());
    const int x0 = std::max(0, -left), x1 = std::min(n, area.width - left);
    if (x1 <= x0) return;
    for (int y = std::max(0, -top); y < std::min(n, area.height - top); ++y)
        std::memcpy(box.pixel(x0, y), frame.pixel(left + x0, top + y), 3 * static_cast<std::size_t>(x1 - x0));
}

// Byte `byte` of the pixels of that box, n x n from its top-left pixel, row by row (the levels
// are the green bytes, byte 1).
void copyBoxByte(const FramePixels& frame, const Area& area, int left, int top, int n, int byte,
                 std::uint8_t* plane) {
    std::fill(plane, plane + static_cast<std::size_t>(n) * n, std::uint8_t{0});
    const int x0 = std::max(0, -left), x1 = std::min(n, area.width - left);
    if (x1 <= x0) return;
    const int step = byte == 1 ? frame.step() : 3;
    for (int y = std::max(0, -top); y < std::min(n, area.height - top); ++y) {
        const std::uint8_t* from =
            byte == 1 ? frame.level(left + x0, top + y) : frame.colour().pixel(left + x0, top + y) + byte;
        std::uint8_t* to = plane + static_cast<std::size_t>(y) * n + x0;
        if (step == 1)
            std::memcpy(to, from, static_cast<std::size_t>(x1 - x0));
        else
            for (int x = 0; x < x1 - x0; ++x) to[x] = from[step * x];
    }
}

// The level of pixel (x, y): the green byte, or with colour the weighted sum of the three.
float frameLevel(const FramePixels& frame, int x, int y, const AlignOptions& options) {
    return options.Colourstack ? pixelLevel(frame.colour().pixel(x, y), true, options.LumWeights)
                               : static_cast<float>(*frame.level(x, y));
}

void keepProfile(const FftEngine& fft, std::array<float, kRadialBins>& profile, float& profileMax) {
    profile = fft.RadialProfile;
    profileMax = fft.RadialProfileMax;
}

const char* const LostLockText =
    " Cannot lock onto initial alignment feature. \n\r Press OK and realign manual on feature,\n\r or Press "
    "Ignore to deselect frame, \n\r  or Press All to deselect frames with warnings ";
const char* const NextSegmentText = " Next AVI sequence, please point-click at alignment feature";
const char* const HaltText = "User interruption, please realign";
const char* const OffscreenText =
    " Your alignmentbox is partly off screen, image-quality estimation is disabled \r\n for such images.\r\n "
    "This "
    "message will appear only once !";

// The highest cell above -1e11, first in scan order (first index outer; NaN cells never count),
// and its value; (0, 0) and -1e11 when there is none. The largest value is found first with
// independent lanes, then its first cell.
float highestCell(const FftEngine& fft, int& pi, int& pj) {
    const int n = fft.FFTSize;
    constexpr int Lanes = 8;
    std::array<float, Lanes> lanes;
    lanes.fill(-1e11f);
    for (int i = 0; i < n; ++i) {
        const float* line = fft.FFTRe[i];
        for (int j = 0; j + Lanes <= n; j += Lanes)
            for (int k = 0; k < Lanes; ++k) lanes[k] = line[j + k] > lanes[k] ? line[j + k] : lanes[k];
        for (int j = n - n % Lanes; j < n; ++j) lanes[0] = line[j] > lanes[0] ? line[j] : lanes[0];
    }
    float best = -1e11f;
    for (float lane : lanes) best = lane > best ? lane : best;
    pi = pj = 0;
    if (!(best > -1e11f)) return -1e11f;
    for (int i = 0; i < n; ++i) {
        const float* line = fft.FFTRe[i];
        for (int j = 0; j < n; ++j) {
            if (line[j] == best) {
                pi = i;
                pj = j;
                return line[j];
            }
        }
    }
    return best;
}

}  // namespace

int shiftOfPeak(int index, int n) {
    return -(index > n / 2 ? index - n : index);
}

namespace {

// Lines of the plane taken together when a box is read: each row of the picture gives a cell to
// each of them, and their cache lines stay at hand while the rows go by.
constexpr int LinesAtOnce = 32;

// The cells x0 <= x < x1, y0 <= y < y1 of a box.
struct BoxCells {
    int x0 = 0, x1 = 0, y0 = 0, y1 = 0;
};

// Cell [x][y] of `lines` (lines of n cells) := the level (green byte) of picture pixel
// (left + x, top + y) for the cells of `box`, read row by row in strips of LinesAtOnce columns.
// Returns the sum of the bytes.
template <int Step>
std::uint64_t levelsIntoLines(const FramePixels& picture, int left, int top, BoxCells box, float* lines,
                              int n) {
    const auto [x0, x1, y0, y1] = box;
    std::uint64_t sum = 0;
    for (int xs = x0; xs < x1; xs += LinesAtOnce) {
        const int xe = std::min(x1, xs + LinesAtOnce);
        float* const strip = lines + static_cast<std::ptrdiff_t>(xs) * n;
        for (int y = y0; y < y1; ++y) {
            const std::uint8_t* p = picture.level(left + xs, top + y);
            float* cell = strip + y;
            for (int x = xs; x < xe; ++x, p += Step, cell += n) {
                *cell = static_cast<float>(*p);
                sum += *p;
            }
        }
    }
    return sum;
}

#if defined(__SSE2__)
// Blocks of 16 x 16 levels, one byte per pixel: 16 rows are loaded, turned into 16 columns by
// four rounds of interleaving (each round pairs row i with row i + 8, byte by byte), and each
// column is widened to floats and stored as 16 consecutive cells of its line.
constexpr int LevelBlock = 16;

void levelBlockIntoLines(const FramePixels& picture, int left, int top, float* lines, int n, __m128i& sums) {
    const __m128i zero = _mm_setzero_si128();
    __m128i r[LevelBlock];
    for (int k = 0; k < LevelBlock; ++k) {
        r[k] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(picture.level(left, top + k)));
        sums = _mm_add_epi64(sums, _mm_sad_epu8(r[k], zero));
    }
    for (int round = 0; round < 4; ++round) {
        __m128i t[LevelBlock];
        for (int i = 0; i < LevelBlock / 2; ++i) {
            t[2 * i] = _mm_unpacklo_epi8(r[i], r[i + LevelBlock / 2]);
            t[2 * i + 1] = _mm_unpackhi_epi8(r[i], r[i + LevelBlock / 2]);
        }
        for (int k = 0; k < LevelBlock; ++k) r[k] = t[k];
    }
    for (int c = 0; c < LevelBlock; ++c) {
        float* cell = lines + static_cast<std::ptrdiff_t>(c) * n;
        const __m128i low = _mm_unpacklo_epi8(r[c], zero), high = _mm_unpackhi_epi8(r[c], zero);
        _mm_storeu_ps(cell, _mm_cvtepi32_ps(_mm_unpacklo_epi16(low, zero)));
        _mm_storeu_ps(cell + 4, _mm_cvtepi32_ps(_mm_unpackhi_epi16(low, zero)));
        _mm_storeu_ps(cell + 8, _mm_cvtepi32_ps(_mm_unpacklo_epi16(high, zero)));
        _mm_storeu_ps(cell + 12, _mm_cvtepi32_ps(_mm_unpackhi_epi16(high, zero)));
    }
}
#endif

std::uint64_t greenBytesIntoLines(const FramePixels& picture, int left, int top, BoxCells box, float* lines,
                                  int n) {
    if (picture.step() != 1) return levelsIntoLines<3>(picture, left, top, box, lines, n);
#if defined(__SSE2__)
    const auto [x0, x1, y0, y1] = box;
    // Whole blocks first, then the columns and rows they leave (whole bytes: the sums are exact in
    // any order).
    const int xBlocks = x0 + (x1 - x0) / LevelBlock * LevelBlock;
    const int yBlocks = y0 + (y1 - y0) / LevelBlock * LevelBlock;
    __m128i sums = _mm_setzero_si128();
    for (int x = x0; x < xBlocks; x += LevelBlock)
        for (int y = y0; y < yBlocks; y += LevelBlock)
            levelBlockIntoLines(picture, left + x, top + y, lines + static_cast<std::ptrdiff_t>(x) * n + y, n,
                                sums);
    std::uint64_t halves[2];
    _mm_storeu_si128(reinterpret_cast<__m128i*>(halves), sums);
    std::uint64_t sum = halves[0] + halves[1];
    sum += levelsIntoLines<1>(picture, left, top, {x0, xBlocks, yBlocks, y1}, lines, n);
    sum += levelsIntoLines<1>(picture, left, top, {xBlocks, x1, y0, y1}, lines, n);
    return sum;
#else
    return levelsIntoLines<1>(picture, left, top, box, lines, n);
#endif
}

// The levels of the box pixels inside the frame, less their mean, into the engine's real plane
// (the imaginary plane is left as it was). The mean is taken over the pixels inside alone, and
// the cells outside become -mean once it is taken off.
void readBoxLevels(const AlignInputs& inputs, const FramePixels& frame, int left, int top, FftEngine& fft) {
    const AlignOptions& options = *inputs.options;
    const int n = inputs.engine->FFTSize;
    float* re = fft.FFTRe.data();
    const std::size_t cells = static_cast<std::size_t>(n) * n;
    std::fill(re, re + cells, 0.0f);
    const Area area = readable(inputs, frame);
    const int x0 = std::max(0, -left), x1 = std::min(n, area.width - left);
    const int y0 = std::max(0, -top), y1 = std::min(n, area.height - top);
    double sum = 0.0;
    double count = 0.0;
    // A grey level with nothing taken off is the green byte itself.
    const bool plain = !options.Colourstack && !options.levels.biasSubtract && inputs.dark == nullptr;
    if (plain) {
        // Whole bytes: their sum is exact in any order.
        const std::uint64_t bytes = greenBytesIntoLines(frame, left, top, {x0, x1, y0, y1}, re, n);
        sum = static_cast<double>(bytes);
    }
    for (int y = y0; y < y1; ++y) {
        for (int x = plain ? x1 : x0; x < x1; ++x) {
            const float* dark = inputs.dark ? &(*inputs.dark)[left + x][top + y] : nullptr;
            const float v = boxLevel(frameLevel(frame, left + x, top + y, options), options.levels, dark);
            re[static_cast<std::size_t>(x) * n + y] = v;
            sum += v;
        }
        count += std::max(0, x1 - x0);
    }
    double mean = sum / std::max(count, 1.0);
    if (mean == 0.0) mean = 1e-6;
    const auto meanLevel = static_cast<float>(mean);
    for (std::size_t k = 0; k < cells; ++k) re[k] -= meanLevel;
}

// Band mask, whitening of the frame spectrum, and the reference times its conjugate. With
// `bandLines`, a line the mask shuts wholly is left as it is (the inverse transform takes it as 0).
void crossPowerSpectrum(const AlignInputs& inputs, const std::vector<std::uint8_t>* bandLines,
                        FftEngine& fft) {
    const RegistrationState& reference = *inputs.registration;
    const int n = inputs.engine->FFTSize;
    for (int i = 0; i < n; ++i) {
        if (bandLines != nullptr && (*bandLines)[static_cast<std::size_t>(i)] == 0) continue;
        const std::uint8_t* pass = inputs.engine->FFTBandMask[i];
        const float* refRe = reference.RefSpectrumRe[i];
        const float* refIm = reference.RefSpectrumIm[i];
        float* lineRe = fft.FFTRe[i];
        float* lineIm = fft.FFTIm[i];
        for (int j = 0; j < n; ++j) {
            const float r = pass[j] ? lineRe[j] : 0.0f;
            const float q = pass[j] ? lineIm[j] : 0.0f;
            const float w = 1.0f / std::sqrt(r * r + q * q + 1e-6f);
            const float fr = r * w, fi = q * w;
            lineRe[j] = refRe[j] * fr + refIm[j] * fi;
            lineIm[j] = refIm[j] * fr - fi * refRe[j];
        }
    }
}

}  // namespace

Correlation correlateBox(const AlignInputs& inputs, const FramePixels& frame, int tx, int ty,
                         AlignScratch& scratch, bool charted) {
    const AlignOptions& options = *inputs.options;
    const RegistrationState& reference = *inputs.registration;
    const int n = inputs.engine->FFTSize;
    if (reference.RefSpectrumRe.xCount() != n || reference.RefSpectrumIm.xCount() != n)
        throw KestraveError(" No reference spectrum for this alignment box: choose the alignment feature ");
    FftEngine& fft = scratch.fft;
    sizeEngine(fft, *inputs.engine);

    Correlation c;
    c.tx = tx;
    c.ty = ty;
    c.charted = charted;
    const int left = reference.BoxLeft + tx, top = reference.BoxTop + ty;
    c.boxOffscreen =
        left < 0 || top < 0 || left + n - 1 >= inputs.FrameWidth || top + n - 1 >= inputs.FrameHeight;
    readBoxLevels(inputs, frame, left, top, fft);

    // The band mask takes only some lines of the spectrum; the profile, when it is wanted, all.
    // A line the mask shuts wholly is left out of the inverse transform's first pass.
    const std::vector<std::uint8_t>& bandLines = inputs.engine->FFTBandLines;
    const bool someLines = static_cast<int>(bandLines.size()) == n;
    const bool profile = charted && options.quality.kind != QualityKind::Spectral;
    if (someLines && !profile) {
        FFT2DForwardOfLines(fft, bandLines, true);
    } else {
        std::fill(fft.FFTIm.data(), fft.FFTIm.data() + fft.FFTIm.cellCount(), 0.0f);
        FFT2DForward(fft);
    }
    if (profile) {
        RadialSpectrum(fft, options.quality.HVSWeighting, reference.HVSCentre);
        keepProfile(fft, c.profile, c.profileMax);
    }
    crossPowerSpectrum(inputs, someLines ? &bandLines : nullptr, fft);
    if (someLines)
        FFT2DInverseOfLines(fft, bandLines, !options.ShowFFTbox);
    else
        FFT2DInverse(fft);

    c.peak = highestCell(fft, c.pi, c.pj);
    if (options.ShowFFTbox) c.surface = SpectrumToBitmap(fft, fft.FFTRe, &fft.FFTIm, 1.0f);
    return c;
}

namespace {

// Cells [x][y] of the n x n `lines` := the reference levels read once, for x0 <= x < x1,
// y0 <= y < y1; returns their sum.
std::uint64_t copyReferenceLevels(const ReferenceLevels& cached, int x0, int x1, int y0, int y1,
                                  float* lines) {
    const std::size_t n = static_cast<std::size_t>(cached.n);
    for (int x = x0; x < x1; ++x) {
        const std::size_t at = static_cast<std::size_t>(x) * n + static_cast<std::size_t>(y0);
        std::memcpy(lines + at, cached.lines.data() + at, static_cast<std::size_t>(y1 - y0) * sizeof(float));
    }
    const auto sum = [&](int x, int y) {
        return cached.sums[static_cast<std::size_t>(x) * (n + 1) + static_cast<std::size_t>(y)];
    };
    return sum(x1, y1) - sum(x0, y1) - sum(x1, y0) + sum(x0, y0);
}

// The reference's levels over the box around the feature (see ReferenceLevels).
ReferenceLevels readReferenceLevels(const AlignInputs& inputs) {
    ReferenceLevels cached;
    const Bitmap24& reference = inputs.registration->Image1;
    const int n = inputs.engine->FFTSize, h = n / 2;
    const Area area = readable(inputs, reference);
    cached.n = n;
    cached.lines.assign(static_cast<std::size_t>(n) * n, 0.0f);
    cached.sums.assign(static_cast<std::size_t>(n + 1) * (n + 1), 0);
    const int fX = inputs.FeatureX, fY = inputs.FeatureY;
    const int x0 = std::max(-h, -fX), x1 = std::min(h, area.width - fX);
    const int y0 = std::max(-h, -fY), y1 = std::min(h, area.height - fY);
    if (x1 > x0 && y1 > y0)
        greenBytesIntoLines(reference, fX, fY, {x0, x1, y0, y1},
                            cached.lines.data() + static_cast<std::ptrdiff_t>(h) * n + h, n);
    const std::size_t m = static_cast<std::size_t>(n) + 1;
    for (std::size_t x = 1; x < m; ++x) {
        std::uint64_t column = 0;
        for (std::size_t y = 1; y < m; ++y) {
            column += static_cast<std::uint64_t>(cached.lines[(x - 1) * (m - 1) + (y - 1)]);
            cached.sums[x * m + y] = cached.sums[(x - 1) * m + y] + column;
        }
    }
    return cached;
}

// The cells of the box compared with the reference: x0 <= x < x1, y0 <= y < y1 relative to the
// feature, and the mean levels of the frame and the reference over them.
struct Overlap {
    int x0 = 0, x1 = 0, y0 = 0, y1 = 0;
    double count = 0.0;
    float meanF = 0.0f;
    float meanR = 0.0f;
};

// Cell (x + h, y + h) of FFTRe takes the frame pixel (fX + x + sx, fY + y + sy) and of FFTIm the
// reference pixel (fX + x, fY + y) where both exist; every other cell stays 0 (no difference).
Overlap readComparedLevels(const AlignInputs& inputs, const FramePixels& frame, const Area& frameArea, int sx,
                           int sy, FftEngine& fft) {
    const AlignOptions& options = *inputs.options;
    const Bitmap24& reference = inputs.registration->Image1;
    const int n = fft.FFTSize, h = n / 2;
    const int fX = inputs.FeatureX, fY = inputs.FeatureY;
    const Area refArea = readable(inputs, reference);
    Overlap o;
    o.x0 = std::max({-h, -fX, -fX - sx});
    o.x1 = std::min({h, refArea.width - fX, frameArea.width - fX - sx});
    o.y0 = std::max({-h, -fY, -fY - sy});
    o.y1 = std::min({h, refArea.height - fY, frameArea.height - fY - sy});
    float* re = fft.FFTRe.data();
    float* im = fft.FFTIm.data();
    // Only the cells outside the overlap are cleared: the others are written below.
    const bool overlapping = o.x1 > o.x0 && o.y1 > o.y0;
    for (int i = 0; i < n; ++i) {
        float* lineF = re + static_cast<std::size_t>(i) * n;
        float* lineR = im + static_cast<std::size_t>(i) * n;
        const bool inside = overlapping && i >= o.x0 + h && i < o.x1 + h;
        const int from = inside ? o.y0 + h : n, to = inside ? o.y1 + h : n;
        std::fill(lineF, lineF + from, 0.0f);
        std::fill(lineR, lineR + from, 0.0f);
        std::fill(lineF + to, lineF + n, 0.0f);
        std::fill(lineR + to, lineR + n, 0.0f);
    }
    double sumF = 0.0, sumR = 0.0;
    // Without colour the levels are whole bytes, whose sums are exact whatever their order.
    std::uint64_t bytesF = 0, bytesR = 0;
    const bool colour = options.Colourstack;
    for (int x = o.x0; x < o.x1; ++x) {
        float* cellF = re + static_cast<std::size_t>(x + h) * n + h;
        float* cellR = im + static_cast<std::size_t>(x + h) * n + h;
        if (colour) {
            for (int y = o.y0; y < o.y1; ++y) {
                const float f = frameLevel(frame, fX + x + sx, fY + y + sy, options);
                const float r = pixelLevel(reference.pixel(fX + x, fY + y), true, options.LumWeights);
                cellF[y] = f;
                cellR[y] = r;
                sumF += f;
                sumR += r;
            }
        }
        o.count += std::max(0, o.y1 - o.y0);
    }
    if (!colour && overlapping) {
        // Row by row, a strip of lines at a time (whole bytes: the sums are exact in any order).
        bytesF = greenBytesIntoLines(frame, fX + sx, fY + sy, {o.x0, o.x1, o.y0, o.y1},
                                     re + static_cast<std::ptrdiff_t>(h) * n + h, n);
        const ReferenceLevels* cached = inputs.referenceLevels;
        if (cached != nullptr && cached->n == n)
            bytesR = copyReferenceLevels(*cached, o.x0 + h, o.x1 + h, o.y0 + h, o.y1 + h, im);
        else
            bytesR = greenBytesIntoLines(reference, fX, fY, {o.x0, o.x1, o.y0, o.y1},
                                         im + static_cast<std::ptrdiff_t>(h) * n + h, n);
    }
    if (!colour) {
        sumF = static_cast<double>(bytesF);
        sumR = static_cast<double>(bytesR);
    }
    o.meanF = static_cast<float>(sumF / std::max(o.count, 1.0));
    o.meanR = static_cast<float>(sumR / std::max(o.count, 1.0));
    return o;
}

// The mean squared difference of the compared cells, each with its mean taken off: a box reaching
// outside the frame is judged by its overlap, not flattered by the cells it could not compare.
// FFTRe keeps the frame's levels less their mean; FFTIm is cleared.
double meanDifference(const Overlap& o, FftEngine& fft) {
    const int n = fft.FFTSize, h = n / 2;
    double d = 0.0;
    for (int x = o.x0; x < o.x1; ++x) {
        float* cellF = fft.FFTRe.data() + static_cast<std::size_t>(x + h) * n + h;
        float* cellR = fft.FFTIm.data() + static_cast<std::size_t>(x + h) * n + h;
        for (int y = o.y0; y < o.y1; ++y) {
            const float fp = cellF[y] - o.meanF, rp = cellR[y] - o.meanR;
            cellF[y] = fp;
            cellR[y] = 0.0f;
            d += static_cast<double>(fp - rp) * (fp - rp);
        }
    }
    return d / std::max(o.count, 1.0);
}

// The gradient figure of the levels in FFTRe (the mean put back) plus that of the box read from
// the frame and shrunk to n / 2, n / 3 and n / 4, each shrunk level as the pixel level of the
// shrunk picture's bytes.
double gradientQuality(const AlignOptions& options, const FramePixels& frame, const Area& area, int left,
                       int top, float meanF, AlignScratch& scratch) {
    FftEngine& fft = scratch.fft;
    const int n = fft.FFTSize;
    float* re = fft.FFTRe.data();
    for (std::size_t k = 0, cells = static_cast<std::size_t>(n) * n; k < cells; ++k) re[k] += meanF;
    const GradientSettings settings = gradientSettings(options.FOMspin, options.Pix);
    double quality = ComputeFrameFom(fft.FFTRe, 0, 0, n, n, settings);
    // Each byte of the box's pixels as a plane of its own (without colour the level is the green
    // byte alone, so only that one is read and shrunk).
    const int firstByte = options.Colourstack ? 0 : 1, lastByte = options.Colourstack ? 2 : 1;
    const std::size_t nn = static_cast<std::size_t>(n) * n;
    // Only the planes read are kept: plane c - firstByte holds byte c.
    scratch.boxBytes.resize(static_cast<std::size_t>(lastByte - firstByte + 1) * nn);
    const auto boxPlane = [&](int c) { return scratch.boxBytes.data() + (c - firstByte) * nn; };
    for (int c = firstByte; c <= lastByte; ++c) copyBoxByte(frame, area, left, top, n, c, boxPlane(c));
    for (int s = 1; s <= 3; ++s) {
        const int m = n / (s + 1);
        const std::size_t mm = static_cast<std::size_t>(m) * m;
        scratch.smallLevels.resize(3 * mm);
        std::uint8_t* small = scratch.smallLevels.data();
        for (int c = firstByte; c <= lastByte; ++c)
            scratch.downscaler.shrink({boxPlane(c), 1, n}, n, m, {small + c * mm, 1, m});
        for (int u = 0; u < m; ++u) {
            float* line = fft.FFTRe[u];
            for (int v = 0; v < m; ++v) {
                const std::size_t at = static_cast<std::size_t>(v) * m + u;
                const std::uint8_t pixel[3] = {small[at], small[mm + at], small[2 * mm + at]};
                line[v] = pixelLevel(pixel, options.Colourstack, options.LumWeights);
            }
        }
        quality += ComputeFrameFom(fft.FFTRe, 0, 0, m, m, settings);
    }
    return quality;
}

// The figure of the method chosen, from the mean-removed levels in FFTRe (of mean g.meanF) and
// the box aligned by (g.sx, g.sy). The spectral methods leave the radial profile in `g`.
double methodQuality(const AlignInputs& inputs, const FramePixels& frame, const Area& area,
                     AlignScratch& scratch, Grade& g) {
    const AlignOptions& options = *inputs.options;
    FftEngine& fft = scratch.fft;
    const int n = fft.FFTSize;
    // The box's top-left pixel.
    const int left = inputs.FeatureX - n / 2 + g.sx, top = inputs.FeatureY - n / 2 + g.sy;
    const float meanF = g.meanF;
    switch (options.quality.kind) {
        case QualityKind::Gradient:
            return gradientQuality(options, frame, area, left, top, meanF, scratch);
        case QualityKind::Plugin:
            copyBox(frame.colour(), area, left, top, n, scratch.box);
            return inputs.plugin->estimate(scratch.box);
        case QualityKind::Compress:
            copyBox(frame.colour(), area, left, top, n, scratch.box);
            return static_cast<double>(compressedSize(scratch.box, n, options.Compresfactor));
        case QualityKind::LocalContrast:
            return localContrastQuality(fft.FFTRe, n);
        case QualityKind::Deviation: {
            const float* re = fft.FFTRe.data();
            const std::size_t cells = static_cast<std::size_t>(n) * n;
            double s = 0.0, q = 0.0;
            for (std::size_t k = 0; k < cells; ++k) {
                s += re[k];
                q += static_cast<double>(re[k]) * re[k];
            }
            return deviationQuality(static_cast<double>(cells), s, q);
        }
        case QualityKind::Spectral:
            FFT2DForward(fft);
            RadialSpectrum(fft, options.quality.HVSWeighting, inputs.registration->HVSCentre);
            keepProfile(fft, g.profile, g.profileMax);
            return 0.0;
    }
    return 0.0;
}

}  // namespace

Grade gradeAlignedBox(const AlignInputs& inputs, const FramePixels& frame, int sx, int sy,
                      AlignScratch& scratch) {
    const int n = inputs.engine->FFTSize, h = n / 2;
    sizeEngine(scratch.fft, *inputs.engine);
    const int fX = inputs.FeatureX, fY = inputs.FeatureY;
    Grade g;
    g.sx = sx;
    g.sy = sy;
    g.alignedOffscreen = fX - h + sx < 0 || fX + h + sx >= inputs.FrameWidth || fY - h + sy < 0 ||
                         fY + h + sy >= inputs.FrameHeight;
    const Area area = readable(inputs, frame);
    const Overlap overlap = readComparedLevels(inputs, frame, area, sx, sy, scratch.fft);
    g.difference = meanDifference(overlap, scratch.fft);
    g.meanF = overlap.meanF;
    g.imageQuality = static_cast<float>(methodQuality(inputs, frame, area, scratch, g));
    return g;
}

FrameAlignment::FrameAlignment(AlignContext& context, const AlignOptions& options, const Bitmap24& preview)
    : context_(context), options_(options), preview_(preview) {
    if (options_.quality.kind == QualityKind::Plugin) plugin_ = std::make_unique<QualityPlugin>();
    const FrameModel& model = context_.model;
    inputs_.options = &options_;
    inputs_.engine = &context_.fft;
    inputs_.registration = &context_.registration;
    inputs_.FeatureX = context_.program.FeatureX;
    inputs_.FeatureY = context_.program.FeatureY;
    inputs_.FrameWidth = model.FrameWidth;
    inputs_.FrameHeight = model.FrameHeight;
    inputs_.plugin = plugin_.get();
    inputs_.framesPerSpectrum = std::max(1, context_.view.framesPerSpectrum());
    // The dark frame is subtracted as from the reference, and only where it covers the whole frame.
    const T2dArrays& dark = alignmentDarkPlane(context_.section);
    if (options_.levels.darkSubtract && dark.xCount() >= model.FrameWidth &&
        dark.yCount() >= model.FrameHeight)
        inputs_.dark = &dark;
}

void FrameAlignment::keepReferenceLevels() {
    // Every grade without colour compares the frame with the same levels of the reference.
    if (options_.Colourstack || inputs_.engine->FFTSize <= 0 || context_.registration.Image1.empty()) return;
    referenceLevels_ = readReferenceLevels(inputs_);
    inputs_.referenceLevels = &referenceLevels_;
}

bool FrameAlignment::AlignFrame() {
    return alignPicture(preview_);
}

bool FrameAlignment::alignPicture(const Bitmap24& frame) {
    if (context_.alignment.HaltRequested) return true;
    const auto offset = boxOffset();
    const Correlation correlation = correlateBox(inputs_, frame, offset[0], offset[1], scratch_,
                                                 inputs_.chartsSpectrumOf(context_.alignment.CurrentFrame));
    showSurface(correlation);
    const Verdict verdict = decide(correlation, frame);
    if (verdict.skipped) return true;
    const Grade grade = gradeAlignedBox(inputs_, frame, verdict.sx, verdict.sy, scratch_);
    finish(verdict, correlation, grade, frame);
    return verdict.result;
}

std::array<int, 2> FrameAlignment::boxOffset() const {
    if (!options_.Trackobject) return {0, 0};
    const ProgramState& program = context_.program;
    const RegistrationState& registration = context_.registration;
    const int stepX = options_.predicttrack ? registration.TrackStepX : 0;
    const int stepY = options_.predicttrack ? registration.TrackStepY : 0;
    return {program.TrackOffsetX + stepX, program.TrackOffsetY + stepY};
}

void FrameAlignment::showSurface(const Correlation& correlation) {
    if (!correlation.surface.empty()) context_.view.showCorrelationSurface(correlation.surface);
}

bool FrameAlignment::waitForClick(const Bitmap24& frame) {
    RegistrationState& clicks = context_.clicks ? *context_.clicks : context_.registration;
    ProgressPort& progress = context_.progress;
    context_.view.showClickFrame(frame);
    clicks.WaitForClick = true;
    while (clicks.WaitForClick && !progress.cancelRequested()) progress.processMessages();
    const bool clicked = !clicks.WaitForClick;
    clicks.WaitForClick = false;
    context_.registration.ClickX = clicks.ClickX;
    context_.registration.ClickY = clicks.ClickY;
    return clicked;
}

void FrameAlignment::deselect(int frame) {
    TFrameRec& record = context_.model.FrameTable[frame];
    record.Excluded = true;
    record.Dropped = false;
    context_.view.frameDeselected(frame);
}

Verdict FrameAlignment::decide(const Correlation& correlation, const Bitmap24& picture) {
    Verdict verdict;
    verdict.boxOffscreen = correlation.boxOffscreen;
    // The peak is measured relative to the box as it was read; a click after a lost lock is
    // taken in frame pixels.
    PeakPosition peak{correlation.tx, correlation.ty, correlation.pi, correlation.pj};
    if (context_.alignment.ManualAlign && !context_.program.BatchMode)
        takeManualClick(peak, verdict, picture);
    context_.model.FrameTable[context_.alignment.CurrentFrame].Slots[0].Peak = correlation.peak;
    bool newSegment = false;
    if (!testLock(correlation.peak, peak, verdict, newSegment, picture)) {
        verdict.skipped = true;
        return verdict;
    }
    placeShift(peak, verdict);
    if (options_.Trackobject) track(verdict, newSegment);
    return verdict;
}

// Manual alignment: the user points at the feature on every frame (an unattended run never
// waits for a click).
void FrameAlignment::takeManualClick(PeakPosition& peak, Verdict& verdict, const Bitmap24& picture) {
    RegistrationState& registration = context_.registration;
    AlignmentState& alignment = context_.alignment;
    AlignmentView& view = context_.view;
    view.hideSpectrumWindow();
    alignment.ForceRealign = false;
    view.setCursor(AlignCursor::Cross);
    const bool clicked = waitForClick(picture);
    view.setCursor(AlignCursor::Hourglass);
    if (clicked) {
        peak.pi = registration.ClickX - registration.BoxLeft - peak.tx;
        peak.pj = registration.ClickY - registration.BoxTop - peak.ty;
        verdict.clicked = true;
    } else {
        // A cancel ends the manual alignment; this frame keeps its measured peak.
        alignment.ManualAlign = false;
    }
    if (alignment.HaltRequested) {
        registration.LastPeak *= 2.0;
        alignment.ForceRealign = true;
    }
}

// The lock test; the first frame after a fresh pick never fails it. False when the frame is
// skipped (a cancel ended the click wait after a lost lock).
bool FrameAlignment::testLock(float measuredPeak, PeakPosition& peak, Verdict& verdict, bool& newSegment,
                              const Bitmap24& picture) {
    RegistrationState& registration = context_.registration;
    AlignmentState& alignment = context_.alignment;
    const double p = registration.UserBoxPlaced ? registration.LastPeak : measuredPeak;
    if ((alignment.MisalignRatio * registration.LastPeak > p && options_.Misalignwarning) ||
        alignment.ForceRealign) {
        registration.LastPeak = p;
        context_.view.hideAlignmentWindows();
        // Unattended, the first frame of the next AVI file keeps the tracking as it stands.
        if (!(alignment.NextSegmentPending && context_.program.BatchMode) &&
            !askAfterLostLock(peak, verdict, newSegment, picture))
            return false;
        context_.view.restoreAlignmentWindows();
        alignment.NextSegmentPending = false;
    }
    registration.LastPeak = p;
    return true;
}

// The question after a lost lock (or at the start of the next AVI file) and what its answer
// does: a click points the feature out anew, Ignore deselects the frame, All deselects this and
// every later frame that loses the lock. False when a cancel ended the click wait.
bool FrameAlignment::askAfterLostLock(PeakPosition& peak, Verdict& verdict, bool& newSegment,
                                      const Bitmap24& picture) {
    RegistrationState& registration = context_.registration;
    AlignmentState& alignment = context_.alignment;
    ProgramState& program = context_.program;
    AlignmentView& view = context_.view;
    const int frame = alignment.CurrentFrame;
    const bool attended = !program.BatchMode;
    Message question;
    question.caption = "Alignment ";
    question.text = LostLockText;
    question.dlgType = mtWarning;
    question.buttons = mbOK | mbIgnore | mbAll;
    question.batchAnswer = mrIgnore;
    if (alignment.NextSegmentPending) {
        question.text = NextSegmentText;
        newSegment = true;
        program.TrackOffsetX = program.TrackOffsetY = 0;
        registration.TrackStepX = registration.TrackStepY = 0;
    }
    if (alignment.HaltRequested) {
        question.text = HaltText;
        alignment.HaltRequested = false;
    }
    // With "Ignore misaligned frames" the frame is deselected without a question, except at
    // the start of the next AVI file.
    const std::uint16_t answer = !options_.Ignoredefault || newSegment ? context_.messages.show(question)
                                                                       : static_cast<std::uint16_t>(mrIgnore);
    if (answer == mrOk && attended) {
        alignment.ForceRealign = false;
        view.setCursor(AlignCursor::Cross);
        if (!waitForClick(picture)) {
            view.setCursor(AlignCursor::Default);
            context_.progress.setCancelRequested(false);
            return false;
        }
        if (context_.model.avicount > 0) view.showSegmentPosition(frame - alignment.AviSegmentFirst);
        peak.pi = registration.ClickX - registration.BoxLeft;
        peak.pj = registration.ClickY - registration.BoxTop;
        program.TrackOffsetX = program.TrackOffsetY = 0;
        peak.tx = peak.ty = 0;
        if (newSegment) peak.pi = peak.pj = 0;
        verdict.clicked = true;
        verdict.result = false;
    } else if (answer == mrIgnore || answer == mrOk) {
        deselect(frame);
    } else if (answer == mrAll) {
        deselect(frame);
        options_.Ignoredefault = true;
        view.ignoreMisalignedChecked();
    }
    return true;
}

// The feature's position in this frame, and the shift: the box's own offset plus the feature's
// offset within the box. (A clicked peak lies at the click.)
void FrameAlignment::placeShift(const PeakPosition& peak, Verdict& verdict) {
    const AlignmentState& alignment = context_.alignment;
    const ProgramState& program = context_.program;
    const int n = context_.fft.FFTSize, h = n / 2;
    const int pi = verdict.clicked ? h - peak.pi : -shiftOfPeak(peak.pi, n);
    const int pj = verdict.clicked ? h - peak.pj : -shiftOfPeak(peak.pj, n);
    const int fx = program.FeatureX - pi, fy = program.FeatureY - pj;
    verdict.sx = fx - program.FeatureX + peak.tx;
    verdict.sy = fy - program.FeatureY + peak.ty;
    TFrameRec& record = context_.model.FrameTable[alignment.CurrentFrame];
    if (options_.interlaced && alignment.InterlaceField == 0) {
        record.Slots[2].X = verdict.sx;
        record.Slots[2].Y = verdict.sy;
        record.Slots[2].ShiftScale = 1.0f;
    } else {
        TAlignSlotRec& slot = record.Slots[0];
        slot.X = slot.SavedX = verdict.sx;
        slot.Y = slot.SavedY = verdict.sy;
        slot.ShiftScale = 1.0f;
    }
}

// Where the box of the next frame is read: where this frame's feature was found, led by half
// its last step.
void FrameAlignment::track(const Verdict& verdict, bool newSegment) {
    RegistrationState& registration = context_.registration;
    ProgramState& program = context_.program;
    const int frame = context_.alignment.CurrentFrame;
    if (frame > 0 && !newSegment) {
        const TAlignSlotRec& current = context_.model.FrameTable[frame].Slots[0];
        const TAlignSlotRec& previous = context_.model.FrameTable[frame - 1].Slots[0];
        registration.TrackStepX = (current.X - previous.X) / 2;
        registration.TrackStepY = (current.Y - previous.Y) / 2;
    } else {
        program.TrackOffsetX = program.TrackOffsetY = 0;
        registration.TrackStepX = registration.TrackStepY = 0;
    }
    if (newSegment) {
        program.TrackOffsetX = registration.ClickX - program.FeatureX;
        program.TrackOffsetY = registration.ClickY - program.FeatureY;
    } else if (!verdict.boxOffscreen) {
        program.TrackOffsetX = verdict.sx;
        program.TrackOffsetY = verdict.sy;
    } else {
        registration.TrackStepX = registration.TrackStepY = 0;
    }
}

void FrameAlignment::finish(const Verdict& verdict, const Correlation& correlation, const Grade& grade,
                            const Bitmap24& frame) {
    AlignmentState& alignment = context_.alignment;
    FrameModel& model = context_.model;
    FftEngine& fft = context_.fft;
    const int current = alignment.CurrentFrame;
    const int n = fft.FFTSize, h = n / 2;
    TFrameRec& record = model.FrameTable[current];
    const bool firstField = options_.interlaced && alignment.InterlaceField == 0;

    (firstField ? record.Slots[2] : record.Slots[0]).Difference = static_cast<float>(grade.difference);
    if (options_.FreeBox && alignment.OptimizePass == 0) record.Slots[0].Difference = 1e8f;
    record.AlignDifference = record.Slots[0].Difference;
    record.MeanBrightness = grade.meanF;
    record.Slots[0].Brightness = grade.meanF;

    const bool spectral = options_.quality.kind == QualityKind::Spectral;
    if (!spectral) record.Slots[0].Quality = grade.imageQuality;
    if (options_.interlaced) record.Slots[2].Quality = record.Slots[0].Quality;

    // The figure and the chart read the radial profile of this frame.
    fft.RadialProfile = spectral ? grade.profile : correlation.profile;
    fft.RadialProfileMax = spectral ? grade.profileMax : correlation.profileMax;
    FrameQualityInput input;
    input.QualityFilter = options_.QualityFilter;
    input.QualFilterDX = options_.QualFilterDX;
    input.QualityHumanVision = options_.quality.humanVision();
    input.QualityFromImage = options_.quality.fromImage();
    input.progstatus = context_.program.progstatus;
    input.CurrentFrame = current;
    input.interlaced = options_.interlaced;
    input.InterlaceField = alignment.InterlaceField;

    AlignedFrameView view;
    view.frame = current;
    view.field = alignment.InterlaceField;
    view.picture = &frame;
    view.clicked = verdict.clicked;
    view.featureX = context_.program.FeatureX + verdict.sx;
    view.featureY = context_.program.FeatureY + verdict.sy;
    view.spectral = spectral;
    view.boxLeft = view.featureX - h;
    view.boxTop = view.featureY - h;
    view.boxSize = n;
    view.freeBox = options_.FreeBox;
    view.shiftX = verdict.sx;
    view.shiftY = verdict.sy;
    view.readout = EstimateFrameQuality(fft, context_.GammaTable, input, model);
    if (!spectral && !correlation.charted) view.readout.spectrum.clear();
    context_.view.frameAligned(view);

    if (verdict.boxOffscreen || grade.alignedOffscreen) {
        if (!alignment.OffscreenWarned && options_.Misalignwarning && !options_.Ignoredefault) {
            Message warning;
            warning.caption = "Warning";
            warning.text = OffscreenText;
            warning.dlgType = mtWarning;
            warning.buttons = mbOK;
            context_.messages.show(warning);
        }
        alignment.OffscreenWarned = true;
        record.Slots[0].Quality *= 0.01f;
        context_.view.boxOffscreen();
    }
    if (measured != nullptr) (*measured)[static_cast<std::size_t>(current)] = true;
}

}  // namespace kestrave
