#pragma once
// The LZRW1-KH block format of actor frame data, reading side.
//
// A stream is a 4-byte length field (not used) and then blocks, each a 16-bit little-endian
// length L followed by L bytes. A block expands to at most 32768 bytes; the stream ends with the
// first block that expands to fewer (or where the input ends), so data of an exact multiple of
// 32768 bytes carries an empty block at its end.
//
// Block byte 0 is the kind: 128 stores the remaining L - 1 bytes as they are; anything else (the
// encoder writes 64) is compressed. A compressed block continues with a 16-bit control word,
// high byte first, whose bits, most significant first, describe the next 16 items; a new control
// word precedes every further group of 16. Bit 0 is one literal byte. Bit 1 is a reference
// (b0, b1): offset = b0 * 16 + (b1 >> 4); an offset above 0 copies (b1 & 15) + 3 bytes, one by
// one, from that far back in the output (so a copy may overlap what it writes); offset 0 is a
// run item (0, hi, lo, v) writing v hi * 256 + lo + 16 times.
//
// The reader checks every item against the block and the output: a hostile block ends in an
// ActorDataError, never outside a buffer.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace kestrave {

constexpr std::size_t kLzrwBlockOutput = 32768;
// The largest block the reader accepts: its input buffer is 16 bytes longer than an output.
constexpr std::size_t kLzrwBlockInput = 32784;
constexpr std::uint8_t kLzrwStoredFlag = 128;
constexpr std::uint8_t kLzrwCompressedFlag = 64;

// Expands one block and appends it to `out`; returns the number of bytes appended.
std::size_t expandLzrwBlock(std::span<const std::uint8_t> block, std::vector<std::uint8_t>& out);

// Expands a whole stream; more than `maxOutput` expanded bytes is an error too.
std::vector<std::uint8_t> readLzrwStream(std::span<const std::uint8_t> stream, std::size_t maxOutput);

}  // namespace kestrave
