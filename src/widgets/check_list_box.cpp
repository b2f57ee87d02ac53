#include "widgets/check_list_box.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyle>
#include <QStyledItemDelegate>

namespace kestrave {
namespace {

// The item data role that holds whether an item may be checked by the user.
constexpr int kEnabledItemRole = Qt::UserRole + 0x4b43;

Qt::CheckState toQt(CheckState state) {
    switch (state) {
        case CheckState::Checked:
            return Qt::Checked;
        case CheckState::Grayed:
            return Qt::PartiallyChecked;
        case CheckState::Unchecked:
            break;
    }
    return Qt::Unchecked;
}

CheckState fromQt(const QVariant& value) {
    switch (value.isValid() ? static_cast<Qt::CheckState>(value.toInt()) : Qt::Unchecked) {
        case Qt::Checked:
            return CheckState::Checked;
        case Qt::PartiallyChecked:
            return CheckState::Grayed;
        case Qt::Unchecked:
            break;
    }
    return CheckState::Unchecked;
}

// Draws like the standard delegate but leaves every check change to the list itself, so that a
// click never toggles an item past the list's rules.
class NoToggleDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    bool editorEvent(QEvent*, QAbstractItemModel*, const QStyleOptionViewItem&, const QModelIndex&) override {
        return false;
    }
};

}  // namespace

CheckListBox::CheckListBox(QWidget* parent) : QListWidget(parent) {
    setItemDelegate(new NoToggleDelegate(this));
}

CheckListModel CheckListBox::snapshot() const {
    CheckListModel model;
    model.kind = kind_;
    model.allowGrayed = allowGrayed_;
    model.items.reserve(static_cast<std::size_t>(count()));
    for (int i = 0; i < count(); ++i) {
        const QListWidgetItem* entry = item(i);
        const QVariant enabled = entry->data(kEnabledItemRole);
        model.items.push_back(
            {fromQt(entry->data(Qt::CheckStateRole)), !enabled.isValid() || enabled.toBool()});
    }
    return model;
}

void CheckListBox::apply(const CheckListModel& model, const std::vector<int>& changed) {
    for (int index : changed) {
        item(index)->setCheckState(toQt(model.items[static_cast<std::size_t>(index)].state));
        emit OnStateChange(index);
    }
}

void CheckListBox::setCheckKind(CheckKind kind) {
    CheckListModel model = snapshot();
    const std::vector<int> changed = model.setKind(kind);
    kind_ = kind;
    apply(model, changed);
}

CheckState CheckListBox::State(int index) const {
    if (index < 0 || index >= count()) return CheckState::Unchecked;
    return fromQt(item(index)->data(Qt::CheckStateRole));
}

void CheckListBox::setState(int index, CheckState state) {
    CheckListModel model = snapshot();
    const std::vector<int> changed = model.setState(index, state);
    apply(model, changed);
}

bool CheckListBox::Checked(int index) const {
    return State(index) == CheckState::Checked;
}

void CheckListBox::setChecked(int index, bool checked) {
    setState(index, checked ? CheckState::Checked : CheckState::Unchecked);
}

bool CheckListBox::EnabledItem(int index) const {
    if (index < 0 || index >= count()) return false;
    const QVariant enabled = item(index)->data(kEnabledItemRole);
    return !enabled.isValid() || enabled.toBool();
}

void CheckListBox::setEnabledItem(int index, bool enabled) {
    if (index < 0 || index >= count()) return;
    QListWidgetItem* entry = item(index);
    entry->setData(kEnabledItemRole, enabled);
    entry->setForeground(enabled ? palette().brush(QPalette::Text)
                                 : palette().brush(QPalette::Disabled, QPalette::Text));
}

int CheckListBox::CheckedIndex() const {
    return snapshot().checkedIndex();
}

int CheckListBox::checkArea() const {
    QStyleOptionViewItem option;
    option.initFrom(this);
    option.features |= QStyleOptionViewItem::HasCheckIndicator;
    option.rect = QRect(0, 0, viewport()->width(), sizeHintForRow(0) > 0 ? sizeHintForRow(0) : 16);
    const QRect indicator = style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, this);
    return indicator.right() + 1 + 2;
}

void CheckListBox::toggleByUser(int index) {
    CheckListModel model = snapshot();
    const std::vector<int> changed = model.toggle(index);
    if (changed.empty()) return;
    apply(model, changed);
    emit OnClickCheck();
}

void CheckListBox::mousePressEvent(QMouseEvent* event) {
    QListWidget::mousePressEvent(event);
    if (event->button() != Qt::LeftButton) return;
    const QPoint at = event->position().toPoint();
    QListWidgetItem* entry = itemAt(at);
    if (entry == nullptr || !(entry->flags() & Qt::ItemIsUserCheckable)) return;
    if (at.x() - visualItemRect(entry).left() < checkArea()) toggleByUser(row(entry));
}

void CheckListBox::keyPressEvent(QKeyEvent* event) {
    const QString text = event->text();
    if (event->key() == Qt::Key_Space && currentRow() >= 0) {
        toggleByUser(currentRow());
        return;
    }
    if ((text == "+" || text == "-") && kind_ != CheckKind::RadioButtons) {
        CheckListModel model = snapshot();
        const std::vector<int> changed = model.setAllEnabled(text == "+");
        apply(model, changed);
        emit OnClickCheck();
        return;
    }
    QListWidget::keyPressEvent(event);
}

}  // namespace kestrave
