#pragma once
// The character's stage: a frameless window that paints the engine's current frame, takes the
// frame's shape (and the hint bulb's) as its mask so that only the character shows, never takes
// the keyboard focus, can be dragged, and stays above the other windows. The hint bulb is a small
// light-bulb button in its top-right corner.

#include <QImage>
#include <QMenu>
#include <QPointer>
#include <QRegion>
#include <QWidget>
#include <functional>

namespace kestrave {

class TAssistantDirector;

// The bulb's four glyphs side by side: 0 normal, 1 disabled, 2 pressed, 3 under the mouse.
QImage bulbGlyphStrip();

class THintBulb : public QWidget {
    Q_OBJECT
public:
    explicit THintBulb(QWidget* parent = nullptr);
    int GlyphState() const { return glyphState_; }
    void setGlyphState(int state);
    // The bulb's shape in its own coordinates.
    QRegion shape() const { return shape_; }

signals:
    void OnClick();

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QImage strip_;
    QRegion shape_;
    int glyphState_ = 0;
    bool pressed_ = false;
};

class TAssistantStage : public QWidget {
    Q_OBJECT
public:
    // Created hidden. `director` gives the engine whose frames the stage shows.
    explicit TAssistantStage(TAssistantDirector& director);

    bool Shown() const { return shown_; }
    // Callable from any thread: from another one the window is shown or hidden through the
    // window's event queue, without activation.
    void setShown(bool shown);
    // Back on top of the window order, when shown, without activating it.
    void BringToTop();
    // The mask: the current frame's shape, joined with the bulb's when the bulb is visible.
    void UpdateShape();
    QRegion shape() const;

    bool AlwaysOnTop() const { return alwaysOnTop_; }
    void setAlwaysOnTop(bool on);
    bool Draggable() const { return draggable_; }
    void setDraggable(bool on) { draggable_ = on; }
    bool Dragging() const { return dragging_; }
    // How a drag hands the window to the platform's move loop; false: the platform has none and
    // the stage follows the mouse itself. Replaceable for tests.
    void setSystemMove(std::function<bool()> start) { systemMove_ = std::move(start); }
    // Whether the application is active (its state changes set it): a top-level stage keeps to
    // the topmost band while it is or while AlwaysOnTop is set.
    bool ApplicationActive() const { return applicationActive_; }
    void setApplicationActive(bool active);
    // A stage with a parent window lives inside it; without one it is a top-level window.
    void setParentWindow(QWidget* parent);

    // Shown at the pointer by a right click on the stage; none: no menu.
    QMenu* PopupMenu() const { return popupMenu_; }
    void setPopupMenu(QMenu* menu) { popupMenu_ = menu; }

    THintBulb* bulb() const { return bulb_; }
    bool BulbVisible() const { return bulbVisible_; }
    void setBulbVisible(bool on);

signals:
    void OnDragStart();
    void OnDragging();
    void OnDragStop();
    void OnShow();
    void OnHide();
    void OnClick();
    void OnDblClick();
    void OnResize();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void endDrag();
    void applyShown(bool shown);
    void applyWindowFlags();

    TAssistantDirector& director_;
    THintBulb* bulb_;
    bool shown_ = false;
    bool applicationActive_ = false;
    bool alwaysOnTop_ = true;
    bool draggable_ = true;
    bool dragging_ = false;
    // The platform moves the window; the drag ends when the pointer is heard of again.
    bool systemMoving_ = false;
    std::function<bool()> systemMove_;
    bool bulbVisible_ = false;
    bool onTopBand_ = true;
    QPoint dragFrom_;
    QPointer<QMenu> popupMenu_;
};

}  // namespace kestrave
