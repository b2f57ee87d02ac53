#pragma once
// The main window's start-up, run once after the window is built and before the message loop:
// it restores the user's settings (the window placement and stored control values from
// "kestrave.ini", the remembered folders and file types from the settings store, the defaults
// in code), allocates the image planes and tables, interprets the command line and hands any
// batch work to the batch runner as its last step.

#include <string>
#include <vector>

namespace kestrave {

class AboutPage;
struct MemoryFacts;
class TMainForm;

struct StartupOptions {
    // The command-line arguments after the program's name.
    std::vector<std::string> arguments;
    // Nobody can see the window (no display): its placement is never saved, no template is
    // written, no update check runs, and the program ends once start-up and its batch are done.
    bool headless = false;
};

// Exit status of a headless start whose command file is missing or unreadable.
inline constexpr int CommandFileMissingExit = 2;

struct StartupOutcome {
    // The program ends now with exitCode instead of running its message loop.
    bool endProgram = false;
    int exitCode = 0;
    // A batch ran before the program ends: its files are written.
    bool afterBatch = false;
};

StartupOutcome runStartup(TMainForm& form, const StartupOptions& options);

// The bits per pixel of the screen the window is on.
int ScreenColourDepth(const TMainForm& form);
// The memory label Label22: "Memory used :" + the resident memory of `memory` in MB + "MB".
void ShowMemoryUsage(AboutPage& about, const MemoryFacts& memory);

}  // namespace kestrave
