#pragma once
// The transform kernel behind the FFT engine: an iterative decimation-in-time transform of a
// power-of-two length on input stored in bit-reversed order, built from radix-4 passes (plus one
// radix-2 pass first when log2(N) is odd). Twiddle factors are computed once per size in double
// precision and stored as floats, so no rounding accumulates along a stage.
//
// Direction: the forward transform is X[k] = sum x[n] e^(+2 pi i nk / N), unscaled; the inverse
// uses e^(-2 pi i nk / N). The kernel works on "lanes": several lines stored side by side, element
// k of line l at [k * lanes + l], so that one butterfly runs across all lanes at once.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kestrave {

enum class FftDirection { Forward = 1, Inverse = -1 };

// What a pass along the first index leaves out because its caller never uses it (null flags mean
// every line [i][0..N-1]).
struct FftFirstIndexSkips {
    // The imaginary part is all zero on input and is not read.
    bool realInput = false;
    // The lines [i][0..N-1] whose readRows[i] is 0 are 0 on input and are not read (they may
    // hold anything).
    const std::uint8_t* readRows = nullptr;
    // Of the result only the lines whose writeRows[i] is not 0 are written back, and with
    // `realOnly` only their real part (the rest is left holding anything).
    const std::uint8_t* writeRows = nullptr;
    bool realOnly = false;
};

class FftPlan {
public:
    FftPlan() = default;
    // n: a power of two, at least 2.
    explicit FftPlan(int n);

    int size() const { return n_; }
    // bitReversal()[k] is k with its log2(N) bits in reverse order.
    const std::vector<std::uint16_t>& bitReversal() const { return bitRev_; }

    // Transforms one line in place; re/im hold its N elements in bit-reversed order and receive
    // the transform in natural order.
    void transformLine(float* re, float* im, FftDirection direction) const;

    // Transforms, in place, every line of an N x N pair of planes addressed [i][j] = i * N + j.
    // Along the first index the lines are [0..N-1][j] for every j; along the second index
    // [i][0..N-1] for every i. Each result is multiplied by `scale`.
    // The lines are spread over the worker threads; the result does not depend on their number.
    void transformAlongFirstIndex(float* re, float* im, FftDirection direction, float scale,
                                  const FftFirstIndexSkips& skip = {}) const;
    void transformAlongSecondIndex(float* re, float* im, FftDirection direction, float scale) const;
    // The same for the lines [i][0..N-1] whose lines[i] is not 0 (and those transformed beside them
    // in one block); every other line is left as it is.
    void transformSomeAlongSecondIndex(float* re, float* im, FftDirection direction, float scale,
                                       const std::uint8_t* lines) const;

private:
    int n_ = 0;
    bool leadingRadix2_ = false;
    std::vector<std::uint16_t> bitRev_;
    // Per radix-4 pass with quarter length h, for k = 0..h-1: W^k, W^2k, W^3k (re, im pairs) of
    // W = e^(+2 pi i / 4h).
    std::vector<float> twiddles_;
};

// log2(N) bits of value in reverse order.
std::uint16_t BitReverse(std::uint16_t value, int bitCount);

}  // namespace kestrave
