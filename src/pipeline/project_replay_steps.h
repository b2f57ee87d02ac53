#pragma once
// What a project's load asks of the window while the pipeline runs it: the project's input taken,
// the stored controls restored and read back, and each stage the project had reached shown again
// on the pages and tool windows. The pipeline decides which step runs when, from the project's
// data; the window carries each step out.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "frames/input_plan.h"
#include "output/project_data.h"
#include "pipeline/replay_showing.h"
#include "registration/reference_options.h"

namespace kestrave {

enum class TMainTab : std::int32_t;

// The switches the restored controls hold, read once they are restored.
struct RestoredSwitches {
    bool interlaced = false;
    bool Usedarkframe = false;
    bool UseFlatfield = false;
    int lastFrame = 0;
};

// What a project's load leaves the window to show: whether it was loaded, the page to show, and
// the problems its reading met.
struct ProjectLoad {
    bool loaded = false;
    std::optional<TMainTab> shownTab;
    std::vector<std::string> problems;
    // A stacked project's stack slider position, kept when the page shown narrows the slider.
    std::optional<int> stackSlider;
};

class ProjectReplaySteps {
public:
    virtual ~ProjectReplaySteps() = default;
    // The project's input, taken as the project's load takes it; false (the old input kept) when
    // it cannot be taken.
    virtual bool takeInput(const InputPlan& plan) = 0;
    // The stored control values put back, then the box size they name put in force.
    virtual void restoreControls(const ProjectData& project) = 0;
    virtual void applyBoxSize() = 0;
    virtual RestoredSwitches switches() = 0;
    // The taken project shown: resampling, the frames' checks, the points' list and the frame
    // (the reference frame is shown as `ProjectStep` announces it).
    virtual void showProject(const ProjectData& project) = 0;
    virtual void loadDarkFrame(const std::string& file, int type) = 0;
    virtual void loadFlatField(const std::string& file, int type) = 0;
    // The registration graph's switch ticked, its windows shown and the graph drawn.
    virtual void showRegistrationGraph() = 0;
    virtual void enableOptimizePasses() = 0;
    virtual void selectTab(TMainTab tab) = 0;
    // Around the reference's computing again: the feature's hint and box outline put away before,
    // the options read, the tool windows shown as chosen after.
    virtual void beforeReference() = 0;
    virtual ReferenceOptions referenceOptions() = 0;
    virtual void afterReference() = 0;
    virtual void enableStackPasses() = 0;
    // The stack's controls after the stack count is restored: preview, difference cut, stack list.
    virtual void showStackControls(int stackSlider, int differenceCut, int stackListCount) = 0;
    // The alignment points' difference slider, which scales each point's difference cut.
    virtual int pointDifferenceSlider() = 0;
    // The stacking and the processing run again, unattended.
    virtual void stackAgain() = 0;
    virtual void processAgain() = 0;
};

}  // namespace kestrave
