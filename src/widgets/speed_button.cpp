#include "widgets/speed_button.h"

#include <QCursor>
#include <QDialog>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionButton>
#include <QStylePainter>

#include "widgets/component_graphics.h"

namespace kestrave {
namespace {

// The width kept free at the right for the drop-down arrow.
constexpr int kDropDownArrowWidth = 9;

}  // namespace

TRxSpeedButton::TRxSpeedButton(QWidget* parent, std::unique_ptr<RepeatTimer> timer)
    : QToolButton(parent), timer_(std::move(timer)) {
    timer_->onTick = [this] { tick(); };
    connect(this, &QAbstractButton::clicked, this, &TRxSpeedButton::OnClick);
    resize(25, 25);
}

TRxSpeedButton::~TRxSpeedButton() {
    timer_->onTick = nullptr;
}

void TRxSpeedButton::setFlat(bool flat) {
    flat_ = flat;
    update();
}

void TRxSpeedButton::setGlyph(const QImage& glyph) {
    glyph_.setGlyph(glyph);
    updateGeometry();
    update();
}

void TRxSpeedButton::setNumGlyphs(int count) {
    glyph_.setNumGlyphs(count);
    updateGeometry();
    update();
}

void TRxSpeedButton::setLayout(ButtonLayout layout) {
    layout_ = layout;
    update();
}

void TRxSpeedButton::setMargin(int margin) {
    if (margin < -1) return;
    margin_ = margin;
    update();
}

void TRxSpeedButton::setSpacing(int spacing) {
    spacing_ = spacing;
    update();
}

void TRxSpeedButton::setGrayedInactive(bool grayed) {
    grayedInactive_ = grayed;
    update();
}

void TRxSpeedButton::setTransparent(bool transparent) {
    transparent_ = transparent;
    update();
}

void TRxSpeedButton::setMarkDropDown(bool mark) {
    markDropDown_ = mark;
    updateGeometry();
    update();
}

QList<TRxSpeedButton*> TRxSpeedButton::groupMembers() const {
    QList<TRxSpeedButton*> members;
    if (parentWidget() != nullptr) {
        for (TRxSpeedButton* other :
             parentWidget()->findChildren<TRxSpeedButton*>(Qt::FindDirectChildrenOnly))
            if (other->groupIndex_ == groupIndex_) members.push_back(other);
    }
    if (!members.contains(const_cast<TRxSpeedButton*>(this)))
        members.push_back(const_cast<TRxSpeedButton*>(this));
    return members;
}

void TRxSpeedButton::showDown(bool down) {
    down_ = down;
    if (press_.state != ButtonState::Down || !press_.dragging)
        press_.state = down ? ButtonState::Exclusive : ButtonState::Up;
    syncing_ = true;
    QAbstractButton::setChecked(down);
    syncing_ = false;
    update();
}

void TRxSpeedButton::setDown(bool down) {
    const QList<TRxSpeedButton*> members = groupMembers();
    std::vector<GroupedButton> buttons;
    int self = 0;
    for (int i = 0; i < members.size(); ++i) {
        if (members[i] == this) self = i;
        buttons.push_back({members[i]->groupIndex_, members[i]->allowAllUp_, members[i]->down_});
    }
    const std::vector<int> changed = setButtonDown(buttons, self, down);
    for (int i = 0; i < members.size(); ++i)
        members[i]->allowAllUp_ = buttons[static_cast<std::size_t>(i)].allowAllUp;
    for (int i : changed) members[i]->showDown(buttons[static_cast<std::size_t>(i)].down);
}

void TRxSpeedButton::nextCheckState() {
    if (groupIndex_ != 0) setDown(!down_);
}

void TRxSpeedButton::checkStateSet() {
    if (syncing_ || isChecked() == down_) return;
    const bool wanted = isChecked();
    showDown(down_);
    setDown(wanted);
}

void TRxSpeedButton::setGroupIndex(int group) {
    groupIndex_ = group;
    setCheckable(group != 0);
    // Without a group a button is never down.
    if (group == 0 && down_) showDown(false);
}

void TRxSpeedButton::setAllowAllUp(bool allow) {
    allowAllUp_ = allow;
    // Every button of the group follows.
    for (TRxSpeedButton* member : groupMembers()) member->allowAllUp_ = allow;
}

void TRxSpeedButton::Click() {
    auto* dialog = qobject_cast<QDialog*>(window());
    if (dialog != nullptr && ModalResult != 0) dialog->setResult(ModalResult);
    emit clicked(down_);
    // The dialog ends once the click's handlers have run, with the result the button gave it.
    if (dialog != nullptr && ModalResult != 0 && dialog->result() == ModalResult) dialog->done(ModalResult);
}

QPoint TRxSpeedButton::menuPoint(Qt::Alignment menuAlignment) const {
    const bool right = menuAlignment & Qt::AlignRight;
    if (menuAlignment & Qt::AlignHCenter) return {width() / 2, height()};
    if (menuPosition == MenuPosition::Bottom)
        return right ? QPoint(width() + 1, height()) : QPoint(-1, height());
    return right ? QPoint(-1, -1) : QPoint(width(), -1);
}

QSize TRxSpeedButton::sizeHint() const {
    const QSize text = fontMetrics().size(Qt::TextShowMnemonic, QString(this->text()).remove('\r'));
    const int arrow = menu() != nullptr && markDropDown_ ? kDropDownArrowWidth : 0;
    const QSize glyph = glyph_.cellSize();
    if (!glyph.isValid()) return QSize(text.width() + 12 + arrow, text.height() + 8);
    const int gap = text.width() > 0 ? spacing_ : 0;
    if (layout_ == ButtonLayout::GlyphLeft || layout_ == ButtonLayout::GlyphRight)
        return QSize(text.width() + gap + glyph.width() + 12 + arrow,
                     std::max(text.height(), glyph.height()) + 8);
    return QSize(std::max(text.width(), glyph.width()) + 12 + arrow,
                 text.height() + gap + glyph.height() + 8);
}

QRect TRxSpeedButton::contentRect() const {
    QRect content = rect().adjusted(2, 2, -2, -2);
    if (menu() != nullptr && markDropDown_) content.setRight(content.right() - kDropDownArrowWidth);
    return content;
}

QString TRxSpeedButton::shownCaption() const {
    const QString caption = QString(text()).remove('\r');
    if (WordWrap) return caption;
    const QSize glyph = glyph_.cellSize();
    int room = contentRect().width();
    if (glyph.isValid() && (layout_ == ButtonLayout::GlyphLeft || layout_ == ButtonLayout::GlyphRight))
        room -= glyph.width() + spacing_ + std::max(margin_, 0);
    QStringList lines = caption.split('\n');
    // Measured as drawn: "&&" shows as one ampersand.
    for (QString& line : lines)
        if (fontMetrics().size(Qt::TextShowMnemonic, line).width() > room)
            line = MinimizeText(line, fontMetrics(), room);
    return lines.join('\n');
}

QString TRxSpeedButton::laidOutCaption() const {
    QString caption = shownCaption();
    const QSize glyph = glyph_.cellSize();
    if (!glyph.isValid() || layout_ == ButtonLayout::GlyphLeft || layout_ == ButtonLayout::GlyphRight)
        return caption;
    // Blank lines under a caption lift it above a glyph below it; where the button is too low
    // for both, the glyph takes their place.
    const int flags = Qt::TextShowMnemonic | (WordWrap ? Qt::TextWordWrap : 0);
    const QRect content = contentRect();
    const auto height = [&](const QString& text) {
        return fontMetrics().boundingRect(QRect(0, 0, content.width(), 1000), flags, text).height();
    };
    while (caption.contains('\n') && caption.mid(caption.lastIndexOf('\n') + 1).trimmed().isEmpty() &&
           height(caption) + spacing_ + glyph.height() > content.height())
        caption.truncate(caption.lastIndexOf('\n'));
    return caption;
}

GlyphCaptionPlace TRxSpeedButton::contentPlace() const {
    const QString caption = laidOutCaption();
    const int flags = Qt::TextShowMnemonic | (WordWrap ? Qt::TextWordWrap : 0);
    const QRect content = contentRect();
    QSize text = caption.isEmpty()
                     ? QSize(0, 0)
                     : fontMetrics().boundingRect(QRect(0, 0, content.width(), 1000), flags, caption).size();
    return placeGlyphAndCaption(content, glyph_.cellSize(), text, layout_, margin_, spacing_);
}

void TRxSpeedButton::setAlignment(Qt::Alignment alignment) {
    alignment &= Qt::AlignHorizontal_Mask;
    if (alignment == alignment_) return;
    alignment_ = alignment;
    update();
}

void TRxSpeedButton::setStyle(TButtonStyle style) {
    if (style == style_) return;
    style_ = style;
    update();
}

GlyphState TRxSpeedButton::glyphState() const {
    if (!isEnabled()) return GlyphState::Disabled;
    const bool inactive = flat_ && !mouseInside_ && press_.state != ButtonState::Exclusive;
    if (inactive && grayedInactive_) return GlyphState::Inactive;
    if (press_.state == ButtonState::Down) return GlyphState::Down;
    if (press_.state == ButtonState::Exclusive) return GlyphState::Exclusive;
    return GlyphState::Up;
}

void TRxSpeedButton::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !isEnabled()) return;
    press_.press(down_);
    update();
    if (menu() != nullptr) {
        menu()->exec(mapToGlobal(menuPoint(Qt::AlignLeft)));
        // The press ends with the menu, as a release outside the button: no click. The press
        // that closed the menu over the button must not start another.
        press_.release(false, groupIndex_, down_);
        KillMessage(this, QEvent::MouseButtonPress);
        KillMessage(this, QEvent::MouseButtonDblClick);
        update();
        return;
    }
    if (allowTimer_) timer_->start(InitPause);
}

