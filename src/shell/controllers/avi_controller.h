#pragma once
// Handlers of the Stack page's AVI writers: the registered video (`RegisterAVIClick`) and the
// integrated video (`IntegratedClick`). Each reads its controls into the writer's options, asks
// for the file, and runs the writer of the output library on the frames of the current input.

#include <QObject>
#include <functional>
#include <memory>

class QProgressBar;

namespace kestrave {

class AlignPage;
class FrameSource;
class Pipeline;
class ShellPorts;
class StackController;
class AviControls;
struct TFileDialog;

// What the AVI handlers work with: the program state (the stack count's range is the stack
// list), the AVI controls, the Align page (save folder, the input's last frame), the AVI save
// dialog, the progress bar, the stack's options and the input's frame source.
struct AviControllerParts {
    Pipeline& pipeline;
    ShellPorts& ports;
    AviControls& controls;
    AlignPage& alignPage;
    TFileDialog& SaveDialog6;
    QProgressBar& ProgressBar1;
    // The Stack page's handlers, of this area: the options each group of the integrated video is
    // stacked with.
    const StackController& stack;
};

class AviController : public QObject {
public:
    explicit AviController(const AviControllerParts& parts);

    // Writes every frame of the stack list that is not excluded, cut out around the feature (an
    // alignment box) or over the area every frame covers, so the object stands still.
    void RegisterAVIClick();
    // Writes a video whose every frame stacks `Integratestep` neighbouring frames of the stack
    // list (a moving average or one frame per group); the user's exclusions and stack stay.
    void IntegratedClick();

    // Where the writers read their frames: a new source of the current input (the default), or
    // frames a test holds in memory.
    using FrameSourceFactory = std::function<std::unique_ptr<FrameSource>()>;
    void setFrameSourceFactory(FrameSourceFactory factory) { frameSources_ = std::move(factory); }

private:
    // The save folder is the dialog's start; false when the folder cannot be made or the dialog
    // was cancelled.
    bool chooseFile();
    // Runs a writer under the busy cursor and reports its failure.
    template <class Write>
    void runWriter(Write&& write);

    AviControllerParts parts_;
    FrameSourceFactory frameSources_;
};

}  // namespace kestrave
