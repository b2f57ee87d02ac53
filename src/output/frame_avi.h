#pragma once
// The two videos made of the frames of the stack list, written by AviWriter:
//
// - the registered AVI: every listed frame that is not excluded, cut out at its registered
//   position so that the object stands still;
// - the integrated AVI: every output frame a small stack of neighbouring listed frames, as a
//   moving average (one output frame per centre position) or compressed (one per group of n).
//
// Both write in frame-number order, ask before replacing a file (and never replace an input
// file), write under a temporary name that is renamed only once the video is complete, and
// finish the file with the frames written so far when cancelled. Frames that cannot be read are
// left out and named to the user. Neither changes the user's frame exclusions, the stack or the
// program state.

#include <filesystem>
#include <string>
#include <vector>

#include "frames/frame_model.h"
#include "frames/frame_source.h"
#include "frames/image_data_section.h"
#include "frames/program_state.h"
#include "output/avi_options.h"
#include "output/avi_writer.h"
#include "output/save_rules.h"
#include "platform/bitmap24.h"
#include "platform/progress_port.h"
#include "stacking/stack_options.h"

namespace kestrave {

// Copies the width x height rectangle of `source` whose top-left is (left, top) into `dest`
// (resized to it); the parts outside the source are black.
void cutOut(const Bitmap24& source, int left, int top, int width, int height, Bitmap24& dest);

// The frames among the ranks 0..lastRank that are not excluded, in frame-number order.
std::vector<int> registeredAviFrames(const FrameModel& model, int lastRank);

// Where frame f's cut-out lies: its top-left is f's whole-frame shift (frame pixels) + offset.
struct AviCutOutPlan {
    int width = 0;
    int height = 0;
    int offsetX = 0;
    int offsetY = 0;
};
// "Alignment area": FFTSize square around the feature. "Maximum area": the part of the reference
// frame that every listed frame covers, (frame width - shift range) x (frame height - shift
// range); its width or height is 0 or less when the shifts leave no such part.
AviCutOutPlan registeredCutOut(const FrameModel& model, const std::vector<int>& frames,
                               const RegisteredAviOptions& options);

AviResult writeRegisteredAvi(const std::filesystem::path& chosenFile, const FrameModel& model,
                             FrameSource& frames, const RegisteredAviOptions& options, SaveContext& context,
                             ProgressPort& progress);

// A group of list positions [first, last] stacked into one output frame.
struct IntegrationGroup {
    int first = 0;
    int last = 0;
};
// Moving average: centres c = h .. count - h - 1 (h = n div 2), each the positions c - h .. c + h;
// compressed: positions g n .. g n + n - 1 for g = 0 .. (count - 1) div n, the last group cut at
// the list's end.
std::vector<IntegrationGroup> integrationGroups(int count, int n, IntegrationMethod method);

// Every frame among the ranks 0..lastRank, excluded or not, in frame-number order.
std::vector<int> integratedAviFrames(const FrameModel& model, int lastRank);

// Stacks each group with the options given (plain stacking: no sigma passes, no questions) into a
// working section of its own; the user's exclusions, stack planes, image size and program state
// are as before afterwards. Each stack is centred into the size of the first.
AviResult writeIntegratedAvi(const std::filesystem::path& chosenFile, FrameModel& model,
                             const ProgramState& state, ImageDataSection& section, FrameSource& frames,
                             const IntegratedAviOptions& options, SaveContext& context,
                             ProgressPort& progress);

}  // namespace kestrave
