#include "output/fits_writer.h"

#include <array>
#include <cstdio>
#include <limits>
#include <stdexcept>

#include "enhance/clamped_round.h"
#include "platform/errors.h"
#include "platform/safe_file.h"

namespace kestrave {

namespace fs = std::filesystem;

void FitsHeader::WriteCard(std::string_view Text) {
    std::string card(Text.substr(0, FitsCardLength));
    card.resize(FitsCardLength, ' ');
    bytes_ += card;
}

void FitsHeader::WriteValueCard(std::string_view Keyword, std::string_view Value) {
    constexpr std::size_t valueEnd = 30;
    std::string card(Keyword);
    if (card.size() + Value.size() < valueEnd) card.append(valueEnd - card.size() - Value.size(), ' ');
    card += Value;
    WriteCard(card);
}

void FitsHeader::fillBlock() {
    while (bytes_.size() % FitsBlockLength != 0) WriteCard("");
}

namespace {

std::string twoDigits(int a, int b, int c, char separator) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d%c%02d%c%02d", a % 100, separator, b % 100, separator, c % 100);
    return text;
}

}  // namespace

FitsHeader buildFitsHeader(int bitPix, int width, int height, int bzero, const std::tm& when) {
    FitsHeader header;
    header.WriteValueCard("SIMPLE  =", "T");
    header.WriteValueCard("BITPIX  =", std::to_string(bitPix));
    header.WriteValueCard("NAXIS   =", "2");
    header.WriteValueCard("NAXIS1  =", std::to_string(width));
    header.WriteValueCard("NAXIS2  =", std::to_string(height));
    header.WriteValueCard("BSCALE  =", "1");
    header.WriteValueCard("BZERO   =", std::to_string(bzero));
    header.WriteValueCard("BYTESWAP=", "T");
    header.WriteCard("DATE-OBS= '" + twoDigits(when.tm_mday, when.tm_mon + 1, when.tm_year, '/') + "'");
    header.WriteCard("TIME-OBS= '" + twoDigits(when.tm_hour, when.tm_min, when.tm_sec, ':') + "'");
    header.WriteCard("OBJECT  = ''");
    header.WriteCard("INSTRUME= ''");
    header.WriteCard("EXPOSURE= ''");
    header.WriteCard("OBSERVER= ''");
    header.WriteCard("COMMENT = KESTRAVE V4.0");
    header.WriteCard("COMMENT = ");
    header.WriteCard("END");
    header.fillBlock();
    return header;
}

namespace {

constexpr int Int16Min = std::numeric_limits<std::int16_t>::min();
constexpr int Int16Max = std::numeric_limits<std::int16_t>::max();
constexpr int Int32Min = std::numeric_limits<std::int32_t>::min();
constexpr int Int32Max = std::numeric_limits<std::int32_t>::max();

struct FitChannel {
    int plane;
    const char* suffix;
};

// How each sample of one file is made.
struct SampleRule {
    enum class Kind { StackStretched, Result, MasterFrame } kind;
    int bitPix;
    double min = 0.0;
    double range = 1.0;
    double factor = 1.0;  // master frames: 128 in the ".fitk" variant
};

void checkPlanes(const PlaneTriple* planes, const std::vector<FitChannel>& channels, int width, int height) {
    if (!planes) throw std::invalid_argument("FitSave: the stack planes are missing");
    for (const FitChannel& channel : channels) {
        const T2dArrays& plane = (*planes)[static_cast<std::size_t>(channel.plane)];
        if (plane.xCount() < width || plane.yCount() < height)
            throw std::invalid_argument("FitSave: the stack planes do not cover the image");
    }
}

// min and range of the stack over the saved channels; range = (max - min) * 1.1, never 0.
void stackScale(const PlaneTriple& planes, const std::vector<FitChannel>& channels, int width, int height,
                SampleRule& rule) {
    float lo = planes[static_cast<std::size_t>(channels.front().plane)][0][0];
    float hi = lo;
    for (const FitChannel& channel : channels) {
        const T2dArrays& plane = planes[static_cast<std::size_t>(channel.plane)];
        for (int x = 0; x < width; ++x) {
            const float* column = plane[x];
            for (int y = 0; y < height; ++y) {
                lo = std::min(lo, column[y]);
                hi = std::max(hi, column[y]);
            }
        }
    }
    const float range = (hi - lo) * 1.1f;
    rule.min = lo;
    rule.range = range == 0.0f ? 0.000001f : range;
}

std::int64_t sampleOf(const SampleRule& rule, double v) {
    switch (rule.kind) {
        case SampleRule::Kind::StackStretched:
            if (rule.bitPix == 16)
                return clampedRound(((v - rule.min) / rule.range - 0.5) * 65535.0, Int16Min, Int16Max);
            return clampedRound((v - rule.min) / rule.range * 2147483645.0, Int32Min, Int32Max);
        case SampleRule::Kind::MasterFrame:
            if (rule.bitPix == 16) return clampedRound(v * rule.factor, Int16Min, Int16Max);
            return clampedRound(v * rule.factor, Int32Min, Int32Max);
        case SampleRule::Kind::Result:
            return static_cast<std::int64_t>(v) - 32768;
    }
    return 0;
}

// Writes header, samples (bottom row first, big-endian) and padding through a temporary file.
void writeFitsFile(const fs::path& target, const FitsHeader& header, const SampleRule& rule, int width,
                   int height, int plane, const FitImages& images) {
    SafeFileWriter writer(target);
    writer.write(header.bytes());
    const std::size_t bytesPerSample = rule.bitPix == 16 ? 2 : 4;
    std::vector<std::uint8_t> row(static_cast<std::size_t>(width) * bytesPerSample);
    for (int y = height - 1; y >= 0; --y) {
        std::uint8_t* out = row.data();
        for (int x = 0; x < width; ++x) {
            const double v = rule.kind == SampleRule::Kind::Result
                                 ? images.ResultImage16->HighBitRow(y)[3 * x + plane]
                                 : (*images.StackPlanes)[static_cast<std::size_t>(plane)][x][y];
            const auto sample = static_cast<std::uint32_t>(sampleOf(rule, v));
            for (std::size_t b = bytesPerSample; b-- > 0;)
                *out++ = static_cast<std::uint8_t>(sample >> (8 * b));
        }
        writer.write(row.data(), row.size());
    }
    const std::size_t padding = (FitsBlockLength - writer.size() % FitsBlockLength) % FitsBlockLength;
    const std::vector<std::uint8_t> zeros(padding, 0);
    writer.write(zeros.data(), zeros.size());
    writer.commit();
}

void reportFitFailure(SaveContext& context) {
    context.messages.inform("FIT not SAVED", "An error occured during fitsave");
}

std::tm localNow() {
    const std::time_t now = std::time(nullptr);
    std::tm when{};
    localtime_r(&now, &when);
    return when;
}

}  // namespace

