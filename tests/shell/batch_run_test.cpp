// The batch runner end to end: a headless start of the program on a synthesised recording runs
// the whole pipeline and saves a result that stacking made better than any frame.

#include <gtest/gtest.h>

#include <fstream>

#include "batch_test_support.h"
#include "enhance/scheme_file.h"
#include "platform/program_dir.h"
#include "shell/batch_runner.h"
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
    EXPECT_TRUE(run->context.optimizer.NewReferenceMade);
    EXPECT_EQ(run->form->waveletPage->Layer1slider->Value(), 12);
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
    EXPECT_EQ(run->form->waveletPage->Layer1slider->Value(), 40);
    EXPECT_TRUE(run->context.state.DoAllDone);
    EXPECT_EQ(fileBytes(input), inputBytes);
    TTIFFBitMap result;
    std::uint16_t hiValue = 0;
    result.LoadFromTIFF(data / "moon_result.tif", hiValue);
    EXPECT_EQ(result.width(), frame.width);
    EXPECT_EQ(result.height(), frame.height);
}

// The program itself, started as a user's command line starts it: without a display (it picks the
// offscreen platform itself), never waiting for anyone (the timeout would end it), its exit status
// telling what happened, and the user's "kestrave.ini" left as it was.
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
    const std::string folder = data.path().string();
    const auto kestrave = [&](const std::string& arguments) {
        std::string output;
        const int status =
            runCommand("cd '" + folder +
                           "' && env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "
                           "KESTRAVE_HOME='" +
                           home.path().string() + "' timeout 120 " KESTRAVE_PROGRAM " " + arguments,
                       output);
        return std::pair{status, output};
    };

    // A command file with CR LF line ends and options in lower case; the result keeps the name.
    std::ofstream(data / "r.kco", std::ios::binary)
        << sample.path.string() << "\r\n-xp80\r\n-asbmp\r\n-EX\r\n";
    auto [status, output] = kestrave("r.kco");
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
    for (const char* options : {"-XP1O0 -ASjpg -EX", "-MApoints.kap -ASjpg -EX", "-FW3 -ASjpg"}) {
        std::tie(status, output) = kestrave(std::string("moon.ser ") + options);
        EXPECT_EQ(status, BatchBadOption) << options << "\n" << output;
    }
    EXPECT_FALSE(std::filesystem::exists(data / "moon.jpg"));
    EXPECT_EQ(fileBytes(ini), settings);
}

}  // namespace
}  // namespace kestrave::test
