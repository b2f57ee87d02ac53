#include "registration/alignment_pass.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <new>

#include "frames/avi_input.h"
#include "frames/still_frames.h"
#include "platform/parallel.h"
#include "registration/alignment_pass_steps.h"

namespace kestrave {

namespace {

// Frames measured together per thread without tracking: each batch ends in the frames' lock tests
// in order, so larger batches keep the threads busy longer between them. A batch holds at most
// BatchBytes of pictures (and the prefetcher as much again), so large frames take fewer.
constexpr int BatchPerThread = 4;
constexpr int TrackedPerThread = 4;
constexpr std::size_t BatchBytes = std::size_t{64} << 20;
constexpr std::size_t PrefetchBytes = std::size_t{64} << 20;

struct FrameSlot;

// One frame of the pass, and its one unit of alignment (two for interlaced input, one per field).
struct Unit {
    FrameSlot* slot = nullptr;
    int field = 0;
    const Bitmap24* picture = nullptr;
    // The chart shows the frame's spectrum.
    bool charted = true;
    Correlation correlation;
    Grade grade;
    // With tracking: the correlations of the boxes read where the box was expected, the offset
    // the latest expectation reads it at, and whether `grade` holds a grade.
    std::vector<Correlation> tried;
    std::array<int, 2> expected{};
    bool graded = false;
};

const Correlation* triedAt(const Unit& unit, std::array<int, 2> offset) {
    for (const Correlation& c : unit.tried)
        if (c.tx == offset[0] && c.ty == offset[1]) return &c;
    return nullptr;
}

struct FrameSlot {
    int frame = -1;
    Bitmap24 picture;
    // The frame's grey levels, when the pass reads levels alone (`picture` is then made from
    // them only for the view).
    LevelBitmap levels;
    // The rows of the picture that were made (see Pass::rowsToRead).
    RowBand rows;
    bool wrongSize = false;
    // The two fields of an interlaced frame, each completed from its own lines.
    std::array<Bitmap24, 2> fields;
    std::vector<Unit> units;
};

// One unit of a tracked batch in the order of the pass; a frame of the wrong size has one step
// without a unit.
struct TrackedStep {
    FrameSlot* slot = nullptr;
    Unit* unit = nullptr;
    bool firstOfFrame = false;
    bool lastOfFrame = false;
};

// The frames of a tracked batch, and its units in the order of the pass.
struct TrackedBatch {
    std::vector<FrameSlot> slots;
    std::vector<TrackedStep> steps;
};

// The shift a correlation gives: its box's offset plus the offset of its peak.
std::array<int, 2> shiftOf(const Correlation& c, int n) {
    return {c.tx + shiftOfPeak(c.pi, n), c.ty + shiftOfPeak(c.pj, n)};
}

// The offsets at which the tracking is expected to read the boxes of successive units, from the
// shifts their correlations give (a prediction only: a wrong one costs another measurement, never
// a different result).
class Expectation {
public:
    // Starts where the tracking stands after the frames aligned so far.
    Expectation(const AlignContext& context, const AlignOptions& options, const FrameAlignment& aligner)
        : model_(context.model),
          options_(options),
          n_(context.fft.FFTSize),
          offset_(aligner.boxOffset()),
          track_{context.program.TrackOffsetX, context.program.TrackOffsetY} {}

    // Where the next unit's box is expected.
    std::array<int, 2> offset() const { return offset_; }

