#pragma once
// How often a view that follows a pass frame by frame draws. While someone may watch the window,
// every step is drawn as it comes. In an unattended run (a batch, or a window that is not shown)
// nobody sees the steps between, so a view draws at most a few times per second and spends the
// time on the work instead. Every per-frame view (the progress bar and status panels, the
// alignment preview and spectrum, the optimizer's pictures) asks its own pacer.

#include <chrono>
#include <functional>

class QWidget;

namespace kestrave {

class RedrawPacer {
public:
    using Clock = std::chrono::steady_clock;
    // An unattended run draws at most this often.
    static constexpr Clock::duration UnattendedInterval = std::chrono::milliseconds(250);

    // `unattended` tells, at each ask, whether nobody watches now.
    explicit RedrawPacer(std::function<bool()> unattended, Clock::duration interval = UnattendedInterval);

    // Whether the run is unattended now.
    bool unattended() const { return unattended_ && unattended_(); }
    // Whether a per-frame view should draw now: always while someone may watch; in an unattended
    // run on the first ask and then once the interval has passed since the last draw.
    bool due();
    // The next ask draws (a new pass begins).
    void restart() { next_ = Clock::time_point::min(); }

private:
    std::function<bool()> unattended_;
    Clock::duration interval_;
    Clock::time_point next_ = Clock::time_point::min();
};

// Unattended: the window is not shown, or `batchRun` says a batch runs.
std::function<bool()> unattendedWindow(const QWidget& window, std::function<bool()> batchRun = {});

}  // namespace kestrave
