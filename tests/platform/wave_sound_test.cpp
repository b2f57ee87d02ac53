// Sounds in memory: the plain PCM file we write, and the sample layouts a sound output is told.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/wave_sound.h"

using namespace kestrave;

namespace {

using Bytes = std::vector<std::uint8_t>;

void put16(Bytes& b, unsigned v) {
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}
void put32(Bytes& b, std::uint32_t v) {
    put16(b, v & 0xFFFF);
    put16(b, v >> 16);
}

Bytes chunk(const std::string& id, const Bytes& body, std::uint32_t declared = 0xFFFFFFFF) {
    Bytes b(id.begin(), id.end());
    put32(b, declared == 0xFFFFFFFF ? static_cast<std::uint32_t>(body.size()) : declared);
    b.insert(b.end(), body.begin(), body.end());
    if (body.size() % 2) b.push_back(0);
    return b;
}

Bytes format(unsigned tag, unsigned channels, std::uint32_t rate, unsigned bits, unsigned subTag = 0) {
    Bytes f;
    put16(f, tag);
    put16(f, channels);
    put32(f, rate);
    put32(f, rate * channels * bits / 8);
    put16(f, channels * bits / 8);
    put16(f, bits);
    if (tag == 0xFFFE) {
        put16(f, 22);
        put16(f, bits);
        put32(f, 3);
        put16(f, subTag);
        for (int i = 0; i < 14; ++i) f.push_back(0);
    }
    return f;
}

Bytes riff(std::initializer_list<Bytes> chunks) {
    Bytes body{'W', 'A', 'V', 'E'};
    for (const Bytes& c : chunks) body.insert(body.end(), c.begin(), c.end());
    return chunk("RIFF", body);
}

}  // namespace

TEST(WaveSound, TheWrittenFileIsTheCanonicalPcmLayout) {
    const std::int16_t samples[] = {1, -2, 0x1234};
    const Bytes file = makeWave(samples, 22050);
    Bytes expected = {'R', 'I', 'F', 'F'};
    put32(expected, 36 + 6);
    for (char c : std::string("WAVEfmt ")) expected.push_back(static_cast<std::uint8_t>(c));
    put32(expected, 16);
    put16(expected, 1);      // PCM
    put16(expected, 1);      // mono
    put32(expected, 22050);  // samples per second
    put32(expected, 44100);  // bytes per second
    put16(expected, 2);      // bytes per frame
    put16(expected, 16);     // bits
    for (char c : std::string("data")) expected.push_back(static_cast<std::uint8_t>(c));
    put32(expected, 6);
    for (std::uint8_t b : {0x01, 0x00, 0xFE, 0xFF, 0x34, 0x12}) expected.push_back(b);
    EXPECT_EQ(file, expected);

    const auto sound = readWave(file);
    ASSERT_TRUE(sound);
    EXPECT_EQ(sound->channels, 1);
    EXPECT_EQ(sound->sampleRate, 22050);
    EXPECT_EQ(sound->bitsPerSample, 16);
    EXPECT_FALSE(sound->floatSamples);
    EXPECT_EQ(sound->samples.data(), file.data() + 44);
    EXPECT_EQ(sound->samples.size(), 6u);
}

TEST(WaveSound, LayoutsAreReadAndOtherKindsRefused) {
    const Bytes four{1, 2, 3, 4, 5, 6, 7, 8};
    struct Case {
        const char* what;
        Bytes file;
        bool readable;
        int channels, bits;
        bool floats;
        std::size_t samples;
    } cases[] = {
        {"8-bit stereo", riff({chunk("fmt ", format(1, 2, 11025, 8)), chunk("data", four)}), true, 2, 8,
         false, 8},
        {"float", riff({chunk("fmt ", format(3, 1, 48000, 32)), chunk("data", four)}), true, 1, 32, true, 8},
        {"extensible PCM", riff({chunk("fmt ", format(0xFFFE, 2, 44100, 24, 1)), chunk("data", four)}), true,
         2, 24, false, 6},
        {"extensible float", riff({chunk("fmt ", format(0xFFFE, 1, 44100, 32, 3)), chunk("data", four)}),
         true, 1, 32, true, 8},
        // An odd-sized chunk before the samples is padded to an even length.
        {"a list first",
         riff({chunk("LIST", {'I', 'N', 'F'}), chunk("fmt ", format(1, 1, 8000, 16)), chunk("data", four)}),
         true, 1, 16, false, 8},
        {"samples before the format", riff({chunk("data", four), chunk("fmt ", format(1, 1, 8000, 16))}),
         true, 1, 16, false, 8},
        // A truncated file plays the whole frames it holds.
        {"data cut short",
         riff({chunk("fmt ", format(1, 2, 8000, 16)), chunk("data", {1, 2, 3, 4, 5, 6}, 4000)}), true, 2, 16,
         false, 4},
        {"compressed", riff({chunk("fmt ", format(2, 1, 8000, 4)), chunk("data", four)}), false},
        {"12-bit", riff({chunk("fmt ", format(1, 1, 8000, 12)), chunk("data", four)}), false},
        {"no channels", riff({chunk("fmt ", format(1, 0, 8000, 16)), chunk("data", four)}), false},
        {"format too short", riff({chunk("fmt ", {1, 0, 1, 0}), chunk("data", four)}), false},
        {"no samples chunk", riff({chunk("fmt ", format(1, 1, 8000, 16))}), false},
        {"not a sound", chunk("RIFF", {'A', 'V', 'I', ' '}), false},
        {"empty", {}, false},
    };
    for (const Case& c : cases) {
        const auto sound = readWave(c.file);
        ASSERT_EQ(sound.has_value(), c.readable) << c.what;
        if (!sound) continue;
        EXPECT_EQ(sound->channels, c.channels) << c.what;
        EXPECT_EQ(sound->bitsPerSample, c.bits) << c.what;
        EXPECT_EQ(sound->floatSamples, c.floats) << c.what;
        EXPECT_EQ(sound->samples.size(), c.samples) << c.what;
        EXPECT_EQ(sound->samples.front(), 1) << c.what;
    }
}
