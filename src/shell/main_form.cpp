#include "shell/main_form.h"

#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QSizeGrip>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "shell/application_context.h"
#include "shell/assistant_handlers.h"
#include "shell/controllers/align_controller.h"
#include "shell/controllers/avi_controller.h"
#include "shell/controllers/calibration_controller.h"
#include "shell/controllers/final_controller.h"
#include "shell/controllers/image_info_controller.h"
#include "shell/controllers/input_controller.h"
#include "shell/controllers/optimize_controller.h"
#include "shell/controllers/options_controller.h"
#include "shell/controllers/project_controller.h"
#include "shell/controllers/resize_controller.h"
#include "shell/controllers/save_controller.h"
#include "shell/controllers/shell_controller.h"
#include "shell/controllers/sigma_controller.h"
#include "shell/controllers/stack_controller.h"
#include "shell/controllers/tool_window_controller.h"
#include "shell/controllers/wavelet_controller.h"
#include "shell/language_handlers.h"
#include "shell/pages/about_page.h"
#include "shell/pages/align_page.h"
#include "shell/pages/avi_controls.h"
#include "shell/pages/final_page.h"
#include "shell/pages/line_chart.h"
#include "shell/pages/named_control.h"
#include "shell/pages/optimize_page.h"
#include "shell/pages/page_controls.h"
#include "shell/pages/stack_page.h"
#include "shell/pages/wavelet_page.h"
#include "shell/speed_bar.h"
#include "shell/startup.h"
#include "shell/tab_strip.h"
#include "shell/window_attention.h"
#include "shell/window_progress.h"
#include "widgets/adv_status_bar.h"
#include "widgets/check_box.h"
#include "widgets/drop_files.h"
#include "widgets/form_storage.h"
#include "widgets/spin_edit.h"
#include "widgets/splines.h"
#include "widgets/statusbar_autofeed.h"

