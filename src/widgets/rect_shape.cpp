#include "widgets/rect_shape.h"

#include <QPainter>

#include <algorithm>

namespace kestrave {

RectShapeGeometry rectShapeGeometry(QSize size, int penWidth, bool shadow, int offset) {
    const int half = penWidth / 2;
    const int less = penWidth == 0 ? 1 : 0;
    const int w = size.width() - offset - penWidth + 1 - less;
    const int h = size.height() - offset - penWidth + 1 - less;
    if (!shadow) return {QRect(), QRect(half, half, w + offset, h + offset)};
    return {QRect(half + offset, half + offset, w, h), QRect(half, half, w, h)};
}

TRectShape::TRectShape(QWidget* parent) : QWidget(parent), shadowColor_(palette().color(QPalette::Dark)) {
    resize(65, 65);
}

void TRectShape::setBrush(const QBrush& brush) {
    brush_ = brush;
    update();
}

void TRectShape::setPen(const QPen& pen) {
    pen_ = pen;
    update();
}

void TRectShape::setShadow(bool shadow) {
    shadow_ = shadow;
    update();
}

void TRectShape::setShadowOffset(int offset) {
    offset_ = std::max(offset, 0);
    update();
}

void TRectShape::setShadowColor(const QColor& colour) {
    shadowColor_ = colour;
    update();
}

// The pen is drawn inside the body's edge, the brush fills what it leaves.
void TRectShape::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const int penWidth = pen_.style() == Qt::NoPen ? 0 : std::max(pen_.width(), 1);
    const RectShapeGeometry geometry = rectShapeGeometry(size(), penWidth, shadow_, offset_);
    if (shadow_) painter.fillRect(geometry.shadow, shadowColor_);
    if (penWidth > 0) painter.fillRect(geometry.body, pen_.color());
    painter.fillRect(geometry.body.adjusted(penWidth, penWidth, -penWidth, -penWidth), brush_);
}

}  // namespace kestrave
