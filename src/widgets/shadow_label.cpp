#include "widgets/shadow_label.h"

#include <QPainter>
#include <QTextDocument>

namespace kestrave {

QPoint shadowOffset(ShadowPos pos, int size) {
    switch (pos) {
        case ShadowPos::LeftTop:
            return {-size, -size};
        case ShadowPos::LeftBottom:
            return {-size, size};
        case ShadowPos::RightBottom:
            return {size, size};
        case ShadowPos::RightTop:
            return {size, -size};
    }
    return {};
}

QRect DrawShadowText(QPainter& painter, const QString& text, const QRect& rect, int flags, int shadowSize,
                     const QColor& shadowColor, ShadowPos pos) {
    const QPen pen = painter.pen();
    QRect shadow;
    if (shadowSize > 0) {
        painter.setPen(shadowColor);
        painter.drawText(rect.translated(shadowOffset(pos, shadowSize)), flags, text, &shadow);
        painter.setPen(pen);
    }
    QRect drawn;
    painter.drawText(rect, flags, text, &drawn);
    QRect both = shadowSize > 0 ? drawn.united(shadow) : drawn;
    both.setHeight(drawn.height() + shadowSize);
    return both;
}

TRxLabel::TRxLabel(QWidget* parent) : QLabel(parent), shadowColor_(palette().color(QPalette::Light)) {}

void TRxLabel::setShadowSize(int size) {
    shadowSize_ = std::max(0, size);
    updateGeometry();
    update();
}

void TRxLabel::setShadowColor(const QColor& color) {
    shadowColor_ = color;
    update();
}

void TRxLabel::setShadowPos(ShadowPos pos) {
    shadowPos_ = pos;
    update();
}

QSize TRxLabel::sizeHint() const {
    return QLabel::sizeHint() + QSize(shadowSize_, shadowSize_);
}

QSize TRxLabel::minimumSizeHint() const {
    return QLabel::minimumSizeHint() + QSize(shadowSize_, shadowSize_);
}

bool TRxLabel::plainCaption() const {
    if (!pixmap().isNull() || textFormat() == Qt::RichText) return false;
    return textFormat() != Qt::AutoText || !Qt::mightBeRichText(text());
}

void TRxLabel::paintEvent(QPaintEvent* event) {
    if (!plainCaption()) {
        QLabel::paintEvent(event);
        return;
    }
    QPainter painter(this);
    if (autoFillBackground()) painter.fillRect(rect(), palette().color(backgroundRole()));
    const QRect area = contentsRect().adjusted(1, 0, -1, 0);
    int flags = static_cast<int>(alignment()) | Qt::TextExpandTabs;
    if (wordWrap()) flags |= Qt::TextWordWrap;
    int size = shadowSize_;
    ShadowPos pos = shadowPos_;
    QColor shadow = shadowColor_;
    if (!isEnabled()) {
        // Grey text on a highlight shadow; without a shadow of its own the text looks engraved.
        painter.setPen(palette().color(QPalette::Disabled, QPalette::WindowText));
        shadow = palette().color(QPalette::Light);
        if (size == 0) {
            size = 1;
            pos = ShadowPos::RightBottom;
        }
    } else {
        painter.setPen(palette().color(foregroundRole()));
    }
    DrawShadowText(painter, text(), area, flags, size, shadow, pos);
}

void TRxLabel::enterEvent(QEnterEvent*) {
    if (!isEnabled() || mouseInside_) return;
    mouseInside_ = true;
    emit OnMouseEnter();
}

void TRxLabel::leaveEvent(QEvent*) {
    if (!mouseInside_) return;
    mouseInside_ = false;
    emit OnMouseLeave();
}

}  // namespace kestrave
