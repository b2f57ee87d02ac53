#include "shell/batch_runner.h"

#include <QLabel>
#include <cctype>
#include <iostream>
#include <system_error>

#include "platform/phase_marks.h"
#include "platform/program_dir.h"
#include "platform/scope_exit.h"
#include "shell/application_context.h"
#include "shell/command_line.h"
#include "shell/pages/align_page.h"
#include "shell/pages/directory_list_box.h"
#include "shell/window_batch_operations.h"
#include "shell/window_progress.h"

namespace kestrave {

namespace {

constexpr char BatchCaption[] = "Batch";

// The warnings of options that are honoured otherwise than written.
void reportLooseOptions(const BatchOptions& options, MessagePort& messages) {
    for (const std::string& line : options.ignoredLines)
        if (!line.empty()) messages.warn(BatchCaption, "Ignored batch line: " + line);
    if (options.SaveType && batchSaveFilterIndex(*options.SaveType, 0) == 0)
        messages.warn(BatchCaption,
                      "Unknown save type '" + *options.SaveType + "': the save dialog's type is used");
}

// An input file alone on the command line opens nothing: the user is told how to go on, on
// standard error and in the status bar.
void tellHowToOpen(const std::string& file, ProgressPort& progress) {
    const std::string name = std::filesystem::path(file).filename().string();
    std::cerr << "kestrave: " << file << " was not opened: choose it with Select in the window, or add "
              << "options after it to run it unattended, e.g. kestrave " << file << " -ASpng -EX"
              << std::endl;
    progress.setStatus(3, name + " not opened: choose it with Select, or add options (e.g. -ASpng -EX)");
}

}  // namespace

int runBatchSteps(const BatchOptions& options, const std::filesystem::path& scheme,
                  BatchOperations& operations, MessagePort& messages, StderrProgress& progress) {
    // A step is named in the progress report as it starts and closed there before a failure is
    // reported, so that the failure's message follows the step's last line.
    const auto step = [&](const std::string& name, const auto& operation) {
        progress.beginStep(name);
        const bool succeeded = operation();
        progress.endStep(succeeded);
        if (!succeeded) {
            std::string what = name;
            what[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(what[0])));
            messages.error(BatchCaption, "Batch run stopped: " + what + " failed");
        }
        return succeeded;
    };
    const std::string inputFile = batchInputFile(options);
    if (!step("Selecting the input " + inputFile,
              [&] { return operations.SelectFileButtonClick(inputFile); }))
        return BatchFailed;

    const BatchInput input = operations.input();
    if (!input.singleImage) {
        const BatchFeature feature =
            placeBatchFeature(options.FeatureX, options.FeatureY, input.width, input.height, input.box);
        if (feature.moved && options.FeatureX != 0 && options.FeatureY != 0)
            messages.warn(BatchCaption, "The alignment box around (" + std::to_string(options.FeatureX) +
                                            ", " + std::to_string(options.FeatureY) +
                                            ") leaves the frame; the feature is moved to (" +
                                            std::to_string(feature.x) + ", " + std::to_string(feature.y) +
                                            ")");
        operations.setFeature(feature.x, feature.y);
        if (options.SeamWidth > 0) operations.setSeams(options.SeamWidth);

        std::error_code missing;
        const bool multipoint =
            options.PointsFile && std::filesystem::is_regular_file(*options.PointsFile, missing);
        if (options.PointsFile && !multipoint)
            messages.warn(BatchCaption, "Alignment-point file " + *options.PointsFile +
                                            " not found: the frames are aligned on one box");
        markPhase("alignment");
        if (multipoint) {
            if (!step("Aligning the frames on the points of " + *options.PointsFile,
                      [&] { return operations.alignPoints(*options.PointsFile); }))
                return BatchFailed;
        } else if (!step("Computing the reference", [&] { return operations.RecalcFFTbuttonClick(); }) ||
                   !step("Aligning the frames", [&] { return operations.AlignallButtonClick(); })) {
            return BatchFailed;
        }
        if (options.FrameLimit > 0) operations.setPreviewSlider(options.FrameLimit);
        if (!step("Limiting the frames", [&] { return operations.SetLimitClick(); })) return BatchFailed;
        if (options.CreateReference) {
            if (options.Refframes > 0) operations.setRefframes(options.Refframes);
            const auto atContinue = [&] {
                const bool processed = scheme.empty() || operations.applyScheme(scheme);
                operations.ContinuebuttonClick();
                return processed;
            };
            if (!step("Creating the reference frame", [&] { return operations.MakerefClick(atContinue); }))
                return BatchFailed;
        }
        if (!step("Optimizing and stacking", [&] { return operations.AlignStackButtonClick(); }))
            return BatchFailed;
    }
    if (!scheme.empty() &&
        !step("Applying the wavelet scheme", [&] { return operations.applyScheme(scheme); }))
        return BatchFailed;
    if (options.SaveType) {
        const int filterIndex = batchSaveFilterIndex(*options.SaveType, operations.saveFilterIndex());
        const std::filesystem::path name = batchSaveName(inputFile, filterIndex, operations.inputFiles());
        if (!step("Saving the result", [&] { return operations.SaveBMP2buttonClick(name, filterIndex); }))
            return BatchFailed;
    }
    return 0;
}

BatchOutcome RunBatchCommands(const WindowBatchParts& parts) {
    ApplicationContext& app = parts.app;
    MessageRoutine& messages = app.messages();
    parts.window.show();
    parts.align.repaintPreview();
    // An alignment-point file left from an earlier run in the input's folder is removed when the
    // input is taken; none elsewhere is touched.
    std::error_code ignored;
    const BatchCommands& batch = app.batch;
    const bool inputAlone = batch.BatchPending && batch.BatchLineCount == 1 && batch.CommandFolder.empty() &&
                            classifyCommandLine({batch.BatchLines.front()}) == CommandLineKind::BatchRun;
    if (inputAlone) tellHowToOpen(batch.BatchLines.front(), app.progress());
    if (!batch.BatchPending || batch.BatchLineCount <= 1) return {};
    // Questions take their unattended answers and no wait blocks while the batch runs.
    const bool batchMode = app.pipeline.setBatchMode(true);
    const ScopeExit back([&] { app.pipeline.setBatchMode(batchMode); });

    BatchOptions options;
    try {
        options = parseBatchOptions(batch);
    } catch (const BatchOptionError& error) {
        messages.error(BatchCaption, error.what());
        return {BatchBadOption, true};
    }
    reportLooseOptions(options, messages);
    std::filesystem::path scheme;
    if (options.WaveletScheme) {
        scheme = batchSchemeFile(*options.WaveletScheme, ProgramDir());
        if (!std::filesystem::is_regular_file(scheme, ignored)) {
            messages.error(BatchCaption, "Wavelet scheme " + scheme.string() + " not found");
            return {BatchFailed, options.ExitAfterRun};
        }
    }
    WindowBatchOperations operations(parts);
    // The long passes report on the window's progress port; while the batch runs it hands their
    // progress on to the report on standard error.
    StderrProgress progress;
    auto* window = dynamic_cast<WindowProgress*>(&app.progress());
    if (window) window->setEcho(&progress);
    const ScopeExit noEcho([&] {
        if (window) window->setEcho(nullptr);
    });
    return {runBatchSteps(options, scheme, operations, messages, progress), options.ExitAfterRun};
}

}  // namespace kestrave
