#pragma once
// The question asked before an unsaved stack or wavelet result is given up: by closing the
// window, or by a new input (another recording, dropped files, a frame list, a project).

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace kestrave {

class Pipeline;
class ShellPorts;
class AreaStages;
struct ShellState;

// The result as the savers would write it now: the processed view and the 16-bit result image.
std::size_t resultFingerprint(const Pipeline& pipeline);
// A saver wrote the result: it counts as saved for as long as it stays as it was written.
void markResultSaved(ShellState& shell, const Pipeline& pipeline);
// Every change of the result since it was saved (a layer slider, a colour, a curve, a tone
// control) marks it unsaved again.
void noteResultChanges(ShellState& shell, const Pipeline& pipeline);

// "You have not saved." and `question`, asked under `caption` with Yes, No and Cancel when a stack
// exists and its result was not saved as it is now. Yes saves the wavelet image and goes on only when a file
// was written; No goes on without saving; Cancel keeps everything. `focus` is the button that takes the
// keyboard focus. True when the caller may go on; a batch run always goes on.
bool mayGiveUpResult(const Pipeline& pipeline, ShellPorts& ports, AreaStages& stages,
                     const std::string& caption, const std::string& question, std::uint16_t focus);

// Before an alignment pass over a stack: a cancelled pass gives the stack and its result up (the
// later pages close), so an unsaved result is given up only as mayGiveUpResult asks.
bool mayAlignAgain(const Pipeline& pipeline, ShellPorts& ports, AreaStages& stages);

// The passes the user starts over a stack that, finished, replace it and its processed result or,
// cancelled, leave the Wavelet and Final pages closed with the result out of reach. (A cancelled
// stacking run keeps the stack it was to replace, and asks nothing.)
enum class PassOverResult {
    Optimize,   // "Optimize", optimize-and-stack, and the alignment points' optimizer they run
    Reference,  // "Create": a new reference from the best frames
};

// The user's click on such a pass: `pass` runs once mayGiveUpResult lets it (an unsaved result is
// saved or given up first). A click that another running operation refuses asks nothing.
void runPassOverResult(const Pipeline& pipeline, ShellPorts& ports, AreaStages& stages, PassOverResult kind,
                       const std::function<void()>& pass);

}  // namespace kestrave
