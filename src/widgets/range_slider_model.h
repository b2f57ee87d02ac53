#pragma once
// The Qt-free part of the range slider: the thumbs' outlines as the orientation and tick side
// turn and mirror them, the ruler's geometry with the value-to-pixel scale, the tick plan, and
// the moves of a Shift drag or Shift key that carry both thumbs.

#include <array>
#include <optional>

namespace kestrave {

enum class RangeOrientation { rsHorizontal, rsVertical };
enum class RangeTickStyle { rsBottomRight, rsTopLeft };
enum class RangeThumbStyle { rsStandard, rsTriangle, rsCorner, rsArrow };

struct OutlinePoint {
    int x = 0;
    int y = 0;
    bool operator==(const OutlinePoint&) const = default;
};

// A hot point (the spot that stands on the ruler's centre line) and a closed polygon of 8 points;
// the points a style does not set stay at the origin.
struct ThumbOutline {
    OutlinePoint hot;
    std::array<OutlinePoint, 8> points{};
    bool operator==(const ThumbOutline&) const = default;
    // Largest x + 1 and largest y + 1.
    int width() const;
    int height() const;
};

inline constexpr int ThumbScale = 3;

ThumbOutline styleOutline(RangeThumbStyle style);
// Mirrored (x negated, point order reversed) when asked, turned by `quarterTurns`, moved so that
// no coordinate is negative, and scaled by 3.
ThumbOutline buildThumb(const ThumbOutline& outline, bool mirrored, int quarterTurns);
// The min thumb of a slider (the max thumb is its mirror image).
ThumbOutline minThumb(RangeThumbStyle style, RangeOrientation orientation, RangeTickStyle ticks);
ThumbOutline maxThumb(RangeThumbStyle style, RangeOrientation orientation, RangeTickStyle ticks);

// The ruler: 11 pixels thick, `length` = control length − 2 × thumb length − 6 (at least 1), from
// thumb length + 3 along the control; scale = length / (Max − Min) pixels per unit.
inline constexpr int RulerThickness = 11;
struct RulerGeometry {
    int length = 1;
    int along = 0;   // where the ruler starts along the control
    int across = 0;  // where it starts across
    double scale = 1.0;
    int Min = 0;

    int pixelOf(int value) const;
    int valueAt(int pixel) const;
};
RulerGeometry rulerGeometry(int controlLength, const ThumbOutline& thumb, RangeOrientation orientation,
                            int Min, int Max);
// The ruler of the length the slider's owner asks for (raised to at least 30 pixels), and the
// control length that holds it: 2 × thumb length + ruler length + 6.
struct AskedRuler {
    RulerGeometry ruler;
    int controlLength = 0;
};
AskedRuler askedRulerGeometry(int askedLength, const ThumbOutline& thumb, RangeOrientation orientation,
                              int Min, int Max);

// The tick step (Frequency, or the first of 1, 2, 5, 10, 20, 50, … whose ticks lie 5 pixels
// apart) and the interval of the long ticks.
struct TickPlan {
    int step = 1;
    int longInterval = 1;
};
TickPlan tickPlan(int Frequency, int rulerLength, int Min, int Max);

// Both thumbs carried together: the dragged (or key-moved) thumb goes to `value`, the other keeps
// its distance; none when either would leave [Min, Max].
struct RangePair {
    int MinPosition = 0;
    int MaxPosition = 0;
    bool operator==(const RangePair&) const = default;
};
std::optional<RangePair> carriedPair(bool minThumbLeads, int value, RangePair now, int Min, int Max);

}  // namespace kestrave
