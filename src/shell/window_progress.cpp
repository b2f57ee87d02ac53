#include "shell/window_progress.h"

#include <QCoreApplication>

namespace kestrave {

WindowProgress::WindowProgress(QWidget& window, QProgressBar& bar, const std::array<QLabel*, 5>& panels,
                               LongOperations& operations)
    : window_(&window), bar_(&bar), operations_(operations) {
    for (std::size_t i = 0; i < panels.size(); ++i) panels_[i] = panels[i];
}

void WindowProgress::setMaximum(int maximum) {
    if (echo_) echo_->setMaximum(maximum);
    if (bar_) bar_->setMaximum(maximum);
}

void WindowProgress::setPosition(int position) {
    if (echo_) echo_->setPosition(position);
    if (bar_) bar_->setValue(position);
}

void WindowProgress::setStatus(int panel, const std::string& text) {
    if (echo_) echo_->setStatus(panel, text);
    if (panel < 0 || panel >= static_cast<int>(panels_.size())) return;
    if (const auto& label = panels_[static_cast<std::size_t>(panel)])
        label->setText(QString::fromStdString(text));
}

void WindowProgress::setCaption(const std::string& caption) {
    if (echo_) echo_->setCaption(caption);
    if (window_) window_->setWindowTitle(QString::fromStdString(caption));
}

void WindowProgress::processMessages() {
    const LongOperations::Pump pump(operations_, LongOperations::PumpKind::Loop);
    QCoreApplication::processEvents();
}

}  // namespace kestrave
