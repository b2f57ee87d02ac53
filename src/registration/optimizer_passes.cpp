#include "registration/optimizer_passes.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <mutex>

#include "frames/pixel_helpers.h"
#include "platform/parallel.h"
#include "platform/scope_exit.h"
#include "platform/zeroed_allocator.h"
#include "registration/chart_text.h"

namespace kestrave {

namespace {

// Frames handed to the cores at once (whatever the thread count); cancel is tested and the view
// told between chunks, while no step runs.
constexpr int ChunkFrames = 32;

int lastPositionOf(const OptimizerOptions& options) {
    return std::clamp(options.lastPosition, -1, MaxFrameIndex);
}

TFrameRec& recordAt(FrameModel& model, int position) {
    return model.FrameTable[model.FrameRanking[position].Frame];
}

// 0.001 x the sum of the slot-0 differences of positions 0..last, in ranking order.
double differenceSum(const FrameModel& model, int last) {
    double sum = 0.0;
    for (int j = 0; j <= last; ++j) sum += model.FrameTable[model.FrameRanking[j].Frame].Slots[0].Difference;
    return sum * 0.001;
}

// Every position 0..last starts again from the alignment: its shift, the given start difference
// (the alignment's or `restart`), Improvement 90. Returns the largest and the summed difference.
struct RestoredTotals {
    double largest = 0.0;
    double sum = 0.0;
};
RestoredTotals restoreAlignment(FrameModel& model, int last, bool restart) {
    RestoredTotals totals;
    for (int j = 0; j <= last; ++j) {
        TFrameRec& rec = recordAt(model, j);
        TAlignSlotRec& slot = rec.Slots[0];
        slot.Difference = restart ? RestartDifference : rec.AlignDifference;
        totals.largest = std::max(totals.largest, static_cast<double>(slot.Difference));
        totals.sum += slot.Difference;
        rec.Improvement = RunStartImprovement;
        slot.X = slot.SavedX;
        slot.Y = slot.SavedY;
        slot.ShiftScale = 1.0f;
    }
    return totals;
}

void forceAll(FrameModel& model, int last, bool resetDifference) {
    for (int j = 0; j <= last; ++j) {
        TFrameRec& rec = recordAt(model, j);
        if (resetDifference) rec.Slots[0].Difference = RestartDifference;
        rec.Improvement = ForcedImprovement;
    }
}

// Round(x) as text, for the improvement percentages.
std::string percentText(double x) {
    if (!std::isfinite(x)) return "0";
    return std::to_string(static_cast<long long>(std::nearbyint(std::clamp(x, -1e15, 1e15))));
}

std::string improvementOf(double sum, double previous) {
    return percentText((1.0 - sum / previous) * 100.0);
}

// A restart question; returns whether to restart. Asked only outside batch runs and with Warnings
// checked; then the "do not repeat" box turns Warnings off.
bool confirmRestart(OptimizerContext& context, const OptimizerOptions& options, const std::string& caption,
                    const std::string& text, const std::string& checkBoxCaption, OptimizerRunResult& result) {
    if (!options.Warnings || context.program.BatchMode) return true;
    const bool yes = context.messages.ask(mtWarning, caption, text, mbYesNo, mrYes, checkBoxCaption) == mrYes;
    result.Warnings = !context.messages.messageBoxChecked();
    return yes;
}

struct PassJob {
    int position = 0;
    int frame = 0;
    int counter = 0;  // the frame's count in the pass's progress
    Bitmap24 currentBox;
};

// The frames of the pass, in ranking order; converged frames only count in the progress. A frame
// that the ranking lists twice is optimized once (its steps must not run side by side).
std::vector<PassJob> passJobs(const FrameModel& model, int last, double threshold, float relativeLimit) {
    std::vector<PassJob> jobs;
    std::vector<bool> taken(FrameCapacity, false);
    int counter = 1;
    for (int j = 0; j <= last; ++j) {
        const int frame = model.FrameRanking[j].Frame;
        const TFrameRec& rec = model.FrameTable[frame];
        if (rec.Excluded || taken[static_cast<std::size_t>(frame)]) continue;
        if (rec.Improvement <= threshold) {
            ++counter;
            continue;
        }
        if (!aboveRelativeLimit(model, j, relativeLimit)) continue;
        taken[static_cast<std::size_t>(frame)] = true;
        PassJob job;
        job.position = j;
        job.frame = frame;
        job.counter = counter++;
        jobs.push_back(std::move(job));
    }
    return jobs;
}

// The steps of jobs [first, end) (a chunk of the pass): task t of the chunk works in workspaces[t] (one per
// thread, kept from chunk to chunk so that their buffers are not made again). Every thread takes the next
// frame from the prefetcher (one at a time, in list order) as it gets free, copies the parts it reads and
// optimizes it, so reading and optimizing overlap. Every frame's steps depend only on the frame and the
// pass's reference, so the results do not depend on which thread took which frame. What the chunks of one
// pass share: the pass's inputs, its frames in reading order, the workspaces and the jobs.
struct PassChunks {
    OptimizerContext& context;
    const OptimizerOptions& options;
    const OptimizerGeometry& geometry;
    const OptimizerReference& reference;
    FramePrefetcher& prefetcher;
    std::vector<OptimizerWorkspace>& workspaces;
    std::vector<PassJob>& jobs;

