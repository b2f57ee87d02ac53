#pragma once
// The pipeline: everything one run of the program works on, in one owner, and the operations that
// carry the work from an input to the final picture. The window, the batch runner and every test
// build their own; there are no hidden globals. It never touches a widget.
//
// Reading: every part of the run's state is read through a const accessor (`state()`, `model()`,
// `images()`, …).
//
// Changing: through an operation, which takes what the controls say as an options struct, does
// the stage's work on the run's state and returns its result. After an operation the pipeline
// announces what changed (`PipelineChange`) to its observers: a page that shows that part of the
// run redraws itself from the announcement, so the handler that started the work never reaches
// into another page.
//
// One stage from the click to the picture, for a newcomer: the Stack page's "Stack" button runs
// the Stack controller's handler. It reads the page's controls into `StackOptions`, makes the
// factors the program's (`useStackFactors`), opens the frames of the input (`inputFrames`) and
// calls `makeStack`, which stacks the ranked, aligned frames into the image planes (`images()`),
// moves the program state on (`state().progstatus`) and, for a completed stack, keeps it (`stack()`),
// gives the stack picture, its value range, means and luminance histogram to the wavelet data
// (`wavelet()`), keeps the frame limit the stack left (`frameLimit()`) and announces `Stack` and
// `FrameLimit`; the controller shows the picture on its page. Entering the Wavelet page processes that stack (`process`) and renders it; when the render is over
// (`finishRender`) the pipeline announces `Processed`, so the Final page's picture follows.
//
// The program changes the state only through operations, and only the pipeline announces. Tests that
// build a run's state directly reach it through `PipelineTestAccess`, which only the tests define.

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
#include "enhance/final_image.h"
#include "output/save_folder_choice.h"
#include "output/save_rules.h"
#include "pipeline/final_data.h"
#include "pipeline/optimize_and_stack.h"
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

// How the frames of a new input are stretched: FITS, TIFF and SER samples.
struct InputStretches {
    bool fit = false;
    bool tif = false;
    bool ser = false;
};

// What the probe of a new input found that the window shows once the input is taken.
struct ProbedInput {
    InputFilter filter = InputFilter::None;
    bool serBayer = false;
    int serDebayerItem = -1;
    bool luminance = false;
};

// A new input taken: what the window shows of it.
struct InputTaken {
    InputRecord record;
    ProbedInput probed;
};

// The window's part in taking an input (Pipeline::takeInput): what it is told and asked.
class InputTakePorts {
public:
    virtual ~InputTakePorts() = default;
    // The file of the plan that is not there; nothing was opened.
    virtual void missingFile(const std::string& file) = 0;
    // The input could not be read; the current one stays.
    virtual void unreadable(const std::exception& error) = 0;
    // Whether the current work may be given up, and how the new frames are stretched; none when
    // the user keeps the current work.
    virtual std::optional<InputStretches> giveUpCurrent() = 0;
    // The current input is given up: the window puts its controls back (the per-input reset) and
    // shows those of the probed kind. Returns how the new input's frames are read.
    virtual FrameSourceOptions prepareFor(const ProbedInput& probed) = 0;
};

struct ProjectControls;
struct ProjectData;
enum class ProjectForm : std::uint8_t;
struct ProjectOpening;
struct ProjectLoad;
class ProjectReplaySteps;
// The savers' types (output/save_formats.h).
struct SaveOutcome;
enum class StackSaveType;
enum class WaveletSaveType;
enum class ResizeSaveType;
class TTIFFBitMap;

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
    // The frame the points were placed on, kept when their setup aligned the frames on the
    // whole-frame box (empty otherwise).
    Bitmap24 pointsPlacedOn;
    // The input: the shown picture, what the readers found, the current folder, the frame source
    // of the browser; and the debayer switch.
    InputState input;
    DebayerState debayer;
    // The final page's curve tables and pictures.
    FinalData finalImage;
    // The frame limit: the last ranking position the optimizer and the stacks take, as the last
    // limit, alignment, input or stack left it.
    int frameLimit = 0;
    // The stack count and the range it moves in.
    StackCount stackCount;
    // The item of the box sizes the Align page offers that is in force for the alignment point
    // being optimized (-1 before the first).
    int boxSizeItem = -1;
};

// What an operation changed, as its observers hear it.
// What the process stage found: a stack to process, and its layers computed anew (a new result).
struct ProcessStart {
    bool stack = false;
    bool decomposed = false;
};

enum class PipelineChange {
    Input,       // a new input was taken (or the input was reset)
    Stage,       // the program state moved on (or back): progstatus, ProcessStage, activepage
    Frames,      // the frame records: shifts, qualities, ranking, exclusions
    Points,      // the alignment points or their limits
    Stack,       // a new stack: its planes, result and picture
    Processed,   // the processed (rendered) picture
    BoxSize,     // the alignment box size in force changed (an alignment point's own size)
    FrameLimit,  // the frame limit changed
    StackCount,  // the stack count or its range changed
    StackDepth,  // the processed view holds the stack depth of every pixel
    Preview,     // a frame was read into the shown picture for another page than the browser's
};

// What the align stage reaches of whoever runs it: the messages and their questions, the progress
// with its cancel and pause, the pictures and charts of the alignment with its cursor, and the
// frame shown as the reference is taken with the automatic filter values written back.
struct AlignPorts {
    MessagePort& messages;
    ProgressPort& progress;
    AlignmentView& view;
    ReferenceWindow& reference;
};

// What an optimizer run reaches of whoever runs it: the frames it reads, its progress and
// messages, and the view of its passes.
struct OptimizerPorts {
    FrameSource& frames;
    ProgressPort& progress;
    MessagePort& messages;
    OptimizerObserver& observer;
};