namespace kestrave {

TMainForm::TMainForm(ApplicationContext& context, QWidget* parent)
    : QMainWindow(parent),
      app(context),
      tools(this),
      waveletTools(tools),
      histogramWindows(tools),
      frameWindows(tools, this),
      imageInfoWindow(tools),
      registrationWindows(tools, frameWindows.registrationChart()),
      optimizerWindows(tools, frameWindows.registrationChart()),
      pointWindows(tools, this),
      sigmaEventsWindow(tools),
      shrinkView(*tools.Shrinkview) {
    setObjectName("MainForm");
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    // The room goes to the pages' pictures.
    layout->setSpacing(0);
    Screencentre = new QWidget(central);
    Screencentre->setObjectName("Screencentre");
    FormSettings = new TFormStorage(this);
    FormSettings->setObjectName("FormSettings");
    FormSettings->setActive(false);

    Speedbar = new SpeedBar(central);
    Tabpages = new TabStrip(central);
    Tabpages->setObjectName("Tabpages");
    PageControl1 = new QStackedWidget(central);
    PageControl1->setObjectName("PageControl1");

    alignPage = new AlignPage(PageControl1);
    optimizePage = new OptimizePage(PageControl1);
    stackPage = new StackPage(PageControl1);
    waveletPage = new WaveletPage(PageControl1);
    finalPage = new FinalPage(PageControl1, *tools.HLSwindow);
    aboutPage = new AboutPage(PageControl1);
    const std::array<std::pair<const char*, QWidget*>, 6> pages{{{"Align", alignPage},
                                                                 {"Optimize", optimizePage},
                                                                 {"Stack", stackPage},
                                                                 {"Wavelet", waveletPage},
                                                                 {"Final", finalPage},
                                                                 {"About", aboutPage}}};
    for (const auto& [caption, page] : pages) {
        Tabpages->addTab(QString::fromUtf8(caption));
        PageControl1->addWidget(page);
    }

    // The optimizer's chart is shown in the Optimize page's registration window.
    tools.RegiStration2->Body->addWidget(&optimizePage->optimizerChart(), 1);
    for (ToolWindow* chart : {tools.Registrationgraphwindow, tools.RegiStration2}) chart->resize(360, 230);

    // The tab indicator points at speed-bar items, so it lies over the whole window's content.
    alignPage->tabMarker().setParent(central);
    markButton(alignPage->tabMarker(), *Speedbar->Selectbutton, -2);

    layout->addWidget(Speedbar);
    layout->addWidget(Tabpages);
    layout->addWidget(PageControl1, 1);
    setCentralWidget(central);
    createWindowAssistant(*this, *Screencentre, *Speedbar->Wizard,
                          [this] { return PageControl1->currentIndex() == 0; });

    AdvStatusBar1 = new TAdvStatusBar(this);
    AdvStatusBar1->setObjectName("AdvStatusBar1");
    setStatusBar(AdvStatusBar1);
    // The panels' widths are made for a status font a point smaller than the window's ("Processing
    // limited to 10000 frames" fits panel 2); a longer text is cut short, whole in its tooltip.
    QFont statusFont = AdvStatusBar1->font();
    if (statusFont.pointSizeF() > 1.0) statusFont.setPointSizeF(statusFont.pointSizeF() - 1.0);
    AdvStatusBar1->setFont(statusFont);
    AdvStatusBar1->setPanelWidths({250, 2, 200, 450, 150});
    for (std::size_t i = 0; i < StatusPanels.size(); ++i)
        StatusPanels[i] = AdvStatusBar1->panel(static_cast<int>(i));
    UCStatusbarAutofeed1 = new TUCStatusbarAutofeed(AdvStatusBar1, this);
    UCStatusbarAutofeed1->setObjectName("UCStatusbarAutofeed1");
    ProgressBar1 = new QProgressBar(AdvStatusBar1);
    ProgressBar1->setObjectName("ProgressBar1");
    AdvStatusBar1->holdInPanel(ProgressBar1, 4);
    // The size grip's panel at the right end of the bar.
    Panel5 = new QWidget(AdvStatusBar1);
    Panel5->setObjectName("Panel5");
    auto* gripLayout = new QVBoxLayout(Panel5);
    gripLayout->setContentsMargins(0, 0, 0, 0);
    Gripimage = new QSizeGrip(Panel5);
    Gripimage->setObjectName("Gripimage");
    gripLayout->addWidget(Gripimage, 0, Qt::AlignRight | Qt::AlignBottom);
    AdvStatusBar1->holdAtRight(Panel5);

    auto progress = std::make_unique<WindowProgress>(*this, *ProgressBar1, StatusPanels, app.operations);
    // The stacking's progress texts show in the Stack page's label.
    progress->showActivity = [this](const std::string& text) { stack->showStackActivity(text); };
    progress->showMemory = [this] {
        if (aboutPage) kestrave::ShowMemoryUsage(*aboutPage, app.pipeline.memoryFacts());
    };
    app.setProgress(std::move(progress));
    app.messages().setAttention(
        std::make_unique<WindowAttention>(*this, *control<TPCheck>(*aboutPage, "Formmessage")));
    app.operations.onIdleWhileClosing = [this] {
        QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
    };

    makeControllers();
    connectLanguageControls(*this);
    Splines1 = new TSplines(this);
    Splines1->setObjectName("Splines1");
    PJFormDropFiles1 = new TPJFormDropFiles(this);
    PJFormDropFiles1->setObjectName("PJFormDropFiles1");
    connect(PJFormDropFiles1, &TPJFormDropFiles::OnDropFiles, this,
            [this] { input->PJFormDropFiles1DropFiles(PJFormDropFiles1->Files()); });

    resize(1024, 768);
}

// Each controller gets its own page and tool windows, the run's state, the window's entry points
// and the stages other areas run; none is given another area's controller. The sigma and AVI
// handlers of the Stack page are given its controller, so it is made before them.
void TMainForm::makeControllers() {
    WindowEntryPoints& entries = *this;
    AreaStages& stages = *this;
    shell = std::make_unique<ShellController>(
        ShellControllerParts{app.pipeline, app.ports, *this, *Tabpages, *PageControl1, *Speedbar, tools,
                             *alignPage, *optimizePage, *stackPage, *waveletPage,
                             DeveloperControls{*alignPage, *waveletPage, *aboutPage, *tools.Tonemapwindow,
                                               *control<TPCheck>(*waveletTools.tonemap, "Tonegraph")},
                             stages, entries});
    toolWindows = std::make_unique<ToolWindowController>(
        ToolWindowControllerParts{tools, *this, *stackPage, *waveletPage, *finalPage, stages});
    stack = std::make_unique<StackController>(StackControllerParts{.pipeline = app.pipeline,
                                                                   .ports = app.ports,
                                                                   .window = *this,
                                                                   .stackPage = *stackPage,
                                                                   .alignPage = *alignPage,
                                                                   .optimizePage = *optimizePage,
                                                                   .waveletPage = *waveletPage,
                                                                   .frameWindows = frameWindows,
                                                                   .registrationWindows = registrationWindows,
                                                                   .pointWindows = pointWindows,
                                                                   .tools = tools,
                                                                   .Tabpages = *Tabpages,
                                                                   .ProgressBar1 = *ProgressBar1,
                                                                   .stages = stages,
                                                                   .entries = entries});
    sigma = std::make_unique<SigmaController>(SigmaControllerParts{.pipeline = app.pipeline,
                                                                   .ports = app.ports,
                                                                   .stackPage = *stackPage,
                                                                   .frameWindows = frameWindows,
                                                                   .sigmaEventsWindow = sigmaEventsWindow,
                                                                   .tools = tools,
                                                                   .stack = *stack});
    save = std::make_unique<SaveController>(SaveControllerParts{
        app.pipeline, app.ports, *stackPage, *waveletPage, imageInfoWindow, dialogs, stages});
    wavelet = std::make_unique<WaveletController>(
        WaveletControllerParts{app.pipeline, app.ports, *waveletPage, waveletTools, histogramWindows, tools,
                               *stackPage, *alignPage, *PageControl1, *Tabpages, *ProgressBar1, entries});
    finalImage = std::make_unique<FinalController>(
        FinalControllerParts{*finalPage, *tools.HLSwindow, app.pipeline, app.ports, dialogs, *Tabpages});
    input = std::make_unique<InputController>(InputControllerParts{
        app.pipeline, app.ports, *alignPage, *waveletPage, waveletTools, frameWindows, registrationWindows,
        tools, imageInfoWindow, dialogs, *Speedbar->Selectbutton, *Speedbar->ClipboardFront, *ProgressBar1,
        *PageControl1, *this, stages, entries});
    align = std::make_unique<AlignController>(AlignControllerParts{
        app.pipeline, app.ports, *alignPage, *optimizePage, *stackPage, frameWindows, registrationWindows,
        pointWindows, tools, dialogs, *StatusPanels[2], *Tabpages, *ProgressBar1, stages, entries});
    optimize = std::make_unique<OptimizeController>(
        OptimizeControllerParts{.pipeline = app.pipeline,
                                .ports = app.ports,
                                .optimizePage = *optimizePage,
                                .alignPage = *alignPage,
                                .stackPage = *stackPage,
                                .waveletPage = *waveletPage,
                                .frameWindows = frameWindows,
                                .pointWindows = pointWindows,
                                .registrationWindows = registrationWindows,
                                .optimizerWindows = optimizerWindows,
                                .tools = tools,
                                .Tabpages = *Tabpages,
                                .ProgressBar1 = *ProgressBar1,
                                .stages = stages,
                                .entries = entries,
                                .referenceStages = referenceSteps});
    imageInfo = std::make_unique<ImageInfoController>(ImageInfoControllerParts{
        app.shell, imageInfoWindow, *tools.Imageinfowindow, *Speedbar->ImageInfobutton, *waveletPage,
        app.pipeline, *waveletTools.gamma, dialogs});
    calibration = std::make_unique<CalibrationController>(
        CalibrationControllerParts{.pipeline = app.pipeline,
                                   .ports = app.ports,
                                   .window = *this,
                                   .Flatdarkbutton = *Speedbar->Flatdarkbutton,
                                   .OpenDialog = dialogs.OpenDialog,
                                   .stackPage = *stackPage,
                                   .frameWindows = frameWindows,
                                   .stages = stages,
                                   .entries = entries});
    options = std::make_unique<OptionsController>(OptionsControllerParts{
        app.pipeline, app.shell, app.messages(), *this, *alignPage, tools, entries, stages});
    avi = std::make_unique<AviController>(AviControllerParts{app.pipeline, app.ports, stackPage->aviOutput(),
                                                             *alignPage, dialogs.SaveDialog6, *ProgressBar1,
                                                             *stack});
    resizeView = std::make_unique<ResizeController>(
        ResizeControllerParts{app.pipeline, app.ports, *tools.Shrinkview, shrinkView, *waveletPage,
                              *finalPage, *stackPage, dialogs.SaveDialog4, *PageControl1});
    project = std::make_unique<ProjectController>(ProjectControllerParts{
        app.pipeline, app.ports, *Speedbar, *PageControl1, *alignPage, *stackPage, *waveletPage, frameWindows,
        tools, *FormSettings, dialogs, stages, entries, *this, *aboutPage});
}

void TMainForm::storeFormSettings() {
    FormSettings->FormDestroy();
}

TMainForm::~TMainForm() {
    storeFormSettings();
    app.operations.onIdleWhileClosing = nullptr;
    app.messages().setAttention(nullptr);
    app.setProgress(nullptr);
}

StartupOutcome TMainForm::FormCreate(const StartupOptions& options) {
    return runStartup(*this, options);
}

void TMainForm::closeEvent(QCloseEvent* event) {
    event->setAccepted(shell->closeRequested());
}

void TMainForm::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    if (shell) shell->FormResize();
}

}  // namespace kestrave
