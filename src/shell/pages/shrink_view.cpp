#include "shell/pages/shrink_view.h"

#include <QPushButton>

#include "output/resize_options.h"
#include "shell/pages/number_controls.h"
#include "shell/pages/page_controls.h"
#include "shell/tool_windows.h"
#include "widgets/radio_group.h"

namespace kestrave {

namespace {

template <std::size_t N>
QStringList itemList(const std::array<const char*, N>& items) {
    QStringList list;
    for (const char* item : items) list << item;
    return list;
}

}  // namespace

ShrinkView::ShrinkView(ToolWindow& window) {
    QWidget* parent = &window;
    RadioGroup2 =
        radioGroup(parent, "RadioGroup2", "Resize ratio", itemList(ResizeRatioItems), DefaultResizeRatio);
    CopyResize = radioGroup(parent, "CopyResize", "", itemList(ResizeRatioItems), DefaultResizeRatio);
    CopyResize->hide();
    ResizeFilters =
        radioGroup(parent, "ResizeFilters", " Filters ", itemList(ResizeFilterItems), DefaultResizeFilter);
    Shrinktooriginal = pushButton(parent, "Shrinktooriginal", "100%");
    Saveshrink = pushButton(parent, "Saveshrink", "Save");
    Imagesize = textLabel(parent, "Imagesize", "Imagesize: ");
    const ImageBox box = imageBox(parent, "ScrollBox4", "ShrinkImage");
    ScrollBox4 = box.box;
    ShrinkImage = box.image;

    auto* column = new QVBoxLayout;
    compact(column, 0);
    for (QWidget* control :
         std::initializer_list<QWidget*>{RadioGroup2, ResizeFilters, Shrinktooriginal, Saveshrink, Imagesize})
        column->addWidget(control);
    column->addStretch(1);
    auto* row = new QHBoxLayout;
    compact(row, 0);
    row->addLayout(column);
    row->addWidget(ScrollBox4, 1);
    window.Body->addLayout(row, 1);
}

}  // namespace kestrave
