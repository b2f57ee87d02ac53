#pragma once
// The question asked before an unsaved stack or wavelet result is given up: by closing the
// window, by a new input (another recording, dropped files, a frame list, a project), or by a
// pass over it (Align, Limit, the optimizer, Create, a master frame).

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

// The passes the user starts over a stack that give it and its processed result up: finished they
// replace them; cancelled, or by what they do at once (the frame limit), they leave the Wavelet and
// Final pages closed with the result out of reach. (A cancelled stacking run keeps the stack it was
// to replace, and asks nothing.)
enum class PassOverResult {
    Align,        // "Align": a new alignment pass, one box or the placed points
    Limit,        // "Limit": the frame limit moves the program back to the Optimize page
    Optimize,     // "Optimize", optimize-and-stack, and the alignment points' optimizer they run
    Reference,    // "Create": a new reference from the best frames
    MasterFrame,  // a master dark or flat frame stacked from every frame of the input
};

// The one question before such a pass: mayGiveUpResult under the pass's own caption and question,
// "Cancel" focused. True when the pass may run.
bool mayRunPassOverResult(const Pipeline& pipeline, ShellPorts& ports, AreaStages& stages,
                          PassOverResult kind);

// The user's click on such a pass: `pass` runs once mayRunPassOverResult lets it (an unsaved result
// is saved or given up first). A click that another running operation refuses asks nothing.
void runPassOverResult(const Pipeline& pipeline, ShellPorts& ports, AreaStages& stages, PassOverResult kind,
                       const std::function<void()>& pass);

}  // namespace kestrave
