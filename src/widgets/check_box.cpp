#include "widgets/check_box.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QShortcutEvent>
#include <QStyleOptionFocusRect>
#include <algorithm>

#include "platform/sound_sink.h"
#include "widgets/click_sound.h"
#include "widgets/component_graphics.h"
#include "widgets/published.h"

namespace kestrave {

namespace {

const QColor kFace(192, 192, 192);
const QColor kShadow(128, 128, 128);

struct TickLook {
    enum Shape { Cross, Hook, Ellipse } shape;
    QColor color;
};

TickLook tickLook(TPCheck::TImageType type) {
    switch (type) {
        case TPCheck::igCrossRed:
            return {TickLook::Cross, Qt::red};
        case TPCheck::igHookBlue:
            return {TickLook::Hook, Qt::blue};
        case TPCheck::igCirce:
            return {TickLook::Ellipse, Qt::black};
        case TPCheck::igCrossBlue:
            return {TickLook::Cross, Qt::blue};
        case TPCheck::igCrossGreen:
            return {TickLook::Cross, QColor(0, 128, 0)};
        case TPCheck::igHookLime:
            return {TickLook::Hook, QColor(50, 205, 50)};
        case TPCheck::igHookRed:
            break;
    }
    return {TickLook::Hook, Qt::red};
}

}  // namespace

TPCheck::TPCheck(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::StrongFocus);
}

void TPCheck::setChecked(bool checked) {
    if (checked == checked_) return;
    checked_ = checked;
    update();
    emit CheckedChanged(checked);
}

void TPCheck::setCaption(const QString& caption) {
    if (caption == caption_) return;
    caption_ = caption;
    if (shortcutId_ != 0) releaseShortcut(shortcutId_);
    const QKeySequence accelerator = QKeySequence::mnemonic(caption);
    shortcutId_ = accelerator.isEmpty() ? 0 : grabShortcut(accelerator);
    updateGeometry();
    update();
}

void TPCheck::setImageType(TImageType type) {
    if (type == imageType_) return;
    imageType_ = type;
    update();
}

void TPCheck::setAlignment(TCheckAlignment alignment) {
    if (alignment == alignment_) return;
    alignment_ = alignment;
    update();
}

void TPCheck::setStyle(TCheckStyle style) {
    if (style == style_) return;
    style_ = style;
    update();
}

void TPCheck::setColorSipleMargine(const QColor& color) {
    if (color == marginColor_) return;
    marginColor_ = color;
    update();
}

void TPCheck::setFlat(bool flat) {
    flat_ = flat;
    update();
}

void TPCheck::setTransparent(bool on) {
    transparent_ = on;
    update();
}

void TPCheck::setHint(const QString& hint) {
    hint_ = hint;
    setToolTip(toolTipOfHint(hint));
}

void TPCheck::setHintSecondLine(const QString& line) {
    hintSecondLine_ = line;
    if (!hint_.isEmpty() && !line.isEmpty()) setHint(hint_ + QChar('\r') + line);
}

CheckLayout TPCheck::layout() const {
    const QFontMetrics metrics = fontMetrics();
    int captionWidth = metrics.horizontalAdvance(caption_);
    if (caption_.contains('&')) captionWidth -= metrics.horizontalAdvance('&');
    return checkLayout(size(), captionWidth, metrics.height(), alignment_ == taRightJustify, kBoxSize);
}

QSize TPCheck::sizeHint() const {
    const QFontMetrics metrics = fontMetrics();
    return {22 + metrics.horizontalAdvance(caption_) + 6, std::max(17, metrics.height() + 4)};
}

QSize TPCheck::minimumSizeHint() const {
    const QSize full = sizeHint();
    const int shortest = 22 + fontMetrics().horizontalAdvance(QStringLiteral("Abc")) + 6;
    return {std::min(full.width(), shortest), full.height()};
}

void TPCheck::run(const CheckPressMachine::Actions& actions) {
    for (const auto action : actions) {
        switch (action) {
            case CheckPressMachine::Action::Invert:
                setChecked(!checked_);
                break;
            case CheckPressMachine::Action::Click:
                emit OnClick(this);
                break;
            case CheckPressMachine::Action::DoubleClick:
                emit OnDblClick(this);
                break;
        }
    }
}

void TPCheck::takeFocus(Qt::FocusReason reason) {
    if (focusPolicy() != Qt::NoFocus) setFocus(reason);
}

void TPCheck::click() const {
    if (playMusic_ && sound_) sound_->play(clickSoundWave());
}

void TPCheck::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
    takeFocus(Qt::MouseFocusReason);
    run(presses_.press());
    click();
}

void TPCheck::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QWidget::mouseReleaseEvent(event);
    run(presses_.release(rect().contains(event->position().toPoint())));
}

void TPCheck::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QWidget::mouseDoubleClickEvent(event);
    takeFocus(Qt::MouseFocusReason);
    run(presses_.doublePress());
    click();
}

