#include "pipeline/optimize_and_stack.h"

#include <algorithm>
#include <cmath>

#include "platform/phase_marks.h"
#include "platform/scope_exit.h"
#include "registration/frame_limit_reference.h"

namespace kestrave {

namespace {

int roundToInt(double v) {
    return static_cast<int>(std::nearbyint(std::clamp(v, -1e9, 1e9)));
}

// The area's corner for a stack side: centred on `centre` when the stack is larger than `large`,
// else left where it is; inside the stack either way.
int areaCorner(int corner, int centre, int areaSide, int stackSide, int large) {
    if (stackSide > large) corner = centre - areaSide / 2;
    return std::clamp(corner, 0, std::max(0, stackSide - areaSide));
}

}  // namespace

void centreProcessingArea(ImageDataSection& section, ProgramState& program, const FrameModel& model,
                          const StackScaleOptions& options) {
    int centreX = program.FeatureX;
    int centreY = program.FeatureY;
    if (options.Resampled) {
        program.stackx = roundToInt(options.ResampleSpin * program.FeatureX);
        program.stacky = roundToInt(options.ResampleSpin * program.FeatureY);
        centreX = program.stackx;
        centreY = program.stacky;
    }
    if (options.Drizzling) {
        program.stackx = 2 * program.FeatureX;
        program.stacky = 2 * program.FeatureY;
        section.ProcessAreaX = program.stackx;
        section.ProcessAreaY = program.stacky;
        centreX = program.stackx;
        centreY = program.stacky;
    }
    section.ProcessAreaX = areaCorner(section.ProcessAreaX, centreX, section.ProcessAreaWidth,
                                      model.ImageWidth, ProcessAreaWideStack);
    section.ProcessAreaY = areaCorner(section.ProcessAreaY, centreY, section.ProcessAreaHeight,
                                      model.ImageHeight, ProcessAreaTallStack);
}

OptimizeAndStackResult optimizeAndStack(OptimizerContext& context, ImageDataSection& section,
                                        const OptimizerOptions& options, const StackScaleOptions& scale,
                                        StackStages& stages) {
    OptimizeAndStackResult result;
    markPhase("optimizer");
    result.optimizer = optimizeBeforeStacking(context, options);
    context.progress.setStatus(2, " ");
    if (result.optimizer.cancelled) {
        result.outcome = OptimizeAndStackOutcome::CancelledOptimizing;
        return result;
    }
    markPhase("stacking");
    const bool stacked = stages.stack();
    markPhase("finish");
    if (!stacked || context.progress.cancelRequested()) {
        result.outcome = OptimizeAndStackOutcome::NotStacked;
        return result;
    }
    centreProcessingArea(section, context.program, context.model, scale);
    context.program.LayersDirty = true;
    stages.process();
    return result;
}

CreateReferenceResult createReferenceFrame(FrameModel& model, ProgramState& program,
                                           AlignmentState& alignment, OptimizerState& optimizer,
                                           const ImageDataSection& section, ProgressPort& progress,
                                           MessagePort& messages, const CreateReferenceOptions& options,
                                           ReferenceStages& stages) {
    CreateReferenceResult result;
    result.CreateRefMessage = options.CreateRefMessage;
    const CreateReferenceSettings saved = stages.stackSettings();
    const int limit = stages.frameLimit();
    // A limit cannot end at its start: a reference of one frame is made of the best two, as the
    // frame limit keeps two frames where it would keep the best one alone (a limit of one frame
    // would be refused and the reference made of every frame within the limit).
    const int frames = std::clamp(roundToInt(options.Refframes), std::min(2, limit + 1), limit + 1);

    // The limit and every changed setting come back however the work ends.
    auto restore = [&] {
        stages.setStackLabelPrefix("");
        stages.applyStackSettings(saved);
        stages.setFrameLimit(limit, true);
    };
    auto cancelled = [&] {
        result.outcome = CreateReferenceOutcome::Cancelled;
        return result;
    };

    CreateReferenceSettings reference = saved;
    reference.ResampleSpin = 1.0;
    reference.Histostretch = saved.Histostretch && model.FitStretch;
    reference.Drizzling = false;
    reference.Expandstack = false;
    reference.Multi = false;
    reference.MultiPointMode = false;
    reference.AlignMethodIndex = 0;
    {
        const ScopeExit restoreOnExit(restore);
        stages.setStackLabelPrefix("Reference");
        stages.setFrameLimit(frames - 1, false);
        stages.applyStackSettings(reference);
        stages.optimizeAndStack();

        stages.setStackLabelPrefix("");
        reference.Multi = saved.Multi;
        reference.MultiPointMode = saved.MultiPointMode;
        stages.applyStackSettings(reference);
        optimizer.MultiPointReference = saved.MultiPointMode;
        stages.process();
        stages.setFrameLimit(limit, true);
        if (progress.cancelRequested()) {
            progress.setCancelRequested(false);
            return cancelled();
        }

        markFramesForNewReference(model, alignment, limit);
        if (options.Optimizegraph) stages.showRegistrationGraph();
        if (!program.BatchMode && result.CreateRefMessage) {
            messages.inform("Reference frame", "Enhance image and press continue",
                            "Do not show this message again");
            if (messages.messageBoxChecked()) result.CreateRefMessage = false;
        }

        program.DoAllDone = !saved.MultiPointMode;
        stages.waitForUser();
        // A cancel during the wait ends the work before the whole picture is processed.
        if (progress.cancelRequested()) return cancelled();
        if (section.ProcessAreaSize > section.AllocWidth && section.ProcessAreaSize > section.AllocHeight) {
            program.DoAllDone = true;
        }
        if (!program.DoAllDone && !program.BatchMode && result.CreateRefMessage) {
            if (messages.ask(mtWarning, "Do All was not used", "Continue with Do All action ?", mbYesNo,
                             mrYes) == mrNo)
                program.DoAllDone = true;
        }
        if (!program.DoAllDone) stages.processWholePicture();
        if (progress.cancelRequested()) return cancelled();

        stages.realignOnProcessed();
    }
    return result;
}

}  // namespace kestrave