    // The next unit, of `frame`, keeps the shift that `c` gives; with none measured yet it is
    // expected to find the feature where its box is.
    void pass(int frame, const Correlation* c) {
        const std::array<int, 2> shift = c != nullptr ? shiftOf(*c, n_) : offset_;
        std::array<int, 2> before = previousShift_;
        if (previousFrame_ != frame - 1 && frame > 0)
            before = {model_.FrameTable[frame - 1].Slots[0].X, model_.FrameTable[frame - 1].Slots[0].Y};
        const std::array<int, 2> step{frame > 0 ? (shift[0] - before[0]) / 2 : 0,
                                      frame > 0 ? (shift[1] - before[1]) / 2 : 0};
        const bool offscreen = c != nullptr && c->boxOffscreen;
        if (!offscreen) track_ = shift;
        previousFrame_ = frame;
        previousShift_ = shift;
        if (!options_.Trackobject) return;
        const bool lead = options_.predicttrack && !offscreen;
        offset_ = {track_[0] + (lead ? step[0] : 0), track_[1] + (lead ? step[1] : 0)};
    }

private:
    const FrameModel& model_;
    const AlignOptions& options_;
    int n_;
    std::array<int, 2> offset_;
    std::array<int, 2> track_;
    int previousFrame_ = -1;
    std::array<int, 2> previousShift_{};
};

class Pass {
public:
    Pass(AlignContext& context, const AlignmentPassOptions& options, FrameSource& source)
        : c_(context), o_(options), source_(source) {}

    AlignmentPassResult run();

private:
    bool measureFrames();
    bool measureInParallel(FramePrefetcher& prefetcher, std::size_t batch);
    bool measureTracked(FramePrefetcher& prefetcher, std::size_t batch);
    void loadTracked(TrackedBatch& batch, std::size_t first, FramePrefetcher& prefetcher);
    void speculate(std::vector<TrackedStep>& settled, const Expectation& start,
                   std::vector<TrackedStep>& ahead, const Expectation& guess);
    void gradeAll(std::vector<TrackedStep>& steps);
    const Correlation* correlate(Unit& unit, AlignScratch& scratch);
    void gradeSettled(Unit* unit, AlignScratch& scratch);
    void followRun(std::vector<TrackedStep>& steps, std::ptrdiff_t run, std::ptrdiff_t runs,
                   Expectation expectation, AlignScratch& scratch);
    Expectation expectAlong(std::vector<TrackedStep>& steps, Expectation expectation,
                            std::vector<Unit*>* open);
    void settle(std::vector<TrackedStep>& steps, const Expectation& start, AlignScratch& scratch);
    bool walk(std::vector<TrackedStep>& steps);
    void fetch(FrameSlot& slot, int frame, FramePrefetcher& prefetcher);
    void prepare(FrameSlot& slot, Unit& unit);
    bool frameStart(int frame);
    bool commit(FrameSlot& slot);
    void finishRanking();
    RowBand rowsToRead(std::size_t position) const;
    void needRows(Unit& unit, int first, int end);
    void needBox(Unit& unit, int ty);
    void needGrade(Unit& unit, int sy);
    void readWhole(FrameSlot& slot);
    const Bitmap24& shown(Unit& unit);
    const Bitmap24& wholePicture(FrameSlot& slot);
    FramePixels pixels(const Unit& unit) const;

