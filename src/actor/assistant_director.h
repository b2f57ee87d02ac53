#pragma once
// The request director: a thread that decides what the character does. It takes animation
// requests from its queue and hands them one at a time to the engine; lets an interrupted
// animation end through its exit branches or its return animation; plays the "…Return"
// animations of the special names; and, while nothing is asked for, plays idle animations after
// random pauses, growing more restless (idle levels 1 to 3, states 33 to 35) as time goes on.
//
// It owns the actor, the engine, the queue and the special names. Nothing runs while it is not
// active (the program loads no actor, so its thread just waits). Locks: the director's mutex
// (queue, requests, idle state, flags) comes before the engine's and the actor's; its thread
// and every waiting caller release it while they wait; events are fired with no lock held.

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

#include "actor/assistant_actor.h"
#include "actor/assistant_engine.h"
#include "actor/request_queue.h"

namespace kestrave {

// Actor states the director asks for.
constexpr int kStateHide = 32;
constexpr int kStateIdle1 = 33;
constexpr int kStateIdle3 = 35;
constexpr int kStateRest = 60;
constexpr int kStateShow = 64;

struct DirectorPoint {
    int x = 0;
    int y = 0;
};

class TAssistantDirector {
public:
    using TPlayEvent = std::function<void(std::uint32_t RequestID)>;
    // `Level` 1..3 on entry; the handler may change it, and sets `Handled` when it played
    // something of its own.
    using TIdleEvent = std::function<void(int& Level, bool& Handled)>;
    // How a caller waits until `ready()` holds (the window pumps its messages meanwhile).
    // Returns false when it cannot wait on this thread; the director then blocks plainly.
    using CallerWait = std::function<bool(const std::function<bool()>& ready)>;

    struct Seams {
        std::unique_ptr<TimedWaiter> frameWaiter = makeClockWaiter();
        std::unique_ptr<TimedWaiter> idleWaiter = makeClockWaiter();
        std::uint32_t seed = std::random_device{}();
    };

    // Starts the thread, inactive, with `AutoIdle` on and idle level 1.
    TAssistantDirector();
    explicit TAssistantDirector(Seams seams);
    // Shuts down.
    ~TAssistantDirector();
    TAssistantDirector(const TAssistantDirector&) = delete;
    TAssistantDirector& operator=(const TAssistantDirector&) = delete;

    TAssistantActor& actor() { return actor_; }
    TAssistantEngine& engine() { return engine_; }

    bool Active() const;
    // Only while an actor is loaded. Activating falls back to idle level 1, sets the engine up
    // and opens the queue; deactivating empties and closes the queue, stops the engine, waits
    // until it is free and clears it.
    void setActive(bool on);
    bool AutoIdle() const;
    // With it off no idle animation plays (the idle pause is endless).
    void setAutoIdle(bool on);
    int MinIdleTime() const;
    void setMinIdleTime(int ms);
    int MaxIdleTime() const;
    void setMaxIdleTime(int ms);
    // Of both threads; kept and read back (the engine's value).
    int Priority() const { return engine_.Priority(); }
    void setPriority(int priority) { engine_.setPriority(priority); }

    // On the engine thread: a request (not an idle animation) starts or ends.
    void setOnPlayStart(TPlayEvent handler) { onPlayStart_.set(std::move(handler)); }
    void setOnPlayStop(TPlayEvent handler) { onPlayStop_.set(std::move(handler)); }
    // On the director thread, before an idle animation is chosen.
    void setOnIdle(TIdleEvent handler) { onIdle_.set(std::move(handler)); }
    void setCallerWait(CallerWait wait) { callerWait_.set(std::move(wait)); }

    // Queue an animation for the state (chosen at random among those serving it) or by
    // number; the request identifier, or 0 when the actor has none or the queue is closed.
    std::uint32_t playState(int state);
    std::uint32_t playAnimation(int number);
    // Returns when the request is neither queued nor playing, or at once once it plays an
    // animation that loops for ever.
    void waitForRequest(std::uint32_t request);
    // Returns once the request has left the queue: it plays, or it could not be loaded. Returns
    // at once while the director is locked, as a locked director starts nothing.
    void waitForStart(std::uint32_t request);
    // A playing request is stopped (then, if nothing else is queued, the rest state is asked
    // for); a queued one is taken out.
    void cancelRequest(std::uint32_t request);
    // Empties the queue and stops what plays; then, unless `keepQuiet`, asks for the rest state.
    void cancelAll(bool keepQuiet);
    bool isBusy() const;
    // While locked (counted), the thread starts nothing new.
    void lock();
    void unlock();
    // Level 33..35; returns the new countdown of idle ticks to the next level.
    int setIdleLevel(int level);
    int idleLevel() const;
    // The actor state for moving the character from one point to another (kind 0..3).
    int directionState(int kind, DirectorPoint from, DirectorPoint to);
    // Ends the engine and the thread; returns when both have ended.
    void shutdown();

private:
    void run();
    void startNextLocked();
    void idleTickLocked(std::unique_lock<std::mutex>& guard);
    int setIdleLevelLocked(int level);
    void rerollIdleTimeoutLocked();
    bool requestReadyLocked() const;
    void waitUntil(const std::function<bool()>& readyLocked);
    void deactivate();
    void queueRestLocked();
    void enginePlayStarted();
    void enginePlayStopped();

    TAssistantActor actor_;
    TAssistantEngine engine_;
    std::unique_ptr<TimedWaiter> idleWaiter_;

    mutable std::mutex m_;
    std::condition_variable cv_;
    TRequestQueue queue_;
    TSpecialNames names_;
    std::uint32_t current_ = 0;
    std::uint32_t previous_ = 0;
    std::uint32_t idleRequest_ = 0;
    int idleTimeout_ = -1;
    int idleCountdown_ = 0;
    int idleLevel_ = kStateIdle1;
    bool active_ = false;
    bool engineFree_ = true;
    bool terminated_ = false;
    bool wake_ = false;
    bool autoIdle_ = true;
    int minIdleTime_ = 1000;
    int maxIdleTime_ = 8000;
    RandomSource random_;
    std::thread::id directorId_;
    std::atomic<int> lockCount_{0};
    bool shutDown_ = false;

    SharedHandler<TPlayEvent> onPlayStart_;
    SharedHandler<TPlayEvent> onPlayStop_;
    SharedHandler<TIdleEvent> onIdle_;
    SharedHandler<CallerWait> callerWait_;

    std::thread thread_;
};

}  // namespace kestrave
