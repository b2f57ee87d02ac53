#include "widgets/radio_group.h"

#include <QButtonGroup>
#include <QRadioButton>
#include <QVBoxLayout>

namespace kestrave {

TRadioGroup::TRadioGroup(QWidget* parent)
    : QGroupBox(parent), group_(new QButtonGroup(this)), layout_(new QVBoxLayout(this)) {
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
    for (int i = 0; i < items.size(); ++i) {
        auto* item = new QRadioButton(items[i], this);
        group_->addButton(item, i);
        layout_->addWidget(item);
    }
}

QRadioButton* TRadioGroup::button(int i) const {
    return qobject_cast<QRadioButton*>(group_->button(i));
}

}  // namespace kestrave
