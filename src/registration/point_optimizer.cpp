#include "registration/point_optimizer.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <optional>

#include "registration/point_alignment.h"

namespace kestrave {

namespace {

// Where the reference picture's frame shows point p, from the frame the points were placed on.
struct ReferenceOffset {
    int X = 0;
    int Y = 0;
};

// Point p's shifts, measured from the reference picture's, become the optimizer's start: slot 0's
// saved shift and AlignDifference of every record 0..last (not measured on the point's box when
// `measured` is false); with `grades` the ranking's keys become the point's grades.
double parkPoint(FrameModel& model, int point, int last, bool grades, bool measured, ReferenceOffset offset) {
    double sum = 0.0;
    for (int i = 0; i <= last; ++i) {
        TFrameRec& record = model.FrameTable[i];
        const TAlignSlotRec& slot = record.Slots[point];
        record.Slots[0].SavedX = slot.SavedX - offset.X;
        record.Slots[0].SavedY = slot.SavedY - offset.Y;
        record.AlignDifference = measured ? slot.Difference : NotMeasuredDifference;
        sum += slot.Difference;
        if (grades)
            model.FrameRanking[i].Key = model.FrameTable[model.FrameRanking[i].Frame].Slots[point].Quality;
    }
    return sum * 0.001;
}

// The variance of a box of pure noise is the noise's own; a little more is still noise.
constexpr double NoDetailRatio = 1.1;

}  // namespace

namespace {

// The green values of the box of half side h around (x, y): how many, their variance, and the
// noise's variance read from the steps between neighbours.
struct BoxSpread {
    long n = 0;
    double variance = 0.0;
    double noise = 0.0;
};

std::optional<BoxSpread> boxSpread(const Bitmap24& picture, int x, int y, int h) {
    const int x0 = std::max(x - h, 0), x1 = std::min(x + h, picture.width() - 1);
    const int y0 = std::max(y - h, 0), y1 = std::min(y + h, picture.height() - 1);
    double sum = 0.0, squares = 0.0, steps = 0.0;
    long n = 0, stepCount = 0;
    for (int v = y0; v <= y1; ++v) {
        for (int u = x0; u <= x1; ++u) {
            const double g = picture.pixel(u, v)[1];
            sum += g;
            squares += g * g;
            ++n;
            if (u < x1 && v < y1) {
                const double right = picture.pixel(u + 1, v)[1] - g;
                const double below = picture.pixel(u, v + 1)[1] - g;
                steps += right * right + below * below;
                stepCount += 2;
            }
        }
    }
    if (n < 4 || stepCount == 0) return std::nullopt;
    const double mean = sum / static_cast<double>(n);
    return BoxSpread{n, squares / static_cast<double>(n) - mean * mean,
                     steps / static_cast<double>(stepCount) / 2.0};
}

// What a box needs before the frames can be aligned on it alone. Grids on synthesised lunar
// recordings with a local warp: a 64-pixel point 1 whose detail over its noise, summed over its
// pixels, came to 4100 or more aligned the frames as well as the whole-frame box or better, while
// 2800 or less (faint maria) threw some frames off and blurred the stack. A 32-pixel box threw
// frames off by several pixels whatever it held: the frames move by more than a few pixels, and
// such a box loses much of its overlap with itself.
constexpr double CarryingDetail = 3500.0;
constexpr int CarryingHalfSide = 32;

}  // namespace

bool boxHoldsNothing(const Bitmap24& picture, int x, int y, int h) {
    const std::optional<BoxSpread> box = boxSpread(picture, x, y, h);
    return box && box->variance <= NoDetailRatio * box->noise;
}

bool boxCarriesAlignment(const Bitmap24& picture, int x, int y, int h) {
    if (h < CarryingHalfSide) return false;
    const std::optional<BoxSpread> box = boxSpread(picture, x, y, h);
    if (!box) return true;
    if (box->noise <= 0.0) return box->variance > 0.0;
    return (box->variance / box->noise - 1.0) * static_cast<double>(box->n) >= CarryingDetail;
}

namespace {

// The optimized shifts and differences go back into slot p.
void filePointBack(FrameModel& model, int point, int last, ReferenceOffset offset, bool holdsNothing) {
    for (int i = 0; i <= last; ++i) {
        TFrameRec& record = model.FrameTable[i];
        TAlignSlotRec* slots = record.Slots;
        TAlignSlotRec& slot = slots[point];
        if (holdsNothing) {
            slot.X = slot.SavedX;
            slot.Y = slot.SavedY;
            slot.ShiftScale = 1.0f;
        } else {
            slot.X = slots[0].X +
                     static_cast<int>(std::lround(offset.X * static_cast<double>(slots[0].ShiftScale)));
            slot.Y = slots[0].Y +
                     static_cast<int>(std::lround(offset.Y * static_cast<double>(slots[0].ShiftScale)));
            slot.ShiftScale = slots[0].ShiftScale;
        }
        slot.Difference = slots[0].Difference;
        slot.Peak = slots[0].Peak;
    }
}

// A point never measured on its own box holds point 1's shifts (or the whole-frame box's, which
// point 1 holds too); it takes point 1's differences for the frames it was not measured on.
void letFramesIn(FrameModel& model, int point, int last, PointLimits& limits) {
    if (point == 1) return;
    for (int i = 0; i <= last; ++i) {
        TAlignSlotRec* slots = model.FrameTable[i].Slots;
        if (slots[point].Difference != NotMeasuredDifference) continue;
        slots[point].Difference = slots[1].Difference;
        limits.PointDifferenceBorrowed[point] = true;
    }
}

// A point whose box holds nothing to lock on places its zone as the nearest point that holds
// does, frame by frame, so that the zone moves with its surroundings; with no such point it keeps
// the alignment's shifts.
std::vector<std::pair<int, int>> followNearestHoldingPoints(FrameModel& model, const AlignmentPoints& points,
                                                            int count, int last,
                                                            const std::array<bool, AlignSlotCount>& empty) {
    std::vector<std::pair<int, int>> followers;
    for (int p = 1; p <= count; ++p) {
        if (!empty[static_cast<std::size_t>(p)]) continue;
        int nearest = 0;
        long long best = 0;
        for (int q = 1; q <= count; ++q) {
            if (empty[static_cast<std::size_t>(q)]) continue;
            const long long dx = points.PointPos[q].X - points.PointPos[p].X;
            const long long dy = points.PointPos[q].Y - points.PointPos[p].Y;
            if (nearest == 0 || dx * dx + dy * dy < best) {
                nearest = q;
                best = dx * dx + dy * dy;
            }
        }
        followers.emplace_back(p, nearest);
        if (nearest == 0) continue;
        for (int i = 0; i <= last; ++i) {
            TAlignSlotRec* slots = model.FrameTable[i].Slots;
            slots[p].X = slots[nearest].X;
            slots[p].Y = slots[nearest].Y;
            slots[p].ShiftScale = slots[nearest].ShiftScale;
        }
    }
    return followers;
}

}  // namespace

void fileOptimizedLimits(const FrameModel& model, int point, int last, int DifSliderMalign,
                         int StackSliderMax, PointLimits& limits) {
    float largest = 0.0f;
    for (int i = 0; i <= last; ++i) {
        const float difference = model.FrameTable[i].Slots[point].Difference;
        if (difference > largest && difference != NotMeasuredDifference) largest = difference;
    }
    limits.PointQualitySlider[point] = StackSliderMax;
    limits.PointDifferenceSlider[point] = 1000;
    limits.PointDifferenceCut[point] =
        static_cast<float>(DifSliderMalign * static_cast<double>(largest) * 0.001);
}

int rankOfFrame(const FrameModel& model, int frame, int lastPosition) {
    for (int j = 0; j <= std::clamp(lastPosition, 0, MaxFrameIndex); ++j)
        if (model.FrameRanking[j].Frame == frame) return j;
    return 0;
}

PointOptimizerResult Optimize_AllAlignpoints(OptimizerContext& context, const OptimizerOptions& options,
                                             AlignmentPoints& points, PointLimits& limits,
                                             const PointOptimizerInput& input,
                                             PointOptimizerObserver& observer) {
    using Clock = std::chrono::steady_clock;
    FrameModel& model = context.model;
    OptimizerState& state = context.optimizer;
    PointOptimizerResult result;
    context.progress.setCancelRequested(false);
    context.program.progstatus = TProgStatus::psOptimized;
    const int last = std::clamp(input.lastFrame, 0, MaxFrameIndex);
    const int count = std::clamp(points.Alignpoints, 1, MaxAlignPoints);
    OptimizerOptions pointOptions = options;
    const Clock::time_point start = Clock::now();
    int average = 0;
    int filed = count;
    int unreached = 0;
    std::array<bool, AlignSlotCount> empty{};
    for (int p = count, done = 1; p >= 1; --p, ++done) {
        filed = p;
        observer.pointStarting(p, average != 0 ? pointCountdown(average, p) : 0);
        ReferenceOffset offset;
        if (input.referenceFrame >= 0 && input.referenceFrame <= MaxFrameIndex) {
            const TAlignSlotRec& shown = model.FrameTable[input.referenceFrame].Slots[p];
            offset = {shown.SavedX, shown.SavedY};
        }
        context.program.FeatureX = points.PointPos[p].X + offset.X;
        context.program.FeatureY = points.PointPos[p].Y + offset.Y;
        const int half = points.PointFFTSize[p] / 2;
        const bool nothing =
            input.placementPicture != nullptr
                ? boxHoldsNothing(*input.placementPicture, points.PointPos[p].X, points.PointPos[p].Y, half)
                : boxHoldsNothing(context.registration.Image1, context.program.FeatureX,
                                  context.program.FeatureY, half);
        empty[static_cast<std::size_t>(p)] = nothing;
        if (fftItemForSize(points.PointFFTSize[p]) >= 0) pointOptions.FFTSize = points.PointFFTSize[p];
        float& best = points.PointBestQuality[p];
        if (best == 0.0f) best = 1.0f;
        if (input.MultiQuantity) state.RelativeLimit = limits.PointQualityCut[p] / best;
        const bool measured = !input.wholeFrameStart && !limits.PointDifferenceBorrowed[p];
        context.alignment.DifferenceSum = parkPoint(model, p, last, input.MultiQuantity, measured, offset);
        if (input.MultiQuantity) model.FrameRanking[0].Key = best;
        state.RegistrationCaption = "Alignmentpoint " + std::to_string(p);
        if (context.progress.cancelRequested()) {
            // The optimizer never started on this point: its slot is left as it was (the closing
            // copy puts it in slot 0).
            unreached = p;
            result.cancelled = true;
            break;
        }
        const OptimizerRunResult run = Optimize_Alignpoint(context, pointOptions);
        if (run.Warnings) result.Warnings = pointOptions.Warnings = *run.Warnings;
        filePointBack(model, p, last, offset, nothing);
        limits.PointDifferenceBorrowed[p] = false;
        fileOptimizedLimits(model, p, last, input.DifSliderMalign, input.StackSliderMax, limits);
        observer.pointFinished(p, done);
        const auto elapsed = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        average = static_cast<int>(std::nearbyint(std::min(elapsed / done, 1e9)));
        if (context.progress.cancelRequested()) {
            unreached = p - 1;
            result.cancelled = true;
            break;
        }
    }
    // The points a cancel left unreached keep their alignment, and limits that let their frames in.
    for (int p = 1; p <= unreached; ++p) {
        letFramesIn(model, p, last, limits);
        fileOptimizedLimits(model, p, last, input.DifSliderMalign, input.StackSliderMax, limits);
    }
    if (!result.cancelled) result.followers = followNearestHoldingPoints(model, points, count, last, empty);
    // Slot 0 ends as the last point filed (point 1 after a whole run), as shifts from the frame the
    // points were placed on: the stack places every zone at slot 0 plus the zone's offset from
    // point 1, so a point 1 that follows another point (or keeps the alignment's shifts) must leave
    // slot 0 where its zone went, not where the optimizer's search on its empty box ended.
    for (int i = 0; i <= last; ++i) {
        TAlignSlotRec* slots = model.FrameTable[i].Slots;
        slots[0].X = slots[filed].X;
        slots[0].Y = slots[filed].Y;
        slots[0].ShiftScale = slots[filed].ShiftScale;
        slots[0].SavedX = slots[filed].SavedX;
        slots[0].SavedY = slots[filed].SavedY;
    }
    if (input.referenceFrame >= 0) {
        context.program.FeatureX = points.PointPos[filed].X;
        context.program.FeatureY = points.PointPos[filed].Y;
    }
    return result;
}

}  // namespace kestrave
