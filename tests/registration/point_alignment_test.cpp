// The alignment of every frame once per alignment point: one point is exactly the pass on its
// box; several points aligned side by side give what one pass per point, from the highest point
// down, gives (a lost lock, a frame left out by a point's ranking, the thread count); the rotation
// from points 1 and 2 follows the turn of the frames; the "Simple" copy and the countdown.

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <numbers>

#include "align_test_bench.h"
#include "registration/alignment_points.h"
#include "registration/point_alignment.h"
#include "support/thread_count_scope.h"

namespace kestrave::test {
namespace {

constexpr int Width = 200;
constexpr int Height = 160;
constexpr int Frames = 14;
constexpr int Box = 64;

// Pictures of one fine random texture, each frame's content moved by its own field: frame pixel
// (x, y) shows the texture at (x, y) - move(frame, x, y), sampled bilinearly.
using MoveField = std::function<std::array<double, 2>(int frame, double x, double y)>;
std::vector<Bitmap24> movedTexture(int frames, const MoveField& move) {
    constexpr int Margin = 24;
    const int cw = Width + 2 * Margin, ch = Height + 2 * Margin;
    synth::SeededRandom random(5);
    std::vector<double> noise(static_cast<std::size_t>(cw) * ch);
    for (double& v : noise) v = random.uniform(0.0, 255.0);
    std::vector<double> texture(noise.size());
    for (int y = 0; y < ch; ++y)
        for (int x = 0; x < cw; ++x) {
            double sum = 0.0;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx)
                    sum += noise[static_cast<std::size_t>(std::clamp(y + dy, 0, ch - 1)) * cw +
                                 static_cast<std::size_t>(std::clamp(x + dx, 0, cw - 1))];
            texture[static_cast<std::size_t>(y) * cw + x] = sum / 9.0;
        }
    const auto at = [&](double x, double y) {
        x = std::clamp(x + Margin, 0.0, cw - 1.001);
        y = std::clamp(y + Margin, 0.0, ch - 1.001);
        const int x0 = static_cast<int>(x), y0 = static_cast<int>(y);
        const double fx = x - x0, fy = y - y0;
        const auto t = [&](int u, int v) { return texture[static_cast<std::size_t>(v) * cw + u]; };
        return (t(x0, y0) * (1 - fx) + t(x0 + 1, y0) * fx) * (1 - fy) +
               (t(x0, y0 + 1) * (1 - fx) + t(x0 + 1, y0 + 1) * fx) * fy;
    };
    std::vector<Bitmap24> pictures;
    for (int f = 0; f < frames; ++f) {
        Bitmap24& picture = pictures.emplace_back(Width, Height);
        for (int y = 0; y < Height; ++y)
            for (int x = 0; x < Width; ++x) {
                const auto m = move(f, x, y);
                const auto v = static_cast<std::uint8_t>(std::lrint(at(x - m[0], y - m[1])));
                SetRGBTriple(v, v, v, picture.pixel(x, y));
            }
    }
    return pictures;
}

// The left and right halves of every frame move by different whole shifts.
std::array<double, 2> splitMove(int frame, double x, double) {
    const int s = frame % 5 - 2;
    return x < Width / 2 ? std::array<double, 2>{double(s), double(-s)}
                         : std::array<double, 2>{double(-s), 1.0};
}

struct PointSite {
    int point;
    int x;
    int y;
};
const std::vector<PointSite> ThreePoints{{3, 150, 80}, {2, 100, 60}, {1, 50, 80}};

// A bench whose frames are aligned once per point, pass after pass (`byPasses`) or side by side.
struct PointBench {
    AlignBench bench{Width, Height, Box, Frames};
    MemoryFrameSource source;
    explicit PointBench(std::vector<Bitmap24> pictures) : source(std::move(pictures)) {
        bench.program.BatchMode = true;
    }

    void pickPoint(const PointSite& site) { bench.pick(source.pictures[0], site.x, site.y); }

