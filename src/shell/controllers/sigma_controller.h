#pragma once
// Handlers of sigma clipping and sigma events: the two-pass sigma stack of the Stack page, the
// "Sigma event recording" tool window (recording run, event list, viewer, event box and its
// file).
//
// The event list and the viewer read the input's saved event list (".kel"): the working log
// "Sigmaini.ini" is rebuilt by every recording run of any input, the saved list belongs to this
// input.

#include <QObject>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

#include "shell/file_dialogs.h"

class QPainter;

namespace kestrave {

class Pipeline;
class ShellPorts;
class StackPage;
class StackController;
struct FrameWindows;
struct SigmaEventsWindow;
struct ToolWindows;

// What the sigma handlers work with: the program state, the Stack page (its sigma stack button
// and picture), the Align page's frame-number box, preview slider and folder, the stack slider,
// the sigma event window and its tool window, and the stack controller that runs the stacks.
struct SigmaControllerParts {
    Pipeline& pipeline;
    ShellPorts& ports;
    StackPage& stackPage;
    FrameWindows& frameWindows;
    SigmaEventsWindow& sigmaEventsWindow;
    ToolWindows& tools;
    // The Stack page's own handlers, of this area: the stacking run, its options and cut-offs.
    StackController& stack;
};

class SigmaController : public QObject {
public:
    explicit SigmaController(const SigmaControllerParts& parts);
    ~SigmaController() override;

    // The two-pass sigma stack (also the recording run's, with `Recordsigma` checked). Drizzling
    // and resampling are switched off after a question; a run whose statistics pass does not
    // complete ends there.
    void StatisticalstackbuttonClick();
    // "Search Events": the default box, the window to the front, "Load events" enabled when the
    // input has a saved event list.
    void Recordingbutton1Click();
    // The recording run with the window's sigma factor; the first completed one of an input
    // keeps its log as the input's saved event list, which is then listed.
    void StartClick();
    // "Load events": lists the frames of the saved event list, marked by whether their largest
    // event passes the window's sigma factor.
    void Button4Click();
    // A frame chosen in the list: its key=value lines, and with AutoFrame the frame itself.
    void SigmalistClick();
    // Shows the chosen frame on the stack picture with a circle around each of its events that
    // passes the window's sigma factor.
    void ShowframeClick();
    void SigmaeventsigmaChange();
    // The default box: the stack image less the margin SigmaEdge on every side.
    void SigmaEdgechange();
    // The box moved: the shown frame is drawn again with the box on it.
    void SigmaboxtopChange();
    void NextFrameClick();
    void PreviousFrameClick();
    void SaveedgeboxClick();
    void LoadedgeboxClick();

    // The frame index the viewer shows.
    int ShownEventFrame = 0;
    TFileDialog SaveBoxdialog;
    TFileDialog Loadboxdialog;

private:
    // The sigma stack of StatisticalstackbuttonClick; true when a recording run completed and
    // wrote its log.
    bool runSigmaStack();
    bool savedListExists() const;
    // What `read` takes from the saved event list; none (with the reason shown) when the list
    // cannot be read.
    template <class Read>
    auto fromSavedList(Read&& read) -> std::optional<decltype(read())>;
    // The 1-based frame number of the chosen list line.
    std::optional<int> chosenFrame() const;
    // The stack slider to the last stacked rank that holds the frame (the frame shows).
    void showFrameAtRank(int frame);
    void drawOnStackimage(const std::function<void(QPainter&)>& draw);
    void setBoxEdges(int top, int left, int right, int bottom);

    SigmaControllerParts parts_;
};

}  // namespace kestrave