void TPCheck::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        emit OnClick(this);
        // The key goes on to the parent (a dialog's default button).
        event->ignore();
        return;
    }
    QWidget::keyPressEvent(event);
}

bool TPCheck::event(QEvent* event) {
    if (event->type() == QEvent::Shortcut && shortcutId_ != 0 &&
        static_cast<QShortcutEvent*>(event)->shortcutId() == shortcutId_) {
        // The accelerator clicks first, so its handler sees the old state; then the state is
        // inverted through the property.
        if (isEnabled() && isVisible() && focusPolicy() != Qt::NoFocus) {
            emit OnClick(this);
            takeFocus(Qt::ShortcutFocusReason);
            setChecked(!checked_);
        }
        return true;
    }
    return QWidget::event(event);
}

void TPCheck::enterEvent(QEnterEvent* event) {
    QWidget::enterEvent(event);
    if (!isEnabled()) return;
    entered_ = true;
    if (hotTrack_) {
        hovered_ = true;
        update();
    }
    if (showHandCursor_) setCursor(componentCursor(crRxHand));
    emit OnMouseEnter(this);
}

void TPCheck::leaveEvent(QEvent* event) {
    QWidget::leaveEvent(event);
    if (!entered_) return;
    entered_ = false;
    hovered_ = false;
    update();
    unsetCursor();
    emit OnMouseExit(this);
}

void TPCheck::paintBox(QPainter& p, QPoint at) const {
    const QRect box(at, kBoxSize);
    p.fillRect(box, isEnabled() ? QColor(Qt::white) : kFace);
    const int l = box.left(), t = box.top(), r = box.right(), b = box.bottom();
    if (flat_) {
        p.setPen(kShadow);
        p.drawRect(box.adjusted(0, 0, -1, -1));
        return;
    }
    // Sunken twice: shadow and black at the top-left, white and face at the bottom-right.
    p.setPen(kShadow);
    p.drawPolyline(QPolygon({QPoint(l, b - 1), QPoint(l, t), QPoint(r - 1, t)}));
    p.setPen(Qt::black);
    p.drawPolyline(QPolygon({QPoint(l + 1, b - 2), QPoint(l + 1, t + 1), QPoint(r - 2, t + 1)}));
    p.setPen(Qt::white);
    p.drawPolyline(QPolygon({QPoint(l, b), QPoint(r, b), QPoint(r, t)}));
    p.setPen(kFace);
    p.drawPolyline(QPolygon({QPoint(l + 1, b - 1), QPoint(r - 1, b - 1), QPoint(r - 1, t + 1)}));
}

void TPCheck::paintTick(QPainter& p, QPoint at) const {
    const TickLook look = tickLook(imageType_);
    p.save();
    p.translate(at);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(look.color, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    switch (look.shape) {
        case TickLook::Cross:
            p.drawLine(3, 3, 9, 9);
            p.drawLine(9, 3, 3, 9);
            break;
        case TickLook::Hook:
            p.drawPolyline(QPolygon({QPoint(3, 6), QPoint(5, 9), QPoint(10, 3)}));
            break;
        case TickLook::Ellipse:
            p.setBrush(look.color);
            p.drawEllipse(QRectF(3.5, 3.5, 6, 6));
            break;
    }
    p.restore();
}

void TPCheck::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QPalette& pal = palette();
    QRect inside = rect();
    if (style_ != bmNone) {
        inside.adjust(1, 1, -1, -1);
        if (style_ == bmSimple) {
            p.setPen(marginColor_);
            p.drawRect(rect().adjusted(0, 0, -1, -1));
        } else {
            drawBevelFrame(p, rect(), style_ == bmLowered, pal);
        }
    }
    // A transparent control leaves the parent's painting where the control draws nothing.
    if (!transparent_) {
        const QColor fill = pal.color(QPalette::Window);
        if (hovered_)
            p.fillRect(inside, QBrush(CreateTwoColorsBrushPattern(fill, pal.color(QPalette::Light))));
        else
            p.fillRect(inside, fill);
    }

    const CheckLayout place = layout();
    if (showFocused_ && hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = place.caption.adjusted(-1, -1, 1, 1);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &p, this);
    }
    const int textFlags = Qt::AlignLeft | Qt::AlignTop | Qt::TextShowMnemonic | Qt::TextSingleLine;
    // The caption is drawn whole; what passes the control's edge is clipped.
    const QString& caption = caption_;
    if (isEnabled()) {
        p.setPen(hotTrack_ && hovered_ ? QColor(Qt::blue) : pal.color(QPalette::WindowText));
        p.drawText(place.caption, textFlags, caption);
    } else {
        // Embossed: the light copy one pixel right and down, the shadow copy in place.
        p.setPen(pal.color(QPalette::Light));
        p.drawText(place.caption.translated(1, 1), textFlags, caption);
        p.setPen(pal.color(QPalette::Dark));
        p.drawText(place.caption, textFlags, caption);
    }
    // A disabled box shows no tick.
    paintBox(p, place.box);
    if (checked_ && isEnabled()) paintTick(p, place.box);
}

}  // namespace kestrave
