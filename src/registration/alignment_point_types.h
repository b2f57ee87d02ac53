#pragma once
// The alignment points as values: the alignment methods, the point arrays, the rows of the point
// grid as the user sees and edits them, what a point file held, and the free alignment box's fit.
//
// Point p (1..99) sits at index p of every array; index 0 is not a point. Each point has a
// reference position in frame pixels and a square FFT box of 32, 64, 128, 256 or 512 pixels.

#include <array>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "frames/frame_model.h"
#include "frames/program_state.h"

namespace kestrave {

// The items of the Alignmethod choice.
inline constexpr int AlignMethodSingle = 0;  // "Default(single)"
inline constexpr int AlignMethodMultipoint = 1;
inline constexpr int AlignMethodNone = 2;

// The most points the arrays hold: slots 1..99 of every frame record.
inline constexpr int MaxAlignPoints = AlignSlotCount - 1;

struct AlignPoint {
    int X = 0;
    int Y = 0;
    int FFTSize = 0;  // 32, 64, 128, 256 or 512
    bool operator==(const AlignPoint&) const = default;
};

struct AlignmentPoints {
    AlignmentPoints() { PointEnabled.fill(true); }

    // While points are set up, the next free point number (points + 1; 1 means no point and
    // single-box alignment); after the multi-point setup the point count.
    int Alignpoints = 1;
    std::array<PointXY, AlignSlotCount> PointPos{};
    std::array<int, AlignSlotCount> PointFFTIndex{};  // the FFTsizeGroup item of the box
    std::array<int, AlignSlotCount> PointFFTSize{};
    std::array<bool, AlignSlotCount> PointEnabled{};
    std::array<float, AlignSlotCount> PointBestQuality{};

    // Multi-point alignment is on; the points are placed (the placing loop ends).
    bool MultiPointMode = false;
    bool StopPlacing = false;
    // The points' setup aligned the frames once on the whole-frame box, point 1's box holding
    // nothing to lock on: every point's optimizer starts afresh from that shift.
    bool WholeFrameStart = false;
    // The free alignment box ("Userdefined Alignment Box"): its centre and size in frame pixels.
    bool FreeBox = false;
    int FreeBoxCentreX = 0;
    int FreeBoxCentreY = 0;
    int FreeBoxWidth = 0;
    int FreeBoxHeight = 0;
    // The feature of the last release of the mouse on the preview; "Default(single)" returns to
    // it after the points moved the feature.
    int SavedFeatureX = 0;
    int SavedFeatureY = 0;
};

// The FFTsizeGroup item (0..4) of a box side, -1 for a side that is not a box size.
int fftItemForSize(int size);

// One row of the point grid as text: X, Y and the box side.
struct PointRowText {
    std::string X;
    std::string Y;
    std::string FFT;
};

// The rows of the grid read as points, all or none: the first row that is not a whole point
// (a cell that is not an integer, a box side that is not one of the five sizes, a position
// outside the frame) stops the reading with a message naming it.
struct PointRowsCheck {
    std::vector<AlignPoint> points;
    std::string problem;  // empty when every row is a point
};
PointRowsCheck readPointRows(std::span<const PointRowText> rows, int frameWidth, int frameHeight);

// One row (numbered `number` for the message) read as a point: the point, or why it is none. A
// point lies on the frame: 0 <= X < frameWidth, 0 <= Y < frameHeight.
struct PointRowReading {
    std::optional<AlignPoint> point;
    std::string problem;
};
PointRowReading readPointRow(int number, const PointRowText& row, int frameWidth, int frameHeight);

// The row (0-based) of the point nearest to (x, y), by squared distance, when it is nearer than
// `reach` (squared distance below reach squared); -1 when there is none. Of equal distances the
// first row wins; rows whose X or Y cell is not an integer are passed over.
int nearestPointRow(std::span<const PointRowText> rows, int x, int y, int reach);

struct PointFileContent {
    int frameNumber = 0;
    // The rows that are points, in file order: at most MaxAlignPoints.
    std::vector<AlignPoint> points;
    // What was left out and why, one line each; empty when the file was taken whole.
    std::string problems;
};

// The remaining time as the multi-point window shows it: "Time left: hh:mm:ss".
std::string timeLeftText(int milliseconds);
// The time left before point p is aligned (or optimized), at `average` milliseconds per point:
// whole 5-second steps, plus 5 seconds.
int pointCountdown(int average, int point);

// --- The free alignment box ----------------------------------------------------------------------

// The FFTsizeGroup item of a dragged box whose larger side is `size`: 512 over 256 pixels, 256
// over 128, 128 over 64, else 64 (the free box never selects 32).
int freeBoxSizeItem(int size);

struct FreeBoxFit {
    TEdgeRect box;          // the box, n x n around its centre when it was larger
    bool tooLarge = false;  // the dragged box was larger than n: "Box larger then maximum available size"
    int centreX = 0;        // the box centre moved at least 10 pixels plus half a box inside every border
    int centreY = 0;
};
// Fits an ordered dragged box to the box side n in force on a frame of the given size.
FreeBoxFit fitFreeBox(const TEdgeRect& box, int n, int frameWidth, int frameHeight);

}  // namespace kestrave
