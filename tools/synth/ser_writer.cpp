#include "synth/ser_writer.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>
#include <vector>

#include "platform/parallel.h"
#include "platform/safe_file.h"

namespace kestrave::synth {

namespace {

void putLittleEndian(std::uint8_t* at, std::uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

void putText(std::uint8_t* at, std::string_view text, std::size_t field) {
    std::memcpy(at, text.data(), std::min(text.size(), field));
}

std::array<std::uint8_t, serHeaderSize> serHeader(const Recording& r, const SerLayout& layout) {
    std::array<std::uint8_t, serHeaderSize> header{};
    putText(header.data(), "LUCAM-RECORDER", 14);
    putLittleEndian(&header[14], 0, 4);  // LuID
    putLittleEndian(&header[18], static_cast<std::uint32_t>(r.options.filter), 4);
    putLittleEndian(&header[22], layout.bigEndianSamples ? 1 : 0, 4);
    putLittleEndian(&header[26], static_cast<std::uint32_t>(r.options.width), 4);
    putLittleEndian(&header[30], static_cast<std::uint32_t>(r.options.height), 4);
    putLittleEndian(&header[34], static_cast<std::uint32_t>(r.options.bitsPerSample), 4);
    putLittleEndian(&header[38], static_cast<std::uint32_t>(r.options.frames), 4);
    putText(&header[42], "Kestrave", 40);
    putText(&header[82], "Synthetic camera", 40);
    putText(&header[122], "Synthetic seeing", 40);
    putLittleEndian(&header[162], static_cast<std::uint64_t>(serStartTime), 8);
    putLittleEndian(&header[170], static_cast<std::uint64_t>(serStartTime), 8);
    return header;
}

std::vector<std::uint8_t> sampleBytes(const std::vector<std::uint16_t>& samples, int bits, bool bigEndian) {
    if (bits == 8) return std::vector<std::uint8_t>(samples.begin(), samples.end());
    std::vector<std::uint8_t> bytes(samples.size() * 2);
    const int low = bigEndian ? 1 : 0;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        bytes[2 * i + low] = static_cast<std::uint8_t>(samples[i] & 0xFF);
        bytes[2 * i + 1 - low] = static_cast<std::uint8_t>(samples[i] >> 8);
    }
    return bytes;
}

}  // namespace

void writeSerRecording(const Recording& r, const std::filesystem::path& path, const SerLayout& layout) {
    SafeFileWriter file(path);
    const auto header = serHeader(r, layout);
    file.write(header.data(), header.size());

    // A batch keeps every thread busy while holding at most about 64 MiB of samples.
    const std::size_t frameBytes = r.samplesPerFrame() * sizeof(std::uint16_t);
    const int batch = static_cast<int>(
        std::clamp<std::size_t>((64u << 20) / frameBytes, 1, static_cast<std::size_t>(4 * threadCount())));
    for (int first = 0; first < r.options.frames; first += batch) {
        const int count = std::min(batch, r.options.frames - first);
        const auto bytes =
            sampleBytes(renderFrames(r, first, count), r.options.bitsPerSample, layout.bigEndianSamples);
        file.write(bytes.data(), bytes.size());
    }

    if (layout.timestamps) {
        std::vector<std::uint8_t> trailer(static_cast<std::size_t>(r.options.frames) * 8);
        for (int i = 0; i < r.options.frames; ++i)
            putLittleEndian(&trailer[static_cast<std::size_t>(i) * 8],
                            static_cast<std::uint64_t>(serStartTime + i * serFrameInterval), 8);
        file.write(trailer.data(), trailer.size());
    }
    file.commit();
}

}  // namespace kestrave::synth
