#pragma once
// Geometry and value logic of the slider, free of any window: where the ruler and the thumb lie,
// how a value maps to a thumb offset and back, where the tick points go and how the ruler
// picture is stretched. [x] below is x rounded to the nearest integer, a half to the even one.

#include <QLine>
#include <QRect>
#include <QSize>
#include <vector>

namespace kestrave {

struct SliderRange {
    int MinValue = 0;
    int MaxValue = 100;
    int Increment = 10;
};

struct SliderLayoutInput {
    QSize client;
    int bevelWidth = 0;     // 1 when a bevel is drawn
    bool vertical = false;  // a vertical slider has its minimum at the bottom
    QSize rulerImage;
    QSize thumbImage;  // all looks side by side
    int numThumbStates = 2;
};

struct SliderGeometry {
    static constexpr int kIndent = 6;

    bool vertical = false;
    QRect sliderRect;     // the client rectangle inside the bevel
    QSize thumbSize;      // one look of the thumb
    QPoint rulerOrigin;   // top-left corner of the stretched ruler
    QSize rulerSize;      // the stretched ruler
    int thumbAcross = 0;  // the thumb's top (horizontal) or left (vertical) coordinate
    QRect pointsRect;     // the band of the tick points beside the ruler
    int rulerSpan = 1;    // travel of the thumb in pixels, at least 1

    // The slider rectangle's left (horizontal) or top (vertical) edge.
    int leadingEdge() const { return vertical ? sliderRect.top() : sliderRect.left(); }
    // The thumb's extent along the ruler.
    int thumbAlong() const { return vertical ? thumbSize.height() : thumbSize.width(); }
    // The ruler widened by 3 pixels on each side across the slider: where a click jumps.
    QRect rulerHitRect() const;
};

SliderGeometry layoutSlider(const SliderLayoutInput& input);

// Thumb offset of a value: [(value - MinValue) / (MaxValue - MinValue) * span] + leading edge + 6,
// mirrored for a vertical slider; never before leading edge + 6.
int offsetOfValue(const SliderGeometry& geometry, const SliderRange& range, int value);
// Value of a thumb offset; without smooth dragging it snaps to multiples of Increment counted
// from MinValue. Always within the range.
int valueOfOffset(const SliderGeometry& geometry, const SliderRange& range, int offset, bool smooth);
// The thumb rectangle with its leading side at `offset`, limited to the ruler.
QRect thumbRectAt(const SliderGeometry& geometry, int offset);

enum class SliderJump { None, Home, End, Up, Down };
// Home and End go to the ends; Up and Down go to the next multiple of Increment
// ([value / Increment] * Increment +/- Increment), limited to the range.
int jumpValue(const SliderRange& range, int value, SliderJump jump);
// The direction a ruler click at `point` moves the thumb `thumb`: toward the point, none on it.
SliderJump jumpToward(const SliderGeometry& geometry, const QRect& thumb, QPoint point);

// Tick points every scale * step values: the smallest scale whose ticks lie at least 4 pixels
// apart (or that leaves only the two ends).
struct TickScale {
    long long scale = 1;
    long long count = 2;
};
TickScale tickScale(long long rangeWidth, int step, int rulerSpan);
// Tick lines from the near edge of the points band; the end ticks are `endLength` long.
std::vector<QLine> sliderTicks(const SliderGeometry& geometry, const SliderRange& range, int step, int length,
                               int endLength);

// One copy of the stretched ruler: `length` pixels from `source` in the picture to `target`.
struct RulerPiece {
    int source = 0;
    int target = 0;
    int length = 0;
};
// The picture's first and last `edge` pixels stay at the ends; its middle part is repeated in
// between, the last copy cut to fit and taken from the end of the middle part.
std::vector<RulerPiece> rulerPieces(int imageLength, int edge, int targetLength);

}  // namespace kestrave
