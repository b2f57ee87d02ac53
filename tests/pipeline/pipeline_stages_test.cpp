// The stages after the alignment run on a pipeline without a window: a SER input taken and shown,
// plain and sigma stacks of aligned frames of a known scene, the wavelet processing of the stack
// and the final picture made from it, a dark frame read from a file and taken off every frame, and
// a project whose shifts and ranking the stack then uses.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "enhance/final_image.h"
#include "frames/png_io.h"
#include "output/bmp_writer.h"
#include "output/project_file.h"
#include "pipeline/pipeline.h"
#include "support/memory_frame_source.h"
#include "support/pipeline_test_access.h"
#include "support/sample_recording.h"
#include "support/scene_compare.h"
#include "support/temp_dir.h"

namespace kestrave {
namespace {

constexpr int Width = 96;
constexpr int Height = 72;
constexpr int Frames = 16;
// The largest shift of a frame: the stack's inner part, this far from its edges, is covered by
// every frame.
constexpr int Margin = 4;

// The clean scene: whole levels of about 45..195 with detail from one to several pixels across.
int scene(int x, int y) {
    return static_cast<int>(std::lround(120.0 + 50.0 * std::sin(0.45 * x) * std::cos(0.35 * y) +
                                        25.0 * std::sin(0.9 * (x + 2 * y))));
}

// Frame k shows the scene moved by this shift: its pixel (x, y) shows the scene at (x - sx, y - sy).
std::array<int, 2> shiftOf(int k) {
    return {(k * 3) % 7 - 3, (k * 5) % 9 - 4};
}

// Where frame `StreakFrame` shows a bright streak instead of the scene: row 36, columns 30..49.
constexpr int StreakFrame = 3;
bool onStreak(int x, int y) {
    return y == 36 && x >= 30 && x < 50;
}

using Dark = int (*)(int x, int y);

// The frames of the scene, each moved by its shift, with seeded noise of deviation `noise`, the
// streak when asked, and the dark frame (in frame pixels) added when given.
std::vector<Bitmap24> sceneFrames(double noise, bool streak, Dark dark = nullptr) {
    std::mt19937 engine(7);
    std::normal_distribution<double> normal(0.0, noise > 0.0 ? noise : 1.0);
    std::vector<Bitmap24> frames;
    for (int k = 0; k < Frames; ++k) {
        const auto [sx, sy] = shiftOf(k);
        Bitmap24& frame = frames.emplace_back(Width, Height);
        for (int y = 0; y < Height; ++y)
            for (int x = 0; x < Width; ++x) {
                double v = scene(x - sx, y - sy) + (noise > 0.0 ? normal(engine) : 0.0);
                if (streak && k == StreakFrame && onStreak(x - sx, y - sy)) v = 255.0;
                if (dark) v += dark(x, y);
                const auto byte = static_cast<std::uint8_t>(std::lround(std::clamp(v, 0.0, 255.0)));
                SetRGBTriple(byte, byte, byte, frame.pixel(x, y));
            }
    }
    return frames;
}

// A pipeline as start-up leaves it, with test ports, hearing what it announces.
struct StageRun {
    StageRun() {
        pipeline.setStartState();
        pipeline.setStandardColourWeights();
        pipeline.createImagePlanes(DefaultProcessAreaItem, progress, messages);
        heard.clear();
    }

    // The frames in memory become the input; `aligned`: ranked in frame order with each frame's
    // true shift, as an alignment leaves them.
    void takeFrames(std::vector<Bitmap24> frames, bool aligned) {
        source.pictures = std::move(frames);
        FrameModel& model = editRun(pipeline).model;
        model.FrameWidth = model.ImageWidth = model.FrameWidthRaw = Width;
        model.FrameHeight = model.ImageHeight = model.FrameHeightRaw = Height;
        model.usedframes = Frames;
        model.FramesRanked = aligned;
        for (int k = 0; aligned && k < Frames; ++k) {
            model.FrameRanking[k].Frame = k;
            TAlignSlotRec& slot = model.FrameTable[k].Slots[0];
            slot.X = shiftOf(k)[0];
            slot.Y = shiftOf(k)[1];
            slot.Difference = slot.Brightness = 1.0f;
        }
        pipeline.setUpImagePlanes(progress, messages);
        options.StackSlider = {Frames - 1, Frames - 1};
    }

