#include "widgets/spin_button.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QToolButton>
#include <algorithm>
#include <cmath>

namespace kestrave {

namespace {

// A small filled triangle pointing up or down, on a transparent background.
QPixmap arrowGlyph(bool up) {
    QPixmap glyph(5, 3);
    glyph.fill(Qt::transparent);
    QPainter painter(&glyph);
    painter.setPen(Qt::black);
    for (int row = 0; row < 3; ++row) {
        const int y = up ? row : 2 - row;
        painter.drawLine(2 - row, y, 2 + row, y);
    }
    return glyph;
}

// Top-left corner that centres `glyph` on (cx, cy).
QPoint centredAt(const QPixmap& glyph, double cx, double cy) {
    return {static_cast<int>(std::nearbyint(cx - glyph.width() / 2.0)),
            static_cast<int>(std::nearbyint(cy - glyph.height() / 2.0))};
}

}  // namespace

SpinPart spinPartAt(int x, int y, int width, int height) {
    if (width <= 0) return SpinPart::Top;
    // y <= h - (h / w) * x, multiplied through by w > 0.
    const long long lhs = static_cast<long long>(y) * width;
    const long long rhs = static_cast<long long>(height) * width - static_cast<long long>(height) * x;
    return lhs <= rhs ? SpinPart::Top : SpinPart::Bottom;
}

TRxSpinButton::TRxSpinButton(QWidget* parent)
    : QWidget(parent), upGlyph_(arrowGlyph(true)), downGlyph_(arrowGlyph(false)), timer_(makeRepeatTimer()) {
    timer_->onTick = [this] { repeatTick(); };
    resize(20, 20);
}

TRxSpinButton::~TRxSpinButton() = default;

void TRxSpinButton::setUpGlyph(const QPixmap& glyph) {
    upGlyph_ = glyph.isNull() ? arrowGlyph(true) : glyph;
    update();
}

void TRxSpinButton::setDownGlyph(const QPixmap& glyph) {
    downGlyph_ = glyph.isNull() ? arrowGlyph(false) : glyph;
    update();
}

void TRxSpinButton::setRepeatTimer(std::unique_ptr<RepeatTimer> timer) {
    timer_ = std::move(timer);
    timer_->onTick = [this] { repeatTick(); };
}

void TRxSpinButton::setPressed(SpinPart part) {
    if (pressed_ == part) return;
    pressed_ = part;
    update();
}

void TRxSpinButton::clickPart(SpinPart part) {
    if (part == SpinPart::Top) emit OnTopClick(this);
    if (part == SpinPart::Bottom) emit OnBottomClick(this);
    if (!dragging_) setPressed(SpinPart::None);
}

bool TRxSpinButton::insideButton(QPoint pos) const {
    return pos.x() >= 0 && pos.x() <= width() && pos.y() >= 0 && pos.y() <= height();
}

void TRxSpinButton::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
    QWidget* focus = focusControl_;
    if (focus && (focus->focusPolicy() & Qt::TabFocus) && focus->isEnabled() && focus->isVisible() &&
        !focus->hasFocus())
        focus->setFocus(Qt::MouseFocusReason);
    dragging_ = true;
    if (pressed_ != SpinPart::None) return;
    const QPoint pos = event->position().toPoint();
    downPart_ = spinPartAt(pos.x(), pos.y(), width(), height());
    setPressed(downPart_);
    clickPart(downPart_);
    timer_->start(kFirstRepeatDelay);
}

void TRxSpinButton::repeatTick() {
    timer_->setInterval(kRepeatInterval);
    if (pressed_ == SpinPart::None || !dragging_) return;
    try {
        clickPart(pressed_);
    } catch (...) {
        timer_->stop();
        throw;
    }
}

void TRxSpinButton::mouseMoveEvent(QMouseEvent* event) {
    if (!dragging_) return;
    const QPoint pos = event->position().toPoint();
    SpinPart shown = SpinPart::None;
    if (insideButton(pos) && spinPartAt(pos.x(), pos.y(), width(), height()) == downPart_) shown = downPart_;
    setPressed(shown);
}

void TRxSpinButton::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QWidget::mouseReleaseEvent(event);
    dragging_ = false;
    // Stopped here so that no tick outlives the press.
    timer_->stop();
    setPressed(SpinPart::None);
}

void TRxSpinButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QPalette& pal = palette();
    const int w = width();
    const int h = height();
    // A disabled button always shows the released look.
    const SpinPart shown = isEnabled() ? pressed_ : SpinPart::None;
    const bool topDown = shown == SpinPart::Top;
    const bool bottomDown = shown == SpinPart::Bottom;
    const QColor face = pal.color(QPalette::Button);
    const QColor frame = pal.color(QPalette::Shadow);
    const QColor light = pal.color(QPalette::Light);
    const QColor dark = pal.color(QPalette::Dark);

    p.fillRect(rect(), face);
    p.setPen(frame);
    p.drawRect(0, 0, w - 1, h - 1);
    p.drawLine(-1, h, w, -1);

    p.setPen(topDown ? dark : light);
    p.drawPolyline(QPolygon({QPoint(1, h - 4), QPoint(1, 1), QPoint(w - 3, 1)}));
    if (!topDown) {
        p.setPen(dark);
        p.drawLine(1, h - 3, w - 2, 0);
    }
    p.setPen(bottomDown ? light : dark);
    p.drawPolyline(QPolygon({QPoint(2, h - 2), QPoint(w - 2, h - 2), QPoint(w - 2, 1)}));
    p.setPen(bottomDown ? dark : light);
    p.drawLine(2, h - 2, w - 1, 1);

    const int upShift = topDown ? 2 : 1;
    p.drawPixmap(centredAt(upGlyph_, w / 4.0, h / 4.0) + QPoint(upShift, upShift), upGlyph_);
    p.drawPixmap(centredAt(downGlyph_, 3 * w / 4.0, 3 * h / 4.0) - QPoint(1, 1), downGlyph_);
    if (bottomDown) {
        p.setPen(dark);
        p.drawLine(3, h - 2, w - 1, 2);
    }
}

int spinButtonDefaultWidth(const QWidget& widget) {
    return std::min(widget.style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, &widget), 15);
}

TRxUpDown::TRxUpDown(QWidget* parent)
    : QWidget(parent), next_(new QToolButton(this)), previous_(new QToolButton(this)) {
    next_->setArrowType(Qt::UpArrow);
    previous_->setArrowType(Qt::DownArrow);
    for (QToolButton* button : {next_, previous_}) {
        button->setAutoRepeat(true);
        button->setFocusPolicy(Qt::NoFocus);
    }
    connect(next_, &QToolButton::clicked, this, [this] { emit OnClick(this, btNext); });
    connect(previous_, &QToolButton::clicked, this, [this] { emit OnClick(this, btPrev); });
    setFixedWidth(spinButtonDefaultWidth(*this));
}

void TRxUpDown::resizeEvent(QResizeEvent*) {
    const int half = height() / 2;
    next_->setGeometry(0, 0, width(), half);
    previous_->setGeometry(0, half, width(), height() - half);
}

}  // namespace kestrave
