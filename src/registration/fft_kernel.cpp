#include "registration/fft_kernel.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstring>
#include <numbers>
#include <utility>

#include "platform/parallel.h"

// The batch kernels are compiled for several instruction sets and the best one the processor
// offers is picked at load time. One processor always runs the same variant, so the results
// never depend on the number of threads; variants may differ in the last bit (fused
// multiply-add).
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__) && !defined(KESTRAVE_SINGLE_VARIANT)
#define KESTRAVE_SIMD_CLONES __attribute__((target_clones("avx512f", "avx2", "default")))
#else
#define KESTRAVE_SIMD_CLONES
#endif

namespace kestrave {

namespace {

// Lines transformed side by side in the 2-D passes: 16 floats are one cache line and one or two
// vector registers.
constexpr int kLanes = 16;

// Planes at least this large spread their lines over the worker threads; smaller ones finish
// before the threads would have started.
constexpr int kParallelSize = 512;

// One radix-4 butterfly across all lanes. a, b, c, d are the four quarters of a group: the
// sub-transforms of the inputs congruent to 0, 2, 1 and 3 modulo 4. With W = e^(s 2 pi i / 4h):
//   X[k]      = (a + W^2k b) + (W^k c + W^3k d)
//   X[k + h]  = (a - W^2k b) + s i (W^k c - W^3k d)
//   X[k + 2h] = (a + W^2k b) - (W^k c + W^3k d)
//   X[k + 3h] = (a - W^2k b) - s i (W^k c - W^3k d)
// Unit: k = 0, every twiddle is 1 and the multiplications are left out (they would not change a
// bit of the result).
template <int Lanes, int Sign, bool Unit>
[[gnu::always_inline]] inline void radix4(float* __restrict ar, float* __restrict ai, float* __restrict br,
                                          float* __restrict bi, float* __restrict cr, float* __restrict ci,
                                          float* __restrict dr, float* __restrict di, const float* w) {
    constexpr float s = static_cast<float>(Sign);
    float w1r = 1, w1i = 0, w2r = 1, w2i = 0, w3r = 1, w3i = 0;
    if constexpr (!Unit) {
        w1r = w[0], w1i = s * w[1], w2r = w[2], w2i = s * w[3], w3r = w[4], w3i = s * w[5];
    }
    for (int l = 0; l < Lanes; ++l) {
        float bRe = br[l], bIm = bi[l], cRe = cr[l], cIm = ci[l], dRe = dr[l], dIm = di[l];
        if constexpr (!Unit) {
            const float b0 = bRe * w2r - bIm * w2i, b1 = bRe * w2i + bIm * w2r;
            const float c0 = cRe * w1r - cIm * w1i, c1 = cRe * w1i + cIm * w1r;
            const float d0 = dRe * w3r - dIm * w3i, d1 = dRe * w3i + dIm * w3r;
            bRe = b0, bIm = b1, cRe = c0, cIm = c1, dRe = d0, dIm = d1;
        }
        const float t0r = ar[l] + bRe, t0i = ai[l] + bIm;
        const float t1r = ar[l] - bRe, t1i = ai[l] - bIm;
        const float t2r = cRe + dRe, t2i = cIm + dIm;
        const float t3r = cRe - dRe, t3i = cIm - dIm;
        ar[l] = t0r + t2r, ai[l] = t0i + t2i;
        cr[l] = t0r - t2r, ci[l] = t0i - t2i;
        br[l] = t1r - s * t3i, bi[l] = t1i + s * t3r;
        dr[l] = t1r + s * t3i, di[l] = t1i - s * t3r;
    }
}

// The radix-2 pass with span 2 (twiddles all 1) over rows [0, rows).
template <int Lanes>
[[gnu::always_inline]] inline void radix2Pass(int rows, float* re, float* im) {
    for (int m = 0; m < rows; m += 2) {
        float* ar = re + m * Lanes;
        float* ai = im + m * Lanes;
        for (int l = 0; l < Lanes; ++l) {
            const float tr = ar[Lanes + l], ti = ai[Lanes + l];
            ar[Lanes + l] = ar[l] - tr, ai[Lanes + l] = ai[l] - ti;
            ar[l] += tr, ai[l] += ti;
        }
    }
}

// The radix-4 pass with quarter length h over rows [0, rows); tw holds its twiddles.
template <int Lanes, int Sign>
[[gnu::always_inline]] inline void radix4Pass(int rows, int h, const float* tw, float* re, float* im) {
    const std::ptrdiff_t q = static_cast<std::ptrdiff_t>(h) * Lanes;
    for (int m = 0; m < rows; m += 4 * h) {
        float* r = re + static_cast<std::ptrdiff_t>(m) * Lanes;
        float* i = im + static_cast<std::ptrdiff_t>(m) * Lanes;
        radix4<Lanes, Sign, true>(r, i, r + q, i + q, r + 2 * q, i + 2 * q, r + 3 * q, i + 3 * q, nullptr);
        for (int k = 1; k < h; ++k) {
            r += Lanes, i += Lanes;
            radix4<Lanes, Sign, false>(r, i, r + q, i + q, r + 2 * q, i + 2 * q, r + 3 * q, i + 3 * q,
                                       tw + 6 * k);
        }
    }
}

// Rows of a block small enough to stay in the first-level cache through several passes.
constexpr int kLocalRows = 128;

// All passes of one transform over `Lanes` lines stored side by side in bit-reversed order.
// The passes whose groups fit in kLocalRows rows run block by block, the rest over the whole
// data; the groups are independent, so the order changes no result.
template <int Lanes, int Sign>
[[gnu::always_inline]] inline void butterflyPasses(int n, bool leadingRadix2, const float* tw, float* re,
                                                   float* im) {
    const int local = std::min(n, kLocalRows);
    int firstGlobalH = leadingRadix2 ? 2 : 1;
    std::ptrdiff_t localTwiddles = 0;
    while (4 * firstGlobalH <= local) localTwiddles += 6 * firstGlobalH, firstGlobalH *= 4;
    for (int b = 0; b < n; b += local) {
        float* r = re + static_cast<std::ptrdiff_t>(b) * Lanes;
        float* i = im + static_cast<std::ptrdiff_t>(b) * Lanes;
        if (leadingRadix2) radix2Pass<Lanes>(local, r, i);
        const float* t = tw;
        for (int h = leadingRadix2 ? 2 : 1; h < firstGlobalH; h *= 4) {
            radix4Pass<Lanes, Sign>(local, h, t, r, i);
            t += 6 * h;
        }
    }
    tw += localTwiddles;
    for (int h = firstGlobalH; h < n; h *= 4) {
        radix4Pass<Lanes, Sign>(n, h, tw, re, im);
        tw += 6 * h;
    }
}

template <int Lanes>
[[gnu::always_inline]] inline void transformLanes(int n, bool leadingRadix2, const float* tw, float* re,
                                                  float* im, FftDirection direction) {
    if (direction == FftDirection::Forward)
        butterflyPasses<Lanes, 1>(n, leadingRadix2, tw, re, im);
    else
        butterflyPasses<Lanes, -1>(n, leadingRadix2, tw, re, im);
}

struct PassArguments {
    int n;
    bool leadingRadix2;
    const float* twiddles;
    const std::uint16_t* bitRev;
    float* re;
    float* im;
    FftDirection direction;
    float scale;
    // Null, or a flag per line of the pass: blocks without a flagged line are left out.
    const std::uint8_t* lines = nullptr;
    // First-index passes: what is not read or written back.
    FftFirstIndexSkips skip = {};
};

bool blockWanted(const PassArguments& args, int block) {
    if (args.lines == nullptr) return true;
    const std::uint8_t* flags = args.lines + static_cast<std::ptrdiff_t>(block) * kLanes;
    return std::any_of(flags, flags + kLanes, [](std::uint8_t flag) { return flag != 0; });
}

// Moves one row of kLanes cells, multiplied by scale (1 leaves every bit as it is).
[[gnu::always_inline]] inline void moveLanes(const float* __restrict from, float* __restrict to,
                                             float scale) {
    for (int l = 0; l < kLanes; ++l) to[l] = from[l] * scale;
}

// One row of kLanes floats as a vector; loads and stores go through memcpy, so no alignment is
// assumed. These vectors never cross a call boundary that is not inlined (all helpers are local
// to this file), so the note that their passing convention differs between instruction sets
// does not concern us.
#pragma GCC diagnostic ignored "-Wpsabi"
using LaneVector = float __attribute__((vector_size(kLanes * sizeof(float))));
using LaneIndex = std::int32_t __attribute__((vector_size(kLanes * sizeof(float))));

[[gnu::always_inline]] inline void loadLanes(LaneVector& v, const float* from) {
    std::memcpy(&v, from, sizeof v);
}

[[gnu::always_inline]] inline void storeLanes(float* to, const LaneVector& v) {
    std::memcpy(to, &v, sizeof v);
}

// Shuffle masks that exchange bit `Bit` of the row index with bit `Bit` of the column index
// between rows r (bit clear) and r + Bit: the low row takes its columns with the bit clear from
// itself and the others from the high row, and the other way round.
template <int Bit, bool High, std::size_t... C>
constexpr LaneIndex swapMask(std::index_sequence<C...>) {
    return LaneIndex{static_cast<std::int32_t>((C & Bit) == 0 ? (High ? C + Bit : C)
                                                              : (High ? kLanes + C : kLanes + C - Bit))...};
}

template <int Bit>
[[gnu::always_inline]] inline void swapIndexBit(LaneVector (&v)[kLanes]) {
    constexpr LaneIndex low = swapMask<Bit, false>(std::make_index_sequence<kLanes>());
    constexpr LaneIndex high = swapMask<Bit, true>(std::make_index_sequence<kLanes>());
    for (int r = 0; r < kLanes; ++r) {
        if (r & Bit) continue;
        const LaneVector a = v[r], b = v[r + Bit];
        v[r] = __builtin_shuffle(a, b, low);
        v[r + Bit] = __builtin_shuffle(a, b, high);
    }
}

// Transposes a kLanes x kLanes tile held in registers, one bit of the index at a time.
[[gnu::always_inline]] inline void transposeTile(LaneVector (&v)[kLanes]) {
    static_assert(kLanes == 16);
    swapIndexBit<1>(v);
    swapIndexBit<2>(v);
    swapIndexBit<4>(v);
    swapIndexBit<8>(v);
}

// Lines [0..N-1][j] for j = first .. first + kLanes - 1: row i of the planes holds kLanes
// consecutive cells of them, copied whole to row bitRev[i] of the scratch block.
KESTRAVE_SIMD_CLONES void firstIndexBlock(const PassArguments& a, int first, float* sre, float* sim) {
    const std::ptrdiff_t n = a.n;
    const FftFirstIndexSkips& skip = a.skip;
    if (skip.realInput) std::fill(sim, sim + n * kLanes, 0.0f);
    for (std::ptrdiff_t i = 0; i < n; ++i) {
        const std::ptrdiff_t to = static_cast<std::ptrdiff_t>(a.bitRev[i]) * kLanes;
        if (skip.readRows != nullptr && skip.readRows[i] == 0) {
            std::fill(sre + to, sre + to + kLanes, 0.0f);
            std::fill(sim + to, sim + to + kLanes, 0.0f);
            continue;
        }
        moveLanes(a.re + i * n + first, sre + to, 1.0f);
        if (!skip.realInput) moveLanes(a.im + i * n + first, sim + to, 1.0f);
    }
    transformLanes<kLanes>(a.n, a.leadingRadix2, a.twiddles, sre, sim, a.direction);
    for (std::ptrdiff_t i = 0; i < n; ++i) {
        if (skip.writeRows != nullptr && skip.writeRows[i] == 0) continue;
        moveLanes(sre + i * kLanes, a.re + i * n + first, a.scale);
        if (!skip.realOnly) moveLanes(sim + i * kLanes, a.im + i * n + first, a.scale);
    }
}

// Lines [i][0..N-1] for i = first .. first + kLanes - 1: contiguous lines, transposed tile by
// tile into the scratch block (and back) so that the butterflies again run across lanes.
KESTRAVE_SIMD_CLONES void secondIndexBlock(const PassArguments& a, int first, float* sre, float* sim) {
    const std::ptrdiff_t n = a.n;
    float* const planes[2] = {a.re + first * n, a.im + first * n};
    float* const scratch[2] = {sre, sim};
    LaneVector tile[kLanes];
    for (int part = 0; part < 2; ++part) {
        for (std::ptrdiff_t j0 = 0; j0 < n; j0 += kLanes) {
            for (int l = 0; l < kLanes; ++l) loadLanes(tile[l], planes[part] + l * n + j0);
            transposeTile(tile);
            for (int j = 0; j < kLanes; ++j) storeLanes(scratch[part] + a.bitRev[j0 + j] * kLanes, tile[j]);
        }
    }
    transformLanes<kLanes>(a.n, a.leadingRadix2, a.twiddles, sre, sim, a.direction);
    const LaneVector scale = LaneVector{} + a.scale;
    for (int part = 0; part < 2; ++part) {
        for (std::ptrdiff_t j0 = 0; j0 < n; j0 += kLanes) {
            for (int j = 0; j < kLanes; ++j) loadLanes(tile[j], scratch[part] + (j0 + j) * kLanes);
            transposeTile(tile);
            for (int l = 0; l < kLanes; ++l) {
                tile[l] *= scale;
                storeLanes(planes[part] + l * n + j0, tile[l]);
            }
        }
    }
}

using BlockFunction = void (*)(const PassArguments&, int, float*, float*);

void runPass(const PassArguments& args, BlockFunction block) {
    assert(args.n % kLanes == 0);
    const int blocks = args.n / kLanes;
    auto body = [&](std::ptrdiff_t first, std::ptrdiff_t last) {
        std::vector<float> scratch(2 * static_cast<std::size_t>(args.n) * kLanes);
        float* sre = scratch.data();
        float* sim = sre + static_cast<std::ptrdiff_t>(args.n) * kLanes;
        for (std::ptrdiff_t b = first; b < last; ++b)
            if (blockWanted(args, static_cast<int>(b))) block(args, static_cast<int>(b) * kLanes, sre, sim);
    };
    if (args.n >= kParallelSize)
        parallelForRange(0, blocks, body);
    else
        body(0, blocks);
}

}  // namespace

std::uint16_t BitReverse(std::uint16_t value, int bitCount) {
    unsigned result = 0;
    unsigned v = value;
    for (int b = 0; b < bitCount; ++b) {
        result = (result << 1) | (v & 1u);
        v >>= 1;
    }
    return static_cast<std::uint16_t>(result);
}

FftPlan::FftPlan(int n) : n_(n) {
    assert(n >= 2 && (n & (n - 1)) == 0 && n <= 65536);
    int bits = 0;
    while ((1 << bits) < n) ++bits;
    leadingRadix2_ = bits % 2 == 1;
    bitRev_.resize(static_cast<std::size_t>(n));
    for (int k = 0; k < n; ++k)
        bitRev_[static_cast<std::size_t>(k)] = BitReverse(static_cast<std::uint16_t>(k), bits);
    for (int h = leadingRadix2_ ? 2 : 1; h < n; h *= 4) {
        for (int k = 0; k < h; ++k) {
            for (int multiple = 1; multiple <= 3; ++multiple) {
                const double angle = 2.0 * std::numbers::pi * multiple * k / (4.0 * h);
                twiddles_.push_back(static_cast<float>(std::cos(angle)));
                twiddles_.push_back(static_cast<float>(std::sin(angle)));
            }
        }
    }
}

void FftPlan::transformLine(float* re, float* im, FftDirection direction) const {
    transformLanes<1>(n_, leadingRadix2_, twiddles_.data(), re, im, direction);
}

void FftPlan::transformAlongFirstIndex(float* re, float* im, FftDirection direction, float scale,
                                       const FftFirstIndexSkips& skip) const {
    PassArguments args{n_, leadingRadix2_, twiddles_.data(), bitRev_.data(), re, im, direction, scale};
    args.skip = skip;
    runPass(args, firstIndexBlock);
}

void FftPlan::transformAlongSecondIndex(float* re, float* im, FftDirection direction, float scale) const {
    runPass({n_, leadingRadix2_, twiddles_.data(), bitRev_.data(), re, im, direction, scale},
            secondIndexBlock);
}

void FftPlan::transformSomeAlongSecondIndex(float* re, float* im, FftDirection direction, float scale,
                                            const std::uint8_t* lines) const {
    runPass({n_, leadingRadix2_, twiddles_.data(), bitRev_.data(), re, im, direction, scale, lines},
            secondIndexBlock);
}

}  // namespace kestrave
