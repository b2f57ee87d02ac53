#include "shell/controllers/stack_controller.h"

#include "shell/application_context.h"
#include "shell/main_form.h"
#include "shell/pages/frame_windows.h"
#include "shell/pages/stack_page.h"
#include "widgets/check_box.h"
#include "widgets/slider.h"

namespace kestrave {

StackController::StackController(TMainForm& form) : form_(form) {
    connect(form.stackPage->Showstackgraph, &TPCheck::OnClick, this, &StackController::ShowstackgraphClick);
    connect(form.frameWindows.StackSlider, &TRxSlider::OnChange, this, &StackController::StackSliderChange);
}

void StackController::ShowstackgraphClick() {
    ToolWindow& window = *form_.tools.Stackgraphpanel;
    window.setVisible(form_.stackPage->Showstackgraph->Checked());
    if (window.isVisible()) window.raise();
}

void StackController::StackSliderChange() {}

void StackController::StackButtonClick() {
    const LongOperation operation(form_.app.operations);
    if (!operation) return;
    ProgramState& state = form_.app.state;
    state.progstatus = TProgStatus::psStacked;
    state.activepage = TMainTab::tabFinal;
    state.WaveletTabPending = true;
}

}  // namespace kestrave
