#include "registration/wavelength_colours.h"

#include <algorithm>
#include <cmath>

namespace kestrave {

std::uint8_t AdjustComponent(double colour, double factor) {
    if (!(colour > 0.0)) return 0;
    const double level = 255.0 * std::pow(colour * factor, 0.8);
    return static_cast<std::uint8_t>(std::nearbyint(std::clamp(level, 0.0, 255.0)));
}

Rgb8 WavelengthToRGB(double wavelength) {
    // The band edges compare whole nanometres: 780.9 nm still counts as 780 and so as red.
    // The test is made in floating point so that no out-of-range value is ever converted.
    if (!(wavelength >= 380.0 && wavelength < 781.0)) return {};
    const int band = static_cast<int>(wavelength);
    const double l = wavelength;
    double red = 0.0, green = 0.0, blue = 0.0;
    if (band < 440) {
        red = -(l - 440.0) * (1.0 / 60.0);
        blue = 1.0;
    } else if (band < 490) {
        green = (l - 440.0) * (1.0 / 50.0);
        blue = 1.0;
    } else if (band < 510) {
        green = 1.0;
        blue = -(l - 510.0) * (1.0 / 20.0);
    } else if (band < 580) {
        red = (l - 510.0) * (1.0 / 70.0);
        green = 1.0;
    } else if (band < 645) {
        red = 1.0;
        green = -(l - 645.0) * (1.0 / 65.0);
    } else {
        red = 1.0;
    }
    return {AdjustComponent(red, 1.0), AdjustComponent(green, 1.0), AdjustComponent(blue, 1.0)};
}

}  // namespace kestrave
