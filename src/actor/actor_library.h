#pragma once
// The contents of an actor file, read and checked.
//
// An actor file is a data-only container (no code of it is ever run):
//
//   0        8     magic "ACTORLIB"
//   8        4     container version, 1
//   12       4     R, the length of the information record (at least 1058 + 66 * count)
//   16       4     M, the number of resources
//   20       R     the information record
//   20 + R   16*M  the resource directory: per resource a 16-bit kind (10 frame data, 1 WAVE
//                  sound), a 16-bit identifier, a 32-bit offset from the start of the file, a
//                  32-bit length and 4 reserved bytes
//   ...            the resources: frame-data streams (LZRW1-KH) and complete RIFF WAVE files
//
// All numbers are little-endian. The information record:
//
//   0     2     version, 200
//   2     21    not read
//   23    2     frame width W
//   25    2     frame height H
//   27    1028  palette: version (2), entry count (2), 256 entries of red, green, blue, flags
//   1055  1     transparent palette index
//   1056  2     animation count, at least 1
//   1058  66*C  animation records, numbered from 1: name (a length byte and up to 50
//               characters), frame-data resource identifier (2), state mask (10 bytes; state s
//               is bit s mod 8 of byte s / 8), return kind (1), return animation number (2)

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace kestrave {

constexpr int kActorStateCount = 80;
// Frames larger than this in either direction are not a character but a broken file.
constexpr int kMaxActorFrameSide = 1024;

enum class ActorResourceKind : std::uint16_t { Sound = 1, FrameData = 10 };

enum class ReturnKind : std::uint8_t { None = 0, ReturnAnimation = 1, ExitBranches = 2 };

struct AnimationRecord {
    std::string name;
    std::uint16_t resourceId = 0;
    std::array<std::uint8_t, 10> stateMask{};
    ReturnKind returnKind = ReturnKind::None;
    std::uint16_t returnAnimation = 0;

    bool serves(int state) const {
        return state >= 0 && state < kActorStateCount && (stateMask[state / 8] >> (state % 8)) & 1;
    }
};

// 256 colours, each 0xffRRGGBB.
using ActorPalette = std::array<std::uint32_t, 256>;

struct ActorResource {
    ActorResourceKind kind{};
    std::uint16_t id = 0;
    std::uint32_t offset = 0;
    std::uint32_t length = 0;
};

struct ActorLibraryData {
    int frameWidth = 0;
    int frameHeight = 0;
    ActorPalette palette{};
    std::uint8_t transparentIndex = 0;
    std::vector<AnimationRecord> animations;          // animation n is animations[n - 1]
    std::array<int, kActorStateCount> stateCounts{};  // animations serving each state
    std::vector<ActorResource> resources;
    std::vector<std::uint8_t> bytes;  // the whole file

    // The bytes of a resource; empty when the library has none of that kind and identifier.
    std::span<const std::uint8_t> resource(ActorResourceKind kind, std::uint16_t id) const;
    // The RGB (0xRRGGBB) of the palette entry at the transparent index.
    std::uint32_t transparentColor() const { return palette[transparentIndex] & 0xFFFFFFu; }
};

// Checks and indexes a whole actor file. Returns null when the bytes are not a valid actor
// library: a wrong magic or version, no animation, a record, directory or resource reaching
// past the end, a frame size of 0 or above kMaxActorFrameSide, a resource kind other than the
// two above, or a kind and identifier given twice. (An animation whose frame data is missing
// leaves the library valid; only that animation cannot be played.)
std::shared_ptr<const ActorLibraryData> parseActorLibrary(std::vector<std::uint8_t> bytes);

}  // namespace kestrave