// The window's side of the points' setup pass: a point's picture shown while its reference is
// taken, the reference taken with the page's options (the box size item chosen there first; -1
// keeps it), the points done counted, and the frames aligned on the references taken.
class PointPassWindow {
public:
    virtual ~PointPassWindow() = default;
    virtual void pointStarting(int p) = 0;
    virtual PointReference referenceAt(int p, int x, int y, int item) = 0;
    virtual void pointsDone(int done) = 0;
    virtual AlignmentPassResult alignReferences(std::vector<PointReference>& references,
                                                bool manualAlign) = 0;
};

// The points placed and how they are aligned: "Multi-Quantity" measures every point; the first
// point aligned is pointed out by hand; the frame the points were placed on; the input's last frame.
struct PlacedPointsOptions {
    int count = 0;
    bool multiQuantity = false;
    bool manualAlign = false;
    int referenceFrame = 0;
    int lastFrame = 0;
};

// The files of the current input (the video files, the SER file or the frames of a series); no
// save may replace one of them.
std::vector<std::filesystem::path> inputFiles(const FrameModel& model);

// What a save reaches of whoever runs it: the messages with their questions, the settings store
// that remembers the folder and the type (none when it could not be opened) and the version text a
// PNG names ("V4.0.0").
struct SavePorts {
    MessagePort& messages;
    RegSettings* settings = nullptr;
    std::string versionCaption;
};

// The processed picture saved: the chosen file (the dialog's, or the batch's preset name), the
// type of the dialog's filter, whether it is saved in colour, and the info stamp BMP and JPEG
// files carry (none unless it is to be stamped).
struct ProcessedSaveOptions {
    std::filesystem::path file;
    WaveletSaveType type{};  // BMP
    bool colour = false;
    std::optional<StampInfo> stamp;
};

// The final picture saved: the chosen file, the type, the turn, colour and flips it is shown
// with, and the crop BMP and JPEG files take (none unless "Use Cropping" holds one).
struct FinalSaveOptions {
    std::filesystem::path file;
    WaveletSaveType type{};  // BMP
    FinalSettings settings;
    std::optional<TEdgeRect> crop;
};

// How a stacking stage ended, for the window: the outcome, the calibration the run switched off
// (the dark frame, flat field or raw dark did not fit the frames) and, when the stack completed,
// the stack kept (`Pipeline::stack()`; null otherwise).
struct StackEnd {
    StackOutcome outcome = StackOutcome::Failed;
    bool darkSwitchedOff = false;
    bool flatSwitchedOff = false;
    bool rawDarkSwitchedOff = false;
    const StackResult* kept = nullptr;
};

// The end of a sigma-clipped stacking stage and its passes (the published pass moved into the
// kept stack when it completed).
struct SigmaStackEnd {
    StackEnd end;
    SigmaStackRun passes;
};

class Pipeline {
public:
    Pipeline() = default;
    Pipeline(const Pipeline&) = delete;
    Pipeline& operator=(const Pipeline&) = delete;

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
    int frameLimit() const { return run_.frameLimit; }
    const StackCount& stackCount() const { return run_.stackCount; }
    const PointLimits& points() const { return run_.points; }
    const AlignmentPoints& alignPoints() const { return run_.alignPoints; }
    const InputState& input() const { return run_.input; }
    const DebayerState& debayer() const { return run_.debayer; }
    const FinalData& finalImage() const { return run_.finalImage; }

    // Observers hear every change an operation announces, in the order they subscribed, for as
    // long as the subscription they were given lives (a window closes, the pipeline stays).
    using Observer = std::function<void(PipelineChange)>;
    class Subscription {
    public:
        Subscription() = default;
        Subscription(Pipeline& pipeline, int id) : pipeline_(&pipeline), id_(id) {}
        Subscription(Subscription&& other) noexcept : pipeline_(other.pipeline_), id_(other.id_) {
            other.pipeline_ = nullptr;
        }
        Subscription& operator=(Subscription&& other) noexcept;
        Subscription(const Subscription&) = delete;
        Subscription& operator=(const Subscription&) = delete;
        ~Subscription();

    private:
        Pipeline* pipeline_ = nullptr;
        int id_ = 0;
    };
    [[nodiscard]] Subscription subscribe(Observer observer);

    // --- Start-up -------------------------------------------------------------------------------
    // The program's state as a start leaves it: no stage, the Align page, no waiting click, the
    // default kernel, resampling ×2, drizzle ×2, no master-frame mode.
    void setStartState();
    // The standard luminance weights of LRGB and a neutral colour balance.
    void setStandardColourWeights();
    // No pass has run; no video is named.
    void clearProgress();
    void forgetVideoName();
    // The image planes of the processing area the stored item chooses.
    bool createImagePlanes(int processareaItem, ProgressPort& progress, MessagePort& messages);
    // The FFT tables for a box of `size` at (left, top).
    void setUpAlignmentBox(int size, int left, int top);
    // The per-input marks as for a fresh input: no feature, the full level range, the processing
    // area at the origin, no single image.
    void resetMarks();
    // The memory this process holds and the machine has, read from the system now.
    MemoryFacts memoryFacts() const;

