#pragma once
// Program start: picks Qt's offscreen platform when no display is available, creates the
// application object and the main window, and runs the message loop.

namespace kestrave {

// True when neither DISPLAY nor WAYLAND_DISPLAY is set.
bool noDisplayAvailable();
// Selects the offscreen platform when there is no display and none was chosen explicitly.
void chooseQtPlatform();

int runApplication(int argc, char** argv);

}  // namespace kestrave
