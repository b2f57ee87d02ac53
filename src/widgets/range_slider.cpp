#include "widgets/range_slider.h"

#include <QKeyEvent>
#include <QMetaMethod>
#include <QMouseEvent>
#include <QPainter>
#include <QPolygon>
#include <algorithm>

namespace kestrave {

TmkRangeSlider::TmkRangeSlider(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::StrongFocus);
    resize(200, 32);
    rebuild();
}

void TmkRangeSlider::rebuild() {
    minThumb_ = minThumb(thumbStyle_, orientation_, tickStyle_);
    maxThumb_ = maxThumb(thumbStyle_, orientation_, tickStyle_);
    if (isSignalConnected(QMetaMethod::fromSignal(&TmkRangeSlider::OnGetRullerLength))) {
        int length = ruler_.length;
        emit OnGetRullerLength(this, length);
        const AskedRuler asked = askedRulerGeometry(length, minThumb_, orientation_, min_, max_);
        ruler_ = asked.ruler;
        // The new size comes back through resizeEvent with the same answer.
        if (horizontal())
            resize(asked.controlLength, height());
        else
            resize(width(), asked.controlLength);
    } else {
        ruler_ = rulerGeometry(horizontal() ? width() : height(), minThumb_, orientation_, min_, max_);
    }
    update();
}

void TmkRangeSlider::resizeEvent(QResizeEvent*) {
    rebuild();
}

void TmkRangeSlider::connectNotify(const QMetaMethod& signal) {
    QWidget::connectNotify(signal);
    if (signal == QMetaMethod::fromSignal(&TmkRangeSlider::OnGetRullerLength)) rebuild();
}

void TmkRangeSlider::setMinPosition(int value) {
    if (value == minPosition_) return;
    emit OnBeforeChange(this);
    minPosition_ = std::clamp(value, min_, maxPosition_);
    update();
    emit OnMinPosChange(this, minPosition_);
    if (immediate_) emit OnChange(this);
}

void TmkRangeSlider::setMaxPosition(int value) {
    if (value == maxPosition_) return;
    emit OnBeforeChange(this);
    maxPosition_ = std::clamp(value, minPosition_, max_);
    update();
    emit OnMaxPosChange(this, maxPosition_);
    if (immediate_) emit OnChange(this);
}

void TmkRangeSlider::changeBound(int value, bool lower) {
    if (lower ? value >= max_ : value <= min_) throw EmkRangeSlider(lower ? "Min >= Max" : "Max <= Min");
    (lower ? min_ : max_) = value;
    emit OnBeforeChange(this);
    minPosition_ = std::clamp(minPosition_, min_, max_);
    maxPosition_ = std::clamp(maxPosition_, min_, max_);
    rebuild();
    if (lower) {
        emit OnMinChange(this, value);
    } else {
        emit OnMaxChange(this, value);
    }
    if (immediate_) emit OnChange(this);
}

void TmkRangeSlider::setMin(int value) {
    if (value != min_) changeBound(value, true);
}

void TmkRangeSlider::setMax(int value) {
    if (value != max_) changeBound(value, false);
}

void TmkRangeSlider::setFrequency(int value) {
    if (value == frequency_ || value < 0) return;
    emit OnBeforeChange(this);
    frequency_ = value;
    update();
}

void TmkRangeSlider::setOrientation(RangeOrientation orientation) {
    if (orientation == orientation_) return;
    emit OnBeforeChange(this);
    orientation_ = orientation;
    resize(height(), width());
    rebuild();
}

void TmkRangeSlider::setTickStyle(RangeTickStyle style) {
    if (style == tickStyle_) return;
    emit OnBeforeChange(this);
    tickStyle_ = style;
    rebuild();
}

void TmkRangeSlider::setThumbStyle(RangeThumbStyle style) {
    if (style == thumbStyle_) return;
    emit OnBeforeChange(this);
    thumbStyle_ = style;
    rebuild();
}

// The thumb's hot point stands at `pixel` along the ruler; across, the thumb starts at the edge.
QRect TmkRangeSlider::thumbRect(const ThumbOutline& thumb, int pixel) const {
    const int along = ruler_.along + pixel;
    if (horizontal()) return {along - thumb.hot.x, 0, thumb.width(), thumb.height()};
    return {0, along - thumb.hot.y, thumb.width(), thumb.height()};
}

QRect TmkRangeSlider::minThumbRect() const {
    return thumbRect(minThumb_, ruler_.pixelOf(minPosition_) - 1);
}

QRect TmkRangeSlider::maxThumbRect() const {
    return thumbRect(maxThumb_, ruler_.pixelOf(maxPosition_));
}

QImage thumbBitmap(const ThumbOutline& thumb, const QPalette& colours) {
    const QColor key(255, 0, 0);
    QImage picture(thumb.width(), thumb.height(), QImage::Format_RGB32);
    picture.fill(key);
    QPolygon shape;
    for (const OutlinePoint& p : thumb.points) shape << QPoint(p.x, p.y);
    QPainter painter(&picture);
    const auto draw = [&](const QColor& colour, QPoint shift) {
        painter.setPen(colour);
        painter.setBrush(colour);
        painter.drawPolygon(shape.translated(shift));
    };
    draw(colours.color(QPalette::Button), {});
    const QColor light = colours.color(QPalette::Light), shadow = colours.color(QPalette::Dark);
    for (const auto& [colour, shift] : {std::pair{light, QPoint(0, 1)}, std::pair{light, QPoint(1, 0)},
                                        std::pair{shadow, QPoint(0, -1)}, std::pair{shadow, QPoint(-1, 0)}}) {
        draw(colour, shift);
        draw(key, {});
    }
    return picture;
}

