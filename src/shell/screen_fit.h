#pragma once
// Windows wholly on the screen: the main window at start (title bar and status bar included) and
// the tool windows as they open and as their contents grow.

#include <QRect>
#include <QSize>

class QWidget;

namespace kestrave {

// `outer` moved into `area`, made no larger than the area first (never below `smallest`).
QRect movedIntoArea(QRect outer, const QRect& area, QSize smallest = {});
// `outer` made wholly visible in `area` where it stands: it gives up the size that reaches past
// the area's right and bottom edges (never below `smallest`), and only what still sticks out is
// moved in.
QRect keptInArea(QRect outer, const QRect& area, QSize smallest = {});

// The window, its frame included, kept wholly on its screen's free area as keptInArea says; a
// maximised or full-screen window is left as it is.
void keepWindowOnScreen(QWidget& window);
// Shows the main window wholly on the screen: at its first start on a small screen, and with a
// placement stored on a larger one, it is fitted to the free area (status bar on the screen), now
// and again once the window system has framed it.
void showWindowOnScreen(QWidget& window);

}  // namespace kestrave
