#include "platform/message_port.h"

#include <iostream>

namespace kestrave {

std::uint16_t resultForButton(std::uint16_t buttonBit) {
    switch (buttonBit) {
        case mbYes:
            return mrYes;
        case mbNo:
            return mrNo;
        case mbOK:
            return mrOk;
        case mbCancel:
            return mrCancel;
        case mbAbort:
            return mrAbort;
        case mbRetry:
            return mrRetry;
        case mbIgnore:
            return mrIgnore;
        case mbAll:
            return mrAll;
        case mbNoToAll:
            return mrNoToAll;
        case mbYesToAll:
            return mrYesToAll;
        default:
            return mrNone;
    }
}

std::uint16_t firstButtonResult(std::uint16_t buttons) {
    for (std::uint16_t bit = 1; bit != 0 && bit <= mbYesToAll; bit = static_cast<std::uint16_t>(bit << 1)) {
        if (buttons & bit) return resultForButton(bit);
    }
    return mrOk;
}

namespace {

Message notice(std::uint8_t dlgType, const std::string& caption, const std::string& text,
               const std::string& checkBox) {
    Message message;
    message.caption = caption;
    message.text = text;
    message.dlgType = dlgType;
    message.buttons = mbOK;
    message.showCheckBox = !checkBox.empty();
    message.checkBoxCaption = checkBox;
    return message;
}

}  // namespace

std::uint16_t MessagePort::inform(const std::string& caption, const std::string& text,
                                  const std::string& checkBox) {
    return show(notice(mtInformation, caption, text, checkBox));
}

std::uint16_t MessagePort::warn(const std::string& caption, const std::string& text,
                                const std::string& checkBox) {
    return show(notice(mtWarning, caption, text, checkBox));
}

std::uint16_t MessagePort::error(const std::string& caption, const std::string& text) {
    return show(notice(mtError, caption, text, {}));
}

std::uint16_t MessagePort::ask(std::uint8_t dlgType, const std::string& caption, const std::string& text,
                               std::uint16_t buttons, std::uint16_t unattended, const std::string& checkBox,
                               std::uint16_t focus) {
    Message message = notice(dlgType, caption, text, checkBox);
    message.buttons = buttons;
    message.batchAnswer = unattended;
    message.defaultButton = focus;
    return show(message);
}

BatchMessagePresenter::BatchMessagePresenter()
    : sink_([](const std::string& line) { std::cerr << line << '\n'; }) {}

BatchMessagePresenter::BatchMessagePresenter(Sink sink) : sink_(std::move(sink)) {}

std::uint16_t BatchMessagePresenter::show(const Message& message) {
    history_.push_back(message);
    if (sink_) sink_("[" + message.caption + "] " + message.text);
    setMessageBoxChecked(false);
    return message.batchAnswer != mrNone ? message.batchAnswer : firstButtonResult(message.buttons);
}

}  // namespace kestrave
