#pragma once
// Display colours of visible light. The spectrum picture paints its brightest levels with the
// colour of a wavelength between 531 and 635 nm (green through orange to red).

#include <cstdint>

namespace kestrave {

struct Rgb8 {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;

    bool operator==(const Rgb8&) const = default;
};

// The colour of a wavelength in nanometres. The band is chosen on the wavelength truncated
// toward zero; the ramps inside a band use the wavelength itself. Outside 380..780 the colour is
// black; there is no fall-off of intensity near the ends of the visible range.
Rgb8 WavelengthToRGB(double wavelength);

// One colour component in 0..1 scaled to a byte with a 0.8 power: Round(255 * (c * f)^0.8), or
// 0 when the component is not positive.
std::uint8_t AdjustComponent(double colour, double factor);

}  // namespace kestrave
