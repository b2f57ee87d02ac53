#include "widgets/dial_geometry.h"

#include <cmath>
#include <numbers>

namespace kestrave {

namespace {

constexpr int Sweep = 270;
constexpr int BottomGap = 90;
constexpr double Degree = std::numbers::pi / 180.0;

int roundEven(double v) {
    return static_cast<int>(std::nearbyint(v));
}

}  // namespace

DialMeasures dialMeasures(bool printValues) {
    const int m = printValues ? 30 : 20;
    return {m, roundEven(m * 2.0 / 3.0), roundEven(m * 0.1)};
}

DialScale dialScale(int Max) {
    const int n = Max > 0 ? Max : 1;
    // 270 / N = step + f; the part f × N = 270 mod N widens the gap.
    int step = Sweep / n;
    int rest = Sweep % n;
    while ((BottomGap + rest) % 2 != 0) {
        rest += n;
        --step;
    }
    const int gap = BottomGap + rest;
    return {step, gap, Sweep + gap / 2, Sweep - gap / 2};
}

DialSpan pointerSpan(const DialScale& scale, int position) {
    const int a1 = scale.end - position * scale.step + scale.step / 2;
    return {a1, a1 - scale.step};
}

std::optional<DialPoint> dialPoint(int cx, int cy, int angle, int inset) {
    if (angle > 360) angle -= 360;
    if (angle < 0 || angle > 360) return std::nullopt;
    const double r = cx - inset;
    return DialPoint{roundEven(cx + r * std::cos(angle * Degree)),
                     roundEven(cy - r * std::sin(angle * Degree))};
}

std::optional<int> pointAngle(int cx, int cy, int x, int y) {
    const double dx = cx - x;
    const double dy = cy - y;
    const double d = std::sqrt(dx * dx + dy * dy);
    if (d == 0.0) return std::nullopt;
    int base = 0;
    if (x <= cx && y < cy) {
        base = 90;
    } else if (x < cx && y >= cy) {
        base = 180;
    } else if (x >= cx && y > cy) {
        base = 270;
    }
    const double within = (base == 0 || base == 180) ? std::fabs(dy) / d : std::fabs(dx) / d;
    int angle = static_cast<int>(base + std::asin(within) / Degree);
    if (angle > 270) angle -= 360;
    return angle;
}

bool dragStarts(int cx, int cy, int m, int position, const DialScale& scale, int x, int y) {
    const double distance = std::hypot(static_cast<double>(cx - x), static_cast<double>(cy - y));
    if (distance < cx - m - 27 || distance > cx - m - 7) return false;
    const std::optional<int> angle = pointAngle(cx, cy, x, y);
    return angle && pointerSpan(scale, position).holds(*angle);
}

std::optional<int> positionAtAngle(const DialScale& scale, int Max, int angle) {
    for (int p = 0; p <= Max; ++p) {
        if (pointerSpan(scale, p).holds(angle)) return p;
    }
    return std::nullopt;
}

}  // namespace kestrave
