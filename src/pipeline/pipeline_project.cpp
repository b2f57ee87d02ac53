// The project operations of the pipeline: a loaded project taken into the run and the stages its
// replay moves through.

#include <algorithm>

#include "output/project_data.h"
#include "output/project_file.h"
#include "output/project_load.h"
#include "output/project_model.h"
#include "output/project_values.h"
#include "pipeline/pipeline.h"
#include "pipeline/project_replay_steps.h"
#include "platform/scope_exit.h"
#include "registration/point_optimizer.h"
#include "registration/reference.h"

namespace kestrave {

void ProjectStage::renameVideo(const std::filesystem::path& video, const std::filesystem::path& renamed) {
    moveFile(video, renamed);
    FrameModel& model = run_.model;
    for (int s = 0; s <= std::min(model.avicount, MaxAviSegments - 1); ++s)
        if (std::filesystem::path(model.AviSegments[s].FileName) == video)
            model.AviSegments[s].FileName = renamed.string();
    model.AviName = renamed.filename().string();
}

void ProjectStage::saveProject(const std::filesystem::path& file, const ProjectControls& controls,
                               ProjectForm form, ProgressPort& progress) const {
    writeProject(file, captureProject(run_.model, run_.state, run_.alignPoints, controls, form), progress);
}

ProjectOpening ProjectStage::openProject(const std::filesystem::path& file) const {
    ProjectOpening opening;
    opening.read = readProject(file);
    opening.plan = projectInputPlan(opening.read.project, file);
    opening.missingInput = missingInputText(opening.plan);
    if (!opening.missingInput.empty()) return opening;
    const InputProbe probe = probeInput(opening.plan, run_.model.TifStretch);
    // The points must lie on the frames as they are worked on: cut to MaxFrameSize.
    checkProjectFitsInput(opening.read.project,
                          static_cast<int>(std::min<std::int64_t>(probe.frameCount, FrameCapacity)),
                          std::min(probe.width, MaxFrameSize), std::min(probe.height, MaxFrameSize));
    return opening;
}

void ProjectStage::takeProject(const ProjectData& project, bool interlaced, int lastFrame,
                               ProgressPort& progress) {
    applyProject(project, run_.model, run_.alignPoints, run_.state, interlaced, progress);
    // The input's reset put the processing area in the image's corner, and an image section that
    // already had the input's size was kept as it was: the area is centred as a new section places
    // it, so that the load processes the same area in any window.
    centreProcessArea(run_.images);
    // The ranking of an aligned project orders the stack as it did when it was saved.
    run_.model.FramesRanked = project.progstatus >= static_cast<int>(TProgStatus::psAligned);
    const int refframe = std::clamp(project.refframe, 0, std::max(lastFrame, 0));
    run_.registration.refframe = run_.registration.FeatureFrame = refframe;
    run_.registration.FeatureChosen = project.progstatus >= static_cast<int>(TProgStatus::psFeatureSet);
    announce(PipelineChange::Frames);
    announce(PipelineChange::Points);
    announce(PipelineChange::Stage);
}

void ProjectStage::markAligned() {
    setProcessStage(run_.state, TProcessStage::stAligned);
    announce(PipelineChange::Stage);
}

void ProjectStage::openStackStage() {
    setProcessStage(run_.state, TProcessStage::stReferenceReady);
    run_.state.activepage = TMainTab::tabStack;
    announce(PipelineChange::Stage);
}

void ProjectStage::rebuildReference(const ReferenceOptions& options, MessagePort& messages) {
    ProgramState& state = run_.state;
    state.TrackOffsetX = state.TrackOffsetY = 0;
    run_.registration.TrackStepX = run_.registration.TrackStepY = 0;
    const int half = run_.fft.FFTSize / 2;
    run_.registration.BoxLeft = state.FeatureX - half;
    run_.registration.BoxTop = state.FeatureY - half;
    CalculateReferenceFFT(run_.fft, run_.registration, state, run_.model, run_.images,
                          run_.input.PreviewBitmap, options, messages);
    // As after picking the feature; a later stage the replay reached stays.
    if (state.ProcessStage < TProcessStage::stReferenceReady)
        setProcessStage(state, TProcessStage::stReferenceReady);
    announce(PipelineChange::Stage);
}

ProjectLoad ProjectStage::loadProject(const std::filesystem::path& file, ProjectReplaySteps& steps,
                                      MessagePort& messages, ProgressPort& progress) {
    ProjectLoad load;
    // Everything that can refuse the project is tried before the current work is given up.
    ProjectOpening opening;
    try {
        opening = openProject(file);
    } catch (const std::exception& error) {
        messages.error("Project", error.what());
        return load;
    }
    if (!opening.missingInput.empty()) {
        messages.error(MissingFileCaption, opening.missingInput);
        return load;
    }
    const ProjectData& project = opening.read.project;
    if (!steps.takeInput(opening.plan)) return load;

    steps.restoreControls(project);
    steps.applyBoxSize();
    progress.setStatus(2, "Loading project");
    const RestoredSwitches switches = steps.switches();
    takeProject(project, switches.interlaced, switches.lastFrame, progress);
    showReplayStep({ReplayShown::ProjectTaken});
    steps.showProject(project);

    // The stages the project had reached, in the order the work first went through them.
    const ReplayPlan plan = planReplay(project, switches.Usedarkframe, switches.UseFlatfield);
    for (const ReplayStep step : plan.steps) {
        switch (step) {
            case ReplayStep::LoadDarkFrame:
                steps.loadDarkFrame(project.dark->FileName, project.dark->FileType);
                break;
            case ReplayStep::LoadFlatField:
                steps.loadFlatField(project.flat->FileName, project.flat->FileType);
                break;
            case ReplayStep::DrawRegistrationGraph:
                markAligned();
                showReplayStep({ReplayShown::RegistrationGraph});
                steps.showRegistrationGraph();
                break;
            case ReplayStep::OpenStackPage:
                showReplayStep({ReplayShown::OptimizerPasses});
                steps.enableOptimizePasses();
                openStackStage();
                steps.selectTab(TMainTab::tabStack);
                break;
            case ReplayStep::RebuildReference:
                showReplayStep({ReplayShown::BeforeReference});
                steps.beforeReference();
                try {
                    rebuildReference(steps.referenceOptions(), messages);
                } catch (const KestraveError& error) {
                    messages.error("Error", error.what());
                }
                showReplayStep({ReplayShown::AfterReference});
                steps.afterReference();
                break;
            case ReplayStep::ShowRegistrationGraph:
                showReplayStep({ReplayShown::RegistrationGraph});
                steps.showRegistrationGraph();
                break;
            case ReplayStep::RestoreStackControls:
                steps.enableStackPasses();
                self().commitFrameLimit({.ranks = plan.stackBound,
                                         .countRange = plan.stackBound,
                                         .stackBound = plan.stackBound,
                                         .stackCount = plan.stackSlider});
                load.stackSlider = plan.stackSlider;
                showReplayStep({ReplayShown::StackControls, plan.stackSlider});
                steps.showStackControls(plan.stackSlider, plan.differenceCut, plan.stackListCount);
                break;
            case ReplayStep::RestorePointCutoffs:
                restorePointCutoffs(steps.pointDifferenceSlider());
                showReplayStep({ReplayShown::PointCutoffs});
                break;
            case ReplayStep::RestoreWaveletControls:
                if (project.wavelet) restoreWavelet(*project.wavelet);
                break;
            case ReplayStep::StackAgain:
                openStackStage();
                steps.selectTab(TMainTab::tabOptimize);
                steps.selectTab(TMainTab::tabStack);
                steps.stackAgain();
                break;
            case ReplayStep::ProcessAgain:
                steps.processAgain();
                break;
        }
    }

    const LoadedPages pages = loadedPages(project.activepage, run_.state.activepage);
    setActivePage(pages.activepage);
    load.loaded = true;
    load.shownTab = pages.shownTab;
    load.problems = opening.read.problems;
    return load;
}

void ProjectStage::restorePointCutoffs(int DifSliderMalign) {
    for (int p = 1; p <= std::min(run_.alignPoints.Alignpoints, MaxAlignPoints); ++p) {
        fileOptimizedLimits(run_.model, p, run_.input.lastIndex, DifSliderMalign, run_.stackCount.last,
                            run_.points);
        // As "Limit" leaves it in "Simple": every point stacks the limited frames.
        run_.points.PointLimitCount[static_cast<std::size_t>(p)] = run_.stackCount.last;
    }
}

void ProjectStage::showReplayStep(const ReplayShowing& step) {
    run_.replayShown = step;
    announce(PipelineChange::ProjectStep);
}

void ProjectStage::setActivePage(TMainTab page) {
    run_.state.activepage = page;
    announce(PipelineChange::Stage);
}

void ProjectStage::restoreWavelet(const ProjectWavelet& wavelet) {
    run_.restoredWavelet = wavelet;
    announce(PipelineChange::Wavelet);
}

void ProjectStage::runUnattended(const std::function<void()>& stage) {
    const bool batch = run_.state.BatchMode;
    run_.state.BatchMode = true;
    const ScopeExit back([&] { run_.state.BatchMode = batch; });
    stage();
}

}  // namespace kestrave
