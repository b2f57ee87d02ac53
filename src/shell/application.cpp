#include "shell/application.h"

#include <QApplication>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <memory>

#include "shell/application_context.h"
#include "shell/dialog_presenter.h"
#include "shell/main_form.h"
#include "shell/qt_file_dialogs.h"
#include "shell/screen_fit.h"
#include "shell/screenshot_walk.h"
#include "shell/sound_output.h"
#include "shell/startup.h"
#include "widgets/component_graphics.h"
#include "widgets/form_storage.h"

namespace kestrave {

namespace {
bool envSet(const char* name) {
    const char* v = std::getenv(name);
    return v && *v;
}

// After a batch that ends the program every file is written: the window's last settings and the
// settings store are saved and the output flushed, and the process ends without taking the window
// and Qt apart piece by piece, which nobody would see.
[[noreturn]] void endAfterBatch(TMainForm& form, ApplicationContext& context, int exitCode) {
    form.storeFormSettings();
    // Closing the store writes what it still holds (and says so on standard error if it cannot).
    context.regSettings.reset();
    std::cout.flush();
    std::cerr.flush();
    std::fflush(nullptr);
    std::exit(exitCode);
}
}  // namespace

bool noDisplayAvailable() {
    return !envSet("DISPLAY") && !envSet("WAYLAND_DISPLAY");
}

void chooseQtPlatform() {
    if (noDisplayAvailable() && !envSet("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
}

void nameApplication() {
    QApplication::setApplicationName("Kestrave");
    QApplication::setApplicationVersion(KESTRAVE_VERSION);
    // The desktop finds the program's entry and icon by it (and X11 its window class by the name).
    // The entry gives the program's title, "Kestrave V4": as Qt's display name it would follow
    // every window's caption, and as its name it would rename the settings file and window class.
    QGuiApplication::setDesktopFileName(QStringLiteral("kestrave"));
}

int runApplication(int argc, char** argv) {
    const bool headless = noDisplayAvailable();
    chooseQtPlatform();
    QApplication app(argc, argv);
    nameApplication();
    InitComponentSet();
    StartupOptions options{{argv + std::min(argc, 1), argv + argc}, headless};
    auto context = std::make_unique<ApplicationContext>();
    // The sounds outlive the window, whose character plays into them from its own thread.
    SoundOutput sounds;
    TMainForm form(*context);
    // The assistant's balloon shows messages; the window's own dialog serves as the platform's
    // box (the pause notice and the fallback), and Qt's file dialogs
    // open files. Without a display nobody could answer a dialog: messages then go to standard
    // error, every file dialog is cancelled and nothing makes a sound.
    if (!headless) {
        context->messages().setPresenter(makeWindowPresenter(form));
        context->messages().setPlatformBox(std::make_unique<DialogMessagePresenter>(&form));
        context->messages().setSoundPlayer(messageSoundPlayer(sounds.channel()));
        context->setDialogs(std::make_unique<QtFileDialogs>(&form, &sounds.channel()));
        installSounds(form, sounds.channel(), sounds.channel());
    }
    const StartupOutcome outcome = form.FormCreate(options);
    if (outcome.endProgram && outcome.afterBatch) endAfterBatch(form, *context, outcome.exitCode);
    if (outcome.endProgram) return outcome.exitCode;
    showWindowOnScreen(form);
    startScreenshotWalk(form);
    return app.exec();
}

}  // namespace kestrave
