#include "shell/controllers/shell_controller.h"

#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QEvent>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QTabWidget>
#include <string>
#include <vector>

#include "frames/memory_facts.h"
#include "platform/memory_report.h"
#include "shell/developer_mode.h"
#include "shell/error_report.h"
#include "shell/pages/about_page.h"
#include "shell/pages/align_page.h"
#include "shell/pages/optimize_page.h"
#include "shell/pages/page_controls.h"
#include "shell/pages/stack_page.h"
#include "shell/pages/wavelet_page.h"
#include "shell/shell_ports.h"
#include "shell/shell_rules.h"
#include "shell/speed_bar.h"
#include "shell/tab_strip.h"
#include "shell/tool_window_pages.h"
#include "shell/tool_windows.h"
#include "shell/unsaved_result.h"
#include "shell/window_entry_points.h"
#include "widgets/check_box.h"
#include "widgets/radio_group.h"
#include "widgets/slider.h"
#include "widgets/version_label.h"

namespace kestrave {

namespace {

constexpr int StackTab = static_cast<int>(TMainTab::tabStack);
constexpr int WaveletTab = static_cast<int>(TMainTab::tabWavelet);
constexpr int AboutTab = static_cast<int>(TMainTab::tabAbout);
constexpr QKeyCombination DeveloperModeChord(Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier,
                                             Qt::Key_D);

bool clipboardHoldsPicture() {
    const QMimeData* data = QApplication::clipboard()->mimeData();
    return data && data->hasImage();
}

QColor qColor(Rgb rgb) {
    return {rgb.r, rgb.g, rgb.b};
}

}  // namespace

ShellController::ShellController(const ShellControllerParts& parts)
    : parts_(parts),
      pipeline_(parts.pipeline),
      ports_(parts.ports),
      toolWindowPages_(std::make_unique<ToolWindowPages>(parts.tools, parts.pages)) {
    connect(&parts.tabs, &QTabBar::currentChanged, this, &ShellController::TabpagesChange);
    connect(&parts.pages, &QStackedWidget::currentChanged, this, &ShellController::PageControl1Change);
    const SpeedBar& bar = parts.speedBar;
    connect(bar.Cancelbutton, &QToolButton::clicked, this, &ShellController::CancelButtonClick);
    connect(bar.PauseButton, &QToolButton::clicked, this, &ShellController::PauseButtonClick);
    bar.Cancelbutton->installEventFilter(this);
    // A fitted picture follows its box whenever the layout gives the box another size.
    connect(&parts.align, &AlignPage::previewBoxResized, this, [this] {
        if (ports_.shell.PreviewFitted) fitPreview();
    });
    connect(&parts.wavelet, &WaveletPage::processedViewResized, this, [this] {
        if (ports_.shell.ProcessFitted) fitProcessed();
    });
    connect(&parts.optimize, &OptimizePage::continueRequested, this, &ShellController::ContinuebuttonClick);
    connect(parts.tools.HaltRegister, &QPushButton::clicked, this, &ShellController::HaltRegisterClick);
    connect(&parts.developer.about, &AboutPage::errorReportRequested, this, &ShellController::MailLabelClick);
    connect(&parts.align, &AlignPage::fitPreviewClicked, this, &ShellController::PreviewFullClick);
    connect(&parts.wavelet, &WaveletPage::processedViewFitToggled, this,
            &ShellController::ProcessViewfullClick);
    connect(&parts.wavelet, &WaveletPage::fittedPictureChanged, this, &ShellController::FormResize);
    // The window sees the chord whichever of its controls has the focus.
    auto* chord = new QShortcut(QKeySequence(DeveloperModeChord), &parts.window);
    connect(chord, &QShortcut::activated, this, &ShellController::FormKeyDown);
    colourTabs();
    hearStage();
}

// --- The tab strip follows the stage of the run ---------------------------------------------------

void ShellController::hearStage() {
    // The tabs' marks say which pages the work has reached: the run moving on (or back) colours
    // them afresh, whichever area's operation moved it.
    stageShown_ = pipeline_.subscribe([this](PipelineChange change) {
        if (change == PipelineChange::Stage) colourTabs();
    });
}

ShellController::~ShellController() = default;

void ShellController::setTabIndex(int tab) {
    const QSignalBlocker quiet(&parts_.tabs);
    parts_.tabs.setCurrentIndex(tab);
}

void ShellController::selectTab(int tab) {
    setTabIndex(tab);
    TabpagesChange();
}

void ShellController::TabpagesChange() {
    const ProgramState& state = pipeline_.state();
    showClipboardItem();

    const TabGate gate = gateTab(parts_.tabs.currentIndex(), state.activepage);
    if (!gate.refusal.empty()) {
        // The page fallen back to shows, with its tool windows, before the refusal is said; its
        // work (a pending processing) and the tabs' colours follow the message.
        setTabIndex(gate.tab);
        parts_.pages.setCurrentIndex(gate.tab);
        toolWindowPages_->showPage(gate.tab);
        ports_.messages().inform("Illegal Tabpage", gate.refusal);
    }
    int tab = parts_.tabs.currentIndex();
    // The page's own tool windows come back before the page redraws them.
    toolWindowPages_->showPage(tab);

    if (tab == StackTab) parts_.tools.MultiAlignprogresswindow->hide();
    if (tab == WaveletTab) parts_.wavelet.restoreFilterChoice();
    // The stack graph drawn anew, the points' cut-offs, a pending processing, the final picture.
    emit parts_.tabs.pageEntering(tab);
    if (tab == StackTab) pipeline_.enterPageStage(TProcessStage::stStackPage);
    if (tab == WaveletTab) pipeline_.enterPageStage(TProcessStage::stWaveletPage);

    if (pipeline_.model().SingleImage && tab < StackTab) {
        ports_.messages().inform("Illegal tabpage", "single image: alignment/optimizer page not available");
        tab = WaveletTab;
        setTabIndex(tab);
    }

    parts_.pages.setCurrentIndex(tab);
    toolWindowPages_->showPage(tab);
    followAutoprocessbox();
    emit parts_.tabs.pageShown(tab);
    colourTabs();
}

void ShellController::PageControl1Change() {
    showClipboardItem();
    if (parts_.pages.currentIndex() == AboutTab) showMemoryReport();
}

void ShellController::showMemoryReport() {
    const auto status = readMemoryStatus();
    parts_.developer.about.showMemoryReport(status ? memoryReport(*status) : std::vector<std::string>{});
}

void ShellController::showClipboardItem() {
    if (clipboardHoldsPicture()) parts_.speedBar.ClipboardFront->setVisible(true);
}

void ShellController::followAutoprocessbox() {
    ports_.shell.AutoProcess = parts_.wavelet.followAutoProcessing();
}

void ShellController::colourTabs() {
    const auto colours =
        tabColours(parts_.tabs.currentIndex(), pipeline_.state().activepage, pipeline_.model().SingleImage);
    for (int tab = 0; tab < parts_.tabs.count() && tab < TabCount; ++tab) {
        parts_.tabs.setTabColor(tab, qColor(colours[static_cast<std::size_t>(tab)]));
    }
}

void ShellController::CancelButtonClick() {
    // An unattended run never cancels itself.
    const bool yes =
        ports_.messages().ask(mtWarning, "Cancelling ...", "Do you want to cancel ?", mbYesNo, mrNo) == mrYes;
    // Only a running loop takes the flag: with nothing running a "Yes" must not stop the next run
    // the user starts. A close already under way keeps its cancel.
    if (ports_.operations.running()) ports_.progress().setCancelRequested(yes || ports_.operations.closing());
    if (yes) {
        parts_.tools.MultiAlignprogresswindow->hide();
        parts_.align.setOptionsEnabled(true);
        parts_.optimize.setOptionsEnabled(true);
        parts_.stack.setOptionsEnabled(true);
    }
    parts_.align.repaintPreview();
    parts_.tabs.setEnabled(true);
    while (QApplication::overrideCursor()) QApplication::restoreOverrideCursor();
    arrowOverCancel_ = false;
}

void ShellController::PauseButtonClick() {
    ports_.messages().platformBox().inform("Information", "Pausing program, click OK to continue");
}

void ShellController::ContinuebuttonClick() {
    ports_.shell.ContinueRequested = true;
    parts_.optimize.showContinueButton(false);
}

void ShellController::HaltRegisterClick() {
    pipeline_.requestHalt();
}

bool ShellController::waitForContinue() {
    ShellState& shell = ports_.shell;
    shell.ContinueRequested = false;
    if (pipeline_.state().BatchMode) {
        if (batchContinueWork) batchContinueWork();
        shell.ContinueRequested = false;
        return true;
    }
    parts_.optimize.showContinueButton(true);
    // The next button to press is "Continue"; once pressed, "Process" again.
    parts_.wavelet.markNextButton(&parts_.optimize.continueButton());
    while (!shell.ContinueRequested && !ports_.CancelRequested() && !ports_.operations.closing()) {
        const LongOperations::Pump wait(ports_.operations, LongOperations::PumpKind::Wait);
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    parts_.optimize.showContinueButton(false);
    const bool continued = shell.ContinueRequested;
    if (continued) parts_.wavelet.markNextButton(nullptr);
    shell.ContinueRequested = false;
    return continued;
}

bool ShellController::FormCloseQuery() {
    // "No" has the focus, so a stray Enter starts no save.
    const bool canClose = mayGiveUpResult(pipeline_, ports_, parts_.stages, "Closing Kestrave ",
                                          "Save before quitting ?", mbNo);
    // Whatever the answer, a running loop stops: the window stays when the user stays. With
    // nothing running, a close that stays leaves no cancel behind for the next run.
    if (canClose || ports_.operations.running()) ports_.progress().setCancelRequested(true);
    return canClose;
}

bool ShellController::closeRequested() {
    LongOperations& operations = ports_.operations;
    if (operations.closing()) return !operations.running();
    if (!FormCloseQuery()) return false;
    if (!operations.running()) return true;
    // Destroying the window under a running loop would pull the widgets from under it: the loop
    // sees the cancel at its next poll, and the window closes once it has unwound.
    operations.closeWhenIdle();
    return false;
}

void ShellController::fitPreview() {
    ports_.shell.PreviewFitScale = parts_.align.fitPreview(ports_.shell.PreviewFitted);
}

void ShellController::fitProcessed() {
    ports_.shell.ProcessFitScale = parts_.wavelet.fitProcessedImage(ports_.shell.ProcessFitted);
}

void ShellController::FormKeyDown() {
    if (developerModeOn(parts_.developer))
        hideDeveloperControls(parts_.developer);
    else
        showDeveloperControls(parts_.developer);
}

void ShellController::FormResize() {
    // The layouts place and size the controls; fitted views follow the new box size.
    if (ports_.shell.PreviewFitted) fitPreview();
    if (ports_.shell.ProcessFitted) fitProcessed();
}

void ShellController::PreviewFullClick() {
    ports_.shell.PreviewFitted = parts_.align.fitChosen();
    fitPreview();
}

void ShellController::ProcessViewfullClick() {
    ports_.shell.ProcessFitted = parts_.wavelet.processedViewFitted();
    parts_.wavelet.scrollToOrigin();
    parts_.wavelet.moveProcessedImageToOrigin();
    fitProcessed();
}

bool ShellController::eventFilter(QObject* watched, QEvent* event) {
    if (watched != parts_.speedBar.Cancelbutton) return QObject::eventFilter(watched, event);
    if (event->type() == QEvent::Enter && QApplication::overrideCursor() && !arrowOverCancel_) {
        QApplication::setOverrideCursor(Qt::ArrowCursor);
        arrowOverCancel_ = true;
    } else if (event->type() == QEvent::Leave && arrowOverCancel_) {
        QApplication::restoreOverrideCursor();
        arrowOverCancel_ = false;
    }
    return QObject::eventFilter(watched, event);
}

void ShellController::ShowMemoryUsage() {
    parts_.developer.about.showMemoryUsage(memoryUsageText(pipeline_.memoryFacts()));
}

void ShellController::MailLabelClick() {
    const MemoryFacts memory = pipeline_.memoryFacts();
    parts_.developer.about.showMemoryUsage(memoryUsageText(memory));
    showMemoryReport();
    ErrorReportFacts facts = systemReportFacts(memory);
    facts.version = parts_.speedBar.VersionLabel->text().toStdString();
    facts.fileDate = parts_.speedBar.fshVersionLabel2->text().toStdString();
    facts.imageWidth = pipeline_.model().ImageWidth;
    facts.imageHeight = pipeline_.model().ImageHeight;
    facts.formCaption = parts_.window.windowTitle().toStdString();
    facts.processArea = pipeline_.images().ProcessAreaSize;
    facts.alignBox = pipeline_.fft().FFTSize;
    facts.lastFrame = parts_.align.lastFrameIndex();
    if (const QScreen* screen = parts_.window.screen()) {
        facts.screenDepth = screen->depth();
        facts.screenWidth = screen->size().width();
        facts.screenHeight = screen->size().height();
    }
    parts_.developer.about.setErrorReportLink(errorReportLink(facts));
}

}  // namespace kestrave
