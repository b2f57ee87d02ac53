#pragma once
// Per-frame accumulation: StackFrame adds one decoded frame into the sums of a stacking run,
// shifted, weighted, resampled or drizzled, with dark and flat correction, the sigma clip of the
// final sigma pass and the running statistics of the first one.
//
// The sums are the run's own planes (StackSums); the driver moves them into the image data
// section only when the run completes, so a cancelled or failed run publishes nothing.
//
// Work is split over threads by bands of stack columns (one block of memory in every plane).
// Every band visits its candidate frame pixels in one fixed order (column, then row) and writes
// only inside itself, so every stack pixel receives its samples in the same order whatever the
// number of threads: the sums are bit-identical at 1 and N threads.

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "frames/frame_model.h"
#include "frames/frame_source.h"
#include "frames/image_data_section.h"
#include "frames/plane.h"
#include "platform/bitmap24.h"
#include "stacking/stack_options.h"

namespace kestrave {

// The planes one run adds into, each (width + 10) x (height + 10) of the stack canvas.
struct StackSums {
    PlaneTriple StackPlanes;     // red, green (or mono), blue: value x weight
    T2dArrays StackWeightPlane;  // weight of the green (mono) samples
    // FITS colour input only: the luminance sums and the weights of the red, blue and luminance
    // samples, which come from frames of their own. Empty otherwise.
    T2dArrays LumPlane;
    T2dArrays RedWeightPlane;
    T2dArrays BlueWeightPlane;
    T2dArrays LumWeightPlane;
    // First sigma pass only: the running mean, maximum and M2 of the green (mono) samples and
    // the weight behind them, all at the unshifted stack position. Empty otherwise.
    PlaneTriple Statistics;
    T2dArrays StatisticsCount;
    // Final sigma pass only: the samples the clip left out and their weight (red, green, blue as
    // in StackPlanes), so that a pixel whose every sample was left out keeps their plain mean.
    PlaneTriple Rejected;
    T2dArrays RejectedWeight;
};

// Allocates zeroed sums for a width x height canvas; the optional planes only when the run
// needs them. Throws std::bad_alloc.
StackSums makeStackSums(int width, int height, bool fitsColour, bool firstSigmaPass,
                        bool finalSigmaPass = false);

// What the driver fixes for the whole run before the first frame.
struct StackRun {
    int canvasWidth = 0;  // the stack canvas (ImageWidth x ImageHeight of the result)
    int canvasHeight = 0;
    int StackMaxShiftX = 0;  // largest slot-0 shift of the listed ranks (expanded canvas)
    int StackMaxShiftY = 0;
    double shiftScale = 1.0;  // the unit of every shift of the run (stackShiftScale)
    float DrizzleFactor = 2.0f;
    float ResampleFactor = 2.0f;
    int stackx = 0;  // centre of the resampling window on large canvases
    int stacky = 0;
    std::array<float, 3> LRGBWeights{};  // mono mix of red, green and blue samples
    bool useDark = false;                // dark and flat in use and of the frame's size
    bool useFlat = false;
    // Mean shift of each alignment point, entry p - 1 for point p.
    std::array<float, AlignSlotCount> PointMeanShiftX{};
    std::array<float, AlignSlotCount> PointMeanShiftY{};
    // MultiStackimage: the nearest enabled points of every stack pixel (red, green, blue bytes);
    // empty when the nearest points are measured per pixel.
    const Bitmap24* nearestPoints = nullptr;
};

// The part of the resampled frame that a resampled stack shows: the whole frame, or on a canvas
// cut to the largest frame size the window around the stack centre (stackx, stacky).
struct ResampleWindow {
    int left = 0;  // first resampled column shown
    int top = 0;
    int width = 0;  // canvas size
    int height = 0;
    int fullWidth = 0;  // the whole resampled frame: Round(frame size x factor) - 1
    int fullHeight = 0;
};
ResampleWindow resampleWindow(const FrameModel& model, const StackRun& run);

// The frame handed to StackFrame.
struct StackFrameCall {
    // The sample for canvas column x is read from frame column x + StackShiftX; in the run's unit
    // (resampled pixels when the frames are resampled, else frame pixels).
    int StackShiftX = 0;
    int StackShiftY = 0;
    float StackSubPixelX = 0.0f;  // drizzling only
    float StackSubPixelY = 0.0f;
    int StackFrameIndex = 0;
    int InterlaceField = 0;
};

// The alignment-point zones of the stack canvas: for every stack pixel the nearest point, the second
// nearest and the weight with which the second one's zone blends in across their seam (0: none).
struct ZoneMap {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> nearest;  // column after column
    std::vector<std::uint8_t> second;
    std::vector<float> blend;
    std::size_t cell(int X, int Y) const { return static_cast<std::size_t>(X) * height + Y; }
    // Each column as runs of rows of one nearest point, down the column; a run is blended when
    // its pixels blend in the second nearest point (each pixel then with its own weight).
    struct Run {
        int begin = 0;
        int end = 0;
        int point = 0;
        bool blended = false;
    };
    std::vector<Run> runs;
    std::vector<std::size_t> columnRuns;  // column X: runs[columnRuns[X] .. columnRuns[X + 1])
};

// The zones of a width x height canvas on which point p lies at its PointPos plus the run's
// largest shift (StackMaxShiftX, StackMaxShiftY): the picks of the run's nearest-point map where
// it covers the pixel (it names the enabled points), else the nearest of all points (the later
// point on a tie). The seam blend runs over seamWidth pixels either side of the perpendicular
// bisector of the two points, from weight 0.5 on the bisector down to 0 (no blend when
// seamWidth <= 0).
ZoneMap makeZoneMap(const StackPointSet& points, int pointCount, int width, int height, const StackRun& run,
                    float seamWidth);

class StackAccumulator {
public:
    StackAccumulator(const StackOptions& options, const FrameModel& model, const ImageDataSection& section,
                     const StackRun& run, StackSums& sums);
    ~StackAccumulator();
    StackAccumulator(const StackAccumulator&) = delete;
    StackAccumulator& operator=(const StackAccumulator&) = delete;

