#include "shell/unsaved_result.h"

#include "platform/message_port.h"
#include "shell/application_context.h"
#include "shell/shell_rules.h"
#include "shell/window_entry_points.h"

namespace kestrave {

bool mayGiveUpResult(ApplicationContext& app, WindowEntryPoints& entries, const std::string& caption,
                     const std::string& question, std::uint16_t focus) {
    if (!closeNeedsQuestion(app.shell.ImageSaved, app.pipeline.state().activepage)) return true;
    const std::uint16_t answer = app.messages().ask(mtCustom, caption, "You have not saved.\n\r" + question,
                                                    mbYesNoCancel, mrNo, {}, focus);
    if (answer == mrYes) entries.SaveBMP2buttonClick();
    return closeProceeds(answer, app.shell.ImageSaved);
}

}  // namespace kestrave
