// The batch options: how option lines are read, the input and scheme files they name, the save
// type, the feature position and the save name; and the order in which a run takes its steps.

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "registration/point_file.h"
#include "shell/batch_runner.h"
#include "shell/command_line.h"
#include "support/temp_dir.h"

namespace kestrave {
namespace {

BatchOptions parse(std::vector<std::string> lines) {
    return parseBatchOptions(batchCommandsFromFile(std::move(lines)));
}

// The lines of a progress report that end with `ending`.
int linesEndingWith(const std::string& report, const std::string& ending) {
    int count = 0;
    std::istringstream lines(report);
    for (std::string line; std::getline(lines, line);) count += line.ends_with(ending);
    return count;
}

TEST(BatchOptions, OptionNamesInAnyCaseTakeTheRestOfTheLineAndTheLastLineWins) {
    const BatchOptions options = parse({"moon.ser", "-xp160", "-Yp120", "-XP200", "-nf20", "-bf3", "-EF9",
                                        "-cr0", "-diframes", "-wsfine.kwv", "-asPNG", "-ex", "-zz1", "x"});
    EXPECT_EQ(options.inputLine, "moon.ser");
    EXPECT_EQ(options.FeatureX, 200);
    EXPECT_EQ(options.FeatureY, 120);
    EXPECT_EQ(options.FrameLimit, 20);
    EXPECT_EQ(options.FirstFrame, 3);
    EXPECT_EQ(options.LastFrame, 9);
    EXPECT_TRUE(options.CreateReference);
    EXPECT_EQ(options.Refframes, 0);
    EXPECT_EQ(options.InputFolder, "frames");
    EXPECT_EQ(options.WaveletScheme, "fine.kwv");
    EXPECT_EQ(options.SaveType, "PNG");
    EXPECT_TRUE(options.ExitAfterRun);

    // Only the lines in use count; a bare input runs nothing.
    BatchCommands batch = batchCommandsFromFile({"moon.ser", "-EX"});
    batch.BatchLineCount = 1;
    EXPECT_FALSE(parseBatchOptions(batch).ExitAfterRun);
    const BatchOptions none = parse({"moon.ser"});
    EXPECT_FALSE(none.SaveType || none.WaveletScheme || none.CreateReference);
}

TEST(BatchOptions, BadIntegersAreRefusedBeforeAnythingRuns) {
    for (const char* line : {"-XP", "-XP12a", "-YP1.5", "-NF 9x", "-CR", "-BF99999999999", "-EFten", "-FWx"})
        EXPECT_THROW(parse({"moon.ser", "-ASbmp", line}), BatchOptionError) << line;
    EXPECT_EQ(parse({"moon.ser", "-XP +42 ", "-YP-3"}).FeatureX, 42);
    const BatchOptions points = parse({"moon.ser", "-mapoints/night.kap", "-FW7"});
    EXPECT_EQ(points.PointsFile, "points/night.kap");
    EXPECT_EQ(points.SeamWidth, 7);
}

TEST(BatchOptions, InputFolderSchemeAndSaveTypeNameTheirFiles) {
    BatchOptions options = parse({"moon.ser", "-DI/data/night"});
    EXPECT_EQ(batchInputFile(options), "/data/night/moon.ser");
    options.InputFolder = "/data/night/";
    EXPECT_EQ(batchInputFile(options), "/data/night/moon.ser");
    options.InputFolder.reset();
    EXPECT_EQ(batchInputFile(options), "moon.ser");
    // From a command file, an input without a folder is the command file's neighbour.
    options = parseBatchOptions(batchCommandsFromFile({"night/moon.ser"}, "/data"));
    EXPECT_EQ(batchInputFile(options), "/data/night/moon.ser");
    options = parseBatchOptions(batchCommandsFromFile({"/elsewhere/moon.ser"}, "/data"));
    EXPECT_EQ(batchInputFile(options), "/elsewhere/moon.ser");
    options = parseBatchOptions(batchCommandsFromFile({"moon.ser", "-di/frames"}, "/data"));
    EXPECT_EQ(batchInputFile(options), "/frames/moon.ser");

    EXPECT_EQ(batchSchemeFile("fine.kwv", "/home/k"), std::filesystem::path("/home/k/fine.kwv"));
    EXPECT_EQ(batchSchemeFile("/schemes/fine.kwv", "/home/k"), std::filesystem::path("/schemes/fine.kwv"));

    EXPECT_EQ(batchSaveFilterIndex("", 4), 1);
    EXPECT_EQ(batchSaveFilterIndex("BMP", 4), 1);
    EXPECT_EQ(batchSaveFilterIndex("jpg", 1), 2);
    EXPECT_EQ(batchSaveFilterIndex("Fit", 1), 3);
    EXPECT_EQ(batchSaveFilterIndex("tif", 1), 4);
    EXPECT_EQ(batchSaveFilterIndex("png", 1), 5);
    EXPECT_EQ(batchSaveFilterIndex("gif", 4), 4);
}

TEST(BatchOptions, TheFeatureDefaultsToTheCentreAndItsBoxStaysInsideTheFrame) {
    const auto at = [](int x, int y, int w, int h, int box) {
        const BatchFeature f = placeBatchFeature(x, y, w, h, box);
        return std::tuple{f.x, f.y, f.moved};
    };
    EXPECT_EQ(at(0, 0, 320, 240, 64), std::tuple(160, 120, false));
    // One coordinate not given puts both at the centre.
    EXPECT_EQ(at(100, 0, 321, 241, 64), std::tuple(160, 120, false));
    EXPECT_EQ(at(100, 50, 320, 240, 64), std::tuple(100, 50, false));
    // Box 64: the centre stays within 32 .. side - 1 - 32.
    EXPECT_EQ(at(5, 239, 320, 240, 64), std::tuple(32, 207, true));
    EXPECT_EQ(at(400, -7, 320, 240, 64), std::tuple(287, 32, true));
    // A frame narrower than the box keeps the box centred.
    EXPECT_EQ(at(10, 10, 40, 240, 64), std::tuple(20, 32, true));
}

TEST(BatchOptions, TheResultIsNeverSavedOverAnInputFile) {
    test::TempDir dir;
    const auto input = dir / "moon.bmp";
    std::ofstream(input) << "frame";
    // A different type or a different name: the input's name is kept for the result.
    EXPECT_EQ(batchSaveName(input, 5, {input}), input);
    EXPECT_EQ(batchSaveName(dir / "moon.ser", 1, {dir / "moon.ser"}), dir / "moon.ser");
    // The saver would write moon.bmp over the input: the result gets the suffix.
    EXPECT_EQ(batchSaveName(input, 1, {input}), dir / "moon_result.bmp");
    // The same file under another spelling, and one colour file of a FITS save.
    EXPECT_EQ(batchSaveName(dir.path() / "." / "moon.jpg", 1, {input}).lexically_normal(),
              dir / "moon_result.jpg");
    const auto red = dir / "moon_R.fit";
    std::ofstream(red) << "frame";
    EXPECT_EQ(batchSaveName(dir / "moon.ser", 3, {red}), dir / "moon_result.ser");
}

// Records the steps a run takes; a step named in `failAt` fails.
struct RecordingOperations : BatchOperations {
    std::vector<std::string> steps;
    std::string failAt;
    BatchInput picture{320, 240, 64, false};
    std::filesystem::path savedAs;
    int savedType = 0;

