#include "registration/alignment_pass.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <new>

#include "frames/avi_input.h"
#include "platform/parallel.h"
#include "registration/alignment_pass_steps.h"

namespace kestrave {

namespace {

// Frames measured together per thread without tracking: each batch ends in the frames' lock tests
// in order, so larger batches keep the threads busy longer between them. A batch holds at most
// BatchBytes of pictures (and the prefetcher as much again), so large frames take fewer.
constexpr int BatchPerThread = 4;
constexpr std::size_t BatchBytes = std::size_t{128} << 20;

// One frame of the pass, and its one unit of alignment (two for interlaced input, one per field).
struct Unit {
    int field = 0;
    const Bitmap24* picture = nullptr;
    Correlation correlation;
    Grade grade;
};

struct FrameSlot {
    int frame = -1;
    Bitmap24 picture;
    bool wrongSize = false;
    // The two fields of an interlaced frame, each completed from its own lines.
    std::array<Bitmap24, 2> fields;
    std::vector<Unit> units;
};

class Pass {
public:
    Pass(AlignContext& context, const AlignmentPassOptions& options, FrameSource& source)
        : c_(context), o_(options), source_(source) {}

    AlignmentPassResult run();

private:
    bool measureFrames();
    bool measureInParallel(FramePrefetcher& prefetcher, std::size_t batch);
    bool measureInOrder(FramePrefetcher& prefetcher);
    void fetch(FrameSlot& slot, int frame, FramePrefetcher& prefetcher);
    void prepare(FrameSlot& slot, Unit& unit);
    bool frameStart(int frame);
    bool commit(FrameSlot& slot);
    void finishRanking();

