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
#include "registration/registration_state.h"

namespace kestrave {

// Limits of the spin edits that receive automatic values.
inline constexpr double FFTFilterMin = 2.0;
inline constexpr double FFTFilterMax = 80.0;
inline constexpr double QualityFilterMin = 1.0;
inline constexpr double QualityFilterMax = 250.0;
inline constexpr double QualFilterDXMin = 1.0;
inline constexpr double QualFilterDXMax = 50.0;

// How the level of a box pixel is formed besides the colour weighting: the bias and the dark
// frame are taken off. Frames are aligned with the same settings as the reference.
struct BoxLevelOptions {
    bool biasSubtract = false;  // "Bias subtract" (Blurbox) checked
    double bias = 50.0;         // value of the Bias spin; rounded before use
    bool darkSubtract = false;  // Usedarkframe checked and Rawdark not
};

// The level of one box pixel whose colour weighting gave `value`: with bias subtraction less
// Round(bias), and not below 0; then less dark x 0.0078125 (the dark planes hold 128 times the
// dark level), where `dark` is null when no dark frame is subtracted.
inline float boxLevel(float value, const BoxLevelOptions& options, const float* dark) {
    if (options.biasSubtract) value -= static_cast<float>(std::nearbyint(options.bias));
    if (value < 0.0f) value = 0.0f;
    if (dark != nullptr) value -= *dark * 0.0078125f;
    return value;
}

// The dark plane taken off the box levels, the same for the reference and for every frame aligned
// on it (the green plane, which is also the one a monochrome stack subtracts).
inline const T2dArrays& alignmentDarkPlane(const ImageDataSection& section) {
    return section.DarkPlanes[1];
}

// The control values the reference computation reads.
struct ReferenceOptions {
    // Weights of red, green and blue in the luminance of a pixel.
    std::array<float, 3> LumWeights{0.299f, 0.587f, 0.114f};
    BoxLevelOptions levels;
    // The quality method is spectral ("Classic" or "Human Visual", not QualityFromImage); only
    // then is the quality band set automatically.
    bool spectralQuality = true;
    // 1 for "Human Visual", 0 otherwise.
    int HVSWeighting = 0;
    // Interlaced input (interlaced), with the fields side by side (Interlacehoriz).
    bool interlaced = false;
    bool Interlacehoriz = false;
    // Current values of FFTFilterspin, QualityFilter and QualFilterDX.
    double FFTFilter = 10.0;
    double QualityFilter = 12.0;
    double QualFilterDX = 5.0;
};

// What the reference computation derived from the box. A value that is set is to be written into
// its spin edit (it already lies within the spin's limits); one that is not set stays as it is.
struct AutomaticFilterValues {
    // The automatic FFT filter radius in frequency bins, before the spin's limits.
    int radiusBins = 0;
    std::optional<double> FFTFilter;
    std::optional<double> QualityFilter;
    std::optional<double> QualFilterDX;
};

// The options with the automatic values written into them, as the controls hold them afterwards.
ReferenceOptions withAutomaticValues(ReferenceOptions options, const AutomaticFilterValues& values);

// The number of bins counted from `first`, adding profile[first], profile[first + 1], … while
// the running sum stays below `target` and the bin index is at most `last` (at most 255): the
// index after the last bin added, `first` when none was needed.
int binCountReaching(const std::array<float, kRadialBins>& profile, int first, int last, double target);

// The automatic quality band from the profile now in the engine (weighted or not as the method
// asks): Classic starts at the bin count reaching 0.65 of the energy in bins 0..N/2 and is as wide
// as the next 0.2 of it (looking no further than bin N/2); Human Visual starts at the count
// reaching half of it. Returns {start, end}; end is only meaningful for Classic.
struct QualityBandBins {
    int start = 0;
    int end = 0;
};
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
