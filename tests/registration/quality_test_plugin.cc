// A quality plug-in for the tests: the figure is width x 1000 + height plus the green byte of
// the first pixel of the second row divided by 256, so the test sees that the picture arrived
// with its rows where the stride says.

#include <cstdint>

extern "C" double Estimator(const std::uint8_t* bgr, std::int32_t width, std::int32_t height,
                            std::int32_t stride) {
    return width * 1000.0 + height + bgr[stride + 1] / 256.0;
}
