#pragma once
// Where a component's sounds go: the click of a check box, a sound file the open dialog
// previews, the character's own sounds. The window gives each component a sink of its own that
// plays through the system's sound output; batch runs and tests give none or one that records.

#include <cstdint>
#include <span>

namespace kestrave {

class SoundSink {
public:
    virtual ~SoundSink() = default;
    // Starts a complete RIFF WAVE file held in memory and returns at once; a sound that this
    // sink already plays goes on. The bytes are copied: they need not outlive the call. Callable
    // from any thread. A sound that cannot be played (no sound output, a sample layout the
    // output does not take) is left out silently.
    virtual void play(std::span<const std::uint8_t> wave) = 0;
    // Stops the sounds this sink started that still play.
    virtual void stop() = 0;
};

}  // namespace kestrave
