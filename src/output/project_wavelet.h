#pragma once
// The wavelet page's values as a stacked project records them (see project_data.h), apart so that
// the run can keep the values a project restored.

#include <array>

namespace kestrave {

// The wavelet page as a stacked project records it.
struct ProjectWavelet {
    std::array<int, 6> layer{10, 10, 10, 10, 10, 10};  // Layer1slider..Layer6slider
    int initial = 1;                                   // Round(LevelStep)
    int step = 0;                                      // Round(Multiplicant)
    int scaletype = 0;                                 // Waveletscheme item
    int contrast = 0;                                  // ContrastSlider
    int brightness = 0;                                // BrightnessSlider
    bool operator==(const ProjectWavelet&) const = default;
};

}  // namespace kestrave