    // Adds the frame. It may change the frame's preview bitmap (the stack filter, and the dark
    // and flat of the resampled path). Brightness is the frame's slot-0 relative brightness.
    void StackFrame(FrameBuffers& frame, const StackFrameCall& call, float Brightness);

    // The same in batches: queued frames are added together by flush(), every stack pixel taking
    // them in queue order, so the sums are those of StackFrame frame after frame. A queued
    // frame's buffers must stay as they are until the flush.
    void queueFrame(FrameBuffers& frame, const StackFrameCall& call, float Brightness);
    void flush();
    std::size_t queued() const { return queue_.size(); }

    // Frames added per channel (red, green, blue, luminance) from FITS and SER input.
    const std::array<int, 4>& ChannelFrameCount() const { return channelFrameCount_; }

private:
    struct FramePlan;
    struct BandEvents;
    void planPoints(const StackFrameCall& call, float brightness, FramePlan& plan);
    bool planGeometry(const FrameBuffers& frame, const StackFrameCall& call, FramePlan& plan);
    void planReach(const StackFrameCall& call, FramePlan& plan) const;
    void resample(FrameBuffers& frame, const StackFrameCall& call, FramePlan& plan);
    bool drizzleZoneTaken(const FramePlan& plan, int x, int y, int X, int Y) const;
    bool passesClip(int X, int Y, float value, const FramePlan& plan, bool record, BandEvents& events) const;
    void addStatistics(std::size_t i, float value, float b);
    // Direct: one sample goes to one stack pixel at its own position (no points, no drizzle).
    // Targets: the band's planes (a type of the implementation).
    template <FrameSamples Kind, bool Colour, class Targets>
    void addDirectRuns(const FramePlan& plan, const Targets& t);
    template <FrameSamples Kind, bool Colour, bool Direct>
    void addTile(const FramePlan& plan, int bandBegin, int bandEnd, BandEvents& events);
    // Alignment-point zones, filled stack pixel by stack pixel (no drizzle).
    template <FrameSamples Kind, bool Colour>
    void addZones(const FramePlan& plan, int bandBegin, int bandEnd, BandEvents& events);
    void addBand(const FramePlan& plan, int bandBegin, int bandEnd, BandEvents& events);

    const StackOptions& options_;
    const FrameModel& model_;
    const ImageDataSection& section_;
    const StackRun& run_;
    StackSums& sums_;
    std::array<int, 4> channelFrameCount_{};
    Bitmap24 window_;  // the part of the frame that is resampled
    std::vector<std::unique_ptr<FramePlan>> queue_;
    // The zone of every stack pixel, the same for every frame of the run (multi-point, no drizzle).
    std::unique_ptr<ZoneMap> zones_;
};

}  // namespace kestrave
