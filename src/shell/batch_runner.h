#pragma once
// The batch runner: drives the pipeline from the batch lines (the input file, then options)
// without the user. Start-up hands it the batch lines as its last step.

namespace kestrave {

class TMainForm;

// Exit status of a batch run.
inline constexpr int BatchFailed = 1;

struct BatchOutcome {
    int exitCode = 0;
    // The batch asked the program to end after the run ("-EX").
    bool endProgram = false;
};

// Runs the batch described by form.app.batch. A batch of only an input file runs no operation.
// Until the runner is built a batch with options is reported as not supported and fails.
BatchOutcome RunBatchCommands(TMainForm& form);

}  // namespace kestrave
