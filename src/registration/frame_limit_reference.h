#pragma once
// The registration side of a new reference frame ("Create"): the best frames are optimized,
// stacked and processed by the caller, the user enhances the result, and the processed picture
// then becomes the alignment reference ("Realign with processed"); every frame restarts against
// it at the next optimizer run.

#include "frames/frame_model.h"
#include "frames/image_data_section.h"
#include "frames/program_state.h"
#include "platform/bitmap24.h"
#include "platform/message_port.h"
#include "registration/align_state.h"
#include "registration/fft.h"
#include "registration/optimizer_state.h"
#include "registration/reference.h"
#include "registration/registration_state.h"

namespace kestrave {

// The difference every frame up to the limit gets after a reference was made from its stack.
inline constexpr float NewReferenceDifference = 65535.0f;

// Realigning on the processed picture: `processed` (the processed picture of the wavelet page, in frame
// pixels) becomes ReferenceImage and, through the reference computation, Image1; the reference
// spectrum is computed from the box around the feature (BoxLeft/Top := Feature - N div 2) with
// the tracking offsets cleared; progstatus goes back to psFeatureSet and NewReferenceMade is set.
// Returns the automatic filter values for the window to write into its controls.
AutomaticFilterValues restartAlignment(FftEngine& fft, RegistrationState& registration, ProgramState& program,
                                       OptimizerState& optimizer, const FrameModel& model,
                                       const ImageDataSection& section, const Bitmap24& processed,
                                       const ReferenceOptions& options, MessagePort& messages);

// After "Create" stacked the best frames: every position 0..lastPosition gets the difference
// 65535 and Improvement 90, and the pass count starts again.
void markFramesForNewReference(FrameModel& model, AlignmentState& alignment, int lastPosition);

}  // namespace kestrave
