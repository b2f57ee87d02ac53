// The automatic alignment points: on frames of textured blobs on black the points land on the
// blobs, never two within the minimum distance on both axes, none on a frame too small for the
// box and its margins, and no more than 99; the ranked list keeps its spacing when a newcomer
// pushes out several worse entries at once; the points stop at a quarter of the best score.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <random>
#include <vector>

#include "registration/point_estimator.h"

using namespace kestrave;

namespace {

// A disc of seeded grey noise on the green channel.
void drawBlob(Bitmap24& frame, PointXY centre, int radius, std::mt19937& rng) {
    std::uniform_int_distribution<int> level(0, 255);
    for (int y = centre.Y - radius; y <= centre.Y + radius; ++y)
        for (int x = centre.X - radius; x <= centre.X + radius; ++x)
            if ((x - centre.X) * (x - centre.X) + (y - centre.Y) * (y - centre.Y) <= radius * radius)
                frame.pixel(x, y)[1] = static_cast<std::uint8_t>(level(rng));
}

Bitmap24 blobFrame(int width, int height, const std::vector<PointXY>& centres, int radius) {
    Bitmap24 frame(width, height);
    std::mt19937 rng(7);
    for (const PointXY& centre : centres) drawBlob(frame, centre, radius, rng);
    return frame;
}

}  // namespace

TEST(PointEstimator, SixBlobsGiveSixPointsOnThemWellApart) {
    const std::vector<PointXY> blobs{{150, 150}, {400, 150}, {650, 150}, {150, 450}, {400, 450}, {650, 450}};
    const Bitmap24 frame = blobFrame(800, 600, blobs, 15);
    const int md = 100;
    const std::vector<PointXY> points = estimateAlignPoints(frame, 64, md);
    ASSERT_EQ(points.size(), blobs.size());
    std::vector<bool> found(blobs.size(), false);
    for (const PointXY& p : points) {
        for (std::size_t b = 0; b < blobs.size(); ++b)
            if (std::abs(p.X - blobs[b].X) <= 10 && std::abs(p.Y - blobs[b].Y) <= 10) found[b] = true;
        for (const PointXY& q : points) {
            const bool tooClose = &p != &q && std::abs(p.X - q.X) < md && std::abs(p.Y - q.Y) < md;
            EXPECT_FALSE(tooClose);
        }
    }
    EXPECT_EQ(found, std::vector<bool>(blobs.size(), true));
}

// The estimator's rolling window sums against every 21 x 21 window summed in full, on a frame of
// noise blobs of many sizes.
TEST(PointEstimator, MatchesWindowsSummedInFull) {
    std::mt19937 rng(3);
    std::uniform_int_distribution<int> x(60, 260), y(60, 180), radius(3, 20);
    Bitmap24 frame(320, 240);
    for (int i = 0; i < 25; ++i) drawBlob(frame, {x(rng), y(rng)}, radius(rng), rng);
    const int n = 32, m = n / 2 + 40, md = 30;

    std::vector<std::vector<int>> level(240, std::vector<int>(320, 0));
    std::vector<std::vector<double>> edge(240, std::vector<double>(320, 0.0));
    double largest = 0.0;
    const auto g = [&](int px, int py) { return static_cast<double>(frame.pixel(px, py)[1]); };
    for (int py = m; py <= 240 - m; ++py)
        for (int px = m; px <= 320 - m; ++px) {
            edge[py][px] = std::abs(2 * g(px, py) - g(px + 2, py) - g(px, py + 2) + 0.004) / 255;
            largest = std::max(largest, edge[py][px]);
        }
    for (int py = m; py <= 240 - m; ++py)
        for (int px = m; px <= 320 - m; ++px)
            if (edge[py][px] / largest > 0.2)
                level[py][px] = static_cast<int>(std::nearbyint(edge[py][px] / largest * 255));
    RankedPoints ranked(md);
    for (int py = 240 - m; py >= m; --py)
        for (int px = 320 - m; px >= m; --px) {
            std::int64_t sum = 0;
            for (int wy = py - 10; wy <= py + 10; ++wy)
                for (int wx = px - 10; wx <= px + 10; ++wx) sum += level[wy][wx];
            ranked.offer(px, py, sum);
        }
    std::vector<PointXY> expected;
    for (const RankedPoints::Entry& e : ranked.entries())
        if (e.score * 4 > ranked.entries()[0].score) expected.push_back({e.X, e.Y});

    const std::vector<PointXY> points = estimateAlignPoints(frame, n, md);
    ASSERT_EQ(points.size(), expected.size());
    ASSERT_GT(points.size(), 5u);
    for (std::size_t i = 0; i < points.size(); ++i) {
        EXPECT_EQ(points[i].X, expected[i].X) << i;
        EXPECT_EQ(points[i].Y, expected[i].Y) << i;
    }
}

