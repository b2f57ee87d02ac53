// A Bayer recording of the synthetic planet, debayered, against the synthesiser's true colour
// scene.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "debayer_reference.h"
#include "frames/debayer.h"
#include "synth/recording.h"

namespace kestrave {
namespace {

struct SceneError {
    double mean[3] = {0, 0, 0};  // mean absolute error per channel (red, green, blue), levels
    double rms = 0;              // over all channels
};

// Frame 0 of a still, sharp, noise-free recording (the mosaic is the scene sampled through the
// filter and quantised to 8 bits), debayered with `pattern`, against the scene in the interior
// of the colour frame. Output pixel (x, y) shows the scene at (x + 2, y + 2).
SceneError debayerAgainstScene(const synth::Recording& recording, BayerPattern pattern) {
    const int w = recording.options.width, h = recording.options.height;
    const std::vector<std::uint16_t> samples = synth::renderFrames(recording, 0, 1);
    Bitmap24 frame(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const auto v = static_cast<std::uint8_t>(samples[static_cast<std::size_t>(y) * w + x]);
            SetRGBTriple(v, v, v, frame.pixel(x, y));
        }
    Debayer(frame, {pattern}, PlaneTriple{});

    const int k = (w - 4) / 2;
    SceneError e;
    double squares = 0;
    long count = 0;
    for (int y = 2; y <= h - 7; ++y)
        for (int x = 2; x <= 2 * k - 3; ++x, ++count)
            for (int c = 0; c < 3; ++c) {
                const double truth = 255.0 * recording.scene.at(c, x + 2, y + 2);
                const double d = frame.pixel(x, y)[2 - c] - truth;
                e.mean[c] += std::abs(d);
                squares += d * d;
            }
    for (double& m : e.mean) m /= static_cast<double>(count);
    e.rms = std::sqrt(squares / (3.0 * static_cast<double>(count)));
    return e;
}

TEST(DebayerSynth, BayerRecordingMatchesTheTrueColourSceneInTheInterior) {
    const synth::ColourFilter filters[] = {synth::ColourFilter::BayerRGGB, synth::ColourFilter::BayerGRBG,
                                           synth::ColourFilter::BayerGBRG, synth::ColourFilter::BayerBGGR};
    for (const synth::ColourFilter filter : filters) {
        synth::SynthOptions options;
        options.width = 240;
        options.height = 180;
        options.frames = 1;
        options.seed = 11;
        options.filter = filter;
        options.maxShift = 0;
        options.minBlur = options.maxBlur = 0;
        options.warp = 0;
        options.flicker = 0;
        options.noise = 0;
        const synth::Recording recording = synth::planRecording(options);

        // The pattern item that the SER reader picks for the layout: its first row's two colours.
        const std::string cell = synth::filterPattern(filter);
        int item = 0;
        while (cell.substr(0, 2) != test::BayerNames[item]) ++item;
        const BayerPattern pattern = bayerPatternForItem(item);
        SCOPED_TRACE(cell);

        const SceneError right = debayerAgainstScene(recording, pattern);
        std::printf("%s: mean |error| R %.2f G %.2f B %.2f, rms %.2f levels\n", cell.c_str(), right.mean[0],
                    right.mean[1], right.mean[2], right.rms);
        for (const double m : right.mean) EXPECT_LT(m, 1.5);
        EXPECT_LT(right.rms, 3.0);

        // The same frame read with the rows of the layout swapped puts red and blue in each
        // other's place: the error grows many times, so the bound above does tell patterns apart.
        const auto swapped = static_cast<BayerPattern>((static_cast<int>(pattern) + 2) % 4);
        const SceneError wrong = debayerAgainstScene(recording, swapped);
        EXPECT_GT(wrong.rms, 4 * right.rms);
    }
}

}  // namespace
}  // namespace kestrave
