#pragma once
// A project (".ksp"): everything a project file holds about a piece of work, as plain values.
// The writer turns it into INI text, the reader builds it from such text; neither touches the
// frame model or a control. project_model.h moves it to and from the model.
//
// The file is INI text (TBigIniFile) in CR LF lines:
//
//   [Input]    filetype ("AVI", "BMP", "FIT", "JPG", "TIF", "PNG", "SER"), filedir; for video
//              avicount and filename, or aviname<i>/avistart<i>/avistop<i> per file; sername for
//              SER; darkfile/darkfiletype and flatfile/flatfiletype when those boxes are ticked;
//              sequencelength, progstatus, activepage (the shown page 1..5), usedframes,
//              refframe; stackslider, stackdifslider and stacktag (the last rank the stack
//              took) from progstatus 4; the wavelet keys at
//              progstatus 4 exactly; Alignpoints and hotx<p>/hoty<p>/hotFFT<p>; stackx, stacky,
//              resampled ("yes"/"no"), resamplevalue; im<i> (series: the file name) and Ex<i>
//              (1 = excluded) per frame
//   [Shifts<p>] X<i>, Y<i>  and  [Info<p>] D<i>, Q<i>  per alignment point p
//   [IShifts] Xa<i>, Ya<i>  and  [IInfo] Da<i>, Qa<i>  the second field of interlaced frames
//              (the shifts in pixels of the frames enlarged by resamplevalue when resampled is
//              "yes", as the resampled stack takes them; else in frame pixels)
//   [Ranking]  Rank<j>: the frame at rank j
//   [Form]     the window's stored control values
//
// The older single-point form has no Alignpoints: hotx/hoty hold the feature, and the sections
// "Shifts" and "Info" (no number) hold the whole-frame alignment.

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "frames/frame_model.h"
#include "output/project_wavelet.h"
#include "platform/errors.h"
#include "registration/alignment_point_types.h"

namespace kestrave {

inline constexpr char ProjectExtension[] = ".ksp";

// A file that cannot be taken as a project: it is refused before anything changes.
class ProjectError : public FileError {
public:
    using FileError::FileError;
};

enum class ProjectForm : std::uint8_t {
    Full,   // per-point sections, Alignpoints
    Older,  // one feature, sections "Shifts" and "Info" holding the whole-frame alignment
};

// One frame's alignment result as a project keeps it.
struct ProjectSlot {
    std::int32_t X = 0;
    std::int32_t Y = 0;
    float Difference = 0.0f;
    float Quality = 0.0f;
    bool operator==(const ProjectSlot&) const = default;
};

struct ProjectAviFile {
    std::string FileName;
    int FirstFrame = 0;
    int LastFrame = 0;
    bool operator==(const ProjectAviFile&) const = default;
};

struct ProjectCalibration {
    std::string FileName;
    int FileType = -1;
    bool operator==(const ProjectCalibration&) const = default;
};

struct ProjectData {
    ProjectForm form = ProjectForm::Full;

    // ---- input ----
    TInputType InputType = TInputType::itAVI;
    std::string filedir;  // the frames' folder
    // Video: the file (one AVI) or the files of a multi-file input (avicount + 1 entries).
    std::string AviName;
    std::vector<ProjectAviFile> aviFiles;
    // SER: the video file.
    std::string SerName;
    // Still-frame series: each frame's file name without folder.
    std::vector<std::string> frameNames;
    std::optional<ProjectCalibration> dark;
    std::optional<ProjectCalibration> flat;

    // ---- stage ----
    int sequencelength = 0;  // frames N
    int progstatus = 0;      // TProgStatus
    int activepage = 0;      // shown page 1..5 when saved, 0 for none
    int usedframes = 1;
    int refframe = 0;
    int stackslider = 0;  // from progstatus 4
    int stackdifslider = 0;
    int stacktag = -1;                      // the last rank the stack took; -1 when the file does not say
    std::optional<ProjectWavelet> wavelet;  // progstatus 4 exactly

    // ---- registration ----
    // Full form: the points 1..Alignpoints (one point is the single alignment box). Older form:
    // the feature alone, as point 1 with no box size.
    std::vector<AlignPoint> points;
    int stackx = 0;
    int stacky = 0;
    bool resampled = false;
    int resamplevalue = 1;

    // ---- per frame ----
    std::vector<bool> excluded;                          // N entries
    std::vector<std::vector<ProjectSlot>> slots;         // full: slots[p - 1] is point p; older: one
    std::optional<std::vector<ProjectSlot>> interlaced;  // the second field (slot 2)
    std::vector<int> ranking;                            // N entries: the frame at each rank

    // ---- the window's stored control values: "Key=Value" lines of section "Form" ----
    std::vector<std::string> formLines;

    int alignpoints() const { return static_cast<int>(points.size()); }
    bool isStillSeries() const { return InputType != TInputType::itAVI && InputType != TInputType::itSER; }
};

// "AVI", "BMP", … for the input types 0..6.
const char* projectFileType(TInputType type);

}  // namespace kestrave