    AlignContext& c_;
    const AlignmentPassOptions& o_;
    FrameSource& source_;
    AlignmentPassResult result_;
    std::unique_ptr<FrameAlignment> aligner_;
    Bitmap24 noPreview_;
    Bitmap24 madePicture_;
    std::vector<int> frames_;
    std::vector<bool> measured_;
    ScratchPool scratches_;
    PassProgress progress_{c_, o_};
    // An unattended pass reads of most frames only the rows around the box (see rowsToRead): the
    // tracking's latest vertical offset leads where.
    bool banded_ = false;
    // The frames are read as grey levels alone (see measureFrames).
    bool levels_ = false;
    std::atomic<int> trackY_{0};
    int boxTop_ = 0;
    int boxSize_ = 0;
};

AlignmentPassResult Pass::run() {
    const PassFlags flags(c_);
    try {
        AlignOptions align = o_.align;
        const CalibrationSwitch calibration = beginPass(c_, o_, align);
        result_.darkframeSwitchedOff = calibration.darkframeOff;
        result_.flatfieldSwitchedOff = calibration.flatfieldOff;
        aligner_ = std::make_unique<FrameAlignment>(c_, align, noPreview_);
        aligner_->keepReferenceLevels();
        clearRecordsForPass(c_, o_);
        startTracking(c_.registration, c_.program, c_.fft.FFTSize);
        if (!measureFrames()) {
            passStopped(c_, result_, PassEnd::Cancelled, "");
            return result_;
        }
        c_.alignment.InAlignPass = false;
        finishRanking();
    } catch (const KestraveError& error) {
        passStopped(c_, result_, PassEnd::Failed, error.what());
    } catch (const std::bad_alloc&) {
        passStopped(c_, result_, PassEnd::Failed, NoMemoryToAlignText);
    }
    return result_;
}

bool Pass::measureFrames() {
    const FrameModel& model = c_.model;
    const int last = std::min(o_.lastFrame, MaxFrameIndex);
    for (int k = 0; k <= last; ++k)
        if (!model.FrameTable[k].Excluded) frames_.push_back(k);
    measured_.assign(static_cast<std::size_t>(std::max(o_.lastFrame, 0)) + 1, false);
    aligner_->measured = &measured_;
    c_.alignment.AviSegmentFirst = 0;
    result_.expandStack = model.InputType == TInputType::itAVI && model.avicount > 0;
    if (frames_.empty()) return true;

    // Nobody looks at the frames of a batch run, and it asks nothing of them: most are read only
    // where the box can fall (interlaced frames are read whole, their fields are made from it).
    banded_ = c_.program.BatchMode && !o_.align.interlaced;
    // Where a grey picture's levels are all the alignment reads of it (no colour, no method that
    // grades a copy of the box), such a run holds them alone: a third of the memory, so that
    // more frames are measured side by side.
    levels_ =
        banded_ && source_.makesLevels() && !o_.align.Colourstack && !o_.align.quality.gradesBoxPicture();
    const std::size_t frameBytes = (levels_ ? static_cast<std::size_t>(std::max(model.FrameWidth, 1))
                                            : Bitmap24::strideFor(model.FrameWidth)) *
                                   static_cast<std::size_t>(std::max(model.FrameHeight, 1)) *
                                   (o_.align.interlaced ? 3 : 1);
    // With tracking one thread measures one frame at a time (a frame measured ahead may have to
    // be measured again).
    const bool tracking = o_.align.Trackobject || (c_.alignment.ManualAlign && !c_.program.BatchMode);
    const int perThread = tracking ? TrackedPerThread : BatchPerThread;
    const int most = tracking && threadCount() == 1 ? 1 : perThread * threadCount();
    // With tracking two batches are held at a time.
    const auto batch = static_cast<int>(std::clamp<std::size_t>(
        BatchBytes / (tracking ? 2 : 1) / std::max<std::size_t>(frameBytes, 1), 1, most));
    // The pass keeps the pictures of a batch (two with tracking); reading ahead holds a picture per
    // slot and a buffer of the file's bytes per reader. With tracking it reads ahead one frame per
    // thread, more while three pictures per frame stay within PrefetchBytes: fewer slots at large
    // frames starve the threads (16-bit frames cost most to convert).
    const int ahead = static_cast<int>(std::clamp<std::size_t>(
        PrefetchBytes / std::max<std::size_t>(3 * frameBytes, 1), static_cast<std::size_t>(threadCount()),
        static_cast<std::size_t>(std::max(batch, threadCount()))));
    trackY_ = c_.program.TrackOffsetY;
    boxTop_ = c_.registration.BoxTop;
    boxSize_ = c_.fft.FFTSize;
    FramePrefetcher prefetcher(source_, frames_, tracking ? std::min(batch, ahead) : batch, 1,
                               levels_ ? FrameParts::Levels : FrameParts::Preview,
                               [this](std::size_t position) { return rowsToRead(position); });
    if (tracking) return measureTracked(prefetcher, static_cast<std::size_t>(batch));
    return measureInParallel(prefetcher, static_cast<std::size_t>(batch));
}

void Pass::fetch(FrameSlot& slot, int frame, FramePrefetcher& prefetcher) {
    // The pass keeps the picture and gives the buffers back at once, with the old picture in them
    // for the next read to overwrite.
    slot.frame = frame;
    FrameBuffers& read = prefetcher.next();
    if (levels_)
        std::swap(slot.levels, read.Levels);
    else
        std::swap(slot.picture, read.Preview);
    slot.rows = read.PreviewRows;
    prefetcher.release();
    slot.wrongSize = !pictureFitsInput(levels_ ? FramePixels(slot.levels) : slot.picture, c_.model);
    const bool interlaced = o_.align.interlaced;
    slot.units.assign(slot.wrongSize ? 0 : interlaced ? 2 : 1, Unit{});
    for (std::size_t u = 0; u < slot.units.size(); ++u) {
        slot.units[u].slot = &slot;
        slot.units[u].field = static_cast<int>(u);
        slot.units[u].picture = interlaced ? &slot.fields[u] : &slot.picture;
        slot.units[u].charted = aligner_->inputs().chartsSpectrumOf(frame);
    }
}

// Each field of an interlaced frame starts from the frame as read and fills the other field's
// lines (rows, or columns with the fields side by side) from its own.
void Pass::prepare(FrameSlot& slot, Unit& unit) {
    if (!o_.align.interlaced) return;
    Bitmap24& field = slot.fields[static_cast<std::size_t>(unit.field)];
    field = slot.picture;
    interpolateField(field, c_.model.FrameWidth, c_.model.FrameHeight, o_.align.Interlacehoriz,
                     unit.field == 0 ? 1 : 2);
}

bool Pass::measureInParallel(FramePrefetcher& prefetcher, std::size_t batch) {
    const AlignInputs& inputs = aligner_->inputs();
    const int n = c_.fft.FFTSize;
    std::vector<FrameSlot> slots(batch);
    for (std::size_t first = 0; first < frames_.size(); first += batch) {
        const std::size_t count = std::min(batch, frames_.size() - first);
        std::vector<std::pair<FrameSlot*, Unit*>> units;
        for (std::size_t b = 0; b < count; ++b) {
            fetch(slots[b], frames_[first + b], prefetcher);
            for (Unit& unit : slots[b].units) units.emplace_back(&slots[b], &unit);
        }
        // Without tracking every box lies at (BoxLeft, BoxTop) and the shift follows from the
        // peak alone, so the frames are correlated and graded ahead of their lock test. Each
        // thread takes the next unit as it gets free.
        std::atomic<std::size_t> taken{0};
        parallelFor(0, threadCount(), [&](std::ptrdiff_t) {
            std::unique_ptr<AlignScratch> scratch = scratches_.take(c_.fft.FFTSize);
            for (std::size_t i; (i = taken.fetch_add(1)) < units.size();) {
                auto [slot, unit] = units[i];
                prepare(*slot, *unit);
                needBox(*unit, 0);
                unit->correlation = correlateBox(inputs, pixels(*unit), 0, 0, *scratch, unit->charted);
                const int sy = shiftOfPeak(unit->correlation.pj, n);
                needGrade(*unit, sy);
                unit->grade = gradeAlignedBox(inputs, pixels(*unit), shiftOfPeak(unit->correlation.pi, n), sy,
                                              *scratch);
            }
            scratches_.give(std::move(scratch));
        });
        for (std::size_t b = 0; b < count; ++b)
            if (!commit(slots[b])) return false;
    }
    return true;
}

// The lock tests, questions and writes of one frame, in the order of the frames.
bool Pass::commit(FrameSlot& slot) {
    AlignmentState& alignment = c_.alignment;
    if (!frameStart(slot.frame)) return false;
    if (slot.wrongSize) {
        progress_.excludeWrongSize(slot.frame);
        return true;
    }
    for (Unit& unit : slot.units) {
        alignment.CurrentFrame = slot.frame;
        alignment.InterlaceField = unit.field;
        if (alignment.HaltRequested) continue;
        aligner_->showSurface(unit.correlation);
        const Verdict verdict = aligner_->decide(unit.correlation, levels_ ? noPreview_ : *unit.picture);
        if (verdict.skipped) continue;
        if (verdict.sx != unit.grade.sx || verdict.sy != unit.grade.sy) {
            needGrade(unit, verdict.sy);
            unit.grade = gradeAlignedBox(aligner_->inputs(), pixels(unit), verdict.sx, verdict.sy,
                                         aligner_->scratch());
        }
        aligner_->finish(verdict, unit.correlation, unit.grade, shown(unit));
        if (!verdict.result) aligner_->alignPicture(wholePicture(slot));
    }
    return !c_.progress.cancelRequested();
}

// With tracking each box is read where the frames before it put the feature, so the frames form
// a chain. A batch is measured ahead in parallel at the offsets the tracking is expected to give;
// the batch before it is meanwhile settled from where the tracking stands (every unit measured at
// the offset the units before it give) and graded; then the lock tests and writes of that batch
// follow the frames in order, each unit using the correlation measured at the offset the tracking
// actually gives (measured then, where none was), so every frame has exactly the correlation and
// grade of the frames taken one after another. Two batches are held at a time.
bool Pass::measureTracked(FramePrefetcher& prefetcher, std::size_t batch) {
    std::array<TrackedBatch, 2> batches;
    for (TrackedBatch& b : batches) b.slots.resize(batch);
    TrackedBatch* now = &batches[0];
    TrackedBatch* ahead = &batches[1];
    for (std::size_t next = 0;; next += batch) {
        loadTracked(*ahead, next, prefetcher);
        if (now->steps.empty() && ahead->steps.empty()) return true;
        // `now` is settled from where the tracking stands; the batch ahead is measured from where
        // `now`'s measurements so far lead (a guess: settling may still move it).
        const Expectation start(c_, o_.align, *aligner_);
        const Expectation guess = expectAlong(now->steps, start, nullptr);
        speculate(now->steps, start, ahead->steps, guess);
        if (!walk(now->steps)) return false;
        std::swap(now, ahead);
    }
}

// Reads the frames of the batch that starts at list position `first` (none past the end).
void Pass::loadTracked(TrackedBatch& batch, std::size_t first, FramePrefetcher& prefetcher) {
    batch.steps.clear();
    const std::size_t count =
        first < frames_.size() ? std::min(batch.slots.size(), frames_.size() - first) : 0;
    for (std::size_t b = 0; b < count; ++b) {
        FrameSlot& slot = batch.slots[b];
        fetch(slot, frames_[first + b], prefetcher);
        if (slot.units.empty()) batch.steps.push_back({&slot, nullptr, true, true});
        for (Unit& unit : slot.units)
            batch.steps.push_back({&slot, &unit, &unit == &slot.units.front(), &unit == &slot.units.back()});
    }
}

// Every unit the walk finds measured at its offset is one less measured there on one thread, so
// the units of a batch are measured ahead where the tracking is expected to read their boxes.
// Each thread follows a run of consecutive units of the batch `ahead`, each expected where the
// ones before it in the run put the feature (the first of a run where `guess` expects the
// batch's first). Meanwhile one thread settles the batch before, `settled`, from `start` (see
// settle) and then grades its units at the shifts their correlations at their expected offsets
// give, the threads done with their runs helping.
void Pass::speculate(std::vector<TrackedStep>& settled, const Expectation& start,
                     std::vector<TrackedStep>& ahead, const Expectation& guess) {
    // A run shorter than MinRun units would mostly follow a wrong guess; but the short batches of
    // large frames are still split among up to half the threads (in runs of three units or
    // more: each run's first unit is a guess the batch's settling may have to correct), or one
    // thread would follow them alone.
    constexpr std::ptrdiff_t MinRun = 8;
    const std::ptrdiff_t size = std::ssize(ahead);
    const std::ptrdiff_t fewest =
        std::max<std::ptrdiff_t>(1, std::min<std::ptrdiff_t>(size / 3, threadCount() / 2));
    const std::ptrdiff_t runs =
        ahead.empty() ? 0
                      : std::clamp<std::ptrdiff_t>(size / MinRun, fewest,
                                                   std::max<std::ptrdiff_t>(fewest, threadCount()));
    std::atomic<std::ptrdiff_t> runsTaken{0};
    std::atomic<bool> settling{settled.empty()};
    parallelFor(0, std::min<std::ptrdiff_t>(threadCount(), runs + 1), [&](std::ptrdiff_t) {
        std::unique_ptr<AlignScratch> scratch = scratches_.take(c_.fft.FFTSize);
        if (!settling.exchange(true)) {
            settle(settled, start, *scratch);
            gradeAll(settled);
        }
        for (std::ptrdiff_t run; (run = runsTaken.fetch_add(1)) < runs;)
            followRun(ahead, run, runs, guess, *scratch);
        scratches_.give(std::move(scratch));
    });
}

// Grades every unit of a settled batch, the units spread over the threads.
void Pass::gradeAll(std::vector<TrackedStep>& steps) {
    std::atomic<std::size_t> taken{0};
    parallelFor(0, std::min<std::ptrdiff_t>(threadCount(), std::ssize(steps)), [&](std::ptrdiff_t) {
        std::unique_ptr<AlignScratch> own = scratches_.take(c_.fft.FFTSize);
        for (std::size_t g; (g = taken.fetch_add(1)) < steps.size();) gradeSettled(steps[g].unit, *own);
        scratches_.give(std::move(own));
    });
}

// Grades the unit at the shift its correlation at its expected offset gives (if it has one).
void Pass::gradeSettled(Unit* unit, AlignScratch& scratch) {
    const Correlation* c = unit != nullptr ? triedAt(*unit, unit->expected) : nullptr;
    if (c == nullptr) return;
    const std::array<int, 2> shift = shiftOf(*c, c_.fft.FFTSize);
    needGrade(*unit, shift[1]);
    unit->grade = gradeAlignedBox(aligner_->inputs(), pixels(*unit), shift[0], shift[1], scratch);
    unit->graded = true;
}

// Correlates the unit at its expected offset unless it was measured there.
const Correlation* Pass::correlate(Unit& unit, AlignScratch& scratch) {
    if (const Correlation* c = triedAt(unit, unit.expected); c != nullptr) return c;
    needBox(unit, unit.expected[1]);
    return &unit.tried.emplace_back(correlateBox(aligner_->inputs(), pixels(unit), unit.expected[0],
                                                 unit.expected[1], scratch, unit.charted));
}

// Run `run` of `runs` equal runs of consecutive steps, followed from `expectation`.
void Pass::followRun(std::vector<TrackedStep>& steps, std::ptrdiff_t run, std::ptrdiff_t runs,
                     Expectation expectation, AlignScratch& scratch) {
    const std::ptrdiff_t first = run * std::ssize(steps) / runs, last = (run + 1) * std::ssize(steps) / runs;
    for (std::ptrdiff_t i = first; i < last; ++i) {
        TrackedStep& step = steps[static_cast<std::size_t>(i)];
        if (step.unit == nullptr) continue;
        prepare(*step.slot, *step.unit);
        step.unit->expected = expectation.offset();
        expectation.pass(step.slot->frame, correlate(*step.unit, scratch));
    }
}

// The expected offsets of the units from `expectation` on, each unit keeping the shift of its
// correlation at its expected offset (or else of its latest); the units with no correlation at
// their expected offset go into `open`. Returns the expectation after the last unit.
Expectation Pass::expectAlong(std::vector<TrackedStep>& steps, Expectation expectation,
                              std::vector<Unit*>* open) {
    for (TrackedStep& s : steps) {
        Unit* unit = s.unit;
        if (unit == nullptr) continue;
        unit->expected = expectation.offset();
        const Correlation* c = triedAt(*unit, unit->expected);
        if (c == nullptr && open != nullptr) open->push_back(unit);
        if (c == nullptr && !unit->tried.empty()) c = &unit->tried.back();
        expectation.pass(s.slot->frame, c);
    }
    return expectation;
}

// Settles the batch from `start`: each unit is measured at the offset where the units before it,
// each at its own expected offset, put the feature. As long as only a few rounds have run, every
// unit whose expected offset has no correlation yet is measured at once (most turn out right);
// then the units are gone through in order, each measured where it is still open.
void Pass::settle(std::vector<TrackedStep>& steps, const Expectation& start, AlignScratch& scratch) {
    constexpr int ParallelRounds = 7;
    std::vector<Unit*> open;
    for (int round = 0; round < ParallelRounds; ++round) {
        open.clear();
        expectAlong(steps, start, &open);
        if (open.empty()) return;
        std::atomic<std::size_t> taken{0};
        parallelFor(0, std::min<std::ptrdiff_t>(threadCount(), std::ssize(open)), [&](std::ptrdiff_t) {
            std::unique_ptr<AlignScratch> own = scratches_.take(c_.fft.FFTSize);
            for (std::size_t i; (i = taken.fetch_add(1)) < open.size();) correlate(*open[i], *own);
            scratches_.give(std::move(own));
        });
    }
    Expectation expectation = start;
    for (TrackedStep& step : steps) {
        if (step.unit == nullptr) continue;
        step.unit->expected = expectation.offset();
        expectation.pass(step.slot->frame, correlate(*step.unit, scratch));
    }
}

// The lock tests, questions and writes of the units of a batch, in order; a unit whose box the
// tracking reads elsewhere than expected is measured there. False when the pass is cancelled.
bool Pass::walk(std::vector<TrackedStep>& steps) {
    AlignmentState& alignment = c_.alignment;
    const AlignInputs& inputs = aligner_->inputs();
    for (TrackedStep& step : steps) {
        if (step.firstOfFrame) {
            if (!frameStart(step.slot->frame)) return false;
            if (step.slot->wrongSize) progress_.excludeWrongSize(step.slot->frame);
        }
        if (Unit* unit = step.unit; unit != nullptr) {
            alignment.CurrentFrame = step.slot->frame;
            alignment.InterlaceField = unit->field;
            if (!alignment.HaltRequested) {
                const std::array<int, 2> offset = aligner_->boxOffset();
                const Correlation* correlation = triedAt(*unit, offset);
                if (correlation == nullptr) {
                    needBox(*unit, offset[1]);
                    correlation = &unit->tried.emplace_back(correlateBox(
                        inputs, pixels(*unit), offset[0], offset[1], aligner_->scratch(), unit->charted));
                }
                aligner_->showSurface(*correlation);
                const Verdict verdict = aligner_->decide(*correlation, levels_ ? noPreview_ : *unit->picture);
                if (!verdict.skipped) {
                    if (!unit->graded || verdict.sx != unit->grade.sx || verdict.sy != unit->grade.sy) {
                        needGrade(*unit, verdict.sy);
                        unit->grade = gradeAlignedBox(inputs, pixels(*unit), verdict.sx, verdict.sy,
                                                      aligner_->scratch());
                    }
                    aligner_->finish(verdict, *correlation, unit->grade, shown(*unit));
                    if (!verdict.result) aligner_->alignPicture(wholePicture(*step.slot));
                }
                trackY_.store(c_.program.TrackOffsetY, std::memory_order_relaxed);
            }
        }
        if (step.lastOfFrame && c_.progress.cancelRequested()) return false;
    }
    return true;
}

bool Pass::frameStart(int frame) {
    bool keepGoing = true;
    // Each file of an AVI list after the first asks for the feature again.
    for (int entered = progress_.frameStart(frame, keepGoing); entered > 0; --entered) {
        c_.registration.LastPeak *= 2.0;
        c_.alignment.NextSegmentPending = true;
    }
    c_.alignment.AviSegmentFirst = progress_.segmentFirst();
    return keepGoing;
}

// Without a band every frame is read whole. With one, a frame whose spectrum the chart shows is
// read whole (the view draws only whole frames); the others from the rows around where the box
// stands now, a margin above and below for the tracking's moves until the frame's turn. A box
// read outside the rows made has the frame read again whole (needRows).
RowBand Pass::rowsToRead(std::size_t position) const {
    const int frame = frames_[position];
    if (!banded_ || aligner_->inputs().chartsSpectrumOf(frame)) return {};
    const int margin = std::max(32, boxSize_ / 4);
    const int top = boxTop_ + trackY_.load(std::memory_order_relaxed);
    return {std::max(top - margin, 0), std::max(top + boxSize_ + margin, 0)};
}

void Pass::needRows(Unit& unit, int first, int end) {
    FrameSlot& slot = *unit.slot;
    if (slot.rows.whole()) return;
    first = std::max(first, 0);
    end = std::min(end, c_.model.FrameHeight);
    if (first >= end || (first >= slot.rows.first && end <= slot.rows.end)) return;
    readWhole(slot);
}

// The rows of the box read at vertical offset ty (correlateBox).
void Pass::needBox(Unit& unit, int ty) {
    const int top = boxTop_ + ty;
    needRows(unit, top, top + boxSize_);
}

// The rows of the box graded at vertical shift sy (gradeAlignedBox).
void Pass::needGrade(Unit& unit, int sy) {
    const int top = c_.program.FeatureY - boxSize_ / 2 + sy;
    needRows(unit, top, top + boxSize_);
}

void Pass::readWhole(FrameSlot& slot) {
    if (slot.rows.whole()) return;
    FrameBuffers whole;
    whole.Parts = levels_ ? FrameParts::Levels : FrameParts::Preview;
    std::swap(whole.Preview, slot.picture);
    std::swap(whole.Levels, slot.levels);
    source_.readFrame(slot.frame, whole);
    std::swap(whole.Preview, slot.picture);
    std::swap(whole.Levels, slot.levels);
    slot.rows = {};
}

// The frame whole as a 24-bit picture: with levels, made from them into one picture the pass
// keeps for the purpose (valid until the next call).
const Bitmap24& Pass::wholePicture(FrameSlot& slot) {
    readWhole(slot);
    if (!levels_) return slot.picture;
    const LevelBitmap& levels = slot.levels;
    if (madePicture_.width() != levels.width() || madePicture_.height() != levels.height())
        madePicture_.resize(levels.width(), levels.height());
    fillGreyPreview(
        madePicture_, [&levels](int y) { return levels.row(y); },
        [](const std::uint8_t* row, int x) { return row[x]; });
    return madePicture_;
}

// The picture the view may draw: only a whole one.
const Bitmap24& Pass::shown(Unit& unit) {
    if (!unit.slot->rows.whole()) return noPreview_;
    return levels_ ? wholePicture(*unit.slot) : *unit.picture;
}

FramePixels Pass::pixels(const Unit& unit) const {
    return levels_ ? FramePixels(unit.slot->levels) : FramePixels(*unit.picture);
}

void Pass::finishRanking() {
    std::vector<bool> keptOut(measured_.size());
    for (int k = 0; k <= o_.lastFrame; ++k)
        keptOut[static_cast<std::size_t>(k)] = c_.model.FrameTable[k].Excluded;
    rankAlignedFrames(c_, o_, measured_, keptOut, result_);
}

}  // namespace

AlignmentPassResult Alignallframes(AlignContext& context, const AlignmentPassOptions& options,
                                   FrameSource& source) {
    return Pass(context, options, source).run();
}

}  // namespace kestrave
