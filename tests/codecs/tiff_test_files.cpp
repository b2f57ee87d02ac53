#include "tiff_test_files.h"

#include <algorithm>
#include <random>

#include "codecs/mem_utils.h"
#include "codecs/tiff_lzw.h"
#include "platform/safe_file.h"

namespace kestrave::test {

namespace {

struct Entry {
    std::uint16_t tag;
    std::uint16_t type;  // 3 SHORT, 4 LONG
    std::vector<std::uint32_t> values;
};

std::vector<std::uint8_t> packRow(const TiffSpec& spec, const std::uint16_t* samples) {
    const std::size_t n = std::size_t{spec.width} * spec.samplesPerPixel;
    std::vector<std::uint8_t> row((n * spec.bitsPerSample + 7) / 8);
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint16_t v = samples[i];
        switch (spec.bitsPerSample) {
            case 32:
                storeU32(row.data() + 4 * i, v, spec.motorola);
                break;
            case 16:
                storeU16(row.data() + 2 * i, v, spec.motorola);
                break;
            case 8:
                row[i] = static_cast<std::uint8_t>(v);
                break;
            default: {
                const std::size_t bit = i * spec.bitsPerSample;
                row[bit / 8] |= static_cast<std::uint8_t>(v << (8 - spec.bitsPerSample - bit % 8));
            }
        }
    }
    return row;
}

// Horizontal differencing, the inverse of what the reader undoes.
void applyPredictor(const TiffSpec& spec, std::vector<std::uint8_t>& row) {
    const std::size_t k = spec.samplesPerPixel;
    const std::size_t n = std::size_t{spec.width} * k;
    for (std::size_t i = n; i-- > k;) {
        if (spec.bitsPerSample == 8) {
            row[i] = static_cast<std::uint8_t>(row[i] - row[i - k]);
        } else {
            const auto d = static_cast<std::uint16_t>(loadU16(&row[2 * i], spec.motorola) -
                                                      loadU16(&row[2 * (i - k)], spec.motorola));
            storeU16(&row[2 * i], d, spec.motorola);
        }
    }
}

void append16(std::vector<std::uint8_t>& out, std::uint16_t v, bool motorola) {
    out.resize(out.size() + 2);
    storeU16(out.data() + out.size() - 2, v, motorola);
}

void append32(std::vector<std::uint8_t>& out, std::uint32_t v, bool motorola) {
    out.resize(out.size() + 4);
    storeU32(out.data() + out.size() - 4, v, motorola);
}

}  // namespace

std::vector<std::uint8_t> buildTiff(const TiffSpec& spec, const std::vector<std::uint16_t>& samples) {
    const bool mm = spec.motorola;
    std::vector<std::uint8_t> file = {mm ? std::uint8_t{'M'} : std::uint8_t{'I'},
                                      mm ? std::uint8_t{'M'} : std::uint8_t{'I'}};
    append16(file, 42, mm);
    append32(file, 0, mm);  // directory offset, set at the end

    const std::uint32_t rowsPerStrip = spec.rowsPerStrip ? spec.rowsPerStrip : spec.height;
    const std::size_t samplesPerRow = std::size_t{spec.width} * spec.samplesPerPixel;
    std::vector<std::uint32_t> offsets, counts;
    TLZW lzw;
    for (std::uint32_t first = 0; first < spec.height; first += rowsPerStrip) {
        std::vector<std::uint8_t> strip;
        for (std::uint32_t y = first; y < std::min(spec.height, first + rowsPerStrip); ++y) {
            std::vector<std::uint8_t> row = packRow(spec, samples.data() + y * samplesPerRow);
            if (spec.predictor) applyPredictor(spec, row);
            strip.insert(strip.end(), row.begin(), row.end());
        }
        if (spec.lzw) strip = lzw.Encode(strip);
        if (file.size() % 2) file.push_back(0);
        offsets.push_back(static_cast<std::uint32_t>(file.size()));
        counts.push_back(static_cast<std::uint32_t>(strip.size()));
        file.insert(file.end(), strip.begin(), strip.end());
    }

    const std::uint16_t dimType = spec.longDimensions ? 4 : 3;
    const std::uint16_t stripType = spec.shortStripArrays ? 3 : 4;
    std::vector<Entry> entries = {
        {256, dimType, {spec.width}},
        {257, dimType, {spec.height}},
        {258, 3, std::vector<std::uint32_t>(spec.samplesPerPixel, spec.bitsPerSample)},
        {259,
         3,
         {spec.compression ? spec.compression
          : spec.lzw       ? 5u
                           : 1u}},
        {273, stripType, offsets},
        {277, 3, {spec.samplesPerPixel}},
        {278, 4, {rowsPerStrip}},
        {279, stripType, counts},
        {284, 3, {spec.planar}},
    };
    if (spec.photometric >= 0) entries.push_back({262, 3, {static_cast<std::uint32_t>(spec.photometric)}});
    if (spec.predictor) entries.push_back({317, 3, {2}});
    if (!spec.colorMap.empty()) entries.push_back({320, 3, {spec.colorMap.begin(), spec.colorMap.end()}});
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.tag < b.tag; });

    // Arrays longer than four bytes go before the directory.
    std::vector<std::uint32_t> fields;
    for (const Entry& e : entries) {
        const std::size_t size = e.type == 3 ? 2 : 4;
        std::vector<std::uint8_t> bytes;
        for (std::uint32_t v : e.values) {
            if (size == 2)
                append16(bytes, static_cast<std::uint16_t>(v), mm);
            else
                append32(bytes, v, mm);
        }
        if (bytes.size() <= 4) {
            bytes.resize(4, 0);
            fields.push_back(loadU32(bytes.data(), mm));
        } else {
            if (file.size() % 2) file.push_back(0);
            fields.push_back(static_cast<std::uint32_t>(file.size()));
            file.insert(file.end(), bytes.begin(), bytes.end());
        }
    }
    if (file.size() % 2) file.push_back(0);
    storeU32(file.data() + 4, static_cast<std::uint32_t>(file.size()), mm);
    append16(file, static_cast<std::uint16_t>(entries.size()), mm);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        append16(file, entries[i].tag, mm);
        append16(file, entries[i].type, mm);
        append32(file, static_cast<std::uint32_t>(entries[i].values.size()), mm);
        append32(file, fields[i], mm);
    }
    append32(file, 0, mm);
    return file;
}