    AlignContext& c_;
    const AlignmentPassOptions& o_;
    FrameSource& source_;
    AlignmentPassResult result_;
    std::unique_ptr<FrameAlignment> aligner_;
    Bitmap24 noPreview_;
    std::vector<int> frames_;
    std::vector<bool> measured_;
    ScratchPool scratches_;
    PassProgress progress_{c_, o_};
};

AlignmentPassResult Pass::run() {
    const PassFlags flags(c_);
    try {
        AlignOptions align = o_.align;
        const CalibrationSwitch calibration = beginPass(c_, o_, align);
        result_.darkframeSwitchedOff = calibration.darkframeOff;
        result_.flatfieldSwitchedOff = calibration.flatfieldOff;
        aligner_ = std::make_unique<FrameAlignment>(c_, align, noPreview_);
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

    const bool tracking = o_.align.Trackobject || (c_.alignment.ManualAlign && !c_.program.BatchMode);
    if (tracking) {
        FramePrefetcher prefetcher(source_, frames_);
        return measureInOrder(prefetcher);
    }
    const std::size_t frameBytes = Bitmap24::strideFor(model.FrameWidth) *
                                   static_cast<std::size_t>(std::max(model.FrameHeight, 1)) *
                                   (o_.align.interlaced ? 3 : 1);
    const auto batch = static_cast<int>(std::clamp<std::size_t>(
        BatchBytes / std::max<std::size_t>(frameBytes, 1), 1, BatchPerThread * threadCount()));
    FramePrefetcher prefetcher(source_, frames_, batch);
    return measureInParallel(prefetcher, static_cast<std::size_t>(batch));
}

void Pass::fetch(FrameSlot& slot, int frame, FramePrefetcher& prefetcher) {
    // The pass keeps the picture and gives the buffers back at once, with the old picture in them
    // for the next read to overwrite.
    slot.frame = frame;
    std::swap(slot.picture, prefetcher.next().Preview);
    prefetcher.release();
    slot.wrongSize = !pictureFitsInput(slot.picture, c_.model);
    const bool interlaced = o_.align.interlaced;
    slot.units.assign(slot.wrongSize ? 0 : interlaced ? 2 : 1, Unit{});
    for (std::size_t u = 0; u < slot.units.size(); ++u) {
        slot.units[u].field = static_cast<int>(u);
        slot.units[u].picture = interlaced ? &slot.fields[u] : &slot.picture;
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
                unit->correlation = correlateBox(inputs, *unit->picture, 0, 0, *scratch);
                unit->grade = gradeAlignedBox(inputs, *unit->picture, shiftOfPeak(unit->correlation.pi, n),
                                              shiftOfPeak(unit->correlation.pj, n), *scratch);
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
        const Verdict verdict = aligner_->decide(unit.correlation, *unit.picture);
        if (verdict.skipped) continue;
        if (verdict.sx != unit.grade.sx || verdict.sy != unit.grade.sy)
            unit.grade = gradeAlignedBox(aligner_->inputs(), *unit.picture, verdict.sx, verdict.sy,
                                         aligner_->scratch());
        aligner_->finish(verdict, unit.correlation, unit.grade, *unit.picture);
        if (!verdict.result) aligner_->alignPicture(*unit.picture);
    }
    return !c_.progress.cancelRequested();
}

bool Pass::measureInOrder(FramePrefetcher& prefetcher) {
    AlignmentState& alignment = c_.alignment;
    const AlignInputs& inputs = aligner_->inputs();
    std::array<FrameSlot, 2> slots;
    std::unique_ptr<AlignScratch> beside = scratches_.take(c_.fft.FFTSize);
    std::size_t next = 0;
    fetch(slots[0], frames_[next++], prefetcher);
    // The correlation of the next unit, computed beside the grading of the current one.
    bool correlated = false;
    for (int current = 0;; current = 1 - current) {
        FrameSlot& slot = slots[static_cast<std::size_t>(current)];
        FrameSlot& following = slots[static_cast<std::size_t>(1 - current)];
        bool fetched = false;
        if (!frameStart(slot.frame)) return false;
        if (slot.wrongSize) progress_.excludeWrongSize(slot.frame);
        for (std::size_t u = 0; u < slot.units.size(); ++u) {
            Unit& unit = slot.units[u];
            alignment.CurrentFrame = slot.frame;
            alignment.InterlaceField = unit.field;
            const bool ahead = correlated;
            correlated = false;
            if (alignment.HaltRequested) continue;
            if (!ahead) {
                prepare(slot, unit);
                const auto offset = aligner_->boxOffset();
                unit.correlation =
                    correlateBox(inputs, *unit.picture, offset[0], offset[1], aligner_->scratch());
            }
            aligner_->showSurface(unit.correlation);
            const Verdict verdict = aligner_->decide(unit.correlation, *unit.picture);
            if (verdict.skipped) continue;

            // The unit after this one: the next field, or the first of the next frame.
            FrameSlot* nextSlot = nullptr;
            Unit* nextUnit = nullptr;
            if (verdict.result) {
                if (u + 1 < slot.units.size()) {
                    nextSlot = &slot;
                    nextUnit = &slot.units[u + 1];
                } else if (next < frames_.size()) {
                    fetch(following, frames_[next++], prefetcher);
                    fetched = true;
                    if (!following.units.empty()) {
                        nextSlot = &following;
                        nextUnit = &following.units[0];
                    }
                }
            }
            const auto offset = aligner_->boxOffset();
            parallelFor(0, 2, [&](std::ptrdiff_t task) {
                if (task == 0) {
                    unit.grade =
                        gradeAlignedBox(inputs, *unit.picture, verdict.sx, verdict.sy, aligner_->scratch());
                } else if (nextUnit != nullptr) {
                    prepare(*nextSlot, *nextUnit);
                    nextUnit->correlation =
                        correlateBox(inputs, *nextUnit->picture, offset[0], offset[1], *beside);
                }
            });
            aligner_->finish(verdict, unit.correlation, unit.grade, *unit.picture);
            if (!verdict.result) aligner_->alignPicture(*unit.picture);
            correlated = nextUnit != nullptr;
        }
        if (c_.progress.cancelRequested()) return false;
        if (!fetched) {
            if (next >= frames_.size()) return true;
            fetch(following, frames_[next++], prefetcher);
        }
    }
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
