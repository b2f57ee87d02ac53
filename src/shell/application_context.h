#pragma once
// What the window and the batch runner work with, owned in one place and passed by reference: the
// pipeline (the run's state and its operations), the controllers' ports (the shell's own flags and
// what it draws, the long-operation registry, the settings store, the message routine, the progress
// port and the file dialogs) and the batch lines.
// The window, the batch runner and every test build their own; there are no hidden globals.

#include "pipeline/pipeline.h"
#include "shell/command_line.h"
#include "shell/shell_ports.h"

namespace kestrave {

// The pipeline, the controllers' ports and the batch lines, owned in one place by the window, the
// batch runner or a test. Controllers are given the pipeline and the ports, never this.
class ApplicationContext {
public:
    ApplicationContext() = default;
    ApplicationContext(const ApplicationContext&) = delete;
    ApplicationContext& operator=(const ApplicationContext&) = delete;

    // The run's state and its operations.
    Pipeline pipeline;
    ShellPorts ports{pipeline.state()};
    ShellState& shell = ports.shell;
    LongOperations& operations = ports.operations;
    std::unique_ptr<RegSettings>& regSettings = ports.regSettings;
    // Batch work from the command line or a command file.
    BatchCommands batch;

    MessageRoutine& messages() { return ports.messages(); }
    ProgressPort& progress() { return ports.progress(); }
    void setProgress(std::unique_ptr<ProgressPort> progress) { ports.setProgress(std::move(progress)); }
    bool CancelRequested() { return ports.CancelRequested(); }
    FileDialogPort& dialogs() { return ports.dialogs(); }
    void setDialogs(std::unique_ptr<FileDialogPort> dialogs) { ports.setDialogs(std::move(dialogs)); }
};

}  // namespace kestrave
