#include "actor/timed_waiter.h"

#include <chrono>

namespace kestrave {
namespace {

class ClockWaiter final : public TimedWaiter {
public:
    bool wait(std::unique_lock<std::mutex>& lock, std::condition_variable& cv, int timeoutMs,
              const std::function<bool()>& done) override {
        if (timeoutMs < 0) {
            cv.wait(lock, done);
            return true;
        }
        return cv.wait_for(lock, std::chrono::milliseconds(timeoutMs), done);
    }
};

}  // namespace

std::unique_ptr<TimedWaiter> makeClockWaiter() {
    return std::make_unique<ClockWaiter>();
}

}  // namespace kestrave
