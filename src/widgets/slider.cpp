#include "widgets/slider.h"

#include <QKeyEvent>
#include <QMetaMethod>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionFocusRect>
#include <algorithm>

#include "widgets/component_graphics.h"
#include "widgets/published.h"

namespace kestrave {

namespace {

const QColor kFace(192, 192, 192);
const QColor kShadow(128, 128, 128);

// The groove of the ruler: four lines across the middle of an 18-pixel band, transparent around.
QImage builtInRuler(bool vertical) {
    QImage ruler(vertical ? QSize(18, 20) : QSize(20, 18), QImage::Format_ARGB32);
    ruler.fill(Qt::transparent);
    const QColor rows[] = {kShadow, Qt::black, kFace, Qt::white};
    const int length = vertical ? ruler.height() : ruler.width();
    for (int i = 0; i < 4; ++i)
        for (int a = 0; a < length; ++a) {
            // The first column is shaded and the last lit, closing the groove at both ends.
            const QColor c = a == 0 ? kShadow : a == length - 1 ? QColor(Qt::white) : rows[i];
            if (vertical)
                ruler.setPixelColor(7 + i, a, c);
            else
                ruler.setPixelColor(a, 7 + i, c);
        }
    return ruler;
}

// A pointer-shaped thumb, pointing down (horizontal) or right (vertical); the normal look and,
// beside it, the held-down look filled with a checker of face and white.
QImage builtInThumb(bool vertical) {
    const QSize look = vertical ? QSize(18, 11) : QSize(11, 18);
    QImage thumb(look.width() * 2, look.height(), QImage::Format_ARGB32);
    thumb.fill(Qt::transparent);
    QPainter p(&thumb);
    const QBrush checker(CreateTwoColorsBrushPattern(kFace, Qt::white));
    for (int state = 0; state < 2; ++state) {
        // The vertical thumb is the horizontal shape mirrored about the diagonal.
        const int dx = state * look.width();
        p.setTransform(vertical ? QTransform(0, 1, 1, 0, dx, 0) : QTransform::fromTranslate(dx, 0));
        const QPolygon shape({QPoint(0, 0), QPoint(10, 0), QPoint(10, 12), QPoint(5, 17), QPoint(0, 12)});
        p.setPen(Qt::NoPen);
        p.setBrush(state == 0 ? QBrush(kFace) : checker);
        p.drawPolygon(shape);
        p.setPen(Qt::white);
        p.drawPolyline(QPolygon({QPoint(4, 16), QPoint(0, 12), QPoint(0, 0), QPoint(9, 0)}));
        p.setPen(kShadow);
        p.drawPolyline(QPolygon({QPoint(9, 1), QPoint(9, 12), QPoint(5, 16)}));
        p.setPen(Qt::black);
        p.drawPolyline(QPolygon({QPoint(10, 0), QPoint(10, 12), QPoint(5, 17)}));
    }
    return thumb;
}

QImage builtInImage(TRxSlider::TSliderImage which) {
    switch (which) {
        case TRxSlider::siHThumb:
            return builtInThumb(false);
        case TRxSlider::siHRuler:
            return builtInRuler(false);
        case TRxSlider::siVThumb:
            return builtInThumb(true);
        case TRxSlider::siVRuler:
            break;
    }
    return builtInRuler(true);
}

// The ruler picture stretched to `length` along the slider, its ends kept unstretched.
QImage stretchRuler(const QImage& picture, bool vertical, int edge, int length) {
    const int thickness = vertical ? picture.width() : picture.height();
    QImage ruler(vertical ? QSize(thickness, length) : QSize(length, thickness), QImage::Format_ARGB32);
    ruler.fill(Qt::transparent);
    QPainter p(&ruler);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    for (const RulerPiece& piece : rulerPieces(vertical ? picture.height() : picture.width(), edge, length)) {
        if (vertical)
            p.drawImage(QPoint(0, piece.target), picture, QRect(0, piece.source, thickness, piece.length));
        else
            p.drawImage(QPoint(piece.target, 0), picture, QRect(piece.source, 0, piece.length, thickness));
    }
    return ruler;
}

QImage keyedUnless(bool opaque, const QImage& picture) {
    return opaque ? picture : withTransparentColor(picture, defaultTransparentColor(picture));
}

}  // namespace

TRxSlider::TRxSlider(QWidget* parent) : QWidget(parent), timer_(makeRepeatTimer()) {
    for (int i = 0; i < 4; ++i) images_[i] = builtInImage(static_cast<TSliderImage>(i));
    timer_->onTick = [this] { trackingTick(); };
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    resize(sizeHint());
    layoutChanged();
}

TRxSlider::~TRxSlider() = default;

void TRxSlider::setRepeatTimer(std::unique_ptr<RepeatTimer> timer) {
    timer_ = std::move(timer);
    timer_->onTick = [this] { trackingTick(); };
}

void TRxSlider::setValue(int value) {
    value = std::clamp(value, range_.MinValue, range_.MaxValue);
    if (value == value_) return;
    value_ = value;
    update();
    emit OnChange(this);
}

void TRxSlider::setRange(int minValue, int maxValue) {
    if (maxValue <= minValue) return;
    if (minValue == range_.MinValue && maxValue == range_.MaxValue) return;
    range_.MinValue = minValue;
    range_.MaxValue = maxValue;
    // The range difference fits: both bounds are ints and maxValue > minValue.
    const long long width = static_cast<long long>(maxValue) - minValue;
    if (range_.Increment > width) range_.Increment = static_cast<int>(width);
    if (options_ & soShowPoints) update();
    setValue(value_);
}

bool TRxSlider::acceptsIncrement(int increment) const {
    return increment >= 1 && increment <= static_cast<long long>(range_.MaxValue) - range_.MinValue;
}

void TRxSlider::setIncrement(int increment) {
    if (!acceptsIncrement(increment)) {
        const long long width = static_cast<long long>(range_.MaxValue) - range_.MinValue;
        throw SliderIncrementError(
            QString("Value must be between %1 and %2").arg(1).arg(width).toStdString());
    }
    if (increment == range_.Increment) return;
    range_.Increment = increment;
    setValue(value_);
    update();
}

void TRxSlider::setIncrementProperty(int increment) {
    // Stored forms set properties by name through Qt, where an exception must not pass.
    if (acceptsIncrement(increment)) setIncrement(increment);
}

void TRxSlider::setOrientation(TSliderOrientation orientation) {
    if (orientation == orientation_) return;
    orientation_ = orientation;
    layoutChanged();
}

void TRxSlider::setOptions(TSliderOptions options) {
    options_ = options;
    preparePictures();
    update();
}

void TRxSlider::setEdgeSize(int size) {
    const QImage& picture = rulerImage();
    const int length = orientation_ == soVertical ? picture.height() : picture.width();
    if (size < 0 || 2 * size >= length) return;
    edgeSize_ = size;
    layoutChanged();
}

void TRxSlider::setNumThumbStates(int states) {
    if (states < 1 || states > 2 || states == numThumbStates_) return;
    numThumbStates_ = states;
    layoutChanged();
}

void TRxSlider::setBevelStyle(TBevelStyle style) {
    if (style == bevelStyle_) return;
    bevelStyle_ = style;
    layoutChanged();
}

void TRxSlider::setImage(TSliderImage which, const QImage& picture) {
    if (picture.isNull()) {
        images_[which] = builtInImage(which);
        options_ &= ~TSliderOptions((which == siHRuler || which == siVRuler) ? soRulerOpaque : soThumbOpaque);
    } else {
        images_[which] = picture;
    }
    layoutChanged();
}

void TRxSlider::setHint(const QString& hint) {
    hint_ = hint;
    setToolTip(toolTipOfHint(hint));
}

const QImage& TRxSlider::rulerImage() const {
    return images_[orientation_ == soVertical ? siVRuler : siHRuler];
}
const QImage& TRxSlider::thumbImage() const {
    return images_[orientation_ == soVertical ? siVThumb : siHThumb];
}

void TRxSlider::layoutChanged() {
    const bool vertical = orientation_ == soVertical;
    geometry_ = layoutSlider({size(), bevelStyle_ == bvNone ? 0 : 1, vertical, rulerImage().size(),
                              thumbImage().size(), numThumbStates_});
    preparePictures();
    setValue(value_);
    update();
}

void TRxSlider::preparePictures() {
    const bool vertical = orientation_ == soVertical;
    const QImage ruler = stretchRuler(rulerImage(), vertical, edgeSize_,
                                      vertical ? geometry_.rulerSize.height() : geometry_.rulerSize.width());
    ruler_ = keyedUnless(options_ & soRulerOpaque, ruler);
    const QSize look = geometry_.thumbSize;
    for (int i = 0; i < 2; ++i) {
        const int state = std::min(i, numThumbStates_ - 1);
        const QImage thumb = thumbImage().copy(QRect(QPoint(state * look.width(), 0), look));
        thumbLooks_[i] = keyedUnless(options_ & soThumbOpaque, thumb);
    }
}

QRect TRxSlider::thumbRect() const {
    return thumbRectAt(geometry_, offsetOfValue(geometry_, range_, value_));
}

void TRxSlider::jump(SliderJump direction) {
    setValue(jumpValue(range_, value_, direction));
}

void TRxSlider::trackingTick() {
    if (tracking_ && trackJump_ != SliderJump::None &&
        jumpToward(geometry_, thumbRect(), trackPoint_) == trackJump_)
        jump(trackJump_);
}

void TRxSlider::ThumbPressed(QPoint pos, const QRect& thumb) {
    sliding_ = true;
    thumbDown_ = true;
    hitOffset_ = along(pos) - along(thumb.topLeft());
    repaint(thumb);
}

void TRxSlider::ThumbReleased() {
    sliding_ = false;
    thumbDown_ = false;
    update(thumbRect());
    emit OnChanged(this);
}

void TRxSlider::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
    if (focusPolicy() & Qt::ClickFocus) setFocus(Qt::MouseFocusReason);
    const QPoint pos = event->position().toPoint();
    const QRect thumb = thumbRect();
    if (thumb.contains(pos)) {
        ThumbPressed(pos, thumb);
    } else if (geometry_.rulerHitRect().contains(pos)) {
        tracking_ = true;
        trackPoint_ = pos;
        trackJump_ = jumpToward(geometry_, thumb, pos);
        if (trackJump_ != SliderJump::None) jump(trackJump_);
        timer_->start(kJumpRepeatInterval);
    }
}