FitSaveResult FitSave(const fs::path& FileName, int Width, int Height, int BitPix, FitSource Source,
                      const FitImages& images, SaveContext& context) {
    if (BitPix != 16 && BitPix != 32 && BitPix != -16)
        throw std::invalid_argument("FitSave: BitPix must be 16, 32 or -16");
    if (Width <= 0 || Height <= 0) throw std::invalid_argument("FitSave: the image is empty");

    const bool specialVariant = BitPix == -16;
    // A name given while master-frame mode was already on is used as it stands.
    const bool keepName = context.MasterFrameMode && !specialVariant;
    if (specialVariant) {
        context.MasterFrameMode = true;
        BitPix = 16;
    }
    const bool masterFrame = context.MasterFrameMode;
    if (!masterFrame && Source == FitSource::Result && BitPix == 32)
        throw std::invalid_argument("FitSave: 32-bit files are written from the stack only");

    std::vector<FitChannel> channels;
    if (images.Colourstack)
        channels = {{0, "_R"}, {1, "_G"}, {2, "_B"}};
    else
        channels = {{1, ""}};

    SampleRule rule{SampleRule::Kind::StackStretched, BitPix};
    if (masterFrame) {
        rule.kind = SampleRule::Kind::MasterFrame;
        rule.factor = specialVariant ? 128.0 : 1.0;
        checkPlanes(images.StackPlanes, channels, Width, Height);
    } else if (Source == FitSource::Result) {
        rule.kind = SampleRule::Kind::Result;
        if (!images.ResultImage16 || !images.ResultImage16->HighBitsAllocated() ||
            images.ResultImage16->width() < Width || images.ResultImage16->height() < Height)
            throw std::invalid_argument("FitSave: the 16-bit result does not cover the image");
    } else {
        checkPlanes(images.StackPlanes, channels, Width, Height);
        stackScale(*images.StackPlanes, channels, Width, Height, rule);
    }

    const int bzero = masterFrame || BitPix == 32 ? 0 : 32768;
    const FitsHeader header = buildFitsHeader(BitPix, Width, Height, bzero, localNow());
    const std::string base = stripExtension(FileName.filename().string());

    FitSaveResult result;
    for (const FitChannel& channel : channels) {
        fs::path target =
            FileName.parent_path() / (base + channel.suffix + (specialVariant ? ".fitk" : ".fit"));
        if (keepName && !images.Colourstack) target = FileName;
        try {
            refuseInputFile(target, context.inputFiles);
            if (!confirmOverwrite(target, " Overwrite existing file ( " + target.string() + " ) ?", context))
                continue;
            writeFitsFile(target, header, rule, Width, Height, channel.plane, images);
            result.written.push_back(target);
        } catch (const FileError&) {
            reportFitFailure(context);
            result.failed = true;
            break;
        }
    }
    return result;
}

}  // namespace kestrave
