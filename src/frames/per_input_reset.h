#pragma once
// The reset that runs before a new input is taken: it puts the per-input state of the frame
// model, the program state and the processing area back to its start values and sets the FFT
// engine up again for the chosen box size. The window resets its own controls around it.

#include "frames/frame_model.h"
#include "frames/image_data_section.h"
#include "frames/input_reset_options.h"
#include "frames/program_state.h"
#include "platform/progress_port.h"

namespace kestrave {

// The FFT engine as the reset uses it; the registration side implements it.
class FftSetupPort {
public:
    virtual ~FftSetupPort() = default;
    // Sets the engine up for boxes of n × n (a power of two, 32..512).
    virtual void InitFFT(int n) = 0;
    // Rebuilds the band mask for the current size: 1 where filterRadius is strictly greater than
    // the cell's frequency radius, else 0.
    virtual void BuildBandMask(double filterRadius) = 0;
};

// Puts the per-input state back before a new input is taken: the per-frame results and the
// ranking keys of the tables, the input flags that a new input sets again, the feature, the boxes
// and rectangles drawn by the user, the tracking offset, the channel shifts, the render levels and
// the processing-area corner; it sets the FFT engine up again and clears the cancel flag. Fields
// it does not name keep their values: the alignment pass rewrites them before it reads them.
ResetResult initializesettings(FrameModel& model, ProgramState& state, ImageDataSection& section,
                               const ResetControls& controls, FftSetupPort& fft, ProgressPort& progress);

}  // namespace kestrave
