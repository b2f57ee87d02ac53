// Taking a new input: the files of the chosen kind in name order, the frame table and list of
// every kind, the 10001-frame cap, the size clamp, the single image, and the old input kept when
// the new one cannot be read.

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "frames/frame_browsing.h"
#include "frames/input_test_files.h"
#include "platform/avi_file.h"
#include "support/sample_recording.h"
#include "support/temp_dir.h"

using namespace kestrave;
using namespace kestrave::test;

namespace {

struct InputFixture : ::testing::Test {
    TempDir dir;
    FrameModel model;
    ProgramState state;
    ImageDataSection section;
    InputState input;

    InputRecord take(const std::vector<std::filesystem::path>& files, InputFilter filter) {
        return takeInput(model, state, section, input, files, filter);
    }
    int shownTag(int frame) {
        readShownFrame(input, section, model, frame);
        return tagOf(input.PreviewBitmap);
    }
};

std::filesystem::path writeSer(const std::filesystem::path& folder, int frames, const std::string& name) {
    synth::SynthOptions options = smallRecordingOptions();
    options.width = 24;
    options.height = 16;
    options.frames = frames;
    return writeSampleRecording(folder, options, name).path;
}

}  // namespace

TEST(InputPlan, ChosenFilesOfTheFilterKindInCaseInsensitiveNameOrder) {
    const InputPlan plan =
        planInput({"/d/c.bmp", "/d/a.BMP", "/d/x.jpg", "/d/B.bmp", "/d/notes.txt"}, InputFilter::BMP);
    EXPECT_EQ(plan.files, (std::vector<std::string>{"/d/a.BMP", "/d/B.bmp", "/d/c.bmp"}));
    EXPECT_FALSE(plan.filesCapped);
    EXPECT_FALSE(plan.singleImage());

    EXPECT_EQ(planInput({"/d/b.ser", "/d/A.ser"}, InputFilter::SER).files,
              std::vector<std::string>{"/d/A.ser"});
    EXPECT_TRUE(planInput({"/d/one.tiff"}, InputFilter::TIF).singleImage());
    EXPECT_TRUE(planInput({"/d/one.bmp"}, InputFilter::AVI).files.empty());

    std::vector<std::string> avis;
    for (int i = 0; i < 105; ++i) avis.push_back("/d/v" + std::to_string(1000 + i) + ".avi");
    const InputPlan many = planInput(avis, InputFilter::AVI);
    EXPECT_EQ(many.files.size(), 101u);
    EXPECT_TRUE(many.filesCapped);
    EXPECT_EQ(many.files.back(), "/d/v1100.avi");
}

TEST(InputPlan, BatchFilesPickTheFilterByTheirExtension) {
    const std::pair<const char*, InputFilter> cases[] = {
        {"a.avi", InputFilter::AVI}, {"a.BMP", InputFilter::BMP},   {"X.FITS", InputFilter::FIT},
        {"a.fit", InputFilter::FIT}, {"a.fts", InputFilter::FIT},   {"a.jpg", InputFilter::JPG},
        {"a.tif", InputFilter::TIF}, {"a.tiff", InputFilter::TIF},  {"a.png", InputFilter::PNG},
        {"a.Ser", InputFilter::SER}, {"a.jpeg", InputFilter::None}, {"avi", InputFilter::None},
    };
    for (const auto& [file, filter] : cases) EXPECT_EQ(filterOfFile(file), filter) << file;
    EXPECT_EQ(inputTypeOf(InputFilter::FIT), TInputType::itFIT);
    EXPECT_STREQ(inputKindName(InputFilter::SER), "SER");
    EXPECT_EQ(limitRefframes(80, 59), 29);
    EXPECT_EQ(limitRefframes(80, 1000), 50);
    EXPECT_EQ(limitRefframes(20, 1000), 20);
}

TEST_F(InputFixture, TwoAviFilesMakeOneInputWithTheirSegmentTable) {
    writeTaggedAvi(dir / "b.avi", 50, 100);
    writeTaggedAvi(dir / "A.avi", 100, 0);
    const InputRecord record = take({dir / "b.avi", dir / "A.avi"}, InputFilter::AVI);

    EXPECT_EQ(record.lastIndex, 149);
    EXPECT_EQ(model.avicount, 1);
    EXPECT_EQ(model.AviSegments[0].FileName, (dir / "A.avi").string());
    EXPECT_EQ(model.AviSegments[0].FirstFrame, 0);
    EXPECT_EQ(model.AviSegments[0].LastFrame, 99);
    EXPECT_EQ(model.AviSegments[1].FirstFrame, 100);
    EXPECT_EQ(model.AviSegments[1].LastFrame, 149);
    EXPECT_EQ(model.AviName, "A.avi");
    EXPECT_FALSE(model.InputIsSeries);
    EXPECT_EQ(model.InputType, TInputType::itAVI);
    EXPECT_EQ(model.usedframes, 150);
    ASSERT_EQ(record.listItems.size(), 150u);
    EXPECT_EQ(record.listItems.front(), "Frame 1");
    EXPECT_EQ(record.listItems.back(), "Frame 150");
    EXPECT_EQ(record.caption, "Kestrave processing AVI: " + (dir / "A.avi").string());
    EXPECT_EQ(record.objectName, "A");
    EXPECT_EQ(record.fileDate.size(), 15u);
    EXPECT_EQ(record.statusText, "Frames : 150 Imagesize : 8x6");
    EXPECT_EQ(state.ProcessStage, TProcessStage::stInputLoaded);
    EXPECT_EQ(tagOf(input.PreviewBitmap), 0);
    EXPECT_FALSE(record.tooManyFrames);
    EXPECT_EQ(record.aviMissingFrames, "");

    // Browsing crosses the files back and forth.
    EXPECT_EQ(shownTag(149), 149);
    EXPECT_EQ(shownTag(99), 99);
    EXPECT_EQ(shownTag(100), 100);
}

