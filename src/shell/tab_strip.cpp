#include "shell/tab_strip.h"

#include <QPainter>
#include <QStyleOptionTab>
#include <QStylePainter>

namespace kestrave {

TabStrip::TabStrip(QWidget* parent) : QTabBar(parent) {
    setDrawBase(false);
    setExpanding(false);
}

void TabStrip::setTabColor(int index, const QColor& color) {
    if (tabData(index).value<QColor>() == color) return;
    setTabData(index, color);
    update(tabRect(index));
}

QColor TabStrip::tabColor(int index) const {
    return tabData(index).value<QColor>();
}

void TabStrip::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    for (int i = 0; i < count(); ++i) {
        QStyleOptionTab option;
        initStyleOption(&option, i);
        const QColor color = tabColor(i);
        if (color.isValid()) {
            painter.fillRect(option.rect.adjusted(1, 1, -1, 0), color);
            option.palette.setColor(QPalette::Window, color);
            option.palette.setColor(QPalette::Button, color);
        }
        painter.drawControl(QStyle::CE_TabBarTabLabel, option);
        painter.setPen(palette().color(QPalette::Mid));
        painter.drawRect(option.rect.adjusted(0, 0, -1, -1));
    }
}

}  // namespace kestrave
