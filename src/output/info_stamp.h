#pragma once
// The info stamp of the wavelet saver: a white band of 100 pixels below the picture with four
// black text lines of the processing settings, at x = 5 and y = picture height + 5, 25, 45, 65.

#include <array>
#include <string>
#include <string_view>

#include "platform/bitmap24.h"

namespace kestrave {

inline constexpr int StampBandHeight = 100;
// Each font pixel is drawn as a square of this side: glyphs 10 x 14, lines 20 pixels apart.
inline constexpr int StampScale = 2;
inline constexpr int StampAdvance = 6 * StampScale;

// The settings the stamp names, read from the controls (slider values rounded by the caller).
struct StampInfo {
    std::string ObjectName;       // Objectnameedit
    std::string DateTime;         // Datetimeedit
    int Stack = 0;                // StackSlider
    int LevelStep = 0;            // LevelStep
    int Multiplicant = 0;         // Multiplicant
    std::array<int, 6> Layers{};  // Layer1slider … Layer6slider
};

// "Name  " + object + "_" + date and time; "Stack " + count; "WScheme " + step + "_" +
// multiplicant; "Wvalues" + the six layer values joined by "_".
std::array<std::string, 4> stampLines(const StampInfo& info);

// Draws UTF-8 text in black with its top-left corner at (x, y), clipped to the bitmap; each
// character outside printable ASCII is drawn as "?".
void drawStampText(Bitmap24& bitmap, int x, int y, std::string_view text);

// A copy of `picture`; with a stamp it is StampBandHeight pixels taller and carries the four
// lines on a white band.
Bitmap24 stampedImage(const Bitmap24& picture, const StampInfo* stamp);

}  // namespace kestrave
