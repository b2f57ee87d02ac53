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

OptionsController::OptionsController(const OptionsControllerParts& parts) : parts_(parts) {
    connect(&parts.align, &AlignPage::debayerMethodChosen, this, &OptionsController::debayergroupClick);
    connect(parts.tools.Cancel2button, &QPushButton::clicked, this, &OptionsController::Cancel2buttonClick);
}

void OptionsController::showFrameAgain() {
    parts_.stages.showFrameAgain();
}

// --- How the preview shows a frame ---------------------------------------------------------------

void OptionsController::debayergroupClick() {
    if (!parts_.shellState.StartingUp) showFrameAgain();
}

// --- The break window ----------------------------------------------------------------------------

void OptionsController::Cancel2buttonClick() {
    parts_.entries.CancelButtonClick();
}

}  // namespace kestrave
