#include "actor/assistant_director.h"

#include <algorithm>
#include <cstdlib>

namespace kestrave {
namespace {

// Direction states: per movement kind, indexed by horizontal * 3 + vertical, where 0 is no
// change, 1 toward the right (or down) and 2 toward the left (or up).
constexpr int kDirectionStates[4][9] = {
    {0, 11, 16, 14, 12, 17, 15, 13, 18},
    {0, 21, 26, 24, 22, 27, 25, 23, 28},
    {0, 38, 43, 41, 39, 44, 42, 40, 45},
    {0, 46, 51, 49, 47, 52, 50, 48, 53},
};

}  // namespace

TAssistantDirector::TAssistantDirector() : TAssistantDirector(Seams{}) {}

TAssistantDirector::TAssistantDirector(Seams seams)
    : actor_(seams.seed),
      engine_(actor_, std::move(seams.frameWaiter), seams.seed + 1),
      idleWaiter_(std::move(seams.idleWaiter)),
      random_(seams.seed + 2) {
    engine_.setOnPlayStart([this] { enginePlayStarted(); });
    engine_.setOnPlayStop([this] { enginePlayStopped(); });
    actor_.setOnLoad([this] {
        std::lock_guard guard(m_);
        names_.resolve(actor_);
    });
    actor_.setOnUnload([this] {
        setActive(false);
        std::lock_guard guard(m_);
        names_.clear();
    });
    {
        std::lock_guard guard(m_);
        rerollIdleTimeoutLocked();
        setIdleLevelLocked(kStateIdle1);
    }
    thread_ = std::thread(&TAssistantDirector::run, this);
}

TAssistantDirector::~TAssistantDirector() {
    shutdown();
    actor_.setOnLoad(nullptr);
    actor_.setOnUnload(nullptr);
}

bool TAssistantDirector::Active() const {
    std::lock_guard guard(m_);
    return active_;
}

void TAssistantDirector::setActive(bool on) {
    if (actor_.isEmpty()) return;
    {
        std::lock_guard guard(m_);
        if (on == active_ || terminated_) return;
    }
    if (!on) {
        deactivate();
        return;
    }
    engine_.setup();
    {
        std::lock_guard guard(m_);
        setIdleLevelLocked(kStateIdle1);
        queue_.setEnabled(true);
        active_ = true;
    }
    cv_.notify_all();
}

void TAssistantDirector::deactivate() {
    {
        std::lock_guard guard(m_);
        active_ = false;
        queue_.setEnabled(false);
        queue_.clear();
        engine_.play(false);
    }
    cv_.notify_all();
    waitUntil([this] { return engineFree_ || terminated_; });
    engine_.clear();
    std::lock_guard guard(m_);
    current_ = previous_ = idleRequest_ = 0;
}

bool TAssistantDirector::AutoIdle() const {
    std::lock_guard guard(m_);
    return autoIdle_;
}

void TAssistantDirector::setAutoIdle(bool on) {
    {
        std::lock_guard guard(m_);
        if (on == autoIdle_) return;
        autoIdle_ = on;
    }
    lock();
    setIdleLevel(kStateIdle1);
    unlock();
    {
        // The thread waits again, now with the new pause.
        std::lock_guard guard(m_);
        rerollIdleTimeoutLocked();
        wake_ = true;
    }
    cv_.notify_all();
}

int TAssistantDirector::MinIdleTime() const {
    std::lock_guard guard(m_);
    return minIdleTime_;
}

void TAssistantDirector::setMinIdleTime(int ms) {
    std::lock_guard guard(m_);
    minIdleTime_ = std::clamp(ms, 0, 0xFFFF);
}

int TAssistantDirector::MaxIdleTime() const {
    std::lock_guard guard(m_);
    return maxIdleTime_;
}

void TAssistantDirector::setMaxIdleTime(int ms) {
    std::lock_guard guard(m_);
    maxIdleTime_ = std::clamp(ms, 0, 0xFFFF);
}

std::uint32_t TAssistantDirector::playState(int state) {
    const int animation = actor_.findState(state, 0);
    return animation == 0 ? 0 : playAnimation(animation);
}

std::uint32_t TAssistantDirector::playAnimation(int number) {
    std::uint32_t request;
    {
        std::lock_guard guard(m_);
        request = queue_.add(number);
    }
    if (request != 0) cv_.notify_all();
    return request;
}

void TAssistantDirector::waitForRequest(std::uint32_t request) {
    if (request == 0) return;
    waitUntil([this, request] {
        if (terminated_) return true;
        if (queue_.contains(request)) return false;
        // Playing: an animation that loops for ever would never let the wait end.
        return current_ != request || engine_.hasEndlessLoop();
    });
}

void TAssistantDirector::waitForStart(std::uint32_t request) {
    if (request == 0) return;
    waitUntil([this, request] { return terminated_ || lockCount_ > 0 || !queue_.contains(request); });
}

void TAssistantDirector::cancelRequest(std::uint32_t request) {
    if (request == 0) return;
    lock();
    bool stopped = false;
    {
        std::lock_guard guard(m_);
        if (current_ == request) {
            engine_.play(false);
            stopped = true;
        } else {
            queue_.remove(request);
        }
    }
    if (stopped) {
        waitUntil([this] { return engineFree_ || terminated_; });
        std::lock_guard guard(m_);
        if (queue_.empty()) queueRestLocked();
    }
    unlock();
}

void TAssistantDirector::cancelAll(bool keepQuiet) {
    lock();
    bool playing;
    {
        std::lock_guard guard(m_);
        queue_.clear();
        playing = current_ != 0;
        if (playing) engine_.play(false);
    }
    if (playing) {
        waitUntil([this] { return engineFree_ || terminated_; });
        std::lock_guard guard(m_);
        if (keepQuiet)
            previous_ = 0;
        else
            queueRestLocked();
    }
    unlock();
}

void TAssistantDirector::queueRestLocked() {
    if (queue_.add(actor_.findState(kStateRest, 0)) != 0) cv_.notify_all();
}

bool TAssistantDirector::isBusy() const {
    std::lock_guard guard(m_);
    return current_ != 0 || !queue_.empty();
}

void TAssistantDirector::lock() {
    ++lockCount_;
}

void TAssistantDirector::unlock() {
    --lockCount_;
    {
        // Taken so that the thread cannot miss the change between its test and its wait.
        std::lock_guard guard(m_);
    }
    cv_.notify_all();
}

int TAssistantDirector::setIdleLevel(int level) {
    std::uint32_t calmDown = 0;
    {
        std::lock_guard guard(m_);
        if (level >= kStateIdle1 && level < idleLevel_ && idleLevel_ >= kStateIdle1 + 1 &&
            idleRequest_ != 0 && std::this_thread::get_id() != directorId_)
            calmDown = idleRequest_;
    }
    // A restless idle animation is cut short when the user turns to the character.
    if (calmDown != 0) cancelRequest(calmDown);
    std::lock_guard guard(m_);
    return setIdleLevelLocked(level);
}

int TAssistantDirector::setIdleLevelLocked(int level) {
    if (level != idleLevel_ && level >= kStateIdle1 && level <= kStateIdle3) {
        idleLevel_ = level;
        rerollIdleTimeoutLocked();
    }
    const int k = (36 - idleLevel_) * 5;
    idleCountdown_ = random_.below(k) + k;
    return idleCountdown_;
}

int TAssistantDirector::idleLevel() const {
    std::lock_guard guard(m_);
    return idleLevel_;
}

void TAssistantDirector::rerollIdleTimeoutLocked() {
    idleTimeout_ =
        autoIdle_ ? random_.below(std::max(maxIdleTime_ - minIdleTime_, 0) + 1) + minIdleTime_ : -1;
}

int TAssistantDirector::directionState(int kind, DirectorPoint from, DirectorPoint to) {
    if (kind < 0 || kind > 3) return 0;
    const int dx = to.x - from.x;
    const int dy = to.y - from.y;
    // Within half a frame nothing changes, except for the last kind.
    const auto direction = [kind](int distance, int frameSide, bool forward) {
        if (kind != 3 && 2 * std::abs(distance) <= frameSide) return 0;
        return forward ? 1 : 2;
    };
    int h = direction(dx, actor_.frameWidth(), from.x <= to.x);
    int v = direction(dy, actor_.frameHeight(), from.y <= to.y);
    const int state = kDirectionStates[kind][h * 3 + v];
    if (actor_.stateCount(state) > 0) return state;
    // Without an animation for it, the smaller of the two movements is dropped.
    (std::abs(dx) < std::abs(dy) ? h : v) = 0;
    return kDirectionStates[kind][h * 3 + v];
}

bool TAssistantDirector::requestReadyLocked() const {
    return queue_.enabled() && !queue_.empty() && lockCount_ == 0;
}

void TAssistantDirector::waitUntil(const std::function<bool()>& readyLocked) {
    const CallerWait wait = callerWait_.get();
    if (wait && wait([&] {
            std::lock_guard guard(m_);
            return readyLocked();
        }))
        return;
    std::unique_lock guard(m_);
    cv_.wait(guard, readyLocked);
}

void TAssistantDirector::shutdown() {
    if (shutDown_) return;
    shutDown_ = true;
    lock();
    engine_.terminate();
    {
        std::lock_guard guard(m_);
        terminated_ = true;
        engineFree_ = true;
    }
    deactivate();
    cv_.notify_all();
    if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id()) thread_.join();
    unlock();
}

