#pragma once
// The stack cut-offs as values: the global cut-offs at a rank, an alignment point's stack graph,
// the cut-offs over that graph and where an indicator stands on a plot.

#include <vector>

namespace kestrave {

// The global cut-offs at the quality cut-off `rank` with the rank bound `tag` (StackSlider.Value
// and .Tag) and the difference cut-off `differencecut` (differencecutslider, 0..1001).
struct StackCutoffs {
    int frame = 0;  // the frame at rank `rank`
    bool excluded = false;
    // The largest slot-0 difference over the ranks 0..tag - 1 that are not Excluded; a difference
    // never measured does not count.
    float largestDifference = 0.0f;
    // 1 plus the ranks 0..rank - 1 that are not Excluded and whose slot-0 difference is at most
    // differencecut thousandths of the largest difference.
    int stackSize = 0;
    // Quality of the frame at rank stackSize - 1 relative to the best frame, percent.
    double lowQuality = 0.0;

    // The frames inside both cut-offs, not counting the one at the cut-off.
    int StackListCount() const { return stackSize - 1; }
};

// What one alignment point's stack graph is drawn from.
struct PointGraphInput {
    int point = 1;             // p, kept within 1..99
    int tag = 0;               // StackSlider.Tag: the graph covers the ranks 0..tag
    int differencecut = 1000;  // differencecutslider, applied to point 1's difference
    bool MultiQuantity = false;
    float qualityFloor = 0.0f;  // PointQualityCutInit[p], with MultiQuantity
};

// Point p's stack graph. A frame enters when it is not Excluded, its point-1 difference is inside
// the global difference cut-off (over the largest measured point-1 difference of the ranks
// 0..tag), and with MultiQuantity its point-p quality reaches the floor. The entries are sorted by
// point-p quality from best down (equal qualities keep their rank order); each difference stays
// with its quality, a difference never measured drawn as 0.
struct PointStackGraph {
    std::vector<double> quality;
    std::vector<double> difference;
    double largestDifference = 0.0;
    double largestQuality = 0.0;  // the first quality, 0 without entries

    int count() const { return static_cast<int>(quality.size()); }
    // QUALSliderMalign.MaxValue: at least 1, so that a graph of 0 or 1 entries still has a range.
    int qualitySliderMax() const { return (count() < 2 ? 2 : count()) - 1; }
};

// The difference cut of a point whose difference slider (DifSliderMalign, 0..1001) stands at
// `difSlider`: that many thousandths of the graph's largest difference.
double pointDifferenceCut(const PointStackGraph& graph, int difSlider);

// The point's frames to stack: the sorted positions 0..s whose difference is at most
// `differenceCut` and whose quality is at least `qualityCut`.
int pointFramesToStack(const PointStackGraph& graph, int s, double differenceCut, double qualityCut);

// The quality cut-off at position s (QUALSliderMalign), or `current` when s is past the graph.
float pointQualityCutAt(const PointStackGraph& graph, int s, float current);

// Where a cut-off indicator stands on a plot `extent` pixels long: Round(extent x position /
// divisor), kept on the plot (0..extent); a divisor of 0 or less puts it at the start.
int indicatorOffset(int extent, double position, double divisor);

}  // namespace kestrave
