#include "frames/fits_reader.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <new>
#include <optional>
#include <string>
#include <vector>

namespace kestrave {

namespace {

constexpr std::size_t CardSize = 80;
constexpr std::size_t BlockSize = 2880;
constexpr std::size_t ValueEnd = 30;  // the value of a card ends at column 30

std::string_view trimBlanks(std::string_view s) {
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return s;
}

// An integer value as the number parser reads it: optional sign and decimal digits; anything
// else is a conversion error.
int parseCardInteger(std::string_view value) {
    std::string_view digits = trimBlanks(value);
    if (!digits.empty() && digits.front() == '+') digits.remove_prefix(1);
    int result = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), result);
    if (digits.empty() || error != std::errc() || end != digits.data() + digits.size()) {
        throw FileError("'" + std::string(trimBlanks(value)) + "' is not a valid integer value");
    }
    return result;
}

// The value as the plane stores it: a float, clamped to the float range.
float planeValue(double v) {
    constexpr double largest = std::numeric_limits<float>::max();
    return static_cast<float>(std::clamp(v, -largest, largest));
}

std::string decimal(float v) {
    std::array<char, 64> text{};
    const auto result = std::to_chars(text.data(), text.data() + text.size(), static_cast<double>(v),
                                      std::chars_format::fixed);
    return std::string(text.data(), result.ptr);
}

}  // namespace

std::string_view fitsCardValue(std::string_view card) {
    const std::size_t equals = card.find('=');
    const std::size_t first = equals == std::string_view::npos ? 0 : equals + 1;
    const std::size_t end = std::min(card.size(), ValueEnd);
    if (first >= end) return {};
    return trimBlanks(card.substr(first, end - first));
}

double parseFitsBzero(std::string_view value) {
    std::string text(trimBlanks(value));
    std::replace(text.begin(), text.end(), ',', '.');
    std::string_view number = text;
    if (!number.empty() && number.front() == '+') number.remove_prefix(1);
    double result = 0.0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), result);
    if (number.empty() || error != std::errc() || end != number.data() + number.size() ||
        !std::isfinite(result)) {
        return 0.0;
    }
    return std::nearbyint(result);
}

double fitsSample(const std::uint8_t* p, int bitpix, double bzero) {
    switch (bitpix) {
        case 8:
            return p[0];
        case 16:
            return static_cast<std::int16_t>(static_cast<std::uint16_t>(p[0] << 8 | p[1])) + bzero;
        case 32:
            return static_cast<std::int32_t>(static_cast<std::uint32_t>(p[0]) << 24 |
                                             static_cast<std::uint32_t>(p[1]) << 16 |
                                             static_cast<std::uint32_t>(p[2]) << 8 | p[3]) +
                   bzero;
        default: {
            const std::uint32_t bits = static_cast<std::uint32_t>(p[0]) << 24 |
                                       static_cast<std::uint32_t>(p[1]) << 16 |
                                       static_cast<std::uint32_t>(p[2]) << 8 | p[3];
            float value;
            std::memcpy(&value, &bits, sizeof value);
            // A blank (NaN) sample counts as 0.
            return (std::isnan(value) ? 0.0 : std::nearbyint(static_cast<double>(value))) + bzero;
        }
    }
}

FitsHeader readFitsHeader(const FrameFile& file) {
    std::optional<int> naxis1, naxis2, bitpix;
    FitsHeader header;
    std::array<char, BlockSize> block{};
    for (std::uint64_t blockStart = 0;; blockStart += BlockSize) {
        const std::size_t cards = static_cast<std::size_t>(std::min<std::uint64_t>(
                                      BlockSize, file.size() - std::min(file.size(), blockStart))) /
                                  CardSize;
        if (cards == 0) {
            throw FileError("Invalid FITS file " + displayName(file.path()) + ": the header has no END card");
        }
        file.readAt(blockStart, block.data(), cards * CardSize);
        for (std::size_t c = 0; c < cards; ++c) {
            const std::string_view card(block.data() + c * CardSize, CardSize);
            const std::string_view key = card.substr(0, 6);
            if (card.substr(0, 3) == "END") {
                if (!naxis1 || !naxis2 || !bitpix) {
                    throw FileError("Invalid FITS file " + displayName(file.path()) +
                                    ": NAXIS1, NAXIS2 or BITPIX is missing");
                }
                header.NAXIS1 = *naxis1;
                header.NAXIS2 = *naxis2;
                header.BITPIX = *bitpix;
                header.dataOffset = blockStart + BlockSize;
                return header;
            }
            if (key == "NAXIS1") {
                naxis1 = parseCardInteger(fitsCardValue(card));
            } else if (key == "NAXIS2") {
                naxis2 = parseCardInteger(fitsCardValue(card));
            } else if (key == "BITPIX") {
                bitpix = parseCardInteger(fitsCardValue(card));
            } else if (key == "BZERO ") {
                header.BZERO = parseFitsBzero(fitsCardValue(card));
            }
        }
    }
}

