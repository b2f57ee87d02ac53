// The handlers of the two 3 x 3 kernel editors: the prefilter on the Optimize page and the stack
// filter on the Stack page. Both write the one kernel store of the program state.

#include <QComboBox>
#include <QPushButton>

#include "shell/controllers/kernel_editing.h"
#include "shell/controllers/optimize_controller.h"
#include "shell/controllers/stack_controller.h"
#include "shell/pages/optimize_page.h"
#include "shell/pages/stack_page.h"
#include "shell/shell_ports.h"
#include "widgets/check_box.h"

namespace kestrave {

namespace {

// One step of a kernel editor on a copy of the kernel in force, which then becomes the program's.
void editKernel(Pipeline& pipeline, const KernelEditor& editor,
                void (*step)(const KernelEditor&, TKernel3x3&)) {
    TKernel3x3 kernel = pipeline.state().Kernel3x3;
    step(editor, kernel);
    pipeline.setKernel(kernel);
}

}  // namespace

void OptimizeController::connectPrefilter() {
    const KernelEditor& editor = page_.prefilter();
    connect(editor.reset, &QPushButton::clicked, this, &OptimizeController::ResetPrefilterClick);
    connect(editor.set, &QPushButton::clicked, this, &OptimizeController::SetprefilterClick);
    connect(editor.active, &TPCheck::OnClick, this, &OptimizeController::FilteralignmentClick);
    connect(editor.preset, &QComboBox::activated, this, &OptimizeController::FiltertypeChange);
}

void OptimizeController::ResetPrefilterClick() {
    editKernel(pipeline_, page_.prefilter(), resetKernel);
}

void OptimizeController::SetprefilterClick() {
    editKernel(pipeline_, page_.prefilter(), takeKernel);
}

void OptimizeController::FilteralignmentClick() {
    editKernel(pipeline_, page_.prefilter(), takeKernel);
}

void OptimizeController::FiltertypeChange() {
    editKernel(pipeline_, page_.prefilter(), choosePresetKernel);
}

void StackController::connectStackFilter() {
    const KernelEditor& editor = parts_.stackPage.stackFilter();
    connect(editor.reset, &QPushButton::clicked, this, &StackController::StackfilterresetbuttonClick);
    connect(editor.set, &QPushButton::clicked, this, &StackController::StackfiltersetbuttonClick);
    connect(editor.active, &TPCheck::OnClick, this, &StackController::StackfiltersetClick);
    connect(editor.preset, &QComboBox::activated, this, &StackController::StackfiltermethodChange);
}

void StackController::StackfilterresetbuttonClick() {
    editKernel(parts_.pipeline, parts_.stackPage.stackFilter(), resetKernel);
}

void StackController::StackfiltersetbuttonClick() {
    editKernel(parts_.pipeline, parts_.stackPage.stackFilter(), takeKernel);
}

void StackController::StackfiltersetClick() {
    editKernel(parts_.pipeline, parts_.stackPage.stackFilter(), takeKernel);
}

void StackController::StackfiltermethodChange() {
    editKernel(parts_.pipeline, parts_.stackPage.stackFilter(), choosePresetKernel);
}

}  // namespace kestrave