TEST(PointEstimator, NoPointOnAFrameSmallerThanTheBoxAndItsMargins) {
    // Box 64: the points keep 72 pixels from every border, so 144 pixels are the least.
    for (const auto& [width, height] : {std::pair{143, 300}, std::pair{300, 143}}) {
        const Bitmap24 frame = blobFrame(width, height, {{width / 2, height / 2}}, 15);
        EXPECT_TRUE(estimateAlignPoints(frame, 64, 50).empty()) << width << " x " << height;
    }
    const Bitmap24 fits = blobFrame(144, 144, {{72, 72}}, 15);
    EXPECT_EQ(estimateAlignPoints(fits, 64, 50).size(), 1u);
}

TEST(PointEstimator, StopsAt99Points) {
    // 12 x 12 equal blobs, 30 pixels apart: 144 candidates all as good as the best.
    std::vector<PointXY> blobs;
    for (int i = 0; i < 12; ++i)
        for (int j = 0; j < 12; ++j) blobs.push_back({70 + 30 * i, 70 + 30 * j});
    const Bitmap24 frame = blobFrame(470, 470, blobs, 8);
    EXPECT_EQ(estimateAlignPoints(frame, 32, 25).size(), 99u);
}

TEST(PointEstimator, ANewcomerPushesOutEveryWorseEntryNearIt) {
    RankedPoints ranked(100);
    EXPECT_TRUE(ranked.offer(500, 500, 10));
    EXPECT_TRUE(ranked.offer(0, 0, 8));
    EXPECT_TRUE(ranked.offer(150, 0, 7));
    EXPECT_FALSE(ranked.offer(450, 450, 9)) << "within reach of a better entry";
    // Within reach of both worse entries, which are not within reach of each other: both drop
    // out, not only the first of them.
    EXPECT_TRUE(ranked.offer(75, 0, 9));
    const auto& entries = ranked.entries();
    EXPECT_EQ(entries[0].score, 10);
    EXPECT_EQ(entries[1].X, 75);
    EXPECT_EQ(entries[1].score, 9);
    EXPECT_EQ(entries[2].score, 0);
    EXPECT_EQ(ranked.floor(), 0.0);
}

// Entries far apart, best first: those above a quarter of the best score become points, the one
// at exactly a quarter and every later one do not.
TEST(PointEstimator, PointsStopAtAQuarterOfTheBestScore) {
    RankedPoints ranked(10);
    const std::int64_t scores[] = {1000, 260, 251, 250, 240, 900};
    for (int i = 0; i < 6; ++i) ASSERT_TRUE(ranked.offer(100 * i, 0, scores[i]));
    // Ranked: 1000, 900, 260, 251, 250, 240.
    const std::vector<PointXY> points = acceptedPoints(ranked);
    std::vector<int> xs;
    for (const PointXY& p : points) xs.push_back(p.X);
    EXPECT_EQ(xs, (std::vector<int>{0, 500, 100, 200}));
    EXPECT_TRUE(acceptedPoints(RankedPoints(10)).empty()) << "an empty list gives no point";
}
