#include "widgets/speed_button.h"

#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionButton>
#include <QStylePainter>

namespace kestrave {

TRxSpeedButton::TRxSpeedButton(QWidget* parent, std::unique_ptr<RepeatTimer> timer)
    : QWidget(parent), timer_(std::move(timer)) {
    timer_->onTick = [this] { tick(); };
    resize(25, 25);
}

TRxSpeedButton::~TRxSpeedButton() {
    timer_->onTick = nullptr;
}

void TRxSpeedButton::setCaption(const QString& caption) {
    caption_ = caption;
    update();
}

void TRxSpeedButton::setFlat(bool flat) {
    flat_ = flat;
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

void TRxSpeedButton::setDown(bool down) {
    const QList<TRxSpeedButton*> members = groupMembers();
    std::vector<GroupedButton> buttons;
    int self = 0;
    for (int i = 0; i < members.size(); ++i) {
        if (members[i] == this) self = i;
        buttons.push_back({members[i]->groupIndex_, members[i]->allowAllUp_, members[i]->down_});
    }
    const std::vector<int> changed = setButtonDown(buttons, self, down);
    for (int i = 0; i < members.size(); ++i) {
        TRxSpeedButton* member = members[i];
        member->allowAllUp_ = buttons[static_cast<std::size_t>(i)].allowAllUp;
        member->down_ = buttons[static_cast<std::size_t>(i)].down;
        if (member->press_.state != ButtonState::Down || !member->press_.dragging)
            member->press_.state = member->down_ ? ButtonState::Exclusive : ButtonState::Up;
    }
    for (int i : changed) members[i]->update();
}

void TRxSpeedButton::setGroupIndex(int group) {
    groupIndex_ = group;
    if (group == 0) setDown(false);
}

void TRxSpeedButton::setAllowAllUp(bool allow) {
    allowAllUp_ = allow;
    // Every button of the group follows.
    for (TRxSpeedButton* member : groupMembers()) member->allowAllUp_ = allow;
}

void TRxSpeedButton::Click() {
    emit OnClick();
}

QSize TRxSpeedButton::sizeHint() const {
    return QSize(fontMetrics().horizontalAdvance(caption_) + 12, fontMetrics().height() + 8);
}

void TRxSpeedButton::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !isEnabled()) return;
    press_.press(down_);
    update();
    if (DropDownMenu != nullptr) {
        const QPoint at = menuPosition == MenuPosition::Bottom ? QPoint(-1, height()) : QPoint(width(), -1);
        DropDownMenu->exec(mapToGlobal(at));
        // The press ends with the menu, as a release outside the button: no click.
        press_.release(false, groupIndex_, down_);
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
    if (release.click) Click();
}

void TRxSpeedButton::tick() {
    timer_->setInterval(RepeatInterval);
    if (press_.state == ButtonState::Down && press_.dragging) Click();
}

void TRxSpeedButton::enterEvent(QEnterEvent*) {
    if (!isEnabled() || mouseInside_) return;
    mouseInside_ = true;
    update();
    emit OnMouseEnter();
}

void TRxSpeedButton::leaveEvent(QEvent*) {
    if (!mouseInside_ || press_.dragging) return;
    mouseInside_ = false;
    update();
    emit OnMouseLeave();
}

void TRxSpeedButton::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionButton option;
    option.initFrom(this);
    option.text = caption_;
    const bool pressed = press_.state != ButtonState::Up;
    if (pressed) option.state |= QStyle::State_Sunken;
    if (press_.state == ButtonState::Exclusive) option.state |= QStyle::State_On;
    const bool inactive = flat_ && !mouseInside_ && press_.state != ButtonState::Exclusive;
    if (flat_) option.features |= QStyleOptionButton::Flat;
    if (!inactive) painter.drawControl(QStyle::CE_PushButtonBevel, option);
    // A held-down button shows a checker of face and highlight inside its frame.
    if (press_.state == ButtonState::Exclusive && !(flat_ && mouseInside_))
        painter.fillRect(rect().adjusted(2, 2, -2, -2),
                         QBrush(palette().color(QPalette::Light), Qt::Dense4Pattern));
    if (pressed) option.rect.translate(1, 1);
    painter.drawControl(QStyle::CE_PushButtonLabel, option);
}

}  // namespace kestrave
