// Alignment points against the true scene: a synthesised close-up of the Moon stacked once on one
// box (a point file of one point) and once by the zones of a 3 x 3 grid of points, all placed on
// the sharpest frame with 64-pixel boxes, the best 40 of 80 frames each time.

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
    GreyImage scene;
    GreyImage one;    // stacked on one box
    GreyImage zones;  // stacked by the points' zones

    // A local warp of `warp` pixels (the synthesiser's measure: about 0.7 warp rms along each axis),
    // smooth over a zone (at most one period across the frame).
    void stackBothWays(double warp, std::uint64_t seed) {
        synth::SynthOptions options;
        options.width = 320;
        options.height = 240;
        options.frames = 80;
        options.surface = true;
        options.maxShift = 4.0;
        options.minBlur = 0.5;
        options.maxBlur = 2.0;
        options.warp = warp;
        options.warpPeriods = 1;
        options.seed = seed;
        const synth::Recording recording = synth::planRecording(options);
        synth::writeSerRecording(recording, data / "moon.ser");
        std::vector<AlignPoint> grid;
        for (int y : GridY)
            for (int x : GridX) grid.push_back({x, y, 64});
        writeAlignPointFile(data / "grid.kap", sharpestFrame(recording), grid);
        // One box: a file of one point, at the centre with the same box and on the same frame.
        writeAlignPointFile(data / "one.kap", sharpestFrame(recording),
                            std::vector<AlignPoint>{{160, 120, 64}});
        scene = sceneImage(recording);
        one = stack({"-MA" + (data / "one.kap").string()});
        zones = stack({"-MA" + (data / "grid.kap").string()});
    }

    GreyImage stack(const std::vector<std::string>& options) {
        std::vector<std::string> arguments{(data / "moon.ser").string(), "-NF40"};
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
    stackBothWays(0.0, 7);
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
    EXPECT_NEAR(zonesPsnr, onePsnr, 0.5);
}

// With a local warp that changes from frame to frame the zones follow it where one box cannot:
// the point stack comes closer to the scene as it stands. (Each zone moves by whole pixels in
// every frame, so the best sharpening brings out the part-pixel steps between zones.)
TEST_F(PointStackTest, UnderLocalWarpThePointZonesComeCloserToTheScene) {
    stackBothWays(1.0, 3);
    const double oneAsIs = registeredPsnr(one, scene);
    const double zonesAsIs = registeredPsnr(zones, scene);
    const double oneSharpened = psnrAfterSharpening(one, scene);
    const double zonesSharpened = psnrAfterSharpening(zones, scene);
    std::printf("one box %.2f dB (sharpened %.2f dB), 3 x 3 points %.2f dB (sharpened %.2f dB)\n", oneAsIs,
                oneSharpened, zonesAsIs, zonesSharpened);
    EXPECT_GT(zonesAsIs, oneAsIs + 0.25);
}

}  // namespace
}  // namespace kestrave::test
