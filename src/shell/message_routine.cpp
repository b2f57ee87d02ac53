#include "shell/message_routine.h"

#include "platform/program_dir.h"

namespace kestrave {

MessageRoutine::MessageRoutine(const ProgramState& state) : state_(state) {}

MessagePort& MessageRoutine::presenter() {
    if (state_.BatchMode || !presenter_) return batch_;
    return *presenter_;
}

MessagePort& MessageRoutine::platformBox() {
    if (state_.BatchMode || !platformBox_) return batch_;
    return *platformBox_;
}

void MessageRoutine::playMessageSound() const {
    // Unattended runs are silent.
    if (!soundPlayer_ || state_.BatchMode) return;
    const std::filesystem::path sound = findResource("kestrave.wav");
    if (!sound.empty()) soundPlayer_(sound);
}

std::uint16_t MessageRoutine::show(const Message& message) {
    if (message.dlgType == mtError) ++errorsShown_;
    if (attention_) attention_->flash();
    playMessageSound();
    if (attention_) attention_->bringForward();

    Message shown = message;
    if (shown.showCheckBox) shown.checkBoxCaption += "  ";
    MessagePort* answering = &presenter();
    std::uint16_t answer = answering->show(shown);
    // A presenter that cannot show the message now (the assistant while its character moves)
    // answers "no button"; callers would take that for No, so the platform's box asks instead.
    if (answer == mrNone) {
        answering = &platformBox();
        answer = answering->show(shown);
    }
    if (answer == mrNone) answer = firstButtonResult(shown.buttons);
    setMessageBoxChecked(shown.showCheckBox && answering->messageBoxChecked());
    return answer;
}

std::uint16_t MessageRoutine::NewMessagedlg(const std::string& Caption, const std::string& Text,
                                            std::uint8_t DlgType, std::uint16_t Buttons, int HelpCtx,
                                            bool ShowCheckBox, const std::string& CheckBoxCaption,
                                            std::uint16_t batchAnswer) {
    Message message;
    message.caption = Caption;
    message.text = Text;
    message.dlgType = DlgType;
    message.buttons = Buttons;
    message.helpCtx = HelpCtx;
    message.showCheckBox = ShowCheckBox;
    message.checkBoxCaption = CheckBoxCaption;
    message.batchAnswer = batchAnswer;
    return show(message);
}

std::uint16_t askOverwrite(MessageRoutine& messages, const std::filesystem::path& file,
                           const std::string& text) {
    std::error_code error;
    if (!std::filesystem::exists(file, error)) return mrYes;
    return messages.ask(mtWarning, "File exists", text, mbYesNo, mrNo);
}

}  // namespace kestrave
