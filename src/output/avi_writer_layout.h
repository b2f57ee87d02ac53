#pragma once
// How the AVI writer lays a video out: the size of its RIFF chunks and the frames its header
// makes room for.

#include <cstdint>

namespace kestrave {

// Readers of AVI 1.0 stop at 1 GiB per RIFF chunk.
inline constexpr std::uint64_t AviRiffLimit = std::uint64_t{1} << 30;

struct AviWriterLayout {
    // Largest size of one RIFF chunk; beyond it the file continues as OpenDML. A RIFF chunk holds
    // at least one frame whatever the limit.
    std::uint64_t riffLimit = AviRiffLimit;
    // Most frames the file will get: the super index is reserved in the header for them.
    int frameCapacity = 10001;
};

}  // namespace kestrave
