#include "shell/tool_windows.h"

#include <QCloseEvent>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <algorithm>

namespace kestrave {

ToolWindow::ToolWindow(QWidget* owner, const char* name, const QString& caption)
    : QWidget(owner, Qt::Tool), Body(new QVBoxLayout(this)) {
    setObjectName(name);
    setWindowTitle(caption);
    resize(260, 200);
    placedAt_ = pos();
}

void ToolWindow::fitContents() {
    resize(size().expandedTo(sizeHint()));
}

void ToolWindow::setVisible(bool visible) {
    QWidget::setVisible(visible);
    emit visibilitySet(visible);
}

QRect toolWindowPlace(const QRect& screen, const QRect& owner, const QRect& optionArea, QSize size,
                      QSize decoration, int cascade, const std::vector<QRect>& taken) {
    constexpr int Step = 24;
    // The highest top from `top` down to `last` (at `top` or just under another tool window) where
    // the window covers no other tool window, else the cascade's.
    const auto freeTop = [&](int left, int top, int last, QSize outer, int cascaded) {
        std::vector<int> tops{top};
        for (const QRect& other : taken) tops.push_back(other.bottom() + 1);
        std::sort(tops.begin(), tops.end());
        for (const int y : tops) {
            const QRect at(QPoint(left, y), outer);
            if (y >= top && y <= last && std::none_of(taken.begin(), taken.end(), [&](const QRect& other) {
                    return other.intersects(at);
                }))
                return y;
        }
        return cascaded;
    };
    const QSize outer = size + decoration;
    // Beside the main window, from the main window's top down, on the screen.
    const auto beside = [&](int left) {
        const int height = std::min(outer.height(), screen.height());
        const int last = screen.bottom() + 1 - height;
        const int top = std::clamp(owner.top(), screen.top(), last);
        const int cascaded = std::clamp(owner.top() + Step * cascade, screen.top(), last);
        return QRect(QPoint(left, freeTop(left, top, last, QSize(outer.width(), height), cascaded)),
                     QSize(size.width(), height - decoration.height()));
    };
    if (screen.right() - owner.right() >= outer.width()) return beside(owner.right() + 1);
    if (owner.left() - screen.left() >= outer.width()) return beside(owner.left() - outer.width());
    if (optionArea.isEmpty()) return QRect(owner.topLeft(), size);
    // Over the option column, at its right edge, below the tool windows already there while it
    // fits; else each further window a step lower.
    const QSize fitted = outer.boundedTo(optionArea.size());
    const int room = std::max(optionArea.height() - fitted.height(), 0);
    const int left = optionArea.right() + 1 - fitted.width();
    const int top = freeTop(left, optionArea.top(), optionArea.top() + room, fitted,
                            optionArea.top() + std::min(Step * cascade, room));
    return QRect(QPoint(left, top), fitted - decoration);
}

QRect ToolWindow::optionArea(const QWidget& mainWindow) {
    for (const QWidget* area : mainWindow.findChildren<QWidget*>()) {
        if (!area->property(ToolAreaProperty).toBool() || !area->isVisible()) continue;
        QRect free(area->mapToGlobal(QPoint(0, 0)), area->size());
        // Down to the action buttons.
        for (const QWidget* actions : area->findChildren<QWidget*>()) {
            if (actions->property(ActionButtonsProperty).toBool() && actions->isVisible())
                free.setBottom(std::min(free.bottom(), actions->mapToGlobal(QPoint(0, 0)).y() - 1));
        }
        return free;
    }
    return {};
}

void ToolWindow::place() {
    QWidget* owner = parentWidget()->window();
    const QScreen* screen = owner->screen();
    if (!screen) return;
    const int cascade = owner->property("toolWindowsPlaced").toInt() % 8;
    owner->setProperty("toolWindowsPlaced", cascade + 1);
    // Until the window system has framed this window, the main window's frame stands in for it.
    QSize decoration = frameGeometry().size() - size();
    if (decoration.isEmpty()) decoration = owner->frameGeometry().size() - owner->size();
    if (!placed_) wanted_ = size();
    std::vector<QRect> taken;
    for (const ToolWindow* other : owner->findChildren<ToolWindow*>())
        if (other != this && other->isVisible()) taken.push_back(other->frameGeometry());
    const QRect at = toolWindowPlace(screen->availableGeometry(), owner->frameGeometry(), optionArea(*owner),
                                     wanted_, decoration, cascade, taken);
    move(at.topLeft());
    // Never below what the contents need (the layout holds that minimum).
    resize(at.size());
    placedAt_ = pos();
    placed_ = true;
}

void ToolWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!parentWidget() || event->spontaneous()) return;
    // Moved since it was placed (dragged by the user, or put back where it stood by the stored
    // settings): it stays there. The window system's own nudge on framing it does not count.
    constexpr int Nudge = 48;
    if ((pos() - placedAt_).manhattanLength() > Nudge) userPlaced_ = true;
    if (!userPlaced_) place();
}

void ToolWindow::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    emit OnRollClose(this);
}

ToolWindows::ToolWindows(QWidget* owner)
    : HistoWindow(new ToolWindow(owner, "HistoWindow", "Histogram")),
      Gammawindow(new ToolWindow(owner, "Gammawindow", "Gamma")),
      Filterwindow(new ToolWindow(owner, "Filterwindow", "Wavelet filter")),
      HistoRGBWindow(new ToolWindow(owner, "HistoRGBWindow", "RGB balance")),
      Tonemapwindow(new ToolWindow(owner, "Tonemapwindow", "Tone mapping")),
      Shrinkview(new ToolWindow(owner, "Shrinkview", "Resize")),
      Zoomwindow(new ToolWindow(owner, "Zoomwindow", "Zoom")),
      Registerhaltwindow(new ToolWindow(owner, "Registerhaltwindow", "Break")),
      WaveZoom(new ToolWindow(owner, "WaveZoom", "Wavelet zoom")),
      Stackgraphpanel(new ToolWindow(owner, "Stackgraphpanel", "Stack graph")),
      StackFrameswindow(new ToolWindow(owner, "StackFrameswindow", "Stacklist")),
      SelectFrameswindow(new ToolWindow(owner, "SelectFrameswindow", "Select frames")),
      HLSwindow(new ToolWindow(owner, "HLSwindow", "Hue Saturation Lightness")),
      MultiAlignprogresswindow(new ToolWindow(owner, "MultiAlignprogresswindow", "Alignment points")),
      FFTWindow(new ToolWindow(owner, "FFTWindow", "FFT Spectrum")),
      Registrationgraphwindow(new ToolWindow(owner, "Registrationgraphwindow", "Registration")),
      RegiStration2(new ToolWindow(owner, "RegiStration2", "Registration ")),
      Imageinfowindow(new ToolWindow(owner, "Imageinfowindow", "Image information (caption)")),
      movements(new ToolWindow(owner, "movements", "Movements")),
      Sigmaevents(new ToolWindow(owner, "Sigmaevents", "Sigma event recording")),
      Alignmentpointswindow(new ToolWindow(owner, "Alignmentpointswindow", "Alignmentpoints")),
      HaltRegister(new QPushButton("Halt", Registerhaltwindow)),
      Cancel2button(new QPushButton("Cancel", Registerhaltwindow)) {
    HaltRegister->setObjectName("HaltRegister");
    Cancel2button->setObjectName("Cancel2button");
    Registerhaltwindow->Body->addWidget(HaltRegister);
    Registerhaltwindow->Body->addWidget(Cancel2button);
}

}  // namespace kestrave