TEST_F(InputFixture, AVideoCutShortSaysHowManyOfItsFramesAreMissing) {
    const std::filesystem::path cut = dir / "cut.avi";
    writeTaggedAvi(cut, 40, 0);
    std::filesystem::resize_file(cut, std::filesystem::file_size(cut) / 2);
    const std::size_t kept = AviFile::open(cut).indexedSampleCount();
    ASSERT_GT(kept, 0u);
    ASSERT_LT(kept, 40u);
    const InputRecord record = take({cut}, InputFilter::AVI);
    EXPECT_EQ(record.lastIndex, 39);
    EXPECT_EQ(record.aviMissingFrames, cut.string() + ": " + std::to_string(40 - kept) +
                                           " of its 40 frames are missing (the file is cut short); they are "
                                           "left out as dropped frames.");
}

TEST_F(InputFixture, SerFramesAreNamedByTheirIndex) {
    const std::filesystem::path ser = writeSer(dir.path(), 300, "moon.ser");
    const InputRecord record = take({ser}, InputFilter::SER);

    EXPECT_EQ(record.lastIndex, 299);
    ASSERT_EQ(record.listItems.size(), 300u);
    for (int i = 0; i < 300; ++i)
        ASSERT_EQ(record.listItems[static_cast<std::size_t>(i)], "Frame " + std::to_string(i));
    EXPECT_EQ(model.FrameNames[299], "Frame 299");
    EXPECT_EQ(model.SerName, ser.string());
    EXPECT_TRUE(model.InputIsSeries);
    EXPECT_TRUE(model.InputIsSER);
    EXPECT_EQ(model.usedframes, 300);
    EXPECT_EQ(input.readers.SerFrameCount, 300);
    EXPECT_EQ(model.ImageWidth, 24);
    EXPECT_EQ(model.ImageHeight, 16);
    EXPECT_EQ(section.RawFramePlane.xCount(), 24);
    EXPECT_EQ(record.caption, "Kestrave processing SER: " + ser.string() + " 0");
    EXPECT_EQ(seriesCaption(model, 42), "Kestrave processing SER: " + ser.string() + " 42");
}

TEST_F(InputFixture, MoreThanTenThousandAndOneStillsAreCappedWithTheWarning) {
    std::vector<std::filesystem::path> files;
    for (int i = 0; i < 10050; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "f%05d.bmp", i);
        files.push_back(dir / name);
        writePatternBmp(files.back(), 1, 1, static_cast<std::uint32_t>(i));
    }
    std::shuffle(files.begin(), files.end(), std::mt19937(7));
    const InputRecord record = take(files, InputFilter::BMP);

    EXPECT_TRUE(record.tooManyFrames);
    EXPECT_EQ(record.lastIndex, 10000);
    EXPECT_EQ(record.listItems.size(), 10001u);
    EXPECT_EQ(record.listItems.front(), "f00000.bmp");
    EXPECT_EQ(record.listItems.back(), "f10000.bmp");
    EXPECT_EQ(model.FrameNames[10000], (dir / "f10000.bmp").string());
    EXPECT_EQ(model.usedframes, 10001);
    EXPECT_EQ(record.caption, "Kestrave processing BMP: " + (dir / "f00000.bmp").string());
    readShownFrame(input, section, model, 10000);
    EXPECT_EQ(seriesCaption(model, 10000), "Kestrave processing BMP: " + (dir / "f10000.bmp").string());
}

TEST_F(InputFixture, AMissingOrUnreadableInputLeavesTheOldOneUsable) {
    writeTaggedAvi(dir / "old.avi", 20, 0);
    take({dir / "old.avi"}, InputFilter::AVI);
    EXPECT_EQ(shownTag(7), 7);

    const InputPlan missing = planInput({(dir / "gone.ser").string()}, InputFilter::SER);
    EXPECT_EQ(firstMissingFile(missing), (dir / "gone.ser").string());
    EXPECT_THROW(probeInput(missing, false), FileError);

    writeFile(dir / "broken.bmp", Bytes{'B', 'M', 1, 2, 3});
    writePatternBmp(dir / "good.bmp", 4, 4, 1);
    const InputPlan broken =
        planInput({(dir / "broken.bmp").string(), (dir / "good.bmp").string()}, InputFilter::BMP);
    EXPECT_EQ(firstMissingFile(broken), "");
    EXPECT_THROW(probeInput(broken, false), FileError);

    EXPECT_EQ(model.AviName, "old.avi");
    EXPECT_FALSE(model.InputIsSeries);
    EXPECT_EQ(shownTag(12), 12);
}

