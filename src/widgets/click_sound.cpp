#include "widgets/click_sound.h"

#include <cmath>
#include <numbers>
#include <vector>

#include "platform/wave_sound.h"

namespace kestrave {
namespace {

constexpr int kRate = 44100;
// 6 ms: a tick, not a tone.
constexpr int kLength = kRate * 6 / 1000;

// A short knock: a 2.6 kHz sine and a quieter 5.3 kHz overtone that set in within a quarter of a
// millisecond and die away with a time constant of 0.9 ms, at about a third of full scale, so
// that 97 option boxes clicked in a row never sound harsh.
std::vector<std::uint8_t> makeClick() {
    std::vector<std::int16_t> samples(kLength);
    for (int i = 0; i < kLength; ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double attack = std::min(1.0, t / 0.00025);
        const double decay = std::exp(-t / 0.0009);
        const double wave =
            std::sin(2 * std::numbers::pi * 2600 * t) + 0.35 * std::sin(2 * std::numbers::pi * 5300 * t);
        samples[i] = static_cast<std::int16_t>(std::lround(0.33 * 32767 * attack * decay * wave / 1.35));
    }
    return makeWave(samples, kRate);
}

}  // namespace

std::span<const std::uint8_t> clickSoundWave() {
    static const std::vector<std::uint8_t> wave = makeClick();
    return wave;
}

}  // namespace kestrave
