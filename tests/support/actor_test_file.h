#pragma once
// Synthetic actor files for tests: a character of a few tiny frames, written byte by byte in the
// container layout the program reads, and a small LZRW1-KH encoder for its frame data.

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "support/temp_dir.h"

namespace kestrave::test {

struct TestFrame {
    std::uint8_t duration = 10;
    std::uint16_t sound = 0;
    std::array<std::pair<std::uint8_t, std::uint8_t>, 4> branches{};  // (probability, target)
    std::pair<std::uint8_t, std::uint8_t> exit{};                     // (flag, target)
};

struct TestAnimation {
    std::string name;
    std::vector<int> states;
    std::vector<TestFrame> frames{2};
    std::uint8_t returnKind = 0;
    std::uint16_t returnAnimation = 0;
    // Pixels of the whole strip (frames side by side, top row first); empty: frame f's pixels are
    // all f + 1, so no pixel is transparent and each frame looks different.
    std::vector<std::uint8_t> strip;
    // The expanded frame data as the file carries it; empty: built from the fields above.
    std::vector<std::uint8_t> rawFrameData;
    bool compress = false;  // store the frame data as LZRW1-KH compressed blocks
};

struct TestActor {
    std::uint16_t version = 200;
    int width = 4;
    int height = 2;
    std::uint8_t transparentIndex = 0;
    std::vector<TestAnimation> animations;
    std::vector<std::pair<std::uint16_t, std::vector<std::uint8_t>>> sounds;  // (id, WAVE file)
};

// The smallest useful actor: 4 x 2 frames, palette entry 0 black and transparent, entry 1
// white, one animation "RestPose" serving state 60 with two frames of 10 hundredths.
TestActor minimalActor();

// The expanded frame data of an animation (frame count, tables, strip).
std::vector<std::uint8_t> frameData(const TestAnimation& animation, int width, int height);
// A stream of stored blocks: the length field, then blocks of 32768 bytes, the last one shorter
// (empty when the data fills its blocks exactly).
std::vector<std::uint8_t> storedStream(const std::vector<std::uint8_t>& data);
// The same data in compressed blocks, using literals, back references (overlapping where the
// data repeats) and runs.
std::vector<std::uint8_t> compressedStream(const std::vector<std::uint8_t>& data);
// One compressed block of at most 32768 bytes of data, without its length.
std::vector<std::uint8_t> compressBlock(const std::uint8_t* data, std::size_t size);

std::vector<std::uint8_t> actorFileBytes(const TestActor& actor);
void writeActorFile(const std::filesystem::path& path, const TestActor& actor);

}  // namespace kestrave::test
