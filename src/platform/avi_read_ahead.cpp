#include "platform/avi_read_ahead.h"

#include <algorithm>

namespace kestrave {

namespace {
constexpr std::size_t MaxDepth = 4;
constexpr std::size_t MaxBytesWaiting = std::size_t{64} << 20;
}  // namespace

AviReadAhead::AviReadAhead(const AviFile& file, std::size_t maxBytes, std::vector<std::int64_t> order)
    : file_(file),
      maxBytes_(maxBytes),
      order_(std::move(order)),
      depth_(std::clamp<std::size_t>(MaxBytesWaiting / std::max<std::size_t>(maxBytes, 1), 1, MaxDepth)),
      worker_([this](std::stop_token stop) { run(stop); }) {}

bool AviReadAhead::take(std::int64_t n, std::vector<std::uint8_t>& buffer) {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [&] { return !ready_.empty() || finished_; });
        if (ready_.empty() || ready_.front().n > n) return false;
        Sample sample = std::move(ready_.front());
        ready_.pop_front();
        changed_.notify_all();
        if (sample.n < n) {
            spare_.push_back(std::move(sample.bytes));
            continue;
        }
        if (sample.error) std::rethrow_exception(sample.error);
        buffer.swap(sample.bytes);
        spare_.push_back(std::move(sample.bytes));
        return true;
    }
}

void AviReadAhead::run(std::stop_token stop) {
    for (const std::int64_t n : order_) {
        Sample sample;
        sample.n = n;
        {
            std::unique_lock lock(mutex_);
            if (!changed_.wait(lock, stop, [&] { return ready_.size() < depth_; })) return;
            if (!spare_.empty()) {
                sample.bytes = std::move(spare_.back());
                spare_.pop_back();
            }
        }
        try {
            file_.readSample(n, sample.bytes, maxBytes_);
        } catch (...) {
            sample.error = std::current_exception();
        }
        std::lock_guard lock(mutex_);
        ready_.push_back(std::move(sample));
        changed_.notify_all();
    }
    std::lock_guard lock(mutex_);
    finished_ = true;
    changed_.notify_all();
}

}  // namespace kestrave
