#pragma once
// What the widget tests share: the one application object of the test program, a repeat clock
// that ticks only when the test says so, and the mouse pointer put back after a test moved it.

#include <gtest/gtest.h>

#include <QCursor>

#include "support/qt_test_application.h"
#include "widgets/repeat_timer.h"

namespace kestrave::test {

// A fixture base that makes sure the application exists before the fixture's widgets.
struct WidgetTest : ::testing::Test {
    WidgetTest() { app(); }
};

// Puts the pointer back where it was when the scope ends: a window shown later finds it where the
// program started with it, not over some control of a test long gone.
class PointerScope {
public:
    PointerScope() = default;
    ~PointerScope() { QCursor::setPos(saved_); }
    PointerScope(const PointerScope&) = delete;
    PointerScope& operator=(const PointerScope&) = delete;

private:
    QPoint saved_ = QCursor::pos();
};

class ManualRepeatTimer final : public RepeatTimer {
public:
    void start(int intervalMs) override {
        interval_ = intervalMs;
        active_ = true;
        ++starts;
    }
    void setInterval(int intervalMs) override { interval_ = intervalMs; }
    void stop() override { active_ = false; }
    bool isActive() const override { return active_; }
    int interval() const override { return interval_; }

    // One tick, as a running timer would give it.
    void fire() {
        if (active_ && onTick) onTick();
    }

    int starts = 0;

private:
    int interval_ = 0;
    bool active_ = false;
};

// Installs a manual clock into a widget and keeps a handle to it.
template <class Widget>
ManualRepeatTimer& installManualTimer(Widget& widget) {
    auto timer = std::make_unique<ManualRepeatTimer>();
    ManualRepeatTimer& handle = *timer;
    widget.setRepeatTimer(std::move(timer));
    return handle;
}

}  // namespace kestrave::test