std::vector<std::uint16_t> randomSamples(std::size_t count, std::uint32_t limit, std::uint32_t seed) {
    std::mt19937 rng(seed);
    std::vector<std::uint16_t> v(count);
    for (auto& s : v) s = static_cast<std::uint16_t>(rng() % limit);
    return v;
}

TTIFFBitMap makeImage48(int width, int height, std::uint32_t seed) {
    TTIFFBitMap image(width, height);
    image.allocateHighBits();
    const std::vector<std::uint16_t> samples = randomSamples(std::size_t(width) * height * 3, 65536, seed);
    for (int y = 0; y < height; ++y) {
        std::uint16_t* row = image.HighBitRow(y);
        for (int x = 0; x < width; ++x) {
            for (int c = 0; c < 3; ++c) row[3 * x + c] = samples[(std::size_t(y) * width + x) * 3 + c];
            SetRGBTriple(static_cast<std::uint8_t>(row[3 * x] >> 8),
                         static_cast<std::uint8_t>(row[3 * x + 1] >> 8),
                         static_cast<std::uint8_t>(row[3 * x + 2] >> 8), image.pixel(x, y));
        }
    }
    return image;
}

TTIFFBitMap loadTiff(const std::filesystem::path& path, std::uint16_t hiValue) {
    TTIFFBitMap image;
    image.LoadFromTIFF(path, hiValue);
    return image;
}

TTIFFBitMap loadTiff(const std::vector<std::uint8_t>& bytes, std::uint16_t hiValue) {
    TTIFFBitMap image;
    image.loadFromTIFFBytes(bytes, hiValue);
    return image;
}

std::string imageDifference(const TTIFFBitMap& a, const TTIFFBitMap& b) {
    if (a.width() != b.width() || a.height() != b.height())
        return "size " + std::to_string(a.width()) + "x" + std::to_string(a.height()) + " vs " +
               std::to_string(b.width()) + "x" + std::to_string(b.height());
    if (a.HighBitsAllocated() != b.HighBitsAllocated()) return "16-bit buffer allocated in one only";
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            for (int c = 0; c < 3; ++c) {
                const std::string where =
                    " at (" + std::to_string(x) + "," + std::to_string(y) + ") channel " + std::to_string(c);
                if (a.pixel(x, y)[c] != b.pixel(x, y)[c]) return "view" + where;
                if (a.HighBitsAllocated() && a.HighBitRow(y)[3 * x + c] != b.HighBitRow(y)[3 * x + c])
                    return "sample" + where;
            }
        }
    }
    return "";
}

std::string libtiffTool(const std::string& name) {
    const std::string path = "/usr/bin/" + name;
    return std::filesystem::exists(path) ? path : "";
}

}  // namespace kestrave::test
