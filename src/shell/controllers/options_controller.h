#pragma once
// Handlers of the small options of the Align and Optimize pages that are no part of one pipeline
// step: how the preview shows a frame (negative, preview gamma, debayer pattern), the stretch
// choice for 16-bit input and the break window.

#include <QObject>

class QWidget;

namespace kestrave {

class WindowEntryPoints;
class AreaStages;
class AlignPage;
class MessageRoutine;
class Pipeline;
class StackPage;
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
    StackPage& stack;
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
    // "Preview gamma": its value and "Hold" show while it is checked, "Preview negative" is
    // usable while it is not; the current frame is shown again.
    void PregammaClick();
    // The preview gamma's value (below 0.1 taken as 0.1) builds the gamma table with its inverse;
    // the current frame is shown again.
    void PreviewgammaChange();
    // The current frame is shown again; "Preview gamma" is usable while the negative is off.
    void NegativeimageClick();
    // "Yes" stretches the levels of FITS, TIFF and SER frames without asking; the other items
    // do not stretch them.
    void FittifstretchClick();
    // The break window shows while "Haltwindow" is checked, at the right edge of the picture.
    void HaltwindowClick();
    // The Cancel item's question, from the break window.
    void Cancel2buttonClick();

private:
    // The frame at the preview slider's position, shown again.
    void showFrameAgain();

    OptionsControllerParts parts_;
};

}  // namespace kestrave