TEST_F(InputFixture, ALargeStillIsClampedAndTakenAsASingleImage) {
    BmpParams params;
    params.width = 5000;
    params.height = 3000;
    params.bits = 1;
    params.palette = {{{0, 0, 0}}, {{255, 255, 255}}};
    writeFile(dir / "big.bmp", makeBmp(params, std::vector<std::uint32_t>(5000u * 3000u, 1)));
    const InputRecord record = take({dir / "big.bmp"}, InputFilter::BMP);

    EXPECT_TRUE(record.seriesFramesTooLarge);
    EXPECT_FALSE(record.aviFrameTooLarge);
    EXPECT_EQ(model.ImageWidth, 4096);
    EXPECT_EQ(model.FrameWidth, 4096);
    EXPECT_EQ(model.ImageHeight, 3000);
    EXPECT_EQ(model.FrameWidthRaw, 5000);
    EXPECT_EQ(model.FrameHeightRaw, 3000);

    EXPECT_TRUE(record.singleImage);
    EXPECT_TRUE(model.SingleImage);
    EXPECT_EQ(record.lastIndex, 1);
    EXPECT_EQ(model.FrameNames[1], model.FrameNames[0]);
    EXPECT_EQ(model.FrameRanking[1].Frame, 0);
    EXPECT_EQ(model.FrameRanking[1].Key, 1.0f);
    EXPECT_EQ(state.ProcessStage, TProcessStage::stAligned);
    EXPECT_EQ(state.FeatureX, 2048);
    EXPECT_EQ(state.FeatureY, 1500);
    EXPECT_TRUE(record.listItems.empty());
}

TEST_F(InputFixture, ANewInputDeletesTheOldAlignmentPointFileAndResetsItsFlags) {
    const auto oldFolder = dir / "old";
    const auto newFolder = dir / "new";
    std::filesystem::create_directories(oldFolder);
    std::filesystem::create_directories(newFolder);
    writePatternBmp(oldFolder / "a.bmp", 4, 4, 1);
    writePatternBmp(oldFolder / "b.bmp", 4, 4, 2);
    take({oldFolder / "a.bmp", oldFolder / "b.bmp"}, InputFilter::BMP);
    EXPECT_EQ(input.inputFolder, oldFolder);
    writeFile(oldFolder / "temp.kap", Bytes{1});
    writeFile(newFolder / "temp.kap", Bytes{1});

    model.InputIsSER = true;  // left over from an earlier input
    input.readers.LumFrameLoaded = true;
    resetInputState(input);
    EXPECT_FALSE(input.readers.LumFrameLoaded);

    writeTaggedAvi(newFolder / "v.avi", 3);
    take({newFolder / "v.avi"}, InputFilter::AVI);
    EXPECT_FALSE(std::filesystem::exists(oldFolder / "temp.kap"));
    EXPECT_FALSE(std::filesystem::exists(newFolder / "temp.kap"));
    EXPECT_EQ(input.inputFolder, newFolder);
    EXPECT_FALSE(model.InputIsSER);
}

TEST(ColourImage, AnyColouredSampleOfTheGridMeansColour) {
    Bitmap24 grey(640, 480);
    grey.fill(90, 90, 90);
    EXPECT_FALSE(colourimage(grey));

    Bitmap24 sampled = grey;
    sampled.pixel(6 * 30, 4 * 50)[0] = 91;  // on the grid: steps of 6 and 4 pixels
    EXPECT_TRUE(colourimage(sampled));
    Bitmap24 between = grey;
    between.pixel(6 * 30 + 1, 4 * 50)[1] = 200;
    EXPECT_FALSE(colourimage(between));

    // Narrower than 101 pixels: only column 0 is looked at.
    Bitmap24 narrow(60, 300);
    narrow.fill(5, 5, 5);
    narrow.pixel(30, 0)[2] = 9;
    EXPECT_FALSE(colourimage(narrow));
    narrow.pixel(0, 3 * 2)[2] = 9;
    EXPECT_TRUE(colourimage(narrow));

    // A side of a whole number of steps stops ten pixels short of its edge.
    Bitmap24 exact(201, 201);
    exact.fill(1, 1, 1);
    exact.pixel(192, 0)[0] = 2;
    EXPECT_FALSE(colourimage(exact));
    exact.pixel(190, 0)[0] = 2;
    EXPECT_TRUE(colourimage(exact));

    EXPECT_FALSE(colourimage(Bitmap24(1, 50)));
}
