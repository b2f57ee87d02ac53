#pragma once
// The info stamp's values: the settings it names, its lines' texts and its band's measures.

#include <array>
#include <string>

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

}  // namespace kestrave