void TRxSlider::mouseMoveEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    if (thumbRect().contains(pos))
        setCursor(componentCursor(crRxHand));
    else
        unsetCursor();
    if (tracking_) trackPoint_ = pos;
    if (!sliding_ || !(event->buttons() & Qt::LeftButton)) return;
    const QRect moved = thumbRectAt(geometry_, along(pos) - hitOffset_);
    const int value = valueOfOffset(geometry_, range_, along(moved.topLeft()), options_ & soSmooth);
    setValue(value);
}

void TRxSlider::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QWidget::mouseReleaseEvent(event);
    if (tracking_) {
        timer_->stop();
        tracking_ = false;
        emit OnChanged(this);
    }
    if (sliding_) ThumbReleased();
}

void TRxSlider::mouseDoubleClickEvent(QMouseEvent* event) {
    // The second press of a double click neither grabs the thumb nor jumps.
    if (event->button() == Qt::LeftButton) emit OnDblClick(this);
}

void TRxSlider::keyPressEvent(QKeyEvent* event) {
    SliderJump direction = SliderJump::None;
    const bool vertical = orientation_ == soVertical;
    if (!(event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier))) {
        switch (event->key()) {
            case Qt::Key_Home:
                direction = SliderJump::Home;
                break;
            case Qt::Key_End:
                direction = SliderJump::End;
                break;
            case Qt::Key_Right:
                direction = vertical ? SliderJump::None : SliderJump::Up;
                break;
            case Qt::Key_Left:
                direction = vertical ? SliderJump::None : SliderJump::Down;
                break;
            case Qt::Key_Up:
                direction = vertical ? SliderJump::Up : SliderJump::None;
                break;
            case Qt::Key_Down:
                direction = vertical ? SliderJump::Down : SliderJump::None;
                break;
            default:
                break;
        }
    }
    if (direction != SliderJump::None) {
        jump(direction);
        emit OnChanged(this);
    }
    emit OnKeyDown(this, direction == SliderJump::None ? event->key() : 0, event->modifiers());
    if (direction == SliderJump::None) return QWidget::keyPressEvent(event);
    event->accept();
}

