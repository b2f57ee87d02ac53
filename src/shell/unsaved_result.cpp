#include "shell/unsaved_result.h"

#include "platform/message_port.h"
#include "shell/shell_ports.h"
#include "shell/shell_rules.h"
#include "shell/window_entry_points.h"

namespace kestrave {

bool mayGiveUpResult(const Pipeline& pipeline, ShellPorts& ports, WindowEntryPoints& entries,
                     const std::string& caption, const std::string& question, std::uint16_t focus) {
    if (!closeNeedsQuestion(ports.shell.ImageSaved, pipeline.state().activepage)) return true;
    const std::uint16_t answer = ports.messages().ask(mtCustom, caption, "You have not saved.\n\r" + question,
                                                      mbYesNoCancel, mrNo, {}, focus);
    if (answer == mrYes) entries.SaveBMP2buttonClick();
    return closeProceeds(answer, ports.shell.ImageSaved);
}

}  // namespace kestrave
