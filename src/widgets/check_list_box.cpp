#include "widgets/check_list_box.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QTextOption>
#include <algorithm>

#include "persist/big_ini_file.h"
#include "widgets/component_graphics.h"

namespace kestrave {
namespace {

// The text colour of an inactive window's caption.
const QColor kInactiveCaptionText(192, 192, 192);

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

// The size of one picture cell of the check strip.
constexpr int kCellSize = 13;

// One cell of the strip: a frame (a square for check boxes, a circle for radio buttons, none for
// check marks) and the mark of the state; grayed marks and disabled pictures are lighter.
void drawCell(QPainter& painter, const QRect& cell, CheckKind kind, CheckState state, bool enabled) {
    const QColor frame = enabled ? QColor(64, 64, 64) : QColor(160, 160, 160);
    const QColor face = !enabled                      ? QColor(236, 236, 236)
                        : state == CheckState::Grayed ? QColor(224, 224, 224)
                                                      : QColor(Qt::white);
    const QColor mark = state == CheckState::Checked
                            ? (enabled ? QColor(Qt::black) : QColor(150, 150, 150))
                            : (enabled ? QColor(128, 128, 128) : QColor(190, 190, 190));
    const QRectF box = QRectF(cell).adjusted(1.5, 1.5, -1.5, -1.5);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(frame, 1));
    painter.setBrush(face);
    if (kind == CheckKind::CheckBoxes) painter.drawRect(box);
    if (kind == CheckKind::RadioButtons) painter.drawEllipse(box);
    if (state == CheckState::Unchecked) return;
    if (kind == CheckKind::RadioButtons) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(mark);
        painter.drawEllipse(box.center(), 2.5, 2.5);
        return;
    }
    const QPointF at = cell.topLeft();
    painter.setPen(QPen(mark, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPolyline(QPolygonF{at + QPointF(3, 6.5), at + QPointF(5.5, 9), at + QPointF(10, 3.5)});
}

QImage drawCheckImages() {
    QImage strip(6 * kCellSize, 3 * kCellSize, QImage::Format_ARGB32_Premultiplied);
    strip.fill(Qt::transparent);
    QPainter painter(&strip);
    for (const CheckKind kind : {CheckKind::CheckBoxes, CheckKind::RadioButtons, CheckKind::CheckMarks})
        for (const bool enabled : {true, false})
            for (const CheckState state : {CheckState::Unchecked, CheckState::Checked, CheckState::Grayed}) {
                painter.save();
                drawCell(painter, checkCellRect(checkCell(kind, state, enabled)), kind, state, enabled);
                painter.restore();
            }
    return strip;
}

// Draws each item as its check picture and its text, and leaves every check change to the list
// itself, so that a click never toggles an item past the list's rules.
class CheckListDelegate final : public QStyledItemDelegate {
public:
    explicit CheckListDelegate(CheckListBox& list) : QStyledItemDelegate(&list), list_(list) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const QRect item = option.rect;
        const bool selected = option.state & QStyle::State_Selected;
        const CheckListBox::ItemColours colours = list_.itemColours(index.row());
        if (colours.background.isValid()) painter->fillRect(item, colours.background);
        const int area = list_.checkArea();
        const QSize cell = checkCellSize();
        const QPoint at(item.left() + (area - cell.width()) / 2,
                        item.top() + (item.height() - cell.height()) / 2);
        painter->drawImage(at, AssignBitmapCell(checkImages(), 6, 3, list_.cellOf(index.row())));
        painter->setPen(colours.text);
        painter->setFont(option.font);
        // The text starts 2 pixels into the text area, centred on the height of "Wy".
        const QFontMetrics metrics(option.font);
        const int textHeight = metrics.boundingRect("Wy").height();
        const QRectF text(item.left() + area + 2, item.top() + std::max(0, (item.height() - textHeight) / 2),
                          item.width() - area - 2, textHeight);
        QTextOption layout(Qt::AlignLeft | Qt::AlignTop);
        layout.setWrapMode(QTextOption::NoWrap);
        if (list_.TabWidth() > 0)
            layout.setTabStopDistance(list_.TabWidth() * metrics.horizontalAdvance(QLatin1Char('0')));
        painter->drawText(text, index.data(Qt::DisplayRole).toString(), layout);
        if (option.state & QStyle::State_HasFocus) {
            QStyleOptionFocusRect focus;
            focus.QStyleOption::operator=(option);
            focus.backgroundColor = option.palette.color(selected ? QPalette::Highlight : QPalette::Base);
            list_.style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, &list_);
        }
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const QFontMetrics metrics(option.font);
        const int tabStops =
            list_.TabWidth() > 0 ? list_.TabWidth() * metrics.horizontalAdvance(QLatin1Char('0')) : 0;
        const int text =
            metrics.size(Qt::TextExpandTabs, index.data(Qt::DisplayRole).toString() + "x", tabStops).width();
        return {list_.checkArea() + text, std::max({metrics.boundingRect("Wg").height(),
                                                    checkCellSize().height(), list_.ItemHeight()})};
    }

protected:
    bool editorEvent(QEvent*, QAbstractItemModel*, const QStyleOptionViewItem&, const QModelIndex&) override {
        return false;
    }

private:
    CheckListBox& list_;
};

}  // namespace

