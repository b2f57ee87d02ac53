#include "shell/controllers/align_option_handlers.h"

#include <algorithm>

#include "shell/area_stages.h"
#include "shell/controllers/align_controller.h"
#include "shell/pages/align_page.h"
#include "shell/tool_windows.h"

namespace kestrave {

namespace {

// The break window's distance from the top of the main window.
constexpr int HaltWindowTop = 88;

}  // namespace

AlignOptionHandlers::AlignOptionHandlers(const AlignControllerParts& parts)
    : page_(parts.page), pipeline_(parts.pipeline), tools_(parts.tools), stages_(parts.stages) {
    connect(&page_, &AlignPage::previewGammaClicked, this, &AlignOptionHandlers::PregammaClick);
    connect(&page_, &AlignPage::previewGammaChanged, this, &AlignOptionHandlers::PreviewgammaChange);
    connect(&page_, &AlignPage::negativePreviewClicked, this, &AlignOptionHandlers::NegativeimageClick);
    connect(&page_, &AlignPage::inputStretchChosen, this, &AlignOptionHandlers::FittifstretchClick);
    connect(&page_, &AlignPage::haltWindowClicked, this, &AlignOptionHandlers::HaltwindowClick);
    connect(&page_, &AlignPage::gotoFrameRequested, this, &AlignOptionHandlers::SlidersetChange);
    connect(&page_, &AlignPage::saveSubfolderClicked, this, &AlignOptionHandlers::SaveSubcontrolClick);
    // The calibration boxes wait for a frame to use.
    page_.disallowCalibration(CalibrationKind::Dark);
    page_.disallowCalibration(CalibrationKind::Flat);
    runHeard_ = pipeline_.subscribe([this](PipelineChange change) {
        if (change == PipelineChange::Calibration) showCalibrationSwitching();
        if (change == PipelineChange::ProjectStep) showReplayStep();
    });
    connect(&page_, &AlignPage::darkFrameClicked, this, &AlignOptionHandlers::UsedarkframeClick);
    connect(&page_, &AlignPage::rawDarkClicked, this, &AlignOptionHandlers::RawdarkClick);
    // Closing one of the page's tool windows releases the switch that opened it.
    page_.releaseSwitchesOnClose(tools_);
    keepFolders();
    connect(&page_, &AlignPage::foldersChanged, this, &AlignOptionHandlers::keepFolders);
}

void AlignOptionHandlers::keepFolders() {
    pipeline_.chooseFolders(page_.saveFolderChoice());
}

// --- How the preview shows a frame ---------------------------------------------------------------

void AlignOptionHandlers::PregammaClick() {
    page_.showPreviewGammaControls(page_.previewGammaShown());
    stages_.showFrameAgain();
}

void AlignOptionHandlers::PreviewgammaChange() {
    pipeline_.setPreviewGamma(page_.previewGamma());
    stages_.showFrameAgain();
}

void AlignOptionHandlers::NegativeimageClick() {
    stages_.showFrameAgain();
    page_.allowPreviewGamma(!page_.negativeShown());
}

void AlignOptionHandlers::FittifstretchClick() {
    pipeline_.setInputStretch(page_.stretchesInput());
}

// --- The break window ----------------------------------------------------------------------------

void AlignOptionHandlers::HaltwindowClick() {
    ToolWindow& window = *tools_.Registerhaltwindow;
    const bool shown = page_.haltWindowChosen();
    window.setVisible(shown);
    if (!shown) return;
    window.raise();
    // At the picture's right edge, but never beyond the main window's; never left of it either.
    const QRect main = page_.window()->frameGeometry();
    const int width = window.frameGeometry().width();
    const int left = std::max(0, std::min(page_.previewWidth(), main.width()) - width);
    window.move(main.left() + left, main.top() + HaltWindowTop);
}

// --- Frames, folders and calibration -------------------------------------------------------------

void AlignOptionHandlers::SlidersetChange() {
    page_.goToTypedFrame();
}

void AlignOptionHandlers::SaveSubcontrolClick() {
    page_.followSaveSubfolderChoice();
}

void AlignOptionHandlers::showCalibrationSwitching() {
    const CalibrationSwitching& switching = pipeline_.calibrationSwitching();
    if (switching.offered) page_.allowCalibration(switching.kind);
    if (switching.used) page_.useCalibration(switching.kind);
    if (switching.grey) page_.setColourInput(false);
    page_.switchCalibrationOff(switching.darkOff, switching.flatOff, switching.rawDarkOff);
    if (switching.refused) page_.disallowCalibration(switching.kind);
}

void AlignOptionHandlers::showReplayStep() {
    const ReplayShowing& shown = pipeline_.replayShown();
    switch (shown.step) {
        case ReplayShown::None:
        case ReplayShown::PointCutoffs:
        case ReplayShown::OptimizerPasses:
            break;
        case ReplayShown::ProjectTaken:
            page_.showReferenceFrame(pipeline_.registration().refframe);
            page_.setAlignMethodIndex(pipeline_.alignPoints().MultiPointMode ? AlignMethodMultipoint
                                                                             : AlignMethodSingle);
            break;
        // Ticked, the box shows its windows as a click on it does (the replay's next step).
        case ReplayShown::RegistrationGraph:
            page_.setGraphWindowChosen(true);
            break;
        case ReplayShown::BeforeReference:
            page_.hideFeatureHint();
            break;
        case ReplayShown::AfterReference:
            if (page_.fftWindowChosen()) {
                tools_.FFTWindow->show();
                tools_.FFTWindow->raise();
            }
            if (page_.graphWindowChosen()) tools_.Registrationgraphwindow->show();
            tools_.SelectFrameswindow->hide();
            break;
        case ReplayShown::StackControls:
            page_.setPreviewPosition(shown.previewPosition);
            break;
    }
}

void AlignOptionHandlers::UsedarkframeClick() {
    if (page_.usesDarkFrame()) page_.switchCalibrationOff(false, false, true);
}

void AlignOptionHandlers::RawdarkClick() {
    page_.setUsesDarkFrame(!page_.usesRawDark());
    stages_.showFrameAgain();
}

}  // namespace kestrave
