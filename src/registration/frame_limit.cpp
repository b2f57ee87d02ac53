#include "registration/frame_limit.h"

#include <algorithm>
#include <cmath>
#include <functional>

#include "registration/chart_text.h"
#include "registration/registration_state.h"

namespace kestrave {

namespace {

bool checkedAt(const std::vector<bool>& checked, int position) {
    return position >= 0 && static_cast<std::size_t>(position) < checked.size() &&
           checked[static_cast<std::size_t>(position)];
}

// Excludes every frame and lets each alignment point include the frames among its own best
// LimitCount + 1 again. Returns the new last included position (0 when none is).
int limitPerPoint(FrameModel& model, PointLimits& points, const FrameLimitInput& input, int limitCount,
                  std::vector<bool>& checked) {
    const int last = std::clamp(input.PreviewSliderMax, 0, MaxFrameIndex);
    checked.assign(static_cast<std::size_t>(last) + 1, false);
    for (int j = 0; j <= last; ++j) model.FrameTable[model.FrameRanking[j].Frame].Excluded = true;

    std::vector<float> qualities(static_cast<std::size_t>(last) + 1);
    const int pointCount = std::min(input.Alignpoints, AlignSlotCount - 1);
    for (int p = 1; p <= pointCount; ++p) {
        // The cut is the quality at position LimitCount of the point's qualities from best down.
        for (int f = 0; f <= last; ++f)
            qualities[static_cast<std::size_t>(f)] = model.FrameTable[f].Slots[p].Quality;
        std::sort(qualities.begin(), qualities.end(), std::greater<>());
        const float cut = qualities[static_cast<std::size_t>(std::min(limitCount, last))];
        points.PointQualityCut[p] = cut;
        points.PointQualityCutInit[p] = cut;
        float largest = 0.0f;
        int kept = 0;
        for (int j = 0; j <= last; ++j) {
            TFrameRec& rec = model.FrameTable[model.FrameRanking[j].Frame];
            largest = std::max(largest, rec.Slots[p].Difference);
            if (rec.Slots[p].Quality >= cut && !rec.Dropped) {
                rec.Excluded = false;
                checked[static_cast<std::size_t>(j)] = true;
                ++kept;
            }
        }
        points.PointDifferenceCut[p] = largest;
        points.PointLimitCount[p] = kept;
    }
    int lastKept = 0;
    for (int j = 0; j <= last; ++j) {
        if (!model.FrameTable[model.FrameRanking[j].Frame].Excluded) lastKept = j;
    }
    return lastKept;
}

}  // namespace

FrameLimitResult limitFrames(FrameModel& model, ProgramState& program, OptimizerState& optimizer,
                             PointLimits& points, const FrameLimitInput& input) {
    FrameLimitResult result;
    const int position = std::clamp(input.PreviewSliderValue, 0, MaxFrameIndex);
    setProcessStage(program, TProcessStage::stAligned);
    program.activepage = TMainTab::tabStack;

    if (input.AlignMethodIndex == AlignMethodNone) {
        // The whole ranking becomes the frame order, so that it stays a permutation of the frames.
        for (int j = 0; j <= std::clamp(input.PreviewSliderMax, position, MaxFrameIndex); ++j) {
            model.FrameRanking[j].Frame = j;
        }
    }
    int limitCount = framesKeptByLimit(position) - 1;

    if (model.FrameRanking[0].Key <= 0.0f) model.FrameRanking[0].Key = 1e-20f;
    optimizer.RelativeLimit = model.FrameRanking[position].Key / model.FrameRanking[0].Key;
    const double q =
        std::nearbyint(std::clamp(static_cast<double>(optimizer.RelativeLimit), -1e6, 1e6) * 20.0) * 5.0 -
        5.0;
    if (std::fabs(input.OptimizeQualitySpin - q) > 5.0) result.OptimizeQualitySpin = q;
    points.PointQualityCut[1] = static_cast<float>(q);

    const std::vector<bool>* checked = &input.checked;
    if (input.Alignpoints > 1 && input.MultiQuantity) {
        result.checked.emplace();
        limitCount = limitPerPoint(model, points, input, limitCount, *result.checked);
        checked = &*result.checked;
        limitCount = std::max(limitCount, 1);
    }
    limitCount = std::min(limitCount, MaxFrameIndex);
    if (input.Alignpoints > 1 && !input.MultiQuantity) {
        // "Simple": every point stacks the limited frames, and its graph starts there.
        for (int p = 1; p <= std::min(input.Alignpoints, AlignSlotCount - 1); ++p)
            points.PointLimitCount[p] = limitCount;
    }

    for (int j = 0; j <= limitCount; ++j) {
        const TFrameRec& rec = model.FrameTable[model.FrameRanking[j].Frame];
        result.stackFramesChecked.push_back(checkedAt(*checked, j));
        result.qualities.push_back(model.FrameRanking[j].Key);
        result.differences.push_back(rec.Slots[0].Difference);
    }
    result.frameIncrement = chartAxisIncrement(result.qualities.size());
    optimizer.ChartedFrames = static_cast<int>(result.qualities.size());

    result.LimitCount = limitCount;
    result.sliderMaximum = limitCount;
    if (input.Refframes > limitCount / 2) result.Refframes = limitCount / 2;
    result.ToStackPage = input.AlignMethodIndex == AlignMethodNone;
    result.statusText = "Processing limited to " + std::to_string(limitCount + 1) + " frames";
    return result;
}

int qualityCutoffPosition(const FrameModel& model, int last, double percent) {
    last = std::clamp(last, 0, MaxFrameIndex);
    const double best = model.FrameRanking[0].Key;
    int j = 1;
    while (j <= last && percent * best * 0.01 < model.FrameRanking[j].Key &&
           !model.FrameTable[model.FrameRanking[j].Frame].Dropped)
        ++j;
    return j - 1;
}

int framesKeptByLimit(int position) {
    return std::max(std::clamp(position, 0, MaxFrameIndex), 1) + 1;
}

std::optional<double> RefframesChange(double Refframes, int rankLimit) {
    if (Refframes > rankLimit) return rankLimit;
    return std::nullopt;
}

}  // namespace kestrave