    void optimize(std::size_t first, std::size_t end);
};

void PassChunks::optimize(std::size_t first, std::size_t end) {
    FrameModel& model = context.model;
    const int fieldCount = options.search.interlaced ? 2 : 1;
    const bool levels = context.frames.makesLevels();
    std::mutex reading;
    std::size_t next = first;
    std::atomic<bool> failed{false};
    parallelFor(0, std::min<std::ptrdiff_t>(threadCount(), static_cast<std::ptrdiff_t>(end - first)),
                [&](std::ptrdiff_t task) {
                    OptimizerWorkspace& workspace = workspaces[static_cast<std::size_t>(task)];
                    std::vector<FramePatch> patches;
                    for (;;) {
                        std::size_t k = 0;
                        std::size_t position = 0;
                        const FrameBuffers* buffers = nullptr;
                        patches.clear();
                        {
                            const std::lock_guard<std::mutex> lock(reading);
                            if (next == end || failed.load()) return;
                            k = next++;
                            try {
                                buffers = &prefetcher.next(position);
                            } catch (...) {
                                failed.store(true);
                                throw;
                            }
                        }
                        // The patches are copied while other threads take the next frames.
                        try {
                            const TFrameRec& record = model.FrameTable[jobs[k].frame];
                            for (int field = 0; field < fieldCount; ++field)
                                patches.push_back(levels ? takeFramePatch(buffers->Levels, record, model,
                                                                          geometry, options.search, field)
                                                         : takeFramePatch(buffers->Preview, record, model,
                                                                          geometry, options.search, field));
                        } catch (...) {
                            failed.store(true);
                            prefetcher.release(position);
                            throw;
                        }
                        prefetcher.release(position);
                        PassJob& job = jobs[k];
                        TFrameRec& rec = model.FrameTable[job.frame];
                        for (FramePatch& patch : patches)
                            job.currentBox = optimizeFramePatch(patch, rec, model, reference, options.search,
                                                                context.GammaTable, workspace)
                                                 .currentBox;
                    }
                });
}

}  // namespace

namespace {

// One pass of a loop, counted; false when the loop must stop because of a cancel.
bool loopPass(OptimizerContext& context, const OptimizerOptions& options, OptimizerRunResult& result,
              int& counted) {
    const OptimizerPassResult passResult = Run_Optimizer(context, options);
    ++context.alignment.OptimizePass;
    ++result.passes;
    counted = passResult.counted;
    result.cancelled = passResult.cancelled || context.progress.cancelRequested();
    return !result.cancelled;
}

// Passes until one gains less than OptimizeSpin percent of the previous total; after a pass that
// raised the total every frame is taken again. The status text is `prefix` + the gain + ")";
// `beforePass` runs before each pass. False when a cancel stopped the passes.
bool passUntilNoGain(OptimizerContext& context, const OptimizerOptions& options, double& previous,
                     OptimizerRunResult& result, int& counted, const std::string& prefix,
                     const std::function<void()>& beforePass) {
    AlignmentState& alignment = context.alignment;
    OptimizerState& state = context.optimizer;
    while ((1.0 - options.OptimizeSpin * 0.01) * previous > alignment.DifferenceSum) {
        state.OptimizerStatusText = prefix + improvementOf(alignment.DifferenceSum, previous) + ")";
        previous = alignment.DifferenceSum;
        if (beforePass) beforePass();
        if (!loopPass(context, options, result, counted)) return false;
        if (alignment.DifferenceSum > previous) {
            previous = alignment.DifferenceSum * 1.5;
            forceAll(context.model, lastPositionOf(options), false);
        }
    }
    return true;
}

}  // namespace

bool aboveRelativeLimit(const FrameModel& model, int position, float RelativeLimit) {
    const double best = model.FrameRanking[0].Key;
    const double threshold = static_cast<double>(RelativeLimit) * best;
    return model.FrameRanking[position].Key >= threshold - 1e-6 * std::fabs(threshold);
}

OptimizerChart optimizerChart(const FrameModel& model, int lastPosition, float RelativeLimit) {
    OptimizerChart chart;
    double largest = 0.0;
    for (int j = 0; j <= lastPosition; ++j) {
        const TFrameRec& rec = model.FrameTable[model.FrameRanking[j].Frame];
        if (rec.Excluded || !aboveRelativeLimit(model, j, RelativeLimit)) continue;
        const bool unmeasured = rec.Slots[0].Difference == RestartDifference;
        chart.quality.push_back(model.FrameRanking[j].Key);
        chart.difference.push_back(unmeasured ? 0.0 : rec.Slots[0].Difference);
        chart.unmeasured.push_back(unmeasured);
        chart.positions.push_back(j);
        largest = std::max(largest, chart.difference.back());
    }
    const auto count = chart.quality.size();
    chart.frameIncrement = count > 10 ? (static_cast<double>(count) - 1.0) * 0.1 : 1.0;
    chart.showDifferenceAxis = largest > 1.0;
    chart.differenceIncrement = chart.showDifferenceAxis ? 0.1 * largest : 0.0;
    return chart;
}

OptimizerPassResult Run_Optimizer(OptimizerContext& context, const OptimizerOptions& options) {
    AlignmentState& alignment = context.alignment;
    FrameModel& model = context.model;
    OptimizerState& state = context.optimizer;
    OptimizerPassResult result;
    context.program.progstatus = TProgStatus::psOptimized;
    if (state.NewReferenceMade && !state.ReferenceImage.empty()) {
        CopyBitmap(state.ReferenceImage, context.registration.Image1);
    }
    // What the previous pass freed goes back to the system before this pass's buffers are made.
    returnFreeMemory();
    const OptimizerGeometry geometry = optimizerGeometry(options.FFTSize, context.program.FeatureX,
                                                         context.program.FeatureY, model, options.search);
    const OptimizerReference reference =
        buildReferenceWindow(context.registration.Image1, model, geometry, options.search);

    state.InOptimizePass = true;
    const ScopeExit passEnds([&state] { state.InOptimizePass = false; });
    const int last = lastPositionOf(options);
    const double threshold = options.OptimizeSpin;

    const OptimizerChart chart = optimizerChart(model, last, state.RelativeLimit);
    result.counted = static_cast<int>(chart.quality.size());
    state.ChartedFrames = result.counted;
    context.observer.passStarted(
        chart,
        {.picture = geometry.resampled ? reference.resampledPicture : context.registration.Image1,
         .featureX = geometry.featureX,
         .featureY = geometry.featureY,
         .side = geometry.resampled ? static_cast<int>(std::nearbyint(options.FFTSize * geometry.factor))
                                    : options.FFTSize,
         .half = geometry.h,
         .resampled = geometry.resampled});
    const int maximum = std::max(result.counted, 1);
    context.progress.setMaximum(maximum);
    // The status counts one more than the bar's end.
    context.progress.setStatus(
        3, "Optimizing " + std::to_string(maximum + 1) + " frames " + state.OptimizerStatusText);
    const int step = std::max((maximum - 1) / 20, 1);

    std::vector<PassJob> jobs = passJobs(model, last, threshold, state.RelativeLimit);
    // Each frame is read for its patches alone: the readers that can make only the rows those
    // take are asked for no more. A frame's shifts change only once its patches are taken.
    std::vector<int> frames;
    std::vector<RowBand> rows;
    frames.reserve(jobs.size());
    rows.reserve(jobs.size());
    const int fieldCount = options.search.interlaced ? 2 : 1;
    for (const PassJob& job : jobs) {
        frames.push_back(job.frame);
        rows.push_back(patchRows(model.FrameTable[job.frame], geometry, options.search, fieldCount));
    }
    // A grey picture is read as its levels alone where the source makes them (a third of the bytes
    // to make and to hold); the patches are the same.
    const bool levels = context.frames.makesLevels();
    const std::size_t pictureBytes =
        (levels ? static_cast<std::size_t>(model.FrameWidth) : Bitmap24::strideFor(model.FrameWidth)) *
        std::max(model.FrameHeight, 1);
    // A thread holds its frame only while it copies the patches, beside the others: two held at
    // once is usual (more only keep the readers from reading that far ahead for a moment).
    constexpr int Held = 2;
    FramePrefetcher prefetcher(context.frames, std::move(frames), readAheadDepth(pictureBytes), Held,
                               levels ? FrameParts::Levels : FrameParts::Preview,
                               [&rows](std::size_t k) { return rows[k]; });
    const auto chunk = static_cast<std::size_t>(std::max(step, ChunkFrames));
    std::vector<OptimizerWorkspace> workspaces(static_cast<std::size_t>(std::max(threadCount(), 1)));
    PassChunks chunks{context, options, geometry, reference, prefetcher, workspaces, jobs};

    for (std::size_t first = 0; first < jobs.size(); first += chunk) {
        context.progress.setPosition(jobs[first].counter);
        if (context.progress.cancelled()) {
            result.cancelled = true;
            break;
        }
        const std::size_t end = std::min(jobs.size(), first + chunk);
        chunks.optimize(first, end);
        for (std::size_t k = first; k < end; ++k) {
            PassJob& job = jobs[k];
            const TFrameRec& rec = model.FrameTable[job.frame];
            result.xSum += std::abs(rec.Slots[0].X);
            result.ySum += std::abs(rec.Slots[0].Y);
            ++result.optimized;
            context.observer.frameOptimized(job.position, job.frame, rec, job.currentBox);
            // Shown: the box goes, so that a pass holds the boxes of one chunk, not of every frame.
            job.currentBox = Bitmap24();
        }
    }

    alignment.DifferenceSum = differenceSum(model, last);
    context.observer.passFinished(result, alignment.DifferenceSum);
    setProcessStage(context.program, TProcessStage::stAligned);
    context.program.activepage = TMainTab::tabStack;
    return result;
}

OptimizerRunResult Optimize_Alignpoint(OptimizerContext& context, const OptimizerOptions& options) {
    AlignmentState& alignment = context.alignment;
    FrameModel& model = context.model;
    OptimizerState& state = context.optimizer;
    OptimizerRunResult result;
    const int last = lastPositionOf(options);

    RestoredTotals totals = restoreAlignment(model, last, options.search.Resampled);
    if (state.NewReferenceMade &&
        confirmRestart(context, options, "Optimizer restart", " A new reference was created, continue ?",
                       "Ignore this type of warning ", result)) {
        forceAll(model, last, true);
        totals.largest = RestartDifference;
        totals.sum *= 90.0;
    }
    const double largest = std::max(totals.largest, 0.0);
    const double average = totals.sum / (last + 1);
    alignment.DifferenceSum = totals.sum * 0.001;

    auto averageCaption = [&](double mean) {
        return state.RegistrationCaption +
               " Average pixel difference :" + fixedPointText(std::sqrt(mean), 6, 3) +
               " max :" + fixedPointText(std::sqrt(largest), 6, 3);
    };
    const bool restarting = largest == RestartDifference;
    context.observer.captionChanged(!state.NewReferenceMade && !restarting
                                        ? averageCaption(average)
                                        : state.RegistrationCaption + " Restarting optimizer ");

    double previous = alignment.DifferenceSum;
    context.progress.setStatus(
        3, "Optimizing " + std::to_string(last + 1) + " frames " + state.OptimizerStatusText);
    int counted = 0;
    if (context.progress.cancelRequested()) {
        result.cancelled = true;
        return result;
    }
    if (!loopPass(context, options, result, counted)) return result;
    if (alignment.DifferenceSum > previous) previous = alignment.DifferenceSum * 1.5;
    auto showCaption = [&] {
        double mean = 0.0;
        for (int j = 0; j <= last; ++j) mean += recordAt(model, j).Slots[0].Difference;
        mean /= last + 1;
        context.observer.captionChanged(restarting ? state.RegistrationCaption + " Restart optimizer "
                                                   : averageCaption(mean));
    };
    if (!options.search.FastOptim &&
        !passUntilNoGain(context, options, previous, result, counted, "(% improvement : ", showCaption)) {
        return result;
    }
    if (previous > 0.0) {
        context.progress.setStatus(3, "Optimizer(n=" + std::to_string(counted) + ") : Last improvement :" +
                                          improvementOf(alignment.DifferenceSum, previous) + "%");
    }
    return result;
}

OptimizerRunResult optimizeBeforeStacking(OptimizerContext& context, const OptimizerOptions& options) {
    AlignmentState& alignment = context.alignment;
    FrameModel& model = context.model;
    OptimizerState& state = context.optimizer;
    OptimizerRunResult result;
    const int last = lastPositionOf(options);
    context.progress.setCancelRequested(false);
    state.OptimizerStatusText.clear();

    const RestoredTotals totals =
        restoreAlignment(model, last, state.NewReferenceMade || options.search.Resampled);
    alignment.DifferenceSum = totals.sum * 0.001;
    context.program.activepage = TMainTab::tabStack;
    context.observer.alignmentRestored();
    double previous = alignment.DifferenceSum;

    int counted = 0;
    if (!loopPass(context, options, result, counted)) return result;
    if (alignment.DifferenceSum > previous) {
        if (confirmRestart(context, options, "Optimizing",
                           "Differences increased due to new reference, continue ?",
                           " Do not repeat this type of warning ", result)) {
            forceAll(model, last, true);
            previous = alignment.DifferenceSum * 100.0;
            alignment.DifferenceSum *= 90.0;
        } else {
            alignment.DifferenceSum = previous;
        }
    }
    passUntilNoGain(context, options, previous, result, counted, "(% improvement :", nullptr);
    return result;
}

}  // namespace kestrave
