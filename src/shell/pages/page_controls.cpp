#include "shell/pages/page_controls.h"

#include <QEvent>
#include <QPointer>

#include "widgets/radio_group.h"

namespace kestrave {

namespace {

// Keeps a marker under the button it points at while the layout moves the button.
class MarkerFollower : public QObject {
public:
    MarkerFollower(QWidget& marker, QWidget& button, int offset)
        : QObject(&marker), marker_(&marker), button_(&button), offset_(offset) {
        // The button moves on the page also when a group around it moves.
        for (QWidget* w = &button; w && w != marker.parentWidget(); w = w->parentWidget())
            w->installEventFilter(this);
        place();
    }

    void place() {
        if (!marker_ || !button_ || !marker_->parentWidget()) return;
        const QPoint at = button_->mapTo(marker_->parentWidget(), QPoint(0, button_->height() + offset_));
        marker_->move(at);
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

}  // namespace

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

QFrame* shape(QWidget* parent, const char* objectName, int width, int height, const QBrush& fill) {
    auto* frame = named(new QFrame(parent), objectName);
    frame->setAutoFillBackground(true);
    frame->resize(width, height);
    if (fill.style() != Qt::NoBrush) {
        QPalette colours = frame->palette();
        colours.setBrush(QPalette::Window, fill);
        frame->setPalette(colours);
    }
    return frame;
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

ImageBox imageBox(QWidget* parent, const char* boxName, const char* imageName) {
    auto* box = named(new QScrollArea(parent), boxName);
    auto* image = named(new QLabel, imageName);
    image->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    box->setWidget(image);
    return {box, image};
}

}  // namespace kestrave