void TAssistantDirector::run() {
    std::unique_lock guard(m_);
    directorId_ = std::this_thread::get_id();
    const auto engineFree = [this] { return engineFree_ || terminated_; };
    for (;;) {
        cv_.wait(guard, [this] { return active_ || terminated_; });
        if (terminated_) return;
        wake_ = false;
        const bool arrived = idleWaiter_->wait(guard, cv_, idleTimeout_, [this] {
            return terminated_ || !active_ || wake_ || requestReadyLocked();
        });
        if (terminated_) return;
        if (!active_ || wake_ || !queue_.enabled() || lockCount_ > 0) continue;
        if (arrived) {
            // A request interrupts an idle animation, never a requested one.
            if (current_ != 0 && current_ == idleRequest_) engine_.play(false);
            cv_.wait(guard, engineFree);
            if (terminated_) return;
            if (active_ && requestReadyLocked()) startNextLocked();
            if (current_ == idleRequest_) continue;
            cv_.wait(guard, engineFree);
        } else if (engineFree_) {
            idleTickLocked(guard);
        }
    }
}

void TAssistantDirector::startNextLocked() {
    engineFree_ = false;
    bool started = false;
    if (previous_ != 0) {
        // The last animation first ends gracefully: through its exit or return animation, or
        // with the return of its triple of special names.
        if (engine_.tryExit()) {
            started = true;
        } else {
            const int back = names_.returnBefore(TRequestQueue::animationOf(previous_),
                                                 TRequestQueue::animationOf(queue_.front()));
            started = back != 0 && engine_.loadAnimation(back);
        }
        if (started) engine_.play(true);
    }
    if (!started) {
        current_ = queue_.pop();
        if (current_ != 0 && engine_.loadAnimation(TRequestQueue::animationOf(current_))) {
            if (current_ != idleRequest_) setIdleLevelLocked(kStateIdle1);
            engine_.play(true);
            started = true;
        } else {
            current_ = 0;
        }
    }
    if (!started) engineFree_ = true;
    cv_.notify_all();
}

