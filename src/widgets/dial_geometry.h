#pragma once
// The geometry of the rotary switch, without Qt: angles in whole degrees counted
// counter-clockwise from 3 o'clock, screen y growing downward. Positions 0..Max lie on a
// 270-degree scale with the gap at the bottom; position 0 points to the lower left, Max to the
// lower right.

#include <optional>

namespace kestrave {

struct DialPoint {
    int x = 0;
    int y = 0;
    bool operator==(const DialPoint&) const = default;
};

// The dial's insets from the control's edge: margin m (20, or 30 with value labels), the knob at
// Round(m × 2/3), the scale's outer ring at Round(m × 0.1).
struct DialMeasures {
    int margin = 20;
    int knobInset = 13;
    int ringInset = 2;
};
DialMeasures dialMeasures(bool printValues);

// The scale: `step` degrees per position, the `gap` at the bottom, from `start` (position Max's
// side, lower right) to `end` (position 0, lower left).
struct DialScale {
    int step = 0;
    int gap = 0;
    int start = 0;
    int end = 0;
};
// N = Max (1 when Max is 0); the step is the whole degrees of 270 / N, made smaller until the
// gap left at the bottom is even.
DialScale dialScale(int Max);

// The angles position p covers: from a2 = a1 − step to a1 = end − p × step + trunc(step / 2).
struct DialSpan {
    int a1 = 0;
    int a2 = 0;
    bool holds(int angle) const { return a2 <= angle && angle <= a1; }
};
DialSpan pointerSpan(const DialScale& scale, int position);

// The point at angle a on the circle of radius cx − inset around (cx, cy); angles above 360 are
// reduced once, and none outside 0..360 then has a point.
std::optional<DialPoint> dialPoint(int cx, int cy, int angle, int inset);

// The angle of (x, y) around (cx, cy): −90..270 (the lower right quadrant gives −90..0); none at
// the centre itself.
std::optional<int> pointAngle(int cx, int cy, int x, int y);

// A press at (x, y) starts a drag when it lies in the ring between insets m + 7 and m + 27 and on
// the pointer of the current position.
bool dragStarts(int cx, int cy, int m, int position, const DialScale& scale, int x, int y);

// The first position 0..Max whose span holds the angle; none in the gap.
std::optional<int> positionAtAngle(const DialScale& scale, int Max, int angle);

}  // namespace kestrave
