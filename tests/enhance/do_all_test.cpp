// "Do All": the tile plan, equality with "Process" for an image inside the area, seamless tiles,
// tiles that read nothing beyond their reach, thread independence, cancel and refusal, and a
// flat picture that stays flat to its border.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <random>

#include "enhance/do_all.h"
#include "enhance/final_image.h"
#include "enhance/wavelet_decomposition.h"
#include "render_fixture.h"

using namespace kestrave;
using kestrave::test::RenderFixture;
using kestrave::test::TestImage;
using kestrave::test::ThreadCountScope;

namespace {

// Smooth structure with seeded fine texture, so that boosted fine layers change every pixel.
void fillTextured(TestImage& image, T2dArrays& plane, unsigned seed) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<float> noise(-15.0f, 15.0f);
    for (int x = 0; x < image.width; ++x) {
        for (int y = 0; y < image.height; ++y) {
            plane[x][y] = 120.0f + 60.0f * std::sin(x / 17.0f + seed) * std::cos(y / 23.0f) + noise(random);
        }
    }
}

void prepare(RenderFixture& f, bool colour) {
    f.wavelet.Colourstack = colour;
    for (int c = 0; c < 3; ++c) fillTextured(f.image, f.section().StackPlanes[c], 3 + c);
    f.options.layerSlider = {30, 20, 15, 12, 8, 10};
    f.makeStackView();
}

DoAllResult doAll(RenderFixture& f, bool Showprocessingarea = true,
                  const std::function<void()>& tileShown = {}) {
    RenderContext context = f.context();
    return processWholeImage(context, f.filter, f.wavelet, f.options, f.Stackimage, Showprocessingarea,
                             f.progress, tileShown);
}

std::string planeBytes(const RenderFixture& f) {
    std::string bytes;
    for (const auto& layer : f.image.section.LayerPlanes) {
        for (const T2dArrays& plane : layer) bytes += TestImage::bytes(plane);
    }
    for (const T2dArrays& plane : f.image.section.WorkPlanes) bytes += TestImage::bytes(plane);
    return bytes;
}

}  // namespace

TEST(TilePlan, StepsAndCountsFollowTheOverlap) {
    const WaveletStepOptions fine{TWaveletScheme::Linear, 1.0, 0.0};
    TilePlan plan = tilePlan(1000, 1000, 512, 512, fine);
    EXPECT_EQ(plan.overlap, 6);
    EXPECT_EQ(plan.stepX, 500);
    EXPECT_EQ(plan.nx, 2);
    EXPECT_EQ(plan.ny, 2);
    ASSERT_EQ(plan.tileCount(), 9);
    EXPECT_EQ(plan.origin(0).x, 0);
    EXPECT_EQ(plan.origin(2).x, 1000);
    EXPECT_EQ(plan.origin(2).y, 0);
    EXPECT_EQ(plan.origin(5).x, 1000);  // row-major
    EXPECT_EQ(plan.origin(5).y, 500);
    EXPECT_EQ(plan.origin(8).y, 1000);

    plan = tilePlan(1000, 700, 128, 128, {TWaveletScheme::Linear, 1.0, 5.0});
    EXPECT_EQ(plan.overlap, 31);
    EXPECT_EQ(plan.stepX, 66);
    EXPECT_EQ(plan.nx, 15);
    EXPECT_EQ(plan.ny, 10);
    // The dyadic scheme still takes the overlap from the step controls.
    EXPECT_EQ(tilePlan(1000, 1000, 512, 512, {TWaveletScheme::Dyadic, 1.0, 0.0}).overlap, 6);

    // An area as large as the image: one tile, whatever the step (which is never divided by).
    plan = tilePlan(300, 200, 300, 200, fine);
    EXPECT_EQ(plan.tileCount(), 1);
    EXPECT_EQ(tilePlan(10, 10, 10, 10, fine).tileCount(), 1);
    EXPECT_EQ(tilePlan(1000, 100, 128, 128, fine).ny, 0);

    // No room between the overlaps: a step of 0 or less is refused.
    EXPECT_THROW(tilePlan(1000, 1000, 128, 128, {TWaveletScheme::Linear, 32.0, 32.0}), DoAllError);
    EXPECT_THROW(tilePlan(100, 100, 12, 12, fine), DoAllError);
}

