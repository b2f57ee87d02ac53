// Ground truth of the sample-recording synthesiser: frames really show the scene moved by the
// recorded shifts, blur really changes the frames' sharpness, Bayer frames sample the colour of
// each filter site, and the truth files say what the recording holds.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/errors.h"
#include "support/sample_recording.h"
#include "support/temp_dir.h"
#include "synth/recording.h"
#include "synth/truth_files.h"

using namespace kestrave;
using namespace kestrave::synth;

namespace {

SynthOptions stillAir(ColourFilter filter = ColourFilter::Mono) {
    SynthOptions options = test::smallRecordingOptions();
    options.frames = 4;
    options.filter = filter;
    options.minBlur = options.maxBlur = 0.0;
    options.warp = options.flicker = options.noise = 0.0;
    return options;
}

int quantised(float value, int maxSample) {
    return static_cast<int>(
        std::lrint(std::clamp(static_cast<double>(value) * maxSample, 0.0, 1.0 * maxSample)));
}

// Colour index (0 red, 1 green, 2 blue) of a filter site, from the pattern's name.
int siteColour(const std::string& pattern, int x, int y) {
    const char colour = pattern[(y % 2) * 2 + (x % 2)];
    return colour == 'R' ? 0 : colour == 'G' ? 1 : 2;
}

// Centre of brightness above the sky.
std::array<double, 2> centroid(std::span<const std::uint16_t> frame, int width, double sky) {
    double mass = 0, sx = 0, sy = 0;
    for (std::size_t i = 0; i < frame.size(); ++i) {
        const double w = frame[i] - sky;
        mass += w;
        sx += w * static_cast<double>(i % width);
        sy += w * static_cast<double>(i / width);
    }
    return {sx / mass, sy / mass};
}

// Energy of the discrete Laplacian: a measure of fine detail.
double detailEnergy(std::span<const std::uint16_t> frame, int width, int height) {
    double sum = 0;
    for (int y = 1; y + 1 < height; ++y)
        for (int x = 1; x + 1 < width; ++x) {
            const auto at = [&](int dx, int dy) {
                return static_cast<double>(frame[(y + dy) * width + x + dx]);
            };
            const double laplacian = 4 * at(0, 0) - at(-1, 0) - at(1, 0) - at(0, -1) - at(0, 1);
            sum += laplacian * laplacian;
        }
    return sum;
}

}  // namespace

TEST(SynthRecording, WholePixelShiftOfStillAirEqualsTheShiftedScene) {
    const struct {
        ColourFilter filter;
        const char* pattern;
    } cases[] = {{ColourFilter::Mono, ""},
                 {ColourFilter::BayerRGGB, "RGGB"},
                 {ColourFilter::BayerGRBG, "GRBG"},
                 {ColourFilter::BayerGBRG, "GBRG"},
                 {ColourFilter::BayerBGGR, "BGGR"}};
    const int shifts[][2] = {{0, 0}, {3, -2}, {-5, 4}, {2, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pattern);
        Recording recording = planRecording(stillAir(c.filter));
        for (int n = 0; n < 4; ++n) {
            recording.truth[n].shiftX = shifts[n][0];
            recording.truth[n].shiftY = shifts[n][1];
        }
        const auto frames = renderFrames(recording, 0, 4);
        const int w = recording.options.width, h = recording.options.height;
        const int mono = recording.scene.channels == 1;
        for (int n = 0; n < 4; ++n)
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x) {
                    const int sx = x - shifts[n][0], sy = y - shifts[n][1];
                    if (sx < 0 || sy < 0 || sx >= w || sy >= h) continue;
                    const int channel = mono ? 0 : siteColour(c.pattern, x, y);
                    ASSERT_EQ(frames[(n * h + y) * w + x],
                              quantised(recording.scene.at(channel, sx, sy), recording.maxSample()))
                        << n << " " << x << " " << y;
                }
        if (!mono) {
            // The disc is coloured, so sampling the wrong colour at a site would have shown.
            int differing = 0;
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x)
                    differing += std::abs(quantised(recording.scene.at(0, x, y), 255) -
                                          quantised(recording.scene.at(2, x, y), 255)) > 8;
            EXPECT_GT(differing, w * h / 10);
        }
    }
}

