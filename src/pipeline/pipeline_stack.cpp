// The stacking stage of the pipeline.

#include <algorithm>

#include "persist/big_ini_file.h"
#include "pipeline/pipeline.h"
#include "registration/voronoi_diagram.h"
#include "stacking/sigma_events.h"
#include "stacking/stack_cutoffs.h"
#include "stacking/stack_list.h"
#include "stacking/stack_style.h"

namespace kestrave {

bool StackCount::set(int count) {
    count = std::clamp(count, 0, last);
    if (count == value) return false;
    value = count;
    return true;
}

bool StackCount::setLast(int end) {
    if (end <= 0 || end == last) return false;
    last = end;
    set(value);
    return true;
}

void StackStage::setStackCount(int count) {
    if (run_.stackCount.set(count)) announce(PipelineChange::StackCount);
}

void StackStage::setStackCountRange(int last) {
    if (run_.stackCount.setLast(last)) announce(PipelineChange::StackCount);
}

std::unique_ptr<InputFrameSource> InputStage::inputFrames(int lastFrame, const FrameSourceOptions& options) {
    return makeFrameSource(run_.model, lastFrame, options);
}

void StackStage::useStackFactors(float resampleFactor, float drizzleFactor, bool frameSized) {
    run_.state.ResampleFactor = resampleFactor;
    run_.state.DrizzleFactor = drizzleFactor;
    run_.stackRunFrameSized = frameSized;
    announce(PipelineChange::StackRun);
}

void StackStage::endStackRun() {
    announce(PipelineChange::StackRunEnded);
}

void StackStage::setDrizzled(bool drizzled) {
    if (run_.drizzled == drizzled) return;
    run_.drizzled = drizzled;
    announce(PipelineChange::Drizzle);
}

void StackStage::setResampled(bool resampled) {
    run_.resampled = resampled;
    announce(PipelineChange::Resampling);
}

void StackStage::setResampleFactor(float resampleFactor) {
    run_.state.ResampleFactor = resampleFactor;
}

StackEnd StackStage::makeStack(const StackOptions& options, FrameSource& frames, ProgressPort& progress,
                               MessagePort& messages) {
    return endStack(stack(options, frames, progress, messages), options.Colourstack);
}

SigmaStackEnd StackStage::makeSigmaStack(const StackOptions& options, FrameSource& frames,
                                         ProgressPort& progress, MessagePort& messages,
                                         const std::filesystem::path& eventLog) {
    SigmaStackEnd sigma{.passes = sigmaStack(options, frames, progress, messages, eventLog)};
    sigma.end = endStack(std::move(sigma.passes.published()), options.Colourstack);
    return sigma;
}

StackEnd StackStage::endStack(StackResult&& result, bool colour) {
    StackEnd end{.outcome = result.outcome,
                 .darkSwitchedOff = result.darkSwitchedOff,
                 .flatSwitchedOff = result.flatSwitchedOff,
                 .rawDarkSwitchedOff = result.rawDarkSwitchedOff};
    if (end.outcome == StackOutcome::Stacked) end.kept = &keepStack(std::move(result), colour);
    if (end.darkSwitchedOff || end.flatSwitchedOff || end.rawDarkSwitchedOff)
        switchCalibration({.darkOff = end.darkSwitchedOff,
                           .flatOff = end.flatSwitchedOff,
                           .rawDarkOff = end.rawDarkSwitchedOff});
    return end;
}

void StackStage::switchCalibration(const CalibrationSwitching& switching) {
    run_.calibrationSwitching = switching;
    announce(PipelineChange::Calibration);
}

StackResult StackStage::stack(const StackOptions& options, FrameSource& frames, ProgressPort& progress,
                              MessagePort& messages) {
    StackResult result =
        stackFrames(run_.model, run_.state, run_.images, options, frames, progress, messages);
    // The run moved the program on (or left it where a refusal found it): the pages it opens follow.
    announce(PipelineChange::Stage);
    return result;
}

SigmaStackRun StackStage::sigmaStack(const StackOptions& options, FrameSource& frames, ProgressPort& progress,
                                     MessagePort& messages, const std::filesystem::path& eventLog) {
    SigmaStackRun run = kestrave::sigmaStack(run_.model, run_.state, run_.images, options, frames, progress,
                                             messages, eventLog);
    announce(PipelineChange::Stage);
    return run;
}

const StackResult& StackStage::keepStack(StackResult&& result, bool colour) {
    run_.stack.result = std::move(result);
    run_.stack.Colourstack = colour;
    StackResult& stack = run_.stack.result;
    static_assert(ToneHistogramBins == ToneHistogramLast + 1);
    WaveletData& wavelet = run_.wavelet;
    wavelet.Stackimage = std::move(stack.Stackimage);
    wavelet.stack.StackMinValue = stack.StackMinValue;
    wavelet.stack.StackMaxValue = stack.StackMaxValue;
    const StackStatistics& statistics = stack.statistics;
    wavelet.stack.means = {statistics.StackMeanR, statistics.StackMeanG, statistics.StackMeanB,
                           statistics.StackMeanLum};
    std::transform(statistics.ToneHistogramRaw.begin(), statistics.ToneHistogramRaw.end(),
                   wavelet.StackLuminanceHistogram.begin(),
                   [](double count) { return static_cast<float>(count); });
    announce(PipelineChange::Stack);
    self().commitFrameLimit({.stackBound = stack.StackSliderTag});
    return stack;
}

StackStyleChoice StackStage::chooseStackStyle(StackStyle wanted, MessagePort& messages) const {
    return kestrave::chooseStackStyle(wanted, resamplingRefused(run_.model, run_.input.browseBuffers.Samples),
                                      messages);
}

std::vector<int> StackStage::pointsWithoutFrames(const StackOptions& options) const {
    return kestrave::pointsWithoutFrames(run_.model, options.Points,
                                         chooseStackFrames(run_.model, options, true).list);
}

StackCutoffs StackStage::stackCutoffs(int rank, int differencecut) const {
    return kestrave::stackCutoffs(run_.model, rank, run_.frameLimit, differencecut);
}

PointStackGraph StackStage::pointStackGraph(const PointGraphInput& input) const {
    return kestrave::pointStackGraph(run_.model, input);
}

Bitmap24 StackStage::stackDepthPicture(int width, int height) const {
    return kestrave::stackDepthPicture(run_.images.StackWeightPlane, width, height);
}

Bitmap24 StackStage::stackPointZones(const std::vector<int>& points) const {
    Bitmap24 picture = run_.wavelet.Stackimage;
    std::vector<DiagramPoint> sites;
    for (const int p : points) {
        const PointXY& at = run_.alignPoints.PointPos[static_cast<std::size_t>(p)];
        sites.push_back({static_cast<long double>(at.X), static_cast<long double>(at.Y)});
    }
    drawPointZones(picture, sites);
    return picture;
}

std::filesystem::path StackStage::sigmaEventLog() const {
    return run_.input.inputFolder / SigmaEventFile;
}

std::filesystem::path StackStage::savedSigmaEvents() const {
    return savedEventListPath(run_.input.inputFolder, run_.model);
}

void StackStage::keepSigmaEvents() const {
    keepEventList(sigmaEventLog(), savedSigmaEvents());
}

std::vector<std::string> StackStage::sigmaEventList(double threshold) const {
    if (savedSigmaEvents().empty()) return {};
    return eventListLines(TBigIniFile(sigmaEventLog()), threshold);
}

std::vector<std::string> StackStage::sigmaFrameEvents(int frameNumber) const {
    if (savedSigmaEvents().empty()) return {};
    return frameEventLines(TBigIniFile(sigmaEventLog()), frameNumber);
}

std::vector<EventMark> StackStage::sigmaEventMarks(int frameNumber, double threshold) const {
    if (savedSigmaEvents().empty()) return {};
    return shownEvents(TBigIniFile(sigmaEventLog()), frameNumber, threshold);
}

int StackStage::sigmaEventRank(int frame) const {
    return lastRankOf(run_.model, frame, run_.frameLimit);
}

void StackStage::writeSigmaBox(const std::filesystem::path& file, const SigmaBox& box) const {
    kestrave::writeSigmaBox(file, box);
}

SigmaBox StackStage::readSigmaBox(const std::filesystem::path& file) const {
    return kestrave::readSigmaBox(file, run_.model.ImageWidth, run_.model.ImageHeight);
}

}  // namespace kestrave
