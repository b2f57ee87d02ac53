#include "shell/startup_stand_ins.h"

#include <QWidget>

#include "assistant/assistant.h"
#include "shell/assistant_handlers.h"

#include "shell/controllers/input_controller.h"
#include "shell/file_dialogs.h"
#include "shell/message_routine.h"

namespace kestrave {

void AttachBalloons(QWidget* target) {
    if (!target) return;
    if (TAssistant* assistant = windowAssistant(*target->window())) assistant->AttachBalloons(target);
}

void LoadProjectClick(const TFileDialog& OpenDialog2, InputController& input, MessageRoutine& messages) {
    if (OpenDialog2.FilterIndex == 2) {
        input.loadFrameList(OpenDialog2.FileName);
        return;
    }
    messages.error("Project", "Loading " + OpenDialog2.FileName.string() + " is not yet supported");
}

}  // namespace kestrave
