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

// K = depth + hold slots (hold without workers): the pass holds some while the workers read the
// next frames, in list order, into the free ones. A slot is free again as soon as the pass gives
// its frame back, whatever frames before it the pass still holds. Every count and state is read
// and written under the lock, by the pass and the workers alike.

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

FramePrefetcher::Slot* FramePrefetcher::find(SlotState state, std::size_t job) {
    for (Slot& slot : slots_)
        if (slot.state == state && (job == SIZE_MAX || slot.job == job)) return &slot;
    return nullptr;
}

void FramePrefetcher::work(bool alone) {
    std::optional<SerialOnThisThread> serial;
    if (alone) serial.emplace();
    std::unique_lock lock(mutex_);
    for (;;) {
        Slot* slot = nullptr;
        slotFree_.wait(lock, [&] {
            return stopping_ || nextJob_ >= frames_.size() || (slot = find(SlotState::Free)) != nullptr;
        });
        if (stopping_ || nextJob_ >= frames_.size()) return;
        const std::size_t job = nextJob_++;
        slot->job = job;
        slot->state = SlotState::Reading;
        lock.unlock();
        std::exception_ptr error;
        try {
            read(*slot, job);
        } catch (...) {
            error = std::current_exception();
        }
        lock.lock();
        slot->error = error;
        slot->state = SlotState::Ready;
        if (waiting_ > 0) frameReady_.notify_all();
    }
}

FrameBuffers& FramePrefetcher::next() {
    std::size_t position = 0;
    return next(position);
}

FrameBuffers& FramePrefetcher::next(std::size_t& position) {
    std::unique_lock lock(mutex_);
    const std::size_t job = nextHanded_++;
    position = job;
    assert(job < frames_.size());
    Slot* slot = nullptr;
    if (workers_.empty()) {
        // Without workers the frame is read here, into a slot no held frame uses.
        slotFree_.wait(lock, [&] { return (slot = find(SlotState::Free)) != nullptr; });
        slot->job = job;
        slot->state = SlotState::Reading;
        lock.unlock();
        try {
            read(*slot, job);
        } catch (...) {
            lock.lock();
            slot->state = SlotState::Free;
            slotFree_.notify_one();
            throw;
        }
        lock.lock();
    } else {
        ++waiting_;
        frameReady_.wait(lock, [&] { return (slot = find(SlotState::Ready, job)) != nullptr; });
        --waiting_;
        if (slot->error) {
            slot->state = SlotState::Free;
            slotFree_.notify_one();
            std::rethrow_exception(slot->error);
        }
    }
    slot->state = SlotState::Held;
    return slot->buffers;
}

void FramePrefetcher::release() {
    {
        std::lock_guard lock(mutex_);
        Slot* oldest = nullptr;
        for (Slot& slot : slots_)
            if (slot.state == SlotState::Held && (oldest == nullptr || slot.job < oldest->job))
                oldest = &slot;
        assert(oldest != nullptr);
        if (oldest != nullptr) oldest->state = SlotState::Free;
    }
    slotFree_.notify_one();
}

void FramePrefetcher::release(std::size_t position) {
    {
        std::lock_guard lock(mutex_);
        Slot* slot = find(SlotState::Held, position);
        assert(slot != nullptr);
        if (slot != nullptr) slot->state = SlotState::Free;
    }
    // The freed slot lets one worker take one frame more.
    slotFree_.notify_one();
}

}  // namespace kestrave
