#include "stacking/stack_frames.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <new>
#include <utility>

#include "frames/avi_reader.h"
#include "frames/calibration_frames.h"
#include "platform/zeroed_allocator.h"
#include "stacking/drizzle.h"
#include "stacking/stack_accumulator.h"
#include "stacking/stack_list.h"
#include "stacking/stack_render.h"

namespace kestrave {

namespace {

int roundToInt(double v) {
    return static_cast<int>(std::nearbyint(v));
}

// Frames added together: threads start once per batch, and every band of the stack stays in the
// cache while the batch's frames are added to it. Large frames come in smaller batches, so that
// the frames held and read ahead stay within about a hundred megabytes.
constexpr int LargestFrameBatch = 8;
constexpr double FrameBatchBytes = 96.0 * 1024 * 1024;

int frameBatch(const FrameModel& model, const StackOptions& options, int canvasW, int canvasH) {
    // Up to 6 bytes per pixel (16-bit colour) per frame, plus the resampled copy.
    double bytes = 6.0 * model.FrameWidth * model.FrameHeight;
    if (options.Resampled && !options.Drizzling) bytes += 3.0 * canvasW * canvasH;
    return std::clamp(static_cast<int>(FrameBatchBytes / 2.0 / std::max(bytes, 1.0)), 1, LargestFrameBatch);
}

// The shortest text that reads back as the value ("2", "1.5").
std::string numberText(float value) {
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    return std::string(text, end);
}

// A range bound as the status bar shows it: whole numbers, five significant digits at most.
std::string rangeText(double value) {
    char text[32];
    std::snprintf(text, sizeof text, std::fabs(value) < 1e5 ? "%.0f" : "%.4E", value);
    return text;
}

std::string sizeText(int count, int width, int height, const std::string& suffix) {
    return "(n=" + std::to_string(count) + ") - (" + std::to_string(width) + "x" + std::to_string(height) +
           ")" + suffix;
}

// The request as the run takes it: no point is one box, one point switches multi-point mode off,
// the drizzle and resample factors within their ranges.
StackOptions runOptions(const StackOptions& requested) {
    StackOptions options = requested;
    StackPointSet& points = options.Points;
    points.Alignpoints = std::clamp(points.Alignpoints, 1, AlignSlotCount - 1);
    if (points.Alignpoints == 1) points.MultiPointMode = false;
    options.Drizzlefact = std::clamp(options.Drizzlefact, MinDrizzleFactor, MaxDrizzleFactor);
    options.ResampleFactor = std::max(options.ResampleFactor, 0.1f);
    return options;
}

// One stacking run, from the request to the section's stack: what its steps share (the frame
// model, the program state, the section, the options, the frame source, the progress and message
// ports, the result taking shape, the shift unit and the canvas) is held here, and each step
// takes only what it does not share.
class FrameStacking {
public:
    FrameStacking(FrameModel& model, ProgramState& state, ImageDataSection& section,
                  const StackOptions& requested, FrameSource& frames, ProgressPort& progress,
                  MessagePort& messages)
        : model_(model),
          state_(state),
          section_(section),
          options_(runOptions(requested)),
          frames_(frames),
          progress_(progress),
          messages_(messages),
          multiPoint_(options_.Points.MultiPointMode),
          firstPass_(options_.Statistical && !options_.SigmaFinalPass),
          fitsColour_(options_.Colourstack && model.InputIsFIT) {}

    // Stacks the frames the options choose; the run is spent.
    StackResult run() {
        stack();
        return std::move(result_);
    }

private:
    void stack();
    void planCanvas();
    StackRun prepareRun();
    void announceStack(int counted) const;
    bool allocateSums(StackSums& sums) const;
    bool addFrames(const std::vector<int>& list, StackAccumulator& accumulator);
    bool keepStack(StackSums& sums);
    bool completeStack(const StackAccumulator& accumulator, StackSums& sums);

