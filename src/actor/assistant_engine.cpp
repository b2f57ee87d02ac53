#include "actor/assistant_engine.h"

#include "actor/actor_errors.h"

namespace kestrave {
namespace {

// A loop of frames that all last 0 would never wait; after this many waits of 0 in a row one
// short wait lets the machine breathe.
constexpr int kMaxZeroWaits = 256;
constexpr int kBreathMs = 10;

}  // namespace

TAssistantEngine::TAssistantEngine(TAssistantActor& actor, std::unique_ptr<TimedWaiter> waiter,
                                   std::uint32_t seed)
    : actor_(actor), waiter_(std::move(waiter)), random_(seed) {
    thread_ = std::thread(&TAssistantEngine::run, this);
}

TAssistantEngine::~TAssistantEngine() {
    terminate();
}

void TAssistantEngine::setup() {
    std::lock_guard actorLock(actor_);
    const auto library = actor_.library();
    if (library) palette_ = std::make_shared<const ActorPalette>(library->palette);
}

void TAssistantEngine::clear() {
    play(false);
    {
        std::lock_guard actorLock(actor_);
        animation_.reset();
        animationNumber_ = 0;
        record_ = {};
        current_ = 0;
        exiting_ = false;
        finished_ = false;
        palette_.reset();
    }
    std::lock_guard snapshotLock(snapshotMutex_);
    snapshot_.reset();
}

bool TAssistantEngine::loadAnimation(int number) {
    bool loaded;
    {
        std::lock_guard actorLock(actor_);
        loaded = loadAnimationLocked(number);
    }
    if (!loaded) play(false);
    return loaded;
}

bool TAssistantEngine::loadAnimationLocked(int number) {
    const auto library = actor_.library();
    if (!library || number < 1 || number > static_cast<int>(library->animations.size())) return false;
    if (number != animationNumber_ || !animation_) {
        animation_.reset();
        animationNumber_ = 0;
        const AnimationRecord& record = library->animations[number - 1];
        try {
            animation_ =
                decodeAnimation(library->resource(ActorResourceKind::FrameData, record.resourceId),
                                library->frameWidth, library->frameHeight, library->transparentIndex);
        } catch (const ActorDataError&) {
            return false;
        } catch (const std::bad_alloc&) {
            return false;
        }
        animationNumber_ = number;
        record_ = record;
    }
    current_ = 0;
    exiting_ = false;
    finished_ = false;
    return true;
}

void TAssistantEngine::play(bool on) {
    {
        std::lock_guard lock(m_);
        bool loaded;
        {
            std::lock_guard actorLock(actor_);
            loaded = animation_ != nullptr;
        }
        if (!loaded) on = false;
        if (on == !stopped_) return;
        if (on) {
            stopped_ = false;
            playRequested_ = true;
        } else {
            stopped_ = true;
        }
    }
    cv_.notify_all();
}

bool TAssistantEngine::tryExit() {
    bool result = false;
    bool loadFailed = false;
    {
        std::lock_guard actorLock(actor_);
        if (!animation_ || exiting_) return false;
        if ((record_.returnKind == ReturnKind::ExitBranches || !finished_) && animation_->hasExitBranch()) {
            exiting_ = true;
            return true;
        }
        if (finished_ && record_.returnKind == ReturnKind::ReturnAnimation) {
            result = loadAnimationLocked(record_.returnAnimation);
            loadFailed = !result;
        }
    }
    if (loadFailed) play(false);
    return result;
}

bool TAssistantEngine::hasEndlessLoop() const {
    std::lock_guard actorLock(actor_);
    return animation_ && animation_->hasEndlessLoop();
}

void TAssistantEngine::terminate() {
    {
        std::lock_guard lock(m_);
        terminating_ = true;
        stopped_ = true;
        playRequested_ = true;
    }
    cv_.notify_all();
    if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id()) thread_.join();
}

void TAssistantEngine::setSpeed(int speed) {
    if (speed > 0) speed_ = speed;
}

void TAssistantEngine::setSoundSink(SoundSink* sink) {
    std::lock_guard actorLock(actor_);
    soundSink_ = sink;
}

void TAssistantEngine::fire(const SharedHandler<Notify>& handler) {
    if (const Notify call = handler.get()) call();
}

std::shared_ptr<const FrameSnapshot> TAssistantEngine::currentFrame() const {
    std::lock_guard lock(snapshotMutex_);
    return snapshot_;
}

int TAssistantEngine::currentAnimation() const {
    std::lock_guard actorLock(actor_);
    return animationNumber_;
}

bool TAssistantEngine::showFrameLocked() {
    auto snapshot = std::make_shared<FrameSnapshot>();
    snapshot->animation = animationNumber_;
    snapshot->frame = current_;
    snapshot->width = animation_->width;
    snapshot->height = animation_->height;
    snapshot->pixels = animation_->framePixels(current_);
    snapshot->region = animation_->regions[current_];
    snapshot->palette = palette_;
    {
        std::lock_guard lock(snapshotMutex_);
        snapshot_ = std::move(snapshot);
    }
    const bool playing = !stopped_;
    const std::uint16_t sound = animation_->sounds[current_];
    if (playing && !mute_ && sound > 0 && soundSink_) {
        const auto library = actor_.library();
        const auto wave =
            library ? library->resource(ActorResourceKind::Sound, sound) : std::span<const std::uint8_t>();
        if (!wave.empty()) soundSink_->play(wave);
    }
    return playing;
}

void TAssistantEngine::run() {
    int next = -1;
    int zeroWaits = 0;
    for (;;) {
        {
            std::unique_lock lock(m_);
            cv_.wait(lock, [&] { return playRequested_ || terminating_; });
            if (terminating_) return;
        }
        if (next < 0) {
            {
                std::lock_guard actorLock(actor_);
                finished_ = false;
            }
            fire(onPlayStart_);
        }

        // One frame: show it unless it lasts 0, and choose the next.
        const AnimationFrames* playing = nullptr;
        bool shown = false;
        int waitMs = 0;
        {
            std::lock_guard actorLock(actor_);
            playing = animation_.get();
            if (playing) {
                const int duration = playing->durations[current_];
                if (duration > 0) shown = showFrameLocked();
                waitMs = duration * 1000 / speed_;
                next = nextFrame(*playing, current_, exiting_, random_, finished_);
            }
        }
        if (shown) fire(onFrame_);
        if (waitMs > 0) {
            zeroWaits = 0;
        } else if (++zeroWaits > kMaxZeroWaits) {
            zeroWaits = 0;
            waitMs = kBreathMs;
        }

        bool stoppedEarly = true;
        if (playing) {
            std::unique_lock lock(m_);
            stoppedEarly = waiter_->wait(lock, cv_, waitMs, [&] { return stopped_ || terminating_; });
        }
        {
            std::lock_guard actorLock(actor_);
            // An animation loaded or cleared meanwhile ends this play.
            const bool same = playing && animation_.get() == playing;
            if (same && !stoppedEarly && !finished_) {
                current_ = next;
                continue;
            }
        }

        {
            std::lock_guard lock(m_);
            stopped_ = true;
            playRequested_ = false;
        }
        {
            std::lock_guard actorLock(actor_);
            if (playing && animation_.get() == playing) {
                if (finished_) {
                    bool finished = true;
                    current_ = nextFrame(*playing, current_, !exiting_, random_, finished);
                } else {
                    current_ = next;
                }
            }
            if (!finished_ && soundSink_) soundSink_->stop();
        }
        next = -1;
        if (!terminating_) fire(onPlayStop_);
    }
}

}  // namespace kestrave
