#include "registration/frame_limit_reference.h"

#include <algorithm>

#include "frames/pixel_helpers.h"
#include "registration/optimizer_passes.h"

namespace kestrave {

AutomaticFilterValues restartAlignment(FftEngine& fft, RegistrationState& registration, ProgramState& program,
                                       OptimizerState& optimizer, const FrameModel& model,
                                       const ImageDataSection& section, const Bitmap24& processed,
                                       const ReferenceOptions& options, MessagePort& messages) {
    CopyBitmap(processed, optimizer.ReferenceImage);
    optimizer.NewReferenceMade = true;
    program.progstatus = TProgStatus::psFeatureSet;
    program.TrackOffsetX = 0;
    program.TrackOffsetY = 0;
    const int half = fft.FFTSize / 2;
    registration.BoxLeft = program.FeatureX - half;
    registration.BoxTop = program.FeatureY - half;
    return CalculateReferenceFFT(fft, registration, program, model, section, optimizer.ReferenceImage,
                                 options, messages);
}

void markFramesForNewReference(FrameModel& model, AlignmentState& alignment, int lastPosition) {
    for (int j = 0; j <= std::min(lastPosition, MaxFrameIndex); ++j) {
        TFrameRec& rec = model.FrameTable[model.FrameRanking[j].Frame];
        rec.Slots[0].Difference = NewReferenceDifference;
        rec.Improvement = RunStartImprovement;
    }
    alignment.OptimizePass = 0;
}

}  // namespace kestrave