TEST(SynthRecording, FramesShowTheSceneAtTheTrueSubPixelShiftAndBrightness) {
    SynthOptions options = test::smallRecordingOptions();
    options.frames = 60;
    options.bitsPerSample = 16;
    options.warp = 0.0;  // the warp bends the disc locally; here only the whole-frame shift counts
    const SynthesisedFrames synthesised = synthesise(options);
    const Recording& r = synthesised.recording;
    const double skySample = r.planet.sky * r.maxSample();

    std::vector<std::uint16_t> scene(r.samplesPerFrame());
    for (std::size_t i = 0; i < scene.size(); ++i)
        scene[i] = static_cast<std::uint16_t>(quantised(r.scene.values[i], r.maxSample()));
    const auto reference = centroid(scene, options.width, skySample);
    double sceneMass = 0;
    for (auto v : scene) sceneMass += v - skySample;

    double smallest = 1e9, largest = -1e9;
    int fractional = 0;
    for (int n = 0; n < options.frames; ++n) {
        const FrameTruth& t = r.truth[n];
        const auto frame = synthesised.frame(n);
        const auto c = centroid(frame, options.width, skySample * t.gain);
        EXPECT_NEAR(c[0] - reference[0], t.shiftX, 0.1) << n;
        EXPECT_NEAR(c[1] - reference[1], t.shiftY, 0.1) << n;
        double mass = 0;
        for (auto v : frame) mass += v - skySample * t.gain;
        EXPECT_NEAR(mass / sceneMass, t.gain, 0.01) << n;

        EXPECT_LE(std::abs(t.shiftX), options.maxShift);
        EXPECT_LE(std::abs(t.shiftY), options.maxShift);
        smallest = std::min({smallest, t.shiftX, t.shiftY});
        largest = std::max({largest, t.shiftX, t.shiftY});
        fractional += std::abs(t.shiftX - std::nearbyint(t.shiftX)) > 0.1;
    }
    // Shifts have whole and sub-pixel parts and spread over the allowed range.
    EXPECT_GT(largest - smallest, options.maxShift);
    EXPECT_GT(fractional, options.frames / 2);
}

TEST(SynthRecording, WarpBendsFramesLocallyButAveragesToTheShift) {
    SynthOptions options = test::smallRecordingOptions();
    options.warp = 0.5;
    const Recording r = planRecording(options);
    for (const FrameTruth& t : r.truth) {
        double meanX = 0, meanY = 0, spread = 0;
        for (int y = 0; y < options.height; ++y)
            for (int x = 0; x < options.width; ++x) {
                const auto d = displacementAt(t, x, y);
                meanX += d[0];
                meanY += d[1];
                spread += (d[0] - t.shiftX) * (d[0] - t.shiftX) + (d[1] - t.shiftY) * (d[1] - t.shiftY);
            }
        const double count = static_cast<double>(options.width) * options.height;
        EXPECT_NEAR(meanX / count, t.shiftX, 1e-9);
        EXPECT_NEAR(meanY / count, t.shiftY, 1e-9);
        EXPECT_GT(std::sqrt(spread / count), 0.05);
        EXPECT_LT(std::sqrt(spread / count), 3.0);
    }

    // A frame shows the scene displaced as displacementAt says: the scene interpolated at the
    // displaced points matches the frame far better than the undisplaced scene does.
    SynthOptions still = stillAir();
    still.warp = 1.0;
    still.bitsPerSample = 16;
    Recording warped = planRecording(still);
    warped.truth[0].shiftX = warped.truth[0].shiftY = 0.0;
    const auto frame = renderFrames(warped, 0, 1);
    const SceneImage& scene = warped.scene;
    const auto bilinear = [&](double x, double y) {
        const int x0 = static_cast<int>(std::floor(x)), y0 = static_cast<int>(std::floor(y));
        const double fx = x - x0, fy = y - y0;
        return (1 - fy) * ((1 - fx) * scene.at(0, x0, y0) + fx * scene.at(0, x0 + 1, y0)) +
               fy * ((1 - fx) * scene.at(0, x0, y0 + 1) + fx * scene.at(0, x0 + 1, y0 + 1));
    };
    double displacedError = 0, plainError = 0;
    for (int y = 4; y < still.height - 4; ++y)
        for (int x = 4; x < still.width - 4; ++x) {
            const auto d = displacementAt(warped.truth[0], x, y);
            const double sample = frame[y * still.width + x] / static_cast<double>(warped.maxSample());
            displacedError += std::pow(sample - bilinear(x - d[0], y - d[1]), 2);
            plainError += std::pow(sample - scene.at(0, x, y), 2);
        }
    EXPECT_LT(displacedError, 0.2 * plainError);
}

