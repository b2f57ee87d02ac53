// Project files (".ksp"): any text gives a project within the tables' bounds or a message; the
// project read, written and read again writes the same bytes; and loading it into a model,
// checking it against an input and planning its replay stay within the model's tables. The input
// files it names are looked for as a load looks for them, and the model it was loaded into,
// saved again, gives back its frames: exclusions, ranking and alignment slots.

#include <algorithm>
#include <cmath>

#include "fuzz_support.h"
#include "output/project_file.h"
#include "output/project_load.h"
#include "output/project_model.h"

using namespace kestrave;

namespace {

void checkBounds(const ProjectData& p) {
    const auto frames = static_cast<std::size_t>(p.sequencelength);
    FUZZ_CHECK(p.sequencelength >= 1 && p.sequencelength <= FrameCapacity);
    FUZZ_CHECK(p.alignpoints() >= 1 && p.alignpoints() <= MaxAlignPoints);
    FUZZ_CHECK(p.excluded.size() == frames && p.ranking.size() == frames);
    FUZZ_CHECK(p.frameNames.empty() || p.frameNames.size() == frames);
    FUZZ_CHECK(p.aviFiles.size() <= static_cast<std::size_t>(MaxAviSegments));
    FUZZ_CHECK(p.progstatus >= 0 && p.progstatus <= 4);
    FUZZ_CHECK(p.usedframes >= 1 && p.usedframes <= p.sequencelength);
    FUZZ_CHECK(p.refframe >= 0 && p.refframe < p.sequencelength);
    for (int frame : p.ranking) FUZZ_CHECK(frame >= 0 && frame < p.sequencelength);
    for (const std::string& name : p.frameNames) FUZZ_CHECK(name.find_first_of("/\\") == std::string::npos);
    const auto slotsOk = [&](const std::vector<ProjectSlot>& slots) {
        FUZZ_CHECK(slots.size() == frames);
        for (const ProjectSlot& s : slots) {
            FUZZ_CHECK(std::abs(s.X) <= 4 * MaxFrameSize && std::abs(s.Y) <= 4 * MaxFrameSize);
            FUZZ_CHECK(std::isfinite(s.Quality) && std::isfinite(s.Difference));
        }
    };
    for (const auto& slots : p.slots) slotsOk(slots);
    if (p.interlaced) slotsOk(*p.interlaced);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The model's tables are large and reused; a load writes only the project's frames.
    static FrameModel model;
    const auto path = fuzz::writeInput({data, size}, "input.ksp");
    const auto copy = fuzz::scratchFile("copy.ksp");
    const auto again = fuzz::scratchFile("again.ksp");
    fuzz::expectMessages([&] {
        const ProjectRead read = readProject(path);
        checkBounds(read.project);
        writeProject(copy, read.project);
        const ProjectRead reread = readProject(copy);
        FUZZ_CHECK(reread.problems.empty());
        writeProject(again, reread.project);
        FUZZ_CHECK(fuzz::readHarnessFile(copy) == fuzz::readHarnessFile(again));

        const ProjectData& p = read.project;
        const ReplayPlan plan = planReplay(p, true, true);
        FUZZ_CHECK(plan.stackListCount >= 0 && plan.stackListCount <= p.sequencelength);
        const LoadedPages pages = loadedPages(p.activepage, TMainTab::tabStack);
        FUZZ_CHECK(pages.activepage >= TMainTab::tabStack && pages.activepage <= TMainTab::tabAbout);
        checkProjectFitsInput(p, FrameCapacity, MaxFrameSize, MaxFrameSize);
        AlignmentPoints points;
        ProgramState state;
        NullProgress progress;
        applyProject(p, model, points, state, true, progress);
        FUZZ_CHECK(points.Alignpoints == p.alignpoints() && points.MultiPointMode == (p.alignpoints() > 1));
        for (int j = 0; j < p.sequencelength; ++j) FUZZ_CHECK(model.FrameRanking[j].Frame < p.sequencelength);

        ProjectControls controls;
        controls.lastFrame = p.sequencelength - 1;
        controls.refframe = p.refframe;
        controls.interlaced = p.interlaced.has_value();
        const ProjectData saved = captureProject(model, state, points, controls, p.form);
        FUZZ_CHECK(saved.excluded == p.excluded && saved.ranking == p.ranking);
        FUZZ_CHECK(saved.progstatus == p.progstatus && saved.usedframes == p.usedframes);
        // Point 2 and the second field share a slot: with both, the field is what stays.
        if (!(p.interlaced && p.alignpoints() > 1)) FUZZ_CHECK(saved.slots == p.slots);
        if (p.interlaced) FUZZ_CHECK(saved.interlaced == p.interlaced);

        const InputPlan input = projectInputPlan(p, path);
        FUZZ_CHECK(!p.isStillSeries() || input.files.size() == p.frameNames.size());
        const std::string missing = missingInputText(input);
        FUZZ_CHECK(missing.empty() || missing.starts_with("Error : "));
        FUZZ_CHECK(videoNamedAfterProject(p.AviName, path).extension() == ".avi");
    });
    return 0;
}
