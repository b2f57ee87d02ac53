#include "shell/batch_runner.h"

#include <QLabel>
#include <cctype>
#include <iostream>
#include <system_error>

#include "frames/input_plan.h"
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
        operations.setFeature(feature.x, feature.y);
        if (options.SeamWidth > 0) operations.setSeams(options.SeamWidth);

        // A points file that is not there leaves the frames aligned on one box.
        std::error_code missing;
        const bool multipoint =
            options.PointsFile && std::filesystem::is_regular_file(*options.PointsFile, missing);
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
    // The automatic alignment-point file of the folder in use goes, whether or not options follow.
    std::error_code ignored;
    std::filesystem::remove(app.pipeline.folders().directory / TempPointFile, ignored);
    const BatchCommands& batch = app.batch;
    if (!batch.BatchPending || batch.BatchLineCount <= 1) return {};
    // Questions take their unattended answers and no wait blocks while the batch runs.
    const bool batchMode = app.pipeline.setBatchMode(true);
    const ScopeExit back([&] { app.pipeline.setBatchMode(batchMode); });

    BatchOptions options;
    try {
        options = parseBatchOptions(batch);
    } catch (const BatchOptionError& error) {
        // The batch stops here; the program ends only when the batch asks for it.
        messages.error(BatchCaption, error.what());
        return {BatchBadOption, batchAsksToExit(batch)};
    }
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