void TRxSlider::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    if (options_ & soShowFocus) update();
}

void TRxSlider::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    if (options_ & soShowFocus) update();
}

void TRxSlider::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::EnabledChange) update();
}

void TRxSlider::resizeEvent(QResizeEvent*) {
    layoutChanged();
}

void TRxSlider::DrawTicks(QPainter& painter, int step, int length, int endLength) {
    painter.setPen(palette().color(QPalette::WindowText));
    for (const QLine& line : sliderTicks(geometry_, range_, step, length, endLength)) painter.drawLine(line);
}

void TRxSlider::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QPalette& pal = palette();
    const QRect& s = geometry_.sliderRect;
    if (bevelStyle_ != bvNone) drawBevelFrame(p, rect(), bevelStyle_ == bvLowered, pal);
    p.fillRect(s, pal.color(QPalette::Window));
    p.drawImage(geometry_.rulerOrigin, ruler_);
    if ((options_ & soShowFocus) && hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = s.adjusted(2, 2, -2, -2);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &p, this);
    }
    if (options_ & soShowPoints) {
        if (isSignalConnected(QMetaMethod::fromSignal(&TRxSlider::OnDrawPoints)))
            emit OnDrawPoints(this, &p);
        else
            DrawTicks(p, range_.Increment, 3, 5);
    }
    // The second look shows a held-down thumb or a disabled control.
    p.drawImage(thumbRect().topLeft(), thumbLooks_[(thumbDown_ || !isEnabled()) ? 1 : 0]);
}

}  // namespace kestrave
