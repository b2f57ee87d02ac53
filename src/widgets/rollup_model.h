#pragma once
// The roll-up panel's geometry without a window: the heights a roll passes through, where the
// caption bar's buttons stand and where a drag puts the panel.

#include <QPoint>
#include <vector>

namespace kestrave {

inline constexpr int CaptionBarHeight = 20;
// Rolled up, only the caption bar and the panel's one-pixel border show.
inline constexpr int RolledUpHeight = CaptionBarHeight + 2;
inline constexpr int CaptionButtonSize = 18;

// The panel heights of a roll-up from `height`, one per animation step of `rollAmount` pixels,
// the last being RolledUpHeight. An amount of 0 rolls in one step.
std::vector<int> rollUpHeights(int height, int rollAmount);
// The same for a roll-down from `height` to `dropHeight` (at once when it is smaller).
std::vector<int> rollDownHeights(int height, int dropHeight, int rollAmount);

// The left edges of the caption bar's buttons on a bar `width` pixels wide; a hidden button
// stands at `width`, out of sight. The roll button (up or down) is always at 1.
struct CaptionButtonLefts {
    int close;
    int help;
    int roll;
    int minimize;
};
CaptionButtonLefts captionButtonLefts(int width, bool showClose, bool showHelp, bool showMinimize);

// Where a drag moves the panel: by the mouse's offset from the press point, with the left edge at
// least 1 and the top from 1 to the screen height − 75.
QPoint dragTarget(QPoint topLeft, QPoint press, QPoint mouse, int screenHeight);

}  // namespace kestrave
