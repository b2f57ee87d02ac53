#include "shell/controllers/options_controller.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <algorithm>

#include "shell/area_stages.h"
#include "shell/pages/align_page.h"
#include "shell/pages/stack_page.h"
#include "shell/shell_ports.h"
#include "shell/tool_windows.h"
#include "shell/window_entry_points.h"
#include "widgets/check_box.h"
#include "widgets/radio_group.h"
#include "widgets/slider.h"
#include "widgets/spin_edit.h"

namespace kestrave {

namespace {

// The break window's distance from the top of the main window.
constexpr int HaltWindowTop = 88;

}  // namespace

OptionsController::OptionsController(const OptionsControllerParts& parts) : parts_(parts) {
    connect(&parts.align, &AlignPage::debayerMethodChosen, this, &OptionsController::debayergroupClick);
    connect(&parts.align, &AlignPage::previewGammaClicked, this, &OptionsController::PregammaClick);
    connect(&parts.align, &AlignPage::previewGammaChanged, this, &OptionsController::PreviewgammaChange);
    connect(&parts.align, &AlignPage::negativePreviewClicked, this, &OptionsController::NegativeimageClick);
    connect(&parts.align, &AlignPage::inputStretchChosen, this, &OptionsController::FittifstretchClick);
    connect(&parts.align, &AlignPage::haltWindowClicked, this, &OptionsController::HaltwindowClick);
    connect(parts.tools.Cancel2button, &QPushButton::clicked, this, &OptionsController::Cancel2buttonClick);
}

void OptionsController::showFrameAgain() {
    parts_.stages.showFrameAgain();
}

// --- How the preview shows a frame ---------------------------------------------------------------

void OptionsController::debayergroupClick() {
    if (!parts_.shellState.StartingUp) showFrameAgain();
}

void OptionsController::PregammaClick() {
    parts_.align.showPreviewGammaControls(parts_.align.previewGammaShown());
    showFrameAgain();
}

void OptionsController::PreviewgammaChange() {
    parts_.pipeline.setPreviewGamma(parts_.align.previewGamma());
    showFrameAgain();
}

void OptionsController::NegativeimageClick() {
    showFrameAgain();
    parts_.align.allowPreviewGamma(!parts_.align.negativeShown());
}

void OptionsController::FittifstretchClick() {
    parts_.pipeline.setInputStretch(parts_.align.stretchesInput());
}

// --- The break window ----------------------------------------------------------------------------

void OptionsController::HaltwindowClick() {
    ToolWindow& window = *parts_.tools.Registerhaltwindow;
    const bool shown = parts_.align.haltWindowChosen();
    window.setVisible(shown);
    if (!shown) return;
    window.raise();
    // At the picture's right edge, but never beyond the main window's; never left of it either.
    const QRect main = parts_.window.frameGeometry();
    const int width = window.frameGeometry().width();
    const int left = std::max(0, std::min(parts_.align.previewWidth(), main.width()) - width);
    window.move(main.left() + left, main.top() + HaltWindowTop);
}

void OptionsController::Cancel2buttonClick() {
    parts_.entries.CancelButtonClick();
}

}  // namespace kestrave
