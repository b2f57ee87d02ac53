#pragma once
// The ranking after an alignment pass: the frames' brightness relative to their mean, the frames
// ordered by quality, the selection that follows the ranking, the sum of the differences the
// optimizer reads, and the rank down to which the quality stays near the best.

#include <string>
#include <vector>

#include "frames/frame_model.h"

namespace kestrave {

// Sorts the first `count` entries of FrameRanking by Key, best (largest) first. Entries with
// equal keys keep their order; a key that is not a number counts as the lowest. Frame and Key
// move together; SavedKey stays where it is.
void SortRankingByQuality(FrameModel& model, int count);

// Slot 0 Brightness of every frame 0 .. lastFrame := MeanBrightness / the mean of MeanBrightness
// over the frames measured in this pass (`measured`, indexed by frame); frames not measured
// average in nothing. A mean not above 0 counts as 1e-20.
void relativeBrightness(FrameModel& model, int lastFrame, const std::vector<bool>& measured);

// One line of SelectFramesChecklist.
struct SelectionEntry {
    std::string name;
    bool checked = false;
};

struct RankingOptions {
    int lastFrame = 0;                  // PreviewSlider.MaxValue
    bool Resampled = false;             // "Resampling": the difference sum counts as 1
    double OptimizeQualitySpin = 80.0;  // percentage of the best quality shown as the cut-off
};

struct RankingOutcome {
    // AlignSlider, StackSlider and QUALSliderMalign maximum (usedframes - 1).
    int lastRank = 0;
    // SelectFramesChecklist in rank order; StackFramesList is its first lastRank + 1 lines.
    std::vector<SelectionEntry> selection;
    // The preview slider position after the ranking: the last rank whose quality stays above
    // OptimizeQualitySpin percent of the best (stopping at a dropped frame).
    int cutoffPosition = 0;
    double DifferenceSum = 0.0;
};

// Ranks frames 0 .. lastFrame by slot 0 Quality (FramesRanked := true) and selects the first
// usedframes ranks. Frames in `keptOut` (excluded while the pass ran: deselected before it,
// dropped, of the wrong size or deselected as misaligned) stay excluded whatever their rank.
RankingOutcome rankFrames(FrameModel& model, const RankingOptions& options, const std::vector<bool>& keptOut);

}  // namespace kestrave
