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

// The canvas: the frame, drizzle- or resample-sized, and with Expandstack widened by the range of
// the shifts (written into the result with the size suffix and the display factor).
void planCanvas(const FrameModel& model, const StackOptions& options, double shiftScale,
                ProgressPort& progress, StackResult& result, int& canvasW, int& canvasH) {
    canvasW = model.FrameWidth;
    canvasH = model.FrameHeight;
    if (options.Drizzle2) {
        canvasW = roundToInt(model.FrameWidth * static_cast<double>(options.Drizzlefact)) - 1;
        canvasH = roundToInt(model.FrameHeight * static_cast<double>(options.Drizzlefact)) - 1;
        result.displayFactor = options.Drizzlefact;
    }
    if (options.Resampled) {
        canvasW = roundToInt(model.FrameWidth * static_cast<double>(options.ResampleFactor)) - 1;
        canvasH = roundToInt(model.FrameHeight * static_cast<double>(options.ResampleFactor)) - 1;
        result.displayFactor = options.ResampleFactor;
        result.sizeSuffix = " Resample " + numberText(options.ResampleFactor);
    }
    canvasW = std::clamp(canvasW, 0, MaxFrameSize);
    canvasH = std::clamp(canvasH, 0, MaxFrameSize);
    if (options.Expandstack) {
        const ShiftRange range = listedShiftRange(model, options.StackSlider.Tag, shiftScale);
        result.StackMinShiftX = range.minX;
        result.StackMinShiftY = range.minY;
        result.StackMaxShiftX = range.maxX;
        result.StackMaxShiftY = range.maxY;
        canvasW = std::min(canvasW + std::max(0, range.maxX - range.minX), MaxFrameSize);
        canvasH = std::min(canvasH + std::max(0, range.maxY - range.minY), MaxFrameSize);
        result.StackWidth = canvasW;
        result.StackHeight = canvasH;
        result.StackOffsetX = range.maxX;
        result.StackOffsetY = range.maxY;
        progress.setStatus(2, "creating imagespace");
    }
}

// What every frame of the run shares. A dark frame or flat field of another size than the frame
// would be read outside its planes: it is switched off, and the user told.
StackRun prepareRun(const FrameModel& model, const ProgramState& state, const ImageDataSection& section,
                    const StackOptions& options, const PointPass& pass, double shiftScale, int canvasW,
                    int canvasH, MessagePort& messages, StackResult& result) {
    const StackPointSet& points = options.Points;
    const bool multiPoint = points.MultiPointMode;
    StackRun run;
    run.canvasWidth = canvasW;
    run.canvasHeight = canvasH;
    run.StackMaxShiftX = result.StackMaxShiftX;
    run.StackMaxShiftY = result.StackMaxShiftY;
    run.shiftScale = shiftScale;
    run.DrizzleFactor = options.Drizzlefact;
    run.ResampleFactor = options.ResampleFactor;
    run.stackx = state.stackx;
    run.LRGBWeights = state.LRGBWeights;
    run.stacky = state.stacky;
    run.PointMeanShiftX = pass.PointMeanShiftX;
    run.PointMeanShiftY = pass.PointMeanShiftY;
    const auto fitsFrame = [&model](const PlaneTriple& planes) {
        return planesMatchFrame(planes, model.FrameWidth, model.FrameHeight);
    };
    run.useDark = options.Usedarkframe && fitsFrame(section.DarkPlanes);
    run.useFlat = options.UseFlatfield && fitsFrame(section.FlatPlanes);
    result.darkSwitchedOff = options.Usedarkframe && !run.useDark;
    result.flatSwitchedOff = options.UseFlatfield && !run.useFlat;
    // The frame source leaves a raw dark of another size alone; the user is told here.
    result.rawDarkSwitchedOff = options.Rawdark && options.DebayerEnabled && !fitsFrame(section.DarkPlanes);
    if (result.darkSwitchedOff || result.rawDarkSwitchedOff)
        messages.show(calibrationSizeMessage(CalibrationKind::Dark));
    if (result.flatSwitchedOff) messages.show(calibrationSizeMessage(CalibrationKind::Flat));
    if (multiPoint && options.FastStack) {
        result.MultiStackimage =
            nearestPointMap(points, canvasW, canvasH, result.StackMaxShiftX, result.StackMaxShiftY);
        run.nearestPoints = &result.MultiStackimage;
    }

    return run;
}

