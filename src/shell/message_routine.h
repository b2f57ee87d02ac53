#pragma once
// NewMessagedlg: the one routine through which every user message goes. The core sees it as its
// MessagePort. It draws the user's attention (flashes the window, plays "kestrave.wav" from the
// program directory when there is one and the run is not unattended, brings the window forward
// when the user asked for that), then hands the message to the presenter: a dialog of the
// window, the assistant's balloon once it exists, or — in batch runs and until a window installs
// one — the non-blocking batch presenter. The state of the message's check box afterwards is `DoNotRepeat`.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "frames/program_state.h"
#include "platform/message_port.h"

namespace kestrave {

// What the window does to draw the user's attention before a message.
class MessageAttention {
public:
    virtual ~MessageAttention() = default;
    // Flashes the window once.
    virtual void flash() = 0;
    // Restores or shows the window and brings it to the front when the user's option asks so.
    virtual void bringForward() = 0;
};

class MessageRoutine : public MessagePort {
public:
    using SoundPlayer = std::function<void(const std::filesystem::path&)>;

    explicit MessageRoutine(const ProgramState& state);

    std::uint16_t show(const Message& message) override;

    std::uint16_t NewMessagedlg(const std::string& Caption, const std::string& Text, std::uint8_t DlgType,
                                std::uint16_t Buttons, int HelpCtx, bool ShowCheckBox,
                                const std::string& CheckBoxCaption, std::uint16_t batchAnswer = mrNone);

    // The check box's state after the last message; false when the message had none.
    bool DoNotRepeat() const { return messageBoxChecked(); }
    // How many error messages were shown so far: the batch runner learns from it that a step it
    // ran reported a failure.
    int errorsShown() const { return errorsShown_; }
    // What unattended runs were told, in order.
    const std::vector<Message>& batchLog() const { return batch_.history(); }

    // The presenter of messages (a window dialog now, the assistant's balloon later).
    void setPresenter(std::unique_ptr<MessagePort> presenter) { presenter_ = std::move(presenter); }
    // The platform's own message box: the pause notice, and the fallback when the presenter
    // cannot answer (it answered mrNone).
    void setPlatformBox(std::unique_ptr<MessagePort> box) { platformBox_ = std::move(box); }
    MessagePort& platformBox();
    void setAttention(std::unique_ptr<MessageAttention> attention) { attention_ = std::move(attention); }
    // Plays a sound file without waiting for it to end. Without a player (no sound output in the
    // stack) messages are silent.
    void setSoundPlayer(SoundPlayer player) { soundPlayer_ = std::move(player); }

private:
    MessagePort& presenter();
    void playMessageSound() const;

    const ProgramState& state_;
    BatchMessagePresenter batch_;
    std::unique_ptr<MessagePort> presenter_;
    std::unique_ptr<MessagePort> platformBox_;
    std::unique_ptr<MessageAttention> attention_;
    SoundPlayer soundPlayer_;
    int errorsShown_ = 0;
};

// Asks, caption "File exists", whether an existing `file` may be replaced; mrYes when it does not
// exist. Unattended runs never replace a file they were not told to (the batch answer is No).
std::uint16_t askOverwrite(MessageRoutine& messages, const std::filesystem::path& file,
                           const std::string& text);

}  // namespace kestrave
