#include "shell/pages/page_controls.h"

#include "widgets/radio_group.h"

namespace kestrave {

TPCheck* optionCheck(QWidget* parent, const char* objectName, const char* caption) {
    auto* check = named(new TPCheck(parent), objectName);
    check->setCaption(QString::fromUtf8(caption));
    return check;
}

QToolButton* toggleButton(QWidget* parent, const char* objectName, const char* caption) {
    auto* button = named(new QToolButton(parent), objectName);
    button->setText(QString::fromUtf8(caption));
    button->setCheckable(true);
    return button;
}

QTabWidget* optionPages(QWidget* parent, const char* objectName) {
    auto* pages = named(new QTabWidget(parent), objectName);
    pages->setTabPosition(QTabWidget::South);
    return pages;
}

TRadioGroup* radioGroup(QWidget* parent, const char* objectName, const char* caption,
                        const QStringList& items, int itemIndex) {
    auto* group = named(new TRadioGroup(parent), objectName);
    group->setCaption(QString::fromUtf8(caption));
    group->setItems(items);
    group->setItemIndex(itemIndex);
    return group;
}

QComboBox* kernelPresetChooser(QWidget* parent, const char* objectName) {
    auto* chooser = named(new QComboBox(parent), objectName);
    chooser->addItems({"Flat", "Sobel", "lowpass1", "lowpass2", "lowpass3", "lowpass4", "laplace", "laplace2",
                       "laplaceedge", "focus"});
    return chooser;
}

QFrame* shape(QWidget* parent, const char* objectName, int width, int height) {
    auto* frame = named(new QFrame(parent), objectName);
    frame->setAutoFillBackground(true);
    frame->resize(width, height);
    return frame;
}

QHBoxLayout* controlRow(std::initializer_list<QWidget*> controls) {
    auto* row = new QHBoxLayout;
    for (QWidget* control : controls) row->addWidget(control);
    row->addStretch(1);
    return row;
}

ImageBox imageBox(QWidget* parent, const char* boxName, const char* imageName) {
    auto* box = named(new QScrollArea(parent), boxName);
    auto* image = named(new QLabel, imageName);
    image->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    box->setWidget(image);
    return {box, image};
}

}  // namespace kestrave
