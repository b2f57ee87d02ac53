#pragma once
// Image data sections built in memory for the enhancement tests: planes with the usual margin of
// 10 around a W × H image, and layer planes over a chosen processing area.

#include <random>
#include <string>

#include "frames/image_data_section.h"
#include "support/thread_count_scope.h"

namespace kestrave::test {

struct TestImage {
    // The processing area covers the whole image unless given.
    TestImage(int width, int height) : TestImage(width, height, 0, 0, width, height) {}
    TestImage(int width, int height, int areaX, int areaY, int areaWidth, int areaHeight);

    // Fills plane cells of the image (not the margin) with seeded values in 0..255.
    void fillRandom(T2dArrays& plane, unsigned seed) const;
    // Fills every cell of the plane, margin included.
    static void fill(T2dArrays& plane, float value);
    // The plane's cells as bytes, for bit-exact comparisons.
    static std::string bytes(const T2dArrays& plane);

    ImageDataSection section;
    int width;
    int height;
};

}  // namespace kestrave::test
