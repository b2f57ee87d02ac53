#pragma once
// The spectral quality figure of a frame ("Classic" and "Human Visual"): the share of the radial
// profile of the frame's aligned box that falls into a band of spatial frequencies. A sharp frame
// keeps more energy at the frequencies of the band than a blurred one.

#include <array>
#include <string>
#include <vector>

#include "frames/frame_model.h"
#include "frames/gamma_table.h"
#include "frames/program_state.h"
#include "registration/fft.h"

namespace kestrave {

// The profile bins that the figure and the chart take: 0 .. 50.
inline constexpr int SpectralChartBins = 51;
// The upper end (excluded) of the "Human Visual" band.
inline constexpr int HumanVisionBandEnd = 60;

struct SpectralBandSums {
    double band = 0.0;   // the profile over the bins i with lo < i < lo + dx
    double total = 0.0;  // the profile over bins 0 .. 50
};

// The band lo < i < lo + dx is summed over the bins it shares with 0 .. 50. A band wholly above
// bin 50 (lo >= 50) would give every frame the figure 0 and leave the ranking meaningless; it is
// summed over the bins it covers up to 255 instead. The total always covers 0 .. 50.
SpectralBandSums spectralBandSums(const std::array<float, kRadialBins>& profile, int lo, int dx);

// What the figure of one frame reads.
struct FrameQualityInput {
    double QualityFilter = 12.0;  // the QualityFilter spin: the band's lower end, excluded
    double QualFilterDX = 5.0;    // the QualFilterDX spin: the band's width
    bool QualityHumanVision = false;
    bool QualityFromImage = false;
    TProgStatus progstatus = TProgStatus::psNone;
    int CurrentFrame = 0;
    bool interlaced = false;
    int InterlaceField = 0;
};

// The frame's figure and what the "Registration " chart shows of it.
struct FrameQualityReadout {
    float quality = 0.0f;
    // The power spectrum: bins 0 .. 50 relative to the profile's largest bin, through the gamma
    // table.
    std::vector<double> spectrum;
    double bottomIncrement = 1.0;
    std::string title;  // the first line of the chart's title
};

// The figure of frame CurrentFrame from the radial profile now in the engine (the profile of its
// aligned box). During the alignment pass (progstatus psAligned) the figure is the band's sum;
// otherwise it is the band's share of the total. With the Human Visual method the band ends at
// bin 60 whatever its width says; with a method that grades the picture itself the figure is the
// slot-0 quality that method already stored. The figure goes into slot 0 Quality of the frame
// (interlaced: field 0 into slot 2, field 1 into slot 0). RadialProfileMax grows by 1e-10.
FrameQualityReadout EstimateFrameQuality(FftEngine& fft, const GammaTableArray& GammaTable,
                                         const FrameQualityInput& input, FrameModel& model);

}  // namespace kestrave
