// The message routine: the check box's state, the fallback when the presenter cannot answer,
// batch runs, the message sound, and the window's own dialog.

#include <QCheckBox>
#include <QMessageBox>
#include <QPushButton>
#include <fstream>

#include "shell/dialog_presenter.h"
#include "shell_test_support.h"

namespace kestrave::test {

TEST(MessageRoutine, TheCheckBoxStateLandsInDoNotRepeat) {
    ScriptedContext scripted;
    MessageRoutine& routine = scripted.context.messages();

    scripted.messages->reply(mrOk, true);
    EXPECT_EQ(routine.NewMessagedlg("Wavelet setup changed", "Press Process", mtInformation, mbOK, 0, true,
                                    "Do not repeat this message"),
              mrOk);
    EXPECT_TRUE(routine.DoNotRepeat());
    EXPECT_TRUE(routine.messageBoxChecked()) << "the core reads the same state through its port";
    ASSERT_EQ(scripted.messages->shown.size(), 1u);
    EXPECT_EQ(scripted.messages->shown[0].checkBoxCaption, "Do not repeat this message  ");
    EXPECT_TRUE(scripted.messages->shown[0].showCheckBox);

    scripted.messages->reply(mrOk, false);
    routine.NewMessagedlg("Again", "Press Process", mtInformation, mbOK, 0, true,
                          "Do not repeat this message");
    EXPECT_FALSE(routine.DoNotRepeat());

    scripted.messages->reply(mrOk, true);  // a presenter that leaves a stale state behind
    routine.NewMessagedlg("Plain", "No box here", mtInformation, mbOK, 0, false, "");
    EXPECT_FALSE(routine.DoNotRepeat()) << "a message without a check box leaves DoNotRepeat false";
}

TEST(MessageRoutine, APresenterThatCannotAnswerHandsTheMessageToThePlatformBox) {
    ScriptedContext scripted;
    scripted.messages->reply(mrNone);
    scripted.platformBox->reply(mrNo);
    EXPECT_EQ(scripted.context.messages().NewMessagedlg("Closing", "Save ?", mtConfirmation, mbYesNoCancel, 0,
                                                        false, ""),
              mrNo);
    ASSERT_EQ(scripted.platformBox->shown.size(), 1u);
    EXPECT_EQ(scripted.platformBox->shown[0].text, "Save ?");

    scripted.messages->reply(mrNone);
    scripted.platformBox->reply(mrNone);
    EXPECT_EQ(scripted.context.messages().NewMessagedlg("Closing", "Save ?", mtConfirmation, mbYesNoCancel, 0,
                                                        false, ""),
              mrYes)
        << "never 'no button': the first of the set";
}

TEST(MessageRoutine, BatchRunsAnswerWithTheCallSitesBatchAnswerWithoutAnyDialog) {
    ScriptedContext scripted;
    editRun(scripted.context.pipeline).state.BatchMode = true;
    MessageRoutine& routine = scripted.context.messages();
    EXPECT_EQ(routine.NewMessagedlg("Cancelling ...", "Do you want to cancel ?", mtWarning, mbYesNo, 0, false,
                                    "", mrNo),
              mrNo);
    EXPECT_EQ(routine.NewMessagedlg("Stacking", "No frames", mtWarning, mbOK, 0, false, ""), mrOk);
    EXPECT_EQ(routine.platformBox().show({.text = "Pausing program, click OK to continue"}), mrOk);
    EXPECT_TRUE(scripted.messages->shown.empty());
    EXPECT_TRUE(scripted.platformBox->shown.empty());
}

TEST(MessageRoutine, PlaysTheMessageSoundOnlyWhenTheProgramDirectoryHasOneAndSomeoneListens) {
    ScriptedContext scripted;
    std::vector<std::filesystem::path> played;
    scripted.context.messages().setSoundPlayer(
        [&](const std::filesystem::path& file) { played.push_back(file); });
    scripted.context.messages().NewMessagedlg("Warning", "one", mtWarning, mbOK, 0, false, "");
    EXPECT_TRUE(played.empty());

    const auto sound = scripted.home.path() / "kestrave.wav";
    std::ofstream(sound) << "RIFF";
    scripted.context.messages().NewMessagedlg("Warning", "two", mtWarning, mbOK, 0, false, "");
    ASSERT_EQ(played.size(), 1u);
    EXPECT_EQ(played[0], sound);

    editRun(scripted.context.pipeline).state.BatchMode = true;
    scripted.context.messages().NewMessagedlg("Warning", "three", mtWarning, mbOK, 0, false, "");
    EXPECT_EQ(played.size(), 1u) << "unattended runs are silent";
}

TEST(DialogPresenter, BuildsTheBoxAndMapsTheButtonClicked) {
    app();
    const Message question{.caption = "Closing Kestrave ",
                           .text = "You have not saved.\n\rSave before quitting ?",
                           .dlgType = mtCustom,
                           .buttons = mbYesNoCancel,
                           .showCheckBox = true,
                           .checkBoxCaption = "Do not repeat  ",
                           .defaultButton = mbNo};
    auto box = buildMessageBox(question, nullptr);
    EXPECT_EQ(box->windowTitle(), "Closing Kestrave ");
    EXPECT_EQ(box->text(), "You have not saved.\n\rSave before quitting ?");
    EXPECT_EQ(box->buttons().size(), 3);
    ASSERT_NE(box->checkBox(), nullptr);
    EXPECT_EQ(box->checkBox()->text(), "Do not repeat  ");
    ASSERT_NE(box->defaultButton(), nullptr);
    EXPECT_EQ(box->defaultButton(), box->button(QMessageBox::No));

    box->button(QMessageBox::No)->click();
    EXPECT_EQ(messageBoxAnswer(*box, box->clickedButton(), question.buttons), mrNo);
    EXPECT_EQ(messageBoxAnswer(*box, nullptr, question.buttons), mrCancel) << "closed without a choice";
    EXPECT_EQ(messageBoxAnswer(*box, nullptr, mbYesNo), mrNo);
    EXPECT_EQ(messageBoxAnswer(*box, nullptr, mbOK), mrOk);
}

TEST(DialogPresenter, EveryButtonOfASetAnswersWithItsOwnResult) {
    app();
    const std::uint16_t all =
        mbYes | mbNo | mbOK | mbCancel | mbAbort | mbRetry | mbIgnore | mbAll | mbNoToAll | mbYesToAll;
    auto box = buildMessageBox({.buttons = all}, nullptr);
    std::vector<std::uint16_t> answers;
    for (QAbstractButton* button : box->buttons()) answers.push_back(messageBoxAnswer(*box, button, all));
    std::sort(answers.begin(), answers.end());
    EXPECT_EQ(answers, (std::vector<std::uint16_t>{mrOk, mrCancel, mrAbort, mrRetry, mrIgnore, mrYes, mrNo,
                                                   mrAll, mrNoToAll, mrYesToAll}));
}

}  // namespace kestrave::test
