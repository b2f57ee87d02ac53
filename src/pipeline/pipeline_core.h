#pragma once
// The run's state and what every stage of the pipeline shares: the state of one run, the changes
// an operation announces, the const accessors through which the run is read and the observers
// that hear the announcements. The stages (input_stage.h, align_stage.h, …) derive from it and
// `Pipeline` (pipeline.h) joins them into the one object that owns a run.

#include <cstdint>
#include <exception>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "enhance/curve_editing.h"
#include "enhance/final_image.h"
#include "enhance/scheme_types.h"
#include "enhance/tone_tables.h"
#include "enhance/wavelet_area.h"
#include "enhance/wavelet_processing.h"
#include "frames/calibration_frames.h"
#include "frames/frame_browsing.h"
#include "frames/frame_list_entries.h"
#include "frames/frame_model.h"
#include "frames/image_data_section.h"
#include "frames/input_selection.h"
#include "frames/input_sources.h"
#include "frames/memory_facts.h"
#include "frames/per_input_reset.h"
#include "frames/program_state.h"
#include "output/frame_avi.h"
#include "output/info_stamp.h"
#include "output/project_wavelet.h"
#include "output/save_folder_choice.h"
#include "output/save_rules.h"
#include "pipeline/final_data.h"
#include "pipeline/optimize_and_stack.h"
#include "pipeline/replay_showing.h"
#include "pipeline/stack_data.h"
#include "pipeline/wavelet_data.h"
#include "registration/align_frame.h"
#include "registration/align_state.h"
#include "registration/alignment_points.h"
#include "registration/debayer_switch.h"
#include "registration/feature_pick.h"
#include "registration/fft.h"
#include "registration/frame_limit.h"
#include "registration/frame_limit_reference.h"
#include "registration/optimizer_passes.h"
#include "registration/optimizer_state.h"
#include "registration/point_alignment.h"
#include "registration/point_optimizer.h"
#include "registration/registration_state.h"
#include "stacking/sigma_event_values.h"
#include "stacking/sigma_stack.h"
#include "stacking/stack_cutoff_values.h"
#include "stacking/stack_frames.h"
#include "stacking/stack_style_values.h"

namespace kestrave {

class Pipeline;

// How the frames are to be aligned, as the Align page's choice last set it up.
enum class AlignSetup {
    OneBox,         // one box aligns the frames
    NoAlignment,    // the frames keep no shift
    PlacingPoints,  // alignment points are being placed
    PointsPlaced,   // the placing ended; the points wait for their pass
};

// The last choice of colour or black-and-white processing an operation made, and what made it:
// the input (its first picture judged, or the user's answer to the question), the debayer switch
// turned on (colour), or the user's colour switch on the Align page.
struct ColourChoice {
    enum class By : std::uint8_t { Input, Debayering, User };
    bool colour = false;
    By by = By::Input;
};

// The state of one run.
struct RunState {
    ProgramState state;
    FrameModel model;
    ImageDataSection images;
    // The wavelet page's filters, tables and pictures.
    WaveletData wavelet;
    // The curves of the gamma, tone and hue-dependent curve editors.
    CurveObjects curves;
    // The last completed stack.
    StackData stack;
    FftEngine fft;
    RegistrationState registration;
    // The alignment's pass state (the halt button's flag among it) and the optimizer's run state.
    AlignmentState alignment;
    OptimizerState optimizer;
    // The frame limits of the alignment points.
    PointLimits points;
    // The alignment points, the free alignment box and the multi-point mode.
    AlignmentPoints alignPoints;
    // The frame the points were placed on (empty until a setup aligned them).
    Bitmap24 pointsPlacedOn;
    // The input: the shown picture, what the readers found, the current folder, the frame source
    // of the browser; and the debayer switch.
    InputState input;
    DebayerState debayer;
    // The final page's curve tables and pictures.
    FinalData finalImage;
    // The frame limit, committed whole by the stage that sets it, with the stack count and the
    // range it moves in: the ranked frames kept (positions 0 .. rankLimit are browsed, optimized
    // and taken for the reference; 100 before any input), and the last ranking position the stacks
    // take (the limit's, until a stack leaves its own).
    int rankLimit = 100;
    int frameLimit = 0;
    StackCount stackCount;
    // The item of the box sizes the Align page offers that is in force for the alignment point
    // being optimized (-1 before the first).
    int boxSizeItem = -1;
    // What the Wavelet page mirrors: whether the canvas is drizzle-sized (the drizzling chosen),
    // the last colour choice, and the wavelet values a project restored.
    bool drizzled = false;
    ColourChoice colourChoice;
    ProjectWavelet restoredWavelet;
    // The folder the program works in (files are opened and saved there) and the save subfolder
    // chosen beside it, as the Align page's general options show them.
    SaveFolderChoice folders;
    // What the last operation on the calibration frames did to the switches that use them.
    CalibrationSwitching calibrationSwitching;
    // The step of a project's load the pages show next.
    ReplayShowing replayShown;
    // The inputs given up so far (each new input gives up the open one first).
    int inputsGivenUp = 0;
    // The features accepted so far (each click on the preview that sets the feature).
    int featuresAccepted = 0;
    // How the last pass over the frames ended.
    PassEnd lastPassEnd = PassEnd::Finished;
    AlignSetup alignSetup = AlignSetup::OneBox;
};

// What the process stage found: a stack to process, and its layers computed anew (a new result).
struct ProcessStart {
    bool stack = false;
    bool decomposed = false;
};

// What an operation changed, as its observers hear it.
enum class PipelineChange {
    Input,       // a new input was taken (or the input was reset)
    Stage,       // the program state moved on (or back): progstatus, ProcessStage, activepage
    Frames,      // the frame records: shifts, qualities, ranking, exclusions
    Points,      // the alignment points or their limits
    Stack,       // a new stack: its planes, result and picture
    Processed,   // the processed (rendered) picture
    BoxSize,     // the alignment box size in force changed (an alignment point's own size)
    FrameLimit,  // the frame limit changed, and with it perhaps the stack count and its range
    StackCount,  // the stack count or its range changed alone
    StackDepth,  // the processed view holds the stack depth of every pixel
    Preview,     // a frame was read into the shown picture for another page than the browser's
    Drizzle,     // the drizzle-sized canvas chosen or dropped (`drizzled()`)
    StackRun,    // a stack run begins, with its factors in force
    Colour,      // colour or black-and-white processing chosen (`colourChoice()`)
    Wavelet,     // a project's wavelet values restored (`restoredWavelet()`)
    // The calibration frames' switches changed (`calibrationSwitching()`).
    Calibration,
    // A project's load reached a step the pages show (`replayShown()`).
    ProjectStep,
    // An optimizer run moved on: a pass started, a frame taken, the run ended (`optimizerProgress()`).
    Optimizer,
    // The processed picture became the reference, with automatic values (`realignValues()`).
    Realigned,
    // A pass over the frames (one box or the placed points) ended (`lastPassEnd()`).
    PassEnded,
    // The way the frames are aligned was set up anew (`alignSetup()`).
    AlignSetup,
};

// The run's state, read through const accessors, and the announcements of what changed. Only the
// stages write the state; the tests reach it through `PipelineTestAccess`.
class PipelineCore {
public:
    PipelineCore() = default;
    PipelineCore(const PipelineCore&) = delete;
    PipelineCore& operator=(const PipelineCore&) = delete;

