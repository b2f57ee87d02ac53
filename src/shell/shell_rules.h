#pragma once
// The rules of the main window's shell that need no window: which tab page may open, the tab
// colours, whether closing asks and whether it goes ahead, the fit-to-window scale and where a
// tool window comes back to when it lies outside the main window.

#include <array>
#include <cstdint>
#include <string>

#include "frames/program_state.h"

namespace kestrave {

inline constexpr int TabCount = 6;

// The page name of the refusal message: 1 "Optimizer", 2 "Stacking", 3 "Wavelets", 4 "Final";
// empty for the tabs that are never refused.
std::string gatedPageName(int tab);

// The outcome of asking for a tab: the tab that opens and, when the request was refused, the
// refusal text (empty otherwise).
struct TabGate {
    int tab = 0;
    std::string refusal;
};
// A tab other than "About" beyond activepage falls back to activepage.
TabGate gateTab(int requested, TMainTab activepage);

struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};
inline constexpr Rgb SelectedTabColour{166, 202, 240};
inline constexpr Rgb AllowedTabColour{192, 220, 192};
inline constexpr Rgb RefusedTabColour{221, 160, 160};

// The colours of the six tabs: the selected one blue, the others green up to activepage and red
// beyond it; single-image input keeps the Align and Optimize tabs red; "About" is always green.
std::array<Rgb, TabCount> tabColours(int selected, TMainTab activepage, bool singleImage);

// Closing asks "Save before quitting ?" only when nothing was saved and a stack exists.
bool closeNeedsQuestion(bool imageSaved, TMainTab activepage);
// After the question: No closes, Yes closes once the save succeeded, Cancel stays.
bool closeProceeds(std::uint16_t answer, bool savedOnYes);

// Fit-to-window: the factor by which a picture is shown reduced so that it fills its box less a
// 30-pixel margin (a small picture is enlarged); 1 when the view is not fitted.
float fitScale(bool fitted, int pictureWidth, int pictureHeight, int boxWidth, int boxHeight);
// The shown size of one side of the picture at that scale, rounded half to even.
int fittedLength(int pictureLength, float scale);

// A tool window whose left lies more than 20 pixels inside the right edge of the main window
// (or whose top lies that far down) comes back so that it ends 20 pixels inside that edge.
struct WindowPlace {
    int left = 0, top = 0;
    friend bool operator==(const WindowPlace&, const WindowPlace&) = default;
};
WindowPlace keepToolWindowInside(WindowPlace place, int width, int height, int mainWidth, int mainHeight);

}  // namespace kestrave
