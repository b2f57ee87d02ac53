#include "codecs/tiff_ifd.h"

#include <algorithm>

#include "codecs/mem_utils.h"
#include "codecs/tiff_errors.h"

namespace kestrave {

namespace {

std::size_t typeSize(std::uint16_t type) {
    switch (type) {
        case typeByte:
            return 1;
        case typeShort:
            return 2;
        case typeLong:
            return 4;
        default:
            return 0;
    }
}

std::uint32_t readValue(const std::uint8_t* p, std::uint16_t type, bool motorola) {
    switch (type) {
        case typeByte:
            return *p;
        case typeShort:
            return loadU16(p, motorola);
        default:
            return loadU32(p, motorola);
    }
}

// Tag values kept in narrower fields saturate, so an absurd value stays absurd instead of
// wrapping round to a plausible one.
std::uint16_t narrow16(std::uint32_t v) {
    return static_cast<std::uint16_t>(std::min<std::uint32_t>(v, 0xFFFF));
}
std::uint8_t narrow8(std::uint32_t v) {
    return static_cast<std::uint8_t>(std::min<std::uint32_t>(v, 0xFF));
}

// The writer's fixed layout: 8-byte header, entry count, room for 14 entries, next-directory
// offset. An uncompressed file has 13 entries; the strip stays at the same offset.
constexpr std::uint32_t kWriterStripOffset = 8 + 2 + 14 * 12 + 4;

}  // namespace

TIFD::TIFD(std::span<const std::uint8_t> file, std::uint32_t offset, bool motorola)
    : Motorola(motorola), base_(file) {
    const std::size_t size = file.size();
    if (offset > size || size - offset < 2) throw TiffCorruptError("directory outside the file");
    EntryCount = loadU16(file.data() + offset, motorola);
    const std::size_t end = offset + 2 + std::size_t{12} * EntryCount;
    if (end > size) throw TiffCorruptError("directory outside the file");
    entries_.resize(EntryCount);
    for (std::size_t i = 0; i < EntryCount; ++i) {
        const std::uint8_t* p = file.data() + offset + 2 + 12 * i;
        TIFDEntry& e = entries_[i];
        e.Tag = loadU16(p, motorola);
        e.Type = loadU16(p + 2, motorola);
        e.Count = loadU32(p + 4, motorola);
        std::copy(p + 8, p + 12, e.Field.begin());
    }
    NextIFD = end + 4 <= size ? loadU32(file.data() + end, motorola) : 0;

    for (std::size_t i = 0; i < EntryCount; ++i) {
        switch (entries_[i].Tag) {
            case tagImageWidth:
                IfdWidth = Value(i);
                break;
            case tagImageLength:
                IfdLength = Value(i);
                break;
            case tagBitsPerSample: {
                BitsPerSample = narrow16(Value(i));
                const std::vector<std::uint32_t> all = Values(i);
                MixedBitsPerSample =
                    std::any_of(all.begin(), all.end(), [&](std::uint32_t v) { return v != all.front(); });
                break;
            }
            case tagCompression:
                Compression = narrow16(Value(i));
                break;
            case tagPhotometric:
                Photometric = narrow16(Value(i));
                break;
            case tagFillOrder:
                FillOrder = narrow8(Value(i));
                break;
            case tagStripOffsets:
                StripOffsets = Values(i);
                break;
            case tagOrientation:
                Orientation = narrow8(Value(i));
                break;
            case tagSamplesPerPixel:
                SamplesPerPixel = narrow16(Value(i));
                break;
            case tagRowsPerStrip:
                RowsPerStrip = Value(i);
                break;
            case tagStripByteCounts:
                StripByteCounts = Values(i);
                break;
            case tagPlanarConfiguration:
                PlanarConfiguration = narrow16(Value(i));
                break;
            case tagPredictor:
                Predictor = narrow16(Value(i));
                HorizontalPredictor = Predictor == 2;
                break;
            case tagColorMap: {
                ColorMapOffset = RawValue(i);
                // A colour map that does not fit the file is dropped here; only palette images
                // need one, and their reader reports it missing.
                try {
                    for (std::uint32_t v : Values(i)) ColorMap.push_back(narrow16(v));
                } catch (const TiffCorruptError&) {
                    ColorMap.clear();
                }
                break;
            }
            default:
                break;
        }
    }
    if (FillOrder == 0) FillOrder = 1;
    if (Orientation == 0) Orientation = 1;
    if (RowsPerStrip == 0 || RowsPerStrip > IfdLength) RowsPerStrip = IfdLength;
    BitsPerPixel = std::uint32_t{SamplesPerPixel} * BitsPerSample;
    StripCount = static_cast<std::uint32_t>(StripOffsets.size());
    StripOffset = StripOffsets.empty() ? 0 : StripOffsets.front();
    StripByteCount = StripByteCounts.empty() ? 0 : StripByteCounts.front();
    TrailingBits = static_cast<std::uint8_t>((std::uint64_t{IfdWidth} * BitsPerSample) % 8);
}

TIFD TIFD::Build(std::uint32_t width, std::uint32_t height, int bitCount, bool compress) {
    TIFD d;
    d.IfdWidth = width;
    d.IfdLength = height;
    d.BitsPerSample = bitCount == 1 ? 1 : bitCount == 4 ? 4 : bitCount == 48 ? 16 : 8;
    d.Photometric = bitCount == 1 || bitCount == 4 || bitCount == 8 ? 1 : 2;
    d.SamplesPerPixel = d.Photometric <= 1 ? 1 : 3;
    d.BitsPerPixel = std::uint32_t{d.SamplesPerPixel} * d.BitsPerSample;
    d.Compression = compress ? 5 : 1;
    d.RowsPerStrip = height;
    d.StripCount = 1;
    d.StripOffset = kWriterStripOffset;
    d.StripOffsets = {kWriterStripOffset};
    const std::uint64_t rowSize = (std::uint64_t{width} * d.BitsPerPixel + 7) / 8;
    d.StripByteCount = static_cast<std::uint32_t>(rowSize * height);
    d.StripByteCounts = {d.StripByteCount};
    d.TrailingBits = static_cast<std::uint8_t>((std::uint64_t{width} * d.BitsPerSample) % 8);

    const auto dimensionType = [](std::uint32_t v) { return v > 0xFFFF ? typeLong : typeShort; };
    d.addEntry(tagNewSubfileType, typeLong, 1, 0);
    d.addEntry(tagImageWidth, dimensionType(width), 1, width);
    d.addEntry(tagImageLength, dimensionType(height), 1, height);
    d.addEntry(tagBitsPerSample, typeShort, 1, d.BitsPerSample);
    d.addEntry(tagCompression, typeShort, 1, d.Compression);
    // A 1-bit image is stored as white-is-zero.
    d.addEntry(tagPhotometric, typeShort, 1, bitCount == 1 ? 0 : static_cast<std::uint32_t>(d.Photometric));
    d.addEntry(tagFillOrder, typeShort, 1, 1);
    d.addEntry(tagStripOffsets, typeLong, 1, kWriterStripOffset);
    d.addEntry(tagOrientation, typeShort, 1, 1);
    d.addEntry(tagSamplesPerPixel, typeShort, 1, d.SamplesPerPixel);
    d.addEntry(tagRowsPerStrip, dimensionType(height), 1, height);
    d.addEntry(tagStripByteCounts, typeLong, 1, d.StripByteCount);
    d.addEntry(tagPlanarConfiguration, typeShort, 1, 1);
    d.addEntry(tagPredictor, typeShort, 1, 1);
    d.EntryCount = static_cast<std::uint16_t>(d.entries_.size());
    return d;
}

void TIFD::addEntry(std::uint16_t tag, std::uint16_t type, std::uint32_t count, std::uint32_t value) {
    TIFDEntry e{tag, type, count, {}};
    if (type == typeShort)
        storeU16(e.Field.data(), static_cast<std::uint16_t>(value), Motorola);
    else
        storeU32(e.Field.data(), value, Motorola);
    entries_.push_back(e);
}

void TIFD::setStripByteCount(std::uint32_t count) {
    StripByteCount = count;
    StripByteCounts = {count};
    const std::size_t i = IndexOf(tagStripByteCounts);
    if (i < entries_.size()) storeU32(entries_[i].Field.data(), count, Motorola);
}

std::vector<std::uint8_t> TIFD::entryBytes() const {
    std::vector<std::uint8_t> out(entries_.size() * 12);
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        std::uint8_t* p = out.data() + 12 * i;
        storeU16(p, entries_[i].Tag, false);
        storeU16(p + 2, entries_[i].Type, false);
        storeU32(p + 4, entries_[i].Count, false);
        std::copy(entries_[i].Field.begin(), entries_[i].Field.end(), p + 8);
    }
    return out;
}

