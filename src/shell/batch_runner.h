#pragma once
// The batch runner: drives the whole pipeline from the batch lines (the input file, then options)
// without the user, through the same handlers as the buttons: input, reference, alignment, frame
// limit, optionally a new reference frame, optimize and stack, optionally a wavelet scheme on the
// whole image, and the save. Start-up hands it the batch lines as its last step.
//
// The exit status tells the truth: every option is checked before any work starts (a bad one
// ends the run with BatchBadOption), the run stops at the first step that fails (BatchFailed,
// the failure reported on standard error), and 0 means every step succeeded.

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/message_port.h"
#include "platform/progress_port.h"
#include "shell/batch_options.h"

namespace kestrave {

struct WindowBatchParts;

// Exit status of a batch run.
inline constexpr int BatchFailed = 1;
inline constexpr int BatchBadOption = 2;

struct BatchOutcome {
    int exitCode = 0;
    // The batch asked the program to end after the run ("-EX"), or its options were unusable.
    bool endProgram = false;
};

// The selected input as the run needs it: the frame size, the side of the alignment box, and
// whether it is a single still image (which is stacked and processed without alignment).
struct BatchInput {
    int width = 0;
    int height = 0;
    int box = 0;
    bool singleImage = false;
};

// The window's operations a batch run drives. Each step answers whether it succeeded; a step that
// failed has reported why through the message routine.
class BatchOperations {
public:
    virtual ~BatchOperations() = default;
    virtual bool SelectFileButtonClick(const std::string& file) = 0;
    virtual BatchInput input() = 0;
    virtual void setFeature(int x, int y) = 0;
    virtual bool RecalcFFTbuttonClick() = 0;
    virtual bool AlignallButtonClick() = 0;
    // The zones of the alignment points blend over seams `width` pixels wide ("Seams").
    virtual void setSeams(int width) = 0;
    // Multi-point alignment on the points of `pointsFile` (an existing file): it becomes the input
    // folder's temporary point file and "Multipoint" is chosen, which aligns every frame once per
    // point. True when the points were aligned and the frames ranked.
    virtual bool alignPoints(const std::filesystem::path& pointsFile) = 0;
    virtual void setPreviewSlider(int position) = 0;
    virtual bool SetLimitClick() = 0;
    virtual void setRefframes(int frames) = 0;
    // "Create"; `atContinue` runs where the user would enhance the reference and press Continue.
    // True when the new reference was made and `atContinue` succeeded.
    virtual bool MakerefClick(const std::function<bool()>& atContinue) = 0;
    // Loads the scheme (loadschemebuttonClick without its dialog) and processes the whole image
    // with it (DoAllClick).
    virtual bool applyScheme(const std::filesystem::path& scheme) = 0;
    virtual void ContinuebuttonClick() = 0;
    virtual bool AlignStackButtonClick() = 0;
    // The wavelet save dialog's filter index, and the files of the current input.
    virtual int saveFilterIndex() = 0;
    virtual std::vector<std::filesystem::path> inputFiles() = 0;
    // Saves the processed image (SaveBMP2buttonClick) with the dialog's name and filter preset.
    virtual bool SaveBMP2buttonClick(const std::filesystem::path& fileName, int filterIndex) = 0;
};

// The steps of a run whose options were read, in their fixed order; stops at the first failure.
// `scheme` is the wavelet scheme file of "-WS" (empty without). Each step is named in `progress`
// as it runs. Returns the exit status.
int runBatchSteps(const BatchOptions& options, const std::filesystem::path& scheme,
                  BatchOperations& operations, MessagePort& messages, StderrProgress& progress);

// Runs the batch described by the application's batch lines with BatchMode set, on the window's
// handlers. A batch of only an input file runs no operation.
BatchOutcome RunBatchCommands(const WindowBatchParts& parts);

}  // namespace kestrave
