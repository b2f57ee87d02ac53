#pragma once
// The parts of loading a project that decide rather than do: which files make its input, what
// the window must replay to bring the work back to the stage the project reached, which pages
// may then be opened; and the move of a video that the older form's save renames after its
// project.
//
// A load runs in this order, so that a refused project changes nothing:
//   readProject                  the file, checked (project_file.h)
//   projectInputPlan             the input's files, found again where the project moved to
//   missingInputText, probeInput the input is there and readable
//   checkProjectFitsInput        the project fits that input (project_model.h)
//   per-input reset, applyInput  the input becomes the current one
//   restore the "Form" values, applyProject, then the steps of planReplay in order
//   loadedPages                  the pages that may be opened and the one shown

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "frames/input_selection.h"
#include "frames/program_state.h"
#include "output/project_data.h"

namespace kestrave {

inline constexpr char MissingFileCaption[] = "Missing file";

// The files of the project's input. A folder or video that no longer exists where the project
// says is looked for by its file name in the project file's folder (projects moved with their
// frames, or written on another system). Throws ProjectError for a SER project that names no
// video.
InputPlan projectInputPlan(const ProjectData& project, const std::filesystem::path& projectFile);

// The "Missing file" text for the first file of the plan that does not exist ("Error : Avifile …
// missing, project not loaded", "Error : Bitmapfile …"); empty when every file is there.
std::string missingInputText(const InputPlan& plan);

enum class ReplayStep : std::uint8_t {
    LoadDarkFrame,           // the project's dark frame, through the project reload
    LoadFlatField,           // likewise the flat field
    DrawRegistrationGraph,   // aligned: tick ShowGraphbox, draw the graph, show its pointer
    OpenStackPage,           // optimized: enable the optimize buttons; stage "reference ready",
                             // the Stack page may be opened and is shown
    RebuildReference,        // feature set or later: the box around the feature, the reference
                             // spectrum, the tool windows as their boxes say
    ShowRegistrationGraph,   // optimized or later: enable and tick ShowGraphbox, draw the graph
    RestoreStackControls,    // stacked: the stack sliders and the stack list (values below)
    RestoreWaveletControls,  // stacked: the wavelet sliders and scheme the project recorded
    StackAgain,              // stacked: the Stack page's stacking, with the unattended answers
    ProcessAgain,            // stacked: the wavelet processing of the new stack
};

struct ReplayPlan {
    std::vector<ReplayStep> steps;
    // RestoreStackControls: StackSlider and PreviewSlider; differencecutslider (a stored 100
    // stands for 1000); StackFramesList holds the first stackListCount ranks.
    int stackSlider = 0;
    int differenceCut = 0;
    int stackListCount = 0;
};

// The steps that bring a loaded project back to its stage, in order. The dark frame and flat
// field are reloaded only while their boxes are ticked (after the "Form" values are restored).
ReplayPlan planReplay(const ProjectData& project, bool Usedarkframe, bool UseFlatfield);

struct LoadedPages {
    // The highest page that may be opened: the larger of the stored "activepage" and the one
    // the replay reached, within 0..5 — a stacked project saved on "Align" keeps its Stack and
    // Wavelet pages.
    TMainTab activepage = TMainTab::tabAlign;
    // The page to show: stored 1..4 show "Align".."Wavelet"; other values change nothing.
    std::optional<TMainTab> shownTab;
};
LoadedPages loadedPages(int storedActivepage, TMainTab replayActivepage);

// The name the older form's save gives the video: the project's name with ".avi", in the
// video's own folder.
std::filesystem::path videoNamedAfterProject(const std::filesystem::path& video,
                                             const std::filesystem::path& project);

// Moves a file, also across file systems (copy, then delete the original). Never replaces a
// file: throws FileError when `to` exists or the move fails, and then leaves `from` in place.
void moveFile(const std::filesystem::path& from, const std::filesystem::path& to);

}  // namespace kestrave