    // --- The input ----------------------------------------------------------------------------
    // Before a new input: the furthest page back to Align, one alignment box, no master-frame
    // mode, no feature, no 16-bit PNG. Announces `Stage`.
    void resetBeforeInput();
    // The per-input reset of the tables, the feature, the boxes, the levels and the FFT engine
    // (`controls` are the page's values it keeps), and the shown picture's state.
    ResetResult resetForInput(const ResetControls& controls, ProgressPort& progress);
    // Takes the planned files as the new input, asking the window through `ports`: a missing
    // file or a first frame that cannot be read is told before any question and changes nothing;
    // the current work is given up only when the window agrees, and the window's controls are
    // put back before the probed input becomes the current one. None when the input was not
    // taken (the old one stays). Announces `Input`.
    std::optional<InputTaken> takeInput(const InputPlan& plan, InputTakePorts& ports);
    // Takes the probed input: the frame model, the stage and the shown first frame, with the
    // stretch chosen for FITS, TIFF and SER frames; the input's last frame index is kept
    // (`input().lastIndex`). Announces `Input`. Throws FileError when a SER
    // file can no longer be opened (nothing is announced then).
    InputRecord takeInput(InputProbe&& probe, const FrameSourceOptions& options, bool fitStretch,
                          bool tifStretch, bool serStretch);
    // A pasted picture kept as the BMP file "clipkestrave.bmp" in `folder` (written through a
    // temporary file), ready to be taken as the input; returns the file. Throws FileError when it
    // cannot be written (an older file is then left as it was).
    std::filesystem::path keepPastedPicture(const std::filesystem::path& folder, const Bitmap24& picture) const;
    // The image planes for frames of the input's size.
    bool setUpImagePlanes(ProgressPort& progress, MessagePort& messages);
    // Reads frame `frame` with the read options `read` into the shown picture, then its negative
    // and its preview gamma when asked. A failed read throws and leaves the frame shown before.
    ShownFrame showFrame(int frame, const FrameSourceOptions& read, bool negative, bool pregamma);
    // The preview gamma builds the table the shown frames are brightened with.
    void setPreviewGamma(double gamma);
    // FITS, TIFF and SER frames are stretched to their full range, or read as they are.
    void setInputStretch(bool stretch);
    // A series of pictures sorted by name; the frame source reads them in that order. Returns the
    // sorted names (`count` of them); other inputs keep their order and return nothing.
    std::vector<std::string> sortSeries(int count, int lastFrame, const FrameSourceOptions& options);
    // The folder a saved image goes into: the chosen folder, or its subfolder while one is chosen,
    // made with any missing parents. Throws FileError when it cannot be made.
    std::filesystem::path saveFolder(const SaveFolderChoice& choice) const;
    // Frame lists. The frames a list file names of `kind` (None: the kind of its first line);
    // throws FileError when it cannot be read or is too large.
    FrameListEntries listedFrames(const std::filesystem::path& file, InputFilter kind) const;
    // The files a saved list holds: those of the frames whose list entry is checked, in frame
    // order (entry j stands for the frame at position j). A SER input is its video file, once,
    // when any entry is checked. None for AVI input.
    std::vector<std::string> checkedFrameFiles(const std::vector<bool>& entryChecked) const;
    // The files of the open still-frame series, frames 0..lastIndex in frame order; none for
    // video input.
    std::vector<std::string> seriesFiles(int lastIndex) const;
    // Writes the list of `files`; an existing file is replaced only once the new one is complete.
    // Throws FileError when it cannot.
    void saveFrameList(const std::filesystem::path& file, const std::vector<std::string>& files) const;
    // The user's choice of frames: one frame in or out, all in (dropped frames stay out), all
    // out; each recounts `usedframes` over frames 0 .. lastIndex. Announces `Frames`.
    void selectFrame(int frame, bool selected);
    void selectAllFrames(int lastIndex);
    void excludeAllFrames(int lastIndex);
    // `usedframes` counted again as the stage counts it; returns the count.
    int recountUsedFrames(int position, int lastIndex);
    int countSelectedFrames(int lastIndex);

    // --- Feature, box and alignment -------------------------------------------------------------
    // The box size item chosen (of the box sizes the Align page offers): a picked feature is
    // dropped outside the free-box mode, the item steps down to the largest box the frames hold,
    // and the FFT engine is set up for it with the band mask of `fftFilter`.
    FftSizeChoice chooseBoxSize(int item, double fftFilter, MessagePort& messages);
    // The reference computed again at the feature, and the reference frame aligned on it with
    // `align` (kept in step with the automatic values the stage writes back). Throws
    // KestraveError as the reference does.
    AutomaticFilterValues computeReference(const ReferenceOptions& reference, const AlignOptions& align,
                                           AlignPorts& ports);
    // A click on the preview: the feature picked there and its reference computed, or the click an
    // alignment waits for taken. Throws KestraveError as the reference does.
    PickResult pickFeature(const PreviewClick& click, const ReferenceOptions& reference,
                           const AlignOptions& align, AlignPorts& ports);
    // The frames of `frames` aligned on the one box and ranked; `manualAlign`: the user points
    // the feature out in each frame. A reference made from a processed stack belongs to the
    // alignment before. Announces `Frames` and `Stage`.
    AlignmentPassResult alignAllFrames(const AlignmentPassOptions& options, bool manualAlign,
                                       FrameSource& frames, AlignPorts& ports);
    // The same over the current input's frames 0 .. options.lastFrame, read as `read` says.
    // Throws FileError when a SER input cannot be opened.
    AlignmentPassResult alignAllFrames(const AlignmentPassOptions& options, bool manualAlign,
                                       const FrameSourceOptions& read, AlignPorts& ports);
    // The placed points aligned: their references taken from the last point down, the frames
    // aligned on them, and after a finished pass a "Simple" setup copies point 1 to the others.
    // With two points or more "Simple" aligns the frames once on the largest box around the points
    // and takes point 1's reference after the pass. A cancel (`progress`) ends the pass.
    AlignmentPassResult alignPlacedPoints(const PlacedPointsOptions& options, PointPassWindow& window,
                                          ProgressPort& progress);
    // Point p's reference as the box, the reference and the feature now stand.
    PointReference pointReference(int p, const AlignOptions& align) const;
    // The frames aligned on the points' references (taken from the last point down), or on
    // point 1's box alone; each point filed with its best grade. Only the first reference's
    // alignment is pointed out by hand when `manualAlign`. Announces `Frames` and `Stage`.
    AlignmentPassResult alignPoints(std::vector<PointReference>& references, bool manualAlign,
                                    const AlignmentPassOptions& options, FrameSource& frames,
                                    AlignPorts& ports);
    // The same over the current input's frames 0 .. options.lastFrame, read as `read` says.
    // Throws FileError when a SER input cannot be opened.
    AlignmentPassResult alignPoints(std::vector<PointReference>& references, bool manualAlign,
                                    const AlignmentPassOptions& options, const FrameSourceOptions& read,
                                    AlignPorts& ports);
    // The box size item (of the box sizes the Align page offers) in force for the alignment point
    // the optimizer works on: the points' optimizer puts each point's in force as it starts.
    int boxSizeItem() const { return run_.boxSizeItem; }
    // The placing of alignment points ends (the Align button in multi-point mode).
    void stopPlacingPoints();
    void setFreeBox(bool freeBox);
    void setManualAlign(bool manualAlign);
    // Outside the multi-point mode the first point follows the feature picked.
    void firstPointAtFeature();
    // The reference picture is shown again after an alignment stopped.
    void showReferencePicture();
    // The quality band: the weighting's centre, the band taken as the user's once armed (true
    // when it became the user's), the automatic band switched on or off, arming on a change the
    // user makes; the FFT filter radius with its band mask; the misalignment ratio.
    void setQualityWeightingCentre(int centre);
    bool takeQualityBandAsManual();
    void setAutomaticQualityBand(bool automatic);
    void armQualityFilter();
    bool takeFFTFilterAsManual();
    void setFFTFilterRadius(double radius);
    void setMisalignRatio(float ratio);

