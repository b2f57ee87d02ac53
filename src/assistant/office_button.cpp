#include "assistant/office_button.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMouseEvent>
#include <QPainter>
#include <QShortcut>
#include <algorithm>

#include "assistant/office_glyphs.h"

namespace kestrave {
namespace {

const QColor kGrey(128, 128, 128);         // 8421504
const QColor kWhite(255, 255, 255);        // 16777215
const QColor kOutline2(231, 230, 214);     // 14084071
const QColor kSilver(192, 192, 192);       // 12632256
const QColor kLaterFace(255, 255, 204);    // 13434879
const QColor kEarlierFace(255, 255, 225);  // 14811135

constexpr int kSideGap = 6;  // between a side glyph and the caption

enum GlyphRole { kActiveRole, kDisabledRole, kDownRole, kInactiveRole };

// The built-in glyph numbers of a kind, in the order active, disabled, down, inactive.
int builtInGlyph(TOffice97Button::TOffBtnType type, bool laterLook, GlyphRole role) {
    int first = 1;
    switch (type) {
        case TOffice97Button::bsButton:
            first = 1;
            break;
        case TOffice97Button::bsRadioButton:
            first = laterLook ? 17 : 5;
            break;
        case TOffice97Button::bsUpButton:
            first = 9;
            break;
        case TOffice97Button::bsDownButton:
            first = 13;
            break;
        case TOffice97Button::bsHintButton:
            first = 21;
            break;
    }
    return first + role;
}

bool isReturnKey(const QKeyEvent* key) {
    return (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
           (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
}

}  // namespace

TOffice97Button::TOffice97Button(QWidget* parent)
    : QAbstractButton(parent),
      activeColor_(kGrey),
      activeOutlineColor_(kWhite),
      activeOutlineColor2_(kOutline2),
      inactiveColor_(kSilver),
      color_(kLaterFace),
      hoverFont_(font()) {
    setAttribute(Qt::WA_Hover);
    setFocusPolicy(Qt::StrongFocus);
    connect(this, &QAbstractButton::clicked, this, [this] { emit OnClick(this); });
}

void TOffice97Button::setOffice2000Look(bool on) {
    if (on == office2000Look_) return;
    office2000Look_ = on;
    activeColor_ = kGrey;
    activeOutlineColor_ = kWhite;
    inactiveColor_ = kSilver;
    if (on) {
        activeOutlineColor2_ = kOutline2;
        color_ = kLaterFace;
        if (controlType_ == bsButton) showGlyph_ = false;
    } else {
        mouseState_ = 0;
        color_ = kEarlierFace;
        showGlyph_ = true;
    }
    changed();
}

void TOffice97Button::setControlType(TOffBtnType type) {
    if (type == controlType_) return;
    controlType_ = type;
    if (type != bsButton && (position_ == bsLeft || position_ == bsRight)) position_ = bsTop;
    showGlyph_ = !(office2000Look_ && type == bsButton);
    changed();
}

void TOffice97Button::setPosition(TGlyphPosition position) {
    if (position == position_) return;
    position_ = position;
    changed();
}

void TOffice97Button::setCaption(const QString& caption) {
    if (caption == text()) return;
    setText(caption);
    changed();
}

void TOffice97Button::setHoverFont(const QFont& font) {
    hoverFont_ = font;
    update();
}

void TOffice97Button::setDefault(bool on) {
    if (on == default_) return;
    default_ = on;
    if (!returnShortcut_) {
        // Enter anywhere in the window; a focused button takes the key first (see event()).
        const auto clickIfShown = [this] {
            if (isEnabled() && isVisible()) click();
        };
        returnShortcut_ = new QShortcut(QKeySequence(Qt::Key_Return), this, clickIfShown);
        enterShortcut_ = new QShortcut(QKeySequence(Qt::Key_Enter), this, clickIfShown);
    }
    returnShortcut_->setEnabled(on);
    enterShortcut_->setEnabled(on);
    changed();
}

void TOffice97Button::setCancel(bool on) {
    if (on == cancel_) return;
    cancel_ = on;
    if (!escapeShortcut_)
        escapeShortcut_ = new QShortcut(QKeySequence(Qt::Key_Escape), this, [this] {
            if (isEnabled() && isVisible()) click();
        });
    escapeShortcut_->setEnabled(on);
}

void TOffice97Button::setColorProperty(QColor& field, const QColor& value) {
    if (field == value) return;
    field = value;
    update();
}

void TOffice97Button::setGlyphProperty(QImage& field, const QImage& value) {
    field = value;
    changed();
}

void TOffice97Button::setFlagProperty(bool& field, bool value) {
    if (field == value) return;
    field = value;
    changed();
}

void TOffice97Button::changed() {
    if (autoHeight_) {
        const int needed = std::max(textBounds(captionWidth()).height(), glyphSize().height()) + 8;
        if (height() != needed) resize(width(), needed);
    }
    updateGeometry();
    update();
}

void TOffice97Button::setMouseState(int state) {
    if (state == mouseState_) return;
    mouseState_ = state;
    update();
}

QImage TOffice97Button::currentGlyph() const {
    // Pressed with the mouse moved away (state 3) it looks as when the mouse is not over it.
    const GlyphRole role = !isEnabled()       ? kDisabledRole
                           : mouseState_ == 2 ? kDownRole
                           : mouseState_ == 1 ? kActiveRole
                                              : kInactiveRole;
    QImage glyph;
    if (!useCustomGlyphs_) {
        glyph = officeGlyph(builtInGlyph(controlType_, office2000Look_, role));
    } else {
        const auto orInactive = [this](const QImage& g) { return g.isNull() ? inactiveGlyph_ : g; };
        switch (role) {
            case kDisabledRole:
                glyph = disabledGlyph_;
                break;
            case kActiveRole:
                glyph = orInactive(activeGlyph_);
                break;
            case kDownRole:
                glyph = orInactive(downActiveGlyph_);
                break;
            case kInactiveRole:
                glyph = inactiveGlyph_;
                break;
        }
    }
    const auto key = [this](const QImage& g) {
        return autoTransparency_ ? g.pixel(0, g.height() - 1) : transparentColor_.rgb();
    };
    if (role == kDisabledRole && useCustomGlyphs_ && glyph.isNull() && !inactiveGlyph_.isNull())
        return embossedGlyph(inactiveGlyph_, key(inactiveGlyph_));
    if (glyph.isNull()) return {};
    return glyphWithTransparency(glyph, key(glyph));
}

QSize TOffice97Button::glyphSize() const {
    if (!useCustomGlyphs_)
        return officeGlyph(builtInGlyph(controlType_, office2000Look_, kInactiveRole)).size();
    return inactiveGlyph_.isNull() ? activeGlyph_.size() : inactiveGlyph_.size();
}

int TOffice97Button::captionWidth() const {
    return captionWidthLimit(width(), controlType_ == bsButton, position_ == bsLeft || position_ == bsRight,
                             glyphSize().width(), showGlyph_);
}

int TOffice97Button::wrapFlags() const {
    return (wordWrap_ ? Qt::TextWordWrap : Qt::TextSingleLine) | Qt::TextShowMnemonic;
}

QRect TOffice97Button::textBounds(int width) const {
    QFont f = font();
    f.setBold(default_);
    return QFontMetrics(f).boundingRect(QRect(0, 0, std::max(width, 1), 100000), wrapFlags(), text());
}

QSize TOffice97Button::sizeHint() const {
    const QRect text = textBounds(100000);
    const QSize glyph = showGlyph_ ? glyphSize() : QSize();
    const bool side = controlType_ != bsButton || position_ == bsLeft || position_ == bsRight;
    const int width = text.width() + (side ? glyph.width() + 18 : 13);
    const int height = (side ? std::max(text.height(), glyph.height()) : text.height() + glyph.height()) + 8;
    return {width, height};
}

bool TOffice97Button::event(QEvent* event) {
    switch (event->type()) {
        case QEvent::ShortcutOverride:
            // The focused button answers Enter itself, before the default button's shortcut.
            if (isReturnKey(static_cast<QKeyEvent*>(event))) {
                event->accept();
                return true;
            }
            break;
        case QEvent::Shortcut:
            // The accelerator letter clicks at once.
            if (!static_cast<QShortcutEvent*>(event)->isAmbiguous()) {
                if (isEnabled()) click();
                return true;
            }
            break;
        default:
            break;
    }
    return QAbstractButton::event(event);
}

void TOffice97Button::enterEvent(QEnterEvent* event) {
    QAbstractButton::enterEvent(event);
    if (!isEnabled()) return;
    hovered_ = true;
    setMouseState(pressed_ ? 2 : 1);
    emit OnMouseEnter(this);
}

void TOffice97Button::leaveEvent(QEvent* event) {
    QAbstractButton::leaveEvent(event);
    if (!hovered_) return;
    hovered_ = false;
    setMouseState(pressed_ ? 3 : 0);
    emit OnMouseExit(this);
}

void TOffice97Button::mousePressEvent(QMouseEvent* event) {
    QAbstractButton::mousePressEvent(event);
    if (event->button() != Qt::LeftButton || !isDown()) return;
    pressed_ = true;
    setMouseState(2);
}

void TOffice97Button::mouseMoveEvent(QMouseEvent* event) {
    QAbstractButton::mouseMoveEvent(event);
    if (pressed_) setMouseState(isDown() ? 2 : 3);
}

void TOffice97Button::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && pressed_) {
        pressed_ = false;
        setMouseState(rect().contains(event->position().toPoint()) ? 1 : 0);
    }
    // Clicks when released over the button (the click handler may close the window).
    QAbstractButton::mouseReleaseEvent(event);
}

void TOffice97Button::mouseDoubleClickEvent(QMouseEvent* event) {
    emit OnDblClick(this);
    QAbstractButton::mouseDoubleClickEvent(event);
}

void TOffice97Button::keyPressEvent(QKeyEvent* event) {
    if (isReturnKey(event)) {
        click();
        return;
    }
    // With the focus the accelerator letter needs no Alt.
    const QKeySequence mnemonic = QKeySequence::mnemonic(text());
    if (event->modifiers() == Qt::NoModifier && !mnemonic.isEmpty() &&
        mnemonic[0].key() == static_cast<Qt::Key>(event->key())) {
        click();
        return;
    }
    QAbstractButton::keyPressEvent(event);
}

void TOffice97Button::changeEvent(QEvent* event) {
    QAbstractButton::changeEvent(event);
    if (event->type() == QEvent::EnabledChange) {
        pressed_ = false;
        hovered_ = isEnabled() && underMouse();
        mouseState_ = hovered_ ? 1 : 0;
        update();
    } else if (event->type() == QEvent::FontChange) {
        changed();
    }
}

void TOffice97Button::hideEvent(QHideEvent* event) {
    QAbstractButton::hideEvent(event);
    pressed_ = false;
    hovered_ = false;
    mouseState_ = 0;
}

void TOffice97Button::resizeEvent(QResizeEvent* event) {
    QAbstractButton::resizeEvent(event);
    if (autoHeight_) changed();
}

void TOffice97Button::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const bool plain = controlType_ == bsButton;
    const bool hot = isEnabled() && mouseState_ != 0;
    if (!transparent_) p.fillRect(rect(), plain && hot && office2000Look_ ? activeOutlineColor2_ : color_);

