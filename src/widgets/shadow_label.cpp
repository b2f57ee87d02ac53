#include "widgets/shadow_label.h"

#include <QApplication>
#include <QPainter>

#include <QTextDocument>
#include "widgets/component_graphics.h"

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

TRxLabel::TRxLabel(QWidget* parent) : QLabel(parent), shadowColor_(palette().color(QPalette::Light)) {
    // The focus rectangle follows the focus control's focus.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget* old, QWidget* now) {
        if (showFocus_ && buddy() != nullptr && (old == buddy() || now == buddy())) update();
    });
}

void TRxLabel::setTransparent(bool transparent) {
    if (transparent == transparent_) return;
    transparent_ = transparent;
    update();
}

void TRxLabel::setShowFocus(bool show) {
    showFocus_ = show;
    update();
}

void TRxLabel::setAutoSize(bool autoSize) {
    autoSize_ = autoSize;
    adjustBounds();
}

void TRxLabel::setCaption(const QString& caption) {
    setText(caption);
    adjustBounds();
}

void TRxLabel::setShowAccelChar(bool show) {
    if (show == showAccelChar_) return;
    showAccelChar_ = show;
    adjustBounds();
    update();
}

QString TRxLabel::measuredText() const {
    const QString caption = text();
    if (caption.isEmpty() || (showAccelChar_ && caption == "&")) return QStringLiteral(" ");
    return caption;
}

int TRxLabel::textFlags() const {
    int flags = static_cast<int>(alignment()) | Qt::TextExpandTabs;
    if (showAccelChar_) flags |= Qt::TextShowMnemonic;
    if (wordWrap()) flags |= Qt::TextWordWrap;
    return flags;
}

QRect TRxLabel::textArea() const {
    return contentsRect().adjusted(1, 0, -1, 0);
}

QRect TRxLabel::textRect() const {
    return fontMetrics().boundingRect(textArea(), textFlags(), measuredText());
}

void TRxLabel::adjustBounds() {
    // Pictures and rich text keep the size their owner gives them.
    if (!autoSize_ || !plainCaption()) return;
    const QSize wanted = sizeHint();
    const int right = geometry().right();
    const bool keepRight = alignment() & Qt::AlignRight;
    resize(wanted);
    if (keepRight) move(right - wanted.width() + 1, y());
}

void TRxLabel::setShadowSize(int size) {
    shadowSize_ = std::max(0, size);
    updateGeometry();
    adjustBounds();
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
    if (!plainCaption()) return QLabel::sizeHint() + QSize(shadowSize_, shadowSize_);
    const QSize text = fontMetrics().size(textFlags(), measuredText());
    const QMargins margins = contentsMargins();
    return text + QSize(2 + shadowSize_ + margins.left() + margins.right(),
                        shadowSize_ + margins.top() + margins.bottom());
}

QSize TRxLabel::minimumSizeHint() const {
    return QLabel::minimumSizeHint() + QSize(shadowSize_, shadowSize_);
}

bool TRxLabel::plainCaption() const {
    if (!pixmap().isNull() || textFormat() == Qt::RichText) return false;
    return textFormat() != Qt::AutoText || !Qt::mightBeRichText(text());
}

QString TRxLabel::drawnText() const {
    return text();
}

void TRxLabel::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    if (!transparent_ || autoFillBackground()) painter.fillRect(rect(), palette().color(backgroundRole()));
    if (!plainCaption()) {
        painter.end();
        QLabel::paintEvent(event);
        return;
    }
    drawFrame(&painter);
    const QRect area = textArea();
    const int flags = textFlags();
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
    const QRect drawn = DrawShadowText(painter, drawnText(), area, flags, size, shadow, pos);
    if (showFocus_ && buddy() != nullptr && buddy()->hasFocus()) {
        // A dotted frame one pixel around the text.
        painter.setPen(QPen(palette().color(QPalette::WindowText), 1, Qt::DotLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(drawn.adjusted(-1, 0, 0, -1));
    }
}

void TRxLabel::setMouseInside(bool inside) {
    if (inside == mouseInside_) return;
    mouseInside_ = inside;
    if (inside)
        emit OnMouseEnter();
    else
        emit OnMouseLeave();
}

void TRxLabel::enterEvent(QEnterEvent*) {
    if (isEnabled() && IsForegroundTask()) setMouseInside(true);
}

void TRxLabel::leaveEvent(QEvent*) {
    setMouseInside(false);
}

void TRxLabel::mouseReleaseEvent(QMouseEvent* event) {
    QLabel::mouseReleaseEvent(event);
    setMouseInside(pointerInside(*this));
}

void TRxLabel::changeEvent(QEvent* event) {
    QLabel::changeEvent(event);
    if (event->type() == QEvent::EnabledChange) setMouseInside(pointerInside(*this));
    if (event->type() == QEvent::FontChange) adjustBounds();
}

void TRxLabel::showEvent(QShowEvent* event) {
    QLabel::showEvent(event);
    setMouseInside(pointerInside(*this));
}

void TRxLabel::hideEvent(QHideEvent* event) {
    QLabel::hideEvent(event);
    setMouseInside(false);
}

}  // namespace kestrave
