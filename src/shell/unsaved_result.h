#pragma once
// The question asked before an unsaved stack or wavelet result is given up: by closing the
// window, or by a new input (another recording, dropped files, a frame list, a project).

#include <cstdint>
#include <string>

namespace kestrave {

class Pipeline;
class ShellPorts;
class WindowEntryPoints;

// "You have not saved." and `question`, asked under `caption` with Yes, No and Cancel when a stack
// exists and nothing was saved since. Yes saves the wavelet image and goes on only when a file was
// written; No goes on without saving; Cancel keeps everything. `focus` is the button that takes
// the keyboard focus. True when the caller may go on; a batch run always goes on.
bool mayGiveUpResult(const Pipeline& pipeline, ShellPorts& ports, WindowEntryPoints& entries,
                     const std::string& caption, const std::string& question, std::uint16_t focus);

}  // namespace kestrave
