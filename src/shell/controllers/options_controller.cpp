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
#include "stacking/stack_style_values.h"
#include "widgets/check_box.h"
#include "widgets/radio_group.h"
#include "widgets/slider.h"
#include "widgets/spin_edit.h"

namespace kestrave {

OptionsController::OptionsController(const OptionsControllerParts& parts) : parts_(parts) {
    connect(&parts.align, &AlignPage::debayerMethodChosen, this, &OptionsController::debayergroupClick);
    connect(&parts.stack, &StackPage::stackStylePicked, this, &OptionsController::ResampleDrizzlegroupClick);
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

// --- The style of a stack ------------------------------------------------------------------------

void OptionsController::ResampleDrizzlegroupClick() {
    const StackStyleChoice choice =
        parts_.pipeline.chooseStackStyle(parts_.stack.pickedStackStyle(), parts_.messages);
    parts_.stack.applyStackStyle(choice);
    if (choice.style == StackStyle::Resampling) {
        // The resampling controls show, the wavelet page's Drizzle2 follows Drizzling, and
        // neither the expanded canvas nor realigning on the result goes with it.
        parts_.stages.applyResamplingChoice();
        parts_.pipeline.setResampleFactor(parts_.stack.resampleFactor());
    } else {
        // Drizzle2 follows Drizzling, so that no drizzle-sized canvas outlives the choice.
        parts_.stages.applyDrizzlingChoice();
    }
}

}  // namespace kestrave
