#include "shell/startup_stand_ins.h"

#include "shell/application_context.h"
#include "shell/controllers/input_controller.h"
#include "shell/main_form.h"

namespace kestrave {

void AttachBalloons(TMainForm&, QWidget*) {}

void SpeedButton1Click(TMainForm&) {}

void LanguageboxChange(TMainForm&) {}

void newversion(TMainForm&) {}

void createCurveObjects(TMainForm&) {}

void GammaSplineGraphDblClick(TMainForm&) {}

void LoadProjectClick(TMainForm& form) {
    if (form.dialogs.OpenDialog2.FilterIndex == 2) {
        form.input->loadFrameList(form.dialogs.OpenDialog2.FileName);
        return;
    }
    form.app.messages().error(
        "Project", "Loading " + form.dialogs.OpenDialog2.FileName.string() + " is not yet supported");
}

}  // namespace kestrave
