// Where a frame lands on the stack whatever order the optimizer and the "Resampling" box came in:
// the shifts are measured in frame pixels, optimized in resampled pixels, and stacked in either.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "stacking/stack_frames.h"
#include "support/optimizer_rig.h"

using namespace kestrave;

namespace {

constexpr int Width = 96;
constexpr int Height = 80;
// The content of frame j is moved by Shifts[j]; frame 0 is the reference.
const std::vector<std::array<int, 2>> Shifts = {{0, 0}, {5, -3}, {-3, 4}, {6, 5}, {-5, -6}, {3, 1}};

// A few soft stars of different brightness around the centre on a black sky.
struct Star {
    double x, y, level;
};
constexpr Star Stars[] = {{48, 40, 220}, {38, 33, 150}, {57, 46, 120}, {44, 50, 90}};

// Their brightness-weighted centre: (27060 / 580, 23770 / 580).
constexpr double StarsCentreX = 27060.0 / 580.0;
constexpr double StarsCentreY = 23770.0 / 580.0;

// The stars moved by (sx, sy).
Bitmap24 starField(int sx, int sy) {
    Bitmap24 picture(Width, Height);
    for (int y = 0; y < Height; ++y)
        for (int x = 0; x < Width; ++x) {
            double v = 0.0;
            for (const Star& s : Stars) {
                const double dx = x - sx - s.x, dy = y - sy - s.y;
                v += s.level * std::exp(-(dx * dx + dy * dy) / (2.0 * 1.6 * 1.6));
            }
            const auto byte = static_cast<std::uint8_t>(std::lrint(std::min(v, 255.0)));
            SetRGBTriple(byte, byte, byte, picture.pixel(x, y));
        }
    return picture;
}

// The frames aligned (each at its true shift), limited and ready to optimize or stack.
struct PlacementBench : test::OptimizerRig<test::MemoryFrameSource> {
    PlacementBench() {
        model->FrameWidth = model->FrameWidthRaw = model->ImageWidth = Width;
        model->FrameHeight = model->FrameHeightRaw = model->ImageHeight = Height;
        model->FramesRanked = true;
        const int count = static_cast<int>(Shifts.size());
        model->usedframes = count;
        for (int j = 0; j < count; ++j) {
            const auto& s = Shifts[static_cast<std::size_t>(j)];
            source.pictures.push_back(starField(s[0], s[1]));
            model->FrameRanking[j].Frame = j;
            model->FrameRanking[j].Key = static_cast<float>(100 - j);
            TFrameRec& rec = model->FrameTable[j];
            rec.Slots[0].X = rec.Slots[0].SavedX = s[0];
            rec.Slots[0].Y = rec.Slots[0].SavedY = s[1];
            rec.Slots[0].Difference = rec.AlignDifference = 1.0f;
            rec.Slots[0].Brightness = 1.0f;
        }
        registration.Image1 = starField(0, 0);
        program.FeatureX = Width / 2;
        program.FeatureY = Height / 2;
        BuildGammaTable(*gamma, 1.0f);
        createImagePlanes(section, DefaultProcessAreaItem, progress, messages);
        options.FFTSize = 32;
        options.lastPosition = count - 1;
        options.search.FastOptim = false;
        options.search.ResampleFactor = 2.0f;
        stackOptions.StackSlider = {count - 1, count - 1};
        stackOptions.ResampleFactor = 2.0f;
    }

    void optimize(bool resampled, float relativeLimit) {
        options.search.Resampled = resampled;
        optimizer.RelativeLimit = relativeLimit;
        Optimize_Alignpoint(context, options);
    }

    // The brightness-weighted centre of frame j stacked alone.
    std::array<double, 2> landing(int j, bool resampled) {
        stackOptions.Resampled = resampled;
        for (int k = 0; k < model->usedframes; ++k) model->FrameTable[k].Excluded = k != j;
        const StackResult result =
            stackFrames(*model, program, section, stackOptions, source, progress, messages);
        EXPECT_EQ(result.outcome, StackOutcome::Stacked);
        double sum = 0.0, sx = 0.0, sy = 0.0;
        for (int x = 0; x < result.ImageWidth; ++x)
            for (int y = 0; y < result.ImageHeight; ++y) {
                const double v = section.StackPlanes[1][x][y];
                sum += v;
                sx += v * x;
                sy += v * y;
            }
        return {sx / sum, sy / sum};
    }

    ImageDataSection section;
    StackOptions stackOptions;
};

}  // namespace

TEST(ResampledPlacement, EveryFrameLandsWhereTheReferenceDoesInEveryOrderOfSteps) {
    // Where the unshifted stars belong: their centre, and at factor 2 (a frame of 96 x 80 pixels
    // enlarged to 191 x 159, end pixel onto end pixel) twice that.
    const std::array<double, 2> plainPlace = {StarsCentreX, StarsCentreY};
    const std::array<double, 2> resampledPlace = {2.0 * StarsCentreX, 2.0 * StarsCentreY};

    struct Order {
        const char* name;
        bool optimize;
        bool optimizeResampled;
        float relativeLimit;  // 0.975 leaves the ranks from 3 on to the alignment's shifts
        bool stackResampled;
    };
    const Order orders[] = {
        {"limit, tick Resampling, stack", false, false, 0.0f, true},
        {"optimize resampled, stack", true, true, 0.0f, true},
        {"optimize resampled, untick Resampling, stack", true, true, 0.0f, false},
        {"optimize resampled with a relative limit, stack", true, true, 0.975f, true},
        {"optimize plain, tick Resampling, stack", true, false, 0.0f, true},
        {"optimize plain, stack", true, false, 0.0f, false},
    };
    for (const Order& order : orders) {
        SCOPED_TRACE(order.name);
        PlacementBench bench;
        if (order.optimize) bench.optimize(order.optimizeResampled, order.relativeLimit);
        const std::array<double, 2> expected = order.stackResampled ? resampledPlace : plainPlace;
        for (int j = 0; j < bench.model->usedframes; ++j) {
            const std::array<double, 2> at = bench.landing(j, order.stackResampled);
            EXPECT_NEAR(at[0], expected[0], 0.5) << "frame " << j;
            EXPECT_NEAR(at[1], expected[1], 0.5) << "frame " << j;
        }
    }
}
