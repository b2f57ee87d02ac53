#include "registration/point_alignment.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <new>
#include <numbers>

#include "frames/avi_reader.h"
#include "platform/parallel.h"
#include "registration/alignment_pass_steps.h"
#include "registration/alignment_points.h"

namespace kestrave {

namespace {

// What a pass leaves in a frame record besides the flags: the slot it aligns in (slot 2 holds
// field 0 of interlaced frames), the difference at alignment and the mean brightness. Each point
// keeps its own copy of every record; the shared record holds the copy of the point that works
// on it at the time.
struct RecordCopy {
    TAlignSlotRec slot0;
    TAlignSlotRec slot2;
    float AlignDifference = 0.0f;
    float MeanBrightness = 0.0f;
};

// As a pass starts: the shift, grade and difference of slot 0 and the mean brightness start from
// nothing; the rest stays as the pass before left it.
RecordCopy startedCopy(RecordCopy copy) {
    TAlignSlotRec& slot = copy.slot0;
    slot.X = slot.Y = slot.SavedX = slot.SavedY = 0;
    slot.ShiftScale = 1.0f;
    slot.Quality = slot.Difference = 0.0f;
    copy.MeanBrightness = 0.0f;
    return copy;
}

// One frame as read, with its fields completed for interlaced input.
struct FrameInHand {
    int frame = -1;
    Bitmap24 picture;
    std::array<Bitmap24, 2> fields;
    bool wrongSize = false;
    int units = 0;  // alignments of the frame: one, or one per field
    const Bitmap24& unitPicture(int unit, bool interlaced) const {
        return interlaced ? fields[static_cast<std::size_t>(unit)] : picture;
    }
};

// The alignment of one point as one pass would run it.
struct Lane {
    PointReference* reference = nullptr;
    ProgramState program;
    AlignmentState alignment;
    std::unique_ptr<AlignContext> context;
    std::unique_ptr<FrameAlignment> aligner;
    std::vector<RecordCopy> records;  // frames 0 .. lastFrame
    std::vector<bool> started;        // the record copy of the frame has been taken
    std::vector<bool> measured;
    std::vector<bool> excludedHere;  // frames this point left out (deselected, or of the wrong size)
    // The unit being aligned and the one after it.
    Correlation correlation;
    Correlation nextCorrelation;
    bool nextValid = false;
    bool inFrame = false;  // the point aligns the frame in hand
    Verdict verdict;
    bool decided = false;
    Grade grade;
};

class PointPass {
public:
    PointPass(AlignContext& context, const AlignmentPassOptions& options, std::vector<PointReference>& points,
              FrameSource& source)
        : c_(context),
          o_(options),
          points_(points),
          source_(source),
          last_(std::clamp(options.lastFrame, 0, MaxFrameIndex)) {}

    PointAlignmentResult run();

private:
    void startLane(Lane& lane, const AlignOptions& align);
    // The point's options, without the dark frame when its size does not fit.
    AlignOptions laneOptions(std::size_t i) const {
        AlignOptions align = points_[i].align;
        if (darkframeOff_) align.levels.darkSubtract = false;
        return align;
    }
    bool measure(std::size_t first);
    bool enterFrame(std::size_t first, int frame);
    void decideUnit(std::size_t first, const Bitmap24& picture, int frame, int unit);
    void finishUnit(std::size_t first, const Bitmap24& picture, int frame);
    void fetch(FrameInHand& hand, int frame, FramePrefetcher& prefetcher);
    void wrongSizeFrame(std::size_t first, int frame);
    void correlateAndGrade(std::size_t first, const FrameInHand& hand, int unit, const FrameInHand* next,
                           int nextUnit);
    void takeRecord(std::size_t lane, int frame);
    void load(Lane& lane, int frame);
    void loadAll(Lane& lane);
    void save(Lane& lane, int frame);
    void enter(Lane& lane, int frame);
    std::size_t rankAndFile(std::size_t first, const std::vector<bool>& startExcluded);
    void fileAll(std::size_t first);
    void handBack();

