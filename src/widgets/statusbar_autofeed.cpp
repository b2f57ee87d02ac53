#include "widgets/statusbar_autofeed.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>

#include "widgets/adv_status_bar.h"

namespace kestrave {

TUCStatusbarAutofeed::TUCStatusbarAutofeed(std::vector<QLabel*> panels, QObject* parent)
    : QObject(parent), panels_(std::move(panels)) {
    setEnabled(true);
}

TUCStatusbarAutofeed::TUCStatusbarAutofeed(TAdvStatusBar* statusbar, QObject* parent)
    : QObject(parent), statusbar_(statusbar) {
    setEnabled(true);
}

void TUCStatusbarAutofeed::setPanelIndex(int index) {
    if (index >= 0) panelIndex_ = index;
}

void TUCStatusbarAutofeed::setEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    if (enabled)
        qApp->installEventFilter(this);
    else
        qApp->removeEventFilter(this);
}

// Entering a control shows its hint; leaving it shows the hint of the control around it.
bool TUCStatusbarAutofeed::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::Enter && event->type() != QEvent::Leave) return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget) return false;
    if (event->type() == QEvent::Leave) widget = widget->parentWidget();
    showHint(widget ? widget->toolTip() : QString());
    return false;
}

void TUCStatusbarAutofeed::showHint(const QString& hint) {
    if (hint == hint_) return;
    hint_ = hint;
    if (statusbar_ && statusbar_->SimplePanel()) {
        statusbar_->setSimpleText(hint);
        return;
    }
    QLabel* panel = nullptr;
    if (statusbar_)
        panel = statusbar_->panel(panelIndex_);
    else if (panelIndex_ < static_cast<int>(panels_.size()))
        panel = panels_[static_cast<std::size_t>(panelIndex_)];
    if (panel) panel->setText(hint);
}

}  // namespace kestrave