// The frame loop: frames are decoded ahead on worker threads and added in batches, each stack
// pixel taking them strictly in list order. False when cancelled.
bool addFrames(const FrameModel& model, const StackOptions& options, const std::vector<int>& list,
               double shiftScale, int canvasW, int canvasH, FrameSource& frames, ProgressPort& progress,
               StackAccumulator& accumulator) {
    const int count = static_cast<int>(list.size());
    const int step = std::max(1, roundToInt(count * 0.05));
    progress.setMaximum(count);
    const int batch = frameBatch(model, options, canvasW, canvasH);
    // The stack reads a frame's samples, and its picture only to resample it or fill its fields.
    const bool picture = (options.Resampled && !options.Drizzling) || options.interlaced;
    FramePrefetcher prefetcher(frames, list, batch, batch, picture ? FrameParts::Both : FrameParts::Samples);
    const auto addQueued = [&] {
        const std::size_t held = accumulator.queued();
        accumulator.flush();
        for (std::size_t k = 0; k < held; ++k) prefetcher.release();
    };
    Bitmap24 fieldCopy;
    for (int i = 0; i < count; ++i) {
        // Pending events (the cancel button above all) are served every 5 % of the list.
        if (i % step == 0) progress.processMessages();
        if (progress.cancelRequested()) return false;
        progress.setPosition(i);
        const int f = list[static_cast<std::size_t>(i)];
        if (model.InputIsSeries) progress.setStatus(2, "Processing bitmap :" + std::to_string(f));
        FrameBuffers& frame = prefetcher.next();
        if (model.InputIsSeries && progress.cancelled()) return false;
        const TFrameRec& rec = model.FrameTable[f];
        StackFrameCall call;
        // The sub-pixel part was measured in the unit of the slot-0 shift.
        const auto subPixelRatio = static_cast<float>(shiftRatio(rec.Slots[0], shiftScale));
        call.StackSubPixelX = rec.SubPixelX * subPixelRatio;
        call.StackSubPixelY = rec.SubPixelY * subPixelRatio;
        call.StackFrameIndex = f;
        const auto placeAt = [&](const TAlignSlotRec& slot) {
            const SlotShift shift = shiftAtScale(slot, shiftScale);
            call.StackShiftX = shift.X;
            call.StackShiftY = shift.Y;
        };
        if (!options.interlaced) {
            placeAt(rec.Slots[0]);
            accumulator.queueFrame(frame, call, rec.Slots[0].Brightness);
            if (static_cast<int>(accumulator.queued()) == batch) addQueued();
            continue;
        }
        // Interlaced: each field fills the other field's lines from its own and takes its own
        // shift (field 0 from slot 2, field 1 from slot 0).
        fieldCopy = frame.Preview;
        for (int field = 0; field < 2; ++field) {
            if (field == 1) frame.Preview = fieldCopy;
            interpolateField(frame.Preview, std::min(model.FrameWidth, frame.Preview.width()),
                             std::min(model.FrameHeight, frame.Preview.height()), options.Interlacehoriz,
                             field == 0 ? 1 : 2);
            placeAt(rec.Slots[field == 0 ? 2 : 0]);
            call.InterlaceField = field;
            accumulator.StackFrame(frame, call, rec.Slots[0].Brightness);
        }
        prefetcher.release();
    }
    addQueued();
    progress.setPosition(count);

    return true;
}

