#pragma once
// The main window. It owns the speed bar, the tab strip, the pages, the tool windows, the status
// bar and the controllers, and forwards the window events that handlers answer (close, resize).
// Pages build the controls; the controllers hold the handlers.

#include <QMainWindow>
#include <array>
#include <memory>

#include "pipeline/pipeline.h"
#include "shell/area_stages.h"
#include "shell/language_handlers.h"
#include "shell/pages/frame_windows.h"
#include "shell/pages/histogram_windows.h"
#include "shell/pages/image_info_window.h"
#include "shell/pages/optimizer_windows.h"
#include "shell/pages/point_windows.h"
#include "shell/pages/registration_windows.h"
#include "shell/pages/shrink_view.h"
#include "shell/pages/sigma_events_window.h"
#include "shell/pages/wavelet_tool_panels.h"
#include "shell/project_replay_ports.h"
#include "shell/tool_windows.h"
#include "shell/window_dialogs.h"
#include "shell/window_entry_points.h"

class QLabel;
class QProgressBar;
class QSizeGrip;
class QStackedWidget;

namespace kestrave {

class ApplicationContext;
class TPJFormDropFiles;
class TUCStatusbarAutofeed;
class TAdvStatusBar;
class TSplines;
class SpeedBar;
class TabStrip;
class AlignPage;
class OptimizePage;
class StackPage;
class WaveletPage;
class FinalPage;
class AboutPage;
class ShellController;
class ToolWindowController;
class StackController;
class SigmaController;
class AviController;
class ResizeController;
class SaveController;
class WaveletController;
class FinalController;
class InputController;
class AlignController;
class OptimizeController;
class ImageInfoController;
class CalibrationController;
class OptionsController;
class ProjectController;
class TFormStorage;
struct StartupOptions;
struct StartupOutcome;

class TMainForm : public QMainWindow,
                  public WindowEntryPoints,
                  private AreaStages,
                  private ProjectReplayPorts {
    Q_OBJECT
public:
    explicit TMainForm(ApplicationContext& app, QWidget* parent = nullptr);
    ~TMainForm() override;

    // The start-up: settings, command line and batch work, in their fixed order.
    StartupOutcome FormCreate(const StartupOptions& options);
    // The window's placement and stored control values written to their file, as closing writes
    // them.
    void storeFormSettings();

private:
    // The window's own start-up, languages and screenshot walk reach its pieces; the tests reach
    // them through their accessor.
    friend class Startup;
    friend class ScreenshotWalk;
    friend LanguageWindow languageWindow(TMainForm& form);
    friend void connectLanguageControls(TMainForm& form);
    friend struct MainFormTestAccess;

    ApplicationContext& app;

    SpeedBar* Speedbar = nullptr;
    // The tab strip "Align", "Optimize", "Stack", "Wavelet", "Final", "About" and the pages under it.
    TabStrip* Tabpages = nullptr;
    QStackedWidget* PageControl1 = nullptr;
    AlignPage* alignPage = nullptr;
    OptimizePage* optimizePage = nullptr;
    StackPage* stackPage = nullptr;
    WaveletPage* waveletPage = nullptr;
    FinalPage* finalPage = nullptr;
    AboutPage* aboutPage = nullptr;
    ToolWindows tools;
    // The wavelet page's tool-window contents: filter, gamma, RGB balance, tone mapping, zoom.
    WaveletToolPanels waveletTools;
    // The display histograms and the automatic colour balance.
    HistogramWindows histogramWindows;
    // The frame lists, the stack graph's cut-offs, the registration chart.
    FrameWindows frameWindows;
    // The processing-info tag and the info stamp.
    ImageInfoWindow imageInfoWindow;
    // The spectrum picture, the registration chart's series and the stack graph's copy of them.
    RegistrationWindows registrationWindows;
    // The movements plot and the pass pointer on the registration chart.
    OptimizerWindows optimizerWindows;
    // The multi-point window: the alignment points' grid, estimator and files.
    PointWindows pointWindows;
    // The sigma event recording window's controls.
    SigmaEventsWindow sigmaEventsWindow;
    // The resize view's controls.
    ShrinkView shrinkView;
    WindowDialogs dialogs;
    // What the language files have changed of the window's own texts.
    BuiltInTexts builtInTexts;
    // The point the assistant's balloons aim at.
    QWidget* Screencentre = nullptr;
    // The window's placement and stored control values in "kestrave.ini" (section "Form");
    // inactive until start-up points it at its file.
    TFormStorage* FormSettings = nullptr;

    // Status bar: five text panels, the progress bar over the last one and the size grip's panel
    // at the right end.
    TAdvStatusBar* AdvStatusBar1 = nullptr;
    std::array<QLabel*, 5> StatusPanels{};
    QWidget* Panel5 = nullptr;
    QSizeGrip* Gripimage = nullptr;
    // Feeds the hint of the control under the mouse into panel 0.
    TUCStatusbarAutofeed* UCStatusbarAutofeed1 = nullptr;
    // The curve component of the window; its list stays empty.
    TSplines* Splines1 = nullptr;
    // Files dragged onto the window from the desktop become the input.
    TPJFormDropFiles* PJFormDropFiles1 = nullptr;
    QProgressBar* ProgressBar1 = nullptr;

    // The handlers, grouped by area.
    std::unique_ptr<ShellController> shell;
    std::unique_ptr<ToolWindowController> toolWindows;
    std::unique_ptr<StackController> stack;
    std::unique_ptr<SigmaController> sigma;
    std::unique_ptr<SaveController> save;
    std::unique_ptr<WaveletController> wavelet;
    std::unique_ptr<FinalController> finalImage;
    std::unique_ptr<InputController> input;
    std::unique_ptr<AlignController> align;
    std::unique_ptr<OptimizeController> optimize;
    std::unique_ptr<ImageInfoController> imageInfo;
    std::unique_ptr<CalibrationController> calibration;
    std::unique_ptr<OptionsController> options;
    std::unique_ptr<AviController> avi;
    std::unique_ptr<ResizeController> resizeView;
    std::unique_ptr<ProjectController> project;

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    // Files dragged from the desktop: local files are accepted and handed to the input's drop
    // handler.

    // The entry points one area's handlers call in another, each forwarded to its controller.
    void selectTab(int tab) override;
    void waitForContinue() override;
    void CancelButtonClick() override;
    void ShowMemoryUsage() override;

private:
    // The stages one area runs inside another's work, each handed to the controller of its area.
    void stackFrames() override;
    void processStack() override;
    void processWholePicture() override;
    void saveProcessedPicture() override;
    void limitFrames() override;
    void optimizeAndStack() override;
    void optimizeAlignPoints() override;
    void showFrameAgain() override;
    void showCutoffsAgain() override;
    void openPointCutoffs() override;
    void renderAgain() override;
    // The steps of other areas a project's load takes again, each forwarded to its controller;
    // only the project's controller is given them.
    bool takeInput(const InputPlan& plan) override;
    void takeFrameList(const std::filesystem::path& file) override;
    void applyBoxSize() override;
    void loadDarkFrame(const std::string& file, int type) override;
    void loadFlatField(const std::string& file, int type) override;
    void showRegistrationGraph() override;

    // Each controller with its own page and tool windows, the pipeline and the window's entry
    // points; none is given another controller.
    void makeControllers();

    // The stages of "Create", each handed to the controller of the area that owns it: the Stack
    // page's settings and caption, the Align page's method, multi-point mode and frame limit, the
    // Optimize page's optimize-and-stack, graph and realignment, the processing and the wait. Only
    // the Optimize page's controller, whose command "Create" is, is given them.
    class ReferenceSteps final : public ReferenceStages {
    public:
        explicit ReferenceSteps(TMainForm& form) : form_(form) {}
        CreateReferenceSettings stackSettings() override;
        void applyStackSettings(const CreateReferenceSettings& settings) override;
        int frameLimit() override;
        void setFrameLimit(int last, bool wholeLimit) override;
        void setStackLabelPrefix(const std::string& prefix) override;
        void optimizeAndStack() override;
        void process() override;
        void showRegistrationGraph() override;
        void waitForUser() override;
        void processWholePicture() override;
        void realignOnProcessed() override;

    private:
        TMainForm& form_;
    };
    ReferenceSteps referenceSteps{*this};
};

}  // namespace kestrave
