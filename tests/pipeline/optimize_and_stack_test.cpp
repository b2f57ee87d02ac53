// Optimize-and-stack on a synthesised recording whose alignment shifts were disturbed, the
// processing area after the stack, cancel, and "Create" with the frame limit and settings it must
// put back.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "frames/frame_source.h"
#include "pipeline/optimize_and_stack.h"
#include "platform/errors.h"
#include "registration/frame_limit_reference.h"
#include "stacking/stack_frames.h"
#include "support/optimizer_rig.h"
#include "support/scripted_messages.h"
#include "synth/recording.h"

using namespace kestrave;

namespace {

// The synthesised frames handed over as grey preview bitmaps.
class SynthSource : public FrameSource {
public:
    explicit SynthSource(synth::SynthesisedFrames frames) : frames(std::move(frames)) {}
    FrameSamples readFrame(int frame, FrameBuffers& into) override {
        const auto& options = frames.recording.options;
        const auto samples = frames.frame(frame);
        into.Preview.resize(options.width, options.height);
        for (int y = 0; y < options.height; ++y) {
            for (int x = 0; x < options.width; ++x) {
                const auto v =
                    static_cast<std::uint8_t>(samples[static_cast<std::size_t>(y) * options.width + x]);
                SetRGBTriple(v, v, v, into.Preview.pixel(x, y));
            }
        }
        into.Samples = FrameSamples::Bitmap;
        return FrameSamples::Bitmap;
    }
    int maxConcurrentReads() const override { return 8; }

    const synth::SynthesisedFrames frames;
};

// A recording of a planet, ranked in frame order, each frame starting from its rounded true shift;
// every third frame's start is one pixel off along x or y.
struct RecordingBench : test::OptimizerRig<SynthSource> {
    RecordingBench() : OptimizerRig(synth::synthesise(synthOptions())) {
        const auto& o = frames.recording.options;
        model->FrameWidth = model->FrameWidthRaw = model->ImageWidth = o.width;
        model->FrameHeight = model->FrameHeightRaw = model->ImageHeight = o.height;
        model->FramesRanked = true;
        model->usedframes = o.frames;
        for (int j = 0; j < o.frames; ++j) {
            const synth::FrameTruth& truth = frames.recording.truth[static_cast<std::size_t>(j)];
            const int dx = j % 3 == 0 ? (j % 2 == 0 ? 1 : -1) : 0;
            const int dy = j % 3 == 1 && j % 4 == 1 ? 1 : 0;
            if (dx != 0 || dy != 0) disturbed.push_back(j);
            model->FrameRanking[j].Frame = j;
            model->FrameRanking[j].Key = static_cast<float>(100 - j);
            TFrameRec& rec = model->FrameTable[j];
            rec.Slots[0].X = rec.Slots[0].SavedX = static_cast<int>(std::nearbyint(truth.shiftX)) + dx;
            rec.Slots[0].Y = rec.Slots[0].SavedY = static_cast<int>(std::nearbyint(truth.shiftY)) + dy;
            rec.Slots[0].Difference = rec.AlignDifference = RestartDifference;
            rec.Slots[0].Brightness = 1.0f;
        }
        // The reference picture is the true scene.
        registration.Image1.resize(o.width, o.height);
        for (int y = 0; y < o.height; ++y)
            for (int x = 0; x < o.width; ++x) {
                const auto v = static_cast<std::uint8_t>(std::nearbyint(std::clamp(level(x, y), 0.0, 255.0)));
                SetRGBTriple(v, v, v, registration.Image1.pixel(x, y));
            }
        program.FeatureX = o.width / 2;
        program.FeatureY = o.height / 2;
        BuildGammaTable(*gamma, 1.0f);
        createImagePlanes(section, DefaultProcessAreaItem, progress, messages);
        options.FFTSize = 64;
        options.lastPosition = o.frames - 1;
        options.search.FastOptim = false;
        stackOptions.StackSlider = {o.frames - 1, o.frames - 1};
    }

    static synth::SynthOptions synthOptions() {
        synth::SynthOptions o;
        o.width = 160;
        o.height = 128;
        o.frames = 24;
        o.seed = 5;
        o.maxShift = 3.0;
        return o;
    }

