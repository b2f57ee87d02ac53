#pragma once
// Where the character's own sounds go. The program installs none, so the character is silent;
// the message sound of the program does not pass through here.

#include <cstdint>
#include <span>

namespace kestrave {

class SoundSink {
public:
    virtual ~SoundSink() = default;
    // Starts a complete RIFF WAVE file without waiting for its end; a sound already playing
    // goes on.
    virtual void play(std::span<const std::uint8_t> wave) = 0;
    // Stops the character's sounds that still play.
    virtual void stop() = 0;
};

}  // namespace kestrave
