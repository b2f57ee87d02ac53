#pragma once
// A status bar of fixed-width text panels that also holds child controls of its own (a progress
// bar over one panel, a panel kept at the right end). Panel i starts where panel i − 1 ends; the
// last one reaches the bar's right edge. What lies past the bar's width is cut off.

#include <QLabel>
#include <QStatusBar>
#include <vector>

namespace kestrave {

// The rectangles of panels of the given widths in a bar `barWidth` wide and `height` high.
std::vector<QRect> statusPanelRects(const std::vector<int>& widths, int barWidth, int height);

class TAdvStatusBar : public QStatusBar {
    Q_OBJECT
public:
    explicit TAdvStatusBar(QWidget* parent = nullptr);

    // Replaces the panels by text panels of these widths, numbered from 0.
    void setPanelWidths(const std::vector<int>& widths);
    int panelCount() const { return static_cast<int>(panels_.size()); }
    QLabel* panel(int index) const;
    QRect panelRect(int index) const;
    // Keeps `child` over panel `index` (its own width at most, cut at the bar's edge).
    void holdInPanel(QWidget* child, int index);
    // Keeps `child` at the bar's right end, the full height of the bar.
    void holdAtRight(QWidget* child);
    // In simple mode one text across the whole bar takes the place of the panels.
    bool SimplePanel() const { return simplePanel_; }
    void setSimplePanel(bool simple);
    QString SimpleText() const;
    void setSimpleText(const QString& text);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void placeChildren();

    std::vector<int> widths_;
    std::vector<QLabel*> panels_;
    std::vector<std::pair<QWidget*, int>> held_;
    QWidget* right_ = nullptr;
    bool simplePanel_ = false;
    QLabel* simpleLabel_;
};

}  // namespace kestrave
