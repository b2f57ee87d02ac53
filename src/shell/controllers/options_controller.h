#pragma once
// Handlers of the small options that are no part of one pipeline step: the debayer pattern the
// preview shows a frame with, and the break window's Cancel. The Align page's own view options
// are its controller's (align_option_handlers.h).

#include <QObject>

class QWidget;

namespace kestrave {

class WindowEntryPoints;
class AreaStages;
class AlignPage;
class MessageRoutine;
class Pipeline;
struct ShellState;
struct ToolWindows;

// What the options' handlers work with: the pages that hold the options, the break window inside
// the main window, and the handlers of the shell and the stack that they call; the pipeline whose
// operations change the run.
struct OptionsControllerParts {
    Pipeline& pipeline;
    const ShellState& shellState;
    MessageRoutine& messages;
    QWidget& window;
    AlignPage& align;
    ToolWindows& tools;
    // The handlers of the other areas, reached through the window.
    WindowEntryPoints& entries;
    AreaStages& stages;
};

class OptionsController : public QObject {
public:
    explicit OptionsController(const OptionsControllerParts& parts);

    // A debayer pattern chosen: the current frame is shown again with it (not during start-up).
    void debayergroupClick();
    // The Cancel item's question, from the break window.
    void Cancel2buttonClick();

private:
    // The frame at the preview slider's position, shown again.
    void showFrameAgain();

    OptionsControllerParts parts_;
};

}  // namespace kestrave
