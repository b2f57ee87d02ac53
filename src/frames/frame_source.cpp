#include "frames/frame_source.h"

#include <algorithm>
#include <cassert>

#include "platform/parallel.h"

namespace kestrave {

// Frame j of the list goes into slot j mod K, K = depth + hold: the pass holds up to `hold`
// slots while the workers fill the others. A worker may start frame j once the pass has given
// back frame j - K, whose slot it takes.

FramePrefetcher::FramePrefetcher(FrameSource& source, std::vector<int> frames, int depth, int hold)
    : source_(source), frames_(std::move(frames)) {
    depth = std::max(depth, 1);
    hold = std::max(hold, 1);
    const int threads = threadCount();
    const int workers =
        threads <= 1 ? 0 : std::clamp(std::min(source.maxConcurrentReads(), threads - 1), 1, depth);
    slots_.resize(static_cast<std::size_t>(workers == 0 ? hold : depth + hold));
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
        changed_.wait(lock,
                      [&] { return stopping_ || nextJob_ >= frames_.size() || nextJob_ < released_ + k; });
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
    const std::size_t job = nextHanded_++;
    const std::size_t k = slots_.size();
    assert(job < frames_.size() && job < released_ + k);
    Slot& slot = slots_[job % k];
    if (workers_.empty()) {
        slot.buffers.Samples = source_.readFrame(frames_[job], slot.buffers);
        return slot.buffers;
    }
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return slot.ready && slot.job == job; });
    slot.ready = false;
    if (slot.error) std::rethrow_exception(slot.error);
    return slot.buffers;
}

void FramePrefetcher::release() {
    {
        std::lock_guard lock(mutex_);
        assert(released_ < nextHanded_);
        ++released_;
    }
    changed_.notify_all();
}

}  // namespace kestrave
