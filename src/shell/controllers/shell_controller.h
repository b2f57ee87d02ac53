#pragma once
// Handlers of the main window's shell: the tab strip's gating by stage, cancel, pause, continue
// and halt, the close question, and the fit-to-window views.

#include <QObject>
#include <functional>
#include <memory>

#include "pipeline/pipeline_core.h"
#include "shell/developer_mode.h"

class QStackedWidget;
class QWidget;

namespace kestrave {

class WindowEntryPoints;
class AlignPage;
class Pipeline;
class ShellPorts;
class OptimizePage;
class SpeedBar;
class StackPage;
class TabStrip;
class ToolWindowPages;
class WaveletPage;
class AreaStages;
struct ToolWindows;

// What the shell's handlers work with: the main window (its chord and its pages' tab strip), the
// speed bar, the tool windows, the pages whose views they fit or whose controls they release,
// and the developer controls.
struct ShellControllerParts {
    Pipeline& pipeline;
    ShellPorts& ports;
    QWidget& window;
    TabStrip& tabs;
    QStackedWidget& pages;
    SpeedBar& speedBar;
    ToolWindows& tools;
    AlignPage& align;
    OptimizePage& optimize;
    StackPage& stack;
    WaveletPage& wavelet;
    DeveloperControls developer;
    // The close question's save of the processed picture.
    AreaStages& stages;
    // The handlers of the other areas, reached through the window.
    WindowEntryPoints& entries;
};

class ShellController : public QObject {
public:
    explicit ShellController(const ShellControllerParts& parts);
    ~ShellController() override;
    // Called once, when the other controllers exist.

    // What the developer mode shows and hides (start-up switches it on on the developer's machine).
    DeveloperControls& developerControls() { return parts_.developer; }

    // The tab strip's change handler: refuses a page the work has not reached, prepares the
    // page that opens and colours the tabs.
    void TabpagesChange();
    // For code: opens a tab as if the user had chosen it (the change handler runs once).
    void selectTab(int tab);
    void ShowMemoryUsage();

    // The Cancel item: asks, and on Yes the running loop stops at its next poll.
    void CancelButtonClick();
    // The Pause item: the platform's modal box holds the running loop until OK.
    void PauseButtonClick();
    void ContinuebuttonClick();
    void HaltRegisterClick();
    // Create's wait for "Continue": the user may work (long operations included) until "Continue",
    // Cancel or a close. True when the work goes on (Continue pressed, or a batch run, which
    // never waits).
    bool waitForContinue();
    // In a batch run the wait does not block: the batch runner's work for it (the wavelet scheme
    // on the reference, then Continue) runs there instead.
    std::function<void()> batchContinueWork;

    // Whether the window may close: asks before unsaved work is lost; when closing goes ahead
    // the running loop is cancelled.
    bool FormCloseQuery();
    // The window's close event: closes now, refuses, or — while a long operation runs —
    // cancels it and closes once it has ended.
    bool closeRequested();

    // The speed-bar item ClipboardFront shows once the clipboard holds a picture.
    void showClipboardItem();
    // The page shown changed: the clipboard item shows when the clipboard holds a picture, and
    // the About page's memo shows the memory report afresh.
    void PageControl1Change();
    // Processbutton is needed only while Autoprocessbox is off; the auto-process flag follows it.
    void followAutoprocessbox();

    // The developer-mode chord (Ctrl+Alt+Shift+D), pressed anywhere in the main window: switches
    // the developer controls on or off.
    void FormKeyDown();

    // The About page's mail label: the memory display and the memory report in Memo1 refreshed,
    // and the error report's link,
    // with the facts as they are now, written into the label, which then opens it.
    void MailLabelClick();

    void FormResize();
    void PreviewFullClick();
    void ProcessViewfullClick();

protected:
    // Over the Cancel item the normal arrow shows even while the busy cursor is on.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setTabIndex(int tab);
    void colourTabs();
    // The tabs coloured afresh whenever the run announces a new stage.
    void hearStage();
    // Memo1 emptied and given the memory report.
    void showMemoryReport();
    void fitPreview();
    void fitProcessed();

    ShellControllerParts parts_;
    Pipeline& pipeline_;
    ShellPorts& ports_;
    std::unique_ptr<ToolWindowPages> toolWindowPages_;
    bool arrowOverCancel_ = false;
    PipelineCore::Subscription stageShown_;
};

}  // namespace kestrave
