#pragma once
// Moving a project between the run's state and its plain values: what a save takes from the
// frame model, the point arrays and the program state, and what a load puts back into them.
//
// The whole-frame alignment (slot 0) travels in the first point's sections: a load gives slot 0
// a copy of slot 1 once that slot is complete. A single-box project therefore stores slot 0
// there (its slot 1 holds nothing of its own), and a multi-point project slot p for point p.
// The shifts are written in the pixels of the stack the project names (enlarged by its
// resampling factor when it resamples) and read back in that unit.

#include <string>
#include <vector>

#include "frames/frame_model.h"
#include "frames/program_state.h"
#include "output/project_data.h"
#include "output/project_values.h"
#include "platform/progress_port.h"
#include "registration/alignment_points.h"

namespace kestrave {

// The project of the current work. `form` Older keeps the feature and the whole-frame alignment
// only (video input).
ProjectData captureProject(const FrameModel& model, const ProgramState& state, const AlignmentPoints& points,
                           const ProjectControls& controls, ProjectForm form);

// Refuses, with a ProjectError, a project that the probed input cannot hold: more frames than
// the input has, or an alignment point off its frames. Run before anything of the current work
// is given up.
void checkProjectFitsInput(const ProjectData& project, int inputFrames, int frameWidth, int frameHeight);

// Puts the project's frames, ranking, points and stage into the model and state (after the
// input was taken): every frame's exclusion, its slots (the point sections into slots 1..n and
// the saved shifts, then slot 0 := slot 1; the older form's sections into slot 0), the second
// field (slot 2) when `interlacedTicked` and the project has it, the ranking keyed by slot 0's
// quality, usedframes and SingleImage, the points (more than one: multi-point mode), the
// feature, stackx/stacky and progstatus. The ranking is not marked valid (FramesRanked stays
// clear): the preview browses frames in frame order after a load. The status panels and the
// progress bar follow the parts as they are taken in (" - excluded frames", " - X,Y shifts",
// " - Quality,Difference", " - interlaced X,Y", " - interlaced info", "- frame ranking ", " ").
void applyProject(const ProjectData& project, FrameModel& model, AlignmentPoints& points, ProgramState& state,
                  bool interlacedTicked, ProgressPort& progress);

}  // namespace kestrave
