#pragma once
// Projects: the current work written as a project, and a project loaded with the stages it had
// reached run again.

#include "pipeline/pipeline_core.h"

namespace kestrave {

struct ProjectControls;
struct ProjectData;
enum class ProjectForm : std::uint8_t;
struct ProjectOpening;
struct ProjectLoad;
class ProjectReplaySteps;

class ProjectStage : public virtual PipelineCore {
public:
    // The video moved to `renamed`, after its project: the model names the new file. Throws
    // FileError, changing nothing, when it cannot be moved (see moveFile).
    void renameVideo(const std::filesystem::path& video, const std::filesystem::path& renamed);
    // The current work written as a project (`form` Older: the feature and the whole-frame
    // alignment only), with what the window's controls add; the status panels follow the
    // writing. Throws FileError.
    void saveProject(const std::filesystem::path& file, const ProjectControls& controls, ProjectForm form,
                     ProgressPort& progress) const;
    // A project file opened for loading, before anything of the current work is given up: the
    // project read, the files of its input found, and the input probed and checked to hold the
    // project. `missingInput` is the "Missing file" text when a file of the input is not there
    // (the input is then not probed). Throws (FileError, ProjectError) what refuses the project.
    ProjectOpening openProject(const std::filesystem::path& file) const;
    // A project loaded: opened (what refuses it is reported and changes nothing), its input
    // taken, its controls restored, and the stages it had reached run again through `steps` in
    // the order the work first went through them.
    ProjectLoad loadProject(const std::filesystem::path& file, ProjectReplaySteps& steps,
                            MessagePort& messages, ProgressPort& progress);
    // Runs `stage` with every question taking its unattended answer, as in a batch run.
    void runUnattended(const std::function<void()>& stage);

protected:
    ~ProjectStage() = default;

private:
    // The whole pipeline, for another stage's operation.
    Pipeline& self();

    // The tests take a project's records without opening its input.
    friend struct PipelineTestAccess;

    // A loaded project's shifts, qualities, ranking, points and stage; an aligned project keeps
    // its ranking valid; the reference frame is clamped to the frames 0..lastFrame. Announces
    // `Frames`, `Points` and `Stage`. The status panels follow the parts as they are taken in.
    void takeProject(const ProjectData& project, bool interlaced, int lastFrame, ProgressPort& progress);
    // The stages a replay moves through: aligned; the reference ready with the Stack page open.
    void markAligned();
    void openStackStage();
    // The reference computed again at the feature (the tracking starts afresh). Throws
    // KestraveError as the reference does.
    void rebuildReference(const ReferenceOptions& options, MessagePort& messages);
    // The furthest page a user may open.
    void setActivePage(TMainTab page);
    // Each alignment point's cut-offs filed as its optimizer files them after a run, from the
    // loaded slots, with the difference slider at `DifSliderMalign`.
    void restorePointCutoffs(int DifSliderMalign);
    // A stacked project's wavelet values restored. Announces `Wavelet`.
    void restoreWavelet(const ProjectWavelet& wavelet);
    // The step of the load the pages show next. Announces `ProjectStep`.
    void showReplayStep(const ReplayShowing& step);
};

}  // namespace kestrave
