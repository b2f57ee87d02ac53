#pragma once
// The check box's click: a few milliseconds of sound made by the program itself at first use and
// kept in memory for the run, so that a click is played at once.

#include <cstdint>
#include <span>

namespace kestrave {

// A complete RIFF WAVE file: 16-bit mono samples at 44100 Hz.
std::span<const std::uint8_t> clickSoundWave();

}  // namespace kestrave
