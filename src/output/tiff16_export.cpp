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

// One colour of the final export on the 0..255 scale, adjusted like the final page's picture and
// returned as R, G, B on 0..255. A grey has no saturation and hue 0, as on the screen, so the
// hue and lightness offsets leave it grey (only a saturation offset colours it); a colour left
// without saturation has no hue to convert back and becomes the grey of its value.
void adjustedRgb(float r, float g, float b, const FinalSettings& settings, float rgb[3]) {
    FinalHsv hsv;
    RGBtoHSV(r, g, b, hsv.H, hsv.S, hsv.V);
    hsv.S *= 255.0f;
    hsv = adjustFinalColour(hsv, settings);
    const float s = hsv.S * 0.00392156862745098f;
    rgb[0] = rgb[1] = rgb[2] = hsv.V;
    if (s != 0.0f) HSVtoRGB(hsv.H, s, hsv.V, rgb[0], rgb[1], rgb[2]);
}

void checkFinalSource(const TTIFFBitMap& ResultImage16, int Width, int Height,
                      const FinalSettings& settings) {
    checkFinalTables(settings);
    if (!ResultImage16.HighBitsAllocated() || ResultImage16.width() < Width ||
        ResultImage16.height() < Height || Width <= 0 || Height <= 0)
        throw std::invalid_argument("the 16-bit result does not cover the final image");
}

// A Width x Height 16-bit image whose pixel (x, y), mirrored by the flips, is pixelAt(x, y, out).
template <class PixelAt>
TTIFFBitMap finalImage16(int Width, int Height, const FinalSettings& settings, PixelAt pixelAt) {
    TTIFFBitMap image(Width, Height);
    image.allocateHighBits();
    parallelFor(0, Height, [&](std::ptrdiff_t row) {
        const int y = static_cast<int>(row);
        std::uint16_t* out = image.HighBitRow(settings.FlipY ? Height - 1 - y : y);
        for (int x = 0; x < Width; ++x) pixelAt(x, y, out + 3 * (settings.FlipX ? Width - 1 - x : x));
    });
    return image;
}

}  // namespace

TTIFFBitMap finalTIFF16Image(const TTIFFBitMap& ResultImage16, int Width, int Height,
                             const FinalSettings& settings) {
    checkFinalSource(ResultImage16, Width, Height, settings);
    return finalImage16(Width, Height, settings, [&](int x, int y, std::uint16_t* out) {
        const std::uint16_t* in = ResultImage16.HighBitRow(y) + 3 * x;
        float rgb[3];
        adjustedRgb(in[0] / 256.0f, in[1] / 256.0f, in[2] / 256.0f, settings, rgb);
        for (int c = 0; c < 3; ++c) out[c] = sample16(rgb[c] * 255.0);
    });
}

TTIFFBitMap rotatedFinalTIFF16Image(const TTIFFBitMap& ResultImage16, int Width, int Height,
                                    const FinalSettings& settings) {
    checkFinalSource(ResultImage16, Width, Height, settings);
    const RotationMap map = finalRotation(settings, Width, Height, Width, Height);
    return finalImage16(Width, Height, settings, [&](int x, int y, std::uint16_t* out) {
        double sum[3] = {0.0, 0.0, 0.0};
        BilinearTap tap;
        if (map.tap(x, y, tap)) {
            for (int c = 0; c < 3; ++c)
                sum[c] =
                    tap.sum([&](int sx, int sy) { return double(ResultImage16.HighBitRow(sy)[3 * sx + c]); });
        }
        float rgb[3];
        adjustedRgb(static_cast<float>(sum[0] / 256.0), static_cast<float>(sum[1] / 256.0),
                    static_cast<float>(sum[2] / 256.0), settings, rgb);
        // This export keeps 256 per level where the unturned one uses 255.
        for (int c = 0; c < 3; ++c) out[c] = sample16(rgb[c] * 256.0);
    });
}

void SaveFinalTIFF16(const std::filesystem::path& FileName, const TTIFFBitMap& ResultImage16, int Width,
                     int Height, const FinalSettings& settings) {
    TTIFFBitMap::SaveToTIFF(finalTIFF16Image(ResultImage16, Width, Height, settings), FileName, 48, false);
}

void SaveRotatedFinalTiff16(const std::filesystem::path& FileName, const TTIFFBitMap& ResultImage16,
                            int Width, int Height, const FinalSettings& settings) {
    if (!isTurned(settings.Angle)) {
        SaveFinalTIFF16(FileName, ResultImage16, Width, Height, settings);
        return;
    }
    TTIFFBitMap::SaveToTIFF(rotatedFinalTIFF16Image(ResultImage16, Width, Height, settings), FileName, 48,
                            false);
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
