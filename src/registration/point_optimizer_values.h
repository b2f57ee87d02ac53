#pragma once
// What the points' optimizer reads besides the optimizer's options, what it tells the window while
// it runs, and what it returns.

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace kestrave {

class Bitmap24;

// What the point optimizer reads besides the optimizer's options.
struct PointOptimizerInput {
    int lastFrame = 0;           // PreviewSlider.MaxValue: the records parked and filed back
    bool MultiQuantity = false;  // MultiAlign on "Multi-Quantity": each point its own grades
    int DifSliderMalign = 1001;  // the difference cut in thousandths of a point's largest difference
    int StackSliderMax = 0;      // where each point's quality slider starts
    // The frame whose picture is the reference (Image1) when that is not the frame the points
    // were placed on (-1: it is). Every point's shifts are measured from that frame's own shift of
    // the point and filed back as shifts from the frame the points were placed on.
    int referenceFrame = -1;
    // The points' shifts come from one pass on the whole-frame box (the setup's WholeFrameStart,
    // filled in by the pipeline): its differences were measured on none of the points' boxes, and
    // every point's optimizer starts afresh.
    bool wholeFrameStart = false;
    // The picture on which each point's box is judged to hold anything to lock on when it is not
    // the reference picture: the frame the points were placed on, read at the points' own places
    // (nullptr: the reference picture, at the points as measured on it).
    const Bitmap24* placementPicture = nullptr;
};

// What the window shows while the points are optimized; every call comes on the caller's thread.
class PointOptimizerObserver {
public:
    virtual ~PointOptimizerObserver() = default;
    // Point p is next; `countdown` is the time left in milliseconds (0 before the first point
    // ended).
    virtual void pointStarting(int /*point*/, int /*countdown*/) {}
    // `done` points are optimized.
    virtual void pointFinished(int /*point*/, int /*done*/) {}
};

struct PointOptimizerResult {
    bool cancelled = false;
    // The points whose box holds nothing to lock on, each with the point whose shifts its zone
    // took (0: none held, the zone keeps the alignment's shifts).
    std::vector<std::pair<int, int>> followers;
    // The new state of the Warnings check box when a question's "do not repeat" box changed it.
    std::optional<bool> Warnings;
};

}  // namespace kestrave
