#include "shell/startup_stand_ins.h"

#include <QWidget>

#include "assistant/assistant.h"
#include "shell/assistant_handlers.h"

namespace kestrave {

void AttachBalloons(QWidget* target) {
    if (!target) return;
    if (TAssistant* assistant = windowAssistant(*target->window())) assistant->AttachBalloons(target);
}


}  // namespace kestrave
