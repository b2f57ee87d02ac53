// The quality figures: a blur ladder ranked by every method that should see blur, the gradient
// figure of merit on a ramp, the area-average downscale, the deviation and the local contrast as
// written, the JPEG size, the method items, and each method's figure of an aligned box.

#include <gtest/gtest.h>

#include <cmath>

#include "align_test_bench.h"
#include "registration/quality_measures.h"
#include "registration/quality_plugin.h"
#include "support/temp_dir.h"

using namespace kestrave;
using namespace kestrave::test;

TEST(Quality, BlurLadderRanksSharpestFirstUnderEveryMethodThatSeesBlur) {
    // The same planet, not moved, blurred more and more; frame 0 (no blur) is the reference.
    const std::vector<double> blur = {0.0, 0.6, 1.2, 1.8, 2.4, 3.0};
    const int count = static_cast<int>(blur.size());
    synth::Recording recording = synth::planRecording(stillAir(320, 240, count));
    for (int k = 0; k < count; ++k) {
        recording.truth[static_cast<std::size_t>(k)].shiftX =
            recording.truth[static_cast<std::size_t>(k)].shiftY = 0;
        recording.truth[static_cast<std::size_t>(k)].blurSigma = blur[static_cast<std::size_t>(k)];
    }
    MemoryFrameSource source(greyFrames(recording, 0, count));
    for (int item : {0, 1, 2, 4, 5}) {
        SCOPED_TRACE(item);
        AlignBench bench(320, 240, 128, count);
        bench.setQualityItem(item);
        bench.pick(source.pictures[0], 160, 120);
        const AlignmentPassResult result = bench.run(source);
        ASSERT_EQ(result.end, PassEnd::Finished);
        for (int j = 0; j < count; ++j) EXPECT_EQ(bench.model->FrameRanking[j].Frame, j);
        for (int j = 1; j < count; ++j)
            EXPECT_LT(bench.model->FrameRanking[j].Key, bench.model->FrameRanking[j - 1].Key);
    }
}

TEST(Quality, GradientFigureOfMeritOnARamp) {
    // Level 2i + 3j: every step of k along i differs by 2k, along j by 3k.
    T2dArrays ramp(32, 32);
    for (int i = 0; i < 32; ++i)
        for (int j = 0; j < 32; ++j) ramp[i][j] = static_cast<float>(2 * i + 3 * j);
    const std::array<double, 3> pix{0.0, 1.0, 1.0};

    // k = 2: S = 0 + 1 along each axis; each quadrant has (16 - 2)^2 cells.
    FomQuadrants q;
    const double fom = ComputeFrameFom(ramp, 0, 0, 32, 32, gradientSettings(2.0, pix), &q);
    const double cell = (16.0 + 36.0) / 65025.0;
    EXPECT_NEAR(q.Q1, 196 * cell, 1e-5);
    EXPECT_NEAR(q.Q4, 196 * cell, 1e-5);
    EXPECT_NEAR(fom, 4 * 196 * cell, 1e-5);
    // A sub-box: X0, Y0 shift the quadrants, W and H halve them.
    EXPECT_NEAR(ComputeFrameFom(ramp, 8, 4, 16, 16, gradientSettings(2.0, pix)), 4 * 36 * cell, 1e-5);
    // k = 1 weighs the step with Pix1 = 0 alone; 4 and 5 repeat Pix3 (S = 3 and 4).
    EXPECT_EQ(ComputeFrameFom(ramp, 0, 0, 32, 32, gradientSettings(1.2, pix)), 0.0);
    EXPECT_FLOAT_EQ(FomGradientTerm(ramp, 0, 0, 4, 0, gradientSettings(4.0, pix)), 24.0f * 24.0f / 65025.0f);
    EXPECT_FLOAT_EQ(FomGradientTerm(ramp, 0, 0, 0, 5, gradientSettings(9.0, pix)), 60.0f * 60.0f / 65025.0f);
}

