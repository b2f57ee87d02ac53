#pragma once
// The align stage: the feature and the box chosen, the reference taken, the frames aligned on the
// one box or on the alignment points, and the points placed.

#include "pipeline/pipeline_core.h"

namespace kestrave {

// What the align stage reaches of whoever runs it: the messages and their questions, the progress
// with its cancel and pause, the pictures and charts of the alignment with its cursor, and the
// frame shown as the reference is taken with the automatic filter values written back.
struct AlignPorts {
    MessagePort& messages;
    ProgressPort& progress;
    AlignmentView& view;
    ReferenceWindow& reference;
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

class AlignStage : public virtual PipelineCore {
public:
    using PipelineCore::alignPoints;

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
    // alignment waits for taken. Throws KestraveError as the reference does. A feature accepted
    // counts in `featuresAccepted()` and announces `Stage` before its reference is computed.
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
    // The pass over the frames (one box or the placed points) is over, ended as `end`.
    // Announces `PassEnded`.
    void endPass(PassEnd end);
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
    // The placing of alignment points ends (the Align button in multi-point mode). Announces
    // `Points` and `AlignSetup`.
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

    // --- The alignment points ---------------------------------------------------------------
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
    // again. Announces `Points`, `Stage` and `AlignSetup`.
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
    // Point p's position becomes the feature the reference is taken at.
    void takeFeatureAt(int x, int y);
    // A new alignment method: the feature stays set and no click is awaited. Announces `Stage`.
    void backToFeatureSet();
    // Back from the multi-point mode: the feature picked before the points moved it.
    void restoreSavedFeature();
    // The feature in force is the one the multi-point mode brings back.
    void saveFeature();
    // Whether the user placed the box; returns what it was.
    bool setUserBoxPlaced(bool placed);
    // One box aligns and stacks from now on, not the points' zones. Announces `Points` and
    // `AlignSetup`.
    void useSingleBox();
    // No alignment: every frame's whole-frame shift of positions 0..lastIndex back to none.
    // Announces `Frames` and `AlignSetup`.
    void clearWholeFrameShifts(int lastIndex);
    // The free box fitted to the box side in force takes its place.
    void placeFreeBox(const FreeBoxFit& fit);
    // The 3 x 3 kernel of the prefilter and the stack filter.
    void setKernel(const TKernel3x3& kernel);
    // The halt button: the running alignment stops at the next frame.
    void requestHalt();
    // What a click at (x, y) on the frame at ranking position `position` chooses: the feature,
    // its frame and the reference frame. Announces `Stage`.
    void chooseFeature(int x, int y, int position);
    // The reference is ready: the points were placed or read from a file, or a batch computed it
    // again. Announces `Stage`.
    void markReferenceReady();

protected:
    ~AlignStage() = default;

private:
    // The whole pipeline, for another stage's operation.
    Pipeline& self();

    // The caption the registration graph shows for the pass running.
    void setRegistrationCaption(const std::string& caption);
    // The frames are to be aligned as `setup` says. Announces `AlignSetup`.
    void setUpAlignment(AlignSetup setup);
    // After the points' pass over the frames 0..lastFrame: a "Simple" setup copies point 1 to the
    // other `count` - 1 points; with two points or more each frame's rotation is measured against
    // `referenceFrame`; returns the distance between points 1 and 2 in every frame. Announces
    // `Frames`.
    std::vector<double> finishPointAlignment(bool multiQuantity, int count, int lastFrame,
                                             int referenceFrame);
};

}  // namespace kestrave
