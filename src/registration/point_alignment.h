#pragma once
// The alignment of every frame once per alignment point, and what is filed from it: the shifts,
// grades and differences of point p in slot p of every frame record, the best grade of each
// point, the frames' rotation from points 1 and 2, and the time the rest of the work will take.
//
// The points are aligned as if one pass ran per point, from the highest number down to point 1:
// each point keeps its own reference (box size, band mask, spectrum), tracking, lock test and
// ranking, and a frame a point deselects is left out for the points after it. Each frame is read
// once for all points: the points' correlations and grades run side by side on every core (a
// frame's grades beside the next frame's correlations), and only the lock tests, the questions
// and the writes follow the points in that order. The results are those of the pass-by-pass
// order at any thread count. (A question that waits for the user comes frame by frame for all
// points rather than point after point; unattended runs and "Ignore" give the same frames.)

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "registration/alignment_pass.h"
#include "registration/alignment_points.h"

namespace kestrave {

// One alignment point's own reference, as computed on the point reference frame for the box
// around the point: the engine sized to its box with its band mask, the reference spectrum and
// picture, and the alignment options in force then (the automatic quality band among them).
struct PointReference {
    int point = 0;  // p, 1..99
    int FeatureX = 0;
    int FeatureY = 0;
    FftEngine fft;
    std::unique_ptr<RegistrationState> registration = std::make_unique<RegistrationState>();
    AlignOptions align;
    // This point's frames are pointed out by hand (only the first point aligned, as it was set
    // before the points were placed).
    bool ManualAlign = false;
};

// Takes the reference now in `fft` and `registration`, computed for the feature in `program`, as
// point p's.
PointReference takePointReference(int point, const FftEngine& fft, const RegistrationState& registration,
                                  const ProgramState& program, const AlignOptions& align);

// Copies everything of a registration state: the picked feature and box, the flags, the tracking
// and the reference planes and picture.
void copyRegistration(const RegistrationState& from, RegistrationState& to);

struct PointAlignmentResult {
    // As the pass of the last point (point 1) ended: its ranking, graph and switches. A cancel or
    // failure anywhere ends every point.
    AlignmentPassResult pass;
    // The best grade of each point filed (0 for the others).
    std::array<float, AlignSlotCount> PointBestQuality{};
    // The points whose slots were filed, in the order they were aligned.
    std::vector<int> filed;
};

// Aligns frames 0 .. options.lastFrame once for each point of `points`, given from the highest
// number down, and files each point's results in slot p (also after a cancel, with what was
// measured). The frame model, the ranking and the context's engine, registration, program and
// alignment state end as the last point's pass leaves them. The frame source must put every
// frame's 8-bit picture into FrameBuffers::Preview.
PointAlignmentResult alignPointsAllFrames(AlignContext& context, const AlignmentPassOptions& options,
                                          std::vector<PointReference>& points, FrameSource& source);

// Files slot 0 of frame records 0 .. lastFrame as point p's: shift (also as the saved shift),
// grade, peak, brightness and difference. Returns the point's best grade (0 when none is above).
float filePointSlot(FrameModel& model, int point, int lastFrame);

// The "Simple" setup measures point 1 alone: every point 2 .. lastPoint of frame records
// 0 .. lastFrame takes point 1's shift (also as its saved shift) and grade, with the difference
// NotMeasuredDifference; each point's best grade becomes point 1's.
void copyFirstPointToAll(FrameModel& model, int lastPoint, int lastFrame,
                         std::array<float, AlignSlotCount>& PointBestQuality);

// The whole-frame box of a "Simple" alignment of two or more points: the largest box side (32 to
// 512) that fits a width x height frame with a pixel to spare on each side, centred on the
// middle of the points 1..count (kept far enough inside for that side).
int wholeFrameBoxSize(int width, int height);
PointXY wholeFrameBoxCentre(const AlignmentPoints& points, int count, int width, int height);

// The rotation of every frame 0 .. lastFrame from points 1 and 2: with (dx, dy) the vector from
// point 1 to point 2 as the frame shows them (each point's position plus its shift in the
// frame), Angle = atan2(dx, dy) in degrees, less the reference frame's (whose Angle becomes 0).
// Returns the distance of the two points in every frame.
std::vector<double> pointAngles(FrameModel& model, const PointXY& first, const PointXY& second, int lastFrame,
                                int referenceFrame);

}  // namespace kestrave
