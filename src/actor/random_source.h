#pragma once
// The random numbers of the character: branch choices between frames, the choice among the
// animations of a state and the idle pauses. Tests seed it to replay one sequence.

#include <cstdint>
#include <random>

namespace kestrave {

class RandomSource {
public:
    explicit RandomSource(std::uint32_t seed = std::random_device{}()) : engine_(seed) {}
    // A number in 0 .. n - 1; 0 when n is not above 0.
    int below(int n) {
        if (n <= 0) return 0;
        return std::uniform_int_distribution<int>(0, n - 1)(engine_);
    }

private:
    std::mt19937 engine_;
};

}  // namespace kestrave
