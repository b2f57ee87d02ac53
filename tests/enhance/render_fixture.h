#pragma once
// A wavelet page in memory for the render and "Do All" tests: an image data section with its
// 16-bit result image, the lookup tables at their start-up values, the processed and stack
// views, and the options at their design defaults.

#include <memory>
#include <string>

#include "enhance/render.h"
#include "enhance/wavelet_filter.h"
#include "enhance/wavelet_options.h"
#include "platform/progress_port.h"
#include "test_image.h"

namespace kestrave::test {

struct RenderFixture {
    // The processing area covers the whole image unless given.
    RenderFixture(int width, int height) : RenderFixture(width, height, 0, 0, width, height) {}
    RenderFixture(int width, int height, int areaX, int areaY, int areaWidth, int areaHeight);

    RenderContext context() {
        return {image.section, image.width, image.height, state, GammaTable, *tones, stack, ProcessImage};
    }
    ImageDataSection& section() { return image.section; }

    // The stack view: the stack's green (or red, green, blue) values as bytes, and × 255 as its
    // 16-bit samples.
    void makeStackView();
    // "Process": the stack view shown, the working image composed and decomposed, one pass.
    DisplayHistograms process();
    DisplayHistograms render();

    // The 16-bit sample of channel c (0 red, 1 green, 2 blue) at (x, y).
    int sample16(int x, int y, int c) const { return image.section.ResultImage16.HighBitRow(y)[3 * x + c]; }
    // The processed view's byte of channel c (0 red, 1 green, 2 blue) at (x, y).
    int shown(int x, int y, int c) const { return ProcessImage.pixel(x, y)[2 - c]; }
    // Processed view and 16-bit result as bytes, for bit-exact comparisons.
    std::string viewBytes() const;
    std::string resultBytes() const;

    TestImage image;
    ProgramState state;
    GammaTableArray GammaTable{};
    std::unique_ptr<ToneTables> tones = std::make_unique<ToneTables>();
    StackFacts stack;
    Bitmap24 ProcessImage;
    TTIFFBitMap Stackimage;
    WaveletFilter filter;
    WaveletProcessOptions wavelet;
    RenderOptions options;
    NullProgress progress;
};

}  // namespace kestrave::test