    // --- Limit, reference and optimizer ------------------------------------------------------
    // The frame limit: the frames kept, the reference frames and the points' limits. Announces
    // `Frames` and `Stage`.
    FrameLimitResult limitFrames(const FrameLimitInput& input);
    // The frame limit after an alignment, a new input, a limit or a new reference (its one home:
    // the sliders show it). Announces `FrameLimit`.
    void keepFrameLimit(int last);
    // Where the quality limit in percent places the frame slider over the ranked frames 0 .. last.
    int qualityCutoffPosition(int last, double percent) const;
    // The ranking position of `frame` among the positions 0 .. lastPosition (0 when not ranked).
    int rankOfFrame(int frame, int lastPosition) const;
    // "Create": the reference stack made, processed and taken as the reference, each stage run
    // through `stages`, the user's wait among them.
    CreateReferenceResult createReference(const CreateReferenceOptions& options, ReferenceStages& stages,
                                          ProgressPort& progress, MessagePort& messages);
    // The processed picture becomes the alignment's reference; the tracking steps start again.
    AutomaticFilterValues restartAlignment(const Bitmap24& processed, const ReferenceOptions& options,
                                           MessagePort& messages);
    // The optimizer runs: the single box, the single-box optimize-and-stack and the optimizer of
    // the points. Each announces `Frames` and `Stage` once its passes ended without a failure.
    OptimizerRunResult optimize(const OptimizerOptions& options, const OptimizerPorts& ports);
    OptimizeAndStackResult optimizeAndStack(const OptimizerOptions& options, const StackScaleOptions& scale,
                                            StackStages& stages, const OptimizerPorts& ports);
    // Each point's box size comes in force as the point starts, once `pointObserver` has shown the
    // point, and the window's pending events are handled before the point is optimized.
    PointOptimizerResult optimizePoints(const OptimizerOptions& options, const PointOptimizerInput& input,
                                        PointOptimizerObserver& pointObserver, const OptimizerPorts& ports);
    // What an optimizer run changes in the records of ranking positions 0..last and the totals,
    // kept so that a run cancelled in its first pass can put them back.
    struct OptimizerRecords {
        struct Entry {
            int frame;
            TAlignSlotRec slot0;
            TAlignSlotRec slot2;  // field 0 of interlaced frames
            float SubPixelX;
            float SubPixelY;
            float Improvement;
        };
        std::vector<Entry> entries;
        double DifferenceSum = 0;
        int OptimizePass = 0;
    };
    OptimizerRecords keepOptimizerRecords(int last) const;
    void restoreOptimizerRecords(const OptimizerRecords& records);
    // Optimize and stack has ended with a processed stack.
    void finishOptimizeAndStack();
    // Optimize-and-stack's end after the points' optimizer: the stack, and when it was completed
    // and not cancelled, the end of the stage and the processing. True when processed.
    bool stackAndProcessPoints(StackStages& stages, ProgressPort& progress);
    // The multi-point mode "Create" sets and puts back.
    void setMultiPointMode(bool multiPoint);
    // The frame the points were placed on (or the reference made from a processed stack) becomes
    // the reference picture of the point optimizer.
    void takePointReferencePicture();
    // The contour of the FFT spectrum, and whether a change of the filter spin is the user's.
    void setContourMode(bool contour);
    void armFFTFilter(bool armed);

