#include "shell/redraw_pacer.h"

#include <QPointer>
#include <QWidget>
#include <utility>

namespace kestrave {

RedrawPacer::RedrawPacer(std::function<bool()> unattended, Clock::duration interval)
    : unattended_(std::move(unattended)), interval_(interval) {}

bool RedrawPacer::due() {
    if (!unattended()) return true;
    const Clock::time_point now = Clock::now();
    if (now < next_) return false;
    next_ = now + interval_;
    return true;
}

std::function<bool()> unattendedWindow(const QWidget& window, std::function<bool()> batchRun) {
    return [shown = QPointer<const QWidget>(&window), batchRun = std::move(batchRun)] {
        return !shown || !shown->isVisible() || (batchRun && batchRun());
    };
}

}  // namespace kestrave
