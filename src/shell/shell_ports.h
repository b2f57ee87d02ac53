#pragma once
// What the controllers work with besides their pages and the pipeline: the shell's flags and what
// the window draws (`ShellState`, `ViewState`), and the ports (`ShellPorts`).

#include <cstdlib>
#include <memory>
#include <optional>

#include "persist/reg_settings.h"
#include "pipeline/pipeline.h"
#include "platform/progress_port.h"
#include "shell/file_dialogs.h"
#include "shell/long_operation.h"
#include "shell/message_routine.h"

namespace kestrave {

// What the window draws over its pictures and how their mouse handling stands: none of it is part
// of the run, so it lives beside the window, not in the pipeline. A new input puts it back.
struct ViewState {
    // The box outline that follows the mouse over the preview: its remembered position (-1 when
    // none is drawn) and the flag that keeps it from being erased after a change of box size.
    int boxOutlineX = -1;
    int boxOutlineY = -1;
    bool keepBoxOutline = false;
    // The free box's rubber band on the preview while it is dragged (Left = -1: none).
    TEdgeRect BoxMark;
    // The registration graph's best quality so far and the frame that had it.
    float graphBestQuality = 0.0f;
    int graphBestFrame = 0;
    // The next click on the final picture chooses the centre of rotation.
    bool CentrePickMode = false;
    // The crop rectangle on the final picture while the mouse draws it (Left = -1: none); the
    // release hands it to the run.
    TEdgeRect CropMark;
    // The colour area drawn on the processed view (X1 = -1: none); the colour shifts are searched
    // inside it.
    TCornerRect RGBArea;
    // The point optimizer's remaining time as its progress window counts it down (milliseconds).
    int TimeLeft = 0;

    // The colour area keeps its size, centred on (x, y), once both corners are set.
    void moveColourArea(int x, int y) {
        TCornerRect& area = RGBArea;
        if (area.X1 < 0 || area.Y1 < 0 || area.X2 < 0 || area.Y2 < 0) return;
        const int hx = std::abs(area.X1 - area.X2) / 2;
        const int hy = std::abs(area.Y1 - area.Y2) / 2;
        area = {x - hx, y - hy, x + hx, y + hy};
    }

    // The outline is forgotten (a new frame shows, a feature is taken); `mark` stands for none.
    void forgetBoxOutline(int mark = -1) { boxOutlineX = boxOutlineY = mark; }
    // A new input puts back all but the countdown, which belongs to no input.
    void resetForInput() {
        const int timeLeft = TimeLeft;
        *this = ViewState{};
        TimeLeft = timeLeft;
    }
};

// Flags of the main window's shell. (The cancel flag lives in the progress port, the "do not
// repeat" state in the message routine.)
struct ShellState {
    // Set by the image savers once a file was written; closing then asks nothing. The result as
    // it was written (`resultFingerprint`): once it differs, the saved mark no longer holds.
    bool ImageSaved = false;
    std::optional<std::size_t> savedResult;
    // Set by "Continue"; Create's wait consumes it.
    bool ContinueRequested = false;
    // Set while start-up runs (it restores the stored control values then): handlers leave the
    // work alone (the quality method's handler does not recompute the reference).
    bool StartingUp = false;
    // The auto-process flag: render on every change of a wavelet setting (`Autoprocessbox`).
    bool AutoProcess = false;
    // Fit-to-window of the preview and of the processed image: whether each is fitted and the
    // factor by which it is shown reduced (mouse positions on it are multiplied by it).
    bool PreviewFitted = false;
    float PreviewFitScale = 1.0f;
    bool ProcessFitted = false;
    float ProcessFitScale = 1.0f;
    // Set once the "ImageInfo" item has been used: from then on every render pass rebuilds the
    // processing-info tag.
    bool ImageInfoOn = false;
    // A new stack waits for the wavelet page: processed when the tab is chosen (first flag) or
    // the page is entered (second flag). Raised when the Wavelet page hears of a new stack,
    // cleared when its processing starts.
    bool WaveletTabPending = false;
    bool WaveletPagePending = false;
    ViewState view;
};

// What a controller is given besides its own pages and the pipeline: the shell's flags, the
// long-operation registry, the settings store, the message routine, the progress port and the file
// dialogs. The message routine reads the run's state (batch mode, the "do not repeat" choices).
class ShellPorts {
public:
    explicit ShellPorts(const ProgramState& state) : messages_(state) {}
    ShellPorts(const ShellPorts&) = delete;
    ShellPorts& operator=(const ShellPorts&) = delete;

    ShellState shell;
    LongOperations operations;
    // The settings store, opened by start-up; none when its file could not be read.
    std::unique_ptr<RegSettings> regSettings;

    MessageRoutine& messages() { return messages_; }
    // The window installs its own progress port; until then (and in tests) nothing is shown.
    ProgressPort& progress() { return progress_ ? *progress_ : nullProgress_; }
    void setProgress(std::unique_ptr<ProgressPort> progress) { progress_ = std::move(progress); }

    bool CancelRequested() { return progress().cancelRequested(); }

    // The window installs Qt's file dialogs; until then (and in tests) every dialog is cancelled.
    FileDialogPort& dialogs() { return dialogs_ ? *dialogs_ : noDialogs_; }
    void setDialogs(std::unique_ptr<FileDialogPort> dialogs) { dialogs_ = std::move(dialogs); }

private:
    MessageRoutine messages_;
    NullProgress nullProgress_;
    std::unique_ptr<ProgressPort> progress_;
    NoFileDialogs noDialogs_;
    std::unique_ptr<FileDialogPort> dialogs_;
};

}  // namespace kestrave
