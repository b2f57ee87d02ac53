#include "widgets/speed_button.h"

#include <QCursor>
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
    emit clicked(down_);
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
    return QSize(text.width() + 12 + arrow, text.height() + 8);
}

void TRxSpeedButton::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !isEnabled()) return;
    press_.press(down_);
    update();
    if (menu() != nullptr) {
        menu()->exec(mapToGlobal(menuPoint(Qt::AlignLeft)));
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
    if (isEnabled()) setMouseInside(true);
}

void TRxSpeedButton::leaveEvent(QEvent*) {
    // A drag keeps the mouse inside until the release says where it is.
    if (!press_.dragging) setMouseInside(false);
}

void TRxSpeedButton::changeEvent(QEvent* event) {
    QToolButton::changeEvent(event);
    if (event->type() == QEvent::EnabledChange) setMouseInside(pointerInside(*this));
}

void TRxSpeedButton::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionButton option;
    option.initFrom(this);
    option.text = QString(text()).remove('\r');
    const bool pressed = press_.state != ButtonState::Up;
    if (pressed) option.state |= QStyle::State_Sunken;
    if (press_.state == ButtonState::Exclusive) option.state |= QStyle::State_On;
    const bool inactive = flat_ && !mouseInside_ && press_.state != ButtonState::Exclusive;
    if (flat_) option.features |= QStyleOptionButton::Flat;
    if (!inactive) painter.drawControl(QStyle::CE_PushButtonBevel, option);
    // A held-down button shows a checker of face and highlight inside its frame.
    // The face under the checker is a shade darker than the style's, so that the held-down look
    // shows on styles whose face is nearly as light as the highlight.
    if (press_.state == ButtonState::Exclusive && !(flat_ && mouseInside_)) {
        const QRect inside = rect().adjusted(2, 2, -2, -2);
        painter.fillRect(inside, palette().color(QPalette::Button).darker(115));
        painter.fillRect(inside, QBrush(palette().color(QPalette::Light), Qt::Dense4Pattern));
    }
    if (pressed) option.rect.translate(1, 1);
    if (menu() != nullptr && markDropDown_) {
        option.rect.setRight(option.rect.right() - kDropDownArrowWidth);
        QStyleOption arrow = option;
        arrow.rect = QRect(option.rect.right() + 1, option.rect.center().y() - 3, 7, 7);
        painter.drawPrimitive(QStyle::PE_IndicatorArrowDown, arrow);
    }
    painter.drawControl(QStyle::CE_PushButtonLabel, option);
}

}  // namespace kestrave
