#include "shell/window_progress.h"

#include <QCoreApplication>

namespace kestrave {

WindowProgress::WindowProgress(QWidget& window, QProgressBar& bar, const std::array<QLabel*, 5>& panels,
                               LongOperations& operations)
    : window_(&window),
      bar_(&bar),
      operations_(operations),
      pacer_(unattendedWindow(window, [this] { return echo_ != nullptr; })) {
    for (std::size_t i = 0; i < panels.size(); ++i) panels_[i] = panels[i];
    operations_.onIdle = [this] { showKept(); };
}

WindowProgress::~WindowProgress() {
    operations_.onIdle = nullptr;
}

void WindowProgress::setMaximum(int maximum) {
    if (echo_) echo_->setMaximum(maximum);
    maximum_ = maximum;
    if (!keepingBack()) showKept();
}

void WindowProgress::setPosition(int position) {
    if (echo_) echo_->setPosition(position);
    position_ = position;
    if (!keepingBack()) showKept();
}

void WindowProgress::setStatus(int panel, const std::string& text) {
    if (echo_) echo_->setStatus(panel, text);
    if (panel < 0 || panel >= static_cast<int>(panels_.size())) return;
    texts_[static_cast<std::size_t>(panel)] = text;
    if (!keepingBack()) showKept();
}

void WindowProgress::setCaption(const std::string& caption) {
    if (echo_) echo_->setCaption(caption);
    caption_ = caption;
    if (!keepingBack()) showKept();
}

void WindowProgress::setActivity(const std::string& text) {
    if (showActivity) showActivity(text);
}

void WindowProgress::showMemoryUsage() {
    if (showMemory) showMemory();
}

void WindowProgress::showKept() {
    if (maximum_ && bar_) bar_->setMaximum(*maximum_);
    if (position_ && bar_) bar_->setValue(*position_);
    maximum_.reset();
    position_.reset();
    for (std::size_t i = 0; i < panels_.size(); ++i) {
        if (texts_[i] && panels_[i]) panels_[i]->setText(QString::fromStdString(*texts_[i]));
        texts_[i].reset();
    }
    if (caption_ && window_) window_->setWindowTitle(QString::fromStdString(*caption_));
    caption_.reset();
}

void WindowProgress::processMessages() {
    if (keepingBack()) {
        const bool due = pacer_.due();
        if (due) showKept();
        // A batch lets events through only when it draws; a window that is merely hidden still
        // answers Cancel and Pause at every poll.
        if (!due && echo_) return;
    }
    const LongOperations::Pump pump(operations_, LongOperations::PumpKind::Loop);
    QCoreApplication::processEvents();
}

}  // namespace kestrave
