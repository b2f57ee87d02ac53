#pragma once
// Copies the hint of the control under the mouse into one panel of a status bar, so the bar
// always explains what the pointer rests on. Panels are the bar's labels, numbered from 0.

#include <QLabel>
#include <QObject>
#include <QPointer>

#include <vector>

namespace kestrave {

class TAdvStatusBar;

class TUCStatusbarAutofeed : public QObject {
    Q_OBJECT
public:
    // Watches the whole application while enabled (from creation on).
    TUCStatusbarAutofeed(std::vector<QLabel*> panels, QObject* parent = nullptr);
    // Feeds the bar: its simple text while it is in simple mode, else its panel PanelIndex.
    TUCStatusbarAutofeed(TAdvStatusBar* statusbar, QObject* parent = nullptr);
    TAdvStatusBar* Statusbar() const { return statusbar_; }

    int PanelIndex() const { return panelIndex_; }
    // Negative indexes are refused; an index past the last panel writes nothing.
    void setPanelIndex(int index);
    bool Enabled() const { return enabled_; }
    void setEnabled(bool enabled);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showHint(const QString& hint);

    std::vector<QLabel*> panels_;
    QPointer<TAdvStatusBar> statusbar_;
    int panelIndex_ = 0;
    bool enabled_ = false;
    QString hint_;
};

}  // namespace kestrave
