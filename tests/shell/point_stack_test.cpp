// Alignment points against the true scene: a synthesised close-up of the Moon stacked once on one
// box and once by the zones of a 3 x 3 grid of points placed on the sharpest frame.

#include <gtest/gtest.h>

#include "batch_test_support.h"
#include "platform/program_dir.h"
#include "registration/point_file.h"
#include "support/temp_dir.h"

namespace kestrave::test {
namespace {

struct PointStackTest : ::testing::Test {
    ProgramDirScope home;
    TempDir data;
    static constexpr int GridX[] = {64, 160, 256};
    static constexpr int GridY[] = {56, 120, 184};

    static synth::Recording surfaceRecording(double warp) {
        synth::SynthOptions options;
        options.width = 320;
        options.height = 240;
        options.frames = 80;
        options.surface = true;
        options.maxShift = 4.0;
        options.minBlur = 0.5;
        options.maxBlur = 2.0;
        options.warp = warp;
        options.seed = 3;
        return synth::planRecording(options);
    }

    // A 3 x 3 grid of points with 64-pixel boxes, placed on `frame`.
    std::filesystem::path gridFile(int frame) {
        std::vector<AlignPoint> grid;
        for (int y : GridY)
            for (int x : GridX) grid.push_back({x, y, 64});
        const std::filesystem::path file = data / "grid.kap";
        writeAlignPointFile(file, frame, grid);
        return file;
    }

    GreyImage stack(const std::vector<std::string>& options) {
        std::vector<std::string> arguments{(data / "moon.ser").string()};
        arguments.insert(arguments.end(), options.begin(), options.end());
        arguments.insert(arguments.end(), {"-ASpng", "-EX"});
        const auto run = runHeadless(arguments);
        EXPECT_EQ(run->outcome.exitCode, 0);
        const GreyImage result = readResultPng(data / "moon.png");
        std::filesystem::remove(data / "moon.png");
        return result;
    }
};

// Without local warp every zone shows the scene where the one-box stack shows it (the whole
// stack may sit elsewhere: the points' reference is another frame), and as sharply.
TEST_F(PointStackTest, WithoutLocalWarpThePointZonesSitWhereOneBoxPutsThem) {
    const synth::Recording recording = surfaceRecording(0.0);
    synth::writeSerRecording(recording, data / "moon.ser");
    const GreyImage scene = sceneImage(recording);
    const GreyImage one = stack({});
    const GreyImage zones = stack({"-MA" + gridFile(sharpestFrame(recording)).string()});

    std::vector<std::array<double, 2>> apart;
    std::array<double, 2> mean{};
    for (int y : GridY)
        for (int x : GridX) {
            const auto a = localOffset(one, scene, x - 40, y - 28, x + 40, y + 28);
            const auto b = localOffset(zones, scene, x - 40, y - 28, x + 40, y + 28);
            apart.push_back({b[0] - a[0], b[1] - a[1]});
            for (int c = 0; c < 2; ++c) mean[c] += apart.back()[c] / 9.0;
        }
    for (const auto& zone : apart)
        for (int c = 0; c < 2; ++c) EXPECT_NEAR(zone[c], mean[c], 0.1);
    const double onePsnr = psnrAfterSharpening(one, scene);
    const double zonesPsnr = psnrAfterSharpening(zones, scene);
    std::printf("after sharpening: one box %.2f dB, 3 x 3 points %.2f dB\n", onePsnr, zonesPsnr);
    EXPECT_NEAR(zonesPsnr, onePsnr, 1.0);
}

}  // namespace
}  // namespace kestrave::test