    // The true scene on the 0..255 scale.
    double level(int x, int y) const { return frames.recording.scene.at(0, x, y) * 255.0; }

    StackResult stack() {
        return stackFrames(*model, program, section, stackOptions, source, progress, messages);
    }

    // Root mean square of the stack less the scene inside the part every frame covers.
    double stackError() const {
        const int margin = 8;
        double sum = 0.0;
        int n = 0;
        for (int x = margin; x < model->ImageWidth - margin; ++x)
            for (int y = margin; y < model->ImageHeight - margin; ++y) {
                const double d = section.StackPlanes[1][x][y] - level(x, y);
                sum += d * d;
                ++n;
            }
        return std::sqrt(sum / n);
    }

    // The stack error with only `frames` taken.
    double errorOf(const std::vector<int>& taken) {
        std::vector<bool> excluded(static_cast<std::size_t>(model->usedframes));
        for (int j = 0; j < model->usedframes; ++j) {
            excluded[static_cast<std::size_t>(j)] = model->FrameTable[j].Excluded;
            model->FrameTable[j].Excluded = std::find(taken.begin(), taken.end(), j) == taken.end();
        }
        EXPECT_EQ(stack().outcome, StackOutcome::Stacked);
        for (int j = 0; j < model->usedframes; ++j)
            model->FrameTable[j].Excluded = excluded[static_cast<std::size_t>(j)];
        return stackError();
    }

    const synth::SynthesisedFrames& frames = source.frames;
    std::vector<int> disturbed;
    ImageDataSection section;
    StackOptions stackOptions;
};

// The stacking stage run by the driver, every stage noted.
class StackingWindow : public StackStages {
public:
    explicit StackingWindow(RecordingBench& bench) : bench_(bench) {}
    bool stack() override {
        calls.push_back("stack");
        return bench_.stack().outcome == StackOutcome::Stacked;
    }
    void process() override { calls.push_back("process"); }
    std::vector<std::string> calls;

private:
    RecordingBench& bench_;
};

}  // namespace

TEST(OptimizeAndStack, StackIsNeverWorseAndCloserToTheSceneOnDisturbedFrames) {
    RecordingBench bench;
    ASSERT_GE(bench.disturbed.size(), 8u);
    std::vector<int> all(static_cast<std::size_t>(bench.model->usedframes));
    for (int j = 0; j < bench.model->usedframes; ++j) all[static_cast<std::size_t>(j)] = j;
    const double disturbedBefore = bench.errorOf(bench.disturbed);
    const double allBefore = bench.errorOf(all);

    StackingWindow window(bench);
    const OptimizeAndStackResult result =
        optimizeAndStack(bench.context, bench.section, bench.options, {}, window);
    EXPECT_EQ(result.outcome, OptimizeAndStackOutcome::Processed);
    EXPECT_EQ(window.calls, (std::vector<std::string>{"stack", "process"}));
    EXPECT_TRUE(bench.program.LayersDirty);
    EXPECT_EQ(bench.progress.status(2), " ");
    const double allAfter = bench.stackError();
    EXPECT_LE(allAfter, allBefore);

    const double disturbedAfter = bench.errorOf(bench.disturbed);
    EXPECT_LT(disturbedAfter, 0.9 * disturbedBefore);
    // Every disturbed frame's whole-pixel shift is back within a pixel of the truth.
    for (int j : bench.disturbed) {
        const synth::FrameTruth& truth = bench.frames.recording.truth[static_cast<std::size_t>(j)];
        const TFrameRec& rec = bench.model->FrameTable[j];
        EXPECT_LE(std::abs(rec.Slots[0].X - truth.shiftX), 1.0) << j;
        EXPECT_LE(std::abs(rec.Slots[0].Y - truth.shiftY), 1.0) << j;
    }
    RecordProperty("StackErrorBefore", std::to_string(allBefore));
    RecordProperty("StackErrorAfter", std::to_string(allAfter));
    RecordProperty("DisturbedErrorBefore", std::to_string(disturbedBefore));
    RecordProperty("DisturbedErrorAfter", std::to_string(disturbedAfter));
}

