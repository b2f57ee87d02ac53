#pragma once
// The window's progress port: the progress bar and the status-bar panels show how far a long
// operation has come, and every poll lets Qt process pending events so that Cancel, Pause and
// Continue can be clicked while the loop runs. Pause needs nothing more: its handler holds the
// platform's modal box open inside that poll, so the loop waits until OK is pressed. While a batch
// runs, everything shown here is also handed to the batch's own report (standard error).
//
// When nobody watches (a batch runs, or the window is not shown) a long operation's values are
// kept and shown only a few times per second, and the values last set once the last long
// operation has ended; a batch also lets pending events through only then. The batch's report
// receives every value as it comes.

#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <array>
#include <functional>
#include <optional>
#include <string>

#include "platform/progress_port.h"
#include "shell/long_operation.h"
#include "shell/redraw_pacer.h"

namespace kestrave {

class WindowProgress : public ProgressPort {
public:
    WindowProgress(QWidget& window, QProgressBar& bar, const std::array<QLabel*, 5>& panels,
                   LongOperations& operations);
    ~WindowProgress() override;
    WindowProgress(const WindowProgress&) = delete;
    WindowProgress& operator=(const WindowProgress&) = delete;

    void setMaximum(int maximum) override;
    void setPosition(int position) override;
    void setStatus(int panel, const std::string& text) override;
    void setCaption(const std::string& caption) override;
    void setActivity(const std::string& text) override;
    void showMemoryUsage() override;
    void processMessages() override;

    // Shows the activity texts (the Stack page's label); none until the window sets it.
    std::function<void(const std::string&)> showActivity;
    // Refreshes the memory read-out; none until the window sets it.
    std::function<void()> showMemory;

    // The port that also receives the bar's and the panels' values; none outside a batch run.
    void setEcho(ProgressPort* echo) { echo_ = echo; }
    // Shows the values kept back while nobody watched.
    void showKept();

private:
    // Values are kept back only inside a long operation that nobody watches.
    bool keepingBack() const { return operations_.running() && pacer_.unattended(); }

    QPointer<QWidget> window_;
    QPointer<QProgressBar> bar_;
    std::array<QPointer<QLabel>, 5> panels_;
    LongOperations& operations_;
    ProgressPort* echo_ = nullptr;
    RedrawPacer pacer_;
    // The values not shown yet.
    std::optional<int> maximum_;
    std::optional<int> position_;
    std::array<std::optional<std::string>, 5> texts_;
    std::optional<std::string> caption_;
};

}  // namespace kestrave