    // Content: the caption block and the glyph beside, above or below it.
    const QImage glyph = showGlyph_ ? currentGlyph() : QImage();
    const QSize g = showGlyph_ ? glyphSize() : QSize(0, 0);
    const QRect bounds = textBounds(captionWidth());
    QRect text(QPoint(0, 0), QSize(captionWidth(), bounds.height()));
    QPoint glyphAt;
    int align = Qt::AlignLeft;
    if (!plain) {
        glyphAt = QPoint(5, position_ == bsBottom ? (height() + bounds.height()) / 2 - g.height()
                                                  : (height() - bounds.height()) / 2);
        text.moveTopLeft(QPoint(showGlyph_ ? 5 + g.width() + 5 : 5, (height() - bounds.height()) / 2));
    } else if (showGlyph_ && (position_ == bsLeft || position_ == bsRight)) {
        const int total = g.width() + kSideGap + bounds.width();
        const int left = (width() - total) / 2;
        const bool glyphFirst = position_ == bsLeft;
        glyphAt = QPoint(glyphFirst ? left : left + bounds.width() + kSideGap, (height() - g.height()) / 2);
        text = QRect(glyphFirst ? left + g.width() + kSideGap : left, (height() - bounds.height()) / 2,
                     bounds.width(), bounds.height());
    } else {
        align = Qt::AlignHCenter;
        const int blockHeight = bounds.height() + (showGlyph_ ? g.height() + 2 : 0);
        const int top = (height() - blockHeight) / 2;
        const bool glyphAbove = position_ != bsBottom;
        glyphAt = QPoint((width() - g.width()) / 2, glyphAbove ? top : top + bounds.height() + 2);
        text.moveTopLeft(
            QPoint((width() - text.width()) / 2, glyphAbove && showGlyph_ ? top + g.height() + 2 : top));
    }
    const QPoint shift = mouseState_ == 2 ? QPoint(1, 1) : QPoint(0, 0);
    if (!glyph.isNull()) p.drawImage(glyphAt + shift, glyph);

