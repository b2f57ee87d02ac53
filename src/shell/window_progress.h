#pragma once
// The window's progress port: the progress bar and the status-bar panels show how far a long
// operation has come, and every poll lets Qt process pending events so that Cancel, Pause and
// Continue can be clicked while the loop runs. Pause needs nothing more: its handler holds the
// platform's modal box open inside that poll, so the loop waits until OK is pressed. While a batch
// runs, everything shown here is also handed to the batch's own report (standard error).

#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <array>

#include "platform/progress_port.h"
#include "shell/long_operation.h"

namespace kestrave {

class WindowProgress : public ProgressPort {
public:
    WindowProgress(QWidget& window, QProgressBar& bar, const std::array<QLabel*, 5>& panels,
                   LongOperations& operations);

    void setMaximum(int maximum) override;
    void setPosition(int position) override;
    void setStatus(int panel, const std::string& text) override;
    void setCaption(const std::string& caption) override;
    void processMessages() override;

    // The port that also receives the bar's and the panels' values; none outside a batch run.
    void setEcho(ProgressPort* echo) { echo_ = echo; }

private:
    QPointer<QWidget> window_;
    QPointer<QProgressBar> bar_;
    std::array<QPointer<QLabel>, 5> panels_;
    LongOperations& operations_;
    ProgressPort* echo_ = nullptr;
};

}  // namespace kestrave
