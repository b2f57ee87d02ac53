// The cut-offs before a stack: the global quality and difference cut-offs over the ranking, one
// alignment point's sorted graph and its cuts, the stack-depth picture and the indicator offsets.

#include <gtest/gtest.h>

#include <memory>

#include "stack_test_support.h"
#include "stacking/stack_cutoffs.h"

namespace kestrave {
namespace {

using test::makePlane;

constexpr float NotMeasured = 10000000.0f;

// Six frames ranked 3, 0, 5, 1, 4, 2; the frame at rank 3 is excluded.
struct RankedFrames {
    RankedFrames() : model(std::make_unique<FrameModel>()) {
        const int ranking[] = {3, 0, 5, 1, 4, 2};
        const float quality[] = {10, 9, 8, 7, 6, 5};
        const float difference[] = {2, 4, NotMeasured, 3, 4.002f, 1};
        // Point 1's difference and point 2's quality and difference, by rank.
        const float difference1[] = {1, 2, 3, 4, 5, NotMeasured};
        const float quality2[] = {5, 7, 7, 9, 1, 6};
        const float difference2[] = {0.5f, NotMeasured, 0.3f, 0.8f, 0.1f, 0.2f};
        model->FramesRanked = true;
        for (int j = 0; j < 6; ++j) {
            model->FrameRanking[j].Frame = ranking[j];
            TFrameRec& rec = model->FrameTable[ranking[j]];
            rec.Slots[0].Quality = quality[j];
            rec.Slots[0].Difference = difference[j];
            rec.Slots[1].Difference = difference1[j];
            rec.Slots[2].Quality = quality2[j];
            rec.Slots[2].Difference = difference2[j];
        }
        model->FrameTable[1].Excluded = true;
    }
    std::unique_ptr<FrameModel> model;
};

TEST(StackCutoffs, CountTheRanksInsideBothCutoffs) {
    const RankedFrames frames;
    struct Case {
        int rank, tag, differencecut;
        int frame;
        bool excluded;
        float largest;
        int size;
        double lowQuality;
    };
    // The largest difference skips the excluded rank 3 and the unmeasured rank 2, and covers the
    // ranks below the tag only.
    const Case cases[] = {
        {5, 5, 1000, 2, false, 4.002f, 4, 70.0},  // ranks 0, 1, 4 and the cut-off itself
        {5, 4, 1000, 2, false, 4.0f, 3, 80.0},    // 4.002 is above the largest 4
        {5, 4, 1001, 2, false, 4.0f, 4, 70.0},    // 1001: up to 1.001 x 4
        {5, 4, 500, 2, false, 4.0f, 2, 90.0},     // up to 2: rank 0 alone
        {3, 5, 1000, 1, true, 4.002f, 3, 80.0},   // the cut-off on the excluded frame
        {0, 5, 1000, 3, false, 4.002f, 1, 100.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "rank " << c.rank << " tag " << c.tag << " cut " << c.differencecut);
        const StackCutoffs cutoffs = stackCutoffs(*frames.model, c.rank, c.tag, c.differencecut);
        EXPECT_EQ(cutoffs.frame, c.frame);
        EXPECT_EQ(cutoffs.excluded, c.excluded);
        EXPECT_FLOAT_EQ(cutoffs.largestDifference, c.largest);
        EXPECT_EQ(cutoffs.stackSize, c.size);
        EXPECT_EQ(cutoffs.StackListCount(), c.size - 1);
        EXPECT_NEAR(cutoffs.lowQuality, c.lowQuality, 1e-9);
    }

    // Every other frame excluded: nothing sets the largest difference and the count is 1.
    RankedFrames alone;
    for (int frame : {3, 0, 5, 1, 4}) alone.model->FrameTable[frame].Excluded = true;
    const StackCutoffs cutoffs = stackCutoffs(*alone.model, 5, 5, 1000);
    EXPECT_EQ(cutoffs.largestDifference, 0.0f);
    EXPECT_EQ(cutoffs.stackSize, 1);
}

TEST(StackCutoffs, PointGraphTakesTheEnteringFramesSortedByQuality) {
    const RankedFrames frames;
    struct Case {
        PointGraphInput input;
        std::vector<double> quality;
        std::vector<double> difference;
        double largestDifference;
        int sliderMax;
    };
    // Point 1's largest measured difference is 5 (rank 3 is excluded, rank 5 never measured).
    // Equal qualities keep their rank order; point 2's unmeasured difference shows as 0.
    const Case cases[] = {
        {{2, 5, 1000, false, 0.0f}, {7, 7, 5, 1}, {0, 0.3, 0.5, 0.1}, 0.5, 3},
        {{2, 5, 700, false, 0.0f}, {7, 7, 5}, {0, 0.3, 0.5}, 0.5, 2},  // point-1 limit 3.5
        {{2, 5, 1000, true, 6.0f}, {7, 7}, {0, 0.3}, 0.3, 1},          // the quality floor
        {{2, 0, 1000, false, 0.0f}, {5}, {0.5}, 0.5, 1},               // one frame: still 1
        {{2, 5, 0, false, 0.0f}, {}, {}, 0.0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "tag " << c.input.tag << " cut " << c.input.differencecut);
        const PointStackGraph graph = pointStackGraph(*frames.model, c.input);
        ASSERT_EQ(graph.quality, c.quality);
        ASSERT_EQ(graph.difference.size(), c.difference.size());
        for (std::size_t i = 0; i < c.difference.size(); ++i)
            EXPECT_NEAR(graph.difference[i], c.difference[i], 1e-6);
        EXPECT_NEAR(graph.largestDifference, c.largestDifference, 1e-6);
        EXPECT_EQ(graph.largestQuality, c.quality.empty() ? 0.0 : c.quality.front());
        EXPECT_EQ(graph.qualitySliderMax(), c.sliderMax);
    }
}

TEST(StackCutoffs, PointCutsCountTheSortedPositionsInsideBoth) {
    const RankedFrames frames;
    // Sorted: (7, 0), (7, 0.3), (5, 0.5), (1, 0.1); largest difference 0.5.
    const PointStackGraph graph = pointStackGraph(*frames.model, {2, 5, 1000, false, 0.0f});
    EXPECT_FLOAT_EQ(pointDifferenceCut(graph, 1000), 0.5f);
    EXPECT_FLOAT_EQ(pointDifferenceCut(graph, 500), 0.25f);
    EXPECT_FLOAT_EQ(pointDifferenceCut(graph, 1001), 0.5005f);

    struct Case {
        int s, difSlider;
        float current;
        float qualityCut;
        int frames;
    };
    const Case cases[] = {
        {2, 1000, 0.0f, 5.0f, 3},  {2, 500, 0.0f, 5.0f, 1},  // only the unmeasured 0 is within 0.25
        {3, 1000, 0.0f, 1.0f, 4},  {1, 1000, 0.0f, 7.0f, 2},
        {10, 1000, 6.0f, 6.0f, 2},  // past the graph: the cut stays, every position counts
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "s " << c.s << " dif " << c.difSlider);
        const float cut = pointQualityCutAt(graph, c.s, c.current);
        EXPECT_EQ(cut, c.qualityCut);
        EXPECT_EQ(pointFramesToStack(graph, c.s, pointDifferenceCut(graph, c.difSlider), cut), c.frames);
    }
}

TEST(StackCutoffs, DepthPictureScalesTheWeightsToTheLargest) {
    const float weights[3][2] = {{0, 2}, {4, 8}, {1, 3}};  // [x][y]
    const T2dArrays plane = makePlane(3, 2, [&](int x, int y) { return weights[x][y]; });
    // 255 x w / 8, halves to even: 63.75 -> 64, 127.5 -> 128, 31.875 -> 32, 95.625 -> 96. The
    // picture's fourth column lies outside the plane.
    const Bitmap24 picture = stackDepthPicture(plane, 4, 2);
    const int expected[2][4] = {{0, 128, 32, 0}, {64, 255, 96, 0}};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x) {
            const std::uint8_t* pixel = picture.pixel(x, y);
            EXPECT_EQ(pixel[0], expected[y][x]) << x << "," << y;
            EXPECT_EQ(pixel[1], pixel[0]);
            EXPECT_EQ(pixel[2], pixel[0]);
        }
    // Weights below 1 are scaled to 1, not to their own largest.
    const Bitmap24 thin = stackDepthPicture(makePlane(1, 1, [](int, int) { return 0.5f; }), 1, 1);
    EXPECT_EQ(thin.pixel(0, 0)[1], 128);
}

TEST(StackCutoffs, IndicatorOffsetStaysOnThePlot) {
    EXPECT_EQ(indicatorOffset(360, 5, 10.001), 180);
    EXPECT_EQ(indicatorOffset(300, 1001 - 1000, 1002), 0);  // 0.3 rounds to 0
    EXPECT_EQ(indicatorOffset(300, 1001 - 0, 1002), 300);   // 299.7
    EXPECT_EQ(indicatorOffset(360, 5, 0.0), 0);
    EXPECT_EQ(indicatorOffset(360, 20, 10.001), 360);
}

}  // namespace
}  // namespace kestrave
