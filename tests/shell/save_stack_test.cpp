// The stack page's "Save" on the offscreen platform: batch saves of every type without a
// question, the dialog and the overwrite question of interactive runs, the save folder, and
// failures that are reported and leave the image unsaved.

#include <QLineEdit>
#include <QPushButton>

#include "persist/reg_settings.h"
#include "platform/safe_file.h"
#include "save_test_support.h"
#include "shell/pages/align_page.h"
#include "shell/pages/directory_list_box.h"
#include "shell/pages/named_control.h"
#include "shell/pages/stack_page.h"
#include "support/run_command.h"
#include "widgets/check_box.h"

namespace kestrave::test {

namespace fs = std::filesystem;

using SaveStackTest = SaveTest;

TEST_F(SaveStackTest, BatchSavesWriteEveryTypeWithoutAskingAndOnlyThenCountAsSaved) {
    editRun(context.pipeline).state.BatchMode = true;
    save.SaveButtonClick();  // no stack yet: nothing to save
    EXPECT_FALSE(context.shell.ImageSaved);
    EXPECT_TRUE(fs::is_empty(folder.path()));

    stack();
    const std::vector<std::pair<int, std::string>> types{{1, "m1.bmp"}, {2, "m1.jpg"},  {3, "m1.fit"},
                                                         {4, "m1.fit"}, {5, "m1.fitk"}, {6, "m1.tif"},
                                                         {7, "m1.png"}};
    // Every file exists already; a batch run replaces each without a question.
    for (const auto& [filter, name] : types) writeFileAtomically(folder / name, std::string("older"));
    testing::internal::CaptureStderr();
    for (const auto& [filter, name] : types) {
        context.shell.ImageSaved = false;
        pieces(*form).dialogs.SaveDialog1.FileName = "m1";
        pieces(*form).dialogs.SaveDialog1.FilterIndex = filter;
        save.SaveButtonClick();
        EXPECT_NE(fileText(folder / name), "older") << name;
        EXPECT_TRUE(context.shell.ImageSaved) << name;
    }
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_EQ(log.find("exists"), std::string::npos) << log;
    EXPECT_EQ(dialogs->shown, 0);
    // The special FITS switched the program's master-frame mode on.
    EXPECT_TRUE(context.pipeline.state().MasterFrameMode);
    EXPECT_EQ(context.regSettings->ReadString("Files", "LastStacksavetype", ""), "PNG");
    EXPECT_EQ(fs::path(context.regSettings->ReadString("Files", "SaveDir", "")), folder.path());

    std::string output;
    EXPECT_EQ(runCommand("pngcheck -v '" + (folder / "m1.png").string() + "'", output), 0) << output;
    EXPECT_NE(output.find("48-bit RGB"), std::string::npos) << output;
    // The grey stack of level 100 as 16-bit samples: 100 × 255.
    EXPECT_EQ(runCommand("ffmpeg -v error -i '" + (folder / "m1.png").string() +
                             "' -f rawvideo -pix_fmt rgb48be - | od -An -tx1 -N6",
                         output),
              0);
    EXPECT_NE(output.find("63 9c 63 9c 63 9c"), std::string::npos) << output;
}

TEST_F(SaveStackTest, InteractiveSavesGoThroughTheDialogAndTheOverwriteQuestion) {
    stack();
    AlignPage& location = *pieces(*form).alignPage;
    control<TPCheck>(location, "Savesubcontrol")->setChecked(true);
    control<QLineEdit>(location, "Subdirname")->setText("night/jupiter");
    const fs::path sub = folder / "night" / "jupiter";

    // Cancel: nothing written, nothing marked; the subfolder was made for the dialog to open in.
    save.SaveButtonClick();
    ASSERT_EQ(dialogs->shown, 1);
    EXPECT_EQ(dialogs->lastShown.InitialDir, sub);
    EXPECT_EQ(dialogs->lastShown.Filter, pieces(*form).dialogs.SaveDialog1.Filter);
    EXPECT_TRUE(fs::is_directory(sub));
    EXPECT_FALSE(context.shell.ImageSaved);

    // The filter chosen decides the type, whatever extension was typed; the caption of a PNG
    // series comes back in the singular.
    editRun(context.pipeline).model.InputIsSeries = true;
    editRun(context.pipeline).model.InputType = TInputType::itPNG;
    editRun(context.pipeline).model.FrameNames[0] = "/night/f1.png";
    dialogs->willChoose(sub / "pick.jpg", 1);
    save.SaveButtonClick();
    EXPECT_EQ(form->windowTitle(), "Kestrave processing PNG: /night/f1.png");
    EXPECT_TRUE(fs::exists(sub / "pick.bmp"));
    EXPECT_FALSE(fs::exists(sub / "pick.jpg"));
    EXPECT_EQ(pieces(*form).dialogs.SaveDialog1.FilterIndex, 1);
    EXPECT_TRUE(context.shell.ImageSaved);

    // An existing file: No keeps it and the image stays unsaved; Yes replaces it.
    writeFileAtomically(sub / "pick.bmp", std::string("older"));
    context.shell.ImageSaved = false;
    dialogs->willChoose(sub / "pick", 1);
    messages.reply(mrNo);
    save.SaveButtonClick();
    EXPECT_TRUE(asked("File exists"));
    EXPECT_EQ(fileText(sub / "pick.bmp"), "older");
    EXPECT_FALSE(context.shell.ImageSaved);

    dialogs->willChoose(sub / "pick", 1);
    messages.reply(mrYes);
    save.SaveButtonClick();
    EXPECT_EQ(fileText(sub / "pick.bmp").substr(0, 2), "BM");
    EXPECT_TRUE(context.shell.ImageSaved);
}

TEST_F(SaveStackTest, FailedSavesAreReportedAndLeaveTheImageUnsaved) {
    stack();

    // A folder stands where the file would go.
    fs::create_directory(folder / "m1.tif");
    dialogs->willChoose(folder / "m1", 6);
    save.SaveButtonClick();
    EXPECT_TRUE(asked("Save error"));
    EXPECT_FALSE(context.shell.ImageSaved);
    EXPECT_TRUE(fs::is_directory(folder / "m1.tif"));

    // A save never replaces a frame of the input.
    messages.shown.clear();
    writeFileAtomically(folder / "frame0.bmp", std::string("input frame"));
    editRun(context.pipeline).model.InputIsSeries = true;
    editRun(context.pipeline).model.FrameNames[0] = (folder / "frame0.bmp").string();
    dialogs->willChoose(folder / "frame0", 1);
    save.SaveButtonClick();
    EXPECT_TRUE(asked("Save error"));
    EXPECT_EQ(fileText(folder / "frame0.bmp"), "input frame");
    EXPECT_FALSE(context.shell.ImageSaved);

    // A subfolder that cannot be made.
    messages.shown.clear();
    writeFileAtomically(folder / "blocked", std::string("a file"));
    control<TPCheck>(*form, "Savesubcontrol")->setChecked(true);
    control<QLineEdit>(*form, "Subdirname")->setText("blocked/sub");
    const int dialogsShown = dialogs->shown;
    save.SaveButtonClick();
    EXPECT_TRUE(asked("Save error"));
    EXPECT_EQ(dialogs->shown, dialogsShown);
    EXPECT_FALSE(context.shell.ImageSaved);
}

}  // namespace kestrave::test
