#pragma once
// RIFF WAVE sounds held in memory: what a sound output needs to know of one (its sample layout
// and where its samples lie), and the writing of a plain 16-bit PCM sound.

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace kestrave {

struct WaveSound {
    int channels = 0;
    int sampleRate = 0;
    // 8 (unsigned), 16, 24 or 32 (signed integers), or 32 with floatSamples.
    int bitsPerSample = 0;
    bool floatSamples = false;
    // The sample frames, inside the bytes the sound was read from; a truncated file ends at the
    // last whole frame it holds.
    std::span<const std::uint8_t> samples;
};

// The layout and samples of a RIFF WAVE file of integer PCM or float samples (also in the
// extensible layout); nullopt for anything else, a compressed sound among them.
std::optional<WaveSound> readWave(std::span<const std::uint8_t> file);

// A complete RIFF WAVE file of 16-bit PCM samples, one channel.
std::vector<std::uint8_t> makeWave(std::span<const std::int16_t> samples, int sampleRate);

}  // namespace kestrave
