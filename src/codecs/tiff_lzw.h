#pragma once
// TLZW: TIFF LZW compression of one strip, both ways. Codes are 9 to 12 bits wide, packed most
// significant bit first; 0-255 stand for single bytes, 256 is Clear, 257 EndOfInformation and
// 258 up the learned strings. Code widths change one entry early, as TIFF 6.0 prescribes: the
// decoder widens when its last entry becomes 510, 1022 or 2046, the encoder when its own becomes
// 511, 1023 or 2047 (the decoder learns each string one code later). When the encoder's table
// reaches entry 4093 it writes Clear and starts again at 9 bits.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace kestrave {

class TLZW {
public:
    TLZW();

    // Decodes one strip into `dest` and returns the number of bytes written. Decoding stops at
    // EndOfInformation, at the end of `source`, at a code that cannot occur in a sound stream
    // (above the next free entry) or when `dest` is full; it never writes past `dest`.
    std::size_t Decode(std::span<const std::uint8_t> source, std::span<std::uint8_t> dest);
    // Whether the last Decode ended at an EndOfInformation code.
    bool endedAtEndOfInformation() const { return endOfInformation_; }

    // Encodes `source`: Clear, the codes, EndOfInformation; the last byte is padded with zero
    // bits. Empty input gives Clear, 256 (the empty string) and EndOfInformation.
    std::vector<std::uint8_t> Encode(std::span<const std::uint8_t> source);

    static constexpr std::uint16_t Clear = 256;
    static constexpr std::uint16_t EndOfInformation = 257;

private:
    static constexpr std::size_t kTableSize = 4096;
    static constexpr std::uint16_t kNoCode = 0xFFFF;

    void initTable();
    void initChains();
    // Writes the string of `code` (at most dest.size() bytes of it) and returns its length.
    std::size_t writeString(std::uint16_t code, std::span<std::uint8_t> dest) const;

    // String table: an entry is its prefix's string followed by Char. FirstChar and Length let
    // the decoder write a string backwards from its end without a stack.
    std::vector<std::uint16_t> prefix_;
    std::vector<std::uint8_t> char_;
    std::vector<std::uint8_t> firstChar_;
    std::vector<std::uint16_t> length_;
    // Encoder chains: the codes that extend a prefix code, linked through nextSibling_.
    std::vector<std::uint16_t> firstChild_;
    std::vector<std::uint16_t> nextSibling_;
    std::uint16_t last_ = EndOfInformation;
    unsigned width_ = 9;
    bool endOfInformation_ = false;
};

}  // namespace kestrave
