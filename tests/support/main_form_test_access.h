#pragma once
// What the tests reach inside the main window and the program never does: its pieces (pages,
// tool-window contents, status bar, controllers). The window names this accessor as a friend;
// only the tests define it. `pieces(form).stackPage` reads as `form.stackPage` did.

#include <QLabel>
#include <QProgressBar>
#include <array>

#include "shell/main_form.h"

namespace kestrave {

struct FormPieces {
    ApplicationContext& app;
    SpeedBar* Speedbar;
    TabStrip* Tabpages;
    QStackedWidget* PageControl1;
    AlignPage* alignPage;
    OptimizePage* optimizePage;
    StackPage* stackPage;
    WaveletPage* waveletPage;
    FinalPage* finalPage;
    AboutPage* aboutPage;
    ToolWindows& tools;
    WaveletToolPanels& waveletTools;
    HistogramWindows& histogramWindows;
    FrameWindows& frameWindows;
    ImageInfoWindow& imageInfoWindow;
    RegistrationWindows& registrationWindows;
    OptimizerWindows& optimizerWindows;
    PointWindows& pointWindows;
    SigmaEventsWindow& sigmaEventsWindow;
    ShrinkView& shrinkView;
    WindowDialogs& dialogs;
    BuiltInTexts& builtInTexts;
    QWidget* Screencentre;
    TFormStorage* FormSettings;
    std::array<QLabel*, 5>& StatusPanels;
    QProgressBar* ProgressBar1;
    ShellController* shell;
    ToolWindowController* toolWindows;
    StackController* stack;
    SigmaController* sigma;
    SaveController* save;
    WaveletController* wavelet;
    FinalController* finalImage;
    InputController* input;
    AlignController* align;
    OptimizeController* optimize;
    ImageInfoController* imageInfo;
    CalibrationController* calibration;
    OptionsController* options;
    AviController* avi;
    ResizeController* resizeView;
    ProjectController* project;
};

struct MainFormTestAccess {
    static FormPieces pieces(TMainForm& form) {
        return {form.app,
                form.Speedbar,
                form.Tabpages,
                form.PageControl1,
                form.alignPage,
                form.optimizePage,
                form.stackPage,
                form.waveletPage,
                form.finalPage,
                form.aboutPage,
                form.tools,
                form.waveletTools,
                form.histogramWindows,
                form.frameWindows,
                form.imageInfoWindow,
                form.registrationWindows,
                form.optimizerWindows,
                form.pointWindows,
                form.sigmaEventsWindow,
                form.shrinkView,
                form.dialogs,
                form.builtInTexts,
                form.Screencentre,
                form.FormSettings,
                form.StatusPanels,
                form.ProgressBar1,
                form.shell.get(),
                form.toolWindows.get(),
                form.stack.get(),
                form.sigma.get(),
                form.save.get(),
                form.wavelet.get(),
                form.finalImage.get(),
                form.input.get(),
                form.align.get(),
                form.optimize.get(),
                form.imageInfo.get(),
                form.calibration.get(),
                form.options.get(),
                form.avi.get(),
                form.resizeView.get(),
                form.project.get()};
    }
};

namespace test {

inline FormPieces pieces(TMainForm& form) {
    return MainFormTestAccess::pieces(form);
}

}  // namespace test

}  // namespace kestrave
