#include "shell/controllers/stack_controller.h"

#include "shell/main_form.h"
#include "shell/pages/stack_page.h"
#include "widgets/check_box.h"

namespace kestrave {

StackController::StackController(TMainForm& form) : form_(form) {
    connect(form.stackPage->Showstackgraph, &TPCheck::OnClick, this, &StackController::ShowstackgraphClick);
}

void StackController::ShowstackgraphClick() {
    ToolWindow& window = *form_.tools.Stackgraphpanel;
    window.setVisible(form_.stackPage->Showstackgraph->Checked());
    if (window.isVisible()) window.raise();
}

}  // namespace kestrave
