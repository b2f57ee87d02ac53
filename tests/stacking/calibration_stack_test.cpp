// Dark frames and flat fields loaded from files and used by stacking: a frame of the frames'
// size is taken off them, one of another size (loaded after the frames were aligned, when the
// alignment's size check has already run) is switched off with a word before anything reads it.

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "frames/calibration_frames.h"
#include "stack_test_support.h"
#include "support/temp_dir.h"

namespace kestrave {
namespace {

using test::makePlane;
using test::StackBench;

// A special FITS file (BITPIX 16, no BZERO) of width x height whose every sample is `sample`.
void writeSpecialFits(const std::filesystem::path& file, int width, int height, int sample) {
    std::string bytes;
    const auto card = [&bytes](const char* key, const std::string& value) {
        char text[81];
        std::snprintf(text, sizeof text, "%-8s= %20s", key, value.c_str());
        bytes += std::string(text).append(80 - std::string(text).size(), ' ');
    };
    card("SIMPLE", "T");
    card("BITPIX", "16");
    card("NAXIS", "2");
    card("NAXIS1", std::to_string(width));
    card("NAXIS2", std::to_string(height));
    bytes += std::string("END").append(77, ' ');
    bytes.resize(2880, ' ');
    for (int i = 0; i < width * height; ++i) {
        bytes += static_cast<char>(sample >> 8 & 0xFF);
        bytes += static_cast<char>(sample & 0xFF);
    }
    std::ofstream(file, std::ios::binary) << bytes;
}

struct CalibratedBench : StackBench {
    CalibratedBench() : StackBench(8, 6, 2) {
        source.kind = FrameSamples::Bitmap;
        source.frames.assign(2, makePlane(8, 6, [](int, int) { return 100.0f; }));
        options.Usedarkframe = options.UseFlatfield = true;
    }
    void load(CalibrationKind kind, int width, int height, int sample) {
        writeSpecialFits(dir / "calibration.fitk", width, height, sample);
        loadCalibrationFrame(
            dir / "calibration.fitk", SpecialFitsCalibration, kind, CalibrationOrigin::Project,
            kind == CalibrationKind::Dark ? section.DarkPlanes : section.FlatPlanes, messages);
    }
    bool told(const std::string& text) const {
        for (const Message& message : messages.history())
            if (message.caption == "Imagesize error" && message.text == text) return true;
        return false;
    }
    test::TempDir dir;
};

TEST(CalibratedStack, ADarkAndFlatOfTheFramesSizeAreTakenOff) {
    CalibratedBench bench;
    bench.load(CalibrationKind::Dark, 8, 6, 1280);  // a dark level of 10
    bench.load(CalibrationKind::Flat, 8, 6, 500);   // an even flat: 1.0 everywhere
    const StackResult result = bench.stack();
    EXPECT_FALSE(result.darkSwitchedOff || result.flatSwitchedOff);
    EXPECT_FLOAT_EQ(bench.section.StackPlanes[1][7][5], 90.0f);
    EXPECT_FLOAT_EQ(bench.section.StackPlanes[1][0][0], 90.0f);
}

// Frames of a known scene seen through a vignetting flat and over a dark with a gradient and hot
// pixels: each calibrated frame, and so the stack, gives the scene back wherever it lies, which a
// dark or flat read at another position (or multiplied instead of divided) would not.
TEST(CalibratedStack, ANonUniformDarkAndFlatGiveTheSceneBack) {
    constexpr int W = 24, H = 16;
    const auto scene = [](int x, int y) { return 60.0f + 3.0f * x + 5.0f * (y % 4); };
    const auto dark = [](int x, int y) {
        const bool hot = (x == 5 && y == 3) || (x == 17 && y == 11);
        return 2.0f + 0.5f * x + 0.25f * y + (hot ? 120.0f : 0.0f);
    };
    const auto flat = [](int x, int y) {
        const float dx = (x - 11.5f) / 12.0f, dy = (y - 7.5f) / 8.0f;
        return 1.0f - 0.4f * (dx * dx + dy * dy);
    };
    StackBench bench(W, H, 3);
    for (int i = 0; i < 3; ++i)
        bench.source.frames.push_back(
            makePlane(W, H, [&](int x, int y) { return scene(x, y) * flat(x, y) + dark(x, y); }));
    for (int c = 0; c < 3; ++c) {
        // The dark planes hold 128 times the dark frame.
        bench.section.DarkPlanes[c] = makePlane(W, H, [&](int x, int y) { return 128.0f * dark(x, y); });
        bench.section.FlatPlanes[c] = makePlane(W, H, flat);
    }
    bench.options.Usedarkframe = bench.options.UseFlatfield = true;
    const StackResult result = bench.stack();
    ASSERT_FALSE(result.darkSwitchedOff || result.flatSwitchedOff);
    for (int x = 0; x < W; ++x)
        for (int y = 0; y < H; ++y)
            ASSERT_NEAR(bench.section.StackPlanes[1][x][y], scene(x, y), 1e-3) << x << "," << y;
}

TEST(CalibratedStack, FramesOfAnotherSizeAreSwitchedOffBeforeAnythingReadsThem) {
    struct Mode {
        const char* name;
        void (*set)(StackOptions&);
    };
    const Mode modes[] = {
        {"plain", [](StackOptions&) {}},
        {"resampled", [](StackOptions& o) { o.Resampled = true; }},
        {"drizzled", [](StackOptions& o) { o.Drizzling = o.Drizzle2 = true; }},
    };
    for (const Mode& mode : modes) {
        CalibratedBench bench;
        mode.set(bench.options);
        bench.load(CalibrationKind::Dark, 5, 6, 1280);
        bench.load(CalibrationKind::Flat, 8, 3, 500);
        const StackResult result = bench.stack();
        ASSERT_EQ(result.outcome, StackOutcome::Stacked) << mode.name;
        EXPECT_TRUE(result.darkSwitchedOff) << mode.name;
        EXPECT_TRUE(result.flatSwitchedOff) << mode.name;
        EXPECT_TRUE(bench.told(" darkframe size does not match imagesize !!")) << mode.name;
        EXPECT_TRUE(bench.told(" flatfield size does not match imagesize !!")) << mode.name;
        EXPECT_FLOAT_EQ(bench.section.StackPlanes[1][2][2], 100.0f) << mode.name;
    }

    // The raw dark of a debayered input is checked as well; without debayering it is not used.
    for (const bool debayered : {false, true}) {
        CalibratedBench bench;
        bench.options.Usedarkframe = bench.options.UseFlatfield = false;
        bench.options.Rawdark = true;
        bench.options.DebayerEnabled = debayered;
        bench.load(CalibrationKind::Dark, 5, 6, 1280);
        EXPECT_EQ(bench.stack().rawDarkSwitchedOff, debayered);
        EXPECT_EQ(bench.told(" darkframe size does not match imagesize !!"), debayered);
    }
}

}  // namespace
}  // namespace kestrave
