#include "enhance/colour_conversions.h"

#include <algorithm>
#include <cmath>

#include "platform/bitmap24.h"

namespace kestrave {

namespace {

// The six sectors of the hue circle: which of V, p, q, t become R, G and B.
template <typename T>
void sectorColour(int sector, T v, T p, T q, T t, T& r, T& g, T& b) {
    switch (sector) {
        case 0:
            r = v, g = t, b = p;
            break;
        case 1:
            r = q, g = v, b = p;
            break;
        case 2:
            r = p, g = v, b = t;
            break;
        case 3:
            r = p, g = q, b = v;
            break;
        case 4:
            r = t, g = p, b = v;
            break;
        case 5:
            r = v, g = p, b = q;
            break;
        default:
            r = g = b = T{0};
            break;
    }
}

}  // namespace

void RGBtoHSV(float R, float G, float B, float& H, float& S, float& V) {
    V = std::max({R, G, B});
    const float delta = V - std::min({R, G, B});
    S = V != 0.0f ? delta / V : 0.0f;
    if (S == 0.0f) {
        H = 0.0f;
        return;
    }
    if (R == V) {
        H = (G - B) * 60.0f / delta;
    } else if (G == V) {
        H = (B - R) * 60.0f / delta + 120.0f;
    } else {
        H = (R - G) * 60.0f / delta + 240.0f;
    }
    if (H < 0.0f) H += 360.0f;
}

void HSVtoRGB(float H, float S, float V, float& R, float& G, float& B) {
    if (S == 0.0f) {
        if (!IsNaN(H)) throw EColorError("HSVtoRGB:  S = 0 and H has a value");
        R = G = B = V;
        return;
    }
    const float h = (H == 360.0f ? 0.0f : H) * (1.0f / 60.0f);
    // Tested in floating point so that no out-of-range value is converted to an integer.
    if (!(h >= 0.0f && h < 6.0f) || std::isnan(S) || std::isnan(V)) {
        R = G = B = 0.0f;
        return;
    }
    const int i = static_cast<int>(h);
    const float f = h - static_cast<float>(i);
    const float p = V * (1.0f - S);
    const float q = V * (1.0f - S * f);
    const float t = V * (1.0f - S * (1.0f - f));
    sectorColour(i, V, p, q, t, R, G, B);
}

void HSVtoRGBTriple(int H, int S, int V, std::uint8_t* Pixel) {
    if (S == 0) {
        const auto grey = static_cast<std::uint8_t>(V);
        SetRGBTriple(grey, grey, grey, Pixel);
        return;
    }
    const int hue = H == 360 ? 0 : H;
    const int f = hue % 60;
    // A negative hue falls outside the six sectors like one above 360.
    const int i = hue < 0 ? -1 : hue / 60;
    const int p = V - V * S / 255;
    const int q = V - V * S * f / 15300;
    const int t = V - V * S * (60 - f) / 15300;
    int r = 0, g = 0, b = 0;
    sectorColour(i, V, p, q, t, r, g, b);
    SetRGBTriple(static_cast<std::uint8_t>(r), static_cast<std::uint8_t>(g), static_cast<std::uint8_t>(b),
                 Pixel);
}

bool IsNaN(double X) {
    return std::isnan(X);
}

}  // namespace kestrave
