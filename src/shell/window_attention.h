#pragma once
// How the main window draws the user's attention to a message: it flashes, and when the option
// `Formmessage` is ticked it is restored or shown and brought to the front.

#include <QPointer>
#include <QWidget>

#include "shell/message_routine.h"
#include "widgets/check_box.h"

namespace kestrave {

// Brings the window to the front and gives it the keyboard; true when it became the active
// window.
bool ForceForegroundWindow(QWidget& window);

class WindowAttention : public MessageAttention {
public:
    WindowAttention(QWidget& window, TPCheck& Formmessage) : window_(&window), Formmessage_(&Formmessage) {}
    void flash() override;
    void bringForward() override;

private:
    QPointer<QWidget> window_;
    QPointer<TPCheck> Formmessage_;
};

}  // namespace kestrave
