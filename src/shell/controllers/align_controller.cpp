#include "shell/controllers/align_controller.h"

#include "registration/debayer_switch.h"
#include "shell/application_context.h"
#include "shell/controllers/input_controller.h"
#include "shell/main_form.h"
#include "shell/pages/align_page.h"
#include "shell/pages/stack_page.h"
#include "shell/pages/wavelet_page.h"
#include "widgets/check_box.h"

namespace kestrave {

AlignController::AlignController(TMainForm& form) : form_(form) {
    connect(form.alignPage->Avidebay, &TPCheck::OnClick, this, &AlignController::AVIDEBAYClick);
}

void AlignController::applyDebayerSwitch() {
    ApplicationContext& app = form_.app;
    const bool highBitSer = app.model.InputIsSER && app.input.readers.SerPixelDepth > 8;
    const DebayerSwitchResult result =
        switchDebayer(app.debayer, form_.alignPage->Avidebay->Checked(), highBitSer, app.messages());
    TPCheck& colourstack = *form_.alignPage->Colourstack;
    colourstack.setCaption(QString::fromStdString(result.colourstackCaption));
    if (result.checkColour) {
        for (TPCheck* colour : {&colourstack, form_.waveletPage->Colourprocess2}) {
            colour->setEnabled(true);
            colour->setChecked(true);
        }
    }
}

void AlignController::AVIDEBAYClick() {
    applyDebayerSwitch();
    if (form_.app.state.ProcessStage >= TProcessStage::stInputLoaded) form_.input->PreviewSliderChange();
}

void AlignController::AlignmethodClick() {}

}  // namespace kestrave
