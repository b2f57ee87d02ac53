#pragma once
// The integer slider: a ruler, a thumb with a normal and a held-down look, optional tick points,
// bevel and focus rectangle. `OnChange` fires for every new value, whatever its cause;
// `OnChanged` fires when a user action (a drag, a ruler click, a key) ends. `OnKeyDown` sees
// every key pressed on the slider, as 0 for a key the slider used itself; `OnDblClick` fires on a
// double click of the left button, whose second press neither grabs the thumb nor jumps.

#include <QImage>
#include <QWidget>
#include <array>
#include <memory>

#include "platform/errors.h"
#include "widgets/repeat_timer.h"
#include "widgets/slider_model.h"

class QPainter;

namespace kestrave {

// An Increment outside 1 .. MaxValue - MinValue.
class SliderIncrementError : public KestraveError {
public:
    using KestraveError::KestraveError;
};

class TRxSlider : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int Value READ Value WRITE setValue)
    Q_PROPERTY(int MinValue READ MinValue WRITE setMinValue)
    Q_PROPERTY(int MaxValue READ MaxValue WRITE setMaxValue)
    Q_PROPERTY(int Increment READ Increment WRITE setIncrementProperty)
    Q_PROPERTY(TSliderOrientation Orientation READ Orientation WRITE setOrientation)
    Q_PROPERTY(TSliderOptions Options READ Options WRITE setOptions)
    Q_PROPERTY(int EdgeSize READ EdgeSize WRITE setEdgeSize)
    Q_PROPERTY(int NumThumbStates READ NumThumbStates WRITE setNumThumbStates)
    Q_PROPERTY(TBevelStyle BevelStyle READ BevelStyle WRITE setBevelStyle)
    Q_PROPERTY(QString Hint READ Hint WRITE setHint)
    Q_PROPERTY(int Tag READ Tag WRITE setTag)

public:
    enum TSliderOrientation { soHorizontal, soVertical };
    Q_ENUM(TSliderOrientation)
    enum TSliderOption {
        soShowFocus = 1,
        soShowPoints = 2,
        soSmooth = 4,
        soRulerOpaque = 8,
        soThumbOpaque = 16
    };
    Q_DECLARE_FLAGS(TSliderOptions, TSliderOption)
    Q_FLAG(TSliderOptions)
    enum TBevelStyle { bvNone, bvLowered, bvRaised };
    Q_ENUM(TBevelStyle)
    enum TSliderImage { siHThumb, siHRuler, siVThumb, siVRuler };
    Q_ENUM(TSliderImage)

    static constexpr int kJumpRepeatInterval = 400;

    explicit TRxSlider(QWidget* parent = nullptr);
    ~TRxSlider() override;

    int Value() const { return value_; }
    // Clamps to the range (never snaps) and fires OnChange when the value changed.
    void setValue(int value);
    int MinValue() const { return range_.MinValue; }
    int MaxValue() const { return range_.MaxValue; }
    // A range whose maximum does not exceed its minimum is ignored.
    void setMinValue(int value) { setRange(value, range_.MaxValue); }
    void setMaxValue(int value) { setRange(range_.MinValue, value); }
    int Increment() const { return range_.Increment; }
    // Throws SliderIncrementError for a value outside 1 .. MaxValue - MinValue.
    void setIncrement(int increment);
    bool acceptsIncrement(int increment) const;
    TSliderOrientation Orientation() const { return orientation_; }
    void setOrientation(TSliderOrientation orientation);
    TSliderOptions Options() const { return options_; }
    void setOptions(TSliderOptions options);
    int EdgeSize() const { return edgeSize_; }
    // Accepted only while twice the size is less than the ruler picture's length.
    void setEdgeSize(int size);
    int NumThumbStates() const { return numThumbStates_; }
    void setNumThumbStates(int states);
    TBevelStyle BevelStyle() const { return bevelStyle_; }
    void setBevelStyle(TBevelStyle style);
    QImage image(TSliderImage which) const { return images_[which]; }
    // A user picture; a null one brings back the built-in picture and clears the matching
    // opaque option.
    void setImage(TSliderImage which, const QImage& picture);
    QString Hint() const { return hint_; }
    void setHint(const QString& hint);
    int Tag() const { return tag_; }
    void setTag(int tag) { tag_ = tag; }

    const SliderGeometry& geometry() const { return geometry_; }
    // Where the thumb is drawn for the current value.
    QRect thumbRect() const;
    // Replaces the ruler-click repeat clock (tests install one they tick by hand).
    void setRepeatTimer(std::unique_ptr<RepeatTimer> timer);
    const RepeatTimer& repeatTimer() const { return *timer_; }

    QSize sizeHint() const override { return {150, 40}; }

signals:
    void OnChange(QObject* Sender);
    void OnChanged(QObject* Sender);
    // When connected, draws the tick points in place of the built-in ticks.
    void OnDrawPoints(QObject* Sender, QPainter* Canvas);
    void OnKeyDown(QObject* Sender, int Key, Qt::KeyboardModifiers Shift);
    void OnDblClick(QObject* Sender);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void setIncrementProperty(int increment);
    void setRange(int minValue, int maxValue);
    void layoutChanged();
    void preparePictures();
    void jump(SliderJump direction);
    void trackingTick();
    void ThumbPressed(QPoint pos, const QRect& thumb);
    void ThumbReleased();
    void DrawTicks(QPainter& painter, int step, int length, int endLength);
    const QImage& rulerImage() const;
    const QImage& thumbImage() const;
    int along(QPoint pos) const { return orientation_ == soVertical ? pos.y() : pos.x(); }

    SliderRange range_;
    int value_ = 0;
    TSliderOrientation orientation_ = soHorizontal;
    TSliderOptions options_ = TSliderOptions(soShowFocus | soShowPoints | soSmooth);
    int edgeSize_ = 2;
    int numThumbStates_ = 2;
    TBevelStyle bevelStyle_ = bvNone;
    QString hint_;
    int tag_ = 0;

    std::array<QImage, 4> images_;
    QImage ruler_;                      // the ruler stretched to the slider's length, ready to draw
    std::array<QImage, 2> thumbLooks_;  // normal and held-down, ready to draw
    SliderGeometry geometry_;
    std::unique_ptr<RepeatTimer> timer_;
    bool sliding_ = false;    // the thumb is dragged
    bool thumbDown_ = false;  // the thumb shows its held-down look
    bool tracking_ = false;   // a ruler click repeats its jump
    int hitOffset_ = 0;       // where the thumb was grabbed, along the slider
    QPoint trackPoint_;
    SliderJump trackJump_ = SliderJump::None;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(TRxSlider::TSliderOptions)

}  // namespace kestrave