    QFont f = isEnabled() && (mouseState_ == 1 || mouseState_ == 2) ? hoverFont_ : font();
    f.setBold(f.bold() || default_);
    p.setFont(f);
    p.setPen(isEnabled() ? palette().color(QPalette::WindowText) : inactiveColor_);
    p.drawText(text.translated(shift), wrapFlags() | align | Qt::AlignTop, this->text());

    if (plain) paintOutline(p);
    if (hasFocus()) {
        QPen dotted(palette().color(QPalette::WindowText), 1, Qt::DotLine);
        p.setPen(dotted);
        p.setBrush(Qt::NoBrush);
        const QRect around = text.translated(shift).adjusted(-2, -1, 1, 0);
        p.drawRect(around.intersected(rect().adjusted(0, 0, -1, -1)));
    }
}

void TOffice97Button::paintOutline(QPainter& p) const {
    if (!isEnabled() || mouseState_ == 0) return;
    const QRect r = rect().adjusted(0, 0, -1, -1);
    if (office2000Look_) {
        // Lines without their corner pixels; the corners in the inactive colour round them off.
        p.setPen(activeColor_);
        p.drawLine(r.left() + 1, r.top(), r.right() - 1, r.top());
        p.drawLine(r.left() + 1, r.bottom(), r.right() - 1, r.bottom());
        p.drawLine(r.left(), r.top() + 1, r.left(), r.bottom() - 1);
        p.drawLine(r.right(), r.top() + 1, r.right(), r.bottom() - 1);
        p.setPen(inactiveColor_);
        for (const QPoint& corner : {r.topLeft(), r.topRight(), r.bottomLeft(), r.bottomRight()})
            p.drawPoint(corner);
        return;
    }
    // The earlier look: raised under the mouse, sunken while pressed over it.
    const bool sunken = mouseState_ == 2;
    p.setPen(sunken ? activeColor_ : activeOutlineColor_);
    p.drawLine(r.topLeft(), r.topRight());
    p.drawLine(r.topLeft(), r.bottomLeft());
    p.setPen(sunken ? activeOutlineColor_ : activeColor_);
    p.drawLine(r.bottomLeft(), r.bottomRight());
    p.drawLine(r.topRight(), r.bottomRight());
}

}  // namespace kestrave
