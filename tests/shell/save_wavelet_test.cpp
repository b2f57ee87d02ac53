// The wavelet page's "Save" on the offscreen platform: a 16-bit PNG of the rendered result that
// an independent checker accepts, the "Do All" offer, and the batch path with the runner's preset
// name and type and the info stamp.

#include <QLineEdit>
#include <QPushButton>
#include <cstdio>

#include "platform/safe_file.h"
#include "save_test_support.h"
#include "shell/controllers/wavelet_controller.h"
#include "shell/pages/frame_windows.h"
#include "shell/pages/named_control.h"
#include "shell/pages/wavelet_page.h"
#include "support/run_command.h"
#include "widgets/check_box.h"

namespace kestrave::test {

namespace fs = std::filesystem;

namespace {

struct SaveWaveletTest : SaveTest {
    // Stacks and processes the stack, as the wavelet page does when it opens.
    void process() {
        stack();
        pieces(*form).wavelet->ProcessButtonClick();
        ASSERT_FALSE(context.pipeline.wavelet().ProcessPicture.empty());
    }
};

// The first `count` bytes of a PNG's samples as 16-bit big-endian RGB, read by ffmpeg.
std::string pngSampleBytes(const fs::path& file, int count) {
    std::string output;
    runCommand("ffmpeg -v error -i '" + file.string() +
                   "' -f rawvideo -pix_fmt rgb48be - | od -An -tx1 -v -N" + std::to_string(count) +
                   " | tr -d ' \\n'",
               output);
    return output;
}

std::string hexWords(const std::uint16_t* words, int count) {
    std::string text;
    for (int i = 0; i < count; ++i) {
        char word[8];
        std::snprintf(word, sizeof word, "%04x", words[i]);
        text += word;
    }
    return text;
}

}  // namespace

TEST_F(SaveWaveletTest, SavesTheRenderedResultAsASixteenBitPngAfterOfferingDoAll) {
    save.SaveBMP2buttonClick();  // nothing processed yet: nothing to save
    EXPECT_EQ(dialogs->shown, 0);
    EXPECT_TRUE(messages.shown.empty());

    process();
    editRun(context.pipeline).state.DoAllDone = false;
    messages.reply(mrNo);  // not now
    editRun(context.pipeline).model.InputType = TInputType::itSER;
    editRun(context.pipeline).model.InputIsSER = true;
    editRun(context.pipeline).model.SerName = "sky.ser";
    dialogs->willChoose(folder / "w1.bmp", 5);
    save.SaveBMP2buttonClick();
    EXPECT_TRUE(asked("Image not fully processed"));
    EXPECT_FALSE(context.pipeline.state().DoAllDone);
    EXPECT_EQ(dialogs->lastShown.Filter, pieces(*form).dialogs.WaveletSave.Filter);
    EXPECT_EQ(dialogs->lastShown.InitialDir, folder.path());
    ASSERT_TRUE(fs::exists(folder / "w1.png"));
    EXPECT_TRUE(context.shell.ImageSaved);

    std::string output;
    EXPECT_EQ(runCommand("pngcheck -v '" + (folder / "w1.png").string() + "'", output), 0) << output;
    EXPECT_NE(output.find("48-bit RGB"), std::string::npos) << output;
    EXPECT_NE(output.find("Software"), std::string::npos) << output;
    // The samples are those of the 16-bit result: its first row, first two pixels.
    EXPECT_EQ(pngSampleBytes(folder / "w1.png", 12),
              hexWords(context.pipeline.images().ResultImage16.HighBitRow(0), 6));

    // The save gives the window back the input's caption.
    EXPECT_EQ(form->windowTitle(), "Kestrave processing SER: sky.ser 0");

    // Yes runs "Do All" first; once it has run nothing is asked.
    messages.shown.clear();
    messages.reply(mrYes);
    dialogs->willChoose(folder / "w2", 5);
    save.SaveBMP2buttonClick();
    EXPECT_TRUE(asked("Image not fully processed"));
    EXPECT_TRUE(context.pipeline.state().DoAllDone);
    messages.shown.clear();
    dialogs->willChoose(folder / "w3", 5);
    save.SaveBMP2buttonClick();
    EXPECT_FALSE(asked("Image not fully processed"));
    EXPECT_TRUE(fs::exists(folder / "w3.png"));

    // Cancelling the dialog saves nothing and leaves the mark as it was.
    context.shell.ImageSaved = false;
    save.SaveBMP2buttonClick();
    EXPECT_FALSE(context.shell.ImageSaved);
}

TEST_F(SaveWaveletTest, BatchSavesTakeThePresetNameAndTypeAndCarryTheStamp) {
    process();
    editRun(context.pipeline).state.BatchMode = true;
    editRun(context.pipeline).state.DoAllDone = false;
    control<TPCheck>(*form, "StampImage")->setChecked(true);
    control<QLineEdit>(*form, "Objectnameedit")->setText("jupiter");

    // A name of ".bmp" is saved as "default" with the type's extension.
    pieces(*form).dialogs.WaveletSave.FileName = ".bmp";
    pieces(*form).dialogs.WaveletSave.FilterIndex = 1;
    save.SaveBMP2buttonClick();
    EXPECT_EQ(dialogs->shown, 0);
    EXPECT_TRUE(context.pipeline.state().DoAllDone);  // the batch answer to the "Do All" offer is Yes
    ASSERT_TRUE(fs::exists(folder / "default.bmp"));
    EXPECT_TRUE(context.shell.ImageSaved);
    // The stamp adds a band of 100 rows below the picture.
    const std::string bmp = fileText(folder / "default.bmp");
    ASSERT_GE(bmp.size(), 54u);
    const auto field = [&](std::size_t at) {
        return static_cast<int>(static_cast<unsigned char>(bmp[at]) | static_cast<unsigned char>(bmp[at + 1])
                                                                          << 8);
    };
    EXPECT_EQ(field(18), Width);
    EXPECT_EQ(field(22), Height + 100);

    // A TIFF of the result without asking over an existing file.
    writeFileAtomically(folder / "default.tif", std::string("older"));
    pieces(*form).dialogs.WaveletSave.FileName = "";
    pieces(*form).dialogs.WaveletSave.FilterIndex = 4;
    save.SaveBMP2buttonClick();
    EXPECT_NE(fileText(folder / "default.tif"), "older");
    EXPECT_EQ(context.regSettings->ReadString("Files", "lastwaveletsavetype", ""), "TIF");
}

}  // namespace kestrave::test