TEST(OptimizeAndStack, CancelledOptimizerStacksNothing) {
    RecordingBench bench;
    bench.progress.onPoll = [](NullProgress& port) { port.setCancelRequested(true); };
    StackingWindow window(bench);
    const OptimizeAndStackResult result =
        optimizeAndStack(bench.context, bench.section, bench.options, {}, window);
    EXPECT_EQ(result.outcome, OptimizeAndStackOutcome::CancelledOptimizing);
    EXPECT_TRUE(window.calls.empty());
    EXPECT_EQ(bench.progress.status(2), " ");
}

TEST(OptimizeAndStack, ProcessingAreaIsCentredOnLargeStacksAndKeptInside) {
    auto model = std::make_unique<FrameModel>();
    ImageDataSection section;
    ProgramState program;
    program.FeatureX = 300;
    program.FeatureY = 200;
    section.ProcessAreaWidth = section.ProcessAreaHeight = 512;
    section.ProcessAreaX = 7;
    section.ProcessAreaY = 9;

    // A stack that fits the view keeps the area where it is.
    model->ImageWidth = 800;
    model->ImageHeight = 600;
    centreProcessingArea(section, program, *model, {});
    EXPECT_EQ(section.ProcessAreaX, 7);
    EXPECT_EQ(section.ProcessAreaY, 9);

    // A wide and tall one centres it on the feature, in resampled pixels when resampled.
    model->ImageWidth = 1600;
    model->ImageHeight = 1200;
    centreProcessingArea(section, program, *model, {true, 2.0, false});
    EXPECT_EQ(program.stackx, 600);
    EXPECT_EQ(program.stacky, 400);
    EXPECT_EQ(section.ProcessAreaX, 600 - 256);
    EXPECT_EQ(section.ProcessAreaY, 400 - 256);

    // Never outside the stack: a feature near the corner, and the drizzled corner of a small one.
    program.FeatureX = 40;
    centreProcessingArea(section, program, *model, {});
    EXPECT_EQ(section.ProcessAreaX, 0);
    model->ImageWidth = 700;
    model->ImageHeight = 620;
    program.FeatureX = 300;
    centreProcessingArea(section, program, *model, {false, 2.0, true});
    EXPECT_EQ(program.stackx, 600);
    EXPECT_EQ(section.ProcessAreaX, 700 - 512);
    EXPECT_EQ(section.ProcessAreaY, 620 - 512);
}

namespace {

// The stages of "Create": settings and limits held as plain values, every stage noted.
class CreateWindow : public ReferenceStages {
public:
    CreateReferenceSettings stackSettings() override { return settings; }
    void applyStackSettings(const CreateReferenceSettings& value) override { settings = value; }
    int frameLimit() override { return alignMax; }
    void setFrameLimit(int last, bool wholeLimit) override {
        alignMax = stackMax = last;
        if (wholeLimit) alignValue = stackValue = stackTag = last;
    }
    void setStackLabelPrefix(const std::string& prefix) override { this->prefix = prefix; }
    void optimizeAndStack() override {
        calls.push_back("optimize and stack " + std::to_string(alignMax));
        during = settings;
        prefixDuring = prefix;
        if (onStack) onStack();
    }
    void process() override { calls.push_back("process"); }
    void showRegistrationGraph() override { calls.push_back("graph"); }
    void waitForUser() override {
        calls.push_back("wait");
        if (onWait) onWait();
    }
    void processWholePicture() override { calls.push_back("do all"); }
    void realignOnProcessed() override { calls.push_back("restart"); }