TEST(DoAll, OnAnImageInsideTheAreaEqualsProcess) {
    RenderFixture processed(120, 90);
    RenderFixture whole(120, 90);
    for (RenderFixture* f : {&processed, &whole}) {
        prepare(*f, true);
        f->state.RedShiftX = 3;
        f->state.BlueShiftY = -2;
    }
    processed.process();
    whole.ProcessImage.resize(120, 90);
    whole.ProcessImage.fill(9, 9, 9);
    const DoAllResult result = doAll(whole);
    EXPECT_EQ(result.tilesProcessed, 1);
    EXPECT_EQ(whole.viewBytes(), processed.viewBytes());
    EXPECT_EQ(whole.resultBytes(), processed.resultBytes());
    EXPECT_EQ(planeBytes(whole), planeBytes(processed));
    EXPECT_FALSE(result.cancelled);
    EXPECT_TRUE(whole.state.DoAllDone);
    EXPECT_TRUE(whole.state.WholeImageArea);
    EXPECT_FALSE(whole.state.LayersDirty);
    EXPECT_TRUE(whole.state.showProcessingArea);
    EXPECT_EQ(whole.progress.status(2), "Do_all processing finished");
}

TEST(DoAll, TilesMeetWithoutSeams) {
    // The design kernel reaches one step per layer; a 5 × 5 mean reaches two, so its coarse
    // layers near a tile edge differ slightly from the whole-image layers.
    KernelSpins mean;
    mean.fill(1);
    for (const KernelSpins& spins : {defaultKernelSpins(), mean}) {
        RenderFixture reference(300, 260);
        RenderFixture tiled(300, 260, 86, 66, 128, 128);
        for (RenderFixture* f : {&reference, &tiled}) {
            prepare(*f, false);
            SetWaveletKernel(f->filter, spins);
        }
        reference.process();
        const DoAllResult result = doAll(tiled);
        EXPECT_EQ(result.tilesProcessed, 9);  // steps of 116: 3 × 3 tiles inside the image
        EXPECT_EQ(tiled.section().ProcessAreaX, 86);
        EXPECT_EQ(tiled.section().ProcessAreaY, 66);

        int worst = 0;
        int differing = 0;
        int changed = 0;
        for (int y = 0; y < 260; ++y) {
            for (int x = 0; x < 300; ++x) {
                const int d = std::abs(tiled.sample16(x, y, 1) - reference.sample16(x, y, 1));
                worst = std::max(worst, d);
                if (d != 0) ++differing;
                if (tiled.shown(x, y, 1) != tiled.Stackimage.pixel(x, y)[1]) ++changed;
            }
        }
        // Below one grey level: at most a value that rounds the other way, at few pixels.
        EXPECT_LE(worst, 255);
        EXPECT_LT(differing, 300 * 260 / 1000);
        EXPECT_GT(changed, 300 * 260 * 9 / 10);  // the boosted layers changed nearly every pixel
    }
}

TEST(DoAll, TilesReadNothingBeyondTheirReach) {
    // Working planes full of a huge value before the run: a tile that read beyond what it
    // composed would show it.
    auto run = [](bool lrgb, float stale) {
        RenderFixture f(230, 170, 40, 30, 128, 128);
        prepare(f, true);
        f.wavelet.LRGB2 = lrgb;
        f.state.RedShiftX = -4;
        f.state.BlueShiftY = 5;
        if (lrgb) {
            f.wavelet.Convolvemethod = TConvolveMethod::Gaussian;
            BuildGaussianLayers(f.filter, 0.1f, {0.6f, 0.6f, 0.6f, 0.6f, 0.6f, 0.6f});
        } else {
            f.wavelet.steps = {TWaveletScheme::Linear, 2.0, 1.0};  // reach 2 × 7
        }
        for (T2dArrays& plane : f.section().WorkPlanes) TestImage::fill(plane, stale);
        doAll(f);
        return f.viewBytes() + f.resultBytes();
    };
    for (const bool lrgb : {false, true}) {
        EXPECT_TRUE(run(lrgb, 0.0f) == run(lrgb, 1e6f)) << (lrgb ? "LRGB, Gaussian" : "colour, 5 x 5");
    }
}

TEST(DoAll, ResultsAreIdenticalOnOneThreadAndOnEight) {
    auto run = [](int threads) {
        ThreadCountScope scope(threads);
        RenderFixture f(250, 180, 60, 20, 128, 128);
        prepare(f, true);
        f.state.RedShiftY = 2;
        doAll(f);
        return f.viewBytes() + f.resultBytes() + planeBytes(f);
    };
    EXPECT_TRUE(run(1) == run(8));
}