// The sums become the section's stack (planes of the canvas size); false when they cannot be
// allocated.
bool keepStack(ImageDataSection& section, StackSums& sums, const ProgramState& state,
               const StackOptions& options, int canvasW, int canvasH, bool fitsColour, bool firstPass,
               ProgressPort& progress, MessagePort& messages) {
    const bool sameSize = section.AllocWidth == canvasW && section.AllocHeight == canvasH;
    if (!SetupImageDataSection(section, canvasW, canvasH, progress, messages)) return false;
    for (int c = 0; c < 3; ++c) section.StackPlanes[c] = std::move(sums.StackPlanes[c]);
    section.StackWeightPlane = std::move(sums.StackWeightPlane);
    if (fitsColour)
        section.LumPlane = std::move(sums.LumPlane);
    else
        section.LumPlane.Clear();
    if (firstPass) {
        for (int c = 0; c < 3; ++c) section.WorkPlanes[c] = std::move(sums.Statistics[c]);
        section.SigmaPlane.Clear();
    } else if (!options.SigmaFinalPass) {
        for (T2dArrays& plane : section.WorkPlanes) plane.Clear();
        section.SigmaPlane.Clear();
    }
    if (options.Drizzle2 && sameSize) {
        // A drizzled stack keeps its processing area at the feature, inside the image.
        section.ProcessAreaX = std::clamp(state.FeatureX, 0, std::max(0, canvasW - section.ProcessAreaWidth));
        section.ProcessAreaY =
            std::clamp(state.FeatureY, 0, std::max(0, canvasH - section.ProcessAreaHeight));
    }

    return true;
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

// The status lines that announce the stack: its size and, when sigma clipping, the pass.
void announceStack(const StackOptions& options, int counted, int canvasW, int canvasH,
                   const StackResult& result, ProgressPort& progress) {
    progress.setStatus(3, "Final Stack size " + sizeText(counted, canvasW, canvasH, result.sizeSuffix));
    if (!options.Statistical) return;
    const bool firstPass = !options.SigmaFinalPass;
    progress.setStatus(3, firstPass ? "Sigma clipping :Estimating statistical parameters"
                                    : "Sigma clipping :Stacking Image : " + std::to_string(canvasW) + "x" +
                                          std::to_string(canvasH) + "(n = " + std::to_string(counted) + ")");
}

// The run's zeroed sums; false (with a word to the user) when they cannot be allocated.
bool allocateSums(int canvasW, int canvasH, bool fitsColour, bool firstPass, bool finalPass, StackSums& sums,
                  MessagePort& messages) {
    try {
        sums = makeStackSums(canvasW, canvasH, fitsColour, firstPass, finalPass);
    } catch (const std::bad_alloc&) {
        messages.show(Message{"Out of memory",
                              "Not enough memory for image planes of " + std::to_string(canvasW) + " x " +
                                  std::to_string(canvasH) + " pixels.",
                              mtError, mbOK});
        return false;
    }
    return true;
}

// After the last frame: the counts of the run, the stack depth under each point, and the sums
// turned into the section's stack, normalised, measured and rendered. False when the stack's
// planes cannot be allocated.
bool completeStack(FrameModel& model, ProgramState& state, ImageDataSection& section,
                   const StackOptions& options, const StackAccumulator& accumulator, StackSums& sums,
                   int canvasW, int canvasH, ProgressPort& progress, MessagePort& messages,
                   StackResult& result) {
    const StackPointSet& points = options.Points;
    const bool firstPass = options.Statistical && !options.SigmaFinalPass;
    const bool rawSer = model.InputIsSER && !options.DebayerEnabled;
    const bool fitsColour = options.Colourstack && model.InputIsFIT;
    result.ChannelFrameCount = accumulator.ChannelFrameCount();
    for (int& n : result.ChannelFrameCount) n = std::max(n, 1);
    result.luminanceStacked = fitsColour && accumulator.ChannelFrameCount()[3] > 0;
    if (points.StopPlacing) {
        for (int p = 0; p <= points.Alignpoints; ++p) {
            const PointXY at = points.PointPos[p];
            if (at.X >= 0 && at.Y >= 0 && at.X < sums.StackWeightPlane.xCount() &&
                at.Y < sums.StackWeightPlane.yCount())
                result.PointStackDepth[p] = roundToInt(sums.StackWeightPlane[at.X][at.Y]);
        }
    }

    // The run is complete: the sums become the section's stack.
    if (!keepStack(section, sums, state, options, canvasW, canvasH, fitsColour, firstPass, progress,
                   messages))
        return false;
    normaliseStack(section, sums, options, fitsColour, canvasW, canvasH);
    const StackValueRange measured = measureStack(section, options.Colourstack, canvasW, canvasH);
    const StackValueRange range = stackValueRange(measured.min, measured.max, options, model, rawSer);
    result.StackMinValue = static_cast<float>(range.min);
    result.StackMaxValue = static_cast<float>(range.max);
    progress.setStatus(3, "Stacking Range : " + rangeText(range.min) + "-" + rangeText(range.max));
    result.statistics = renderStack(section, range, options.Colourstack, canvasW, canvasH, result.Stackimage);

    model.ImageWidth = canvasW;
    model.ImageHeight = canvasH;
    result.ImageWidth = canvasW;
    result.ImageHeight = canvasH;
    state.progstatus = TProgStatus::psStacked;
    state.activepage = TMainTab::tabFinal;
    // The wavelet page takes the new stack over when its tab is chosen or the page entered.
    state.LayersDirty = state.WaveletTabPending = state.WaveletPagePending = true;
    return true;
}

}  // namespace