    CreateReferenceSettings settings{2.0, true, true, true, true, 1, true};
    CreateReferenceSettings during;
    int alignMax = 40;
    int stackMax = 40;
    int alignValue = 40;
    int stackValue = 40;
    int stackTag = 40;
    std::string prefix;
    std::string prefixDuring;
    std::vector<std::string> calls;
    std::function<void()> onStack;
    std::function<void()> onWait;
};

bool sameSettings(const CreateReferenceSettings& a, const CreateReferenceSettings& b) {
    return a.ResampleSpin == b.ResampleSpin && a.Drizzling == b.Drizzling &&
           a.Histostretch == b.Histostretch && a.Expandstack == b.Expandstack && a.Multi == b.Multi &&
           a.AlignMethodIndex == b.AlignMethodIndex && a.MultiPointMode == b.MultiPointMode;
}

struct CreateBench {
    CreateBench() {
        for (int j = 0; j < 60; ++j) {
            model->FrameRanking[j].Frame = 59 - j;
            model->FrameTable[j].Slots[0].Difference = 7.0f;
        }
        alignment.OptimizePass = 3;
        section.ProcessAreaSize = 512;
        section.AllocWidth = 640;
        section.AllocHeight = 480;
        options.Refframes = 12;
    }
    CreateReferenceResult create() {
        return createReferenceFrame(*model, program, alignment, optimizer, section, progress, messages,
                                    options, window);
    }
    std::unique_ptr<FrameModel> model = std::make_unique<FrameModel>();
    ProgramState program;
    AlignmentState alignment;
    OptimizerState optimizer;
    ImageDataSection section;
    NullProgress progress;
    test::ScriptedMessages messages;
    CreateReferenceOptions options;
    CreateWindow window;
};

}  // namespace

TEST(CreateReference, BestFramesAreStackedWithPlainSettingsAndEverythingComesBack) {
    CreateBench bench;
    const CreateReferenceSettings before = bench.window.settings;
    const CreateReferenceResult result = bench.create();
    EXPECT_EQ(result.outcome, CreateReferenceOutcome::Created);
    // Multi-point mode was on, so "Do All" was not counted as done: the user is asked (Yes).
    EXPECT_EQ(bench.window.calls, (std::vector<std::string>{"optimize and stack 11", "process", "graph",
                                                            "wait", "do all", "restart"}));
    EXPECT_EQ(bench.window.during.ResampleSpin, 1.0);
    EXPECT_FALSE(bench.window.during.Drizzling);
    EXPECT_FALSE(bench.window.during.Expandstack);
    EXPECT_FALSE(bench.window.during.Histostretch);  // no FITS stretching
    EXPECT_FALSE(bench.window.during.Multi);
    EXPECT_FALSE(bench.window.during.MultiPointMode);
    EXPECT_EQ(bench.window.during.AlignMethodIndex, 0);
    EXPECT_EQ(bench.window.prefixDuring, "Reference");
    EXPECT_TRUE(bench.optimizer.MultiPointReference);

    // The limit is the one before, not one less.
    EXPECT_EQ(bench.window.alignMax, 40);
    EXPECT_EQ(bench.window.stackMax, 40);
    EXPECT_EQ(bench.window.alignValue, 40);
    EXPECT_EQ(bench.window.stackTag, 40);
    EXPECT_TRUE(sameSettings(bench.window.settings, before));
    EXPECT_EQ(bench.window.prefix, "");

    for (int j = 0; j < 60; ++j) {
        const TFrameRec& rec = bench.model->FrameTable[bench.model->FrameRanking[j].Frame];
        EXPECT_EQ(rec.Slots[0].Difference, j <= 40 ? NewReferenceDifference : 7.0f) << j;
    }
    EXPECT_EQ(bench.alignment.OptimizePass, 0);
    ASSERT_EQ(bench.messages.shown.size(), 2u);
    EXPECT_EQ(bench.messages.shown[0].caption, "Reference frame");
    EXPECT_EQ(bench.messages.shown[0].text, "Enhance image and press continue");
    EXPECT_EQ(bench.messages.shown[0].checkBoxCaption, "Do not show this message again");
    EXPECT_EQ(bench.messages.shown[1].caption, "Do All was not used");
    EXPECT_EQ(bench.messages.shown[1].text, "Continue with Do All action ?");

    // A second Create starts from the same limit: no frame is lost.
    bench.window.calls.clear();
    bench.create();
    EXPECT_EQ(bench.window.alignMax, 40);
}

