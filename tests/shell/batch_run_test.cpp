// The batch runner end to end: a headless start of the program on a synthesised recording runs
// the whole pipeline and saves a result that stacking made better than any frame.

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <numbers>
#include <regex>
#include <sstream>

#include "batch_test_support.h"
#include "enhance/scheme_file.h"
#include "platform/program_dir.h"
#include "registration/point_file.h"
#include "shell/batch_runner.h"
#include "shell/pages/named_control.h"
#include "shell/pages/wavelet_page.h"
#include "support/qt_test_application.h"
#include "support/run_command.h"
#include "support/temp_dir.h"
#include "widgets/slider.h"

namespace kestrave::test {
namespace {

struct BatchRunTest : ::testing::Test {
    ProgramDirScope home;
    TempDir data;

    // Stacking's gain on both counts: the result is closer to the scene than the plain average
    // of the frames, and less noisy than the sharpest frame at equal sharpness.
    static void expectStackingGain(const synth::Recording& recording, const std::filesystem::path& result) {
        ASSERT_TRUE(std::filesystem::exists(result)) << result;
        const GreyImage stacked = readResultPng(result);
        ASSERT_EQ(stacked.width, recording.options.width);
        ASSERT_EQ(stacked.height, recording.options.height);
        const GreyImage scene = sceneImage(recording);
        const double resultPsnr = registeredPsnr(stacked, scene);
        const double averagePsnr = registeredPsnr(averageOfFrames(recording), scene);
        EXPECT_GT(resultPsnr, averagePsnr + 1.0);
        const double resultNoise = psnrAtOwnSharpness(stacked, scene);
        const double frameNoise = psnrAtOwnSharpness(frameImage(recording, sharpestFrame(recording)), scene);
        EXPECT_GT(resultNoise, frameNoise + 3.0);
        std::printf(
            "PSNR result %.2f dB, unregistered average %.2f dB; at own sharpness result %.2f dB, "
            "sharpest frame %.2f dB\n",
            resultPsnr, averagePsnr, resultNoise, frameNoise);
    }

