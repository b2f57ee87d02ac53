// The render pass over a 2048² processing area (monochrome and colour) and "Do All" over a 4096²
// monochrome stack with a 512² and a 2048² area, on one thread and on all of them.

#include <benchmark/benchmark.h>

#include <memory>
#include <random>

#include "enhance/channel_composition.h"
#include "enhance/do_all.h"
#include "enhance/render.h"
#include "enhance/wavelet_decomposition.h"
#include "platform/parallel.h"
#include "support/thread_count_scope.h"

namespace {

using namespace kestrave;

// Everything one wavelet page needs, allocated once per image size.
struct Page {
    Page(int imageSide, int areaSide, int channels) : side(imageSide) {
        const int cells = side + SectionPlaneMargin;
        for (int c = 0; c < 3; ++c) {
            if (channels == 1 && c != 1) continue;
            section.StackPlanes[c] = T2dArrays(cells, cells);
            section.WorkPlanes[c] = T2dArrays(cells, cells);
            for (auto& layer : section.LayerPlanes) layer[c] = T2dArrays(areaSide, areaSide);
            std::mt19937 random(c + 1);
            std::uniform_real_distribution<float> value(0.0f, 255.0f);
            for (int x = 0; x < side; ++x) {
                for (int y = 0; y < side; ++y) section.StackPlanes[c][x][y] = value(random);
            }
        }
        section.ScratchPlane = T2dArrays(cells, cells);
        section.ResultImage16 = TTIFFBitMap(side + 1, side + 1);
        section.ResultImage16.allocateHighBits();
        section.AllocWidth = section.AllocHeight = side;
        section.ProcessAreaSize = section.ProcessAreaWidth = section.ProcessAreaHeight = areaSide;
        section.ProcessAreaX = section.ProcessAreaY = (side - areaSide) / 2;
        BuildGammaTable(GammaTable, 1.0f);
        Stackimage.resize(side, side);
        Stackimage.allocateHighBits();
        wavelet.Colourstack = channels == 3;
        options.layerSlider = {30, 20, 15, 10, 10, 10};
        ApplyRGBShift(section, side, side, state, wavelet);
        for (int n = 1; n <= WaveletLayerCount; ++n)
            ComputeWaveletLayer(section, side, side, filter, wavelet, n);
    }

    RenderContext context() { return {section, side, side, state, GammaTable, *tones, {}, ProcessImage}; }

    int side;
    ImageDataSection section;
    ProgramState state;
    GammaTableArray GammaTable{};
    std::unique_ptr<ToneTables> tones = std::make_unique<ToneTables>();
    Bitmap24 ProcessImage;
    TTIFFBitMap Stackimage;
    WaveletFilter filter;
    WaveletProcessOptions wavelet;
    RenderOptions options;
};

// Argument 0: threads (0 = all cores); argument 1: 1 monochrome, 3 colour.
void BM_Render2048(benchmark::State& state) {
    static std::unique_ptr<Page> pages[4];
    const auto channels = static_cast<int>(state.range(1));
    auto& page = pages[channels];
    if (!page) page = std::make_unique<Page>(2048, 2048, channels);
    const kestrave::test::ThreadCountScope threads(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        RenderContext context = page->context();
        benchmark::DoNotOptimize(renderPass(context, page->wavelet, page->options));
    }
    state.counters["threads"] = threadCount();
}
BENCHMARK(BM_Render2048)
    ->ArgsProduct({{1, 0}, {1, 3}})
    ->ArgNames({"threads", "channels"})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// Argument 0: threads (0 = all cores); argument 1: the processing area, 512 (81 tiles of step
// 500) or 2048 (9 tiles of step 2036).
void BM_DoAll4096(benchmark::State& state) {
    static std::unique_ptr<Page> pages[2];
    const auto area = static_cast<int>(state.range(1));
    auto& page = pages[area == 2048 ? 1 : 0];
    if (!page) page = std::make_unique<Page>(4096, area, 1);
    const kestrave::test::ThreadCountScope threads(static_cast<int>(state.range(0)));
    NullProgress progress;
    for (auto _ : state) {
        RenderContext context = page->context();
        const DoAllResult result = processWholeImage(context, page->filter, page->wavelet, page->options,
                                                     page->Stackimage, false, progress);
        benchmark::DoNotOptimize(result.tilesProcessed);
    }
    state.counters["threads"] = threadCount();
}
BENCHMARK(BM_DoAll4096)
    ->ArgsProduct({{1, 0}, {512, 2048}})
    ->ArgNames({"threads", "area"})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
