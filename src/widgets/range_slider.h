#pragma once
// A slider with two thumbs on one ruler that select the sub-range [MinPosition, MaxPosition] of
// [Min, Max]. Dragging a thumb moves it (with Shift both move together); the arrow keys move the
// min thumb, with Ctrl the max thumb, with Shift both. `OnBeforeChange` fires before any value
// changes; `OnChange` fires at once for changes by code or keys, and once at the end of a drag
// that moved something.

#include <QWidget>

#include "platform/errors.h"
#include "widgets/range_slider_model.h"

namespace kestrave {

// A bound that would meet or cross the other ("Min >= Max", "Max <= Min").
class EmkRangeSlider : public KestraveError {
public:
    using KestraveError::KestraveError;
};

// A thumb's picture on pure red, its transparent colour: the outline filled with the face, then
// drawn shifted down and right in the highlight and up and left in the shadow, the outline
// redrawn in red after each, so that a one-pixel edge of each colour remains.
QImage thumbBitmap(const ThumbOutline& thumb, const QPalette& colours);

class TmkRangeSlider : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int Min READ Min WRITE setMin)
    Q_PROPERTY(int Max READ Max WRITE setMax)
    Q_PROPERTY(int MinPosition READ MinPosition WRITE setMinPosition)
    Q_PROPERTY(int MaxPosition READ MaxPosition WRITE setMaxPosition)
    Q_PROPERTY(int Frequency READ Frequency WRITE setFrequency)

public:
    explicit TmkRangeSlider(QWidget* parent = nullptr);

    int Min() const { return min_; }
    int Max() const { return max_; }
    // Throw EmkRangeSlider and change nothing when the bound would meet or cross the other.
    void setMin(int value);
    void setMax(int value);
    int MinPosition() const { return minPosition_; }
    int MaxPosition() const { return maxPosition_; }
    // Clamped to [Min, MaxPosition] and [MinPosition, Max].
    void setMinPosition(int value);
    void setMaxPosition(int value);
    int Frequency() const { return frequency_; }
    // 0 chooses the tick step from the ruler's length; below 0 is ignored.
    void setFrequency(int value);
    RangeOrientation Orientation() const { return orientation_; }
    // Also swaps the control's width and height.
    void setOrientation(RangeOrientation orientation);
    RangeTickStyle TickStyle() const { return tickStyle_; }
    void setTickStyle(RangeTickStyle style);
    RangeThumbStyle ThumbStyle() const { return thumbStyle_; }
    void setThumbStyle(RangeThumbStyle style);

    const RulerGeometry& ruler() const { return ruler_; }
    // Where each thumb is drawn, in control pixels.
    QRect minThumbRect() const;
    QRect maxThumbRect() const;
    // Whether OnChange fires at once (cleared while a drag runs).
    bool immediateChange() const { return immediate_; }

    QSize sizeHint() const override { return {200, 32}; }

signals:
    void OnChange(QObject* Sender);
    void OnBeforeChange(QObject* Sender);
    void OnMinPosChange(QObject* Sender, int Value);
    void OnMaxPosChange(QObject* Sender, int Value);
    void OnMinChange(QObject* Sender, int Value);
    void OnMaxChange(QObject* Sender, int Value);
    // Asks the owner for the ruler's length in pixels; when bound, the control takes the length
    // that holds that ruler (at least 30 pixels) and its thumbs.
    void OnGetRullerLength(QObject* Sender, int& Value);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    // Binding OnGetRullerLength asks for the ruler's length at once.
    void connectNotify(const QMetaMethod& signal) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    enum class Thumb { None, MinThumb, MaxThumb };
    void rebuild();
    void changeBound(int value, bool lower);
    void carryBoth(bool minLeads, int value);
    bool horizontal() const { return orientation_ == RangeOrientation::rsHorizontal; }
    int alongOf(QPoint at) const { return horizontal() ? at.x() : at.y(); }
    QRect thumbRect(const ThumbOutline& thumb, int pixel) const;
    void drawThumb(QPainter& painter, const ThumbOutline& thumb, const QRect& place) const;

    int min_ = 0;
    int max_ = 10;
    int minPosition_ = 0;
    int maxPosition_ = 10;
    int frequency_ = 0;
    RangeOrientation orientation_ = RangeOrientation::rsHorizontal;
    RangeTickStyle tickStyle_ = RangeTickStyle::rsBottomRight;
    RangeThumbStyle thumbStyle_ = RangeThumbStyle::rsStandard;
    ThumbOutline minThumb_;
    ThumbOutline maxThumb_;
    RulerGeometry ruler_;
    bool immediate_ = true;
    Thumb dragged_ = Thumb::None;
    int grabOffset_ = 0;
    RangePair atPress_;
};

}  // namespace kestrave