    // --- Stacking ---------------------------------------------------------------------------
    // The frames 0 .. lastFrame of the current input, read as the options say. Throws FileError
    // when a SER input cannot be opened.
    std::unique_ptr<InputFrameSource> inputFrames(int lastFrame, const FrameSourceOptions& options);
    // The factors a stacking run uses become the program's.
    void useStackFactors(float resampleFactor, float drizzleFactor);
    void setResampleFactor(float resampleFactor);
    // The stacking stage: the ranked, aligned frames stacked into the image planes and a
    // completed stack kept with the colour `options` name (`keepStack`). Throws what the frames'
    // reader throws; nothing is kept then.
    StackEnd makeStack(const StackOptions& options, FrameSource& frames, ProgressPort& progress,
                       MessagePort& messages);
    // The same for a sigma-clipped stack: its passes, the one published kept when it completed.
    SigmaStackEnd makeSigmaStack(const StackOptions& options, FrameSource& frames, ProgressPort& progress,
                                 MessagePort& messages, const std::filesystem::path& eventLog);
    // The stage's parts. Stacks the ranked, aligned frames into the image planes; the result is
    // not kept yet.
    StackResult stack(const StackOptions& options, FrameSource& frames, ProgressPort& progress,
                      MessagePort& messages);
    // The passes of a sigma-clipped stack (events logged to `eventLog` when named).
    SigmaStackRun sigmaStack(const StackOptions& options, FrameSource& frames, ProgressPort& progress,
                             MessagePort& messages, const std::filesystem::path& eventLog);
    // The sigma events of the input: the log a recording run writes in the input's folder, and the
    // list kept of a complete run's log (empty without an input). A file that cannot be read or
    // written throws FileError.
    std::filesystem::path sigmaEventLog() const;
    std::filesystem::path savedSigmaEvents() const;
    // The log of a complete recording run replaces the kept list.
    void keepSigmaEvents() const;
    // From the kept list (nothing without an input): the event list marked against `threshold`,
    // the lines of frame `frameNumber` (1-based) and the positions of its events above `threshold`.
    std::vector<std::string> sigmaEventList(double threshold) const;
    std::vector<std::string> sigmaFrameEvents(int frameNumber) const;
    std::vector<EventMark> sigmaEventMarks(int frameNumber, double threshold) const;
    // The last rank within the frame limit that holds frame index `frame`; -1 when none does.
    int sigmaEventRank(int frame) const;
    // The event box file, written whole; read with the image's size for the edges it lacks.
    void writeSigmaBox(const std::filesystem::path& file, const SigmaBox& box) const;
    SigmaBox readSigmaBox(const std::filesystem::path& file) const;
    // The stack count: the last ranking position the next stack takes, and the end of the range it
    // moves in (its one home: the stack slider shows it). A count outside the range is clamped; a
    // range end not above 0 is refused. Each announces `StackCount` when something changed.
    void setStackCount(int count);
    void setStackCountRange(int last);
    // The style of the next stack as the user picked it: resampling is refused for input that
    // carries more than 8 bits per sample (a warning says so) and falls back to no style.
    StackStyleChoice chooseStackStyle(StackStyle wanted, MessagePort& messages) const;
    // The alignment points whose zones no frame of the stack `options` choose would serve.
    std::vector<int> pointsWithoutFrames(const StackOptions& options) const;
    // The stack cut-offs over the ranking at the quality cut-off `rank` and the difference cut-off
    // `differencecut`, within the frame limit; and one alignment point's stack graph.
    StackCutoffs stackCutoffs(int rank, int differencecut) const;
    PointStackGraph pointStackGraph(const PointGraphInput& input) const;
    // The last stack's depth of every pixel as a grey picture of width x height.
    Bitmap24 stackDepthPicture(int width, int height) const;
    // The stack picture with the zones of the alignment points `points` drawn over it.
    Bitmap24 stackPointZones(const std::vector<int>& points) const;

    // --- Projects -------------------------------------------------------------------------------
    // The video moved to `renamed`, after its project: the model names the new file. Throws
    // FileError, changing nothing, when it cannot be moved (see moveFile).
    void renameVideo(const std::filesystem::path& video, const std::filesystem::path& renamed);
    // The current work written as a project (`form` Older: the feature and the whole-frame
    // alignment only), with what the window's controls add. Throws FileError.
    void saveProject(const std::filesystem::path& file, const ProjectControls& controls,
                     ProjectForm form) const;
    // A project file opened for loading, before anything of the current work is given up: the
    // project read, the files of its input found, and the input probed and checked to hold the
    // project. `missingInput` is the "Missing file" text when a file of the input is not there
    // (the input is then not probed). Throws (FileError, ProjectError) what refuses the project.
    ProjectOpening openProject(const std::filesystem::path& file) const;
    // A loaded project's shifts, qualities, ranking, points and stage; an aligned project keeps
    // its ranking valid; the reference frame is clamped to the frames 0..lastFrame. Announces
    // `Frames`, `Points` and `Stage`.
    void takeProject(const ProjectData& project, bool interlaced, int lastFrame);
    // The stages a replay moves through: aligned; the reference ready with the Stack page open.
    void markAligned();
    void openStackStage();
    // The reference computed again at the feature (the tracking starts afresh). Throws
    // KestraveError as the reference does.
    void rebuildReference(const ReferenceOptions& options, MessagePort& messages);
    // A project loaded: opened (what refuses it is reported and changes nothing), its input
    // taken, its controls restored, and the stages it had reached run again through `steps` in
    // the order the work first went through them.
    ProjectLoad loadProject(const std::filesystem::path& file, ProjectReplaySteps& steps, MessagePort& messages,
                            ProgressPort& progress);
    // The furthest page a user may open.
    void setActivePage(TMainTab page);
    // Runs `stage` with every question taking its unattended answer, as in a batch run.
    void runUnattended(const std::function<void()>& stage);

