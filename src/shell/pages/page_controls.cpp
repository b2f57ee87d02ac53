#include "shell/pages/page_controls.h"

#include "shell/shell_rules.h"
#include "shell/tool_windows.h"

#include <QEvent>
#include <QPointer>
#include <algorithm>

#include "shell/shell_rules.h"
#include "widgets/bevel.h"
#include "widgets/radio_group.h"
#include "widgets/rect_shape.h"
#include "widgets/tab_control.h"

namespace kestrave {

namespace {

// Keeps a marker under the button it points at while the layout moves the button.
class MarkerFollower : public QObject {
public:
    MarkerFollower(QWidget& marker, QWidget& button, int offset)
        : QObject(&marker), marker_(&marker), button_(&button), offset_(offset) {
        // The button moves also when a group around it moves.
        for (QWidget* w = &button; w; w = w->parentWidget()) w->installEventFilter(this);
        place();
    }

    void place() {
        if (!marker_ || !button_ || !marker_->parentWidget()) return;
        const QPoint below = button_->mapToGlobal(QPoint(0, button_->height() + offset_));
        marker_->move(marker_->parentWidget()->mapFromGlobal(below));
        marker_->raise();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Move || event->type() == QEvent::Resize || event->type() == QEvent::Show)
            place();
        return QObject::eventFilter(watched, event);
    }

private:
    QPointer<QWidget> marker_;
    QPointer<QWidget> button_;
    int offset_;
};

// Shows and hides a caption with the control it names.
class CaptionFollower : public QObject {
public:
    CaptionFollower(QLabel& caption, QWidget& control) : QObject(&caption), caption_(caption) {
        control.installEventFilter(this);
        caption.setVisible(!control.isHidden());
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::ShowToParent) caption_.setVisible(true);
        if (event->type() == QEvent::HideToParent) caption_.setVisible(false);
        return QObject::eventFilter(watched, event);
    }

private:
    QLabel& caption_;
};

}  // namespace

TPCheck* optionCheck(QWidget* parent, const char* objectName, const char* caption) {
    auto* check = named(new TPCheck(parent), objectName);
    check->setImageType(TPCheck::igHookLime);
    check->setCaption(QString::fromUtf8(caption));
    return check;
}

TRxSpeedButton* speedButton(QWidget* parent, const char* objectName, const char* caption, int groupIndex) {
    auto* button = named(new TRxSpeedButton(parent), objectName);
    button->setCaption(QString::fromUtf8(caption));
    button->setGroupIndex(groupIndex);
    if (groupIndex != 0) button->setAllowAllUp(true);
    return button;
}

QTabWidget* optionPages(QWidget* parent, const char* objectName) {
    auto* pages = named(new TglPageControl(parent, TglSide::fsdBottom), objectName);
    TglTabControl& tabs = *pages->tabs();
    // Tabs as narrow as their captions, so that the option pages of a page's column all show
    // their tab; the open one raised on the pale green of the page strip, the others lowered.
    tabs.setTabSize(0, 18);
    TTabStyle& normal = *tabs.TabStyle();
    normal.BevelOuter = TBevelKind::bvLowered;
    normal.CaptionHAlign = TglHorAlign::fhaCenter;
    TTabStyle& selected = *tabs.TabSelectedStyle();
    selected.BevelOuter = TBevelKind::bvRaised;
    selected.BackgrColor = colorFromBgr(12639424);
    selected.CaptionHAlign = TglHorAlign::fhaCenter;
    // Tabs whose texts grow longer than the column (a translation) are shortened, not scrolled.
    pages->setUsesScrollButtons(false);
    pages->setElideMode(Qt::ElideRight);
    return pages;
}

TglBevel* logoBevel(QWidget* panel, const char* objectName) {
    auto* bevel = named(new TglBevel(panel), objectName);
    // The panel's contents move onto the bevel, which fills the panel.
    auto* onBevel = new QHBoxLayout(bevel);
    if (QLayout* contents = panel->layout()) {
        onBevel->setContentsMargins(contents->contentsMargins());
        onBevel->setSpacing(contents->spacing());
        while (QLayoutItem* item = contents->takeAt(0)) {
            if (QWidget* widget = item->widget()) {
                widget->setParent(bevel);
                onBevel->addWidget(widget);
                delete item;
            } else {
                onBevel->addItem(item);
            }
        }
        delete contents;
    }
    auto* fill = new QHBoxLayout(panel);
    compact(fill, 0);
    fill->addWidget(bevel);
    // Teal at the top fading to pale green, in horizontal bands, under the panel's contents.
    bevel->Gradient->setFromColor(QColor(0, 128, 128));
    bevel->Gradient->setToColor(colorFromBgr(12639424));
    bevel->Gradient->setOrientation(TglGradientDir::fgdHorizontal);
    bevel->Gradient->setActive(true);
    return bevel;
}

