#pragma once
// Writes a recording as a SER video file.
//
// Layout (all integers little-endian): a 178-byte header — the file id "LUCAM-RECORDER"
// (14 bytes), LuID, ColorID (0 mono, 8..11 Bayer RGGB, GRBG, GBRG, BGGR), LittleEndian, width,
// height, pixel depth in bits and frame count (32 bits each), observer, instrument and
// telescope (40 bytes each, zero-padded), then the local and the UTC start time (64 bits each,
// in 100-nanosecond ticks since 1 January of year 1) — followed by the frames without gaps,
// rows from the top, one byte per sample at depth 8 and two bytes per sample above it, and a
// trailer of one 64-bit UTC time stamp per frame.
//
// Byte order of two-byte samples: capture programs commonly store them low byte first and put
// 0 in the LittleEndian field, and readers take 0 to mean exactly that (they swap the two bytes
// of every sample only when the field is 1). The writer follows that convention by default;
// on request it stores the samples high byte first and puts 1 in the field, to exercise the
// readers' swapping.

#include <cstdint>
#include <filesystem>

#include "synth/recording.h"

namespace kestrave::synth {

inline constexpr int serHeaderSize = 178;
inline constexpr std::int64_t serStartTime = 638449272000000000;  // 1 March 2024 22:00 UTC
inline constexpr std::int64_t serFrameInterval = 100000;          // 10 ms: 100 frames per second

struct SerLayout {
    bool bigEndianSamples = false;  // high byte first, LittleEndian field 1
    bool timestamps = true;         // write the trailer of per-frame time stamps
};

// Renders every frame of the recording (in parallel, a batch at a time) and writes the file
// through a temporary file, so a failed write leaves no half-written recording. Throws
// FileError when the file cannot be written.
void writeSerRecording(const Recording& recording, const std::filesystem::path& path,
                       const SerLayout& layout = {});

}  // namespace kestrave::synth
