#pragma once
// The tab strip over the work pages ("Align" … "About"): drawn tabs, 70 × 20, each with a
// background colour of its own, so the user sees which pages the work has reached.

#include <QColor>

#include "widgets/tab_control.h"

namespace kestrave {

class TabStrip : public TglTabControl {
    Q_OBJECT
public:
    explicit TabStrip(QWidget* parent = nullptr);

signals:
    // The window enters page `tab`: the page's area makes ready what it shows before the page comes
    // up (`pageEntering`), and follows once it is up (`pageShown`).
    void pageEntering(int tab);
    void pageShown(int tab);
};

}  // namespace kestrave
