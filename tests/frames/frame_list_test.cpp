// Frame lists and dropped files: the list file's text both ways, the kind taken from the first
// name, hostile lists refused, the names a saved list holds, and how a drop or an added list
// makes or extends the input.

#include <gtest/gtest.h>

#include <fstream>

#include "frames/frame_list.h"
#include "frames/input_test_files.h"
#include "frames/still_test_files.h"
#include "platform/errors.h"
#include "support/temp_dir.h"

using namespace kestrave;
using namespace kestrave::test;

namespace {

std::vector<std::string> names(const char* stem, int count, const char* extension) {
    std::vector<std::string> files;
    for (int i = 0; i < count; ++i)
        files.push_back("/d/" + std::string(stem) + std::to_string(i) + extension);
    return files;
}

// A still series of `files` as the input selection leaves it in the model.
void setSeries(FrameModel& model, const std::vector<std::string>& files, TInputType type) {
    model.InputIsSeries = true;
    model.InputType = type;
    for (std::size_t i = 0; i < files.size(); ++i) model.FrameNames[static_cast<int>(i)] = files[i];
}

}  // namespace

TEST(FrameList, TheKindComesFromTheFirstNameAndOtherKindsAreLeftOut) {
    const std::pair<const char*, InputFilter> kinds[] = {
        {"/d/X.FITS", InputFilter::FIT},
        {"/d/a.fts", InputFilter::FIT},
        {"/d/a.fit", InputFilter::FIT},
        {"/d/a.jpg", InputFilter::JPG},
        {"/d/a.Tif", InputFilter::TIF},
        {"/d/a.tiff", InputFilter::TIF},
        {"/d/a.png", InputFilter::PNG},
        {"/d/a.SER", InputFilter::SER},
        {"/d/a.bmp", InputFilter::BMP},
        // Names the program does not read as their own kind are taken as bitmaps.
        {"/d/a.jpeg", InputFilter::BMP},
        {"/d/a.avi", InputFilter::BMP},
        {"/d/frame", InputFilter::BMP},
    };
    for (const auto& [line, kind] : kinds) {
        const FrameListEntries entries = parseFrameList(std::string(line) + "\r\n", InputFilter::None);
        EXPECT_EQ(entries.kind, kind) << line;
        EXPECT_EQ(entries.files, std::vector<std::string>{line});
    }

    // LF or CR LF, blank lines skipped, a byte-order mark dropped; lines of another kind than
    // the first (or than the kind asked for) are counted and left out.
    const std::string text = "\xEF\xBB\xBF/d/a.png\r\n\r\n/d/b.bmp\n  \t\n/d/c.PNG\n/d/d.png";
    FrameListEntries entries = parseFrameList(text, InputFilter::None);
    EXPECT_EQ(entries.kind, InputFilter::PNG);
    EXPECT_EQ(entries.files, (std::vector<std::string>{"/d/a.png", "/d/c.PNG", "/d/d.png"}));
    EXPECT_EQ(entries.leftOut, 1u);
    entries = parseFrameList(text, InputFilter::BMP);
    EXPECT_EQ(entries.files, std::vector<std::string>{"/d/b.bmp"});
    EXPECT_EQ(entries.leftOut, 3u);
    // A SER input is one video.
    entries = parseFrameList("/d/a.ser\n/d/b.ser\n", InputFilter::None);
    EXPECT_EQ(entries.files, std::vector<std::string>{"/d/a.ser"});
    EXPECT_EQ(entries.leftOut, 1u);
}