    // --- Wavelet processing -------------------------------------------------------------------
    // A setting the layers are computed with changed: they are computed again before the next
    // rendering.
    void markLayersDirty();
    // "Process", the process stage: the image size follows the stack (resampled or not); when a
    // stack is there for the Wavelet page it is shown in the processed view and the layers are
    // computed when out of date (throws WaveletError). The stack's own picture shown again.
    ProcessStart process(const WaveletProcessOptions& options, ProgressPort& progress);
    void showStackInProcessedView();
    // A click on the processed view: the feature in frame pixels (the view's point divided by
    // `scale`), the processing area centred on the point.
    void chooseFeatureOnProcessedView(int x, int y, double scale);
    // The compare tools: the last rendered view kept, the picture copied to the clipboard kept,
    // the difference to that copy shown in green, one of the kept pictures shown again.
    void keepRenderedView();
    void keepClipboardPicture();
    void showDifferenceToClipboard();
    void showKeptPicture(bool clipboardPicture);

    // --- Alignment points, stack cut-offs and calibration (pipeline_points.cpp) -----------------
    // The points placed: their positions and box sizes, as the points' grid lists them (at most
    // MaxAlignPoints). Announces `Points`.
    void takeAlignPoints(std::span<const AlignPoint> points);
    // The points found on the shown frame for boxes of `boxSize`, at least `minDistance` apart,
    // best first (see estimateAlignPoints).
    std::vector<PointXY> estimatePoints(int boxSize, int minDistance) const;
    // The shown frame with the zones of `points` drawn over it: each pixel's nearest point.
    Bitmap24 previewWithPointZones(std::span<const AlignPoint> points) const;
    // The point file `path` read for frames of the input's size; the points placed on preview
    // position `frameNumber` written to `path`. Both throw FileError.
    PointFileContent readPointFile(const std::filesystem::path& path) const;
    void writePointFile(const std::filesystem::path& path, int frameNumber,
                        std::span<const AlignPoint> points) const;
    // The number of alignment points in use (the next free number while points are placed).
    // Announces `Points`.
    void setPointCount(int count);
    // The placing of points starts: no free box, the multi-point mode on, the feature to be set
    // again. Announces `Points` and `Stage`.
    void startPlacingPoints();
    // Before each point is picked: no click awaited yet, no feature chosen, the frames unranked.
    void readyForPointPick();
    // The placing stops (a batch run, a cancel); the free box stays as it was.
    void haltPointPlacing();
    // The points' window closed: the placing stops, outside the multi-point mode with one point.
    // Announces `Points`.
    void closePointPlacing();
    // Every point takes point 1's shifts in the frames 0..lastFrame. Announces `Frames`.
    void resetShiftsToFirstPoint(int lastFrame);
    // Point p is stacked or left out.
    void enablePoint(int p, bool enabled);
    // The points are aligned on `frame`: it becomes the feature's and the reference frame, with
    // no feature chosen yet.
    void alignPointsOnFrame(int frame);
    // The caption the registration graph shows for the pass running.
    void setRegistrationCaption(const std::string& caption);
    // Point p's position becomes the feature the reference is taken at.
    void takeFeatureAt(int x, int y);
    void takeFeatureAtPoint(int p);
    // After the points' pass over the frames 0..lastFrame: a "Simple" setup copies point 1 to the
    // other `count` - 1 points; with two points or more each frame's rotation is measured against
    // `referenceFrame`; returns the distance between points 1 and 2 in every frame. Announces
    // `Frames`.
    std::vector<double> finishPointAlignment(bool multiQuantity, int count, int lastFrame,
                                             int referenceFrame);
    // The stack cut-offs of point p: the frames it stacks, the quality slider and cut-off, the
    // difference slider and cut-off.
    void setPointLimitCount(int p, int count);
    void setPointQualitySlider(int p, int slider);
    void setPointQualityCut(int p, float cut);
    void setPointDifferenceSlider(int p, int slider);
    void setPointDifferenceCut(int p, float cut);
    // The stack depth of every pixel is shown in the processed view. Announces `StackDepth`.
    void showStackDepth(Bitmap24&& picture);
    // Frame `frame` of the input is read into the shown picture (a failed read throws and leaves
    // the frame shown before); with the single box, the frame's point 1 takes the box's shift.
    // Announces `Preview`.
    void showFrameAtCutoff(int frame);
    // A dark frame or flat field is named, or only its type; it is read into its planes (a FITS
    // file's depth becomes the input's). Throws CalibrationError as the loader does.
    void nameCalibrationFile(CalibrationKind kind, const std::filesystem::path& file, int type);
    void setCalibrationFileType(CalibrationKind kind, int type);
    CalibrationLoad loadCalibrationFile(CalibrationKind kind, const std::filesystem::path& file, int type,
                                        CalibrationOrigin origin, MessagePort& messages);
    // A master frame is stacked from every frame 0..lastFrame, in frame order and with equal
    // weight, with the Stack page open and no stretch of FITS frames. Announces `Frames` and
    // `Stage`.
    void prepareMasterFrame(int lastFrame);
    // The arming of the filter spins (whether their next change is the user's).
    void setFilterArming(bool fftArmed, bool qualityArmed);
    // (end of the points section)