const QImage& checkImages() {
    static const QImage strip = drawCheckImages();
    return strip;
}

QSize checkCellSize() {
    return {kCellSize, kCellSize};
}

QRect checkCellRect(int cell) {
    return {cell % 6 * kCellSize, cell / 6 * kCellSize, kCellSize, kCellSize};
}

CheckListBox::CheckListBox(QWidget* parent) : QListWidget(parent) {
    setItemDelegate(new CheckListDelegate(*this));
    iniLink_.OnSave = [this] {
        if (TBigIniFile* ini = iniLink_.IniObject()) SaveStatesToIni(*ini, iniSection());
    };
    iniLink_.OnLoad = [this] {
        if (TBigIniFile* ini = iniLink_.IniObject()) RestoreStatesFromIni(*ini, iniSection());
    };
}

void CheckListBox::setGraySelection(bool gray) {
    graySelection_ = gray;
    viewport()->update();
}

void CheckListBox::setTabWidth(int width) {
    tabWidth_ = std::max(0, width);
    doItemsLayout();
    viewport()->update();
}

void CheckListBox::setItemHeight(int height) {
    itemHeight_ = height;
    doItemsLayout();
}

CheckListBox::ItemColours CheckListBox::itemColours(int index) const {
    const QPalette& colours = palette();
    const QListWidgetItem* entry = item(index);
    const bool selected = entry != nullptr && entry->isSelected();
    const bool enabled = EnabledItem(index);
    ItemColours result{QColor(), colours.color(QPalette::Text)};
    if (selected) {
        if (graySelection_ && !hasFocus()) {
            result.background = colours.color(QPalette::Button);
            if (result.text == result.background) result.text = colours.color(QPalette::ButtonText);
        } else {
            result.background = colours.color(QPalette::Highlight);
            result.text = colours.color(QPalette::HighlightedText);
        }
    }
    // A disabled item is grey; selected, it takes the colour of an inactive window's caption
    // text, which stays readable on the highlight.
    if (!enabled)
        result.text = selected ? kInactiveCaptionText : colours.color(QPalette::Disabled, QPalette::Text);
    return result;
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
    viewport()->update();
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
}

int CheckListBox::CheckedIndex() const {
    return snapshot().checkedIndex();
}

int CheckListBox::checkArea() const {
    return checkAreaWidth(checkCellSize().width());
}

int CheckListBox::cellOf(int index) const {
    if (index < 0 || index >= count()) return -1;
    return checkCell(kind_, State(index), EnabledItem(index));
}

void CheckListBox::toggleByUser(int index) {
    if (index < 0 || index >= count() || !EnabledItem(index)) return;
    CheckListModel model = snapshot();
    // An enabled item reports the user's toggle even when the list's rules keep its state (the
    // checked item of radio buttons).
    const std::vector<int> changed = model.toggle(index);
    if (!changed.empty()) apply(model, changed);
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

void CheckListBox::focusInEvent(QFocusEvent* event) {
    QListWidget::focusInEvent(event);
    if (graySelection_) viewport()->update();
}

void CheckListBox::focusOutEvent(QFocusEvent* event) {
    QListWidget::focusOutEvent(event);
    if (graySelection_) viewport()->update();
}

void CheckListBox::CheckAll() {
    if (kind_ == CheckKind::RadioButtons) return;
    CheckListModel model = snapshot();
    const std::vector<int> changed = model.setAllEnabled(true);
    apply(model, changed);
}

void CheckListBox::UncheckAll() {
    if (kind_ == CheckKind::RadioButtons) return;
    CheckListModel model = snapshot();
    const std::vector<int> changed = model.setAllEnabled(false);
    apply(model, changed);
}

std::string CheckListBox::iniSection() const {
    return (iniLink_.RootSection() + GetDefaultSection(this)).toStdString();
}

void CheckListBox::SaveStatesToIni(TBigIniFile& ini, const std::string& section) const {
    const std::map<std::string, int> states = snapshot().saveStates();
    ini.EraseSection(section);
    ini.WriteInteger(section, "Count", states.at("Count"));
    for (int i = 0; i < count(); ++i) {
        const std::string key = "Item" + std::to_string(i);
        ini.WriteInteger(section, key, states.at(key));
    }
}

void CheckListBox::RestoreStatesFromIni(TBigIniFile& ini, const std::string& section) {
    std::map<std::string, int> states{{"Count", ini.ReadInteger(section, "Count", 0)}};
    for (int i = 0; i < std::min(states["Count"], count()); ++i) {
        const std::string key = "Item" + std::to_string(i);
        states[key] = ini.ReadInteger(section, key, 0);
    }
    CheckListModel model = snapshot();
    const std::vector<int> changed = model.restoreStates(states);
    apply(model, changed);
}

void CheckListBox::keyPressEvent(QKeyEvent* event) {
    const QString text = event->text();
    if (event->key() == Qt::Key_Space && currentRow() >= 0) {
        toggleByUser(currentRow());
        return;
    }
    if ((text == "+" || text == "-") && kind_ != CheckKind::RadioButtons) {
        if (text == "+")
            CheckAll();
        else
            UncheckAll();
        emit OnClickCheck();
        return;
    }
    QListWidget::keyPressEvent(event);
}

}  // namespace kestrave
