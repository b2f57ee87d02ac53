#pragma once
// Seeded random numbers whose values depend only on the seed. The engine is std::mt19937_64,
// whose output sequence the C++ standard fixes; the uniform and normal draws are our own so
// that no standard-library distribution (whose algorithms differ between libraries) shapes the
// recordings.

#include <cstdint>
#include <random>

namespace kestrave::synth {

// Mixes a 64-bit value into a well-spread one (the SplitMix64 finaliser). Used to derive
// independent seeds, e.g. one per frame, from the recording's seed.
std::uint64_t mixSeed(std::uint64_t value);

class SeededRandom {
public:
    explicit SeededRandom(std::uint64_t seed) : engine_(seed) {}

    // Uniform in [0, 1) with 53 random bits.
    double uniform() { return static_cast<double>(engine_() >> 11) * 0x1.0p-53; }
    // Uniform in [low, high).
    double uniform(double low, double high) { return low + (high - low) * uniform(); }
    // Uniform integer in [low, high] (the tiny modulo bias is irrelevant here).
    int integer(int low, int high);
    // Standard normal (mean 0, deviation 1) by the Box–Muller transform; the second value of
    // each pair is kept for the next call.
    double gaussian();

private:
    std::mt19937_64 engine_;
    double spare_ = 0.0;
    bool hasSpare_ = false;
};

}  // namespace kestrave::synth