TEST(SynthRecording, BlurChangesSharpnessFromFrameToFrame) {
    SynthOptions options = test::smallRecordingOptions();
    options.frames = 40;
    options.noise = 0.0;
    const SynthesisedFrames clean = synthesise(options);
    std::vector<std::pair<double, double>> sigmaAndDetail;
    for (int n = 0; n < options.frames; ++n)
        sigmaAndDetail.emplace_back(clean.recording.truth[n].blurSigma,
                                    detailEnergy(clean.frame(n), options.width, options.height));
    std::sort(sigmaAndDetail.begin(), sigmaAndDetail.end());
    EXPECT_GT(sigmaAndDetail.back().first - sigmaAndDetail.front().first, 1.0);
    for (std::size_t i = 0; i + 1 < sigmaAndDetail.size(); ++i)
        if (sigmaAndDetail[i + 1].first > sigmaAndDetail[i].first + 0.05) {
            EXPECT_GT(sigmaAndDetail[i].second, sigmaAndDetail[i + 1].second) << i;
        }
    // The sharpest frame holds several times the detail of the most blurred one.
    EXPECT_GT(sigmaAndDetail.front().second, 4 * sigmaAndDetail.back().second);
}

TEST(SynthRecording, RejectsOptionsOutsideTheirRange) {
    const auto withOption = [](auto change) {
        SynthOptions options = test::smallRecordingOptions();
        change(options);
        return options;
    };
    EXPECT_THROW(planRecording(withOption([](SynthOptions& o) { o.bitsPerSample = 7; })), KestraveError);
    EXPECT_THROW(planRecording(withOption([](SynthOptions& o) { o.bitsPerSample = 17; })), KestraveError);
    EXPECT_THROW(planRecording(withOption([](SynthOptions& o) { o.width = 4; })), KestraveError);
    EXPECT_THROW(planRecording(withOption([](SynthOptions& o) { o.frames = 0; })), KestraveError);
    EXPECT_THROW(planRecording(withOption([](SynthOptions& o) { o.minBlur = 3.0; })), KestraveError);
    EXPECT_THROW(planRecording(withOption([](SynthOptions& o) { o.maxShift = NAN; })), KestraveError);
    EXPECT_THROW(planRecording(withOption([](SynthOptions& o) { o.filter = static_cast<ColourFilter>(5); })),
                 KestraveError);
    Recording r = planRecording(test::smallRecordingOptions());
    std::vector<std::uint16_t> tooSmall(10);
    EXPECT_THROW(renderFrame(r, 0, tooSmall), KestraveError);
}

TEST(SynthRecording, TruthFilesHoldTheSceneAndTheShifts) {
    test::TempDir dir;
    SynthOptions options = test::smallRecordingOptions();
    options.filter = ColourFilter::BayerRGGB;
    const Recording r = planRecording(options);
    writeTruthFiles(r, dir / "truth");

    std::ifstream table(dir / "truth" / "frames.csv");
    std::string line;
    std::getline(table, line);
    EXPECT_EQ(line, "frame,shift_x,shift_y,blur_sigma,gain");
    int rows = 0;
    while (std::getline(table, line)) {
        std::replace(line.begin(), line.end(), ',', ' ');
        std::istringstream fields(line);
        int frame;
        double shiftX, shiftY, blur, gain;
        fields >> frame >> shiftX >> shiftY >> blur >> gain;
        ASSERT_EQ(frame, rows);
        EXPECT_NEAR(shiftX, r.truth[rows].shiftX, 1e-6);
        EXPECT_NEAR(shiftY, r.truth[rows].shiftY, 1e-6);
        EXPECT_NEAR(blur, r.truth[rows].blurSigma, 1e-6);
        EXPECT_NEAR(gain, r.truth[rows].gain, 1e-6);
        ++rows;
    }
    EXPECT_EQ(rows, options.frames);

    std::ifstream map(dir / "truth" / "scene.pfm", std::ios::binary);
    std::string kind;
    int width, height;
    double scale;
    map >> kind >> width >> height >> scale;
    map.get();
    EXPECT_EQ(kind, "PF");
    EXPECT_EQ(width, options.width);
    EXPECT_EQ(height, options.height);
    EXPECT_LT(scale, 0.0);  // little-endian
    // The first stored row is the bottom row; the first value is its leftmost red.
    float first;
    map.read(reinterpret_cast<char*>(&first), sizeof first);
    EXPECT_EQ(first, r.scene.at(0, 0, options.height - 1));
    map.seekg(0, std::ios::end);
    const auto payload = static_cast<std::size_t>(map.tellg());
    EXPECT_EQ(payload, std::string("PF\n96 72\n-1.0\n").size() + 3u * 4u * width * height);
}
