#include "widgets/slider_model.h"

#include <algorithm>
#include <cmath>

namespace kestrave {

namespace {

long long roundHalfEven(double x) {
    return static_cast<long long>(std::nearbyint(x));
}

int clampToRange(const SliderRange& range, long long value) {
    return static_cast<int>(std::clamp<long long>(value, range.MinValue, range.MaxValue));
}

// The bottom (vertical) edge plus the top one: mirroring an offset maps top + 6 to
// bottom - 6 - thumb height and back.
int mirrorSum(const SliderGeometry& g) {
    return g.sliderRect.top() + g.sliderRect.top() + g.sliderRect.height();
}

}  // namespace

QRect SliderGeometry::rulerHitRect() const {
    const QRect ruler(rulerOrigin, rulerSize);
    return vertical ? ruler.adjusted(-3, 0, 3, 0) : ruler.adjusted(0, -3, 0, 3);
}

SliderGeometry layoutSlider(const SliderLayoutInput& in) {
    SliderGeometry g;
    const int indent = SliderGeometry::kIndent;
    g.vertical = in.vertical;
    g.sliderRect =
        QRect(QPoint(0, 0), in.client).adjusted(in.bevelWidth, in.bevelWidth, -in.bevelWidth, -in.bevelWidth);
    const int states = std::max(1, in.numThumbStates);
    g.thumbSize = QSize(in.thumbImage.width() / states, in.thumbImage.height());

    const QRect& s = g.sliderRect;
    const int along = std::max(0, (in.vertical ? s.height() : s.width()) - 2 * indent);
    const int rulerThickness = in.vertical ? in.rulerImage.width() : in.rulerImage.height();
    const int thumbThickness = in.vertical ? g.thumbSize.width() : g.thumbSize.height();
    const int thickest = std::max(rulerThickness, thumbThickness);
    const int nearSide = (in.vertical ? s.left() : s.top()) + indent;
    const int rulerAcross = nearSide + (thickest - rulerThickness) / 2;
    g.thumbAcross = nearSide + (thickest - thumbThickness) / 2;
    // A control too small for its thumb would give no travel at all; one pixel keeps the value
    // mapping defined.
    g.rulerSpan = std::max(1, along - g.thumbAlong());

    if (in.vertical) {
        g.rulerSize = QSize(rulerThickness, along);
        g.rulerOrigin = QPoint(rulerAcross, s.top() + indent);
        const int left = rulerAcross + rulerThickness + 1;
        g.pointsRect = QRect(left, g.rulerOrigin.y(), std::max(0, s.left() + s.width() - left), along);
    } else {
        g.rulerSize = QSize(along, rulerThickness);
        g.rulerOrigin = QPoint(s.left() + indent, rulerAcross);
        const int top = rulerAcross + rulerThickness + 1;
        g.pointsRect = QRect(g.rulerOrigin.x(), top, along, std::max(0, s.top() + s.height() - top));
    }
    return g;
}

int offsetOfValue(const SliderGeometry& g, const SliderRange& range, int value) {
    const double width = static_cast<double>(range.MaxValue) - range.MinValue;
    const double fraction = width > 0 ? (static_cast<double>(value) - range.MinValue) / width : 0.0;
    const int first = g.leadingEdge() + SliderGeometry::kIndent;
    long long offset = roundHalfEven(fraction * g.rulerSpan) + first;
    if (g.vertical) offset = mirrorSum(g) - offset - g.thumbSize.height();
    return static_cast<int>(std::max<long long>(offset, first));
}

int valueOfOffset(const SliderGeometry& g, const SliderRange& range, int offset, bool smooth) {
    if (g.vertical) offset = mirrorSum(g) - offset - g.thumbSize.height();
    const double width = static_cast<double>(range.MaxValue) - range.MinValue;
    const double travelled = static_cast<double>(offset) - g.leadingEdge() - SliderGeometry::kIndent;
    long long value = roundHalfEven(travelled * width / g.rulerSpan);
    if (!smooth && range.Increment > 0)
        value = roundHalfEven(static_cast<double>(value) / range.Increment) * range.Increment;
    return clampToRange(range, range.MinValue + std::max<long long>(value, 0));
}

QRect thumbRectAt(const SliderGeometry& g, int offset) {
    const int first = g.leadingEdge() + SliderGeometry::kIndent;
    offset = std::clamp(offset, first, first + g.rulerSpan);
    return g.vertical ? QRect(QPoint(g.thumbAcross, offset), g.thumbSize)
                      : QRect(QPoint(offset, g.thumbAcross), g.thumbSize);
}

int jumpValue(const SliderRange& range, int value, SliderJump jump) {
    const long long step = std::max(1, range.Increment);
    const long long base = roundHalfEven(static_cast<double>(value) / static_cast<double>(step)) * step;
    switch (jump) {
        case SliderJump::Home:
            return range.MinValue;
        case SliderJump::End:
            return range.MaxValue;
        case SliderJump::Up:
            return clampToRange(range, base + step);
        case SliderJump::Down:
            return clampToRange(range, base - step);
        case SliderJump::None:
            break;
    }
    return value;
}

SliderJump jumpToward(const SliderGeometry& g, const QRect& thumb, QPoint point) {
    if (g.vertical) {
        if (point.y() < thumb.top()) return SliderJump::Up;
        if (point.y() > thumb.bottom()) return SliderJump::Down;
    } else {
        if (point.x() < thumb.left()) return SliderJump::Down;
        if (point.x() > thumb.right()) return SliderJump::Up;
    }
    return SliderJump::None;
}

TickScale tickScale(long long rangeWidth, int step, int rulerSpan) {
    step = std::max(1, step);
    const auto countAt = [&](long long scale) {
        return roundHalfEven(static_cast<double>(rangeWidth) / (static_cast<double>(scale) * step)) + 1;
    };
    const auto farEnough = [&](long long scale) {
        const long long count = countAt(scale);
        const long long interval = count > 1 ? rulerSpan / (count - 1) : rulerSpan;
        return interval >= 4 || interval >= rulerSpan;
    };
    // The tick count falls as the scale grows, so the first scale that spaces the ticks far
    // enough is found by bisection (a wide range with a small step would need millions of
    // trials one by one). At the upper bound only the two ends are left.
    long long low = 1;
    long long high = std::max<long long>(1, rangeWidth / step + 2);
    while (low < high) {
        const long long middle = low + (high - low) / 2;
        if (farEnough(middle))
            high = middle;
        else
            low = middle + 1;
    }
    return {low, countAt(low)};
}

std::vector<QLine> sliderTicks(const SliderGeometry& g, const SliderRange& range, int step, int length,
                               int endLength) {
    const TickScale ticks =
        tickScale(static_cast<long long>(range.MaxValue) - range.MinValue, step, g.rulerSpan);
    std::vector<QLine> lines;
    lines.reserve(static_cast<std::size_t>(std::max<long long>(ticks.count, 0)));
    const int half = g.thumbAlong() / 2;
    for (long long i = 0; i < ticks.count; ++i) {
        const long long value =
            i == ticks.count - 1 ? range.MaxValue : range.MinValue + i * ticks.scale * std::max(1, step);
        const int size = (value == range.MinValue || value == range.MaxValue) ? endLength : length;
        const int at = offsetOfValue(g, range, static_cast<int>(value)) + half;
        if (g.vertical)
            lines.emplace_back(g.pointsRect.left(), at, g.pointsRect.left() + size - 1, at);
        else
            lines.emplace_back(at, g.pointsRect.top(), at, g.pointsRect.top() + size - 1);
    }
    return lines;
}

std::vector<RulerPiece> rulerPieces(int imageLength, int edge, int targetLength) {
    std::vector<RulerPiece> pieces;
    if (imageLength <= 0 || targetLength <= 0) return pieces;
    edge = std::clamp(edge, 0, imageLength / 2);
    const int head = std::min(edge, targetLength);
    const int tail = std::min(edge, targetLength - head);
    if (head > 0) pieces.push_back({0, 0, head});
    const int middle = imageLength - 2 * edge;
    if (middle > 0) {
        const int end = targetLength - tail;
        for (int at = head; at < end; at += middle) {
            const int length = std::min(middle, end - at);
            pieces.push_back({edge + middle - length, at, length});
        }
    }
    if (tail > 0) pieces.push_back({imageLength - tail, targetLength - tail, tail});
    return pieces;
}

}  // namespace kestrave
