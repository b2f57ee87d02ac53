#pragma once
// The stack stage: the ranked, aligned frames stacked (plain or sigma-clipped), the stack count,
// the cut-offs of the stack and of each alignment point, and the calibration frames.

#include "pipeline/pipeline_core.h"

namespace kestrave {

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

class StackStage : public virtual PipelineCore {
public:
    using PipelineCore::stack;

    // The factors a stacking run uses become the program's, with whether its canvas is the
    // frame's own: the run begins. Announces `StackRun`.
    void useStackFactors(float resampleFactor, float drizzleFactor, bool frameSized = false);
    // The stack run under way ended, however it ended. Announces `StackRunEnded`.
    void endStackRun();
    // The canvas drizzle-sized (the drizzling chosen) or not. Announces `Drizzle` when it changes.
    void setDrizzled(bool drizzled);
    // Resampling chosen or dropped. Announces `Resampling`.
    void setResampled(bool resampled);
    void setResampleFactor(float resampleFactor);
    // The stacking stage: the ranked, aligned frames stacked into the image planes and a
    // completed stack kept with the colour `options` name (`keepStack`). Throws what the frames'
    // reader throws; nothing is kept then.
    StackEnd makeStack(const StackOptions& options, FrameSource& frames, ProgressPort& progress,
                       MessagePort& messages);
    // The same for a sigma-clipped stack: its passes, the one published kept when it completed.
    SigmaStackEnd makeSigmaStack(const StackOptions& options, FrameSource& frames, ProgressPort& progress,
                                 MessagePort& messages, const std::filesystem::path& eventLog);
    // The sigma events of the input: the log a recording run writes in the input's folder, and the
    // list kept of a complete run's log (empty without an input). A file that cannot be read or
    // written throws FileError.
    std::filesystem::path sigmaEventLog() const;
    std::filesystem::path savedSigmaEvents() const;
    // The log of a complete recording run replaces the kept list.
    void keepSigmaEvents() const;
    // From the log (nothing without an input): the event list marked against `threshold`,
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

    // --- The cut-offs of the alignment points and the calibration frames ---------------------
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
    // file's depth becomes the input's). Throws CalibrationError as the loader does. Naming
    // announces `Calibration` (its switch ticked); so does a load that offers the frame (a
    // project's reload), takes a FITS file (the input grey) or fails (its switch unticked, and no
    // longer offered when the file is too large).
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

protected:
    ~StackStage() = default;

private:
    // The whole pipeline, for another stage's operation.
    Pipeline& self();

    // The tests stack without keeping the result, and keep a stack no stacking stage made.
    friend struct PipelineTestAccess;

    // The stage's parts. Stacks the ranked, aligned frames into the image planes; the result is
    // not kept yet. Announces `Stage` (the run moved the program on, or a refusal left it where it
    // was), as the sigma stack does.
    StackResult stack(const StackOptions& options, FrameSource& frames, ProgressPort& progress,
                      MessagePort& messages);
    // The passes of a sigma-clipped stack (events logged to `eventLog` when named).
    SigmaStackRun sigmaStack(const StackOptions& options, FrameSource& frames, ProgressPort& progress,
                             MessagePort& messages, const std::filesystem::path& eventLog);
    // A completed stack is kept with the colour it was made with; its picture, value range,
    // means and luminance histogram go to the wavelet data; the frame limit becomes the rank
    // bound the stack left. Announces `Stack` and `FrameLimit`.
    const StackResult& keepStack(StackResult&& result, bool colour);
    // The stage's end of `result`: kept when it completed; a calibration frame that did not fit
    // stays switched off (announces `Calibration`).
    StackEnd endStack(StackResult&& result, bool colour);
    // The calibration switches changed as `switching` says. Announces `Calibration`.
    void switchCalibration(const CalibrationSwitching& switching);
};

}  // namespace kestrave