    AlignContext& c_;
    const AlignmentPassOptions& o_;
    std::vector<PointReference>& points_;
    FrameSource& source_;
    const int last_;
    std::vector<Lane> lanes_;
    ScratchPool scratches_;
    PassProgress progress_{c_, o_};
    PointAlignmentResult result_;
    bool darkframeOff_ = false;
    Bitmap24 noPreview_;
};

PointAlignmentResult PointPass::run() {
    const PassFlags flags(c_);
    try {
        AlignOptions shared = o_.align;
        const CalibrationSwitch calibration = beginPass(c_, o_, shared);
        result_.pass.darkframeSwitchedOff = calibration.darkframeOff;
        result_.pass.flatfieldSwitchedOff = calibration.flatfieldOff;
        darkframeOff_ = calibration.darkframeOff;
        lanes_.resize(points_.size());
        for (std::size_t i = 0; i < points_.size(); ++i) {
            lanes_[i].reference = &points_[i];
            startLane(lanes_[i], laneOptions(i));
        }
        clearRecordsForPass(c_, o_);
        result_.pass.expandStack = c_.model.InputType == TInputType::itAVI && c_.model.avicount > 0;

        std::size_t first = 0;
        while (first < lanes_.size()) {
            std::vector<bool> startExcluded(static_cast<std::size_t>(last_) + 1);
            for (int k = 0; k <= last_; ++k)
                startExcluded[static_cast<std::size_t>(k)] = c_.model.FrameTable[k].Excluded;
            if (!measure(first)) {
                fileAll(first);
                handBack();
                passStopped(c_, result_.pass, PassEnd::Cancelled, "");
                return result_;
            }
            // A point whose ranking left out a frame the next points have aligned: those points
            // align again without it, as they would have after that point's pass.
            const std::size_t again = rankAndFile(first, startExcluded);
            for (std::size_t i = again; i < lanes_.size(); ++i) startLane(lanes_[i], laneOptions(i));
            first = again;
        }
        handBack();
    } catch (const KestraveError& error) {
        handBack();
        passStopped(c_, result_.pass, PassEnd::Failed, error.what());
    } catch (const std::bad_alloc&) {
        handBack();
        passStopped(c_, result_.pass, PassEnd::Failed, NoMemoryToAlignText);
    }
    return result_;
}

void PointPass::startLane(Lane& lane, const AlignOptions& align) {
    PointReference& reference = *lane.reference;
    lane.program = c_.program;
    lane.program.FeatureX = reference.FeatureX;
    lane.program.FeatureY = reference.FeatureY;
    lane.program.TrackOffsetX = lane.program.TrackOffsetY = 0;
    lane.program.progstatus = TProgStatus::psAligned;
    lane.alignment = c_.alignment;
    lane.alignment.ManualAlign = reference.ManualAlign;
    lane.alignment.HaltRequested = lane.alignment.ForceRealign = lane.alignment.NextSegmentPending = false;
    lane.alignment.OffscreenWarned = false;
    lane.alignment.OptimizePass = 0;
    lane.alignment.AviSegmentFirst = 0;
    startTracking(*reference.registration, lane.program, reference.fft.FFTSize);
    lane.context = std::make_unique<AlignContext>(
        AlignContext{reference.fft, *reference.registration, lane.alignment, lane.program, c_.model,
                     c_.section, c_.GammaTable, c_.messages, c_.progress, c_.view, &c_.registration});
    // Everything of the point's alignment (the quality plug-in among it) is in place before a
    // record changes.
    lane.aligner = std::make_unique<FrameAlignment>(*lane.context, align, noPreview_);
    const auto frames = static_cast<std::size_t>(last_) + 1;
    lane.records.assign(frames, RecordCopy{});
    lane.started.assign(frames, false);
    lane.measured.assign(frames, false);
    lane.excludedHere.assign(frames, false);
    lane.aligner->measured = &lane.measured;
    lane.nextValid = false;
}

// The point's copy of a record starts from the copy of the point before it (the first point's
// from the shared record), as its pass would find the record.
void PointPass::takeRecord(std::size_t i, int frame) {
    Lane& lane = lanes_[i];
    const auto k = static_cast<std::size_t>(frame);
    if (lane.started[k]) return;
    RecordCopy copy;
    if (i > 0 && lanes_[i - 1].started[k]) {
        copy = lanes_[i - 1].records[k];
    } else {
        const TFrameRec& record = c_.model.FrameTable[frame];
        copy = {record.Slots[0], record.Slots[2], record.AlignDifference, record.MeanBrightness};
    }
    lane.records[k] = startedCopy(copy);
    lane.started[k] = true;
}

void PointPass::load(Lane& lane, int frame) {
    const RecordCopy& copy = lane.records[static_cast<std::size_t>(frame)];
    TFrameRec& record = c_.model.FrameTable[frame];
    record.Slots[0] = copy.slot0;
    if (o_.align.interlaced) record.Slots[2] = copy.slot2;
    record.AlignDifference = copy.AlignDifference;
    record.MeanBrightness = copy.MeanBrightness;
}

void PointPass::save(Lane& lane, int frame) {
    RecordCopy& copy = lane.records[static_cast<std::size_t>(frame)];
    const TFrameRec& record = c_.model.FrameTable[frame];
    copy.slot0 = record.Slots[0];
    if (o_.align.interlaced) copy.slot2 = record.Slots[2];
    copy.AlignDifference = record.AlignDifference;
    copy.MeanBrightness = record.MeanBrightness;
}

void PointPass::fetch(FrameInHand& hand, int frame, FramePrefetcher& prefetcher) {
    hand.frame = frame;
    std::swap(hand.picture, prefetcher.next().Preview);
    prefetcher.release();
    hand.wrongSize = !pictureFitsInput(hand.picture, c_.model);
    hand.units = hand.wrongSize ? 0 : o_.align.interlaced ? 2 : 1;
    if (hand.wrongSize || !o_.align.interlaced) return;
    // Each field starts from the frame as read and fills the other field's lines from its own.
    for (int field = 0; field < 2; ++field) {
        Bitmap24& picture = hand.fields[static_cast<std::size_t>(field)];
        picture = hand.picture;
        interpolateField(picture, c_.model.FrameWidth, c_.model.FrameHeight, o_.align.Interlacehoriz,
                         field == 0 ? 1 : 2);
    }
}

// The first point that reaches a frame of the wrong size leaves it out (with the warning); the
// points after it find it excluded.
void PointPass::wrongSizeFrame(std::size_t first, int frame) {
    for (std::size_t i = first; i < lanes_.size(); ++i) {
        takeRecord(i, frame);
        if (c_.model.FrameTable[frame].Excluded) continue;
        load(lanes_[i], frame);
        progress_.excludeWrongSize(frame);
        lanes_[i].excludedHere[static_cast<std::size_t>(frame)] = true;
        save(lanes_[i], frame);
    }
}

// The grades of the unit just decided and the correlations of the unit after it (`next`, none at
// the end), every point's on its own, side by side.
void PointPass::correlateAndGrade(std::size_t first, const FrameInHand& hand, int unit,
                                  const FrameInHand* next, int nextUnit) {
    const bool interlaced = o_.align.interlaced;
    std::vector<std::pair<std::size_t, bool>> tasks;  // lane, grade (else correlate the next unit)
    for (std::size_t i = first; i < lanes_.size(); ++i) {
        Lane& lane = lanes_[i];
        lane.nextValid = false;
        if (lane.decided) tasks.emplace_back(i, true);
        if (next != nullptr && !lane.alignment.HaltRequested) tasks.emplace_back(i, false);
    }
    // Each point's box offset for the next unit is known: its lock test of this unit is done.
    std::vector<std::array<int, 2>> offsets(lanes_.size());
    for (std::size_t i = first; i < lanes_.size(); ++i) offsets[i] = lanes_[i].aligner->boxOffset();
    // Each thread takes the next task as it gets free, so that a thread held up elsewhere delays
    // no more than the task it runs.
    std::atomic<std::size_t> taken{0};
    const auto threads = static_cast<std::ptrdiff_t>(std::min<std::size_t>(threadCount(), tasks.size()));
    parallelFor(0, threads, [&](std::ptrdiff_t) {
        for (std::size_t t; (t = taken.fetch_add(1)) < tasks.size();) {
            const auto [i, grading] = tasks[t];
            Lane& lane = lanes_[i];
            const AlignInputs& inputs = lane.aligner->inputs();
            std::unique_ptr<AlignScratch> scratch = scratches_.take(inputs.engine->FFTSize);
            if (grading) {
                lane.grade = gradeAlignedBox(inputs, hand.unitPicture(unit, interlaced), lane.verdict.sx,
                                             lane.verdict.sy, *scratch);
            } else {
                lane.nextCorrelation = correlateBox(inputs, next->unitPicture(nextUnit, interlaced),
                                                    offsets[i][0], offsets[i][1], *scratch);
            }
            scratches_.give(std::move(scratch));
        }
    });
    for (const auto& [i, grading] : tasks)
        if (!grading) lanes_[i].nextValid = true;
}

bool PointPass::measure(std::size_t first) {
    FrameModel& model = c_.model;
    const bool interlaced = o_.align.interlaced;
    std::vector<int> frames;
    for (int k = 0; k <= last_; ++k)
        if (!model.FrameTable[k].Excluded) frames.push_back(k);
    // Frames below `done` have every point's record copy.
    int done = 0;
    const auto takeUpTo = [&](int end) {
        for (; done < end; ++done)
            for (std::size_t i = first; i < lanes_.size(); ++i) takeRecord(i, done);
    };
    if (frames.empty()) {
        takeUpTo(last_ + 1);
        return true;
    }
    FramePrefetcher prefetcher(source_, frames);
    std::array<FrameInHand, 2> hands;
    std::size_t taken = 0;
    fetch(hands[0], frames[taken++], prefetcher);
    for (std::size_t i = first; i < lanes_.size(); ++i) lanes_[i].nextValid = false;
    for (int current = 0;; current = 1 - current) {
        FrameInHand& hand = hands[static_cast<std::size_t>(current)];
        FrameInHand& following = hands[static_cast<std::size_t>(1 - current)];
        const int f = hand.frame;
        takeUpTo(f);
        if (!enterFrame(first, f)) return false;
        if (hand.wrongSize) wrongSizeFrame(first, f);

        bool fetched = false;
        for (int u = 0; u < hand.units; ++u) {
            const Bitmap24& picture = hand.unitPicture(u, interlaced);
            decideUnit(first, picture, f, u);
            // The unit after this one: the next field, or the first of the next frame.
            const FrameInHand* next = nullptr;
            int nextUnit = 0;
            if (u + 1 < hand.units) {
                next = &hand;
                nextUnit = u + 1;
            } else if (taken < frames.size()) {
                fetch(following, frames[taken++], prefetcher);
                fetched = true;
                if (following.units > 0) next = &following;
            }
            correlateAndGrade(first, hand, u, next, nextUnit);
            finishUnit(first, picture, f);
        }
        // The points that left the frame out take their copy of it as the points before them
        // left it.
        for (std::size_t i = first; i < lanes_.size(); ++i) takeRecord(i, f);
        if (c_.progress.cancelRequested()) return false;
        if (!fetched) {
            if (taken >= frames.size()) break;
            fetch(following, frames[taken++], prefetcher);
            for (std::size_t i = first; i < lanes_.size(); ++i) lanes_[i].nextValid = false;
        }
    }
    takeUpTo(last_ + 1);
    return true;
}

// The progress of a new frame, and what it tells every point: a new file of an AVI list, the
// halt button. False when the user stopped the pass.
bool PointPass::enterFrame(std::size_t first, int frame) {
    bool keepGoing = true;
    const int entered = progress_.frameStart(frame, keepGoing);
    const bool halted = c_.alignment.HaltRequested;
    for (std::size_t i = first; i < lanes_.size(); ++i) {
        Lane& lane = lanes_[i];
        // Each file of an AVI list after the first asks for the feature again.
        for (int s = 0; s < entered; ++s) {
            lane.reference->registration->LastPeak *= 2.0;
            lane.alignment.NextSegmentPending = true;
        }
        lane.alignment.AviSegmentFirst = progress_.segmentFirst();
        if (halted) lane.alignment.HaltRequested = true;
        lane.inFrame = false;
    }
    return keepGoing;
}

// The lock tests and shifts of one unit (a frame, or a field of an interlaced one), point after
// point.
void PointPass::decideUnit(std::size_t first, const Bitmap24& picture, int frame, int unit) {
    FrameModel& model = c_.model;
    const auto k = static_cast<std::size_t>(frame);
    for (std::size_t i = first; i < lanes_.size(); ++i) {
        Lane& lane = lanes_[i];
        lane.decided = false;
        // A frame that a point before this one deselected is left out.
        if (unit == 0) lane.inFrame = !model.FrameTable[frame].Excluded;
        if (!lane.inFrame || lane.alignment.HaltRequested) continue;
        takeRecord(i, frame);
        lane.alignment.CurrentFrame = frame;
        lane.alignment.InterlaceField = unit;
        if (lane.nextValid) {
            lane.correlation = std::move(lane.nextCorrelation);
        } else {
            const auto offset = lane.aligner->boxOffset();
            lane.correlation =
                correlateBox(lane.aligner->inputs(), picture, offset[0], offset[1], lane.aligner->scratch());
        }
        enter(lane, frame);
        const bool wasExcluded = model.FrameTable[frame].Excluded;
        lane.aligner->showSurface(lane.correlation);
        lane.verdict = lane.aligner->decide(lane.correlation, picture);
        if (!wasExcluded && model.FrameTable[frame].Excluded) lane.excludedHere[k] = true;
        save(lane, frame);
        lane.decided = !lane.verdict.skipped;
    }
}

// The decided points' grades and records of the unit.
void PointPass::finishUnit(std::size_t first, const Bitmap24& picture, int frame) {
    for (std::size_t i = first; i < lanes_.size(); ++i) {
        Lane& lane = lanes_[i];
        if (!lane.decided) continue;
        enter(lane, frame);
        lane.aligner->finish(lane.verdict, lane.correlation, lane.grade, picture);
        if (!lane.verdict.result) {
            // The feature was pointed out anew: the frame is aligned once more, and the next unit
            // is correlated where the new tracking puts its box.
            lane.aligner->alignPicture(picture);
            lane.nextValid = false;
        }
        save(lane, frame);
    }
}

// The shared records of the frame and of the one before it (whose shift the tracking reads) as
// the point sees them.
void PointPass::enter(Lane& lane, int frame) {
    if (frame > 0)
        c_.model.FrameTable[frame - 1].Slots[0] = lane.records[static_cast<std::size_t>(frame - 1)].slot0;
    load(lane, frame);
}

void PointPass::loadAll(Lane& lane) {
    for (int k = 0; k <= last_; ++k) load(lane, k);
}

std::size_t PointPass::rankAndFile(std::size_t first, const std::vector<bool>& startExcluded) {
    FrameModel& model = c_.model;
    std::vector<bool> keptOut = startExcluded;
    for (std::size_t i = first; i < lanes_.size(); ++i) {
        Lane& lane = lanes_[i];
        loadAll(lane);
        for (int k = 0; k <= last_; ++k)
            if (lane.excludedHere[static_cast<std::size_t>(k)]) keptOut[static_cast<std::size_t>(k)] = true;
        AlignmentPassResult& pass = result_.pass;
        rankAlignedFrames(c_, o_, lane.measured, keptOut, pass);
        // The relative brightness belongs to the point's records from now on.
        for (int k = 0; k <= last_; ++k) save(lane, k);
        const int p = lane.reference->point;
        result_.PointBestQuality[static_cast<std::size_t>(p)] = filePointSlot(model, p, last_);
        result_.filed.push_back(p);
        if (i + 1 == lanes_.size()) break;
        for (int k = 0; k <= last_; ++k)
            if (model.FrameTable[k].Excluded != keptOut[static_cast<std::size_t>(k)]) return i + 1;
    }
    return lanes_.size();
}

void PointPass::fileAll(std::size_t first) {
    for (int k = 0; k <= last_; ++k)
        for (std::size_t i = first; i < lanes_.size(); ++i) takeRecord(i, k);
    for (std::size_t i = first; i < lanes_.size(); ++i) {
        loadAll(lanes_[i]);
        const int p = lanes_[i].reference->point;
        result_.PointBestQuality[static_cast<std::size_t>(p)] = filePointSlot(c_.model, p, last_);
        result_.filed.push_back(p);
    }
}

// The context ends as the last point's pass leaves it.
void PointPass::handBack() {
    if (lanes_.empty() || !lanes_.back().context) return;
    const Lane& lane = lanes_.back();
    c_.fft = lane.reference->fft;
    copyRegistration(*lane.reference->registration, c_.registration);
    c_.program.FeatureX = lane.program.FeatureX;
    c_.program.FeatureY = lane.program.FeatureY;
    c_.program.TrackOffsetX = lane.program.TrackOffsetX;
    c_.program.TrackOffsetY = lane.program.TrackOffsetY;
    c_.alignment.CurrentFrame = lane.alignment.CurrentFrame;
    c_.alignment.InterlaceField = lane.alignment.InterlaceField;
    c_.alignment.OffscreenWarned = lane.alignment.OffscreenWarned;
    c_.alignment.AviSegmentFirst = lane.alignment.AviSegmentFirst;
}

}  // namespace

PointReference takePointReference(int point, const FftEngine& fft, const RegistrationState& registration,
                                  const ProgramState& program, const AlignOptions& align) {
    PointReference reference;
    reference.point = point;
    reference.FeatureX = program.FeatureX;
    reference.FeatureY = program.FeatureY;
    reference.fft = fft;
    copyRegistration(registration, *reference.registration);
    reference.align = align;
    return reference;
}

void copyRegistration(const RegistrationState& from, RegistrationState& to) {
    to.BoxLeft = from.BoxLeft;
    to.BoxTop = from.BoxTop;
    to.FeatureFrame = from.FeatureFrame;
    to.refframe = from.refframe;
    to.FeatureChosen = from.FeatureChosen;
    to.WaitForClick = from.WaitForClick;
    to.ClickX = from.ClickX;
    to.ClickY = from.ClickY;
    to.UserBoxPlaced = from.UserBoxPlaced;
    to.FFTFilterArmed = from.FFTFilterArmed;
    to.FFTFilterManual = from.FFTFilterManual;
    to.QualityFilterArmed = from.QualityFilterArmed;
    to.QualityFilterManual = from.QualityFilterManual;
    to.HVSCentre = from.HVSCentre;
    to.TrackStepX = from.TrackStepX;
    to.TrackStepY = from.TrackStepY;
    to.LastPeak = from.LastPeak;
    to.FFTWindowPlane = from.FFTWindowPlane;
    to.RefSpectrumRe = from.RefSpectrumRe;
    to.RefSpectrumIm = from.RefSpectrumIm;
    to.Image1 = from.Image1;
}

PointAlignmentResult alignPointsAllFrames(AlignContext& context, const AlignmentPassOptions& options,
                                          std::vector<PointReference>& points, FrameSource& source) {
    return PointPass(context, options, points, source).run();
}

float filePointSlot(FrameModel& model, int point, int lastFrame) {
    float best = 0.0f;
    for (int f = 0; f <= std::min(lastFrame, MaxFrameIndex); ++f) {
        TAlignSlotRec* slots = model.FrameTable[f].Slots;
        const TAlignSlotRec& aligned = slots[0];
        TAlignSlotRec& slot = slots[point];
        slot.X = slot.SavedX = aligned.X;
        slot.Y = slot.SavedY = aligned.Y;
        slot.ShiftScale = aligned.ShiftScale;
        slot.Quality = aligned.Quality;
        slot.Peak = aligned.Peak;
        slot.Brightness = aligned.Brightness;
        slot.Difference = aligned.Difference;
        best = std::max(best, slot.Quality);
    }
    return best;
}

void copyFirstPointToAll(FrameModel& model, int lastPoint, int lastFrame,
                         std::array<float, AlignSlotCount>& PointBestQuality) {
    const int points = std::min(lastPoint, MaxAlignPoints);
    resetPointShifts(model, points, lastFrame);
    for (int f = 0; f <= std::min(lastFrame, MaxFrameIndex); ++f) {
        TAlignSlotRec* slots = model.FrameTable[f].Slots;
        for (int p = 2; p <= points; ++p) {
            slots[p].ShiftScale = slots[1].ShiftScale;
            slots[p].Quality = slots[1].Quality;
            // Point 1's brightness and peak stand in for the point's own, which were never
            // measured: the intensity balance averages every point's brightness.
            slots[p].Brightness = slots[1].Brightness;
            slots[p].Peak = slots[1].Peak;
            slots[p].Difference = NotMeasuredDifference;
        }
    }
    for (int p = 2; p <= points; ++p) PointBestQuality[static_cast<std::size_t>(p)] = PointBestQuality[1];
}

int wholeFrameBoxSize(int width, int height) {
    int size = 32;
    while (size < 512 && 2 * size + 2 <= std::min(width, height)) size *= 2;
    return size;
}

PointXY wholeFrameBoxCentre(const AlignmentPoints& points, int count, int width, int height) {
    int x0 = width, x1 = 0, y0 = height, y1 = 0;
    for (int p = 1; p <= std::clamp(count, 1, MaxAlignPoints); ++p) {
        const PointXY at = points.PointPos[static_cast<std::size_t>(p)];
        x0 = std::min(x0, at.X);
        x1 = std::max(x1, at.X);
        y0 = std::min(y0, at.Y);
        y1 = std::max(y1, at.Y);
    }
    const int h = wholeFrameBoxSize(width, height) / 2;
    return {std::clamp((x0 + x1) / 2, h + 1, std::max(h + 1, width - h - 1)),
            std::clamp((y0 + y1) / 2, h + 1, std::max(h + 1, height - h - 1))};
}

std::vector<double> pointAngles(FrameModel& model, const PointXY& first, const PointXY& second, int lastFrame,
                                int referenceFrame) {
    const int last = std::min(lastFrame, MaxFrameIndex);
    std::vector<double> distances;
    for (int f = 0; f <= last; ++f) {
        TFrameRec& record = model.FrameTable[f];
        const double dx = (record.Slots[2].X + second.X) - (record.Slots[1].X + first.X);
        const double dy = (record.Slots[2].Y + second.Y) - (record.Slots[1].Y + first.Y);
        // The angle whose tangent is dx / dy: 0 with point 2 straight below point 1.
        record.Angle = static_cast<float>(std::atan2(dx, dy) * (1.0 / std::numbers::pi) * 180.0);
        distances.push_back(std::sqrt(dx * dx + dy * dy));
    }
    if (referenceFrame >= 0 && referenceFrame <= last) {
        const float reference = model.FrameTable[referenceFrame].Angle;
        for (int f = 0; f <= last; ++f) model.FrameTable[f].Angle -= reference;
        model.FrameTable[referenceFrame].Angle = 0.0f;
    }
    return distances;
}

int pointCountdown(int average, int point) {
    const double steps = std::nearbyint(std::clamp(average * static_cast<double>(point) * 0.0002, 0.0, 4e5));
    return static_cast<int>(steps) * 5000 + 5000;
}

}  // namespace kestrave