const TIFDEntry* TIFD::entry(std::size_t index) const {
    return index < entries_.size() ? &entries_[index] : nullptr;
}

std::uint16_t TIFD::Tag(std::size_t index) const {
    return entry(index) ? entry(index)->Tag : 0;
}
std::uint16_t TIFD::Type(std::size_t index) const {
    return entry(index) ? entry(index)->Type : 0;
}
std::uint32_t TIFD::Count(std::size_t index) const {
    return entry(index) ? entry(index)->Count : 0;
}

std::uint32_t TIFD::RawValue(std::size_t index) const {
    return entry(index) ? loadU32(entry(index)->Field.data(), Motorola) : 0;
}

std::size_t TIFD::IndexOf(std::uint16_t tag) const {
    for (std::size_t i = 0; i < entries_.size(); ++i)
        if (entries_[i].Tag == tag) return i;
    return entries_.size();
}

const std::uint8_t* TIFD::valueBytes(const TIFDEntry& e) const {
    const std::uint64_t total = std::uint64_t{e.Count} * typeSize(e.Type);
    if (total <= 4) return e.Field.data();
    const std::uint64_t offset = loadU32(e.Field.data(), Motorola);
    if (offset + total > base_.size())
        throw TiffCorruptError("the values of tag " + std::to_string(e.Tag) + " lie outside the file");
    return base_.data() + offset;
}

std::uint32_t TIFD::Value(std::size_t index) const {
    const TIFDEntry* e = entry(index);
    if (!e || e->Count == 0 || typeSize(e->Type) == 0) return 0;
    return readValue(valueBytes(*e), e->Type, Motorola);
}

std::vector<std::uint32_t> TIFD::Values(std::size_t index) const {
    const TIFDEntry* e = entry(index);
    if (!e || e->Count == 0 || typeSize(e->Type) == 0) return {};
    const std::uint8_t* p = valueBytes(*e);
    const std::size_t step = typeSize(e->Type);
    std::vector<std::uint32_t> values(e->Count);
    for (std::uint32_t k = 0; k < e->Count; ++k) values[k] = readValue(p + k * step, e->Type, Motorola);
    return values;
}

std::uint8_t TIFD::ColorMapLookup(unsigned index, unsigned channel) const {
    const std::size_t perChannel = ColorMap.size() / 3;
    if (index >= perChannel || channel > 2) return 0;
    return static_cast<std::uint8_t>(ColorMap[channel * perChannel + index] >> 8);
}

}  // namespace kestrave
