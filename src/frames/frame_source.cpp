#include "frames/frame_source.h"

#include <algorithm>
#include <cassert>
#include <optional>

#include "platform/parallel.h"

namespace kestrave {

int readAheadDepth(std::size_t frameBytes, std::size_t budget) {
    const std::size_t most = budget / std::max<std::size_t>(frameBytes, 1);
    return static_cast<int>(
        std::clamp<std::size_t>(most, 2, static_cast<std::size_t>(std::max(threadCount(), 2))));
}

// Frame j of the list goes into slot j mod K, K = depth + hold: the pass holds up to `hold`
// slots while the workers fill the others. A worker may start frame j once the pass has given
// back frame j - K, whose slot it takes.

FramePrefetcher::FramePrefetcher(FrameSource& source, std::vector<int> frames, int depth, int hold,
                                 FrameParts parts, RowsOf rows)
    : source_(source), frames_(std::move(frames)) {
    if ((parts == FrameParts::Preview || parts == FrameParts::Levels) && source.makesPreviewBands())
        rows_ = std::move(rows);
    depth = std::max(depth, 1);
    hold = std::max(hold, 1);
    const int threads = threadCount();
    const int workers =
        threads <= 1 ? 0 : std::clamp(std::min(source.maxConcurrentReads(), threads - 1), 1, depth);
    slots_.resize(static_cast<std::size_t>(workers == 0 ? hold : depth + hold));
    for (Slot& slot : slots_) slot.buffers.Parts = parts;
    // Several readers already keep the cores busy side by side: each converts its frame alone
    // rather than handing pieces of it to the shared workers.
    const bool alone = workers > 1;
    workers_.reserve(static_cast<std::size_t>(workers));
    for (int i = 0; i < workers; ++i) workers_.emplace_back([this, alone] { work(alone); });
}

FramePrefetcher::~FramePrefetcher() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    slotFree_.notify_all();
    for (std::thread& worker : workers_) worker.join();
}

void FramePrefetcher::read(Slot& slot, std::size_t job) {
    slot.buffers.PreviewRows = rows_ ? rows_(job) : RowBand{};
    slot.buffers.Samples = source_.readFrame(frames_[job], slot.buffers);
}

void FramePrefetcher::work(bool alone) {
    std::optional<SerialOnThisThread> serial;
    if (alone) serial.emplace();
    const std::size_t k = slots_.size();
    std::unique_lock lock(mutex_);
    for (;;) {
        slotFree_.wait(lock,
                       [&] { return stopping_ || nextJob_ >= frames_.size() || nextJob_ < released_ + k; });
        if (stopping_ || nextJob_ >= frames_.size()) return;
        const std::size_t job = nextJob_++;
        Slot& slot = slots_[job % k];
        lock.unlock();
        std::exception_ptr error;
        try {
            read(slot, job);
        } catch (...) {
            error = std::current_exception();
        }
        lock.lock();
        slot.job = job;
        slot.error = error;
        slot.ready = true;
        if (awaited_ == job) frameReady_.notify_one();
    }
}

FrameBuffers& FramePrefetcher::next() {
    std::size_t position = 0;
    return next(position);
}

FrameBuffers& FramePrefetcher::next(std::size_t& position) {
    const std::size_t job = nextHanded_++;
    position = job;
    const std::size_t k = slots_.size();
    assert(job < frames_.size() && job < released_ + k);
    Slot& slot = slots_[job % k];
    if (workers_.empty()) {
        read(slot, job);
        return slot.buffers;
    }
    std::unique_lock lock(mutex_);
    awaited_ = job;
    frameReady_.wait(lock, [&] { return slot.ready && slot.job == job; });
    awaited_ = SIZE_MAX;
    slot.ready = false;
    if (slot.error) std::rethrow_exception(slot.error);
    return slot.buffers;
}

void FramePrefetcher::release() {
    std::size_t oldest = 0;
    {
        std::lock_guard lock(mutex_);
        oldest = released_;
        while (oldest < nextHanded_ && slots_[oldest % slots_.size()].givenBack) ++oldest;
    }
    release(oldest);
}

void FramePrefetcher::release(std::size_t position) {
    std::size_t freed = 0;
    {
        std::lock_guard lock(mutex_);
        assert(position >= released_ && position < nextHanded_);
        const std::size_t k = slots_.size();
        slots_[position % k].givenBack = true;
        for (; released_ < nextHanded_ && slots_[released_ % k].givenBack; ++released_, ++freed)
            slots_[released_ % k].givenBack = false;
    }
    // Each slot freed lets one worker take one frame more.
    for (; freed > 0; --freed) slotFree_.notify_one();
}

}  // namespace kestrave
