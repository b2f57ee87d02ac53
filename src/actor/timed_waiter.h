#pragma once
// How the character's threads wait with a time limit: on a condition variable, until a
// condition holds or the time is up. Tests put in a waiter that records the times asked for
// and returns at once, so that frame timing and idle pauses are checked without a clock.

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

namespace kestrave {

class TimedWaiter {
public:
    virtual ~TimedWaiter() = default;
    // Waits on `cv`, whose mutex `lock` holds, until `done()` or `timeoutMs` milliseconds have
    // passed; a negative time waits without limit. Returns done().
    virtual bool wait(std::unique_lock<std::mutex>& lock, std::condition_variable& cv, int timeoutMs,
                      const std::function<bool()>& done) = 0;
};

// The waiter of the program: the clock decides.
std::unique_ptr<TimedWaiter> makeClockWaiter();

}  // namespace kestrave
