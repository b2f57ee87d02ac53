#include "registration/alignment_pass_steps.h"

#include <algorithm>

#include "frames/avi_input.h"

namespace kestrave {

namespace {

const char* inputKindText(TInputType type) {
    switch (type) {
        case TInputType::itAVI:
            return "AVI";
        case TInputType::itBMP:
            return "BMP";
        case TInputType::itFIT:
            return "FIT";
        case TInputType::itJPG:
            return "JPG";
        case TInputType::itTIF:
            return "TIF";
        case TInputType::itPNG:
            return "PNG";
        case TInputType::itSER:
            return "SER";
    }
    return "";
}

std::string aviCaption(const FrameModel& model, const AlignmentPassOptions& options) {
    return std::string("Kestrave processing ") + (options.highBitInput ? "HI-AVI" : "AVI") + ": " +
           model.AviName;
}

}  // namespace

PassFlags::PassFlags(AlignContext& context) : context_(context) {
    context_.alignment.InAlignPass = true;
}

PassFlags::~PassFlags() {
    AlignmentState& alignment = context_.alignment;
    alignment.InAlignPass = false;
    alignment.ForceRealign = false;
    alignment.NextSegmentPending = false;
    alignment.HaltRequested = false;
    context_.registration.WaitForClick = false;
    context_.view.setCursor(AlignCursor::Default);
}

std::unique_ptr<AlignScratch> ScratchPool::take(int n) {
    const std::lock_guard lock(mutex_);
    const auto sized = std::find_if(free_.begin(), free_.end(), [n](const std::unique_ptr<AlignScratch>& s) {
        return s->fft.FFTSize == n;
    });
    if (sized == free_.end()) return std::make_unique<AlignScratch>();
    std::unique_ptr<AlignScratch> scratch = std::move(*sized);
    free_.erase(sized);
    return scratch;
}

void ScratchPool::give(std::unique_ptr<AlignScratch> scratch) {
    const std::lock_guard lock(mutex_);
    free_.push_back(std::move(scratch));
}

void resetAlignmentRecords(FrameModel& model) {
    model.FrameTable.forEach([](TFrameRec& record) {
        TAlignSlotRec& slot = record.Slots[0];
        slot.X = slot.Y = slot.SavedX = slot.SavedY = 0;
        slot.ShiftScale = 1.0f;
        slot.Quality = slot.Difference = 0.0f;
        record.SubPixelX = record.SubPixelY = 0.0f;
        record.Improvement = 100.0f;
        record.MeanBrightness = 0.0f;
    });
    model.FrameRanking.forEach([](TRankRec& rank) {
        rank.Frame = 0;
        rank.Key = 0.0f;
    });
}

CalibrationSwitch checkCalibrationSizes(const FrameModel& model, const AlignmentPassOptions& options,
                                        AlignOptions& align, MessagePort& messages) {
    CalibrationSwitch result;
    if (options.Usedarkframe &&
        (options.DarkWidth != model.FrameWidth || options.DarkHeight != model.FrameHeight)) {
        messages.warn("Imagesize error", " darkframe size does not match imagesize !!");
        result.darkframeOff = true;
        align.levels.darkSubtract = false;
    }
    if (options.UseFlatfield &&
        (options.FlatWidth != model.FrameWidth || options.FlatHeight != model.FrameHeight)) {
        messages.warn("Imagesize error", " flatfield size does not match imagesize !!");
        result.flatfieldOff = true;
    }
    return result;
}

CalibrationSwitch beginPass(AlignContext& context, const AlignmentPassOptions& options, AlignOptions& align) {
    ProgramState& program = context.program;
    AlignmentState& alignment = context.alignment;
    FrameModel& model = context.model;
    context.progress.setCancelRequested(false);
    alignment.HaltRequested = false;
    alignment.OffscreenWarned = false;
    alignment.OptimizePass = 0;
    model.FramesRanked = false;
    program.TrackOffsetX = program.TrackOffsetY = 0;
    context.view.setCursor(AlignCursor::Hourglass);
    if (alignment.ManualAlign)
        context.messages.inform("Alignment", " Point at the alignmentfeature and left-click ");
    program.progstatus = TProgStatus::psFeatureSet;
    return checkCalibrationSizes(model, options, align, context.messages);
}

void clearRecordsForPass(AlignContext& context, const AlignmentPassOptions& options) {
    FrameModel& model = context.model;
    resetAlignmentRecords(model);
    // Frames the capture dropped are known from the files' indexes and never read.
    if (model.InputType == TInputType::itAVI) markDroppedAviFrames(model);
    context.progress.setStatus(3, "Alignment processing");
    context.alignment.NextSegmentPending = false;
    context.progress.setMaximum(options.lastFrame);
    context.program.progstatus = TProgStatus::psAligned;
}

void startTracking(RegistrationState& registration, const ProgramState& program, int n) {
    registration.LastPeak = 0.0;
    registration.TrackStepX = registration.TrackStepY = 0;
    registration.BoxLeft = program.FeatureX - n / 2;
    registration.BoxTop = program.FeatureY - n / 2;
}

bool pictureFitsInput(const FramePixels& picture, const FrameModel& model) {
    const int w = picture.width(), h = picture.height();
    return (w == model.FrameWidth && h == model.FrameHeight) ||
           (w == model.FrameWidthRaw && h == model.FrameHeightRaw && w >= model.FrameWidth &&
            h >= model.FrameHeight);
}

PassProgress::PassProgress(AlignContext& context, const AlignmentPassOptions& options)
    : context_(context), options_(options), step_(std::max(1, (options.lastFrame - 1) / 25)) {}

int PassProgress::frameStart(int frame, bool& keepGoing) {
    const FrameModel& model = context_.model;
    ProgressPort& progress = context_.progress;
    int entered = 0;
    if (model.InputType == TInputType::itAVI) {
        const int s = model.avicount > 0 ? std::max(model.aviSegmentOf(frame), 0) : 0;
        for (; segment_ < s; ++segment_) ++entered;
        segmentFirst_ = model.avicount > 0 ? model.AviSegments[segment_].FirstFrame : 0;
        progress.setCaption(aviCaption(model, options_));
        progress.setStatus(2, "Processing frame :" + std::to_string(frame + 1));
    } else {
        const std::string name = model.InputType == TInputType::itSER
                                     ? model.SerName + " " + std::to_string(frame)
                                     : model.FrameNames[frame];
        progress.setCaption(std::string("Kestrave processing ") + inputKindText(model.InputType) + ": " +
                            name);
        progress.setStatus(2, "Processing bitmap :" + std::to_string(frame));
    }
    if (frame % step_ == 0) progress.setPosition(frame);
    keepGoing = frame % 10 != 0 || !progress.cancelled();
    return entered;
}

void PassProgress::excludeWrongSize(int frame) {
    FrameModel& model = context_.model;
    TFrameRec& record = model.FrameTable[frame];
    record.Excluded = record.Dropped = true;
    record.Slots[0].Quality = 0.0f;
    Message warning;
    warning.caption = "Filesize warning";
    const std::string name =
        model.InputType == TInputType::itAVI ? "Frame " + std::to_string(frame + 1) : model.FrameNames[frame];
    warning.text = name + ".\nFile has different dimensions, excluded from processing !!";
    warning.dlgType = mtWarning;
    warning.buttons = mbOK;
    context_.messages.show(warning);
}

void rankAlignedFrames(AlignContext& context, const AlignmentPassOptions& options,
                       const std::vector<bool>& measured, const std::vector<bool>& keptOut,
                       AlignmentPassResult& result) {
    FrameModel& model = context.model;
    if (options.lastFrame > 0) relativeBrightness(model, options.lastFrame, measured);
    RankingOptions ranking;
    ranking.lastFrame = options.lastFrame;
    ranking.Resampled = options.Resampled;
    ranking.OptimizeQualitySpin = options.OptimizeQualitySpin;
    result.ranking = rankFrames(model, ranking, keptOut);
    context.alignment.DifferenceSum = result.ranking.DifferenceSum;
    if (model.DroppedFrames && model.InputType == TInputType::itAVI)
        context.progress.setCaption(aviCaption(model, options) + " dropped frames ");
    if (options.Optimizegraph)
        result.graph = registrationGraphData(model, result.ranking.lastRank, options.RegistrationCaption);
    context.progress.setStatus(2, "Initial alignment done");
    context.program.progstatus = TProgStatus::psAligned;
}

void passStopped(AlignContext& context, AlignmentPassResult& result, PassEnd end, const std::string& error) {
    result.end = end;
    result.error = error;
    context.program.progstatus = TProgStatus::psNone;
    context.program.activepage = TMainTab::tabAlign;
    // The frames are no longer ranked: a limit, optimizer run or stack made on an earlier ranking
    // has nothing to stand on. The run goes back to the ready reference; only a new pass ranks
    // the frames again.
    if (context.program.ProcessStage > TProcessStage::stReferenceReady)
        setProcessStage(context.program, TProcessStage::stReferenceReady);
    if (end == PassEnd::Failed) context.messages.error("Error", error);
}

}  // namespace kestrave