int fitsChannelOfName(const std::filesystem::path& FileName) {
    const std::string name = FileName.filename().string();
    const std::string stem = name.substr(0, name.size() - FileName.extension().string().size());
    std::string suffix = stem.substr(stem.size() - std::min<std::size_t>(2, stem.size()));
    for (char& c : suffix) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    std::string lower = name;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    static constexpr std::array<std::pair<const char*, const char*>, 4> names{
        {{".red", "_R"}, {".green", "_G"}, {".blue", "_B"}, {".luminance", "_L"}}};
    for (const auto& [word, channelSuffix] : names) {
        if (lower.find(word) != std::string::npos) suffix = channelSuffix;
    }
    if (suffix == "_R") return 0;
    if (suffix == "_B") return 2;
    if (suffix == "_L") return 3;
    return 1;
}

FitsReadResult ReadFitsFrame(const std::filesystem::path& FileName, T2dArrays& RawFramePlane,
                             Bitmap24& preview, FrameReaderState& state) {
    return ReadFitsFrame(FileName, &RawFramePlane, &preview, state);
}

FitsReadResult ReadFitsFrame(const std::filesystem::path& FileName, T2dArrays* RawFramePlane,
                             Bitmap24* preview, FrameReaderState& state) {
    const std::optional<FrameFile> file = FrameFile::openIfExists(FileName);
    if (!file) return {};
    const FitsHeader header = readFitsHeader(*file);
    if (header.BITPIX != 8 && header.BITPIX != 16 && header.BITPIX != 32 && header.BITPIX != -32) {
        throw FrameFormatError("Fits format error", "Unsupported fits format");
    }
    if (header.NAXIS1 < 1 || header.NAXIS2 < 1) {
        throw FileError("Invalid FITS file " + displayName(FileName) + ": image size " +
                        std::to_string(header.NAXIS1) + " x " + std::to_string(header.NAXIS2));
    }
    const int width = std::min(header.NAXIS1, MaxFrameSize);
    const int height = std::min(header.NAXIS2, MaxFrameSize);
    const int sampleBytes = std::abs(header.BITPIX) / 8;
    const std::size_t rowBytes = static_cast<std::size_t>(width) * sampleBytes;

    float lo = 0.0f, hi = 0.0f;
    try {
        const auto rows = file->readRows(
            header.dataOffset, static_cast<std::uint64_t>(header.NAXIS1) * sampleBytes, rowBytes, height);
        // The values in picture order (row 0 at the top, which is the last file row read).
        std::vector<float> values(static_cast<std::size_t>(width) * height);
        lo = hi = planeValue(fitsSample(rows.get(), header.BITPIX, header.BZERO));
        for (int k = 0; k < height; ++k) {
            const std::uint8_t* row = rows.get() + k * rowBytes;
            float* out = values.data() + static_cast<std::size_t>(height - 1 - k) * width;
            for (int x = 0; x < width; ++x) {
                out[x] = planeValue(fitsSample(row + x * sampleBytes, header.BITPIX, header.BZERO));
                lo = std::min(lo, out[x]);
                hi = std::max(hi, out[x]);
            }
        }
        sizeRawFrame(RawFramePlane, preview, width, height);
        const auto rowOf = [in = values.data(), width](int y) {
            return in + static_cast<std::size_t>(y) * width;
        };
        if (RawFramePlane)
            fillPlaneByRows(*RawFramePlane, rowOf, [](const float* row, int x) { return row[x]; });
        if (preview) {
            fillGreyPreview(*preview, rowOf,
                            [lo, range = static_cast<double>(hi) - lo + 1.0](const float* row, int x) {
                                return greyLevel(row[x], lo, range);
                            });
        }
    } catch (const std::bad_alloc&) {
        throw FileError("Not enough memory to read " + displayName(FileName));
    }

    FitsReadResult result;
    result.read = true;
    result.size = {width, height, header.NAXIS1, header.NAXIS2};
    state.FrameChannel = fitsChannelOfName(FileName);
    result.luminance = state.FrameChannel == 3;
    if (result.luminance) state.LumFrameLoaded = true;
    state.FitsBitpix = header.BITPIX;
    state.FitsInfoText = std::to_string(header.BITPIX) + "bits, lo:" + decimal(lo) + " hi:" + decimal(hi);
    state.FitsFrameWidth = width;
    state.FitsFrameHeight = height;
    return result;
}

}  // namespace kestrave
