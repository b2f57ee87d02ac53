#pragma once
// The auto-repeat clock of the step buttons and the slider's ruler clicks. Widgets own one
// through this interface so that tests can fire the ticks themselves instead of waiting.

#include <QTimer>
#include <functional>
#include <memory>

namespace kestrave {

class RepeatTimer {
public:
    virtual ~RepeatTimer() = default;
    // (Re)starts the timer; the first tick comes after `intervalMs`.
    virtual void start(int intervalMs) = 0;
    // Changes the interval of a running timer for the ticks that follow.
    virtual void setInterval(int intervalMs) = 0;
    virtual void stop() = 0;
    virtual bool isActive() const = 0;
    virtual int interval() const = 0;

    // Run on every tick.
    std::function<void()> onTick;
};

// The real clock: a QTimer.
class QtRepeatTimer final : public RepeatTimer {
public:
    QtRepeatTimer();
    void start(int intervalMs) override { timer_.start(intervalMs); }
    void setInterval(int intervalMs) override { timer_.setInterval(intervalMs); }
    void stop() override { timer_.stop(); }
    bool isActive() const override { return timer_.isActive(); }
    int interval() const override { return timer_.interval(); }

private:
    QTimer timer_;
};

std::unique_ptr<RepeatTimer> makeRepeatTimer();

}  // namespace kestrave
