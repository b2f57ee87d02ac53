#pragma once
// The port through which every user message goes. The window installs a presenter that shows
// the message in a dialog; batch runs and tests install one that never blocks.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace kestrave {

// Dialog types.
enum : std::uint8_t { mtWarning = 0, mtError = 1, mtInformation = 2, mtConfirmation = 3, mtCustom = 4 };

// Button set bits (a set of buttons is the OR of these).
enum : std::uint16_t {
    mbYes = 1u << 0,
    mbNo = 1u << 1,
    mbOK = 1u << 2,
    mbCancel = 1u << 3,
    mbAbort = 1u << 4,
    mbRetry = 1u << 5,
    mbIgnore = 1u << 6,
    mbAll = 1u << 7,
    mbNoToAll = 1u << 8,
    mbYesToAll = 1u << 9,
    mbHelp = 1u << 10,
};
constexpr std::uint16_t mbYesNo = mbYes | mbNo;
constexpr std::uint16_t mbYesNoCancel = mbYes | mbNo | mbCancel;
constexpr std::uint16_t mbOKCancel = mbOK | mbCancel;

// Results: which button was chosen.
enum : std::uint16_t {
    mrNone = 0,
    mrOk = 1,
    mrCancel = 2,
    mrAbort = 3,
    mrRetry = 4,
    mrIgnore = 5,
    mrYes = 6,
    mrNo = 7,
    mrAll = 8,
    mrNoToAll = 9,
    mrYesToAll = 10,
};

// The result that stands for one button of a set.
std::uint16_t resultForButton(std::uint16_t buttonBit);
// The first button of a set, in the order Yes, No, OK, Cancel, Abort, Retry, Ignore, All, …
std::uint16_t firstButtonResult(std::uint16_t buttons);

struct Message {
    std::string caption;
    std::string text;
    std::uint8_t dlgType = mtInformation;
    std::uint16_t buttons = mbOK;
    int helpCtx = 0;
    bool showCheckBox = false;
    std::string checkBoxCaption;
    // The answer an unattended run gives; mrNone means the first button of the set.
    std::uint16_t batchAnswer = mrNone;
    // The button (one bit of the set) that has the keyboard focus; 0 means the first.
    std::uint16_t defaultButton = 0;
};

class MessagePort {
public:
    virtual ~MessagePort() = default;
    // Shows the message and returns the button chosen.
    virtual std::uint16_t show(const Message& message) = 0;
    // The state of the check box of the last message ("do not repeat").
    bool messageBoxChecked() const { return checked_; }

    // One-button notices: "OK" is the only answer, unattended runs included. A check box caption
    // adds the box ("do not repeat"); messageBoxChecked() then tells whether the user ticked it.
    std::uint16_t inform(const std::string& caption, const std::string& text,
                         const std::string& checkBox = {});
    std::uint16_t warn(const std::string& caption, const std::string& text, const std::string& checkBox = {});
    std::uint16_t error(const std::string& caption, const std::string& text);
    // A question of a dialog type with a set of buttons; `unattended` is the answer a batch run
    // gives. `focus` is the button (one bit of the set) with the keyboard focus; 0 means the first.
    std::uint16_t ask(std::uint8_t dlgType, const std::string& caption, const std::string& text,
                      std::uint16_t buttons, std::uint16_t unattended, const std::string& checkBox = {},
                      std::uint16_t focus = 0);

protected:
    void setMessageBoxChecked(bool checked) { checked_ = checked; }

private:
    bool checked_ = false;
};

// Never blocks: writes caption and text to a log (standard error by default) and returns the
// answer that the call site names for unattended runs, else the first button of the set.
class BatchMessagePresenter : public MessagePort {
public:
    using Sink = std::function<void(const std::string&)>;
    BatchMessagePresenter();
    explicit BatchMessagePresenter(Sink sink);
    std::uint16_t show(const Message& message) override;

    // Everything shown so far; tests read it.
    const std::vector<Message>& history() const { return history_; }
    void clearHistory() { history_.clear(); }

private:
    Sink sink_;
    std::vector<Message> history_;
};

}  // namespace kestrave
