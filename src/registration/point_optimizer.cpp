#include "registration/point_optimizer.h"

#include <algorithm>
#include <chrono>
#include <cmath>

#include "registration/point_alignment.h"

namespace kestrave {

namespace {

// Point p's shifts become the optimizer's start: slot 0's saved shift and AlignDifference of every
// record 0..last; with `grades` the ranking's keys become the point's grades.
double parkPoint(FrameModel& model, int point, int last, bool grades) {
    double sum = 0.0;
    for (int i = 0; i <= last; ++i) {
        TFrameRec& record = model.FrameTable[i];
        const TAlignSlotRec& slot = record.Slots[point];
        record.Slots[0].SavedX = slot.SavedX;
        record.Slots[0].SavedY = slot.SavedY;
        record.AlignDifference = slot.Difference;
        sum += slot.Difference;
        if (grades)
            model.FrameRanking[i].Key = model.FrameTable[model.FrameRanking[i].Frame].Slots[point].Quality;
    }
    return sum * 0.001;
}

// The optimized shifts go back into slot p; the point's largest measured difference, scaled by
// the difference slider, becomes its cut.
float filePointBack(FrameModel& model, int point, int last, int DifSliderMalign) {
    float largest = 0.0f;
    for (int i = 0; i <= last; ++i) {
        TAlignSlotRec* slots = model.FrameTable[i].Slots;
        TAlignSlotRec& slot = slots[point];
        slot.X = slots[0].X;
        slot.Y = slots[0].Y;
        slot.ShiftScale = slots[0].ShiftScale;
        slot.Difference = slots[0].Difference;
        slot.Peak = slots[0].Peak;
        if (slot.Difference > largest && slot.Difference != NotMeasuredDifference) largest = slot.Difference;
    }
    return static_cast<float>(DifSliderMalign * static_cast<double>(largest) * 0.001);
}

}  // namespace

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
    for (int p = count, done = 1; p >= 1; --p, ++done) {
        observer.pointStarting(p, average != 0 ? pointCountdown(average, p) : 0);
        context.program.FeatureX = points.PointPos[p].X;
        context.program.FeatureY = points.PointPos[p].Y;
        limits.PointQualitySlider[p] = input.StackSliderMax;
        limits.PointDifferenceSlider[p] = 1000;
        if (fftItemForSize(points.PointFFTSize[p]) >= 0) pointOptions.FFTSize = points.PointFFTSize[p];
        float& best = points.PointBestQuality[p];
        if (best == 0.0f) best = 1.0f;
        if (input.MultiQuantity) state.RelativeLimit = limits.PointQualityCut[p] / best;
        context.alignment.DifferenceSum = parkPoint(model, p, last, input.MultiQuantity);
        if (input.MultiQuantity) model.FrameRanking[0].Key = best;
        state.RegistrationCaption = "Alignmentpoint " + std::to_string(p);
        if (!context.progress.cancelRequested()) {
            const OptimizerRunResult run = Optimize_Alignpoint(context, pointOptions);
            if (run.Warnings) result.Warnings = pointOptions.Warnings = *run.Warnings;
        }
        limits.PointDifferenceCut[p] = filePointBack(model, p, last, input.DifSliderMalign);
        observer.pointFinished(p, done);
        const auto elapsed = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        average = static_cast<int>(std::nearbyint(std::min(elapsed / done, 1e9)));
        // The points not yet reached keep their alignment: slot 0 holds this point's shifts.
        if (context.progress.cancelRequested()) {
            result.cancelled = true;
            break;
        }
    }
    return result;
}

}  // namespace kestrave