    StackResult stack() { return PipelineTestAccess::stack(pipeline, options, source, progress, messages); }
    float stacked(int x, int y) const { return pipeline.images().StackPlanes[1][x][y]; }

    // Root mean square of the stack less the scene over the inner part.
    double stackError() const {
        double sum = 0.0;
        int n = 0;
        for (int y = Margin; y < Height - Margin; ++y)
            for (int x = Margin; x < Width - Margin; ++x, ++n)
                sum += std::pow(stacked(x, y) - scene(x, y), 2);
        return std::sqrt(sum / n);
    }

    Pipeline pipeline;
    std::vector<PipelineChange> heard;
    const Pipeline::Subscription subscription =
        pipeline.subscribe([this](PipelineChange change) { heard.push_back(change); });
    test::MemoryFrameSource source;
    NullProgress progress;
    BatchMessagePresenter messages{[](const std::string&) {}};
    StackOptions options;
};

// The same error for one frame moved back by its shift.
double frameError(const Bitmap24& frame, int k) {
    const auto [sx, sy] = shiftOf(k);
    double sum = 0.0;
    int n = 0;
    for (int y = Margin; y < Height - Margin; ++y)
        for (int x = Margin; x < Width - Margin; ++x, ++n)
            sum += std::pow(frame.pixel(x + sx, y + sy)[1] - scene(x, y), 2);
    return std::sqrt(sum / n);
}

// The energy of the differences between neighbouring pixels (green bytes): the picture's detail.
double detailEnergy(const Bitmap24& picture) {
    double sum = 0.0;
    for (int y = Margin; y < picture.height() - Margin; ++y)
        for (int x = Margin; x < picture.width() - Margin; ++x)
            sum += std::pow(picture.pixel(x + 1, y)[1] - picture.pixel(x, y)[1], 2) +
                   std::pow(picture.pixel(x, y + 1)[1] - picture.pixel(x, y)[1], 2);
    return sum;
}

int largestDifference(const Bitmap24& a, const Bitmap24& b) {
    EXPECT_EQ(a.width(), b.width());
    EXPECT_EQ(a.height(), b.height());
    int largest = 0;
    for (int y = 0; y < std::min(a.height(), b.height()); ++y)
        for (int x = 0; x < std::min(a.width(), b.width()); ++x)
            for (int c = 0; c < 3; ++c)
                largest = std::max(largest, std::abs(a.pixel(x, y)[c] - b.pixel(x, y)[c]));
    return largest;
}

// A SER file taken as the input: the model describes it, the frames shown are the file's, and a
// master frame stacked from the input's own frames is their plain average.
TEST(PipelineStages, ASerInputIsTakenShownAndStackedFromTheFile) {
    test::TempDir dir;
    const test::SampleRecording recording = test::writeSampleRecording(dir.path());
    const synth::SynthOptions& o = recording.truth.options;
    const int last = o.frames - 1;
    StageRun run;
    run.pipeline.resetBeforeInput();
    run.pipeline.resetForInput(ResetControls{}, run.progress);
    const InputRecord record = run.pipeline.takeInput(
        probeInput(planInput({recording.path.string()}, InputFilter::SER), false), {}, false, false, false);
    ASSERT_TRUE(run.pipeline.setUpImagePlanes(run.progress, run.messages));
    EXPECT_EQ(run.heard, (std::vector{PipelineChange::Stage, PipelineChange::Stage, PipelineChange::Input}));
    EXPECT_EQ(record.lastIndex, last);
    const FrameModel& model = run.pipeline.model();
    EXPECT_TRUE(model.InputIsSER);
    EXPECT_EQ(model.FrameWidth, o.width);
    EXPECT_EQ(model.FrameHeight, o.height);

    // Frame 0 is shown once taken, any other when asked.
    for (const int frame : {0, 9, last}) {
        SCOPED_TRACE(frame);
        if (frame != 0) run.pipeline.showFrame(frame, {}, false, false);
        const test::GreyImage truth = test::frameImage(recording.truth, frame);
        // Sample s of a frame shows as Round(s / (P + 1) x 255), P the power of two at or above
        // the frame's largest sample.
        const auto sample = [&](int x, int y) {
            return std::lround(truth.at(x, y) * recording.truth.maxSample());
        };
        long largest = 0;
        for (int y = 0; y < o.height; ++y)
            for (int x = 0; x < o.width; ++x) largest = std::max(largest, sample(x, y));
        const double scale = 255.0 / (std::bit_ceil(static_cast<unsigned long>(largest)) + 1.0);
        const Bitmap24& shown = run.pipeline.input().PreviewBitmap;
        ASSERT_EQ(shown.width(), o.width);
        int wrong = 0;
        for (int y = 0; y < o.height; ++y)
            for (int x = 0; x < o.width; ++x)
                wrong += shown.pixel(x, y)[1] != std::lround(sample(x, y) * scale);
        EXPECT_EQ(wrong, 0);
    }

    run.pipeline.prepareMasterFrame(last);
    run.options.StackSlider = {last, last};
    const std::unique_ptr<InputFrameSource> frames = run.pipeline.inputFrames(last, {});
    ASSERT_EQ(
        PipelineTestAccess::stack(run.pipeline, run.options, *frames, run.progress, run.messages).outcome,
        StackOutcome::Stacked);
    const test::GreyImage average = test::averageOfFrames(recording.truth);
    for (int y = 0; y < o.height; y += 7)
        for (int x = 0; x < o.width; x += 5)
            ASSERT_NEAR(run.stacked(x, y), average.at(x, y) * 255.0, 0.01) << x << "," << y;
}

// Sixteen noisy frames, one with a bright streak: both stacks come about four times closer to the
// scene than a frame does; the plain one keeps a sixteenth of the streak, the sigma stack none.
TEST(PipelineStages, StacksComeCloserToTheSceneAndTheSigmaStackDropsAStreak) {
    constexpr double Noise = 6.0;
    for (const bool sigma : {false, true}) {
        SCOPED_TRACE(sigma ? "sigma" : "plain");
        StageRun run;
        run.takeFrames(sceneFrames(Noise, true), true);
        StackResult result;
        if (sigma) {
            run.options.Statisticspin = 2.0f;
            SigmaStackRun passes = PipelineTestAccess::sigmaStack(run.pipeline, run.options, run.source,
                                                                  run.progress, run.messages, {});
            ASSERT_TRUE(passes.finalRan);
            result = std::move(passes.published());
        } else {
            result = run.stack();
        }
        ASSERT_EQ(result.outcome, StackOutcome::Stacked);
        EXPECT_EQ(result.StackListCount, Frames);
        EXPECT_LT(run.stackError(), 0.4 * frameError(run.source.pictures[0], 0));
        for (int x = 30; x < 50; ++x) {
            const double lift = (255.0 - scene(x, 36)) / Frames;
            if (sigma)
                EXPECT_NEAR(run.stacked(x, 36), scene(x, 36), 5.0) << x;
            else
                EXPECT_GT(run.stacked(x, 36), scene(x, 36) + lift - 5.0) << x;
        }

        // Kept, the stack is the wavelet page's and the frame limit is the last rank it took.
        run.heard.clear();
        PipelineTestAccess::keepStack(run.pipeline, std::move(result), false);
        EXPECT_EQ(run.heard, (std::vector{PipelineChange::Stack, PipelineChange::FrameLimit}));
        EXPECT_EQ(run.pipeline.frameLimit(), Frames - 1);
        EXPECT_EQ(run.pipeline.wavelet().Stackimage.pixel(40, 30)[1], std::lround(run.stacked(40, 30)));
    }
}

// The stack processed: every layer at 1.0 gives the stack back (in one pass or tile by tile), a
// strong first layer sharpens it, no layers leave only the smooth rest. The final picture made
// from the processed result with the final page at its start is the processed picture.
TEST(PipelineStages, ProcessingGivesTheStackBackOrChangesItsDetailAndTheFinalPictureFollows) {
    StageRun run;
    run.takeFrames(sceneFrames(6.0, false), true);
    PipelineTestAccess::keepStack(run.pipeline, run.stack(), false);
    const WaveletProcessOptions wavelet;
    const ProcessStart first = run.pipeline.process(wavelet, run.progress);
    EXPECT_TRUE(first.stack && first.decomposed);
    const ProcessStart again = run.pipeline.process(wavelet, run.progress);
    EXPECT_TRUE(again.stack && !again.decomposed);

    enum class Detail { Same, More, Less };
    struct Case {
        const char* name;
        std::array<int, WaveletLayerCount> sliders;
        bool wholeImage;
        Detail detail;
    };
    const Case cases[] = {
        {"every layer at 1.0", {10, 10, 10, 10, 10, 10}, false, Detail::Same},
        {"layer 1 at 4.0", {40, 10, 10, 10, 10, 10}, false, Detail::More},
        {"no layers", {0, 0, 0, 0, 0, 0}, false, Detail::Less},
        {"every layer at 1.0, tile by tile", {10, 10, 10, 10, 10, 10}, true, Detail::Same},
    };
    const Bitmap24& stack = run.pipeline.wavelet().Stackimage;
    const Bitmap24& processed = run.pipeline.wavelet().ProcessPicture;
    const double stackDetail = detailEnergy(stack);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RenderOptions render;
        render.layerSlider = c.sliders;
        if (c.wholeImage)
            ASSERT_TRUE(run.pipeline.processWholeImage(wavelet, render, false, run.progress));
        else
            run.pipeline.renderProcessedView(wavelet, render, false, false);
        switch (c.detail) {
            case Detail::Same:
                EXPECT_LE(largestDifference(processed, stack), 1);
                break;
            case Detail::More:
                EXPECT_GT(detailEnergy(processed), 1.5 * stackDetail);
                break;
            case Detail::Less:
                EXPECT_LT(detailEnergy(processed), 0.5 * stackDetail);
                break;
        }
    }
    run.heard.clear();
    run.pipeline.finishRender();
    EXPECT_EQ(run.heard, std::vector{PipelineChange::Processed});