    // The program itself, started in the data folder as a user's command line starts it: without a
    // display (it picks the offscreen platform itself) and never waiting for anyone (the timeout
    // would end it). Returns the exit status and what the program wrote.
    std::pair<int, std::string> kestrave(const std::string& arguments) {
        std::string output;
        const int status =
            runCommand("(cd '" + data.path().string() +
                           "' && env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "
                           "KESTRAVE_HOME='" +
                           home.path().string() + "' timeout 120 " KESTRAVE_PROGRAM " " + arguments + ")",
                       output);
        return {status, output};
    }
};

TEST_F(BatchRunTest, AnEightBitSerIsAlignedStackedAndSavedAsSixteenBitPng) {
    const SampleRecording sample = writeSampleRecording(data.path(), batchRecordingOptions(8), "moon.ser");
    auto run = runHeadless({sample.path.string(), "-XP80", "-YP60", "-NF30", "-ASpng", "-EX"});
    EXPECT_TRUE(run->outcome.endProgram);
    EXPECT_EQ(run->outcome.exitCode, 0);
    EXPECT_TRUE(run->logged("Image not fully processed"));
    expectStackingGain(sample.truth, data / "moon.png");
}

// A 16-bit recording with a new reference frame built from the best frames first, and a wavelet
// scheme applied to the reference and to the final stack.
TEST_F(BatchRunTest, ASixteenBitSerWithCreateAndASchemeGainsTheSame) {
    const SampleRecording sample =
        writeSampleRecording(data.path(), batchRecordingOptions(16), "jupiter.ser");
    WaveletScheme scheme;
    scheme.layerChecked.fill(true);
    scheme.layerSlider = {12, 11, 10, 10, 10, 10};
    saveWaveletScheme(home.path() / "mild.kwv", scheme);
    auto run = runHeadless({sample.path.string(), "-CR10", "-WSmild.kwv", "-ASpng", "-EX"});
    EXPECT_EQ(run->outcome.exitCode, 0);
    EXPECT_TRUE(run->context.pipeline.optimizer().NewReferenceMade);
    EXPECT_EQ(control<TRxSlider>(*run->form, "Layer1slider")->Value(), 12);
    EXPECT_FALSE(run->logged("Image not fully processed")) << "the scheme was applied to the whole image";
    expectStackingGain(sample.truth, data / "jupiter.png");
}

TEST_F(BatchRunTest, AnAviIsAlignedStackedAndSaved) {
    const synth::Recording recording = synth::planRecording(batchRecordingOptions(8));
    writeGreyAvi(recording, data / "mars.avi");
    auto run = runHeadless({(data / "mars.avi").string(), "-NF30", "-ASpng", "-EX"});
    EXPECT_EQ(run->outcome.exitCode, 0);
    expectStackingGain(recording, data / "mars.png");
}

// One still image is stacked as it is selected; the scheme and the save follow. The result would
// have the input's own name, so it gets the suffix instead of replacing the input.
TEST_F(BatchRunTest, ASingleTiffTakesTheSchemeAndIsNeverSavedOverItself) {
    const synth::Recording recording = synth::planRecording(batchRecordingOptions(16));
    const GreyImage frame = frameImage(recording, 0);
    TTIFFBitMap still(frame.width, frame.height);
    still.allocateHighBits();
    for (int y = 0; y < frame.height; ++y)
        for (int x = 0; x < frame.width; ++x) {
            const auto sample = static_cast<std::uint16_t>(std::lround(frame.at(x, y) * 65535));
            std::fill_n(still.HighBitRow(y) + 3 * x, 3, sample);
            std::fill_n(still.pixel(x, y), 3, static_cast<std::uint8_t>(sample >> 8));
        }
    const std::filesystem::path input = data / "moon.tif";
    TTIFFBitMap::SaveToTIFF(still, input, 48, false);
    const std::string inputBytes = fileBytes(input);
    WaveletScheme scheme;
    scheme.layerChecked.fill(true);
    scheme.layerSlider = {40, 30, 20, 10, 10, 10};
    saveWaveletScheme(home.path() / "fine.kwv", scheme);

    auto run = runHeadless({input.string(), "-wsfine.kwv", "-AStif", "-EX"});
    EXPECT_EQ(run->outcome.exitCode, 0);
    EXPECT_EQ(control<TRxSlider>(*run->form, "Layer1slider")->Value(), 40);
    EXPECT_TRUE(run->context.pipeline.state().DoAllDone);
    EXPECT_EQ(fileBytes(input), inputBytes);
    TTIFFBitMap result;
    std::uint16_t hiValue = 0;
    result.LoadFromTIFF(data / "moon_result.tif", hiValue);
    EXPECT_EQ(result.width(), frame.width);
    EXPECT_EQ(result.height(), frame.height);
}

// The program started from the command line: its exit status tells what happened, and the user's
// "kestrave.ini" is left as it was.
TEST_F(BatchRunTest, TheCommandLineRunsHeadlessAndItsExitStatusTellsTheTruth) {
    // A window start writes the user's settings file.
    {
        app();
        ApplicationContext context;
        TMainForm(context).FormCreate({{}, false});
    }
    const std::filesystem::path ini = home.path() / "kestrave.ini";
    const std::string settings = fileBytes(ini);
    ASSERT_FALSE(settings.empty());

    const SampleRecording sample = writeSampleRecording(data.path(), batchRecordingOptions(8), "moon.ser");

    // A command file with CR LF line ends and options in lower case; the result keeps the name.
    // Its input is named relative to the command file, which is named relative to the working
    // directory.
    std::filesystem::create_directory(data / "commands");
    std::ofstream(data / "commands" / "r.kco", std::ios::binary)
        << "../moon.ser\r\n-xp80\r\n-asbmp\r\n-EX\r\n";
    auto [status, output] = kestrave("commands/r.kco");
    EXPECT_EQ(status, 0) << output;
    ASSERT_TRUE(std::filesystem::exists(data / "moon.bmp")) << output;
    EXPECT_GT(std::filesystem::file_size(data / "moon.bmp"), 160u * 120u * 3u);

    // Failed steps exit 1, and a missing scheme fails before anything is done.
    std::tie(status, output) = kestrave("/nonexistent.ser -ASbmp -EX");
    EXPECT_EQ(status, BatchFailed) << output;
    EXPECT_NE(output.find("/nonexistent.ser"), std::string::npos);
    std::tie(status, output) = kestrave("moon.ser -WSnone.kwv -ASjpg -EX");
    EXPECT_EQ(status, BatchFailed) << output;
    EXPECT_NE(output.find("none.kwv"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(data / "moon.jpg"));

    // A save that cannot write (a folder in the result's place) fails the run.
    std::filesystem::create_directory(data / "moon.tif");
    std::tie(status, output) = kestrave("moon.ser -AStif -EX");
    EXPECT_EQ(status, BatchFailed) << output;
    EXPECT_NE(output.find("saving the result failed"), std::string::npos) << output;

    // Bad options exit 2 before any step.
    for (const char* options : {"-XP1O0 -ASjpg -EX", "-FW3x -ASjpg -EX"}) {
        std::tie(status, output) = kestrave(std::string("moon.ser ") + options);
        EXPECT_EQ(status, BatchBadOption) << options << "\n" << output;
    }
    EXPECT_FALSE(std::filesystem::exists(data / "moon.jpg"));
    EXPECT_EQ(fileBytes(ini), settings);
}

// The two halves of every frame move apart by up to 3 pixels (a wave of warp one frame wide, of a
// new height in every frame): a box at the centre registers neither half. "-MA" with a point on
// each half places each half by its own point and stacks it sharp.
TEST_F(BatchRunTest, AMultiPointBatchFollowsALocallyWarpedRecordingBetterThanOneBox) {
    synth::Recording recording = synth::planRecording(batchRecordingOptions(8));
    for (std::size_t f = 0; f < recording.truth.size(); ++f) {
        synth::FrameTruth& truth = recording.truth[f];
        truth.warpX = truth.warpY = {};
        truth.warpX[0] = {4.0 * std::sin(1.7 * static_cast<double>(f)), 2.0 * std::numbers::pi / 160.0, 0.0,
                          0.0};
    }
    synth::writeSerRecording(recording, data / "warped.ser");
    writeAlignPointFile(data / "halves.kap", 0, std::vector<AlignPoint>{{58, 60, 64}, {102, 60, 64}});

    auto single = runHeadless({(data / "warped.ser").string(), "-ASpng", "-EX"});
    ASSERT_EQ(single->outcome.exitCode, 0);
    std::filesystem::rename(data / "warped.png", data / "single.png");
    auto points = runHeadless({(data / "warped.ser").string(), "-MA" + (data / "halves.kap").string(), "-FW4",
                               "-NF40", "-ASpng", "-EX"});
    ASSERT_EQ(points->outcome.exitCode, 0);
    EXPECT_TRUE(points->context.pipeline.alignPoints().MultiPointMode);
    EXPECT_EQ(points->context.pipeline.alignPoints().Alignpoints, 2);
    EXPECT_TRUE(std::filesystem::exists(data / "temp.kap")) << "the points file became the temporary one";
    EXPECT_FALSE(points->logged("zones stay empty"));

    const GreyImage scene = sceneImage(recording);
    const double singlePsnr = registeredPsnr(readResultPng(data / "single.png"), scene);
    const double pointsPsnr = registeredPsnr(readResultPng(data / "warped.png"), scene);
    std::printf("PSNR one box %.2f dB, two alignment points %.2f dB\n", singlePsnr, pointsPsnr);
    EXPECT_GT(pointsPsnr, singlePsnr + 2.0);
}

// Points on ground that holds nothing to lock on (here the empty sky around the planet, point 1
// among them) must not throw the stack off: the frames are aligned on the whole-frame box, and
// every point starts from there. The stack stays as close to the scene as the one-box stack.
TEST_F(BatchRunTest, PointsOnEmptyGroundStackAsSharpAsOneBox) {
    const synth::Recording recording = synth::planRecording(batchRecordingOptions(8));
    synth::writeSerRecording(recording, data / "sky.ser");
    writeAlignPointFile(data / "sky.kap", 0,
                        std::vector<AlignPoint>{{24, 24, 32}, {136, 24, 32}, {80, 60, 64}, {24, 96, 32}});
    auto single = runHeadless({(data / "sky.ser").string(), "-NF20", "-ASpng", "-EX"});
    ASSERT_EQ(single->outcome.exitCode, 0);
    std::filesystem::rename(data / "sky.png", data / "single.png");
    auto points = runHeadless(
        {(data / "sky.ser").string(), "-MA" + (data / "sky.kap").string(), "-NF20", "-ASpng", "-EX"});
    ASSERT_EQ(points->outcome.exitCode, 0);
    EXPECT_EQ(points->context.pipeline.alignPoints().Alignpoints, 4);
    EXPECT_FALSE(points->logged("hold no detail"));

    const GreyImage scene = sceneImage(recording);
    const double singlePsnr = registeredPsnr(readResultPng(data / "single.png"), scene);
    const double pointsPsnr = registeredPsnr(readResultPng(data / "sky.png"), scene);
    std::printf("PSNR one box %.2f dB, points on the sky %.2f dB\n", singlePsnr, pointsPsnr);
    EXPECT_GT(pointsPsnr, singlePsnr - 0.5);
}

// The points of the sky recording, measured against the frame they were placed on, and again with
// a reference made from the best frames first ("-CR10"): point 1 on the sky follows point 3, and
// slot 0, where the stack places every zone from, holds point 1's shifts in every frame. Either
// way the stack is as close to the scene as the one box's: on the reference, a stack of ten frames
// with a tenth of a frame's noise, the faint edge of the disc in a corner of point 2's sky box
// stands out, yet no frame can lock on it; point 2 follows a point with detail there as well,
// however the points are numbered.
TEST_F(BatchRunTest, AFollowingPointOneLeavesEveryZoneInPlace) {
    const synth::Recording recording = synth::planRecording(batchRecordingOptions(8));
    synth::writeSerRecording(recording, data / "sky.ser");
    const GreyImage scene = sceneImage(recording);
    // The same four points, numbered from the sky and from the planet; the planet's box carries
    // the alignment, so the second numbering takes the frames' shifts from point 1 itself.
    const struct {
        const char* numbering;
        std::vector<AlignPoint> points;
        int leader;  // the point the sky points follow (0: none)
    } numberings[] = {
        {"from the sky", {{24, 24, 32}, {136, 24, 32}, {80, 60, 64}, {24, 96, 32}}, 3},
        {"from the planet", {{80, 60, 64}, {136, 24, 32}, {24, 24, 32}, {24, 96, 32}}, 0},
    };
    for (const auto& numbering : numberings) {
        writeAlignPointFile(data / "sky.kap", 0, numbering.points);
        for (const bool create : {false, true}) {
            SCOPED_TRACE(std::string(numbering.numbering) + (create ? ", -CR10" : ", placement frame"));
            std::vector<std::string> arguments{(data / "sky.ser").string(), "-NF20", "-ASpng", "-EX"};
            if (create) arguments.insert(arguments.begin() + 1, "-CR10");
            ASSERT_EQ(runHeadless(arguments)->outcome.exitCode, 0);
            std::filesystem::rename(data / "sky.png", data / "single.png");
            arguments.insert(arguments.begin() + 1, "-MA" + (data / "sky.kap").string());
            auto points = runHeadless(arguments);
            ASSERT_EQ(points->outcome.exitCode, 0);
            const Pipeline& pipeline = points->context.pipeline;
            for (int j = 0; j <= pipeline.input().lastIndex; ++j) {
                const TAlignSlotRec* records = pipeline.model().FrameTable[j].Slots;
                EXPECT_EQ(records[0].X, records[1].X) << j;
                EXPECT_EQ(records[0].Y, records[1].Y) << j;
                for (const int p : {1, 2, 4}) {
                    if (numbering.leader == 0) break;
                    EXPECT_EQ(records[p].X, records[numbering.leader].X) << j << " point " << p;
                    EXPECT_EQ(records[p].Y, records[numbering.leader].Y) << j << " point " << p;
                }
            }
            const double singlePsnr = registeredPsnr(readResultPng(data / "single.png"), scene);
            const double pointsPsnr = registeredPsnr(readResultPng(data / "sky.png"), scene);
            std::printf("PSNR one box %.2f dB, points numbered %s %.2f dB\n", singlePsnr, numbering.numbering,
                        pointsPsnr);
            EXPECT_GT(pointsPsnr, singlePsnr - 0.5);
        }
    }
}

// A close-up of a cratered surface with flat plains under a local warp, and a grid of points
// whose first point lies on a plain: each grid stacks at least as sharp as the one box, however
// the points are numbered.
TEST_F(BatchRunTest, AGridOfPointsOverFlatPlainsStacksSharperThanOneBox) {
    const synth::SynthOptions options = plainsRecordingOptions(256, 192, 60);
    const synth::Recording recording = synth::planRecording(options);
    synth::writeSerRecording(recording, data / "plains.ser");
    const GreyImage scene = sceneImage(recording);
    // The grid's flattest box first.
    std::vector<AlignPoint> grid;
    for (int j = 0; j < 3; ++j)
        for (int i = 0; i < 4; ++i) grid.push_back({40 + 58 * i, 40 + 56 * j, 32});
    const auto spread = [&](const AlignPoint& p) { return boxVariance(scene, p.X, p.Y, 32); };
    std::iter_swap(grid.begin(),
                   std::min_element(grid.begin(), grid.end(),
                                    [&](const auto& a, const auto& b) { return spread(a) < spread(b); }));
    writeAlignPointFile(data / "grid.kap", 0, grid);

    auto single = runHeadless({(data / "plains.ser").string(), "-NF15", "-ASpng", "-EX"});
    ASSERT_EQ(single->outcome.exitCode, 0);
    std::filesystem::rename(data / "plains.png", data / "single.png");
    auto points = runHeadless(
        {(data / "plains.ser").string(), "-MA" + (data / "grid.kap").string(), "-NF15", "-ASpng", "-EX"});
    ASSERT_EQ(points->outcome.exitCode, 0);
    const GreyImage one = readResultPng(data / "single.png");
    const GreyImage zones = readResultPng(data / "plains.png");
    const double onePsnr = psnrAfterSharpening(one, scene), pointsPsnr = psnrAfterSharpening(zones, scene);
    const double oneBlur = residualBlur(one, scene), pointsBlur = residualBlur(zones, scene);
    std::printf("one box: %.2f dB after sharpening, blur %.2f px; points: %.2f dB, blur %.2f px\n", onePsnr,
                oneBlur, pointsPsnr, pointsBlur);
    EXPECT_GT(pointsPsnr, onePsnr + 0.3);
    EXPECT_LE(pointsBlur, oneBlur);
}

// The README's own form, run in the recording's folder with relative names: a file of one point
// aligns on that point and stacks as one box there would; the remembered folder is stored
// absolute; the "temp.kap" of the folder in use when the run starts goes; nobody is asked for a click.
TEST_F(BatchRunTest, AOnePointFileWithRelativeNamesAlignsOnThatPoint) {
    writeSampleRecording(data.path(), batchRecordingOptions(8), "moon.ser");
    writeAlignPointFile(data / "one.kap", 0, std::vector<AlignPoint>{{80, 60, 64}});
    TempDir other;
    { std::ofstream(other / "temp.kap") << "[Points]\r\nNumber=1\r\n"; }
    { std::ofstream(home.path() / "registry.ini") << "[Files]\r\nDir=" << other.path().string() << "\r\n"; }

    // Both runs with a 64-pixel alignment box.
    { std::ofstream(home.path() / "kestrave.ini") << "[Form]\r\nFFTsizeGroup_ItemIndex=1\r\n"; }

    const auto [status, output] = kestrave("moon.ser -MAone.kap -ASpng -EX");
    EXPECT_EQ(status, 0) << output;
    ASSERT_TRUE(std::filesystem::exists(data / "moon.png")) << output;
    std::filesystem::rename(data / "moon.png", data / "point.png");
    EXPECT_EQ(output.find("holds no point"), std::string::npos) << output;
    EXPECT_FALSE(std::filesystem::exists(other / "temp.kap"));
    EXPECT_NE(fileBytes(home.path() / "registry.ini").find("Dir=" + data.path().string() + "\r\n"),
              std::string::npos);

    // The same as one box on that point.
    const auto [boxStatus, boxOutput] = kestrave("moon.ser -XP80 -YP60 -ASpng -EX");
    EXPECT_EQ(boxStatus, 0) << boxOutput;
    EXPECT_EQ(fileBytes(data / "moon.png"), fileBytes(data / "point.png"));
}

// A run with standard error redirected to a log names each step with its percentage in a few
// lines, however many frames its passes go through; the long passes' own progress reaches it.
TEST_F(BatchRunTest, ARunLoggedToAFileNamesEachStepWithItsPercentageInAFewLines) {
    synth::SynthOptions options = batchRecordingOptions(8);
    options.frames = 200;
    writeSampleRecording(data.path(), options, "rec.ser");
    const auto [status, output] = kestrave("rec.ser -NF50 -ASpng -EX 2>log");
    ASSERT_EQ(status, 0) << output;
    const std::string log = fileBytes(data / "log");
    EXPECT_EQ(log.find('\r'), std::string::npos) << "nothing is rewritten in place in a file";

    std::vector<std::string> lines;
    std::map<std::string, std::vector<int>> percentages;  // by step, in order
    std::istringstream in(log);
    const std::regex progressLine(R"((.+?)(, pass \d+)?: (\d+)%)");
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
        std::smatch match;
        if (std::regex_match(line, match, progressLine)) percentages[match[1]].push_back(std::stoi(match[3]));
    }
    EXPECT_LE(lines.size(), 40u) << log;
    const std::vector<std::string> steps{"Selecting the input rec.ser", "Computing the reference",
                                         "Aligning the frames",         "Limiting the frames",
                                         "Optimizing and stacking",     "Saving the result"};
    for (const std::string& step : steps) {
        ASSERT_TRUE(percentages.contains(step)) << step << "\n" << log;
        EXPECT_EQ(percentages[step].front(), 0) << step;
        EXPECT_EQ(percentages[step].back(), 100) << step;
    }
    EXPECT_EQ(percentages.size(), steps.size()) << log;
    // The alignment and the optimizer and stacking passes report how far they came.
    for (const char* step : {"Aligning the frames", "Optimizing and stacking"}) {
        const std::vector<int>& seen = percentages[step];
        EXPECT_TRUE(std::any_of(seen.begin(), seen.end(), [](int p) { return p > 0 && p < 100; })) << log;
    }
    // The messages of the run stay as they were.
    EXPECT_NE(log.find("[Image not fully processed] You have NOT used the DO ALL function"),
              std::string::npos);
}

}  // namespace
}  // namespace kestrave::test