    bool step(const std::string& name) {
        steps.push_back(name);
        return name != failAt;
    }
    bool SelectFileButtonClick(const std::string& file) override { return step("select " + file); }
    BatchInput input() override { return picture; }
    void setFeature(int x, int y) override { step("feature " + std::to_string(x) + "," + std::to_string(y)); }
    bool RecalcFFTbuttonClick() override { return step("reference"); }
    bool AlignallButtonClick() override { return step("align"); }
    void setSeams(int width) override { step("seams " + std::to_string(width)); }
    bool alignPoints(const std::filesystem::path& pointsFile) override {
        return step("points " + pointsFile.filename().string());
    }
    void setPreviewSlider(int position) override { step("slider " + std::to_string(position)); }
    bool SetLimitClick() override { return step("limit"); }
    void setRefframes(int frames) override { step("refframes " + std::to_string(frames)); }
    bool MakerefClick(const std::function<bool()>& atContinue) override {
        return step("create") && atContinue() && step("realign");
    }
    bool applyScheme(const std::filesystem::path& scheme) override {
        return step("scheme " + scheme.filename().string());
    }
    void ContinuebuttonClick() override { step("continue"); }
    bool AlignStackButtonClick() override { return step("stack"); }
    int saveFilterIndex() override { return 4; }
    std::vector<std::filesystem::path> inputFiles() override { return {}; }
    bool SaveBMP2buttonClick(const std::filesystem::path& fileName, int filterIndex) override {
        savedAs = fileName;
        savedType = filterIndex;
        return step("save");
    }
};

TEST(BatchSteps, AFullRunTakesEveryStepInOrderAndAppliesTheSchemeTwiceWithCreate) {
    BatchMessagePresenter log([](const std::string&) {});
    std::ostringstream report;
    StderrProgress progress(report, false);
    RecordingOperations operations;
    const BatchOptions options = parse({"moon.ser", "-DIdata", "-CR30", "-NF20", "-WSfine.kwv", "-ASjpg"});
    EXPECT_EQ(runBatchSteps(options, "/home/fine.kwv", operations, log, progress), 0);
    EXPECT_EQ(operations.steps,
              (std::vector<std::string>{"select data/moon.ser", "feature 160,120", "reference", "align",
                                        "slider 20", "limit", "refframes 30", "create", "scheme fine.kwv",
                                        "continue", "realign", "stack", "scheme fine.kwv", "save"}));
    EXPECT_EQ(operations.savedAs, std::filesystem::path("data/moon.ser"));
    EXPECT_EQ(operations.savedType, 2);
    // Each of the eight steps (the scheme inside Create belongs to Create) is reported done.
    EXPECT_EQ(linesEndingWith(report.str(), ": 100%"), 8) << report.str();
    EXPECT_NE(report.str().find("Selecting the input data/moon.ser: 100%"), std::string::npos);

    // Without options beyond the save: no limit position, no create, no scheme; an unknown type
    // keeps the dialog's.
    RecordingOperations plain;
    EXPECT_EQ(runBatchSteps(parse({"moon.ser", "-XP100", "-YP300", "-ASgif"}), {}, plain, log, progress), 0);
    EXPECT_EQ(plain.steps, (std::vector<std::string>{"select moon.ser", "feature 100,207", "reference",
                                                     "align", "limit", "stack", "save"}));
    EXPECT_EQ(plain.savedType, 4);

    // An alignment-point file in place of the reference and the alignment; a missing one leaves
    // the one box. Seams of 0 pixels are none.
    const test::TempDir dir;
    writeAlignPointFile(dir / "night.kap", 0, std::vector<AlignPoint>{{80, 60, 64}});
    RecordingOperations points;
    EXPECT_EQ(runBatchSteps(parse({"moon.ser", "-MA" + (dir / "night.kap").string(), "-FW6"}), {}, points,
                            log, progress),
              0);
    EXPECT_EQ(points.steps, (std::vector<std::string>{"select moon.ser", "feature 160,120", "seams 6",
                                                      "points night.kap", "limit", "stack"}));
    RecordingOperations missing;
    EXPECT_EQ(runBatchSteps(parse({"moon.ser", "-MA" + (dir / "gone.kap").string(), "-FW0"}), {}, missing,
                            log, progress),
              0);
    EXPECT_EQ(missing.steps, (std::vector<std::string>{"select moon.ser", "feature 160,120", "reference",
                                                       "align", "limit", "stack"}));
    // The box moved into the frame, the unknown type and the missing file say nothing.
    EXPECT_TRUE(log.history().empty());

    // A single still image is stacked on selection: only the scheme and the save follow.
    RecordingOperations still;
    still.picture.singleImage = true;
    EXPECT_EQ(runBatchSteps(parse({"moon.tif", "-WSs.kwv", "-AStif"}), "s.kwv", still, log, progress), 0);
    EXPECT_EQ(still.steps, (std::vector<std::string>{"select moon.tif", "scheme s.kwv", "save"}));
}

TEST(BatchSteps, TheRunStopsAtTheFirstFailedStepAndSaysWhich) {
    const BatchOptions options = parse({"moon.ser", "-CR10", "-WSs.kwv", "-ASpng", "-EX"});
    for (const std::string failAt :
         {"select moon.ser", "reference", "align", "limit", "create", "scheme s.kwv", "stack", "save"}) {
        BatchMessagePresenter log([](const std::string&) {});
        std::ostringstream report;
        StderrProgress progress(report, false);
        RecordingOperations operations;
        operations.failAt = failAt;
        EXPECT_EQ(runBatchSteps(options, "s.kwv", operations, log, progress), BatchFailed) << failAt;
        // Nothing runs after the failure (a failed scheme inside Create ends Create, then the run).
        EXPECT_EQ(operations.steps.back(), failAt == "scheme s.kwv" ? "continue" : failAt);
        ASSERT_FALSE(log.history().empty());
        EXPECT_EQ(log.history().back().dlgType, mtError);
        EXPECT_NE(log.history().back().text.find("Batch run stopped"), std::string::npos);
        // The report's last line is the failed step's, and says where it stopped.
        EXPECT_TRUE(report.str().ends_with(": stopped at 0%\n")) << report.str();
        EXPECT_EQ(linesEndingWith(report.str(), ": stopped at 0%"), 1);
    }
}

}  // namespace
}  // namespace kestrave
