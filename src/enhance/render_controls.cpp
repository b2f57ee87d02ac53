#include "enhance/render_controls.h"

#include <algorithm>
#include <cstdio>

#include "enhance/clamped_round.h"

namespace kestrave {

namespace {

// Integer values that slider arithmetic can never leave.
constexpr int SliderLimit = 1 << 24;

int roundSlider(double v) {
    return clampedRound(v, -SliderLimit, SliderLimit);
}

// The mean bin of a histogram over bins 15..240; an empty range counts as one pixel.
double meanBin(const DisplayHistogram& histogram) {
    double weighted = 0.0;
    double count = 0.0;
    for (int i = 15; i <= 240; ++i) {
        weighted += static_cast<double>(i) * histogram[i];
        count += histogram[i];
    }
    return weighted / (count == 0.0 ? 1.0 : count);
}

}  // namespace

std::string layerWeightCaption(int layerSlider) {
    const double weight = 0.1 * layerSlider;
    char shown[32];
    std::snprintf(shown, sizeof shown, "%.15g", roundSlider(weight * 10.0) * 0.1);
    const std::string text = std::string(shown) + ".00";
    return text.substr(0, weight >= 0.0 && weight < 10.0 ? 3 : 4);
}

int contrastLevelFor(int ContrastSlider) {
    return roundSlider(ContrastSlider * 0.4);
}
int brightnessLevelFor(int BrightnessSlider) {
    return roundSlider(BrightnessSlider * 0.25);
}
int contrastSliderFor(double Contrastlevel) {
    return roundSlider(Contrastlevel * 2.5);
}
int brightnessSliderFor(double Brightnesslevel) {
    return roundSlider(Brightnesslevel * 4.0);
}

int sliderAfterKey(int value, SliderKey key, bool ctrlHeld, int minimum, int maximum) {
    const int step = ctrlHeld ? 1 : 10;
    if (key == SliderKey::Left) value -= step;
    if (key == SliderKey::Right) value += step;
    return std::clamp(value, minimum, maximum);
}

std::array<double, 255> smoothedHistogram(const DisplayHistogram& histogram, double HistoSmoother) {
    const int k = clampedRound(HistoSmoother, 0, 255);
    std::array<double, 255> series{};
    for (int b = 1; b <= 255; ++b) {
        const int from = std::max(b - k, 1);
        const int to = std::min(b + k, 255);
        double sum = 0.0;
        for (int j = from; j <= to; ++j) sum += histogram[j];
        series[b - 1] = sum / std::max(to - from + 1, 1);
    }
    return series;
}

std::string levelLoCaption(float LevelLo) {
    return "  lo: " + std::to_string(roundSlider(LevelLo));
}
std::string levelHiCaption(float LevelHi) {
    return "  hi: " + std::to_string(roundSlider(LevelHi));
}

ColourOffsets autoBalance(const DisplayHistograms& histograms, const ColourOffsets& current) {
    const double green = meanBin(histograms[HistGreen]);
    double r = green - meanBin(histograms[HistRed]) + current.red;
    double b = green - meanBin(histograms[HistBlue]) + current.blue;
    if (r > -100.0 && r < 100.0 && b > -100.0 && b < 100.0) return {roundSlider(r), 0, roundSlider(b)};
    // Green takes the excess; moving green by g moves both differences to it by -g.
    double g = 0.0;
    if (r > 100.0) {
        g = 100.0 - r;
        r = 100.0;
        b += g;
    }
    if (r < -100.0) {
        g = -100.0 - r;
        r = -100.0;
        b += g;
    }
    if (b > 100.0) {
        g = 100.0 - b;
        b = 100.0;
        r += g;
    }
    if (b < -100.0) {
        g = -100.0 - b;
        b = -100.0;
        r += g;
    }
    return {roundSlider(r), roundSlider(g), roundSlider(b)};
}

DisplayHistograms renderWithAutoBalance(RenderContext& context, const WaveletProcessOptions& wavelet,
                                        RenderOptions& options, bool histogramWindowVisible) {
    DisplayHistograms histograms{};
    for (int pass = 0; pass < 2; ++pass) {
        histograms = renderPass(context, wavelet, options);
        if (!histogramWindowVisible) continue;
        const ColourOffsets balanced = autoBalance(histograms, colourOffsetsOf(options));
        options.RedSlider = balanced.red;
        options.GreenSlider = balanced.green;
        options.blueslider = balanced.blue;
    }
    return histograms;
}

bool wholeImageArea(const ImageDataSection& section, int ImageWidth, int ImageHeight) {
    return section.ProcessAreaWidth >= ImageWidth && section.ProcessAreaHeight >= ImageHeight;
}

}  // namespace kestrave
