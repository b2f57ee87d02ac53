#pragma once
// Everything one run of the program works on, owned in one place and passed by reference: the
// program state, the frame model, the image planes, the shell's own flags, the wavelet page's
// data, the FFT engine, the registration's, the alignment's and the optimizer's state, the settings store,
// the batch lines, the long-operation registry, the message routine, the progress port and the file dialogs.
// The window, the batch runner and every test build their own; there are no hidden globals.

#include <memory>

#include "enhance/curve_editing.h"
#include "frames/frame_model.h"
#include "frames/image_data_section.h"
#include "frames/input_selection.h"
#include "frames/program_state.h"
#include "persist/reg_settings.h"
#include "platform/progress_port.h"
#include "registration/align_state.h"
#include "registration/alignment_points.h"
#include "registration/debayer_switch.h"
#include "registration/fft.h"
#include "registration/frame_limit.h"
#include "registration/optimizer_state.h"
#include "registration/registration_state.h"
#include "shell/command_line.h"
#include "shell/file_dialogs.h"
#include "shell/final_data.h"
#include "shell/long_operation.h"
#include "shell/message_routine.h"
#include "shell/stack_data.h"
#include "shell/wavelet_data.h"

namespace kestrave {

// Flags of the main window's shell. (The cancel flag lives in the progress port, the "do not
// repeat" state in the message routine.)
struct ShellState {
    // Set by the image savers once a file was written; closing then asks nothing.
    bool ImageSaved = false;
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
};

class ApplicationContext {
public:
    ApplicationContext() = default;
    ApplicationContext(const ApplicationContext&) = delete;
    ApplicationContext& operator=(const ApplicationContext&) = delete;

    ProgramState state;
    FrameModel model;
    ImageDataSection images;
    ShellState shell;
    WaveletData wavelet;
    // The final page's curve tables and pictures.
    FinalData finalImage;
    // The curves of the gamma, tone and hue-dependent curve editors.
    CurveObjects curves;
    StackData stack;
    LongOperations operations;
    FftEngine fft;
    RegistrationState registration;
    // The alignment's pass state (the halt button's flag among it) and the optimizer's run state.
    AlignmentState alignment;
    OptimizerState optimizer;
    // The frame limits of the alignment points.
    PointLimits points;
    // The alignment points, the free alignment box and the multi-point mode.
    AlignmentPoints alignPoints;
    // The input: the shown picture, what the readers found, the current folder, the frame source
    // of the browser; and the debayer switch.
    InputState input;
    DebayerState debayer;
    // The settings store, opened by start-up; none when its file could not be read.
    std::unique_ptr<RegSettings> regSettings;
    // Batch work from the command line or a command file.
    BatchCommands batch;

    MessageRoutine& messages() { return messages_; }
    // The window installs its own progress port; until then (and in tests) nothing is shown.
    ProgressPort& progress() { return progress_ ? *progress_ : nullProgress_; }
    void setProgress(std::unique_ptr<ProgressPort> progress) { progress_ = std::move(progress); }

    bool CancelRequested() { return progress().cancelRequested(); }

    // The window installs Qt's file dialogs; until then (and in tests) every dialog is cancelled.
    FileDialogPort& dialogs() { return dialogs_ ? *dialogs_ : noDialogs_; }
    void setDialogs(std::unique_ptr<FileDialogPort> dialogs) { dialogs_ = std::move(dialogs); }

private:
    MessageRoutine messages_{state};
    NullProgress nullProgress_;
    std::unique_ptr<ProgressPort> progress_;
    NoFileDialogs noDialogs_;
    std::unique_ptr<FileDialogPort> dialogs_;
};

}  // namespace kestrave
