#pragma once
// The frame limit ("Limit"): the ranked frames up to the ranking position the user moved the
// preview slider to are kept for optimizing and stacking, and the quality of the frame at that
// position, relative to the best, becomes the optimizer's quality limit. With several alignment
// points graded one by one ("Multi-Quantity") every point keeps its own best frames instead.

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "frames/frame_model.h"
#include "frames/program_state.h"
#include "registration/alignment_points.h"
#include "registration/frame_limit_values.h"
#include "registration/optimizer_state.h"

namespace kestrave {

// The limit: LimitCount := the preview position (1 for position 0); with "None" the
// ranking becomes the frame order; RelativeLimit := Key(position) / Key(0) (a best key of 0 or
// below counts as 1e-20) and q = Round(RelativeLimit x 20) x 5 - 5 goes to PointQualityCut[1] (and
// the spin when it moved by more than 5). With several points and Multi-Quantity every frame is
// excluded first, then each point p takes the quality c at position LimitCount of its qualities
// sorted from best down, and every frame with a point-p quality >= c is included again (a frame
// whose sample was dropped stays out); LimitCount becomes the last included position. Without
// Multi-Quantity every point's PointLimitCount becomes LimitCount.
// ProcessStage becomes stAligned and the stacking page may be opened.
FrameLimitResult limitFrames(FrameModel& model, ProgramState& program, OptimizerState& optimizer,
                             PointLimits& points, const FrameLimitInput& input);

// Where the quality limit in percent places the frame slider over the ranked frames 0 .. last:
// past rank 0 for as long as a rank's quality stays above `percent` of the best and its frame was
// not dropped; the result is the last such rank (0 when none is).
int qualityCutoffPosition(const FrameModel& model, int last, double percent);

}  // namespace kestrave