    const HueCurveTables& tables = run.pipeline.finalImage().tables;
    FinalSettings settings;
    settings.SatCurveTable = tables.SatCurveTable;
    settings.HueCurveTable = tables.HueCurveTable;
    settings.LightCurveTable = tables.LightCurveTable;
    EXPECT_LE(largestDifference(run.pipeline.renderFinalPicture(settings).shown, processed), 1);
}

// A fixed pattern of the camera: a gradient and a hot pixel, at most 58 levels.
int darkPattern(int x, int y) {
    return 8 + (3 * x + 5 * y) % 11 + (x == 20 && y == 15 ? 40 : 0);
}

// A dark frame read from a picture file is taken off every frame where the frame has it (before
// the frame is moved by its shift): the stack is the scene again.
TEST(PipelineStages, ADarkFrameReadFromAFileIsTakenOffEveryFrame) {
    Bitmap24 dark(Width, Height);
    for (int y = 0; y < Height; ++y)
        for (int x = 0; x < Width; ++x) {
            const auto v = static_cast<std::uint8_t>(darkPattern(x, y));
            SetRGBTriple(v, v, v, dark.pixel(x, y));
        }
    struct Case {
        const char* name;
        int type;
    };
    for (const Case c : {Case{"dark.bmp", BitmapCalibration}, Case{"dark.png", PngCalibration}}) {
        SCOPED_TRACE(c.name);
        test::TempDir dir;
        if (c.type == BitmapCalibration)
            writeBmp24(dir / c.name, dark);
        else
            SavePNG8Image(dir / c.name, dark, "test");
        StageRun run;
        run.takeFrames(sceneFrames(0.0, false, darkPattern), true);
        const CalibrationLoad load = run.pipeline.loadCalibrationFile(
            CalibrationKind::Dark, dir / c.name, c.type, CalibrationOrigin::Dialog, run.messages);
        EXPECT_TRUE(load.loaded);
        EXPECT_EQ(load.width, Width);
        EXPECT_EQ(load.height, Height);
        run.options.Usedarkframe = true;
        const StackResult result = run.stack();
        ASSERT_EQ(result.outcome, StackOutcome::Stacked);
        EXPECT_FALSE(result.darkSwitchedOff);
        EXPECT_LT(run.stackError(), 1e-3);
    }
}

// A project saved and read back gives the run its frames' shifts, exclusions, ranking and stage;
// stacking the frames then gives the scene, which it would not with a shift lost. An aligned
// project's ranking is valid.
TEST(PipelineStages, AProjectsShiftsAndRankingAreWhatTheStackUses) {
    constexpr int Excluded = 5;
    for (const TProgStatus status : {TProgStatus::psAligned, TProgStatus::psFeatureSet}) {
        SCOPED_TRACE(static_cast<int>(status));
        ProjectData project;
        project.InputType = TInputType::itSER;
        project.SerName = "scene.ser";
        project.sequencelength = Frames;
        project.progstatus = static_cast<int>(status);
        project.usedframes = Frames - 1;
        project.refframe = 12;
        project.points = {{48, 36, 64}};
        project.excluded.assign(Frames, false);
        project.excluded[Excluded] = true;
        project.slots.resize(1);
        for (int k = 0; k < Frames; ++k) {
            // Ranked from the last frame to the first, by quality.
            project.ranking.push_back(Frames - 1 - k);
            project.slots[0].push_back({shiftOf(k)[0], shiftOf(k)[1], 1.0f, static_cast<float>(k + 1)});
        }
        test::TempDir dir;
        writeProject(dir / "scene.ksp", project);
        const ProjectRead read = readProject(dir / "scene.ksp");
        EXPECT_TRUE(read.problems.empty());

        StageRun run;
        run.takeFrames(sceneFrames(0.0, false), false);
        NullProgress silent;
        PipelineTestAccess::takeProject(run.pipeline, read.project, false, Frames - 1, silent);
        EXPECT_EQ(run.heard,
                  (std::vector{PipelineChange::Frames, PipelineChange::Points, PipelineChange::Stage}));
        const FrameModel& model = run.pipeline.model();
        EXPECT_EQ(model.FramesRanked, status == TProgStatus::psAligned);
        EXPECT_EQ(run.pipeline.state().progstatus, status);
        EXPECT_EQ(run.pipeline.registration().refframe, 12);
        EXPECT_TRUE(run.pipeline.registration().FeatureChosen);
        for (int k = 0; k < Frames; ++k) {
            EXPECT_EQ(model.FrameRanking[k].Frame, Frames - 1 - k);
            EXPECT_EQ(model.FrameTable[k].Slots[0].X, shiftOf(k)[0]);
            EXPECT_EQ(model.FrameTable[k].Slots[0].Y, shiftOf(k)[1]);
            EXPECT_EQ(model.FrameTable[k].Excluded, k == Excluded);
        }

        const StackResult result = run.stack();
        ASSERT_EQ(result.outcome, StackOutcome::Stacked);
        EXPECT_EQ(result.StackListCount, Frames - 1);
        EXPECT_LT(run.stackError(), 1e-3);
    }
}

}  // namespace
}  // namespace kestrave