TRadioGroup* radioGroup(QWidget* parent, const char* objectName, const char* caption,
                        const QStringList& items, int itemIndex) {
    auto* group = named(new TRadioGroup(parent), objectName);
    group->setCaption(QString::fromUtf8(caption));
    group->setItems(items);
    group->setItemIndex(itemIndex);
    return group;
}

TRectShape* shape(QWidget* parent, const char* objectName, int width, int height, const QBrush& fill,
                  int shadow) {
    auto* indicator = named(new TRectShape(parent), objectName);
    // Indicators stand out from the window (the frame sign takes its own colours); marks and
    // signs lift off the window on a shadow in the button-shadow colour, pointers and hatched
    // areas over charts are drawn flat.
    indicator->setBrush(fill.style() != Qt::NoBrush ? fill : QBrush(QColor(255, 128, 0)));
    indicator->setPen(Qt::NoPen);
    indicator->setShadow(shadow > 0);
    indicator->setShadowOffset(shadow);
    indicator->resize(width, height);
    return indicator;
}

void markButton(QWidget& marker, QWidget& button, int offset) {
    // One follower per marker: the one of the button pointed at before goes.
    for (MarkerFollower* old : marker.findChildren<MarkerFollower*>(Qt::FindDirectChildrenOnly)) delete old;
    new MarkerFollower(marker, button, offset);
    marker.show();
    marker.raise();
}

QHBoxLayout* controlRow(std::initializer_list<QWidget*> controls) {
    auto* row = new QHBoxLayout;
    for (QWidget* control : controls) row->addWidget(control);
    row->addStretch(1);
    return row;
}

QGridLayout* controlGrid(std::initializer_list<std::initializer_list<QWidget*>> rows) {
    auto* grid = new QGridLayout;
    compact(grid, 0);
    int columns = 0;
    for (const auto& row : rows) columns = std::max(columns, static_cast<int>(row.size()));
    int r = 0;
    for (const auto& row : rows) {
        int c = 0;
        for (QWidget* control : row) {
            const bool last = c == static_cast<int>(row.size()) - 1;
            if (control) grid->addWidget(control, r, c, 1, last ? columns - c : 1);
            ++c;
        }
        ++r;
    }
    return grid;
}

QLabel* caption(QWidget* parent, const char* text, QWidget* control) {
    auto* label = new QLabel(QString::fromUtf8(text), parent);
    if (control) new CaptionFollower(*label, *control);
    return label;
}

QGroupBox* captionedGroup(QWidget* parent, const char* caption, QLayout* content) {
    auto* group = new QGroupBox(QString::fromUtf8(caption), parent);
    compact(content, 4);
    group->setLayout(content);
    return group;
}

PageFrame pictureAndColumn(QWidget* page, int columnWidth) {
    auto* layout = new QHBoxLayout(page);
    compact(layout);
    auto* picture = new QVBoxLayout;
    compact(picture, 0);
    layout->addLayout(picture, 1);
    auto* column = new QWidget(page);
    column->setObjectName(page->objectName() + "Column");
    column->setFixedWidth(columnWidth);
    column->setProperty(ToolAreaProperty, true);
    auto* controls = new QVBoxLayout(column);
    compact(controls, 0);
    layout->addWidget(column);
    return {picture, controls};
}

void compact(QLayout* layout, int margin) {
    layout->setContentsMargins(margin, margin, margin, margin);
    layout->setSpacing(4);
}

ImageBox imageBox(QWidget* parent, const char* boxName, const char* imageName, QScrollArea* box) {
    box = named(box != nullptr ? box : new QScrollArea(parent), boxName);
    auto* image = named(new QLabel, imageName);
    image->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    box->setWidget(image);
    // A picture smaller than its box sits in the middle of it.
    box->setAlignment(Qt::AlignCenter);
    return {box, image};
}

float fitImage(QLabel& image, const QScrollArea& box, bool fitted) {
    const QSize picture = image.pixmap().size();
    const float scale = fitScale(fitted, picture.width(), picture.height(), box.width(), box.height());
    image.resize(fittedLength(picture.width(), scale), fittedLength(picture.height(), scale));
    image.setScaledContents(fitted);
    return scale;
}

}  // namespace kestrave
