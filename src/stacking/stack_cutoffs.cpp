#include "stacking/stack_cutoffs.h"

#include <algorithm>
#include <cmath>

#include "stacking/stack_list.h"
#include "stacking/stack_options.h"

namespace kestrave {

namespace {

int clampedRank(int rank) {
    return std::clamp(rank, 0, MaxFrameIndex);
}

const TFrameRec& recordAtRank(const FrameModel& model, int rank) {
    return model.FrameTable[frameAtRank(model, rank)];
}

// The largest measured difference of `slot` over the ranks 0..last that are not Excluded (0 when
// there is none).
float largestMeasuredDifference(const FrameModel& model, int slot, int last) {
    float largest = 0.0f;
    for (int j = 0; j <= std::min(last, MaxFrameIndex); ++j) {
        const TFrameRec& rec = recordAtRank(model, j);
        const float difference = rec.Slots[slot].Difference;
        if (!rec.Excluded && difference != NotMeasuredDifference) largest = std::max(largest, difference);
    }
    return largest;
}

}  // namespace

StackCutoffs stackCutoffs(const FrameModel& model, int rank, int tag, int differencecut) {
    StackCutoffs cutoffs;
    rank = clampedRank(rank);
    cutoffs.frame = frameAtRank(model, rank);
    cutoffs.excluded = model.FrameTable[cutoffs.frame].Excluded;
    cutoffs.largestDifference = largestMeasuredDifference(model, 0, clampedRank(tag) - 1);
    // The factor first, as the stack itself does: at 1000 the limit is the largest difference.
    const double limit = cutoffs.largestDifference * (differencecut * 0.001);
    cutoffs.stackSize = 1;
    for (int j = 0; j < rank; ++j) {
        const TFrameRec& rec = recordAtRank(model, j);
        if (!rec.Excluded && rec.Slots[0].Difference <= limit) ++cutoffs.stackSize;
    }
    float best = recordAtRank(model, 0).Slots[0].Quality;
    if (best == 0.0f) best = 1.0f;
    cutoffs.lowQuality =
        recordAtRank(model, cutoffs.stackSize - 1).Slots[0].Quality / static_cast<double>(best) * 100.0;
    return cutoffs;
}

PointStackGraph pointStackGraph(const FrameModel& model, const PointGraphInput& input) {
    const int p = std::clamp(input.point, 1, AlignSlotCount - 1);
    const int tag = std::min(input.tag, MaxFrameIndex);
    // The global difference cut-off works on point 1's difference here.
    const double limit = largestMeasuredDifference(model, 1, tag) * (input.differencecut * 0.001);
    struct Entry {
        double quality;
        double difference;
    };
    std::vector<Entry> entries;
    for (int j = 0; j <= tag; ++j) {
        const TFrameRec& rec = recordAtRank(model, j);
        const TAlignSlotRec& slot = rec.Slots[p];
        if (input.MultiQuantity && slot.Quality < input.qualityFloor) continue;
        if (rec.Excluded || rec.Slots[1].Difference > limit) continue;
        entries.push_back({slot.Quality, slot.Difference == NotMeasuredDifference ? 0.0 : slot.Difference});
    }
    std::stable_sort(entries.begin(), entries.end(),
                     [](const Entry& a, const Entry& b) { return a.quality > b.quality; });

    PointStackGraph graph;
    for (const Entry& entry : entries) {
        graph.quality.push_back(entry.quality);
        graph.difference.push_back(entry.difference);
        graph.largestDifference = std::max(graph.largestDifference, entry.difference);
    }
    if (!entries.empty()) graph.largestQuality = entries.front().quality;
    return graph;
}

double pointDifferenceCut(const PointStackGraph& graph, int difSlider) {
    return graph.largestDifference * (difSlider * 0.001);
}

int pointFramesToStack(const PointStackGraph& graph, int s, double differenceCut, double qualityCut) {
    int frames = 0;
    for (int i = 0; i <= std::min(s, graph.count() - 1); ++i) {
        const auto at = static_cast<std::size_t>(i);
        if (graph.difference[at] <= differenceCut && graph.quality[at] >= qualityCut) ++frames;
    }
    return frames;
}

float pointQualityCutAt(const PointStackGraph& graph, int s, float current) {
    if (s < 0 || s >= graph.count()) return current;
    return static_cast<float>(graph.quality[static_cast<std::size_t>(s)]);
}

Bitmap24 stackDepthPicture(const T2dArrays& weights, int width, int height) {
    Bitmap24 picture(std::max(width, 0), std::max(height, 0));
    const int columns = std::min(picture.width(), weights.xCount());
    const int rows = std::min(picture.height(), weights.yCount());
    float largest = 1.0f;
    for (int x = 0; x < columns; ++x)
        for (int y = 0; y < rows; ++y) largest = std::max(largest, weights[x][y]);
    for (int x = 0; x < columns; ++x)
        for (int y = 0; y < rows; ++y) {
            const double grey = std::clamp(weights[x][y] / static_cast<double>(largest) * 255.0, 0.0, 255.0);
            const auto level = static_cast<std::uint8_t>(std::lrint(grey));
            SetRGBTriple(level, level, level, picture.pixel(x, y));
        }
    return picture;
}

int indicatorOffset(int extent, double position, double divisor) {
    if (!(divisor > 0.0) || extent <= 0) return 0;
    const double offset = std::clamp(extent * position / divisor, 0.0, static_cast<double>(extent));
    return static_cast<int>(std::lrint(offset));
}

}  // namespace kestrave
