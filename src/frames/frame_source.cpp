#include "frames/frame_source.h"

#include <algorithm>

#include "platform/parallel.h"

namespace kestrave {

// Frame j of the list goes into slot j mod K, K = depth + 1: the pass holds one slot while the
// workers fill up to `depth` others. A worker may start frame j once the pass has given back the
// slot of frame j - K, that is once fewer than K frames before j are still held or waiting.

FramePrefetcher::FramePrefetcher(FrameSource& source, std::vector<int> frames, int depth)
    : source_(source), frames_(std::move(frames)) {
    depth = std::max(depth, 1);
    const int threads = threadCount();
    const int workers =
        threads <= 1 ? 0 : std::clamp(std::min(source.maxConcurrentReads(), threads - 1), 1, depth);
    slots_.resize(workers == 0 ? 1 : static_cast<std::size_t>(depth) + 1);
    workers_.reserve(static_cast<std::size_t>(workers));
    for (int i = 0; i < workers; ++i) workers_.emplace_back([this] { work(); });
}

FramePrefetcher::~FramePrefetcher() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    for (std::thread& worker : workers_) worker.join();
}

void FramePrefetcher::work() {
    const std::size_t k = slots_.size();
    std::unique_lock lock(mutex_);
    for (;;) {
        // Frame nextHanded_ - 1 is held by the pass; the slots of all earlier frames are free.
        const auto slotFree = [&] { return nextJob_ < (nextHanded_ == 0 ? 0 : nextHanded_ - 1) + k; };
        changed_.wait(lock, [&] { return stopping_ || nextJob_ >= frames_.size() || slotFree(); });
        if (stopping_ || nextJob_ >= frames_.size()) return;
        const std::size_t job = nextJob_++;
        Slot& slot = slots_[job % k];
        lock.unlock();
        std::exception_ptr error;
        try {
            slot.buffers.Samples = source_.readFrame(frames_[job], slot.buffers);
        } catch (...) {
            error = std::current_exception();
        }
        lock.lock();
        slot.job = job;
        slot.error = error;
        slot.ready = true;
        changed_.notify_all();
    }
}

FrameBuffers& FramePrefetcher::next() {
    const std::size_t job = nextHanded_;
    if (workers_.empty()) {
        Slot& slot = slots_[0];
        ++nextHanded_;
        slot.buffers.Samples = source_.readFrame(frames_[job], slot.buffers);
        return slot.buffers;
    }
    const std::size_t k = slots_.size();
    Slot& slot = slots_[job % k];
    std::unique_lock lock(mutex_);
    // Taking frame `job` gives back the slot of the frame handed out before it.
    ++nextHanded_;
    changed_.notify_all();
    changed_.wait(lock, [&] { return slot.ready && slot.job == job; });
    slot.ready = false;
    if (slot.error) std::rethrow_exception(slot.error);
    return slot.buffers;
}

}  // namespace kestrave