void TAssistantDirector::idleTickLocked(std::unique_lock<std::mutex>& guard) {
    if (idleCountdown_ > 0) --idleCountdown_;
    if (idleCountdown_ == 0 && idleLevel_ < kStateIdle3)
        setIdleLevelLocked(idleLevel_ + 1);
    else
        rerollIdleTimeoutLocked();

    int level = idleLevel_ - 32;
    bool handled = false;
    const TIdleEvent handler = onIdle_.get();
    guard.unlock();
    if (handler) handler(level, handled);
    guard.lock();
    if (terminated_ || !active_) return;
    idleLevel_ = std::clamp(level, 1, 3) + 32;
    if (!handled) {
        const std::uint32_t request = queue_.add(actor_.findState(idleLevel_, 0));
        if (request != 0) idleRequest_ = request;
    } else if (!queue_.empty()) {
        idleRequest_ = queue_.front();
    }
}

void TAssistantDirector::enginePlayStarted() {
    std::uint32_t request;
    {
        std::lock_guard guard(m_);
        request = current_ != idleRequest_ ? current_ : 0;
    }
    const TPlayEvent handler = onPlayStart_.get();
    if (request != 0 && handler) handler(request);
}

void TAssistantDirector::enginePlayStopped() {
    std::uint32_t ended;
    bool report;
    {
        std::lock_guard guard(m_);
        ended = current_;
        previous_ = current_;
        current_ = 0;
        report = ended != 0 && ended != idleRequest_;
        if (ended != 0 && ended == idleRequest_) idleRequest_ = 0;
        engineFree_ = true;
    }
    cv_.notify_all();
    const TPlayEvent handler = onPlayStop_.get();
    if (report && handler) handler(ended);
}

}  // namespace kestrave
