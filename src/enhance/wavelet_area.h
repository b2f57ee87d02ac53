#pragma once
// The processing area as the wavelet passes clip it, the error of planes that do not fit the
// working image, and the single-layer view's legend.

#include "platform/errors.h"

namespace kestrave {

// The planes do not fit the working image (for example the resampling option was changed after
// stacking).
class WaveletError : public KestraveError {
public:
    using KestraveError::KestraveError;
};

// The processing area clipped to the image, inclusive corners; empty when x1 < x0 or y1 < y0.
struct WaveletArea {
    int x0 = 0;
    int y0 = 0;
    int x1 = -1;
    int y1 = -1;
    bool empty() const { return x1 < x0 || y1 < y0; }
    int width() const { return x1 - x0 + 1; }
    int height() const { return y1 - y0 + 1; }
};

// The legend the window writes over the single-layer view.
inline constexpr const char* LayerViewLegend = "Red=decreasing , Green=increasing (*when layer is enhanced*)";

}  // namespace kestrave
