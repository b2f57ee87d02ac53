// A multi-point stack leaves a point's zone empty when no frame of the stack can place it: the
// point is never measured (1e7), its difference is over its cut in every frame, or (with
// Multi-Quantity) its grade is under its cut in every frame.

#include <gtest/gtest.h>

#include <memory>

#include "stacking/stack_list.h"

namespace kestrave {
namespace {

TEST(PointZones, APointNoFrameCanPlaceLeavesItsZoneEmpty) {
    const auto model = std::make_unique<FrameModel>();
    StackPointSet points;
    points.Alignpoints = 5;
    points.MultiQuantity = true;
    for (int p = 1; p <= 5; ++p) {
        points.PointDifferenceCut[p] = 50.0f;
        points.PointQualityCut[p] = 2.0f;
    }
    // Slot p of frames 0, 1, 2: {difference, grade}.
    struct Row {
        int point;
        std::array<std::array<float, 2>, 3> frames;
    };
    for (const Row& row : {Row{1, {{{10, 3}, {10, 3}, {10, 3}}}},        // usable everywhere
                           Row{2, {{{1e7f, 3}, {1e7f, 3}, {1e7f, 3}}}},  // never measured
                           Row{3, {{{60, 3}, {60, 3}, {40, 3}}}},        // usable in frame 2 only
                           Row{4, {{{60, 3}, {51, 3}, {10, 1}}}},        // too far or too poor in each
                           Row{5, {{{50, 2}, {1e7f, 1}, {99, 9}}}}})     // exactly at both cuts in frame 0
        for (int f = 0; f < 3; ++f) {
            model->FrameTable[f].Slots[row.point].Difference = row.frames[f][0];
            model->FrameTable[f].Slots[row.point].Quality = row.frames[f][1];
        }
    EXPECT_EQ(pointsWithoutFrames(*model, points, {0, 1, 2}), (std::vector<int>{2, 4}));
    EXPECT_EQ(pointsWithoutFrames(*model, points, {0, 1}), (std::vector<int>{2, 3, 4}));
    points.MultiQuantity = false;
    EXPECT_EQ(pointsWithoutFrames(*model, points, {0, 1, 2}), (std::vector<int>{2}));
}

}  // namespace
}  // namespace kestrave
