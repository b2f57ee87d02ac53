#include "shell/screen_fit.h"

#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <algorithm>

namespace kestrave {

QRect movedIntoArea(QRect outer, const QRect& area, QSize smallest) {
    outer.setSize(outer.size().boundedTo(area.size()).expandedTo(smallest));
    outer.moveLeft(std::max(std::min(outer.left(), area.right() + 1 - outer.width()), area.left()));
    outer.moveTop(std::max(std::min(outer.top(), area.bottom() + 1 - outer.height()), area.top()));
    return outer;
}

QRect keptInArea(QRect outer, const QRect& area, QSize smallest) {
    const QSize room(area.right() + 1 - outer.left(), area.bottom() + 1 - outer.top());
    outer.setSize(outer.size().boundedTo(room).expandedTo(smallest));
    return movedIntoArea(outer, area, smallest);
}

void keepWindowOnScreen(QWidget& window) {
    const QScreen* screen = window.screen();
    if (!screen || window.isMaximized() || window.isFullScreen()) return;
    const QRect frame = window.frameGeometry();
    const QSize margins = frame.size() - window.size();
    const QSize smallest = window.minimumSize() + margins;
    const QRect kept = keptInArea(frame, screen->availableGeometry(), smallest);
    if (kept.size() != frame.size()) window.resize(kept.size() - margins);
    // The position of a window is that of its frame.
    if (kept.topLeft() != frame.topLeft()) window.move(kept.topLeft());
}

void showWindowOnScreen(QWidget& window) {
    window.show();
    keepWindowOnScreen(window);
    // A window manager adds its frame (title bar, borders) a moment after the window shows.
    constexpr int FramingMs = 250;
    QTimer::singleShot(FramingMs, &window, [target = QPointer<QWidget>(&window)] {
        if (target) keepWindowOnScreen(*target);
    });
}

}  // namespace kestrave
