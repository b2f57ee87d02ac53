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

#include "actor/timed_waiter.h"
#include "support/recorder.h"
#include "support/recording_sound_sink.h"

namespace kestrave::test {

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

}  // namespace kestrave::test