TEST(Quality, DownscaleAveragesTheAreaEachPixelCovers) {
    // Columns 0, 30, 60, 90 to three: the middle takes two thirds of the middle pair; the ends
    // round half to even (7.5 -> 8, 82.5 -> 82).
    Bitmap24 box(4, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) SetRGBTriple(static_cast<std::uint8_t>(30 * x), 1, 255, box.pixel(x, y));
    Bitmap24 small;
    boxAverageDownscale(box, 4, 3, small);
    ASSERT_EQ(small.width(), 3);
    for (int y = 0; y < 3; ++y) {
        EXPECT_EQ(small.pixel(0, y)[2], 8);
        EXPECT_EQ(small.pixel(1, y)[2], 45);
        EXPECT_EQ(small.pixel(2, y)[2], 82);
        EXPECT_EQ(small.pixel(1, y)[1], 1);
        EXPECT_EQ(small.pixel(2, y)[0], 255);
    }
    // Halving takes the mean of 2 x 2 pixels exactly.
    Bitmap24 checker(4, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            checker.pixel(x, y)[1] = static_cast<std::uint8_t>(((x + y) % 2) * 200 + 10 * y);
    boxAverageDownscale(checker, 4, 2, small);
    EXPECT_EQ(small.pixel(0, 0)[1], 105);
    EXPECT_EQ(small.pixel(1, 1)[1], 125);
}

// The shrinking of one byte plane against the area average worked out in floating point (exact
// here: ties fall on x.5), at sizes whose n^2 is a power of two and sizes whose n^2 is not, with
// one downscaler reused across sizes.
TEST(Quality, DownscaleOfLevelsEqualsTheAreaAverageAtEverySize) {
    const auto overlap = [](int s, int t, int n, int m) {
        return std::max(0, std::min((s + 1) * m, (t + 1) * n) - std::max(s * m, t * n));
    };
    LevelDownscaler downscaler;
    for (const auto [n, m] : std::vector<std::array<int, 2>>{
             {16, 8}, {16, 5}, {16, 4}, {12, 5}, {12, 4}, {7, 3}, {9, 9}, {64, 16}}) {
        SCOPED_TRACE(std::to_string(n) + " to " + std::to_string(m));
        std::vector<std::uint8_t> source(static_cast<std::size_t>(n) * n);
        for (std::size_t k = 0; k < source.size(); ++k)
            source[k] = static_cast<std::uint8_t>((k * 97 + k / 3) % 256);
        std::vector<std::uint8_t> target(static_cast<std::size_t>(m) * m);
        downscaler.shrink({source.data(), 1, n}, n, m, {target.data(), 1, m});
        for (int t = 0; t < m; ++t) {
            for (int u = 0; u < m; ++u) {
                double total = 0.0;
                for (int y = 0; y < n; ++y)
                    for (int x = 0; x < n; ++x)
                        total += overlap(y, t, n, m) * overlap(x, u, n, m) *
                                 static_cast<double>(source[static_cast<std::size_t>(y) * n + x]);
                ASSERT_EQ(target[static_cast<std::size_t>(t) * m + u], std::nearbyint(total / (n * n)))
                    << t << " " << u;
            }
        }
    }
}

TEST(Quality, DeviationAndLocalContrastAsWritten) {
    // Values 1 .. 10: sample deviation sqrt(55 / 6).
    double sum = 0.0, squares = 0.0;
    for (int v = 1; v <= 10; ++v) sum += v, squares += v * v;
    EXPECT_NEAR(deviationQuality(10, sum, squares), std::sqrt(55.0 / 6.0), 1e-12);
    EXPECT_EQ(deviationQuality(64, 64 * 3.0, 64 * 9.0), 0.0);
    // Rounding that makes n Q below S^2 gives 0, not a NaN.
    EXPECT_EQ(deviationQuality(3, 3.0, 3.0 - 1e-12), 0.0);

    // 16 x 16 mean-removed levels in four blocks of means 2, -3, 0 and 0 (with a spread inside
    // each block). A block above the box mean adds nothing; one at or below it adds 64 (1 - m).
    T2dArrays f(16, 16);
    const float means[2][2] = {{2.0f, -3.0f}, {0.0f, 0.0f}};
    for (int i = 0; i < 16; ++i)
        for (int j = 0; j < 16; ++j) f[i][j] = means[i / 8][j / 8] + ((i + j) % 2 == 0 ? 0.5f : -0.5f);
    EXPECT_NEAR(localContrastQuality(f, 16), (0.0 + 64 * 4 + 64 + 64) / 4.0, 1e-4);
}

TEST(Quality, CompressedSizeGrowsWithDetailAndWithTheFactor) {
    const std::vector<Bitmap24> texture = texturedFrames(64, 64, {{0, 0}});
    Bitmap24 flat(64, 64);
    flat.fill(90, 90, 90);
    const std::size_t flatSize = compressedSize(flat, 64, 60.0);
    const std::size_t detailed = compressedSize(texture[0], 64, 60.0);
    EXPECT_GT(flatSize, 100u);
    EXPECT_GT(detailed, flatSize + 500);
    EXPECT_GT(compressedSize(texture[0], 64, 95.0), detailed);
    // The factor is kept within 10 .. 100.
    EXPECT_EQ(compressedSize(texture[0], 64, 3.0), compressedSize(texture[0], 64, 10.0));
}

TEST(Quality, MethodItemsChooseTheirMethodAndPlaceTheBandPointer) {
    const std::vector<QualityKind> kinds = {
        QualityKind::Spectral, QualityKind::Spectral,  QualityKind::Compress, QualityKind::LocalContrast,
        QualityKind::Gradient, QualityKind::Deviation, QualityKind::Plugin};
    for (int item = 0; item < 7; ++item) {
        const QualityMethodChoice choice = QualityMethodComboChange(item, 12.0, 5.0);
        EXPECT_EQ(choice.grading.kind, kinds[static_cast<std::size_t>(item)]) << item;
        EXPECT_EQ(choice.grading.fromImage(), item >= 2) << item;
        EXPECT_EQ(choice.showBandPointer, item < 2) << item;
    }
    const QualityMethodChoice human = QualityMethodComboChange(1, 12.0, 5.0);
    EXPECT_EQ(human.label, "Current Filter: Human V.");
    EXPECT_EQ(human.grading.HVSWeighting, 1);
    EXPECT_EQ(human.pointerLeft, 88);
    EXPECT_EQ(human.pointerWidth, 40);
    EXPECT_EQ(QualityMethodComboChange(6, 12.0, 5.0).label, "Current Filter: User DLL");
}

// Every quality method grades an aligned box with the figure of its kind, worked out here from
// the box's pixels by the measures themselves: the box's levels less their mean for the deviation
// and the local contrast, the levels and their shrunk copies for the gradient, the box's picture
// for the JPEG size and for the plug-in. The spectral methods leave the figure to the band and
// the radial profile, which "Human" weights.
TEST(Quality, EveryMethodGradesTheAlignedBoxWithTheFigureOfItsKind) {
    const ProgramDirScope home;
    std::filesystem::copy_file(KESTRAVE_QUALITY_TEST_PLUGIN, home.path() / QualityPluginFile);
    const int w = 160, h = 160, n = 64, featureX = 84, featureY = 76;
    const Bitmap24 frame = texturedFrames(w, h, {{0, 0}})[0];
    // The box around the feature, its levels (the green bytes) and their mean.
    const int left = featureX - n / 2, top = featureY - n / 2;
    Bitmap24 box(n, n);
    T2dArrays levels(n, n);
    double sum = 0.0;
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            std::copy_n(frame.pixel(left + x, top + y), 3, box.pixel(x, y));
            levels[x][y] = box.pixel(x, y)[1];
            sum += levels[x][y];
        }
    const auto mean = static_cast<float>(sum / (n * n));
    T2dArrays meanRemoved(n, n);
    double s = 0.0, q = 0.0;
    for (int x = 0; x < n; ++x)
        for (int y = 0; y < n; ++y) {
            meanRemoved[x][y] = levels[x][y] - mean;
            s += meanRemoved[x][y];
            q += static_cast<double>(meanRemoved[x][y]) * meanRemoved[x][y];
        }

    std::vector<std::array<float, kRadialBins>> spectralProfiles;
    for (const QualityMethod& method : QualityMethods) {
        SCOPED_TRACE(std::string(method.caption));
        AlignBench bench(w, h, n, 1);
        bench.align().quality = method.grading;
        bench.pick(frame, featureX, featureY);
        const AlignOptions& options = bench.align();
        FrameAlignment aligner(bench.context, options, frame);
        AlignScratch scratch;
        const Grade grade = gradeAlignedBox(aligner.inputs(), frame, 0, 0, scratch);
        EXPECT_EQ(grade.meanF, mean);
        const double figure = grade.imageQuality;
        switch (method.grading.kind) {
            case QualityKind::Spectral:
                EXPECT_EQ(figure, 0.0);
                EXPECT_GT(grade.profileMax, 0.0f);
                spectralProfiles.push_back(grade.profile);
                break;
            case QualityKind::Compress:
                EXPECT_EQ(figure, static_cast<float>(compressedSize(box, n, options.Compresfactor)));
                break;
            case QualityKind::LocalContrast:
                EXPECT_NEAR(figure, localContrastQuality(meanRemoved, n), 1e-4 * std::abs(figure));
                break;
            case QualityKind::Deviation:
                EXPECT_NEAR(figure, deviationQuality(n * n, s, q), 1e-5 * figure);
                break;
            case QualityKind::Gradient: {
                const GradientSettings settings = gradientSettings(options.FOMspin, options.Pix);
                double expected = ComputeFrameFom(levels, 0, 0, n, n, settings);
                for (const int m : {n / 2, n / 3, n / 4}) {
                    Bitmap24 shrunk;
                    boxAverageDownscale(box, n, m, shrunk);
                    T2dArrays shrunkLevels(m, m);
                    for (int y = 0; y < m; ++y)
                        for (int x = 0; x < m; ++x) shrunkLevels[x][y] = shrunk.pixel(x, y)[1];
                    expected += ComputeFrameFom(shrunkLevels, 0, 0, m, m, settings);
                }
                EXPECT_GT(expected, 0.0);
                EXPECT_NEAR(figure, expected, 1e-5 * expected);
                break;
            }
            case QualityKind::Plugin:
                // The test plug-in: the box's side x 1000 + side + the green byte of pixel (0, 1) / 256.
                EXPECT_EQ(figure, static_cast<float>(n * 1000.0 + n + box.pixel(0, 1)[1] / 256.0));
                break;
        }
    }
    ASSERT_EQ(spectralProfiles.size(), 2u);
    EXPECT_NE(spectralProfiles[0], spectralProfiles[1]) << "the human-vision weighting reaches the profile";
}