    // --- Saving (pipeline_save.cpp) ---------------------------------------------------------
    // Each save writes what the run holds through the savers of the output library, never over a
    // file of the input, and says which files were written. A save as special FITS switches the
    // master-frame mode on. Writers throw as the savers do.
    // The stack, as the stack page's save dialog's type says.
    SaveOutcome saveStack(const std::filesystem::path& file, StackSaveType type, const SavePorts& ports);
    // The processed picture (the wavelet page's save).
    SaveOutcome saveProcessed(const ProcessedSaveOptions& options, const SavePorts& ports);
    // The final picture as the final page shows it.
    SaveOutcome saveFinal(const FinalSaveOptions& options, const SavePorts& ports);
    // A picture the resize view scaled.
    SaveOutcome saveResized(const std::filesystem::path& file, ResizeSaveType type, const Bitmap24& picture,
                            const SavePorts& ports);
    // The resize view's picture: the final picture (or the processed one) scaled by the ratio item
    // through the filter item.
    Bitmap24 resizedPicture(bool finalPicture, int ratioItem, int filterItem) const;
    // The question before a processed picture is saved while "Do All" has not run since the last
    // change: true when the whole picture is to be processed first (a batch run: always).
    bool wantsDoAllBeforeSave(const SavePorts& ports);
    // An AVI of the ranked frames cut out around the feature; an AVI of stacks of groups of the
    // ranked frames (the run's state is as before afterwards).
    AviResult writeRegisteredAvi(const std::filesystem::path& file, FrameSource& frames,
                                 const RegisteredAviOptions& options, const SavePorts& ports,
                                 ProgressPort& progress);
    AviResult writeIntegratedAvi(const std::filesystem::path& file, FrameSource& frames,
                                 const IntegratedAviOptions& options, const SavePorts& ports,
                                 ProgressPort& progress);

    // --- Wavelet page settings and views (pipeline_wavelet_views.cpp) --------------------------
    // The working image composed again from the stack with the colour shifts and the LRGB
    // weights. Throws WaveletError when a plane is too small.
    void composeWorkingImage(const WaveletProcessOptions& options);
    // The colour shifts the spins say; the shifts found by searching the box (written into the
    // state, returned as the spins show them).
    void setColourShifts(const struct ShiftSpins& spins);
    struct ShiftSpins findColourShifts(const struct SearchBox& box, ProgressPort& progress);
    // The LRGB weights, the colour balance and the luminance weights.
    void setLRGBWeights(const std::array<float, 3>& weights);
    void setColourBalance(float red, float green, float blue);
    void setLuminanceWeights(const std::array<float, 3>& weights);
    // Another processing area (the stored item): false when it could not be made; otherwise the
    // layers are out of date.
    bool changeProcessArea(int item, MessagePort& messages);
    // The filter's kernel from the spins, and its Gaussian layers; each returns the caption of
    // the centre.
    std::string setWaveletKernel(const KernelSpins& spins);
    std::string buildGaussianLayers(float gauss, const std::array<float, 6>& widths);
    // The curves as the program starts; the gamma curve loaded from points in the edited look; a
    // curve's look, straight or not.
    void createCurves(bool linear);
    void takeGammaCurve(const std::vector<SplinePoint>& points, bool linear);
    void setCurveStyle(EditedCurve curve, bool linear);
    // The hue-dependent curves flat again.
    void resetHueCurves();
    // A curve's table built from it (a gamma or tone curve lying wholly on the bottom edge keeps
    // the table in use).
    void buildCurveTable(EditedCurve curve);
    // The mouse on a curve editor's graph: a point inserted at (x, y), the point near it deleted,
    // the point near it dragged there (the curve then takes the edited look, straight segments
    // with `linear`); each says whether a point was found. The curve back to the default one.
    bool insertCurvePoint(EditedCurve curve, float x, float y);
    bool deleteCurvePoint(EditedCurve curve, float x, float y, const CurveGraphRules& graph);
    bool dragCurvePoint(EditedCurve curve, float x, float y, const CurveGraphRules& graph, bool linear);
    void resetCurve(EditedCurve curve);
    // The gamma curve read from a curve file in the edited look (the file is read whole first: one
    // that cannot be used throws FileError and leaves the curve as it was); the gamma curve
    // written to a curve file (throws FileError).
    void loadGammaCurve(const std::filesystem::path& file, bool linear);
    void saveGammaCurve(const std::filesystem::path& file) const;
    // The page's scheme and filter files. A scheme written (throws FileError) and read (throws
    // WaveletFileError). A kernel written to its file and to the program's copy (throws
    // FileError); read into `spins` (throws WaveletFileError, changing nothing); the program's
    // copy of a loaded kernel written (throws FileError).
    void saveScheme(const std::filesystem::path& file, const WaveletScheme& scheme) const;
    WaveletScheme loadScheme(const std::filesystem::path& file) const;
    void saveFilter(const std::filesystem::path& file, const KernelSpins& spins) const;
    void loadFilter(const std::filesystem::path& file, KernelSpins& spins) const;
    void keepFilterCopy(const KernelSpins& spins) const;
    // The red curve of the gamma graph from the gamma table in use.
    std::array<GraphPoint, 251> gammaCurvePoints() const;
    // The gamma table of the gamma spin; false (and the table of gamma 1) for a gamma it refuses.
    bool setGamma(double gamma);
    // The tone tables of the tone-map options; returns the scale in use.
    float rebuildTones(const ToneTableOptions& options);
    // The gamma table and the tone curve as the program starts.
    void resetGammaAndTone(float toneBias, float toneScale, bool toneGraph);
    // The display levels.
    void setLevels(float lo, float hi);
    // One render pass over the processing area (with the automatic balance, twice), keeping the
    // display histograms; `options` carries the balanced offsets back. Throws WaveletError.
    void renderProcessedView(const WaveletProcessOptions& wavelet, RenderOptions& options, bool autoBalance,
                             bool balanceHistograms);
    // The whole image processed tile by tile; false when cancelled. Throws as the tiles do.
    bool processWholeImage(const WaveletProcessOptions& wavelet, const RenderOptions& options,
                           bool showProcessingArea, ProgressPort& progress);
    // A render on the wavelet page is over (a pass or the whole image, finished, failed or with
    // nothing to render): the pages that show the processed picture follow it. Announces
    // `Processed`.
    void finishRender();
    // Whether the processing area covers the whole image is noted.
    void noteWholeImageArea();
    // The colour area the window draws on the processed view was moved to be centred on (x, y):
    // the feature follows it (frame pixels: the point divided by `scale`).
    void followColourArea(int x, int y, double scale);
    // The processing area centred on the feature (`scale` turns frame pixels into view pixels).
    void centreProcessAreaOnFeature(double scale);
    // Layer n (1..6) computed again. Throws WaveletError.
    void computeWaveletLayer(const WaveletProcessOptions& options, int n);
    void setShowProcessingArea(bool show);
    // The processing area clipped to the image, as the layers cover it.
    WaveletArea clippedProcessArea() const;
    // The status text for the pointer at pixel (x, y) of the processed view; none outside the
    // stack.
    std::optional<std::string> pixelReadout(int x, int y) const;
    // The single-layer view: the image size of a resampled stack taken, the processed view kept
    // (false when there is none), layer n drawn over it (throws WaveletError), the view put back.
    void takeResampledImageSize(const WaveletProcessOptions& options);
    bool keepViewBeforeLayer();
    void drawWaveletLayer(int n);
    void restoreViewAfterLayer();
    // The final page: the picture pressed, dragged and released (a crop rectangle, or the centre
    // of rotation while the window's centre pick mode is on; the release ends that mode); the
    // final stage: the processed picture's 16-bit result with the final page's settings (hue,
    // saturation and lightness curves, turn, flips) and its hue histogram, none when the processed
    // view is empty (throws when a picture this large cannot be made: the last one stays); a right
    // click adding a hue point (true when one was added).
    bool pressFinalPicture(int x, int y, bool centrePickMode);
    void dragFinalPicture(int x, int y, bool centrePickMode);
    bool releaseFinalPicture(bool& centrePickMode);
    const FinalData& renderFinalPicture(const FinalSettings& settings);
    bool addHuePoint(float hue);
    // The hue of the processed picture's pixel (x, y), unturned and unflipped; none outside the
    // picture or for a dark pixel. The final picture cut to the crop rectangle (whole without one).
    std::optional<float> finalHueAt(int x, int y) const;
    Bitmap24 croppedFinalPicture() const;
    // (end of the wavelet views section)