// The reference is stacked from the best Refframes frames, never from fewer than two (a limit
// that ends at its start is refused) nor from more than the limit holds.
TEST(CreateReference, ReferenceFramesAreTheBestWithinTheLimit) {
    struct Case {
        double refframes;
        int limit;
        const char* stacked;
    };
    const Case cases[] = {{12, 40, "optimize and stack 11"}, {2, 40, "optimize and stack 1"},
                          {1, 40, "optimize and stack 1"},   {0.4, 40, "optimize and stack 1"},
                          {90, 40, "optimize and stack 40"}, {1, 1, "optimize and stack 1"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.refframes);
        CreateBench bench;
        bench.options.Refframes = c.refframes;
        bench.window.alignMax = bench.window.stackMax = c.limit;
        bench.create();
        ASSERT_FALSE(bench.window.calls.empty());
        EXPECT_EQ(bench.window.calls[0], c.stacked);
        EXPECT_EQ(bench.window.alignMax, c.limit);
    }
}

TEST(CreateReference, DoAllIsSkippedWhenDoneDeclinedOrCoveringThePicture) {
    {
        CreateBench bench;  // single-box mode counts Do All as done
        bench.window.settings.MultiPointMode = false;
        bench.create();
        EXPECT_EQ(std::count(bench.window.calls.begin(), bench.window.calls.end(), "do all"), 0);
    }
    {
        CreateBench bench;
        bench.messages.checkBox = true;  // "Do not show this message again": no more questions
        const CreateReferenceResult result = bench.create();
        EXPECT_FALSE(result.CreateRefMessage);
        EXPECT_EQ(bench.messages.shown.size(), 1u);
        EXPECT_EQ(std::count(bench.window.calls.begin(), bench.window.calls.end(), "do all"), 1);
    }
    {
        CreateBench bench;
        bench.messages.answers = {mrOk, mrNo};
        bench.create();
        EXPECT_EQ(std::count(bench.window.calls.begin(), bench.window.calls.end(), "do all"), 0);
    }
    {
        CreateBench bench;
        bench.section.ProcessAreaSize = 1024;  // the area covers the 640 x 480 picture
        bench.create();
        EXPECT_EQ(std::count(bench.window.calls.begin(), bench.window.calls.end(), "do all"), 0);
    }
    {
        CreateBench bench;  // a batch run asks nothing and does the Do All
        bench.program.BatchMode = true;
        bench.create();
        EXPECT_TRUE(bench.messages.shown.empty());
        EXPECT_EQ(std::count(bench.window.calls.begin(), bench.window.calls.end(), "do all"), 1);
    }
}

TEST(CreateReference, CancelOrFailurePutsTheSettingsAndTheLimitBack) {
    {
        CreateBench bench;
        const CreateReferenceSettings before = bench.window.settings;
        bench.window.onStack = [&] { bench.progress.setCancelRequested(true); };
        const CreateReferenceResult result = bench.create();
        EXPECT_EQ(result.outcome, CreateReferenceOutcome::Cancelled);
        EXPECT_FALSE(bench.progress.cancelRequested());
        EXPECT_TRUE(sameSettings(bench.window.settings, before));
        EXPECT_EQ(bench.window.alignMax, 40);
        EXPECT_EQ(bench.model->FrameTable[59].Slots[0].Difference, 7.0f);  // no new reference
    }
    {
        // A cancel during the wait ends it before the whole picture is processed.
        CreateBench bench;
        const CreateReferenceSettings before = bench.window.settings;
        bench.window.onWait = [&] { bench.progress.setCancelRequested(true); };
        EXPECT_EQ(bench.create().outcome, CreateReferenceOutcome::Cancelled);
        EXPECT_EQ(bench.window.calls.back(), "wait");
        EXPECT_TRUE(sameSettings(bench.window.settings, before));
        EXPECT_EQ(bench.window.prefix, "");
    }
    {
        CreateBench bench;
        const CreateReferenceSettings before = bench.window.settings;
        bench.window.onStack = [] { throw KestraveError("reader failed"); };
        EXPECT_THROW(bench.create(), KestraveError);
        EXPECT_TRUE(sameSettings(bench.window.settings, before));
        EXPECT_EQ(bench.window.alignMax, 40);
    }
}
