#include "shell/dialog_presenter.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QMessageBox>
#include <QPushButton>
#include <array>
#include <bit>

#include "assistant/assistant.h"
#include "shell/assistant_handlers.h"

namespace kestrave {

namespace {

struct ButtonKind {
    std::uint16_t bit;
    QMessageBox::StandardButton standard;  // NoButton: a button of our own with `caption`
    const char* caption;
};

// In the order the set's buttons are shown.
constexpr std::array<ButtonKind, 11> ButtonKinds{{
    {mbYes, QMessageBox::Yes, nullptr},
    {mbNo, QMessageBox::No, nullptr},
    {mbOK, QMessageBox::Ok, nullptr},
    {mbCancel, QMessageBox::Cancel, nullptr},
    {mbAbort, QMessageBox::Abort, nullptr},
    {mbRetry, QMessageBox::Retry, nullptr},
    {mbIgnore, QMessageBox::Ignore, nullptr},
    {mbAll, QMessageBox::NoButton, "All"},
    {mbNoToAll, QMessageBox::NoToAll, nullptr},
    {mbYesToAll, QMessageBox::YesToAll, nullptr},
    {mbHelp, QMessageBox::Help, nullptr},
}};

QMessageBox::Icon iconFor(std::uint8_t dlgType) {
    switch (dlgType) {
        case mtWarning:
            return QMessageBox::Warning;
        case mtError:
            return QMessageBox::Critical;
        case mtInformation:
            return QMessageBox::Information;
        case mtConfirmation:
            return QMessageBox::Question;
        default:
            return QMessageBox::NoIcon;
    }
}

const char* const ButtonBitProperty = "kestraveButtonBit";

}  // namespace

std::unique_ptr<QMessageBox> buildMessageBox(const Message& message, QWidget* parent) {
    auto box = std::make_unique<QMessageBox>(parent);
    box->setWindowTitle(QString::fromStdString(message.caption));
    box->setText(QString::fromStdString(message.text));
    box->setIcon(iconFor(message.dlgType));
    const std::uint16_t buttons = message.buttons ? message.buttons : std::uint16_t{mbOK};
    for (const ButtonKind& kind : ButtonKinds) {
        if (!(buttons & kind.bit)) continue;
        QAbstractButton* button =
            kind.standard != QMessageBox::NoButton
                ? static_cast<QAbstractButton*>(box->addButton(kind.standard))
                : box->addButton(QString::fromUtf8(kind.caption), QMessageBox::AcceptRole);
        button->setProperty(ButtonBitProperty, kind.bit);
        if (kind.bit == message.defaultButton) {
            if (auto* push = qobject_cast<QPushButton*>(button)) box->setDefaultButton(push);
        }
    }
    if (message.showCheckBox)
        box->setCheckBox(new QCheckBox(QString::fromStdString(message.checkBoxCaption)));
    return box;
}

std::uint16_t messageBoxAnswer(const QMessageBox& box, const QAbstractButton* clicked,
                               std::uint16_t buttons) {
    if (clicked && box.buttons().contains(const_cast<QAbstractButton*>(clicked))) {
        const std::uint16_t answer =
            resultForButton(clicked->property(ButtonBitProperty).value<std::uint16_t>());
        if (answer != mrNone) return answer;
    }
    if (buttons & mbCancel) return mrCancel;
    if (buttons & mbNo) return mrNo;
    return firstButtonResult(buttons);
}

std::uint16_t DialogMessagePresenter::show(const Message& message) {
    const std::unique_ptr<QMessageBox> box = buildMessageBox(message, parent_);
    box->exec();
    setMessageBoxChecked(box->checkBox() && box->checkBox()->isChecked());
    return messageBoxAnswer(*box, box->clickedButton(),
                            message.buttons ? message.buttons : std::uint16_t{mbOK});
}

BalloonMessagePresenter::BalloonMessagePresenter(TAssistant& assistant) : assistant_(&assistant) {}

std::uint16_t BalloonMessagePresenter::show(const Message& message) {
    if (!assistant_) return mrNone;
    TMsgDlgOptions& options = assistant_->MsgDlg();
    options.Title = QString::fromStdString(message.caption);
    options.CheckBox.Visible = message.showCheckBox;
    options.CheckBox.Caption = QString::fromStdString(message.checkBoxCaption);
    options.CheckBox.Enabled = true;
    options.CheckBox.setChecked(false);
    assistant_->RaiseWindows();
    // The balloon takes the focused button as its index in the set (255: the balloon chooses).
    const int focus =
        std::has_single_bit(message.defaultButton) ? std::countr_zero(message.defaultButton) : 255;
    const int answer = assistant_->MessageDlgEx(QString::fromStdString(message.text), message.dlgType,
                                                message.buttons, message.helpCtx, focus);
    setMessageBoxChecked(message.showCheckBox && options.CheckBox.Checked());
    return std::uint16_t(answer);
}

std::unique_ptr<MessagePort> makeWindowPresenter(QWidget& window) {
    if (TAssistant* assistant = windowAssistant(window))
        return std::make_unique<BalloonMessagePresenter>(*assistant);
    return std::make_unique<DialogMessagePresenter>(&window);
}

}  // namespace kestrave