TEST(FrameList, HostileListsAreRefusedAndLongOnesCapped) {
    EXPECT_TRUE(parseFrameList("", InputFilter::None).files.empty());
    EXPECT_EQ(parseFrameList("/d/" + std::string(MaxFrameListLine - 7, 'x') + ".bmp", InputFilter::None)
                  .files.size(),
              1u);
    for (const std::string& text : {"/d/a.bmp\n/d/" + std::string(MaxFrameListLine, 'x') + ".bmp\n",
                                    std::string("/d/a.bmp\n/d/b\0.bmp", 16), std::string("/d/a\x1b.bmp")}) {
        EXPECT_THROW(parseFrameList(text, InputFilter::None), FileError);
    }
    try {
        parseFrameList("/d/a.bmp\n\n/d/" + std::string(5000, 'y'), InputFilter::None);
        FAIL();
    } catch (const FileError& error) {
        EXPECT_STREQ(error.what(), "Not a frame list: line 3 is too long");
    }

    std::string many;
    for (const std::string& file : names("f", FrameCapacity + 2, ".bmp")) many += file + "\r\n";
    const FrameListEntries capped = parseFrameList(many, InputFilter::None);
    EXPECT_EQ(capped.files.size(), static_cast<std::size_t>(FrameCapacity));
    EXPECT_EQ(capped.files.back(), "/d/f10000.bmp");
    EXPECT_TRUE(capped.capped);

    TempDir dir;
    EXPECT_THROW(readFrameList(dir / "gone.kfl", InputFilter::None), FileError);
    { std::ofstream huge(dir / "huge.kfl"); }
    std::filesystem::resize_file(dir / "huge.kfl", MaxFrameListBytes + 1);
    EXPECT_THROW(readFrameList(dir / "huge.kfl", InputFilter::None), FileError);
}

TEST(FrameList, AWrittenListReadsBackAndAFailedWriteKeepsTheOldFile) {
    TempDir dir;
    const std::vector<std::string> files{"/d/one.tiff", "/d/two.tif", "/d/with space.tif"};
    writeFrameList(dir / "a.kfl", files);
    const Bytes bytes = readFile(dir / "a.kfl");
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "/d/one.tiff\r\n/d/two.tif\r\n/d/with space.tif\r\n");
    const FrameListEntries back = readFrameList(dir / "a.kfl", InputFilter::None);
    EXPECT_EQ(back.kind, InputFilter::TIF);
    EXPECT_EQ(back.files, files);
    // A first name that begins like a byte-order mark keeps it; relative names are taken from the
    // list's own folder, whatever the working directory.
    const std::vector<std::string> marked{"\xEF\xBB\xBFone.tif", "sub/../two.tif"};
    writeFrameList(dir / "b.kfl", marked);
    EXPECT_EQ(readFrameList(dir / "b.kfl", InputFilter::None).files,
              (std::vector<std::string>{(dir / "\xEF\xBB\xBFone.tif").string(), (dir / "two.tif").string()}));

    // A name a list line cannot hold is refused before anything is written.
    EXPECT_THROW(writeFrameList(dir / "a.kfl", {"/d/b.tif", "/d/new\nline.tif"}), FileError);
    EXPECT_EQ(readFile(dir / "a.kfl"), bytes);
}

TEST(FrameList, ASavedListHoldsTheCheckedFramesInFrameOrder) {
    const std::vector<std::string> files = names("f", 20, ".bmp");
    FrameModel model;
    setSeries(model, files, TInputType::itBMP);
    std::vector<bool> checked(20, true);
    checked[2] = checked[5] = false;
    std::vector<std::string> expected = files;
    expected.erase(expected.begin() + 5);
    expected.erase(expected.begin() + 2);
    EXPECT_EQ(checkedFrameFiles(model, checked), expected);

    // Ranked, entry j stands for the j-th best frame: entries 0 and 1 are frames 7 and 14.
    model.FramesRanked = true;
    for (int j = 0; j < 20; ++j) model.FrameRanking[j].Frame = (j * 7 + 7) % 20;
    std::vector<bool> ranked(20, true);
    ranked[0] = ranked[1] = false;
    expected = files;
    expected.erase(expected.begin() + 14);
    expected.erase(expected.begin() + 7);
    EXPECT_EQ(checkedFrameFiles(model, ranked), expected);

    model.InputIsSER = true;
    model.SerName = "/d/moon.ser";
    EXPECT_EQ(checkedFrameFiles(model, ranked), std::vector<std::string>{"/d/moon.ser"});
    EXPECT_TRUE(checkedFrameFiles(model, std::vector<bool>(20, false)).empty());
    model.InputIsSeries = model.InputIsSER = false;
    EXPECT_TRUE(checkedFrameFiles(model, ranked).empty()) << "AVI input";
}

