#pragma once
// What the engine and director tests share: a waiter that records the times asked for instead
// of letting a clock run, and a recorder that a test can wait on (without a time limit: a
// wait that never ends is a failure the test run's own timeout reports).

#include <algorithm>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "actor/sound_sink.h"
#include "actor/timed_waiter.h"

namespace kestrave::test {

// Values recorded by one thread and awaited by another.
template <class T>
class Recorder {
public:
    void add(T value) {
        {
            std::lock_guard guard(m_);
            values_.push_back(std::move(value));
        }
        cv_.notify_all();
    }
    void clear() {
        std::lock_guard guard(m_);
        values_.clear();
    }
    std::vector<T> values() const {
        std::lock_guard guard(m_);
        return values_;
    }
    // Returns the values once `ready(values)` holds.
    std::vector<T> await(const std::function<bool(const std::vector<T>&)>& ready) const {
        std::unique_lock guard(m_);
        cv_.wait(guard, [&] { return ready(values_); });
        return values_;
    }
    std::vector<T> awaitCount(std::size_t n) const {
        return await([n](const std::vector<T>& v) { return v.size() >= n; });
    }
    std::vector<T> awaitValue(const T& value) const {
        return await(
            [&](const std::vector<T>& v) { return std::find(v.begin(), v.end(), value) != v.end(); });
    }

private:
    mutable std::mutex m_;
    mutable std::condition_variable cv_;
    std::vector<T> values_;
};

// Records every time asked for. The first `immediate` timed waits end at once, as if the time
// had passed; later ones, and waits without limit, last until their condition holds.
class RecordingWaiter final : public TimedWaiter {
public:
    explicit RecordingWaiter(Recorder<int>& times, int immediate = 1 << 30)
        : times_(times), immediate_(immediate) {}
    bool wait(std::unique_lock<std::mutex>& lock, std::condition_variable& cv, int timeoutMs,
              const std::function<bool()>& done) override {
        times_.add(timeoutMs);
        if (timeoutMs >= 0 && immediate_ > 0) {
            --immediate_;
            return done();
        }
        cv.wait(lock, done);
        return true;
    }

private:
    Recorder<int>& times_;
    int immediate_;
};

class RecordingSoundSink final : public SoundSink {
public:
    void play(std::span<const std::uint8_t> wave) override {
        events.add("play " + std::to_string(wave.size()));
    }
    void stop() override { events.add("stop"); }
    Recorder<std::string> events;
};

}  // namespace kestrave::test
