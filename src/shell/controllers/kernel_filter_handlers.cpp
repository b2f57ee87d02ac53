// The handlers of the two 3 x 3 kernel editors: the prefilter on the Optimize page and the stack
// filter on the Stack page. Both write the one kernel store of the program state.

#include <QComboBox>
#include <QPushButton>

#include "shell/application_context.h"
#include "shell/controllers/kernel_editing.h"
#include "shell/controllers/optimize_controller.h"
#include "shell/controllers/stack_controller.h"
#include "shell/pages/optimize_page.h"
#include "shell/pages/stack_page.h"
#include "widgets/check_box.h"

namespace kestrave {

void OptimizeController::connectPrefilter() {
    const KernelEditor& editor = page_.prefilter();
    connect(editor.reset, &QPushButton::clicked, this, &OptimizeController::ResetPrefilterClick);
    connect(editor.set, &QPushButton::clicked, this, &OptimizeController::SetprefilterClick);
    connect(editor.active, &TPCheck::OnClick, this, &OptimizeController::FilteralignmentClick);
    connect(editor.preset, &QComboBox::activated, this, &OptimizeController::FiltertypeChange);
}

void OptimizeController::ResetPrefilterClick() {
    resetKernel(page_.prefilter(), app_.pipeline.editRun().state.Kernel3x3);
}

void OptimizeController::SetprefilterClick() {
    takeKernel(page_.prefilter(), app_.pipeline.editRun().state.Kernel3x3);
}

void OptimizeController::FilteralignmentClick() {
    takeKernel(page_.prefilter(), app_.pipeline.editRun().state.Kernel3x3);
}

void OptimizeController::FiltertypeChange() {
    choosePresetKernel(page_.prefilter(), app_.pipeline.editRun().state.Kernel3x3);
}

void StackController::connectStackFilter() {
    const KernelEditor& editor = parts_.stackPage.stackFilter();
    connect(editor.reset, &QPushButton::clicked, this, &StackController::StackfilterresetbuttonClick);
    connect(editor.set, &QPushButton::clicked, this, &StackController::StackfiltersetbuttonClick);
    connect(editor.active, &TPCheck::OnClick, this, &StackController::StackfiltersetClick);
    connect(editor.preset, &QComboBox::activated, this, &StackController::StackfiltermethodChange);
}

void StackController::StackfilterresetbuttonClick() {
    resetKernel(parts_.stackPage.stackFilter(), parts_.app.pipeline.editRun().state.Kernel3x3);
}

void StackController::StackfiltersetbuttonClick() {
    takeKernel(parts_.stackPage.stackFilter(), parts_.app.pipeline.editRun().state.Kernel3x3);
}

void StackController::StackfiltersetClick() {
    takeKernel(parts_.stackPage.stackFilter(), parts_.app.pipeline.editRun().state.Kernel3x3);
}

void StackController::StackfiltermethodChange() {
    choosePresetKernel(parts_.stackPage.stackFilter(), parts_.app.pipeline.editRun().state.Kernel3x3);
}

}  // namespace kestrave