TEST(FrameList, DropsAndAddedListsExtendASeriesOfTheirKindOrMakeANewInput) {
    // The kind is the first dropped file's; only a still kind or SER is taken.
    FrameListEntries dropped = droppedEntries({"/d/a.png", "/d/b.PNG", "/d/c.jpg"});
    EXPECT_EQ(dropped.kind, InputFilter::PNG);
    EXPECT_EQ(dropped.files, (std::vector<std::string>{"/d/a.png", "/d/b.PNG"}));
    EXPECT_EQ(dropped.leftOut, 1u);
    for (const char* first : {"/d/a.xyz", "/d/a.jpeg", "/d/a.avi", "/d/folder"})
        EXPECT_EQ(droppedEntries({first, "/d/b.png"}).kind, InputFilter::None) << first;
    EXPECT_EQ(droppedEntries({"/d/a.tif", "/d/b.tiff"}).files.size(), 2u);
    EXPECT_EQ(droppedEntries({"/d/a.ser", "/d/b.ser"}).files, std::vector<std::string>{"/d/a.ser"});

    // Onto three bitmaps: appended, frame 0 kept.
    const std::vector<std::string> current = names("old", 3, ".bmp");
    AppendedInput appended =
        appendToSeries(current, InputFilter::BMP, droppedEntries({"/d/x.bmp", "/d/y.bmp"}));
    EXPECT_EQ(appended.plan.filter, InputFilter::BMP);
    EXPECT_EQ(appended.plan.files, (std::vector<std::string>{"/d/old0.bmp", "/d/old1.bmp", "/d/old2.bmp",
                                                             "/d/x.bmp", "/d/y.bmp"}));
    EXPECT_EQ(appended.kept, 3u);
    EXPECT_FALSE(appended.plan.filesCapped);
    // Another kind, or a video, is an input of its own.
    for (const auto& [kind, entries] :
         {std::pair{InputFilter::BMP, dropped}, std::pair{InputFilter::SER, droppedEntries({"/d/v.ser"})},
          std::pair{InputFilter::None, dropped}}) {
        appended =
            appendToSeries(kind == InputFilter::None ? std::vector<std::string>{} : current, kind, entries);
        EXPECT_EQ(appended.plan.files, entries.files);
        EXPECT_EQ(appended.kept, 0u);
    }

    // The series never grows past the frame table.
    const std::vector<std::string> full = names("f", FrameCapacity - 1, ".bmp");
    appended =
        appendToSeries(full, InputFilter::BMP, parseFrameList("/d/n1.bmp\n/d/n2.bmp\n", InputFilter::BMP));
    EXPECT_EQ(appended.plan.files.size(), static_cast<std::size_t>(FrameCapacity));
    EXPECT_EQ(appended.plan.files.back(), "/d/n1.bmp");
    EXPECT_TRUE(appended.plan.filesCapped);
}