    void byPasses(const std::vector<PointSite>& sites) {
        for (const PointSite& site : sites) {
            pickPoint(site);
            ASSERT_EQ(bench.run(source).end, PassEnd::Finished);
            filePointSlot(*bench.model, site.point, Frames - 1);
        }
    }
    PointAlignmentResult sideBySide(const std::vector<PointSite>& sites) {
        std::vector<PointReference> references;
        for (const PointSite& site : sites) {
            pickPoint(site);
            references.push_back(
                takePointReference(site.point, bench.fft, bench.registration, bench.program, bench.align()));
        }
        return alignPointsAllFrames(bench.context, bench.passOptions, references, source);
    }
};

void expectSameSlot(const TAlignSlotRec& a, const TAlignSlotRec& b, const std::string& where) {
    EXPECT_EQ(a.X, b.X) << where;
    EXPECT_EQ(a.Y, b.Y) << where;
    EXPECT_EQ(a.SavedX, b.SavedX) << where;
    EXPECT_EQ(a.Quality, b.Quality) << where;
    EXPECT_EQ(a.Difference, b.Difference) << where;
    EXPECT_EQ(a.Peak, b.Peak) << where;
    EXPECT_EQ(a.Brightness, b.Brightness) << where;
}

// Everything the alignment of the points leaves in the model, slots 0..points.
void expectSameModel(const FrameModel& a, const FrameModel& b, int points) {
    for (int f = 0; f < Frames; ++f) {
        for (int p = 0; p <= points; ++p)
            expectSameSlot(a.FrameTable[f].Slots[p], b.FrameTable[f].Slots[p],
                           "frame " + std::to_string(f) + " slot " + std::to_string(p));
        EXPECT_EQ(a.FrameTable[f].Excluded, b.FrameTable[f].Excluded) << f;
        EXPECT_EQ(a.FrameTable[f].AlignDifference, b.FrameTable[f].AlignDifference) << f;
        EXPECT_EQ(a.FrameRanking[f].Frame, b.FrameRanking[f].Frame) << f;
        EXPECT_EQ(a.FrameRanking[f].Key, b.FrameRanking[f].Key) << f;
    }
}

TEST(PointAlignment, OnePointIsThePassOnItsBox) {
    const std::vector<Bitmap24> pictures = movedTexture(Frames, splitMove);
    PointBench pass(pictures), point(pictures);
    pass.byPasses({{1, 100, 80}});
    const PointAlignmentResult result = point.sideBySide({{1, 100, 80}});
    ASSERT_EQ(result.pass.end, PassEnd::Finished);
    EXPECT_EQ(result.filed, std::vector<int>{1});
    expectSameModel(*pass.bench.model, *point.bench.model, 1);
    EXPECT_EQ(point.bench.program.TrackOffsetX, pass.bench.program.TrackOffsetX);
    EXPECT_EQ(point.bench.alignment.DifferenceSum, pass.bench.alignment.DifferenceSum);
}

// Frames 1 and 7 lose the lock of a point (unattended, "Ignore" deselects them for the points after
// it); frame 6 is flat around point 2 and, the selection being two frames short, a ranking leaves it
// out, so the points after that ranking must not align it.
TEST(PointAlignment, PointsSideBySideGiveThePassByPassResultAtAnyThreadCount) {
    std::vector<Bitmap24> pictures = movedTexture(Frames, splitMove);
    for (int y = 28; y < 92; ++y)
        for (int x = 68; x < 132; ++x) SetRGBTriple(90, 90, 90, pictures[6].pixel(x, y));
    const auto prepare = [](PointBench& bench) {
        bench.bench.model->usedframes = Frames - 2;
        bench.bench.model->FrameTable[9].Excluded = true;
    };
    PointBench passes(pictures);
    prepare(passes);
    passes.byPasses(ThreePoints);
    ASSERT_EQ(passes.bench.view.deselected, (std::vector<int>{1, 7}));
    ASSERT_TRUE(passes.bench.model->FrameTable[6].Excluded);
    for (const int threads : {1, 8}) {
        SCOPED_TRACE(threads);
        const ThreadCountScope scope(threads);
        PointBench points(pictures);
        prepare(points);
        const PointAlignmentResult result = points.sideBySide(ThreePoints);
        ASSERT_EQ(result.pass.end, PassEnd::Finished);
        EXPECT_EQ(result.filed, (std::vector<int>{3, 2, 1}));
        expectSameModel(*passes.bench.model, *points.bench.model, 3);
        // The lost-lock questions read as the one box's do.
        std::vector<std::string> lost;
        for (const Message& message : points.bench.messages.history())
            if (message.text.find("Cannot lock") != std::string::npos) lost.push_back(message.caption);
        EXPECT_FALSE(lost.empty());
        for (const std::string& caption : lost) EXPECT_EQ(caption, "Alignment ");
        EXPECT_EQ(points.bench.program.FeatureX, 50) << "the feature ends on point 1";
        EXPECT_EQ(points.bench.registration.RefSpectrumRe.data()[5],
                  passes.bench.registration.RefSpectrumRe.data()[5]);
    }
}

TEST(PointAlignment, ACancelFilesWhatEveryPointMeasured) {
    PointBench points(movedTexture(Frames, splitMove));
    points.bench.progress.onPoll = [](NullProgress& progress) {
        if (progress.position() >= 10) progress.setCancelRequested(true);
    };
    const PointAlignmentResult result = points.sideBySide(ThreePoints);
    EXPECT_EQ(result.pass.end, PassEnd::Cancelled);
    EXPECT_EQ(result.filed, (std::vector<int>{3, 2, 1}));
    for (int p = 1; p <= 3; ++p) {
        EXPECT_GT(points.bench.model->FrameTable[3].Slots[p].Quality, 0.0f) << p;
        EXPECT_EQ(points.bench.model->FrameTable[12].Slots[p].Quality, 0.0f) << p;
    }
    EXPECT_EQ(points.bench.program.progstatus, TProgStatus::psNone);
}

// Frames turned about the frame's centre, clockwise on the screen for a positive turn: point 2
// below point 1 moves to the left, and the frame's Angle (against frame 0) is minus the turn.
TEST(PointAlignment, TheAngleOfPointsOneAndTwoFollowsTheTurnOfTheFrames) {
    const std::vector<double> turns{0.0, 5.0, -5.0, 2.0};
    const auto turn = [&](int frame, double x, double y) {
        const double a = turns[static_cast<std::size_t>(frame) % turns.size()] * std::numbers::pi / 180.0;
        const double u = x - Width / 2.0, v = y - Height / 2.0;
        // The content that the turn brought to (x, y) came from R(-a)(x, y).
        return std::array<double, 2>{u - (std::cos(a) * u + std::sin(a) * v),
                                     v - (-std::sin(a) * u + std::cos(a) * v)};
    };
    PointBench points(movedTexture(static_cast<int>(turns.size()), turn));
    points.bench.passOptions.lastFrame = static_cast<int>(turns.size()) - 1;
    points.bench.model->usedframes = static_cast<int>(turns.size());
    // A turned box correlates less well than the unturned reference frame: no lock test.
    points.bench.align().Misalignwarning = false;
    const PointAlignmentResult result = points.sideBySide({{2, 100, 125}, {1, 100, 35}});
    ASSERT_EQ(result.pass.end, PassEnd::Finished);
    FrameModel& model = *points.bench.model;
    const std::vector<double> distances = pointAngles(model, {100, 35}, {100, 125}, 3, 0);
    for (std::size_t f = 0; f < turns.size(); ++f) {
        EXPECT_NEAR(model.FrameTable[static_cast<int>(f)].Angle, -turns[f], 1.0) << f;
        EXPECT_NEAR(distances[f], 90.0, 1.5) << f;
    }
    EXPECT_EQ(model.FrameTable[0].Angle, 0.0f);
}

TEST(PointAlignment, SimpleSetupCopiesPointOneToEveryPointUnmeasured) {
    const auto model = std::make_unique<FrameModel>();
    std::array<float, AlignSlotCount> best{};
    best[1] = 3.5f;
    for (int f = 0; f <= 2; ++f) {
        TAlignSlotRec& first = model->FrameTable[f].Slots[1];
        first = {f + 1, -f, 2.0f + f, 0.5f, 9, 9, 40.0f, 0.9f};
        model->FrameTable[f].Slots[4].SavedX = 77;
    }
    copyFirstPointToAll(*model, 5, 2, best);
    for (int p = 2; p <= 5; ++p) {
        EXPECT_EQ(best[static_cast<std::size_t>(p)], 3.5f) << p;
        for (int f = 0; f <= 2; ++f) {
            const TAlignSlotRec& slot = model->FrameTable[f].Slots[p];
            const std::array<int, 4> shift{slot.X, slot.Y, slot.SavedX, slot.SavedY};
            EXPECT_EQ(shift, (std::array<int, 4>{f + 1, -f, f + 1, -f}));
            EXPECT_EQ(slot.Quality, 2.0f + f);
            EXPECT_EQ(slot.Difference, 1e7f);
        }
    }
    EXPECT_EQ(model->FrameTable[3].Slots[2].Difference, 0.0f) << "frames past the last stay";
}

TEST(PointAlignment, TheCountdownIsWholeFiveSecondStepsPlusFive) {
    struct Case {
        int average, point, milliseconds;
    };
    // 2400 ms x 10 x 0.0002 = 4.8 -> 5 steps; 1250 x 10 x 0.0002 = 2.5 -> 2 (halves to even).
    for (const Case& c :
         {Case{2400, 10, 30000}, Case{1250, 10, 15000}, Case{1750, 10, 25000}, Case{0, 7, 5000}})
        EXPECT_EQ(pointCountdown(c.average, c.point), c.milliseconds) << c.average;
    EXPECT_EQ(timeLeftText(pointCountdown(2400, 10)), "Time left: 00:00:30");
}

}  // namespace
}  // namespace kestrave::test