    const ProgramState& state() const { return run_.state; }
    const FrameModel& model() const { return run_.model; }
    const ImageDataSection& images() const { return run_.images; }
    const WaveletData& wavelet() const { return run_.wavelet; }
    const CurveObjects& curves() const { return run_.curves; }
    const StackData& stack() const { return run_.stack; }
    const FftEngine& fft() const { return run_.fft; }
    // The side of the alignment box in force: the registration's transform size.
    int boxSide() const { return run_.fft.FFTSize; }
    const RegistrationState& registration() const { return run_.registration; }
    const AlignmentState& alignment() const { return run_.alignment; }
    const OptimizerState& optimizer() const { return run_.optimizer; }
    int rankLimit() const { return run_.rankLimit; }
    int frameLimit() const { return run_.frameLimit; }
    const StackCount& stackCount() const { return run_.stackCount; }
    const PointLimits& points() const { return run_.points; }
    const AlignmentPoints& alignPoints() const { return run_.alignPoints; }
    const InputState& input() const { return run_.input; }
    const DebayerState& debayer() const { return run_.debayer; }
    const FinalData& finalImage() const { return run_.finalImage; }
    const SaveFolderChoice& folders() const { return run_.folders; }
    const CalibrationSwitching& calibrationSwitching() const { return run_.calibrationSwitching; }
    const ReplayShowing& replayShown() const { return run_.replayShown; }

    // The box size item (of the box sizes the Align page offers) in force for the alignment point
    // the optimizer works on: the points' optimizer puts each point's in force as it starts.
    int boxSizeItem() const { return run_.boxSizeItem; }
    // The inputs given up so far: a page that keeps something of the open input sees it go.
    int inputsGivenUp() const { return run_.inputsGivenUp; }
    // The features accepted so far: a page that shows something of the feature sees a new one.
    int featuresAccepted() const { return run_.featuresAccepted; }
    // How the last pass over the frames (one box or the placed points) ended.
    PassEnd lastPassEnd() const { return run_.lastPassEnd; }
    // How the frames are to be aligned, as the last choice set it up.
    AlignSetup alignSetup() const { return run_.alignSetup; }

    // What the Wavelet page mirrors (see RunState).
    bool drizzled() const { return run_.drizzled; }
    const ColourChoice& colourChoice() const { return run_.colourChoice; }
    const ProjectWavelet& restoredWavelet() const { return run_.restoredWavelet; }

    // Observers hear every change an operation announces, in the order they subscribed, for as
    // long as the subscription they were given lives (a window closes, the pipeline stays).
    using Observer = std::function<void(PipelineChange)>;
    class Subscription {
    public:
        Subscription() = default;
        Subscription(PipelineCore& pipeline, int id) : pipeline_(&pipeline), id_(id) {}
        Subscription(Subscription&& other) noexcept : pipeline_(other.pipeline_), id_(other.id_) {
            other.pipeline_ = nullptr;
        }
        Subscription& operator=(Subscription&& other) noexcept;
        Subscription(const Subscription&) = delete;
        Subscription& operator=(const Subscription&) = delete;
        ~Subscription();

    private:
        PipelineCore* pipeline_ = nullptr;
        int id_ = 0;
    };
    [[nodiscard]] Subscription subscribe(Observer observer);

protected:
    ~PipelineCore() = default;

    void announce(PipelineChange change) const;
    // The box size item in force for an alignment point. Announces `BoxSize`.
    void useBoxSizeItem(int item);

    RunState run_;

private:
    // The tests' own access to the run's state and to the announcements.
    friend struct PipelineTestAccess;

    std::vector<std::pair<int, Observer>> observers_;
    int nextObserver_ = 0;
};

}  // namespace kestrave
