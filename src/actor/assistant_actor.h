#pragma once
// The actor: the character's library of animations, read from an actor file (see
// actor_library.h), with the index of which animations serve which numbered state.
//
// Two locks: the actor's own lock (lock()/unlock()) orders loading and unloading against the
// engine, which holds it while it reads an animation or shows a frame; a small inner lock guards
// the loaded contents, which are an immutable object swapped as a whole, so every query below
// may be called with or without the actor's lock held.

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "actor/actor_library.h"
#include "actor/random_source.h"

namespace kestrave {

class TAssistantActor {
public:
    explicit TAssistantActor(std::uint32_t seed = std::random_device{}());
    ~TAssistantActor();
    TAssistantActor(const TAssistantActor&) = delete;
    TAssistantActor& operator=(const TAssistantActor&) = delete;

    std::string ActorLibrary() const;
    // True when `fileName` names the current library: the same name, or one that differs only in
    // letter case and leads to the same file (as on a file system that ignores case, or through
    // a link) or, like the current name, to no file at all. On a file system that keeps case,
    // "OWL.actor" and "owl.actor" are two files.
    bool namesCurrentLibrary(const std::string& fileName) const;
    // A name of the current library does nothing. Otherwise the current
    // library is unloaded, the name stored and, when not empty, the file loaded. Throws
    // EActorError ("File not found" or "File is not a valid actor library", a line break and the
    // name); the name stays set and no library is loaded then.
    void setActorLibrary(const std::string& fileName);

    bool isEmpty() const;
    // 0 while no library is loaded.
    int frameWidth() const;
    int frameHeight() const;
    int transparentIndex() const;
    // RGB (0xRRGGBB) of the palette entry at the transparent index.
    std::uint32_t transparentColor() const;
    int animationCount() const;
    // Animation 1..count; none for another number or while no library is loaded.
    std::optional<AnimationRecord> animation(int number) const;
    // How many animations serve `state` (0..79).
    int stateCount(int state) const;
    // An animation serving `state` (1..79), or 0. `nth` 0 picks one of the k serving animations
    // at random; `nth` above k counts as nth mod k, so that a multiple of k gives the first; the
    // result is the nth serving animation in number order.
    int findState(int state, int nth);
    // The highest-numbered animation of that name, ignoring case; 0 when none.
    int findByName(std::string_view name) const;
    // The loaded contents, shared: they stay valid for the holder even if the library goes.
    std::shared_ptr<const ActorLibraryData> library() const;

    void lock() { lock_.lock(); }
    void unlock() { lock_.unlock(); }

    // Fired after a library was loaded (outside the lock) and before one is unloaded.
    void setOnLoad(std::function<void()> handler) { onLoad_ = std::move(handler); }
    void setOnUnload(std::function<void()> handler) { onUnload_ = std::move(handler); }

private:
    void load();
    void unload();

    std::mutex lock_;
    mutable std::mutex dataMutex_;
    std::shared_ptr<const ActorLibraryData> data_;
    std::string fileName_;
    RandomSource random_;
    std::function<void()> onLoad_;
    std::function<void()> onUnload_;
};

}  // namespace kestrave
