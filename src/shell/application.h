#pragma once
// Program start: picks Qt's offscreen platform when no display is available, creates the
// application object and the main window, and runs the message loop.

namespace kestrave {

// True when neither DISPLAY nor WAYLAND_DISPLAY is set.
bool noDisplayAvailable();
// Selects the offscreen platform when there is no display and none was chosen explicitly.
void chooseQtPlatform();

// The program's name, version and desktop entry. It has no display name: platforms append one
// to every window caption, and each window shows its own caption exactly.
void nameApplication();

int runApplication(int argc, char** argv);

}  // namespace kestrave
