#pragma once
// The step buttons of the spin edit: the diagonal two-in-one button drawn by the component
// itself, and the standard up-down pair.

#include <QPixmap>
#include <QPointer>
#include <QWidget>
#include <memory>

#include "widgets/repeat_timer.h"

class QToolButton;

namespace kestrave {

enum class SpinPart { None, Top, Bottom };

// The diagonal runs from the bottom-left to the top-right corner; a point on it or above it
// (y <= h - (h / w) * x) belongs to the top part. Exact in integers.
SpinPart spinPartAt(int x, int y, int width, int height);

class TRxSpinButton : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QPixmap UpGlyph READ UpGlyph WRITE setUpGlyph)
    Q_PROPERTY(QPixmap DownGlyph READ DownGlyph WRITE setDownGlyph)

public:
    static constexpr int kFirstRepeatDelay = 400;
    static constexpr int kRepeatInterval = 100;

    explicit TRxSpinButton(QWidget* parent = nullptr);
    ~TRxSpinButton() override;

    QPixmap UpGlyph() const { return upGlyph_; }
    QPixmap DownGlyph() const { return downGlyph_; }
    // A null picture brings back the built-in arrow.
    void setUpGlyph(const QPixmap& glyph);
    void setDownGlyph(const QPixmap& glyph);

    // The control that takes the focus when the button is pressed.
    QWidget* FocusControl() const { return focusControl_; }
    void setFocusControl(QWidget* control) { focusControl_ = control; }

    SpinPart pressedPart() const { return pressed_; }
    // Replaces the repeat clock (tests install one they tick by hand).
    void setRepeatTimer(std::unique_ptr<RepeatTimer> timer);
    const RepeatTimer& repeatTimer() const { return *timer_; }

    QSize sizeHint() const override { return {20, 20}; }

signals:
    void OnTopClick(QObject* Sender);
    void OnBottomClick(QObject* Sender);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void setPressed(SpinPart part);
    void clickPart(SpinPart part);
    void repeatTick();
    bool insideButton(QPoint pos) const;

    QPixmap upGlyph_;
    QPixmap downGlyph_;
    QPointer<QWidget> focusControl_;
    std::unique_ptr<RepeatTimer> timer_;
    SpinPart pressed_ = SpinPart::None;
    SpinPart downPart_ = SpinPart::None;
    bool dragging_ = false;
};

// The standard up-down pair; each click is one step.
class TRxUpDown : public QWidget {
    Q_OBJECT
public:
    enum TUDBtnType { btNext, btPrev };
    Q_ENUM(TUDBtnType)

    explicit TRxUpDown(QWidget* parent = nullptr);
    QToolButton* nextButton() const { return next_; }
    QToolButton* previousButton() const { return previous_; }

signals:
    void OnClick(QObject* Sender, kestrave::TRxUpDown::TUDBtnType Button);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QToolButton* next_;
    QToolButton* previous_;
};

// The system's vertical scroll-bar width, at most 15 pixels: the width of the up-down pair.
int spinButtonDefaultWidth(const QWidget& widget);

}  // namespace kestrave
