#include "widgets/range_slider_model.h"

#include <algorithm>
#include <cmath>

namespace kestrave {

namespace {

constexpr int MinTickSpacing = 5;

int roundEven(double v) {
    return static_cast<int>(std::nearbyint(v));
}

// Quarter turns and mirroring of the min thumb for each orientation and tick side.
struct ThumbTurn {
    int quarterTurns = 0;
    bool minMirrored = false;
};

ThumbTurn thumbTurn(RangeOrientation orientation, RangeTickStyle ticks) {
    const bool horizontal = orientation == RangeOrientation::rsHorizontal;
    if (ticks == RangeTickStyle::rsBottomRight) return horizontal ? ThumbTurn{0, false} : ThumbTurn{3, true};
    return horizontal ? ThumbTurn{2, true} : ThumbTurn{1, false};
}

}  // namespace

int ThumbOutline::width() const {
    int largest = hot.x;
    for (const OutlinePoint& p : points) largest = std::max(largest, p.x);
    return largest + 1;
}

int ThumbOutline::height() const {
    int largest = hot.y;
    for (const OutlinePoint& p : points) largest = std::max(largest, p.y);
    return largest + 1;
}

ThumbOutline styleOutline(RangeThumbStyle style) {
    switch (style) {
        case RangeThumbStyle::rsStandard:
            return {{3, 3}, {{{0, 0}, {3, 0}, {3, 7}, {0, 4}}}};
        case RangeThumbStyle::rsTriangle:
            return {{3, 3}, {{{3, 0}, {3, 6}, {0, 3}}}};
        case RangeThumbStyle::rsCorner:
            return {{6, 3}, {{{0, 0}, {6, 0}, {6, 6}}}};
        case RangeThumbStyle::rsArrow:
            return {{7, 4}, {{{0, 3}, {3, 3}, {3, 0}, {7, 4}, {3, 8}, {3, 5}, {0, 5}}}};
    }
    return {};
}

ThumbOutline buildThumb(const ThumbOutline& outline, bool mirrored, int quarterTurns) {
    ThumbOutline thumb = outline;
    if (mirrored) {
        thumb.hot.x = -thumb.hot.x;
        for (OutlinePoint& p : thumb.points) p.x = -p.x;
        std::reverse(thumb.points.begin(), thumb.points.end());
    }
    static constexpr std::array<std::array<int, 2>, 4> turns{{{1, 0}, {0, -1}, {-1, 0}, {0, 1}}};
    const auto [c, s] = turns[static_cast<std::size_t>(((quarterTurns % 4) + 4) % 4)];
    const auto turn = [c, s](OutlinePoint& p) { p = {p.x * c + p.y * s, p.y * c - p.x * s}; };
    turn(thumb.hot);
    for (OutlinePoint& p : thumb.points) turn(p);
    int lowestX = thumb.hot.x;
    int lowestY = thumb.hot.y;
    for (const OutlinePoint& p : thumb.points) {
        lowestX = std::min(lowestX, p.x);
        lowestY = std::min(lowestY, p.y);
    }
    const auto settle = [&](OutlinePoint& p) {
        p = {(p.x - std::min(lowestX, 0)) * ThumbScale, (p.y - std::min(lowestY, 0)) * ThumbScale};
    };
    settle(thumb.hot);
    for (OutlinePoint& p : thumb.points) settle(p);
    return thumb;
}

ThumbOutline minThumb(RangeThumbStyle style, RangeOrientation orientation, RangeTickStyle ticks) {
    const ThumbTurn turn = thumbTurn(orientation, ticks);
    return buildThumb(styleOutline(style), turn.minMirrored, turn.quarterTurns);
}

ThumbOutline maxThumb(RangeThumbStyle style, RangeOrientation orientation, RangeTickStyle ticks) {
    const ThumbTurn turn = thumbTurn(orientation, ticks);
    return buildThumb(styleOutline(style), !turn.minMirrored, turn.quarterTurns);
}

int RulerGeometry::pixelOf(int value) const {
    return roundEven((value - Min) * scale);
}

int RulerGeometry::valueAt(int pixel) const {
    return roundEven(pixel / scale) + Min;
}

RulerGeometry rulerGeometry(int controlLength, const ThumbOutline& thumb, RangeOrientation orientation,
                            int Min, int Max) {
    const bool horizontal = orientation == RangeOrientation::rsHorizontal;
    const int thumbLength = horizontal ? thumb.width() : thumb.height();
    const int hotAcross = horizontal ? thumb.hot.y : thumb.hot.x;
    RulerGeometry ruler;
    // A control too short for its thumbs still keeps a ruler of one pixel (the scale stays above 0).
    ruler.length = std::max(1, controlLength - 2 * thumbLength - 6);
    ruler.along = thumbLength + 3;
    ruler.across = hotAcross > 5 ? hotAcross - 3 : 2;
    ruler.scale = static_cast<double>(ruler.length) / std::max(1, Max - Min);
    ruler.Min = Min;
    return ruler;
}

AskedRuler askedRulerGeometry(int askedLength, const ThumbOutline& thumb, RangeOrientation orientation,
                              int Min, int Max) {
    constexpr int LeastRuler = 30;
    const int thumbLength = orientation == RangeOrientation::rsHorizontal ? thumb.width() : thumb.height();
    const int controlLength = 2 * thumbLength + std::max(LeastRuler, askedLength) + 6;
    return {rulerGeometry(controlLength, thumb, orientation, Min, Max), controlLength};
}

TickPlan tickPlan(int Frequency, int rulerLength, int Min, int Max) {
    TickPlan plan;
    if (Frequency > 0) {
        plan.step = Frequency;
    } else {
        const double span = std::max(1, Max - Min);
        static constexpr std::array<int, 3> mantissas{1, 2, 5};
        plan.step = 0;
        for (long long decade = 1; plan.step == 0 && decade <= 1000000000LL; decade *= 10) {
            for (int m : mantissas) {
                const long long step = m * decade;
                if (rulerLength * static_cast<double>(step) / span >= MinTickSpacing) {
                    plan.step = static_cast<int>(step);
                    break;
                }
            }
        }
        if (plan.step == 0) plan.step = std::max(1, Max - Min);
    }
    plan.longInterval = plan.step >= 100 ? 1000 : plan.step >= 10 ? 100 : 10;
    return plan;
}

std::optional<RangePair> carriedPair(bool minThumbLeads, int value, RangePair now, int Min, int Max) {
    const int other =
        minThumbLeads ? value - now.MinPosition + now.MaxPosition : value - now.MaxPosition + now.MinPosition;
    if (value < Min || value > Max || other < Min || other > Max) return std::nullopt;
    return minThumbLeads ? RangePair{value, other} : RangePair{other, value};
}

}  // namespace kestrave
