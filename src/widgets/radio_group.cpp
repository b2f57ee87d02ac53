#include "widgets/radio_group.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QRadioButton>
#include <algorithm>

namespace kestrave {

TRadioGroup::TRadioGroup(QWidget* parent)
    : QGroupBox(parent), group_(new QButtonGroup(this)), layout_(new QGridLayout(this)) {
    // Only clicks reach OnClick: a choice made from code emits no idClicked.
    connect(group_, &QButtonGroup::idClicked, this, [this] { emit OnClick(this); });
}

int TRadioGroup::ItemIndex() const {
    return group_->checkedId();
}

void TRadioGroup::setItemIndex(int index) {
    if (QRadioButton* chosen = button(index)) {
        chosen->setChecked(true);
        return;
    }
    // An exclusive group keeps one button checked; clearing needs the exclusivity lifted.
    group_->setExclusive(false);
    for (QAbstractButton* item : group_->buttons()) item->setChecked(false);
    group_->setExclusive(true);
}

void TRadioGroup::setItems(const QStringList& items) {
    for (QAbstractButton* item : group_->buttons()) {
        group_->removeButton(item);
        delete item;
    }
    items_ = items;
    for (int i = 0; i < items.size(); ++i) group_->addButton(new QRadioButton(items[i], this), i);
    placeItems();
}

void TRadioGroup::setColumns(int columns) {
    columns_ = std::max(columns, 1);
    placeItems();
}

void TRadioGroup::placeItems() {
    const int count = static_cast<int>(items_.size());
    const int rows = std::max((count + columns_ - 1) / columns_, 1);
    for (int i = 0; i < count; ++i) {
        QAbstractButton* item = group_->button(i);
        layout_->removeWidget(item);
        layout_->addWidget(item, i % rows, i / rows);
    }
}

QRadioButton* TRadioGroup::button(int i) const {
    return qobject_cast<QRadioButton*>(group_->button(i));
}

}  // namespace kestrave
