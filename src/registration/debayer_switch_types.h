#pragma once
// The "Use Debayer" switch as values: whether raw Bayer frames are turned into colour, and what
// the window shows after the switch.

#include <string>

namespace kestrave {

struct DebayerState {
    // Frames are debayered (Avidebay checked); the frame readers take it from here.
    bool DebayerEnabled = false;
    // The 16-bit debayer warning is still to be shown.
    bool WarnDebayer16 = true;
};

// What the window shows after the switch.
struct DebayerSwitchResult {
    // Caption of Colourstack: "Colour(debayered)" while debayering, else "Colour".
    std::string colourstackCaption;
    // Debayering: Colourstack and Colourprocess2 are enabled and checked.
    bool checkColour = false;
};

}  // namespace kestrave