TEST(FrameList, TheOpenSeriesAndTheCaptionAfterSaving) {
    FrameModel model;
    setSeries(model, names("f", 4, ".fit"), TInputType::itFIT);
    EXPECT_EQ(seriesFiles(model, 3), names("f", 4, ".fit"));
    EXPECT_EQ(inputCaption(model, false), "Kestrave processing FITs: /d/f0.fit");
    EXPECT_EQ(inputCaption(model, false, SavedWork::Image), "Kestrave processing FITs: /d/f0.fit");
    // A PNG series reads "PNGs" after a project is saved, "PNG" after an image is.
    setSeries(model, names("f", 4, ".png"), TInputType::itPNG);
    EXPECT_EQ(inputCaption(model, false), "Kestrave processing PNGs: /d/f0.png");
    EXPECT_EQ(inputCaption(model, false, SavedWork::Image), "Kestrave processing PNG: /d/f0.png");
    // The stack's cut-off names a TIF series "TIFs" and puts two blanks before a SER frame.
    setSeries(model, names("f", 4, ".tif"), TInputType::itTIF);
    EXPECT_EQ(seriesCaption(model, 2), "Kestrave processing TIF: /d/f2.tif");
    EXPECT_EQ(seriesCaption(model, 2, ShownBy::StackCutoff), "Kestrave processing TIFs: /d/f2.tif");
    setSeries(model, names("f", 4, ".png"), TInputType::itPNG);
    EXPECT_EQ(seriesCaption(model, 2, ShownBy::StackCutoff), "Kestrave processing PNG: /d/f2.png");
    model.InputIsSER = true;
    model.SerName = "/d/v.ser";
    EXPECT_EQ(seriesCaption(model, 7), "Kestrave processing SER: /d/v.ser 7");
    EXPECT_EQ(seriesCaption(model, 7, ShownBy::StackCutoff), "Kestrave processing SER: /d/v.ser  7");
    model.InputIsSER = false;
    setSeries(model, names("f", 4, ".fit"), TInputType::itFIT);
    model.SingleImage = true;
    EXPECT_EQ(seriesFiles(model, 1), std::vector<std::string>{"/d/f0.fit"});
    model.InputIsSER = true;
    model.SerName = "/d/v.ser";
    EXPECT_TRUE(seriesFiles(model, 3).empty());
    EXPECT_EQ(inputCaption(model, true), "Kestrave processing SER: /d/v.ser 0");
    // A video: the first file, "HI-AVI" while its frames hold more than 8 bits.
    model.InputIsSER = model.InputIsSeries = false;
    model.InputType = TInputType::itAVI;
    model.AviSegments[0].FileName = "/d/moon.avi";
    EXPECT_EQ(inputCaption(model, false), "Kestrave processing AVI: /d/moon.avi");
    EXPECT_EQ(inputCaption(model, true), "Kestrave processing HI-AVI: /d/moon.avi");
}

TEST(FrameList, AListOfTheProgramsOwnReloadsAsItsKind) {
    // FITS named in capitals and TIFF named ".tiff" (which the input dialog offers) are read as
    // their kinds; a ".jpeg" list is a bitmap series whose first frame cannot be read.
    TempDir dir;
    const std::vector<double> values(12, 1000.0);
    const std::vector<std::uint16_t> samples(12, 4000);
    const std::pair<std::vector<std::string>, TInputType> cases[] = {
        {{"X0.FITS", "X1.FITS"}, TInputType::itFIT},
        {{"t0.tiff", "t1.tif", "t2.tiff"}, TInputType::itTIF},
    };
    for (const auto& [files, type] : cases) {
        std::vector<std::string> paths;
        for (const std::string& name : files) {
            paths.push_back((dir / name).string());
            writeFile(paths.back(), type == TInputType::itFIT ? makeFits(fitsCards(16, 4, 3), 16, values)
                                                              : makeGreyTiff16(4, 3, samples));
        }
        writeFrameList(dir / "list.kfl", paths);
        const InputPlan plan =
            appendToSeries({}, InputFilter::None, readFrameList(dir / "list.kfl", InputFilter::None)).plan;
        EXPECT_EQ(plan.files, paths);
        FrameModel model;
        ProgramState state;
        ImageDataSection section;
        InputState input;
        const InputRecord record = applyInput(model, state, section, input, probeInput(plan, false), {});
        EXPECT_EQ(model.InputType, type);
        EXPECT_EQ(record.lastIndex, static_cast<int>(files.size()) - 1);
        EXPECT_EQ(model.usedframes, static_cast<int>(files.size()));
        EXPECT_EQ(model.ImageWidth, 4);
    }

    writeFile(dir / "a.jpeg", readFile(dir / "t0.tiff"));
    writeFrameList(dir / "jpeg.kfl", {(dir / "a.jpeg").string()});
    const InputPlan jpeg =
        appendToSeries({}, InputFilter::None, readFrameList(dir / "jpeg.kfl", InputFilter::None)).plan;
    EXPECT_EQ(jpeg.filter, InputFilter::BMP);
    EXPECT_THROW(probeInput(jpeg, false), FileError);
}
