#pragma once
// The window's plain message dialog: caption, text, an icon for the type, the button set and the
// optional check box. It stands behind the message routine's presenter seam until the
// assistant's balloon takes that place, and it remains the platform's own box afterwards.

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

}  // namespace kestrave
