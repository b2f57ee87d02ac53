// The data of the registration graph: quality relative to the best, correlation mapped into
// 0.5 .. 1, the difference statistics over included, measured frames and the caption; and the
// number texts of the charts.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "registration/chart_text.h"
#include "registration/registration_graph.h"

using namespace kestrave;

namespace {

// Ranks 0 .. keys.size() - 1 hold frames in reverse order with the given keys, peaks and
// differences.
std::unique_ptr<FrameModel> rankedModel(const std::vector<float>& keys, const std::vector<float>& peaks,
                                        const std::vector<float>& differences) {
    auto model = std::make_unique<FrameModel>();
    const int count = static_cast<int>(keys.size());
    for (int j = 0; j < count; ++j) {
        const int frame = count - 1 - j;
        model->FrameRanking[j].Frame = frame;
        model->FrameRanking[j].Key = keys[static_cast<std::size_t>(j)];
        model->FrameTable[frame].Slots[0].Peak = peaks[static_cast<std::size_t>(j)];
        model->FrameTable[frame].Slots[0].Difference = differences[static_cast<std::size_t>(j)];
    }
    model->FramesRanked = true;
    return model;
}

}  // namespace

TEST(Spectral, GraphScalesQualityAndCorrelationPerRank) {
    auto model = rankedModel({8.0f, 4.0f, 2.0f}, {0.9f, 0.5f, 0.7f}, {1.0f, 1.0f, 1.0f});
    RegistrationGraphData graph = registrationGraphData(*model, 2, "");
    EXPECT_EQ(graph.quality, (std::vector<double>{1.0, 0.5, 0.25}));
    ASSERT_EQ(graph.correlation.size(), 3u);
    EXPECT_NEAR(graph.correlation[0], 1.0, 1e-6);
    EXPECT_NEAR(graph.correlation[1], 0.5, 1e-6);
    EXPECT_NEAR(graph.correlation[2], 0.75, 1e-6);
    EXPECT_DOUBLE_EQ(graph.qualityAxisIncrement, 0.1);
    EXPECT_EQ(graph.rankAxisMaximum, 3.0);
    EXPECT_EQ(graph.rankAxisIncrement, 1.0);

    // Equal peaks all plot at 0.5, also negative ones; keys that are all 0 divide by 1.
    model = rankedModel({0.0f, 0.0f}, {0.6f, 0.6f}, {1.0f, 1.0f});
    graph = registrationGraphData(*model, 1, "");
    EXPECT_EQ(graph.correlation, (std::vector<double>{0.5, 0.5}));
    EXPECT_EQ(graph.quality, (std::vector<double>{0.0, 0.0}));
    model = rankedModel({1.0f, 1.0f}, {-0.3f, -0.3f}, {1.0f, 1.0f});
    EXPECT_EQ(registrationGraphData(*model, 1, "").correlation, (std::vector<double>{0.5, 0.5}));

    // Only the ranks up to the last one count; more than 10 points label every tenth.
    std::vector<float> keys(12, 1.0f);
    model = rankedModel(keys, std::vector<float>(12, 1.0f), std::vector<float>(12, 1.0f));
    graph = registrationGraphData(*model, 10, "");
    EXPECT_EQ(graph.quality.size(), 11u);
    EXPECT_DOUBLE_EQ(graph.rankAxisIncrement, 1.1);
    EXPECT_DOUBLE_EQ(graph.stackRankAxisIncrement, 1.0);
}

TEST(Spectral, GraphDifferencesCountOnlyIncludedMeasuredFrames) {
    auto model = rankedModel({5.0f, 4.0f, 3.0f, 2.0f, 1.0f}, {1.0f, 1.0f, 1.0f, 1.0f, 1.0f},
                             {4.0f, 16.0f, NotMeasuredDifference, 100.0f, 0.0f});
    model->FrameTable[model->FrameRanking[3].Frame].Excluded = true;  // the 100 does not count
    const RegistrationGraphData graph = registrationGraphData(*model, 4, "Run 2");
    EXPECT_DOUBLE_EQ(graph.largestDifference, 16.0);
    EXPECT_DOUBLE_EQ(graph.meanDifference, 20.0 / 3.0);
    EXPECT_EQ(graph.caption, "Run 2 Average pixel difference :2.582 max :4.000");
    // The largest difference and everything not below it are drawn as 0.
    EXPECT_EQ(graph.difference, (std::vector<double>{4.0, 0.0, 0.0, 0.0, 0.0}));
}

TEST(Spectral, GraphWithoutAMeasuredDifferenceIsAnInitialRun) {
    auto model = rankedModel({2.0f, 1.0f}, {1.0f, 2.0f}, {NotMeasuredDifference, NotMeasuredDifference});
    RegistrationGraphData graph = registrationGraphData(*model, 1, "prefix");
    EXPECT_EQ(graph.caption, "Initial optimizing run prefix");
    EXPECT_EQ(graph.largestDifference, 0.0);
    EXPECT_EQ(graph.meanDifference, 0.0);
    EXPECT_EQ(graph.difference, (std::vector<double>{0.0, 0.0}));

    graph = registrationGraphData(*model, -1, "prefix");  // no ranks at all
    EXPECT_TRUE(graph.quality.empty());
    EXPECT_EQ(graph.qualityAxisIncrement, 0.0);
    EXPECT_EQ(graph.caption, "Initial optimizing run prefix");
}

TEST(Spectral, ChartNumbersRoundToTheirPrecisionAndDecimals) {
    EXPECT_EQ(fixedPointText(0.5, 7, 5), "0.50000");
    EXPECT_EQ(fixedPointText(0.123456789, 7, 5), "0.12346");
    EXPECT_EQ(fixedPointText(123.456789, 7, 5), "123.45680");  // seven significant digits
    EXPECT_EQ(fixedPointText(9.9999996, 7, 5), "10.00000");
    EXPECT_EQ(fixedPointText(1234567.4, 7, 5), "1234567.00000");
    EXPECT_EQ(fixedPointText(12345678.0, 7, 5), "1.234568E+07");
    EXPECT_EQ(fixedPointText(0.0, 7, 5), "0.00000");
    EXPECT_EQ(fixedPointText(-0.000001, 7, 5), "0.00000");
    EXPECT_EQ(fixedPointText(-2.5, 6, 3), "-2.500");
    EXPECT_EQ(fixedPointText(std::sqrt(2.0), 6, 3), "1.414");
    EXPECT_EQ(fixedPointText(NAN, 7, 5), "NAN");
}
