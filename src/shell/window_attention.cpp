#include "shell/window_attention.h"

#include <QApplication>

namespace kestrave {

namespace {
// One flash of the task-bar entry.
constexpr int FlashMilliseconds = 1000;
}  // namespace

bool ForceForegroundWindow(QWidget& window) {
    window.raise();
    window.activateWindow();
    return window.isActiveWindow();
}

void WindowAttention::flash() {
    if (window_) QApplication::alert(window_, FlashMilliseconds);
}

void WindowAttention::bringForward() {
    if (!window_ || !Formmessage_ || !Formmessage_->Checked()) return;
    if (window_->isMinimized())
        window_->showNormal();
    else
        window_->show();
    ForceForegroundWindow(*window_);
}

}  // namespace kestrave
