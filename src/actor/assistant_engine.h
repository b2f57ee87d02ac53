#pragma once
// The animation engine: a thread that plays one animation of the actor at a time, frame by
// frame at the frames' own pace (hundredths of a second at `Speed` 100), follows the random
// branches between frames, and, when asked, leaves the animation through its exit branches.
//
// Locks, always taken in this order: the engine's own mutex (the play/stopped pair), the
// actor's lock (the actor and the loaded animation: the engine thread holds it while it shows a
// frame and computes the next, so nothing is swapped under it), the snapshot mutex. No
// notification is fired with a lock held.
//
// The frame that is shown is published as an immutable snapshot; the window side paints it and
// takes its shape from it, never from the engine's working state.

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "actor/animation_frames.h"
#include "actor/assistant_actor.h"
#include "actor/shared_handler.h"
#include "actor/timed_waiter.h"
#include "platform/sound_sink.h"

namespace kestrave {

struct FrameSnapshot {
    int animation = 0;
    int frame = 0;
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;  // width * height palette indices, top row first
    std::shared_ptr<const RunRects> region;
    std::shared_ptr<const ActorPalette> palette;  // null before setup()
};

class TAssistantEngine {
public:
    using Notify = std::function<void()>;

    // Starts the thread, which waits until something is played.
    explicit TAssistantEngine(TAssistantActor& actor, std::unique_ptr<TimedWaiter> waiter = makeClockWaiter(),
                              std::uint32_t seed = std::random_device{}());
    // Terminates and joins the thread.
    ~TAssistantEngine();
    TAssistantEngine(const TAssistantEngine&) = delete;
    TAssistantEngine& operator=(const TAssistantEngine&) = delete;

    // Takes the frame size and palette of the loaded actor.
    void setup();
    // Stops, then forgets the animation, the shown frame and the palette.
    void clear();
    // Loads animation `number` of the actor (the same number keeps its data) and starts it over
    // at its first frame. A number outside the actor or damaged frame data stops the engine and
    // fails; no animation is loaded then.
    bool loadAnimation(int number);
    // Starts or stops playing; without an animation loaded, a start is a stop.
    void play(bool on);
    bool isStopped() const { return stopped_; }
    // Asks the animation to end gracefully: through its exit branches when it has any (and,
    // unless its return kind says so, only while it has not finished), else, once finished, by
    // loading its return animation. True when something is there to play on.
    bool tryExit();
    bool hasEndlessLoop() const;
    // Stops playing and ends the thread; returns when it has ended.
    void terminate();

    int Speed() const { return speed_; }
    // Percent of the actor's timing; 0 is ignored.
    void setSpeed(int speed);
    bool Mute() const { return mute_; }
    void setMute(bool mute) { mute_ = mute; }
    // Threads have no portable priority: the value is kept and read back.
    int Priority() const { return priority_; }
    void setPriority(int priority) { priority_ = priority; }

    // On the engine thread: when a play begins, when it has ended (not after terminate()), and
    // after each frame shown while playing.
    void setOnPlayStart(Notify handler) { onPlayStart_.set(std::move(handler)); }
    void setOnPlayStop(Notify handler) { onPlayStop_.set(std::move(handler)); }
    void setOnFrame(Notify handler) { onFrame_.set(std::move(handler)); }
    // The character's sounds; none by default.
    void setSoundSink(SoundSink* sink);

    std::shared_ptr<const FrameSnapshot> currentFrame() const;
    int currentAnimation() const;

private:
    void run();
    bool loadAnimationLocked(int number);
    bool showFrameLocked();
    static void fire(const SharedHandler<Notify>& handler);

    TAssistantActor& actor_;
    std::unique_ptr<TimedWaiter> waiter_;

    // Under m_.
    mutable std::mutex m_;
    std::condition_variable cv_;
    bool playRequested_ = false;
    std::atomic<bool> stopped_{true};
    std::atomic<bool> terminating_{false};

    // Under the actor's lock.
    std::shared_ptr<const AnimationFrames> animation_;
    int animationNumber_ = 0;
    AnimationRecord record_;
    int current_ = 0;
    bool exiting_ = false;
    bool finished_ = false;
    RandomSource random_;
    std::shared_ptr<const ActorPalette> palette_;
    SoundSink* soundSink_ = nullptr;

    mutable std::mutex snapshotMutex_;
    std::shared_ptr<const FrameSnapshot> snapshot_;

    SharedHandler<Notify> onPlayStart_;
    SharedHandler<Notify> onPlayStop_;
    SharedHandler<Notify> onFrame_;

    std::atomic<int> speed_{100};
    std::atomic<bool> mute_{false};
    std::atomic<int> priority_{3};

    std::thread thread_;
};

}  // namespace kestrave