StackResult stackFrames(FrameModel& model, ProgramState& state, ImageDataSection& section,
                        const StackOptions& requested, FrameSource& frames, ProgressPort& progress,
                        MessagePort& messages) {
    // What the previous pass freed goes back to the system before the stack's buffers are made.
    returnFreeMemory();
    const StackOptions options = runOptions(requested);
    StackResult result;
    result.SigmaFinalPass = options.SigmaFinalPass;
    progress.setCancelRequested(false);

    const StackPointSet& points = options.Points;
    const bool multiPoint = points.MultiPointMode;
    const bool firstPass = options.Statistical && !options.SigmaFinalPass;
    const bool fitsColour = options.Colourstack && model.InputIsFIT;

    // Every shift is taken into the unit the frames are placed in.
    const double shiftScale = stackShiftScale(options);
    PointPass pass;
    if (multiPoint) pass = pointPass(model, points, options.StackSlider.Tag, options.Macorrect, shiftScale);
    result.PointMeanShiftX = pass.PointMeanShiftX;
    result.PointMeanShiftY = pass.PointMeanShiftY;
    result.memoLines = pass.memoLines;
    progress.setStatus(3, "Stacking frames");

    int canvasW = 0, canvasH = 0;
    planCanvas(model, options, shiftScale, progress, result, canvasW, canvasH);

    // Frame choice.
    const StackChoice choice = chooseStackFrames(model, options, multiPoint);
    const int counted = multiPoint ? pass.flaggedCount : choice.counted;
    if (counted == 0 && !options.StackToAviMode) {
        messages.show(Message{"Stacking", "No frames to stack, please change slider(s)", mtWarning, mbOK});
        result.outcome = StackOutcome::NoFrames;
        return result;
    }
    announceStack(options, counted, canvasW, canvasH, result, progress);
    result.StackListCount = counted;
    result.StackRangeCount = options.StackSlider.Value + 1;
    result.StackSliderTag = choice.listTag;
    result.stackList = choice.list;
    const int shownCount = multiPoint ? pass.flaggedCount : static_cast<int>(choice.list.size());
    const auto closingStatus = [&] {
        if (shownCount > 0)
            progress.setStatus(3, "Stack size " + sizeText(shownCount, canvasW, canvasH, result.sizeSuffix));
    };

    StackRun run =
        prepareRun(model, state, section, options, pass, shiftScale, canvasW, canvasH, messages, result);

    if (choice.list.size() == 1 && !options.StackToAviMode && !model.SingleImage) {
        Message question{"Stacking", " Only one frame to stack, continue ??? ", mtWarning, mbYes | mbCancel};
        question.batchAnswer = mrYes;
        if (messages.show(question) != mrYes) {
            closingStatus();
            result.outcome = StackOutcome::Declined;
            return result;
        }
    }

    StackSums sums;
    if (!allocateSums(canvasW, canvasH, fitsColour, firstPass, options.Statistical && options.SigmaFinalPass,
                      sums, messages))
        return result;
    StackAccumulator accumulator(options, model, section, run, sums);

    if (!addFrames(model, options, choice.list, shiftScale, canvasW, canvasH, frames, progress,
                   accumulator)) {
        result.outcome = StackOutcome::Cancelled;
        return result;
    }
    if (!completeStack(model, state, section, options, accumulator, sums, canvasW, canvasH, progress,
                       messages, result))
        return result;
    result.SigmaFinalPass = options.SigmaFinalPass ? false : options.Statistical;
    result.outcome = StackOutcome::Stacked;
    closingStatus();
    return result;
}

}  // namespace kestrave