void TRxSpeedButton::mouseMoveEvent(QMouseEvent* event) {
    const ButtonState before = press_.state;
    press_.move(rect().contains(event->position().toPoint()), down_);
    if (press_.state != before) update();
}

void TRxSpeedButton::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !press_.dragging) return;
    timer_->stop();
    const auto release = press_.release(rect().contains(event->position().toPoint()), groupIndex_, down_);
    if (release.toggleDown) setDown(!down_);
    if (groupIndex_ != 0) press_.state = down_ ? ButtonState::Exclusive : ButtonState::Up;
    update();
    setMouseInside(isEnabled() && rect().contains(event->position().toPoint()));
    if (release.click) Click();
}

void TRxSpeedButton::tick() {
    timer_->setInterval(RepeatInterval);
    if (press_.state == ButtonState::Down && press_.dragging) Click();
}

void TRxSpeedButton::setMouseInside(bool inside) {
    if (inside == mouseInside_) return;
    mouseInside_ = inside;
    update();
    if (inside)
        emit OnMouseEnter();
    else
        emit OnMouseLeave();
}

void TRxSpeedButton::enterEvent(QEnterEvent*) {
    // Hovering shows only while one of the program's windows is the active one.
    if (isEnabled() && IsForegroundTask()) setMouseInside(true);
}

