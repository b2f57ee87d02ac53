#pragma once
// The tab strip over the work pages ("Align" … "About"): a tab bar whose tabs each carry a
// background colour, so the user sees which pages the work has reached.

#include <QColor>
#include <QTabBar>

namespace kestrave {

class TabStrip : public QTabBar {
    Q_OBJECT
public:
    explicit TabStrip(QWidget* parent = nullptr);

    void setTabColor(int index, const QColor& color);
    QColor tabColor(int index) const;

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace kestrave
