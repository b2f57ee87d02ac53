#pragma once
// Run state of the optimizer: the quality limit below which frames are left alone, the status of
// the last pass, and the reference picture made from a processed stack. (The pass count and the
// total difference live in the AlignmentState, which the alignment pass resets.) The application
// owns one OptimizerState beside the RegistrationState and passes it by reference.

#include <string>

#include "platform/bitmap24.h"

namespace kestrave {

struct OptimizerState {
    OptimizerState() = default;
    // Holds a picture: passed by reference, never copied.
    OptimizerState(const OptimizerState&) = delete;
    OptimizerState& operator=(const OptimizerState&) = delete;

    // Frames whose quality is below this share of the best frame's are not optimized.
    float RelativeLimit = 0.0f;
    // The reference was rebuilt from the processed picture: the next run restarts every frame
    // against it, and every pass compares with ReferenceImage.
    bool NewReferenceMade = false;
    // True while a pass runs.
    bool InOptimizePass = false;
    // "(% improvement : n)" of the last pass, appended to the status line.
    std::string OptimizerStatusText;
    // Start of the registration graph's caption.
    std::string RegistrationCaption;
    // The processed picture that became the reference ("Realign with processed").
    Bitmap24 ReferenceImage;
    // The reference was made with multi-point mode on.
    bool MultiPointReference = false;
    // The frames of the optimizer's chart: those the last limit kept or the last optimizer pass
    // took (none for a new input).
    int ChartedFrames = 0;
};

}  // namespace kestrave
