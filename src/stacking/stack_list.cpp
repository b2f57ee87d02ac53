#include "stacking/stack_list.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "platform/parallel.h"

namespace kestrave {

namespace {

// A rank bound of the sliders, kept inside the frame table (-1: no rank).
int rankBound(int value) {
    return std::clamp(value, -1, MaxFrameIndex);
}

// Fixed notation with 4 decimals of the value rounded to 6 significant digits.
std::string fixed6x4(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.5e", value);
    std::snprintf(text, sizeof text, "%.4f", std::strtod(text, nullptr));
    return text;
}

}  // namespace

int frameAtRank(const FrameModel& model, int rank) {
    return model.FramesRanked ? model.FrameRanking[rank].Frame : rank;
}

StackChoice chooseStackFrames(const FrameModel& model, const StackOptions& options, bool multiPoint) {
    StackChoice choice;
    const int tag = rankBound(options.StackSlider.Tag);
    for (int j = 0; j <= tag; ++j)
        choice.largestDifference =
            std::max(choice.largestDifference, model.FrameTable[frameAtRank(model, j)].Slots[0].Difference);
    if (tag == 1) choice.largestDifference *= 2.0f;
    // At 1000 the limit is the largest difference itself, so every frame passes.
    choice.differenceLimit = choice.largestDifference * (options.differencecutslider * 0.001);

    const auto passes = [&](int frame) {
        const TFrameRec& rec = model.FrameTable[frame];
        return !rec.Excluded && rec.Slots[0].Difference <= choice.differenceLimit;
    };
    for (int j = 0; j <= rankBound(options.StackSlider.Value); ++j)
        if (passes(frameAtRank(model, j))) ++choice.counted;
    choice.listTag = multiPoint ? options.StackSlider.Tag : options.StackSlider.Value;
    for (int j = 0; j <= rankBound(choice.listTag); ++j) {
        const int frame = frameAtRank(model, j);
        if (passes(frame)) choice.list.push_back(frame);
    }
    std::stable_sort(choice.list.begin(), choice.list.end());
    return choice;
}

PointPass pointPass(const FrameModel& model, const StackPointSet& points, int tag, bool meanShift,
                    double shiftScale) {
    PointPass pass;
    tag = rankBound(tag);
    const int count = std::min(points.Alignpoints, AlignSlotCount - 1);
    std::vector<bool> flagged(static_cast<std::size_t>(tag + 1), false);
    for (int p = 1; p <= count; ++p) {
        double sumX = 0.0, sumY = 0.0;
        int passing = 0;
        for (int j = 0; j <= tag; ++j) {
            const TFrameRec& rec = model.FrameTable[frameAtRank(model, j)];
            const TAlignSlotRec& slot = rec.Slots[p];
            if ((points.MultiQuantity && slot.Quality < points.PointQualityCut[p]) ||
                slot.Difference > points.PointDifferenceCut[p])
                continue;
            const SlotShift shift = shiftAtScale(slot, shiftScale);
            const SlotShift first = shiftAtScale(rec.Slots[1], shiftScale);
            sumX += shift.X - first.X;
            sumY += shift.Y - first.Y;
            ++passing;
            flagged[static_cast<std::size_t>(j)] = true;
        }
        const int divisor = passing == 0 ? 1 : passing;
        if (meanShift) {
            pass.PointMeanShiftX[p - 1] = static_cast<float>(sumX / divisor);
            pass.PointMeanShiftY[p - 1] = static_cast<float>(sumY / divisor);
        }
        pass.memoLines.push_back("point " + std::to_string(p) + " counter :" + std::to_string(passing) +
                                 "  " + fixed6x4(sumX / divisor) + " " + fixed6x4(sumY / divisor));
    }
    pass.flaggedCount = static_cast<int>(std::count(flagged.begin(), flagged.end(), true));
    if (meanShift && count > 1) {
        // The points 2..N keep their shifts relative to one another; their common part goes.
        double meanX = 0.0, meanY = 0.0;
        for (int i = 1; i < count; ++i) {
            meanX += pass.PointMeanShiftX[i];
            meanY += pass.PointMeanShiftY[i];
        }
        meanX /= count - 1;
        meanY /= count - 1;
        for (int i = 0; i < count; ++i) {
            pass.PointMeanShiftX[i] = static_cast<float>(pass.PointMeanShiftX[i] - meanX);
            pass.PointMeanShiftY[i] = static_cast<float>(pass.PointMeanShiftY[i] - meanY);
        }
    }
    return pass;
}

std::vector<int> pointsWithoutFrames(const FrameModel& model, const StackPointSet& points,
                                     const std::vector<int>& frames) {
    std::vector<int> empty;
    for (int p = 1; p <= std::min(points.Alignpoints, AlignSlotCount - 1); ++p) {
        const auto inUse = [&](int frame) {
            const TAlignSlotRec& slot = model.FrameTable[frame].Slots[p];
            return (!points.MultiQuantity || slot.Quality >= points.PointQualityCut[p]) &&
                   slot.Difference <= points.PointDifferenceCut[p] &&
                   slot.Difference != NotMeasuredDifference;
        };
        if (std::none_of(frames.begin(), frames.end(), inUse)) empty.push_back(p);
    }
    return empty;
}

ShiftRange listedShiftRange(const FrameModel& model, int tag, double shiftScale) {
    ShiftRange range;
    for (int j = 0; j <= rankBound(tag); ++j) {
        const TFrameRec& rec = model.FrameTable[frameAtRank(model, j)];
        if (rec.Excluded) continue;
        const SlotShift shift = shiftAtScale(rec.Slots[0], shiftScale);
        range.minX = std::min(range.minX, shift.X);
        range.minY = std::min(range.minY, shift.Y);
        range.maxX = std::max(range.maxX, shift.X);
        range.maxY = std::max(range.maxY, shift.Y);
    }
    return range;
}

Bitmap24 nearestPointMap(const StackPointSet& points, int width, int height, int maxShiftX, int maxShiftY) {
    Bitmap24 map(width, height);
    const int count = std::min(points.Alignpoints, AlignSlotCount - 1);
    std::vector<int> enabled;
    for (int p = 1; p <= count; ++p)
        if (points.PointEnabled[p]) enabled.push_back(p);
    const int rounds = std::min<int>(3, static_cast<int>(enabled.size()));
    if (rounds == 0) return map;
    parallelFor(0, height, [&](std::ptrdiff_t row) {
        const int y = static_cast<int>(row);
        std::vector<float> distance(enabled.size());
        std::vector<bool> taken(enabled.size());
        for (int x = 0; x < width; ++x) {
            for (std::size_t i = 0; i < enabled.size(); ++i) {
                const long long dx = x - (points.PointPos[enabled[i]].X + maxShiftX);
                const long long dy = y - (points.PointPos[enabled[i]].Y + maxShiftY);
                distance[i] = std::sqrt(static_cast<float>(dx * dx + dy * dy));
            }
            std::uint8_t picked[3] = {0, 0, 0};
            std::fill(taken.begin(), taken.end(), false);
            for (int r = 0; r < rounds; ++r) {
                float best = 10000000.0f;
                int choice = -1;
                for (std::size_t i = 0; i < enabled.size(); ++i)
                    if (!taken[i] && distance[i] <= best) {
                        best = distance[i];
                        choice = static_cast<int>(i);
                    }
                if (choice < 0) break;
                taken[static_cast<std::size_t>(choice)] = true;
                picked[r] = static_cast<std::uint8_t>(enabled[static_cast<std::size_t>(choice)]);
            }
            SetRGBTriple(picked[0], picked[1], picked[2], map.pixel(x, y));
        }
    });
    return map;
}

}  // namespace kestrave
