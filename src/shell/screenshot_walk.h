#pragma once
// A walk through the window for scripts/screenshots, never part of a user's run: when
// KESTRAVE_SCREENSHOT_WALK names a prefix, the started window opens KESTRAVE_SCREENSHOT_INPUT in
// the input dialog, picks the feature in the middle of the picture, aligns, limits, optimizes and
// stacks, processes the whole image, opens the save dialog, and writes a picture of the screen
// after each step ("<prefix>1-input-dialog.png" …); later, when KESTRAVE_SCREENSHOT_LARGE_INPUT
// names a large recording, it aligns that recording's estimated points; then the program ends.

namespace kestrave {

class TMainForm;

// Starts the walk when the environment asks for one; false when it does not.
bool startScreenshotWalk(TMainForm& form);

}  // namespace kestrave
