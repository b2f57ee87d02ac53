#include "shell/tool_windows.h"

#include <QCloseEvent>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QScreen>
#include <QShowEvent>
#include <algorithm>
#include <memory>
#include <utility>

#include "shell/screen_fit.h"
#include "widgets/draw_utils.h"

namespace kestrave {

namespace {

// The pale green of the main window's roll-up caption bars.
constexpr int RollupCaptionColor = 12639424;

constexpr RollupSetting RollupSettings[] = {
    {"Registrationgraphwindow", "Registration ", 901, 273},
    {"AngleDist", "Angle & Distance", 901, 25},
    {"Registerhaltwindow", "Break", 901, 57},
    {"Zoomwindow", "Zoom", 109, 256},
    {"SelectFrameswindow", "Framelist", 901, 505},
    {"FFTWindow", "FFT Spectrum", 901, 337},
    {"Multialignwindow", "Multi-Alignment Window", 901, 473, false},
    {"RegiStration2", "Registration ", 902, 257},
    {"movements", "movements", 902, 222},
    {"StackFrameswindow", "Stacklist", 903, 529},
    {"Stackgraphpanel", "Stack graph", 903, 609},
    {"gbRollup1", "Show additional alignment graphs", 303, 275, false},
    {"Sigmaevents", "Sigma event recording", 903, 537},
    {"Alignmentpointswindow", "Alignmentpoints", 903, 313},
    {"Filterwindow", "Wavelet filter", 904, 377},
    {"WaveZoom", "Zoom", 904, 313},
    {"HistoRGBWindow", "RGB balance", 904, 361},
    {"HistoWindow", "Histogram", 904, 249},
    {"Tonemapwindow", "Tonemap", 904, 309},
    {"Gammawindow", "Gamma", 904, 401},
    {"HLSwindow", "Hue Saturation Lightness", 905, 489},
    {"MultiAlignprogresswindow", "Multi Align Progress", 910, 97, true, true},
    {"Imageinfowindow", "Image information (caption)", 910, 313, true, true},
    {"Shrinkview", "Resized image", 910, 417, true, true},
};

// The controls that show and hide each tool window; a window opens where it leaves them in reach.
constexpr std::pair<const char*, const char*> ToggleTable[] = {
    {"Gammawindow", "Gammaspeedbutton"},
    {"HistoWindow", "Histogramspeedbutton"},
    {"HistoRGBWindow", "RGBbalancespeedbutton"},
    {"Filterwindow", "Waveletfilterspeedbutton"},
    {"Tonemapwindow", "Tonemapspeedbutton"},
    {"Shrinkview", "Resizebutton"},
    {"Shrinkview", "Shrink"},
    {"Zoomwindow", "Previewzoom"},
    {"WaveZoom", "ZoomWavelet"},
    {"Stackgraphpanel", "Showstackgraph"},
    {"StackFrameswindow", "ShowStacklist"},
    {"SelectFrameswindow", "ShowFramelist"},
    {"HLSwindow", "AdvancedHLS"},
    {"Registerhaltwindow", "Haltwindow"},
    {"FFTWindow", "ShowFFTbox"},
    {"Registrationgraphwindow", "ShowGraphbox"},
    {"RegiStration2", "ShowGraphbox"},
};

QRect globalRect(const QWidget& widget) {
    return {widget.mapToGlobal(QPoint(0, 0)), widget.size()};
}

}  // namespace

std::optional<RollupSetting> rollupSetting(const QString& name) {
    for (const RollupSetting& setting : RollupSettings)
        if (name == QLatin1String(setting.name)) return setting;
    return std::nullopt;
}

ToolWindow::ToolWindow(QWidget* owner, const char* name, const QString& caption)
    : TgbRollup(owner, Qt::Tool | Qt::FramelessWindowHint), Body(new QVBoxLayout(Client())) {
    setObjectName(name);
    setCaptionBarColor(colorFromBgr(RollupCaptionColor));
    QFont captionFont = Font();
    captionFont.setPixelSize(11);
    assignFont(captionFont);
    const std::optional<RollupSetting> setting = rollupSetting(name);
    setCaption(setting ? QString::fromUtf8(setting->caption) : caption);
    if (setting) {
        setTag(setting->tag);
        setDropHeight(setting->dropHeight);
        setShowCloseButton(setting->closeButton);
        setCaptionShowHint(setting->captionHint);
    }
    resize(260, DropHeight());
    placedAt_ = keptAt_ = pos();
}

// The window system's own nudge on framing a window the program placed does not count as a move.
constexpr int FramingNudge = 48;

QPoint ToolWindow::storedPosition() const {
    const bool atProgramsPlace =
        placed_ && !userPlaced_ && (pos() - placedAt_).manhattanLength() <= FramingNudge;
    return atProgramsPlace ? keptAt_ : pos();
}

void ToolWindow::setStoredLeft(int left) {
    keptAt_.setX(left);
    move(left, y());
}

void ToolWindow::setStoredTop(int top) {
    keptAt_.setY(top);
    move(x(), top);
}

TgbRollup* nestedRollup(ToolWindow& outer, const char* name) {
    auto* rollup = new TgbRollup(&outer);
    rollup->setObjectName(name);
    if (const std::optional<RollupSetting> setting = rollupSetting(name)) {
        rollup->setCaption(QString::fromUtf8(setting->caption));
        rollup->setTag(setting->tag);
        rollup->setDropHeight(setting->dropHeight);
        rollup->setShowCloseButton(setting->closeButton);
    }
    rollup->setMoveable(false);
    rollup->setCaptionBarColor(rollup->palette().color(QPalette::Button));
    QFont captionFont = rollup->Font();
    captionFont.setPixelSize(13);
    rollup->assignFont(captionFont);
    rollup->setFrameShadow(QFrame::Sunken);
    // The window gives up the room the inner roll-up's contents took, as far as the rest of it
    // can shrink, and goes back to its height when the inner roll-up comes down again.
    auto heldHeight = std::make_shared<int>(0);
    QObject::connect(rollup, &TgbRollup::OnRollUp, &outer, [&outer, rollup, heldHeight] {
        outer.layout()->activate();
        *heldHeight = outer.height();
        outer.resize(outer.width(),
                     std::max(*heldHeight - (rollup->DropHeight() - RolledUpHeight), outer.minimumHeight()));
    });
    QObject::connect(rollup, &TgbRollup::OnRollDown, &outer, [&outer, heldHeight] {
        outer.resize(outer.width(), std::max(outer.height(), std::exchange(*heldHeight, 0)));
    });
    return rollup;
}

void ToolWindow::resizeEvent(QResizeEvent* event) {
    TgbRollup::resizeEvent(event);
    if (rolling()) return;
    // Grown by its contents (or by a handler) past the screen's edge: it gives the overhang up
    // where it stands, so that nothing moves under the pointer.
    if (isVisible() && !keepingOnScreen_) {
        const QScopedValueRollback keeping(keepingOnScreen_, true);
        keepWindowOnScreen(*this);
    }
    if (State() == TRollupState::rsDown) setDropHeight(height());
}

void ToolWindow::fitContents() {
    resize(size().expandedTo(sizeHint()));
}

void ToolWindow::setVisible(bool visible) {
    TgbRollup::setVisible(visible);
    emit visibilitySet(visible);
}

QRect toolWindowPlace(const QRect& screen, const QRect& owner, const QRect& optionArea, QSize size,
                      QSize decoration, int cascade, const std::vector<QRect>& taken, QSize minimum,
                      const std::vector<QRect>& kept) {
    constexpr int Step = 24;
    size = size.expandedTo(minimum);
    const QSize smallest = minimum + decoration;
    const auto onScreen = [&](const QRect& outer) { return movedIntoArea(outer, screen, smallest); };
    const auto inside = [&](const QRect& outer) { return QRect(outer.topLeft(), outer.size() - decoration); };
    const auto coversKept = [&](const QRect& outer) {
        return std::any_of(kept.begin(), kept.end(),
                           [&](const QRect& control) { return outer.intersects(control); });
    };
    // The highest top from `top` down to `last` (at `top`, or just under another tool window or a
    // kept control) where the window covers neither, else the cascade's.
    const auto freeTop = [&](int left, int top, int last, QSize outer, int cascaded) {
        std::vector<int> tops{top};
        for (const QRect& other : taken) tops.push_back(other.bottom() + 1);
        for (const QRect& control : kept) tops.push_back(control.bottom() + 1);
        std::sort(tops.begin(), tops.end());
        for (const int y : tops) {
            const QRect at(QPoint(left, y), outer);
            if (y >= top && y <= last && !coversKept(at) &&
                std::none_of(taken.begin(), taken.end(),
                             [&](const QRect& other) { return other.intersects(at); }))
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
        return inside(
            onScreen(QRect(QPoint(left, freeTop(left, top, last, QSize(outer.width(), height), cascaded)),
                           QSize(outer.width(), height))));
    };
    if (screen.right() - owner.right() >= outer.width()) return beside(owner.right() + 1);
    if (owner.left() - screen.left() >= outer.width()) return beside(owner.left() - outer.width());
    if (optionArea.isEmpty()) return inside(onScreen(QRect(owner.topLeft(), outer)));
    // Over the option column, at its right edge, below the tool windows already there while it
    // fits; else each further window a step lower, over the others. Contents that need more room
    // than the column has reach out of it to the left and downwards.
    const QSize fitted = outer.boundedTo(optionArea.size()).expandedTo(smallest);
    const int room = std::max(optionArea.height() - fitted.height(), 0);
    const int left = optionArea.right() + 1 - fitted.width();
    const int cascaded = optionArea.top() + std::min(Step * cascade, room);
    const QRect overColumn = onScreen(QRect(
        QPoint(left, freeTop(left, optionArea.top(), optionArea.top() + room, fitted, cascaded)), fitted));
    // Where it would hide a control that must stay in reach (a button that shows and hides it,
    // the page's action buttons): cascaded over the other tool windows, under those controls in
    // the column (given only the room left there down to the column's end, where its contents
    // allow), or else beside the column over the picture.
    int under = optionArea.top();
    for (const QRect& control : kept)
        if (control.top() <= optionArea.bottom() &&
            control.intersects(QRect(optionArea.left(), control.top(), optionArea.width(), 1)))
            under = std::max(under, control.bottom() + 1);
    const QSize shortened(fitted.width(),
                          std::clamp(optionArea.bottom() + 1 - under, smallest.height(), fitted.height()));
    for (const QRect& candidate :
         {overColumn, onScreen(QRect(QPoint(left, cascaded), fitted)),
          onScreen(QRect(QPoint(left, under), fitted)), onScreen(QRect(QPoint(left, under), shortened)),
          onScreen(QRect(QPoint(optionArea.left() - outer.width(), optionArea.top()), outer))})
        if (!coversKept(candidate)) return inside(candidate);
    return inside(overColumn);
}

std::vector<QString> toolWindowToggles(const QString& window) {
    std::vector<QString> toggles;
    for (const auto& [name, toggle] : ToggleTable)
        if (window == QLatin1String(name)) toggles.push_back(QString::fromLatin1(toggle));
    return toggles;
}

std::vector<QRect> ToolWindow::keptControls(const QWidget& mainWindow) const {
    std::vector<QRect> kept;
    for (const QString& toggle : toolWindowToggles(objectName()))
        for (const QWidget* control : mainWindow.findChildren<QWidget*>(toggle))
            if (control->isVisible() && control->window() == &mainWindow)
                kept.push_back(globalRect(*control));
    for (const QWidget* actions : mainWindow.findChildren<QWidget*>())
        if (actions->property(ActionButtonsProperty).toBool() && actions->isVisible())
            kept.push_back(globalRect(*actions));
    return kept;
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
    if (decoration.isEmpty() && !(windowFlags() & Qt::FramelessWindowHint))
        decoration = owner->frameGeometry().size() - owner->size();
    if (!placed_) wanted_ = size();
    if (!placed_) keptAt_ = pos();
    std::vector<QRect> taken;
    for (const ToolWindow* other : owner->findChildren<ToolWindow*>())
        if (other != this && other->isVisible()) taken.push_back(other->frameGeometry());
    const QRect at = toolWindowPlace(screen->availableGeometry(), owner->frameGeometry(), optionArea(*owner),
                                     wanted_, decoration, cascade, taken,
                                     minimumSizeHint().expandedTo(minimumSize()), keptControls(*owner));
    move(at.topLeft());
    // Never below what the contents need (the layout holds that minimum); a rolled-up window
    // stays rolled up.
    resize(at.width(), State() == TRollupState::rsUp ? height() : at.height());
    placedAt_ = pos();
    placed_ = true;
}

void ToolWindow::placeAgain() {
    if (isVisible() && !userPlaced_) place();
}

void ToolWindow::showEvent(QShowEvent* event) {
    TgbRollup::showEvent(event);
    if (!parentWidget() || event->spontaneous()) return;
    // Moved since it was placed (dragged by the user, or put back where it stood by the stored
    // settings): it stays there. The window system's own nudge on framing it does not count.
    if ((pos() - placedAt_).manhattanLength() > FramingNudge) userPlaced_ = true;
    const bool firstShow = !shownBefore_;
    shownBefore_ = true;
    if (!userPlaced_) {
        place();
        return;
    }
    // Put back by the stored settings where it stood last time: wholly on the screen, since that
    // place may come from a larger screen or another layout.
    if (firstShow) {
        const QScopedValueRollback keeping(keepingOnScreen_, true);
        keepWindowOnScreen(*this);
    }
}

void ToolWindow::closeEvent(QCloseEvent* event) {
    TgbRollup::closeEvent(event);
    emit OnRollClose(this);
}

ToolWindows::ToolWindows(QWidget* owner)
    : HistoWindow(new ToolWindow(owner, "HistoWindow", {})),
      Gammawindow(new ToolWindow(owner, "Gammawindow", {})),
      Filterwindow(new ToolWindow(owner, "Filterwindow", {})),
      HistoRGBWindow(new ToolWindow(owner, "HistoRGBWindow", {})),
      Tonemapwindow(new ToolWindow(owner, "Tonemapwindow", {})),
      Shrinkview(new ToolWindow(owner, "Shrinkview", {})),
      Zoomwindow(new ToolWindow(owner, "Zoomwindow", {})),
      Registerhaltwindow(new ToolWindow(owner, "Registerhaltwindow", {})),
      WaveZoom(new ToolWindow(owner, "WaveZoom", {})),
      Stackgraphpanel(new ToolWindow(owner, "Stackgraphpanel", {})),
      StackFrameswindow(new ToolWindow(owner, "StackFrameswindow", {})),
      SelectFrameswindow(new ToolWindow(owner, "SelectFrameswindow", {})),
      HLSwindow(new ToolWindow(owner, "HLSwindow", {})),
      MultiAlignprogresswindow(new ToolWindow(owner, "MultiAlignprogresswindow", {})),
      FFTWindow(new ToolWindow(owner, "FFTWindow", {})),
      Registrationgraphwindow(new ToolWindow(owner, "Registrationgraphwindow", {})),
      AngleDist(new ToolWindow(owner, "AngleDist", {})),
      RegiStration2(new ToolWindow(owner, "RegiStration2", {})),
      Imageinfowindow(new ToolWindow(owner, "Imageinfowindow", {})),
      movements(new ToolWindow(owner, "movements", {})),
      Sigmaevents(new ToolWindow(owner, "Sigmaevents", {})),
      Alignmentpointswindow(new ToolWindow(owner, "Alignmentpointswindow", {})),
      HaltRegister(new QPushButton("Halt", Registerhaltwindow)),
      Cancel2button(new QPushButton("Cancel", Registerhaltwindow)) {
    HaltRegister->setObjectName("HaltRegister");
    Cancel2button->setObjectName("Cancel2button");
    Registerhaltwindow->Body->addWidget(HaltRegister);
    Registerhaltwindow->Body->addWidget(Cancel2button);
}

}  // namespace kestrave