    FrameModel& model_;
    ProgramState& state_;
    ImageDataSection& section_;
    const StackOptions options_;
    FrameSource& frames_;
    ProgressPort& progress_;
    MessagePort& messages_;
    const bool multiPoint_;
    // The first pass of sigma clipping, which gathers the statistics.
    const bool firstPass_;
    const bool fitsColour_;
    StackResult result_;
    // Every shift is taken into the unit the frames are placed in.
    double shiftScale_ = 1.0;
    PointPass pass_;
    int canvasW_ = 0;
    int canvasH_ = 0;
};

// The canvas: the frame, drizzle- or resample-sized, and with Expandstack widened by the range of
// the shifts (written into the result with the size suffix and the display factor).
void FrameStacking::planCanvas() {
    canvasW_ = model_.FrameWidth;
    canvasH_ = model_.FrameHeight;
    if (options_.Drizzle2) {
        canvasW_ = roundToInt(model_.FrameWidth * static_cast<double>(options_.Drizzlefact)) - 1;
        canvasH_ = roundToInt(model_.FrameHeight * static_cast<double>(options_.Drizzlefact)) - 1;
        result_.displayFactor = options_.Drizzlefact;
    }
    if (options_.Resampled) {
        canvasW_ = roundToInt(model_.FrameWidth * static_cast<double>(options_.ResampleFactor)) - 1;
        canvasH_ = roundToInt(model_.FrameHeight * static_cast<double>(options_.ResampleFactor)) - 1;
        result_.displayFactor = options_.ResampleFactor;
        result_.sizeSuffix = " Resample " + numberText(options_.ResampleFactor);
    }
    canvasW_ = std::clamp(canvasW_, 0, MaxFrameSize);
    canvasH_ = std::clamp(canvasH_, 0, MaxFrameSize);
    if (options_.Expandstack) {
        const ShiftRange range = listedShiftRange(model_, options_.StackSlider.Tag, shiftScale_);
        result_.StackMinShiftX = range.minX;
        result_.StackMinShiftY = range.minY;
        result_.StackMaxShiftX = range.maxX;
        result_.StackMaxShiftY = range.maxY;
        canvasW_ = std::min(canvasW_ + std::max(0, range.maxX - range.minX), MaxFrameSize);
        canvasH_ = std::min(canvasH_ + std::max(0, range.maxY - range.minY), MaxFrameSize);
        result_.StackWidth = canvasW_;
        result_.StackHeight = canvasH_;
        result_.StackOffsetX = range.maxX;
        result_.StackOffsetY = range.maxY;
        progress_.setStatus(2, "creating imagespace");
    }
}

// What every frame of the run shares. A dark frame or flat field of another size than the frame
// would be read outside its planes: it is switched off, and the user told.
StackRun FrameStacking::prepareRun() {
    StackRun run;
    run.canvasWidth = canvasW_;
    run.canvasHeight = canvasH_;
    run.StackMaxShiftX = result_.StackMaxShiftX;
    run.StackMaxShiftY = result_.StackMaxShiftY;
    run.shiftScale = shiftScale_;
    run.DrizzleFactor = options_.Drizzlefact;
    run.ResampleFactor = options_.ResampleFactor;
    run.stackx = state_.stackx;
    run.LRGBWeights = state_.LRGBWeights;
    run.stacky = state_.stacky;
    run.PointMeanShiftX = pass_.PointMeanShiftX;
    run.PointMeanShiftY = pass_.PointMeanShiftY;
    const auto fitsFrame = [this](const PlaneTriple& planes) {
        return planesMatchFrame(planes, model_.FrameWidth, model_.FrameHeight);
    };
    run.useDark = options_.Usedarkframe && fitsFrame(section_.DarkPlanes);
    run.useFlat = options_.UseFlatfield && fitsFrame(section_.FlatPlanes);
    result_.darkSwitchedOff = options_.Usedarkframe && !run.useDark;
    result_.flatSwitchedOff = options_.UseFlatfield && !run.useFlat;
    // The frame source leaves a raw dark of another size alone; the user is told here.
    result_.rawDarkSwitchedOff =
        options_.Rawdark && options_.DebayerEnabled && !fitsFrame(section_.DarkPlanes);
    if (result_.darkSwitchedOff || result_.rawDarkSwitchedOff)
        messages_.show(calibrationSizeMessage(CalibrationKind::Dark));
    if (result_.flatSwitchedOff) messages_.show(calibrationSizeMessage(CalibrationKind::Flat));
    if (multiPoint_ && options_.FastStack) {
        result_.MultiStackimage = nearestPointMap(options_.Points, canvasW_, canvasH_, result_.StackMaxShiftX,
                                                  result_.StackMaxShiftY);
        run.nearestPoints = &result_.MultiStackimage;
    }

    return run;
}

// The status lines that announce the stack: its size and, when sigma clipping, the pass.
void FrameStacking::announceStack(int counted) const {
    progress_.setStatus(3, "Final Stack size " + sizeText(counted, canvasW_, canvasH_, result_.sizeSuffix));
    if (!options_.Statistical) return;
    progress_.setStatus(3, firstPass_
                               ? "Sigma clipping :Estimating statistical parameters"
                               : "Sigma clipping :Stacking Image : " + std::to_string(canvasW_) + "x" +
                                     std::to_string(canvasH_) + "(n = " + std::to_string(counted) + ")");
}

// The run's zeroed sums; false (with a word to the user) when they cannot be allocated.
bool FrameStacking::allocateSums(StackSums& sums) const {
    try {
        sums = makeStackSums(canvasW_, canvasH_, fitsColour_, firstPass_,
                             options_.Statistical && options_.SigmaFinalPass);
    } catch (const std::bad_alloc&) {
        messages_.show(Message{"Out of memory",
                               "Not enough memory for image planes of " + std::to_string(canvasW_) + " x " +
                                   std::to_string(canvasH_) + " pixels.",
                               mtError, mbOK});
        return false;
    }
    return true;
}

// The frame loop: frames are decoded ahead on worker threads and added in batches, each stack
// pixel taking them strictly in list order. False when cancelled.
bool FrameStacking::addFrames(const std::vector<int>& list, StackAccumulator& accumulator) {
    const int count = static_cast<int>(list.size());
    const int step = std::max(1, roundToInt(count * 0.05));
    progress_.setMaximum(count);
    const int batch = frameBatch(model_, options_, canvasW_, canvasH_);
    // The stack reads a frame's samples, and its picture only to resample it or fill its fields.
    const bool picture = (options_.Resampled && !options_.Drizzling) || options_.interlaced;
    // The pass holds a batch of frames to add, while a batch more is read ahead. A frame that adds
    // nothing (no point of its is used, it lies off the stack) is given back at once and its slot
    // is read into again; it still counts towards the batch behind a queued frame, so batches are
    // added after the same frames as always and the sums keep their order.
    FramePrefetcher prefetcher(frames_, list, batch, batch, picture ? FrameParts::Both : FrameParts::Samples);
    std::size_t skipped = 0;
    const auto addQueued = [&] {
        const std::size_t held = accumulator.queued();
        skipped = 0;
        accumulator.flush();
        for (std::size_t k = 0; k < held; ++k) prefetcher.release();
    };
    Bitmap24 fieldCopy;
    // The label of the run alternates between two texts every 5 % of the list, so that the user
    // sees the work go on.
    bool dots = true;
    for (int i = 0; i < count; ++i) {
        // Pending events (the cancel button above all) are served every 5 % of the list.
        if (i % step == 0) progress_.processMessages();
        if (progress_.cancelRequested()) return false;
        if (i % step == 0) {
            dots = !dots;
            progress_.setActivity(options_.StackLabelPrefix + (dots ? " Stacking ..." : " Stacking"));
        }
        progress_.setPosition(i);
        const int f = list[static_cast<std::size_t>(i)];
        if (model_.InputIsSeries) progress_.setStatus(2, "Processing bitmap :" + std::to_string(f));
        std::size_t position = 0;
        FrameBuffers& frame = prefetcher.next(position);
        if (model_.InputIsSeries && progress_.cancelled()) return false;
        const TFrameRec& rec = model_.FrameTable[f];
        StackFrameCall call;
        // The sub-pixel part was measured in the unit of the slot-0 shift.
        const auto subPixelRatio = static_cast<float>(shiftRatio(rec.Slots[0], shiftScale_));
        call.StackSubPixelX = rec.SubPixelX * subPixelRatio;
        call.StackSubPixelY = rec.SubPixelY * subPixelRatio;
        call.StackFrameIndex = f;
        const auto placeAt = [&](const TAlignSlotRec& slot) {
            const SlotShift shift = shiftAtScale(slot, shiftScale_);
            call.StackShiftX = shift.X;
            call.StackShiftY = shift.Y;
        };
        if (!options_.interlaced) {
            placeAt(rec.Slots[0]);
            const std::size_t queued = accumulator.queued();
            accumulator.queueFrame(frame, call, rec.Slots[0].Brightness);
            if (accumulator.queued() == queued) {
                prefetcher.release(position);
                if (queued > 0) ++skipped;
            }
            if (static_cast<int>(accumulator.queued() + skipped) == batch) addQueued();
            continue;
        }
        // Interlaced: each field fills the other field's lines from its own and takes its own
        // shift (field 0 from slot 2, field 1 from slot 0).
        fieldCopy = frame.Preview;
        for (int field = 0; field < 2; ++field) {
            if (field == 1) frame.Preview = fieldCopy;
            interpolateField(frame.Preview, std::min(model_.FrameWidth, frame.Preview.width()),
                             std::min(model_.FrameHeight, frame.Preview.height()), options_.Interlacehoriz,
                             field == 0 ? 1 : 2);
            placeAt(rec.Slots[field == 0 ? 2 : 0]);
            call.InterlaceField = field;
            accumulator.StackFrame(frame, call, rec.Slots[0].Brightness);
        }
        prefetcher.release();
    }
    addQueued();
    progress_.setActivity("Finishing stack");
    progress_.setPosition(count);

    return true;
}

// The sums become the section's stack (planes of the canvas size); false when they cannot be
// allocated.
bool FrameStacking::keepStack(StackSums& sums) {
    ImageDataSection& section = section_;
    const bool sameSize = section.AllocWidth == canvasW_ && section.AllocHeight == canvasH_;
    if (!SetupImageDataSection(section, canvasW_, canvasH_, progress_, messages_)) return false;
    for (int c = 0; c < 3; ++c) section.StackPlanes[c] = std::move(sums.StackPlanes[c]);
    section.StackWeightPlane = std::move(sums.StackWeightPlane);
    if (fitsColour_)
        section.LumPlane = std::move(sums.LumPlane);
    else
        section.LumPlane.Clear();
    if (firstPass_) {
        for (int c = 0; c < 3; ++c) section.WorkPlanes[c] = std::move(sums.Statistics[c]);
        section.SigmaPlane.Clear();
    } else if (!options_.SigmaFinalPass) {
        for (T2dArrays& plane : section.WorkPlanes) plane.Clear();
        section.SigmaPlane.Clear();
    }
    if (options_.Drizzle2 && sameSize) {
        // A drizzled stack keeps its processing area at the feature, inside the image.
        section.ProcessAreaX =
            std::clamp(state_.FeatureX, 0, std::max(0, canvasW_ - section.ProcessAreaWidth));
        section.ProcessAreaY =
            std::clamp(state_.FeatureY, 0, std::max(0, canvasH_ - section.ProcessAreaHeight));
    }

    return true;
}

// After the last frame: the counts of the run, the stack depth under each point, and the sums
// turned into the section's stack, normalised, measured and rendered. False when the stack's
// planes cannot be allocated.
bool FrameStacking::completeStack(const StackAccumulator& accumulator, StackSums& sums) {
    const StackPointSet& points = options_.Points;
    const bool rawSer = model_.InputIsSER && !options_.DebayerEnabled;
    result_.ChannelFrameCount = accumulator.ChannelFrameCount();
    for (int& n : result_.ChannelFrameCount) n = std::max(n, 1);
    result_.luminanceStacked = fitsColour_ && accumulator.ChannelFrameCount()[3] > 0;
    if (points.StopPlacing) {
        for (int p = 0; p <= points.Alignpoints; ++p) {
            const PointXY at = points.PointPos[p];
            if (at.X >= 0 && at.Y >= 0 && at.X < sums.StackWeightPlane.xCount() &&
                at.Y < sums.StackWeightPlane.yCount())
                result_.PointStackDepth[p] = roundToInt(sums.StackWeightPlane[at.X][at.Y]);
        }
    }

    // The run is complete: the sums become the section's stack.
    if (!keepStack(sums)) return false;
    normaliseStack(section_, sums, options_, fitsColour_, canvasW_, canvasH_);
    const StackValueRange measured = measureStack(section_, options_.Colourstack, canvasW_, canvasH_);
    const StackValueRange range = stackValueRange(measured.min, measured.max, options_, model_, rawSer);
    result_.StackMinValue = static_cast<float>(range.min);
    result_.StackMaxValue = static_cast<float>(range.max);
    progress_.setStatus(3, "Stacking Range : " + rangeText(range.min) + "-" + rangeText(range.max));
    result_.statistics =
        renderStack(section_, range, options_.Colourstack, canvasW_, canvasH_, result_.Stackimage);

    model_.ImageWidth = canvasW_;
    model_.ImageHeight = canvasH_;
    result_.ImageWidth = canvasW_;
    result_.ImageHeight = canvasH_;
    state_.progstatus = TProgStatus::psStacked;
    state_.activepage = TMainTab::tabFinal;
    state_.LayersDirty = true;
    return true;
}

void FrameStacking::stack() {
    StackResult& result = result_;
    const StackOptions& options = options_;
    result.SigmaFinalPass = options.SigmaFinalPass;
    progress_.setCancelRequested(false);

    const StackPointSet& points = options.Points;
    shiftScale_ = stackShiftScale(options);
    if (multiPoint_)
        pass_ = pointPass(model_, points, options.StackSlider.Tag, options.Macorrect, shiftScale_);
    result.PointMeanShiftX = pass_.PointMeanShiftX;
    result.PointMeanShiftY = pass_.PointMeanShiftY;
    result.memoLines = pass_.memoLines;
    progress_.setStatus(3, "Stacking frames");

    planCanvas();

    // Frame choice.
    const StackChoice choice = chooseStackFrames(model_, options, multiPoint_);
    const int counted = multiPoint_ ? pass_.flaggedCount : choice.counted;
    if (counted == 0 && !options.StackToAviMode) {
        messages_.show(Message{"Stacking", "No frames to stack, please change slider(s)", mtWarning, mbOK});
        result.outcome = StackOutcome::NoFrames;
        return;
    }
    announceStack(counted);
    result.StackListCount = counted;
    result.StackRangeCount = options.StackSlider.Value + 1;
    result.StackSliderTag = choice.listTag;
    result.stackList = choice.list;
    const int shownCount = multiPoint_ ? pass_.flaggedCount : static_cast<int>(choice.list.size());
    // The run's end, also past a declined one-frame question: the count taken and the memory use.
    const auto closingStatus = [&] {
        if (shownCount > 0)
            progress_.setStatus(3,
                                "Stack size " + sizeText(shownCount, canvasW_, canvasH_, result.sizeSuffix));
        progress_.showMemoryUsage();
    };

    StackRun run = prepareRun();

    if (choice.list.size() == 1 && !options.StackToAviMode && !model_.SingleImage) {
        Message question{"Stacking", " Only one frame to stack, continue ??? ", mtWarning, mbYes | mbCancel};
        question.batchAnswer = mrYes;
        if (messages_.show(question) != mrYes) {
            closingStatus();
            result.outcome = StackOutcome::Declined;
            return;
        }
    }

    StackSums sums;
    if (!allocateSums(sums)) return;
    StackAccumulator accumulator(options, model_, section_, run, sums);

    if (!addFrames(choice.list, accumulator)) {
        result.outcome = StackOutcome::Cancelled;
        return;
    }
    if (!completeStack(accumulator, sums)) return;
    result.SigmaFinalPass = options.SigmaFinalPass ? false : options.Statistical;
    result.outcome = StackOutcome::Stacked;
    closingStatus();
}

}  // namespace

StackResult stackFrames(FrameModel& model, ProgramState& state, ImageDataSection& section,
                        const StackOptions& requested, FrameSource& frames, ProgressPort& progress,
                        MessagePort& messages) {
    // What the previous pass freed goes back to the system before the stack's buffers are made.
    returnFreeMemory();
    return FrameStacking(model, state, section, requested, frames, progress, messages).run();
}

}  // namespace kestrave