TEST(DoAll, CancelKeepsTheFlagForTheCallerAndTheRestShowsTheStack) {
    RenderFixture f(400, 300, 250, 150, 128, 128);  // 4 × 3 tiles of step 116
    prepare(f, false);
    f.progress.setCancelRequested(true);  // an old request: cleared at the start
    f.state.WholeImageArea = false;
    int tilesSeen = 0;
    f.progress.onPoll = [&tilesSeen](NullProgress& progress) {
        if (++tilesSeen == 3) progress.setCancelRequested(true);
    };
    int repaints = 0;
    const DoAllResult result = doAll(f, false, [&repaints] { ++repaints; });
    EXPECT_TRUE(result.cancelled);
    EXPECT_EQ(result.tilesProcessed, 3);
    EXPECT_EQ(repaints, 3) << "the view is repainted after each tile";
    EXPECT_TRUE(f.progress.cancelRequested());
    EXPECT_EQ(f.section().ProcessAreaX, 250);
    EXPECT_EQ(f.section().ProcessAreaY, 150);
    EXPECT_FALSE(f.state.DoAllDone);
    EXPECT_FALSE(f.state.WholeImageArea);  // the saver must still offer Do All
    EXPECT_FALSE(f.state.showProcessingArea);
    EXPECT_EQ(f.progress.status(2), "Do_all processing cancelled");
    EXPECT_EQ(f.progress.maximum(), 12);

    // The third tile (origin 232, 0) is processed; the first tile of the second row is not, and
    // there the 16-bit result holds the stack's samples, as the view shows the stack.
    auto processed = [&f](int x, int y) { return f.shown(x, y, 1) != f.Stackimage.pixel(x, y)[1]; };
    auto stackSample = [&f](int x, int y) {
        return f.sample16(x, y, 1) == f.Stackimage.HighBitRow(y)[3 * x + 1];
    };
    int done = 0;
    int untouched = 0;
    for (int y = 10; y < 100; ++y) {
        for (int x = 240; x < 340; ++x) done += processed(x, y);
        for (int x = 10; x < 100; ++x) untouched += !processed(x, y + 125) && stackSample(x, y + 125);
    }
    EXPECT_GT(done, 90 * 100 * 9 / 10);
    EXPECT_EQ(untouched, 90 * 90);
}

TEST(DoAll, RefusalsAndFailuresLeaveTheUserAreaAndFlags) {
    RenderFixture f(100, 100, 20, 20, 12, 12);
    prepare(f, false);
    f.ProcessImage.resize(100, 100);
    f.ProcessImage.fill(9, 9, 9);
    const std::string before = f.viewBytes();
    EXPECT_THROW(doAll(f), DoAllError);
    EXPECT_EQ(f.viewBytes(), before);
    EXPECT_FALSE(f.state.WholeImageArea);
    EXPECT_EQ(f.section().ProcessAreaX, 20);

    // Planes that do not fit stop the run in its first tile: the user's area and the flags
    // come back.
    RenderFixture g(300, 200, 100, 50, 128, 128);
    prepare(g, false);
    g.section().ResultImage16.releaseHighBits();
    EXPECT_THROW(doAll(g, true), WaveletError);
    EXPECT_EQ(g.section().ProcessAreaX, 100);
    EXPECT_EQ(g.section().ProcessAreaY, 50);
    EXPECT_FALSE(g.state.WholeImageArea);
    EXPECT_FALSE(g.state.DoAllDone);
    EXPECT_TRUE(g.state.showProcessingArea);
}

TEST(DoAll, FlatPictureStaysFlatToItsBorderWhicheverLayerIsRaised) {
    // A frame of different pixels round a flat picture would turn into a line across it on the
    // final page's turn.
    const std::vector<float> noCurve(HueCurveTableSize, 0.0f);
    FinalSettings turn;
    turn.Angle = 30.0;
    turn.SatCurveTable = turn.HueCurveTable = turn.LightCurveTable = noCurve;
    for (const auto method : {TConvolveMethod::Default, TConvolveMethod::Gaussian}) {
        for (int n = 0; n < WaveletLayerCount; ++n) {
            RenderFixture whole(200, 150);
            RenderFixture tiled(200, 150, 40, 30, 64, 64);
            for (RenderFixture* f : {&whole, &tiled}) {
                TestImage::fill(f->section().StackPlanes[1], 90.0f);
                f->makeStackView();
                f->wavelet.Convolvemethod = method;
                f->wavelet.steps = {TWaveletScheme::Dyadic, 1.0, 0.0};
                f->options.layerSlider[static_cast<std::size_t>(n)] = 400;
            }
            whole.process();
            doAll(tiled);
            for (RenderFixture* f : {&whole, &tiled}) {
                const int inner = f->sample16(100, 75, 1);
                int worst = 0;
                for (int y = 0; y < 150; ++y)
                    for (int x = 0; x < 200; ++x)
                        worst = std::max(worst, std::abs(f->sample16(x, y, 1) - inner));
                EXPECT_EQ(worst, 0) << "layer " << n + 1 << (f == &whole ? ", processed" : ", Do All");
                // Turned, the picture holds the flat grey and the black corners, nothing brighter.
                const FinalPicture turned = renderFinal(f->section().ResultImage16, 200, 150, turn);
                int brightest = 0;
                for (int y = 0; y < 150; ++y)
                    for (int x = 0; x < 200; ++x)
                        brightest = std::max<int>(brightest, turned.image.pixel(x, y)[1]);
                EXPECT_LE(brightest, f->shown(100, 75, 1)) << "layer " << n + 1;
            }
        }
    }
}
