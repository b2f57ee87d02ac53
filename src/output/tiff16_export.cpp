#include "output/tiff16_export.h"

#include <algorithm>
#include <cstdint>
#include <stdexcept>

#include "output/sample_rounding.h"
#include "platform/parallel.h"

namespace kestrave {

namespace {

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
                      [scale](float v) { return roundToSample<std::uint16_t>(v * scale); });
}

void SaveStackTIFF16(const std::filesystem::path& FileName, int Width, int Height, const PlaneTriple& StackPlanes,
                     bool Colourstack) {
    TTIFFBitMap::SaveToTIFF(stackTIFF16Image(StackPlanes, Width, Height, Colourstack), FileName, 48, false);
}

TTIFFBitMap stackRender16(const PlaneTriple& StackPlanes, int Width, int Height, bool Colourstack,
                          float StackMinValue, float StackMaxValue) {
    const double min = StackMinValue;
    const double scale = 255.0 / (static_cast<double>(StackMaxValue) - min + 1e-6);
    return planesTo16(StackPlanes, Width, Height, Colourstack, [min, scale](float v) {
        return roundToSample<std::uint16_t>((v - min) * scale * 255.0);
    });
}

TTIFFBitMap cropHighBits(const TTIFFBitMap& image, int Width, int Height) {
    if (!image.HighBitsAllocated() || image.width() < Width || image.height() < Height || Width <= 0 ||
        Height <= 0)
        throw std::invalid_argument("the 16-bit image does not cover the saved size");
    TTIFFBitMap crop(Width, Height);
    crop.allocateHighBits();
    for (int y = 0; y < Height; ++y) std::copy_n(image.HighBitRow(y), crop.samplesPerRow(), crop.HighBitRow(y));
    return crop;
}

}  // namespace kestrave
