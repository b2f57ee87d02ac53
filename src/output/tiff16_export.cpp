#include "output/tiff16_export.h"

#include <algorithm>
#include <cstdint>
#include <stdexcept>

#include "enhance/clamped_round.h"
#include "enhance/colour_conversions.h"
#include "platform/parallel.h"

namespace kestrave {

namespace {

std::uint16_t sample16(double value) {
    return static_cast<std::uint16_t>(clampedRound(value, 0, 65535));
}

// The planes that give red, green and blue: the green (mono) plane for all three in a mono stack.
std::array<const T2dArrays*, 3> rgbPlanes(const PlaneTriple& planes, bool colour) {
    if (colour) return {&planes[0], &planes[1], &planes[2]};
    return {&planes[1], &planes[1], &planes[1]};
}

void checkCover(const std::array<const T2dArrays*, 3>& planes, int width, int height) {
    if (width <= 0 || height <= 0) throw std::invalid_argument("an empty image cannot be exported");
    for (const T2dArrays* plane : planes) {
        if (plane->xCount() < width || plane->yCount() < height)
            throw std::invalid_argument("the stack planes do not cover the exported image");
    }
}

// A Width x Height image whose samples are sampleOf(plane value) for red, green and blue.
template <class SampleOf>
TTIFFBitMap planesTo16(const PlaneTriple& planes, int width, int height, bool colour, SampleOf sampleOf) {
    const auto rgb = rgbPlanes(planes, colour);
    checkCover(rgb, width, height);
    TTIFFBitMap image(width, height);
    image.allocateHighBits();
    parallelFor(0, height, [&](std::ptrdiff_t row) {
        const int y = static_cast<int>(row);
        std::uint16_t* out = image.HighBitRow(y);
        for (int x = 0; x < width; ++x) {
            for (int c = 0; c < 3; ++c) *out++ = sampleOf((*rgb[static_cast<std::size_t>(c)])[x][y]);
        }
    });
    return image;
}

}  // namespace

TTIFFBitMap stackTIFF16Image(const PlaneTriple& StackPlanes, int Width, int Height, bool Colourstack) {
    const auto rgb = rgbPlanes(StackPlanes, Colourstack);
    checkCover(rgb, Width, Height);
    float max = (*rgb[0])[0][0];
    for (const T2dArrays* plane : rgb) {
        for (int x = 0; x < Width; ++x) {
            const float* column = (*plane)[x];
            for (int y = 0; y < Height; ++y) max = std::max(max, column[y]);
        }
    }
    const double scale = 65535.0 / (max > 0.0f ? max : 1.0f);
    return planesTo16(StackPlanes, Width, Height, Colourstack,
                      [scale](float v) { return sample16(v * scale); });
}

void SaveStackTIFF16(const std::filesystem::path& FileName, int Width, int Height,
                     const PlaneTriple& StackPlanes, bool Colourstack) {
    TTIFFBitMap::SaveToTIFF(stackTIFF16Image(StackPlanes, Width, Height, Colourstack), FileName, 48, false);
}

TTIFFBitMap stackRender16(const PlaneTriple& StackPlanes, int Width, int Height, bool Colourstack,
                          float StackMinValue, float StackMaxValue) {
    const double min = StackMinValue;
    const double scale = 255.0 / (static_cast<double>(StackMaxValue) - min + 1e-6);
    return planesTo16(StackPlanes, Width, Height, Colourstack,
                      [min, scale](float v) { return sample16((v - min) * scale * 255.0); });
}

namespace {

constexpr std::size_t CurveTableSize = 3601;

// One pixel of the final export: the 16-bit samples in, the adjusted 16-bit samples out.
void adjustPixel(const std::uint16_t* in, std::uint16_t* out, const FinalTiffSettings& settings) {
    float h = 0, s = 0, v = 0;
    // The 0.01 keeps a grey pixel's saturation above zero, so its hue stays defined.
    RGBtoHSV(in[0] / 256.0f + 0.01f, in[1] / 256.0f, in[2] / 256.0f, h, s, v);
    s *= 255.0f;
    if (h >= 0.0f && h <= 360.0f) {
        const auto k = static_cast<std::size_t>(std::nearbyint(h * 10.0f));
        h = std::clamp(h + static_cast<float>(settings.H0) + 2.0f * settings.HueCurveTable[k], 0.0f, 360.0f);
        s = std::clamp(s + static_cast<float>(settings.S0) + 2.0f * settings.SatCurveTable[k], 0.0f, 255.0f);
        v = std::clamp(v + static_cast<float>(settings.L0) + 2.0f * settings.LightCurveTable[k], 0.0f,
                       255.0f);
    } else {
        h = 0.0f;
        s = 1.0f;
        v = 0.0f;
    }
    s *= 0.00392156862745098f;
    float rgb[3] = {v, v, v};
    // Without saturation the way back refuses a hue: such a colour is the grey of its value.
    if (s != 0.0f) HSVtoRGB(h, s, v, rgb[0], rgb[1], rgb[2]);
    for (int c = 0; c < 3; ++c) out[c] = sample16(rgb[c] * 255.0);
}

}  // namespace

TTIFFBitMap finalTIFF16Image(const TTIFFBitMap& ResultImage16, int Width, int Height,
                             const FinalTiffSettings& settings) {
    if (settings.SatCurveTable.size() < CurveTableSize || settings.HueCurveTable.size() < CurveTableSize ||
        settings.LightCurveTable.size() < CurveTableSize)
        throw std::invalid_argument("the colour curve tables need 3601 entries");
    if (!ResultImage16.HighBitsAllocated() || ResultImage16.width() < Width ||
        ResultImage16.height() < Height || Width <= 0 || Height <= 0)
        throw std::invalid_argument("the 16-bit result does not cover the final image");
    TTIFFBitMap image(Width, Height);
    image.allocateHighBits();
    parallelFor(0, Height, [&](std::ptrdiff_t row) {
        const int y = static_cast<int>(row);
        const std::uint16_t* in = ResultImage16.HighBitRow(y);
        std::uint16_t* out = image.HighBitRow(settings.FlipY ? Height - 1 - y : y);
        for (int x = 0; x < Width; ++x)
            adjustPixel(in + 3 * x, out + 3 * (settings.FlipX ? Width - 1 - x : x), settings);
    });
    return image;
}

void SaveFinalTIFF16(const std::filesystem::path& FileName, const TTIFFBitMap& ResultImage16, int Width,
                     int Height, const FinalTiffSettings& settings) {
    TTIFFBitMap::SaveToTIFF(finalTIFF16Image(ResultImage16, Width, Height, settings), FileName, 48, false);
}

TTIFFBitMap cropHighBits(const TTIFFBitMap& image, int Width, int Height) {
    if (!image.HighBitsAllocated() || image.width() < Width || image.height() < Height || Width <= 0 ||
        Height <= 0)
        throw std::invalid_argument("the 16-bit image does not cover the saved size");
    TTIFFBitMap crop(Width, Height);
    crop.allocateHighBits();
    for (int y = 0; y < Height; ++y)
        std::copy_n(image.HighBitRow(y), crop.samplesPerRow(), crop.HighBitRow(y));
    return crop;
}

}  // namespace kestrave