void TmkRangeSlider::drawThumb(QPainter& painter, const ThumbOutline& thumb, const QRect& place) const {
    QImage picture = thumbBitmap(thumb, palette()).convertToFormat(QImage::Format_ARGB32);
    // Drawn transparently: the red of the picture lets the ruler show.
    for (int y = 0; y < picture.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (int x = 0; x < picture.width(); ++x)
            if (row[x] == qRgb(255, 0, 0)) row[x] = qRgba(0, 0, 0, 0);
    }
    painter.drawImage(place.topLeft(), picture);
}

void TmkRangeSlider::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Window));
    const QRect rulerRect = horizontal() ? QRect(ruler_.along, ruler_.across, ruler_.length, RulerThickness)
                                         : QRect(ruler_.across, ruler_.along, RulerThickness, ruler_.length);
    painter.fillRect(rulerRect, palette().color(QPalette::Midlight));
    painter.setPen(palette().color(QPalette::Dark));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(rulerRect.adjusted(0, 0, -1, -1));

    const TickPlan ticks = tickPlan(frequency_, ruler_.length, min_, max_);
    painter.setBrush(Qt::black);
    const int centre = ruler_.across + RulerThickness / 2;
    for (long long v = (min_ / ticks.step) * static_cast<long long>(ticks.step); v < max_; v += ticks.step) {
        if (v < min_) continue;
        const int along = ruler_.along + ruler_.pixelOf(static_cast<int>(v));
        const bool longTick = v % ticks.longInterval == 0;
        const int across = longTick ? RulerThickness - 4 : 2;
        const QRect tick = horizontal() ? QRect(along - 1, centre - across / 2, 2, across)
                                        : QRect(centre - across / 2, along - 1, across, 2);
        // The pen's outline covers the tick's own pixels: a dot is 2 x 2.
        painter.drawRect(tick.adjusted(0, 0, -1, -1));
    }
    drawThumb(painter, minThumb_, minThumbRect());
    drawThumb(painter, maxThumb_, maxThumbRect());
}

void TmkRangeSlider::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    if (!hasFocus()) setFocus(Qt::MouseFocusReason);
    const QPoint at = event->position().toPoint();
    if (minThumbRect().contains(at)) {
        dragged_ = Thumb::MinThumb;
        grabOffset_ = ruler_.pixelOf(minPosition_) - alongOf(at);
    } else if (maxThumbRect().contains(at)) {
        dragged_ = Thumb::MaxThumb;
        grabOffset_ = ruler_.pixelOf(maxPosition_) - alongOf(at);
    } else {
        return;
    }
    immediate_ = false;
    atPress_ = {minPosition_, maxPosition_};
}

void TmkRangeSlider::carryBoth(bool minLeads, int value) {
    const std::optional<RangePair> pair =
        carriedPair(minLeads, value, {minPosition_, maxPosition_}, min_, max_);
    if (!pair) return;
    if (minLeads) {
        setMinPosition(pair->MinPosition);
        setMaxPosition(pair->MaxPosition);
    } else {
        setMaxPosition(pair->MaxPosition);
        setMinPosition(pair->MinPosition);
    }
}

void TmkRangeSlider::mouseMoveEvent(QMouseEvent* event) {
    if (dragged_ == Thumb::None) return;
    const int value = ruler_.valueAt(grabOffset_ + alongOf(event->position().toPoint()));
    const bool minLeads = dragged_ == Thumb::MinThumb;
    if (event->modifiers().testFlag(Qt::ShiftModifier)) {
        carryBoth(minLeads, value);
    } else if (minLeads) {
        setMinPosition(value);
    } else {
        setMaxPosition(value);
    }
}

void TmkRangeSlider::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || dragged_ == Thumb::None) return;
    dragged_ = Thumb::None;
    // Changes by code fire OnChange again after every release, also after a press that moved
    // nothing; otherwise they would be lost until the next key press.
    immediate_ = true;
    if (atPress_ != RangePair{minPosition_, maxPosition_}) emit OnChange(this);
}

void TmkRangeSlider::keyPressEvent(QKeyEvent* event) {
    immediate_ = true;
    // Right and Up raise a horizontal slider's value and lower a vertical one's.
    const int key = event->key();
    if (key != Qt::Key_Right && key != Qt::Key_Up && key != Qt::Key_Left && key != Qt::Key_Down) {
        QWidget::keyPressEvent(event);
        return;
    }
    const bool raises = key == Qt::Key_Right || key == Qt::Key_Up;
    const int step = raises == horizontal() ? 1 : -1;
    const Qt::KeyboardModifiers shift = event->modifiers();
    if (shift.testFlag(Qt::ShiftModifier)) {
        carryBoth(true, minPosition_ + step);
    } else if (shift.testFlag(Qt::ControlModifier)) {
        setMaxPosition(maxPosition_ + step);
    } else {
        setMinPosition(minPosition_ + step);
    }
    event->accept();
}

}  // namespace kestrave