    // --- Align page glue, frame lists, kernels, batch (pipeline_glue.cpp) ----------------------
    // The debayer switch of the Align page turned on or off (a 16-bit colour SER input warns).
    DebayerSwitchResult switchDebayer(bool debayer, bool highBitSer, MessagePort& messages);
    // A new alignment method: the feature stays set and no click is awaited. Announces `Stage`.
    void backToFeatureSet();
    // Back from the multi-point mode: the feature picked before the points moved it.
    void restoreSavedFeature();
    // The feature in force is the one the multi-point mode brings back.
    void saveFeature();
    // Whether the user placed the box; returns what it was.
    bool setUserBoxPlaced(bool placed);
    // One box aligns and stacks from now on, not the points' zones. Announces `Points`.
    void useSingleBox();
    // No alignment: every frame's whole-frame shift of positions 0..lastIndex back to none.
    // Announces `Frames`.
    void clearWholeFrameShifts(int lastIndex);
    // The free box fitted to the box side in force takes its place.
    void placeFreeBox(const FreeBoxFit& fit);
    // The frame list emptied: no frame is ranked, used or read, no stage, the Align page the
    // furthest. Announces `Frames` and `Stage`.
    void emptyFrameList();
    // The preview shows nothing (a one-pixel picture).
    void blankPreview();
    // The 3 x 3 kernel of the prefilter and the stack filter.
    void setKernel(const TKernel3x3& kernel);
    // The page opened moves the stage to `stage`. Announces `Stage`.
    void enterPageStage(TProcessStage stage);
    // The halt button: the running alignment stops at the next frame.
    void requestHalt();
    // The file a batch takes as its input.
    void nameBatchInput(const std::string& file);
    // What a click at (x, y) on the frame at ranking position `position` chooses: the feature,
    // its frame and the reference frame. Announces `Stage`.
    void chooseFeature(int x, int y, int position);
    // The reference is ready: the points were placed or read from a file, or a batch computed it
    // again. Announces `Stage`.
    void markReferenceReady();
    // No new reference has been made by the optimizer.
    void forgetNewReference();
    // Questions take their unattended answers while on; returns what it was.
    bool setBatchMode(bool batch);
    // Every record of the frame table and the ranking back to "nothing known".
    void clearFrameTables();
    // (end of the glue section)

private:
    // The tests' own access to the run's state and to the announcements.
    friend struct PipelineTestAccess;

    void announce(PipelineChange change) const;
    // A completed stack is kept with the colour it was made with; its picture, value range,
    // means and luminance histogram go to the wavelet data; the frame limit becomes the rank
    // bound the stack left. Announces `Stack` and `FrameLimit`.
    const StackResult& keepStack(StackResult&& result, bool colour);
    // The stage's end of `result`: kept when it completed.
    StackEnd endStack(StackResult&& result, bool colour);
    // The box size item in force for an alignment point. Announces `BoxSize`.
    void useBoxSizeItem(int item);
    // The context the savers work in: the run's master-frame mode, the batch mode and the files
    // of the input.
    SaveContext saveContext(const SavePorts& ports);
    // Runs `work` with the optimizer's context over the run's state, then announces `Frames` and
    // `Stage`.
    void withOptimizer(const OptimizerPorts& ports, const std::function<void(OptimizerContext&)>& work);

    RunState run_;
    std::vector<std::pair<int, Observer>> observers_;
    int nextObserver_ = 0;
};

}  // namespace kestrave
