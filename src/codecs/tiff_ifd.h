#pragma once
// TIFD: one TIFF image file directory. It is either parsed from a TIFF file held in memory, with
// every count and offset checked against the file, or built for the writer, which stores one
// uncompressed or LZW strip of an RGB or grey image.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace kestrave {

enum TiffTag : std::uint16_t {
    tagNewSubfileType = 254,
    tagImageWidth = 256,
    tagImageLength = 257,
    tagBitsPerSample = 258,
    tagCompression = 259,
    tagPhotometric = 262,
    tagFillOrder = 266,
    tagStripOffsets = 273,
    tagOrientation = 274,
    tagSamplesPerPixel = 277,
    tagRowsPerStrip = 278,
    tagStripByteCounts = 279,
    tagPlanarConfiguration = 284,
    tagPredictor = 317,
    tagColorMap = 320,
};

enum TiffType : std::uint16_t { typeByte = 1, typeShort = 3, typeLong = 4 };

// One 12-byte directory entry; Field holds the 4 value/offset bytes as stored in the file.
struct TIFDEntry {
    std::uint16_t Tag = 0;
    std::uint16_t Type = 0;
    std::uint32_t Count = 0;
    std::array<std::uint8_t, 4> Field{};
};

class TIFD {
public:
    // Parses the directory at `offset` of the TIFF file `file`. Throws TiffCorruptError when
    // the directory or an array of a tag it uses lies outside the file.
    TIFD(std::span<const std::uint8_t> file, std::uint32_t offset, bool motorola);

    // Builds the writer's entries for a width x height image of `bitCount` bits per pixel
    // (1, 4, 8, 16, 24 or 48) stored as one strip at offset 182, with or without LZW compression
    // (`compress`): 14, the last being the predictor 1.
    static TIFD Build(std::uint32_t width, std::uint32_t height, int bitCount, bool compress);

    // Entry accessors; an index at or beyond EntryCount gives 0.
    std::uint16_t Tag(std::size_t index) const;
    std::uint16_t Type(std::size_t index) const;
    std::uint32_t Count(std::size_t index) const;
    // The first value of a BYTE, SHORT or LONG entry (0 for other types). Values of up to four
    // bytes sit in the field itself; longer arrays are read at the offset the field holds.
    std::uint32_t Value(std::size_t index) const;
    // All values of a BYTE, SHORT or LONG entry.
    std::vector<std::uint32_t> Values(std::size_t index) const;
    // The value/offset field in the machine's order.
    std::uint32_t RawValue(std::size_t index) const;
    // Index of the entry with `tag`; EntryCount when there is none.
    std::size_t IndexOf(std::uint16_t tag) const;

    // Colour-map value of palette index `index` for channel 0 red, 1 green, 2 blue, scaled from
    // 16 to 8 bits (v >> 8); 0 when the map has no such entry.
    std::uint8_t ColorMapLookup(unsigned index, unsigned channel) const;

    // Sets the byte count of the single strip (the writer knows it after compressing).
    void setStripByteCount(std::uint32_t count);
    // The entries as the little-endian writer stores them: 12 bytes each.
    std::vector<std::uint8_t> entryBytes() const;

    std::uint16_t EntryCount = 0;
    std::uint32_t NextIFD = 0;
    std::uint32_t IfdWidth = 0;
    std::uint32_t IfdLength = 0;
    std::uint16_t BitsPerSample = 1;
    // True when the per-sample bit counts are not all equal.
    bool MixedBitsPerSample = false;
    std::uint32_t BitsPerPixel = 1;
    std::uint32_t StripOffset = 0;
    std::uint16_t Compression = 1;
    std::uint32_t StripCount = 0;
    // IfdLength when the tag is absent or 0.
    std::uint32_t RowsPerStrip = 0;
    std::uint16_t SamplesPerPixel = 1;
    std::uint8_t FillOrder = 1;
    std::uint8_t Orientation = 1;
    std::uint16_t PlanarConfiguration = 1;
    std::uint32_t ColorMapOffset = 0;
    std::uint32_t StripByteCount = 0;
    // -1 when the tag is absent.
    int Photometric = -1;
    std::uint8_t TrailingBits = 0;
    std::vector<std::uint32_t> StripOffsets;
    std::vector<std::uint32_t> StripByteCounts;
    std::uint16_t Predictor = 1;
    bool HorizontalPredictor = false;
    bool Motorola = false;
    // The colour map (tag 320) in the machine's order: red, green, blue, 2^BitsPerSample each.
    // Empty when absent or outside the file.
    std::vector<std::uint16_t> ColorMap;

private:
    TIFD() = default;
    const TIFDEntry* entry(std::size_t index) const;
    // Start of the values of `e`: the field, or the checked offset into the file.
    const std::uint8_t* valueBytes(const TIFDEntry& e) const;
    void addEntry(std::uint16_t tag, std::uint16_t type, std::uint32_t count, std::uint32_t value);

    std::span<const std::uint8_t> base_;
    std::vector<TIFDEntry> entries_;
};

}  // namespace kestrave
