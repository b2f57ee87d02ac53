#include "widgets/event_scroll_box.h"

#include <QScrollBar>

namespace kestrave {

TEventScrollBox::TEventScrollBox(QWidget* parent) : QScrollArea(parent) {
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, this, [this] { emit OnScrollHorz(this); });
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { emit OnScrollVert(this); });
}

}  // namespace kestrave
