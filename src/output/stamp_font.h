#pragma once
// A small built-in bitmap font for the info stamp, so that stamped images look the same on every
// machine, with or without a display.

#include <cstdint>

namespace kestrave {

inline constexpr int StampGlyphColumns = 5;
inline constexpr int StampGlyphRows = 7;

// The seven row bytes of a character (bit 4 the leftmost column); characters outside the
// printable ASCII range are drawn as "?".
const std::uint8_t* stampGlyph(char32_t c);

}  // namespace kestrave
