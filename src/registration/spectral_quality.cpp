#include "registration/spectral_quality.h"

#include <algorithm>
#include <cmath>

#include "registration/chart_text.h"

namespace kestrave {

namespace {

constexpr int LastChartBin = SpectralChartBins - 1;

TAlignSlotRec& qualitySlot(FrameModel& model, const FrameQualityInput& input) {
    TFrameRec& frame = model.FrameTable[input.CurrentFrame];
    return input.interlaced && input.InterlaceField == 0 ? frame.Slots[2] : frame.Slots[0];
}

}  // namespace

SpectralBandSums spectralBandSums(const std::array<float, kRadialBins>& profile, int lo, int dx) {
    SpectralBandSums sums;
    for (int i = 0; i <= LastChartBin; ++i) sums.total += profile[static_cast<std::size_t>(i)];
    const int last = lo >= LastChartBin ? kRadialBins - 1 : LastChartBin;
    const int first = std::max(lo + 1, 0);
    const int end = std::min(lo + dx - 1, last);
    for (int i = first; i <= end; ++i) sums.band += profile[static_cast<std::size_t>(i)];
    return sums;
}

FrameQualityReadout EstimateFrameQuality(FftEngine& fft, const GammaTableArray& GammaTable,
                                         const FrameQualityInput& input, FrameModel& model) {
    fft.RadialProfileMax += 1e-10f;
    const int lo = static_cast<int>(std::nearbyint(input.QualityFilter));
    const int dx = input.QualityHumanVision ? HumanVisionBandEnd - lo
                                            : static_cast<int>(std::nearbyint(input.QualFilterDX));

    FrameQualityReadout readout;
    readout.spectrum.reserve(SpectralChartBins);
    for (int i = 0; i <= LastChartBin; ++i) {
        // A bin above the profile's largest (the weighted profile's fixed bin 0) shows at full scale.
        const double scaled = fft.RadialProfile[static_cast<std::size_t>(i)] * 1000.0 / fft.RadialProfileMax;
        const double index = std::nearbyint(std::clamp(scaled, 0.0, 1000.0));
        readout.spectrum.push_back(GammaTable[static_cast<std::size_t>(index)]);
    }

    const SpectralBandSums sums = spectralBandSums(fft.RadialProfile, lo, dx);
    TAlignSlotRec& slot = qualitySlot(model, input);
    if (input.QualityFromImage) {
        readout.quality = model.FrameTable[input.CurrentFrame].Slots[0].Quality;
    } else if (input.progstatus == TProgStatus::psAligned) {
        readout.quality = static_cast<float>(sums.band);
    } else {
        readout.quality = static_cast<float>(sums.band / (sums.total + 1e-10));
    }
    slot.Quality = readout.quality;

    readout.bottomIncrement = chartAxisIncrement(readout.spectrum.size());
    readout.title =
        "Frame " + std::to_string(input.CurrentFrame) + " Quality =" + fixedPointText(readout.quality, 7, 5);
    return readout;
}

}  // namespace kestrave
