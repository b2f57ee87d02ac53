#pragma once
// The reference spectrum: the alignment box of the reference frame, read from the preview
// picture, turned into levels, transformed and limited to the FFT filter's pass band. Every frame
// is later registered against it. From the radial profile of the box's spectrum the same
// computation derives automatic values for the FFT filter radius and for the frequency band of
// the spectral quality figure.

#include <array>
#include <cmath>
#include <optional>

#include "frames/frame_model.h"
#include "frames/image_data_section.h"
#include "frames/program_state.h"
#include "platform/bitmap24.h"
#include "platform/message_port.h"
#include "registration/fft.h"
#include "registration/reference_options.h"
#include "registration/registration_state.h"

namespace kestrave {

// The dark plane taken off the box levels, the same for the reference and for every frame aligned
// on it (the green plane, which is also the one a monochrome stack subtracts).
inline const T2dArrays& alignmentDarkPlane(const ImageDataSection& section) {
    return section.DarkPlanes[1];
}

// The number of bins counted from `first`, adding profile[first], profile[first + 1], … while
// the running sum stays below `target` and the bin index is at most `last` (at most 255): the
// index after the last bin added, `first` when none was needed.
int binCountReaching(const std::array<float, kRadialBins>& profile, int first, int last, double target);

// The automatic quality band from the profile now in the engine (weighted or not as the method
// asks): Classic starts at the bin count reaching 0.65 of the energy in bins 0..N/2 and is as wide
// as the next 0.2 of it (looking no further than bin N/2); Human Visual starts at the count
// reaching half of it. Returns {start, end}; end is only meaningful for Classic.
QualityBandBins automaticQualityBand(const FftEngine& fft, int HVSWeighting);

// Computes the reference from the picture of the reference frame in `preview` (24-bit, the frame
// FrameWidth x FrameHeight of `model`) for the box at (BoxLeft, BoxTop) of side FFTSize:
// - Image1 := the preview, de-interlaced for interlaced input;
// - FFTWindowPlane := the levels of the box (weighted luminance, less the rounded bias when
//   asked, not below 0, less dark x 0.0078125 from the blue dark plane when asked); cells outside
//   the frame are 0;
// - the spectrum of the levels less their mean over all N x N cells (1e-10 for an all-black box),
//   without taper, and its radial profile;
// - the automatic radius (applied at ProcessStage 3 when the pick placed the box or the radius
//   is not manual: the band mask is rebuilt with it), and for the spectral methods the automatic
//   quality band (the start where the pick placed the box or the band is not manual, the width
//   where it is not manual);
// - RefSpectrumRe/Im := the spectrum multiplied by the band mask.
// A dark frame that does not cover the frame is not subtracted; the user is told so.
// Afterwards the engine's RadialProfile is the profile of the box (weighted for Human Visual).
AutomaticFilterValues CalculateReferenceFFT(FftEngine& fft, RegistrationState& registration,
                                            const ProgramState& program, const FrameModel& model,
                                            const ImageDataSection& section, const Bitmap24& preview,
                                            const ReferenceOptions& options, MessagePort& messages);

}  // namespace kestrave
