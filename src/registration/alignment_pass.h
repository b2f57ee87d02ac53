#pragma once
// The alignment pass: every frame of the input that is not excluded is read through the frame
// source and aligned, then the frames' brightness is made relative to their mean and the frames
// are ranked by quality.
//
// Without object tracking the frames do not depend on one another: they are read ahead and
// measured on every core, and only the lock test, the questions and the writes follow the frames
// in order. With tracking each frame's box is placed from the frame before: the frames are
// measured ahead where the tracking is expected to place their boxes, and measured again in order
// where it places one elsewhere. The results are the same whatever the number of threads.

#include <optional>
#include <string>
#include <vector>

#include "frames/frame_source.h"
#include "registration/align_frame.h"
#include "registration/ranking.h"
#include "registration/registration_graph.h"

namespace kestrave {

// The control values the pass reads besides those of the frame alignment.
struct AlignmentPassOptions {
    AlignOptions align;
    // PreviewSlider.MaxValue: the last frame index of the input.
    int lastFrame = 0;
    // "Darkframe" (Usedarkframe) and "Flatfield" (UseFlatfield) with the sizes of the loaded
    // dark frame and flat field; a size other than the frame size switches them off.
    bool Usedarkframe = false;
    int DarkWidth = 0;
    int DarkHeight = 0;
    bool UseFlatfield = false;
    int FlatWidth = 0;
    int FlatHeight = 0;
    // "Resampling": the difference sum counts as 1.
    bool Resampled = false;
    double OptimizeQualitySpin = 80.0;
    // Optimizegraph ("Difference"): the registration graph is drawn after the pass.
    bool Optimizegraph = true;
    std::string RegistrationCaption;
    // The AVI input has more than 8 bits per sample (the caption says "HI-AVI").
    bool highBitInput = false;
};

enum class PassEnd {
    Finished,
    Cancelled,  // progstatus and activepage are 0; the stored reference picture goes back to the preview
    Failed,     // an error (the quality plug-in, a frame that cannot be read) was shown; as cancelled
};

struct AlignmentPassResult {
    PassEnd end = PassEnd::Finished;
    std::string error;
    // Usedarkframe / UseFlatfield are to be unchecked: their size did not match the frames.
    bool darkframeSwitchedOff = false;
    bool flatfieldSwitchedOff = false;
    // Expandstack is to be checked: the frames came from several AVI files.
    bool expandStack = false;
    RankingOutcome ranking;
    // With Optimizegraph: the registration graph over the ranks 0 .. ranking.lastRank.
    std::optional<RegistrationGraphData> graph;
    // After the alignment of two or more points: the distance between points 1 and 2 in every
    // frame, by frame index.
    std::vector<double> pointDistances;
};

// Aligns frames 0 .. lastFrame of the input. Every flag of the pass (InAlignPass, WaitForClick,
// ForceRealign, NextSegmentPending, HaltRequested) is clear again when it returns, however it
// ends. The frame source must put every frame's 8-bit picture into FrameBuffers::Preview.
AlignmentPassResult Alignallframes(AlignContext& context, const AlignmentPassOptions& options,
                                   FrameSource& source);

}  // namespace kestrave
