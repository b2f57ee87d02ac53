#pragma once
// The presenters of the window's messages: the assistant's speech balloon, and the plain message
// dialog (caption, text, an icon for the type, the button set and the optional check box) that
// serves as the platform's own box and wherever a window has no assistant.

#include <QPointer>
#include <QWidget>
#include <memory>

#include "platform/message_port.h"

class QAbstractButton;
class QMessageBox;

namespace kestrave {

// The dialog for one message, not yet shown.
std::unique_ptr<QMessageBox> buildMessageBox(const Message& message, QWidget* parent);
// The result for the button clicked (nullptr when the box was closed without one): never
// mrNone — a box closed without a choice answers Cancel, else No, else its first button.
std::uint16_t messageBoxAnswer(const QMessageBox& box, const QAbstractButton* clicked, std::uint16_t buttons);

class DialogMessagePresenter : public MessagePort {
public:
    explicit DialogMessagePresenter(QWidget* parent) : parent_(parent) {}
    std::uint16_t show(const Message& message) override;

private:
    QPointer<QWidget> parent_;
};

class TAssistant;

// Shows each message in the assistant's balloon: the caption as its title, the check box as
// the message asks, the focus on the message's default button; the box's state afterwards is
// the "do not repeat" answer.
class BalloonMessagePresenter : public MessagePort {
public:
    explicit BalloonMessagePresenter(TAssistant& assistant);
    std::uint16_t show(const Message& message) override;

private:
    QPointer<TAssistant> assistant_;
};

// The balloon of the window's assistant; the plain dialog when the window has none.
std::unique_ptr<MessagePort> makeWindowPresenter(QWidget& window);

}  // namespace kestrave
