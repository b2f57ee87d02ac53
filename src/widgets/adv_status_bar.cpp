#include "widgets/adv_status_bar.h"

#include <QPainter>
#include <QResizeEvent>

#include "widgets/component_graphics.h"
#include "widgets/elided_label.h"

namespace kestrave {

std::vector<QRect> statusPanelRects(const std::vector<int>& widths, int barWidth, int height) {
    std::vector<QRect> rects;
    int left = 0;
    for (std::size_t i = 0; i < widths.size(); ++i) {
        const int right = i + 1 == widths.size() ? std::max(barWidth, left + widths[i]) : left + widths[i];
        rects.emplace_back(left, 0, right - left, height);
        left = right;
    }
    return rects;
}

namespace {

// A panel's text; one longer than its panel is cut short, the whole of it in the tooltip.
QLabel* panelLabel(QWidget* bar, const QString& name) {
    auto* label = new ElidedLabel(bar);
    label->setObjectName(name);
    label->setContentsMargins(1, 0, 0, 0);
    return label;
}

}  // namespace

TAdvStatusBar::TAdvStatusBar(QWidget* parent)
    : QStatusBar(parent), simpleLabel_(panelLabel(this, "SimpleText")) {
    // The panels are the bar's own: nothing goes through the box layout of a plain status bar.
    setSizeGripEnabled(false);
    setMinimumHeight(fontMetrics().height() + 8);
    simpleLabel_->hide();
}

void TAdvStatusBar::setSimplePanel(bool simple) {
    if (simple == simplePanel_) return;
    simplePanel_ = simple;
    placeChildren();
    update();
}

QString TAdvStatusBar::SimpleText() const {
    return simpleLabel_->text();
}

void TAdvStatusBar::setSimpleText(const QString& text) {
    simpleLabel_->setText(text);
}

void TAdvStatusBar::setPanelWidths(const std::vector<int>& widths) {
    for (QLabel* old : panels_) delete old;
    panels_.clear();
    widths_ = widths;
    for (std::size_t i = 0; i < widths.size(); ++i) {
        panels_.push_back(panelLabel(this, QString("StatusPanel%1").arg(i)));
    }
    placeChildren();
}

QLabel* TAdvStatusBar::panel(int index) const {
    return index >= 0 && index < panelCount() ? panels_[static_cast<std::size_t>(index)] : nullptr;
}

QRect TAdvStatusBar::panelRect(int index) const {
    const std::vector<QRect> rects = statusPanelRects(widths_, width(), height());
    return index >= 0 && index < panelCount() ? rects[static_cast<std::size_t>(index)] : QRect();
}

void TAdvStatusBar::holdInPanel(QWidget* child, int index) {
    child->setParent(this);
    held_.emplace_back(child, index);
    placeChildren();
    child->show();
}

void TAdvStatusBar::holdAtRight(QWidget* child) {
    child->setParent(this);
    right_ = child;
    placeChildren();
    child->show();
}

void TAdvStatusBar::placeChildren() {
    const std::vector<QRect> rects = statusPanelRects(widths_, width(), height());
    const int rightWidth =
        right_ != nullptr ? std::max(right_->sizeHint().width(), right_->minimumWidth()) : 0;
    const int usable = width() - rightWidth;
    // Text panels sit inside their sunken frames; the simple text spans them all.
    simpleLabel_->setGeometry(QRect(0, 0, usable, height()).adjusted(2, 2, -2, -2));
    simpleLabel_->setVisible(simplePanel_);
    for (std::size_t i = 0; i < panels_.size(); ++i) {
        QRect inside = rects[i].adjusted(2, 2, -2, -2);
        inside.setRight(std::min(inside.right(), usable - 3));
        panels_[i]->setGeometry(inside);
        panels_[i]->setVisible(!simplePanel_ && inside.width() > 0);
    }
    for (auto [child, index] : held_) {
        if (index < 0 || index >= panelCount()) continue;
        QRect area = rects[static_cast<std::size_t>(index)].adjusted(2, 2, -2, -2);
        area.setWidth(std::min(area.width(), widths_[static_cast<std::size_t>(index)] - 4));
        area.setRight(std::min(area.right(), usable - 3));
        child->setGeometry(area);
    }
    if (right_ != nullptr) right_->setGeometry(usable, 0, rightWidth, height());
}

void TAdvStatusBar::resizeEvent(QResizeEvent* event) {
    QStatusBar::resizeEvent(event);
    placeChildren();
}

void TAdvStatusBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Window));
    if (simplePanel_) return;
    const std::vector<QRect> rects = statusPanelRects(widths_, width(), height());
    for (const QRect& r : rects)
        if (r.width() > 2) drawBevelFrame(painter, r.adjusted(0, 1, -2, -1), true, palette());
}

}  // namespace kestrave
