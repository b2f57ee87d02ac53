#pragma once
// A project's values as the window meets them: what its controls add to a project, a project as
// read, the section of the stored control values, and the parts of a load that decide rather than
// do (the steps of the replay, the pages that may then be opened, the name the older form gives
// the video).

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "frames/input_plan.h"
#include "frames/program_state.h"
#include "output/project_data.h"
#include "persist/big_ini_file.h"

namespace kestrave {

inline constexpr char MissingFileCaption[] = "Missing file";

// What the window's controls add to a project.
struct ProjectControls {
    int lastFrame = 0;  // PreviewSlider's maximum: the project holds frames 0..lastFrame
    int refframe = 0;
    bool Usedarkframe = false;
    bool UseFlatfield = false;
    bool interlaced = false;
    bool Resampled = false;
    int ResampleSpin = 1;         // rounded
    int shownPage = 0;            // 1 "Align" .. 5 "Final", 0 on "About"
    int StackSlider = 0;          // position
    int differencecutslider = 0;  // position
    int StackSliderTag = 0;       // the last rank the stack takes
    ProjectWavelet wavelet;
    int FFTSize = 0;                     // the single alignment box's side (FFTsizeGroup)
    std::vector<std::string> formLines;  // "Key=Value" lines of the form storage's "Form" section
};

struct ProjectRead {
    ProjectData project;
    // What was clipped or put back to its default on the way, one line each; empty when the file
    // was taken as it stands.
    std::vector<std::string> problems;
};

// The section of the window's stored control values.
inline constexpr char ProjectFormSection[] = "Form";
// Puts "Key=Value" lines into that section (lines without a key are left out); the window's form
// storage restores from such an object and saves into one, so the values never pass through a
// file of their own.
void putFormLines(TBigIniFile& ini, const std::vector<std::string>& lines);

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
    RestorePointCutoffs,     // optimized or later, with points: each point's cut-offs as its
                             // optimizer left them
    RestoreWaveletControls,  // stacked: the wavelet sliders and scheme the project recorded
    StackAgain,              // stacked: the Stack page's stacking, with the unattended answers
    ProcessAgain,            // stacked: the wavelet processing of the new stack
};

struct ReplayPlan {
    std::vector<ReplayStep> steps;
    // RestoreStackControls: StackSlider and PreviewSlider; differencecutslider (a stored 100
    // stands for 1000); StackFramesList holds the first stackListCount ranks.
    int stackSlider = 0;
    int stackBound = 0;  // the last rank the stack takes
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

// A project file opened for loading: the project read, the files of its input, and the
// "Missing file" text when one of them is not there.
struct ProjectOpening {
    ProjectRead read;
    InputPlan plan;
    std::string missingInput;
};

}  // namespace kestrave
