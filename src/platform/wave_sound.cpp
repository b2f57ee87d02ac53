#include "platform/wave_sound.h"

#include <algorithm>

#include "platform/riff_file.h"

namespace kestrave {
namespace {

constexpr std::uint16_t kPcm = 1;
constexpr std::uint16_t kFloat = 3;
constexpr std::uint16_t kExtensible = 0xFFFE;
// A sound file has a handful of chunks; the walk gives up after this many.
constexpr int kMaxChunks = 64;

bool sameCode(const std::uint8_t* p, const char (&code)[5]) {
    return readLE32(p) == makeFourCC(code);
}

void putLE16(std::vector<std::uint8_t>& out, std::uint16_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void putLE32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    putLE16(out, static_cast<std::uint16_t>(v));
    putLE16(out, static_cast<std::uint16_t>(v >> 16));
}

void putCode(std::vector<std::uint8_t>& out, const char (&code)[5]) {
    out.insert(out.end(), code, code + 4);
}

// The "fmt " chunk's sample layout; false for a kind of sound that is not plain samples.
bool readFormat(std::span<const std::uint8_t> fmt, WaveSound& sound) {
    if (fmt.size() < 16) return false;
    std::uint16_t tag = readLE16(fmt.data());
    // The extensible layout names the real kind in the first two bytes of its sub-format.
    if (tag == kExtensible) {
        if (fmt.size() < 26) return false;
        tag = readLE16(fmt.data() + 24);
    }
    sound.channels = readLE16(fmt.data() + 2);
    sound.sampleRate = static_cast<int>(std::min<std::uint32_t>(readLE32(fmt.data() + 4), 1u << 24));
    sound.bitsPerSample = readLE16(fmt.data() + 14);
    sound.floatSamples = tag == kFloat;
    if (sound.channels < 1 || sound.sampleRate < 1) return false;
    if (tag == kFloat) return sound.bitsPerSample == 32;
    return tag == kPcm && (sound.bitsPerSample == 8 || sound.bitsPerSample == 16 ||
                           sound.bitsPerSample == 24 || sound.bitsPerSample == 32);
}

}  // namespace

std::optional<WaveSound> readWave(std::span<const std::uint8_t> file) {
    if (file.size() < 12 || !sameCode(file.data(), "RIFF") || !sameCode(file.data() + 8, "WAVE"))
        return std::nullopt;
    WaveSound sound;
    bool haveFormat = false;
    std::optional<std::span<const std::uint8_t>> data;
    std::size_t pos = 12;
    for (int n = 0; n < kMaxChunks && pos + 8 <= file.size(); ++n) {
        const std::uint32_t declared = readLE32(file.data() + pos + 4);
        const std::size_t begin = pos + 8;
        const std::size_t size = std::min<std::size_t>(declared, file.size() - begin);
        const std::span<const std::uint8_t> body = file.subspan(begin, size);
        if (sameCode(file.data() + pos, "fmt ")) {
            if (!readFormat(body, sound)) return std::nullopt;
            haveFormat = true;
        } else if (sameCode(file.data() + pos, "data") && !data) {
            data = body;
        }
        if (haveFormat && data) break;
        pos = begin + std::size_t{declared} + (declared & 1u);
    }
    if (!haveFormat || !data) return std::nullopt;
    const std::size_t frame = static_cast<std::size_t>(sound.channels) * (sound.bitsPerSample / 8);
    sound.samples = data->first(data->size() / frame * frame);
    return sound;
}

std::vector<std::uint8_t> makeWave(std::span<const std::int16_t> samples, int sampleRate) {
    const auto dataBytes = static_cast<std::uint32_t>(samples.size() * 2);
    std::vector<std::uint8_t> out;
    out.reserve(44 + dataBytes);
    putCode(out, "RIFF");
    putLE32(out, 36 + dataBytes);
    putCode(out, "WAVE");
    putCode(out, "fmt ");
    putLE32(out, 16);
    putLE16(out, kPcm);
    putLE16(out, 1);
    putLE32(out, static_cast<std::uint32_t>(sampleRate));
    putLE32(out, static_cast<std::uint32_t>(sampleRate) * 2);
    putLE16(out, 2);
    putLE16(out, 16);
    putCode(out, "data");
    putLE32(out, dataBytes);
    for (const std::int16_t s : samples) putLE16(out, static_cast<std::uint16_t>(s));
    return out;
}

}  // namespace kestrave
