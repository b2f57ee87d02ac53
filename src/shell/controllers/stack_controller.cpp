#include "shell/controllers/stack_controller.h"

#include <QComboBox>
#include <QPushButton>
#include <algorithm>

#include "frames/input_sources.h"
#include "shell/application_context.h"
#include "shell/controllers/input_controller.h"
#include "shell/main_form.h"
#include "shell/pages/align_page.h"
#include "shell/pages/frame_windows.h"
#include "shell/pages/stack_page.h"
#include "stacking/stack_frames.h"
#include "widgets/check_box.h"
#include "widgets/slider.h"
#include "widgets/spin_edit.h"

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
    ApplicationContext& app = form_.app;
    const StackPage& page = *form_.stackPage;
    const FrameWindows& windows = form_.frameWindows;
    StackOptions options;
    options.StackSlider = {windows.StackSlider->Value(), windows.StackSlider->Tag()};
    options.differencecutslider = windows.differencecutslider->Value();
    options.Colourstack = form_.alignPage->Colourstack->Checked();
    options.Resampled = page.Resampled->Checked();
    options.ResampleFactor = static_cast<float>(page.ResampleSpin->Value());
    options.ResampleMethod = std::max(page.ResampleMethod->currentIndex(), 0);
    options.Drizzling = options.Drizzle2 = page.Drizzling->Checked();
    options.DebayerEnabled = app.debayer.DebayerEnabled;
    options.FitsBitpix = app.input.readers.FitsBitpix;
    options.SerPixelDepth = app.input.readers.SerPixelDepth;
    try {
        const std::unique_ptr<InputFrameSource> frames = makeFrameSource(
            app.model, form_.alignPage->PreviewSlider->MaxValue(), form_.input->readSourceOptions());
        stackFrames(app.model, app.state, app.images, options, *frames, app.progress(), app.messages());
    } catch (const KestraveError& error) {
        app.messages().NewMessagedlg("Stacking", error.what(), mtError, mbOK, 0, false, "");
    }
}

}  // namespace kestrave