void TRxSpeedButton::leaveEvent(QEvent*) {
    // A drag keeps the mouse inside until the release says where it is.
    if (!press_.dragging) setMouseInside(false);
}

void TRxSpeedButton::changeEvent(QEvent* event) {
    QToolButton::changeEvent(event);
    if (event->type() == QEvent::EnabledChange) setMouseInside(pointerInside(*this));
}

void TRxSpeedButton::showEvent(QShowEvent* event) {
    QToolButton::showEvent(event);
    setMouseInside(pointerInside(*this));
}

void TRxSpeedButton::hideEvent(QHideEvent* event) {
    QToolButton::hideEvent(event);
    setMouseInside(false);
}

void TRxSpeedButton::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    const QPalette& colours = palette();
    const bool pressed = press_.state != ButtonState::Up;
    const bool exclusive = press_.state == ButtonState::Exclusive;
    const bool inactive = flat_ && !mouseInside_ && !exclusive;
    if (transparent_)
        CopyParentImage(*this, painter);
    else
        painter.fillRect(rect(), colours.color(QPalette::Button));
    if (!inactive) {
        if (style_ == bsWin31) {
            // The older look: a black outline around a narrower bevel.
            painter.setPen(colours.color(QPalette::Shadow));
            painter.drawRect(rect().adjusted(0, 0, -1, -1));
            drawBevelFrame(painter, rect().adjusted(1, 1, -1, -1), pressed, colours);
        } else if (transparent_) {
            // The frame alone, over what lies under the button.
            drawBevelFrame(painter, rect(), pressed, colours);
            drawBevelFrame(painter, rect().adjusted(1, 1, -1, -1), pressed, colours);
        } else {
            QStyleOptionButton option;
            option.initFrom(this);
            if (pressed) option.state |= QStyle::State_Sunken;
            if (exclusive) option.state |= QStyle::State_On;
            if (flat_) option.features |= QStyleOptionButton::Flat;
            painter.drawControl(QStyle::CE_PushButtonBevel, option);
        }
    }
    // A held-down button shows a checker of face and highlight inside its frame.
    if (exclusive && !transparent_ && !(flat_ && mouseInside_))
        painter.fillRect(rect().adjusted(2, 2, -2, -2),
                         QBrush(CreateTwoColorsBrushPattern(colours.color(QPalette::Button),
                                                            colours.color(QPalette::Light))));
    const QPoint shift = pressed ? QPoint(1, 1) : QPoint(0, 0);
    if (menu() != nullptr && markDropDown_) {
        QStyleOption arrow;
        arrow.initFrom(this);
        const QRect content = contentRect();
        arrow.rect = QRect(content.right() + 2, content.center().y() - 3, 7, 7).translated(shift);
        painter.drawPrimitive(QStyle::PE_IndicatorArrowDown, arrow);
    }
    const GlyphCaptionPlace place = contentPlace();
    if (!glyph_.isEmpty()) painter.drawImage(place.glyph + shift, glyph_.picture(glyphState(), colours));
    const QString caption = laidOutCaption();
    if (caption.isEmpty()) return;
    const int flags =
        int(alignment_) | Qt::AlignVCenter | Qt::TextShowMnemonic | (WordWrap ? Qt::TextWordWrap : 0);
    QRect textRect = place.caption.translated(shift);
    // A caption not centred takes the whole width its line has: beside no glyph, or above or
    // below one.
    if (alignment_ != Qt::AlignHCenter &&
        (glyph_.isEmpty() || layout_ == ButtonLayout::GlyphTop || layout_ == ButtonLayout::GlyphBottom)) {
        const QRect content = contentRect().translated(shift);
        textRect.setLeft(content.left());
        textRect.setRight(content.right());
    }
    if (!isEnabled()) {
        // Embossed: the highlight one pixel down and right under the shadow colour.
        painter.setPen(colours.color(QPalette::Light));
        painter.drawText(textRect.translated(1, 1), flags, caption);
        painter.setPen(colours.color(QPalette::Dark));
    } else {
        painter.setPen(colours.color(QPalette::ButtonText));
    }
    painter.drawText(textRect, flags, caption);
}

}  // namespace kestrave
