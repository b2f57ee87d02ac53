// Display colours of wavelengths: band edges chosen on the truncated wavelength, the 0.8 power.

#include <gtest/gtest.h>

#include "registration/wavelength_colours.h"

using namespace kestrave;

TEST(Wavelength, ColoursOfTheBandsAndTheirEdges) {
    EXPECT_EQ(WavelengthToRGB(350.0), (Rgb8{0, 0, 0}));
    EXPECT_EQ(WavelengthToRGB(379.9), (Rgb8{0, 0, 0}));
    EXPECT_EQ(WavelengthToRGB(380.0), (Rgb8{255, 0, 255}));
    EXPECT_EQ(WavelengthToRGB(440.0), (Rgb8{0, 0, 255}));
    EXPECT_EQ(WavelengthToRGB(500.0), (Rgb8{0, 255, 146}));
    EXPECT_EQ(WavelengthToRGB(510.0), (Rgb8{0, 255, 0}));
    // Level 151 of the spectrum picture: red Round(255 * 0.3^0.8) = 97.
    EXPECT_EQ(WavelengthToRGB(531.0), (Rgb8{97, 255, 0}));
    EXPECT_EQ(WavelengthToRGB(580.0), (Rgb8{255, 255, 0}));
    EXPECT_EQ(WavelengthToRGB(645.0), (Rgb8{255, 0, 0}));
    // The band is chosen on the truncated wavelength: 780.9 is still red, 781 is black.
    EXPECT_EQ(WavelengthToRGB(780.9), (Rgb8{255, 0, 0}));
    EXPECT_EQ(WavelengthToRGB(781.0), (Rgb8{0, 0, 0}));
    EXPECT_EQ(WavelengthToRGB(1e300), (Rgb8{0, 0, 0}));
    EXPECT_EQ(WavelengthToRGB(-1e300), (Rgb8{0, 0, 0}));
}

TEST(Wavelength, AdjustComponentScalesWithThePower08) {
    EXPECT_EQ(AdjustComponent(0.0, 1.0), 0);
    EXPECT_EQ(AdjustComponent(-0.5, 1.0), 0);
    // The test is made on the colour alone: a positive colour with a zero factor gives 0.
    EXPECT_EQ(AdjustComponent(0.5, 0.0), 0);
    EXPECT_EQ(AdjustComponent(1.0, 1.0), 255);
    EXPECT_EQ(AdjustComponent(0.5, 1.0), 146);  // 255 * 0.5^0.8 = 146.4
    EXPECT_EQ(AdjustComponent(0.25, 2.0), 146);
    EXPECT_EQ(AdjustComponent(0.3, 1.0), 97);
    // Products above 1 saturate instead of wrapping round.
    EXPECT_EQ(AdjustComponent(1.0, 4.0), 255);
}
