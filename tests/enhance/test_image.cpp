#include "test_image.h"

#include <algorithm>

namespace kestrave::test {

TestImage::TestImage(int width_, int height_, int areaX, int areaY, int areaWidth, int areaHeight)
    : width(width_), height(height_) {
    const int xCount = width + SectionPlaneMargin;
    const int yCount = height + SectionPlaneMargin;
    for (int c = 0; c < 3; ++c) {
        section.StackPlanes[c] = T2dArrays(yCount, xCount);
        section.WorkPlanes[c] = T2dArrays(yCount, xCount);
    }
    section.LumPlane = T2dArrays(yCount, xCount);
    section.ScratchPlane = T2dArrays(yCount, xCount);
    section.StackWeightPlane = T2dArrays(yCount, xCount);
    section.AllocWidth = width;
    section.AllocHeight = height;
    section.ProcessAreaSize = std::max(areaWidth, areaHeight);
    section.ProcessAreaX = areaX;
    section.ProcessAreaY = areaY;
    section.ProcessAreaWidth = areaWidth;
    section.ProcessAreaHeight = areaHeight;
    const int side = section.ProcessAreaSize + StartupLayerMargin;
    for (auto& layer : section.LayerPlanes) {
        for (auto& plane : layer) plane = T2dArrays(side, side);
    }
}

void TestImage::fillRandom(T2dArrays& plane, unsigned seed) const {
    std::mt19937 random(seed);
    std::uniform_real_distribution<float> value(0.0f, 255.0f);
    for (int x = 0; x < width; ++x) {
        for (int y = 0; y < height; ++y) plane[x][y] = value(random);
    }
}

void TestImage::fill(T2dArrays& plane, float value) {
    std::fill(plane.data(), plane.data() + plane.cellCount(), value);
}

std::string TestImage::bytes(const T2dArrays& plane) {
    return {reinterpret_cast<const char*>(plane.data()), plane.cellCount() * sizeof(float)};
}

}  // namespace kestrave::test
