#include "shell/batch_runner.h"

#include <QLabel>
#include <QScopedValueRollback>
#include <system_error>

#include "platform/phase_marks.h"
#include "platform/program_dir.h"
#include "shell/application_context.h"
#include "shell/main_form.h"
#include "shell/pages/align_page.h"
#include "shell/pages/directory_list_box.h"
#include "shell/window_batch_operations.h"

namespace kestrave {

namespace {

constexpr char BatchCaption[] = "Batch";
constexpr char AlignmentPointsCopy[] = "temp.kap";

void report(MessagePort& messages, std::uint8_t type, const std::string& text) {
    messages.show({.caption = BatchCaption, .text = text, .dlgType = type, .buttons = mbOK});
}

// The warnings of options that are honoured otherwise than written.
void reportLooseOptions(const BatchOptions& options, MessagePort& messages) {
    for (const std::string& line : options.ignoredLines)
        if (!line.empty()) report(messages, mtWarning, "Ignored batch line: " + line);
    if (options.SaveType && batchSaveFilterIndex(*options.SaveType, 0) == 0)
        report(messages, mtWarning,
               "Unknown save type '" + *options.SaveType + "': the save dialog's type is used");
}

}  // namespace

int runBatchSteps(const BatchOptions& options, const std::filesystem::path& scheme,
                  BatchOperations& operations, MessagePort& messages) {
    const auto failed = [&](const std::string& step) {
        report(messages, mtError, "Batch run stopped: " + step + " failed");
        return BatchFailed;
    };
    const std::string inputFile = batchInputFile(options);
    if (!operations.SelectFileButtonClick(inputFile)) return failed("selecting the input " + inputFile);

    const BatchInput input = operations.input();
    if (!input.singleImage) {
        const BatchFeature feature =
            placeBatchFeature(options.FeatureX, options.FeatureY, input.width, input.height, input.box);
        if (feature.moved && options.FeatureX != 0 && options.FeatureY != 0)
            report(messages, mtWarning,
                   "The alignment box around (" + std::to_string(options.FeatureX) + ", " +
                       std::to_string(options.FeatureY) + ") leaves the frame; the feature is moved to (" +
                       std::to_string(feature.x) + ", " + std::to_string(feature.y) + ")");
        operations.setFeature(feature.x, feature.y);

        if (!operations.RecalcFFTbuttonClick()) return failed("computing the reference");
        markPhase("alignment");
        if (!operations.AlignallButtonClick()) return failed("aligning the frames");
        if (options.FrameLimit > 0) operations.setPreviewSlider(options.FrameLimit);
        if (!operations.SetLimitClick()) return failed("limiting the frames");
        if (options.CreateReference) {
            if (options.Refframes > 0) operations.setRefframes(options.Refframes);
            const auto atContinue = [&] {
                const bool processed = scheme.empty() || operations.applyScheme(scheme);
                operations.ContinuebuttonClick();
                return processed;
            };
            if (!operations.MakerefClick(atContinue)) return failed("creating the reference frame");
        }
        if (!operations.AlignStackButtonClick()) return failed("optimizing and stacking");
    }
    if (!scheme.empty() && !operations.applyScheme(scheme)) return failed("applying the wavelet scheme");
    if (options.SaveType) {
        const int filterIndex = batchSaveFilterIndex(*options.SaveType, operations.saveFilterIndex());
        const std::filesystem::path name = batchSaveName(inputFile, filterIndex, operations.inputFiles());
        if (!operations.SaveBMP2buttonClick(name, filterIndex)) return failed("saving the result");
    }
    return 0;
}

BatchOutcome RunBatchCommands(TMainForm& form) {
    ApplicationContext& app = form.app;
    MessageRoutine& messages = app.messages();
    form.show();
    form.alignPage->PreviewImage->update();
    // An alignment-point file left from an earlier run is not taken by this one.
    std::error_code ignored;
    const std::filesystem::path& folder = form.alignPage->DirectoryListBox1->Directory();
    if (!folder.empty()) std::filesystem::remove(folder / AlignmentPointsCopy, ignored);

    const BatchCommands& batch = app.batch;
    if (!batch.BatchPending || batch.BatchLineCount <= 1) return {};
    // Questions take their unattended answers and no wait blocks while the batch runs.
    const QScopedValueRollback batchMode(app.state.BatchMode, true);

    BatchOptions options;
    try {
        options = parseBatchOptions(batch);
    } catch (const BatchOptionError& error) {
        report(messages, mtError, error.what());
        return {BatchBadOption, true};
    }
    reportLooseOptions(options, messages);
    std::filesystem::path scheme;
    if (options.WaveletScheme) {
        scheme = batchSchemeFile(*options.WaveletScheme, ProgramDir());
        if (!std::filesystem::is_regular_file(scheme, ignored)) {
            report(messages, mtError, "Wavelet scheme " + scheme.string() + " not found");
            return {BatchFailed, options.ExitAfterRun};
        }
    }
    WindowBatchOperations operations(form);
    return {runBatchSteps(options, scheme, operations, messages), options.ExitAfterRun};
}

}  // namespace kestrave
