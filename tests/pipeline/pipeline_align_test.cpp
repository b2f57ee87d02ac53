// The align stage run on a pipeline without a window: the box size chosen, the feature picked
// with its reference, the frames aligned on the one box and on points, each through test ports
// that show the frames in memory and note what the stage showed.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "pipeline/pipeline.h"
#include "registration/align_test_bench.h"
#include "support/pipeline_test_access.h"

namespace kestrave {
namespace {

using Shift = std::array<int, 2>;

constexpr int Width = 160;
constexpr int Height = 120;

// The reference frame's window: a frame shown is the picture in memory at that position.
class ShownFrames : public ReferenceWindow {
public:
    ShownFrames(Pipeline& pipeline, const std::vector<Bitmap24>& frames)
        : pipeline_(pipeline), frames_(frames) {}
    void showFrame(int position) override {
        shown.push_back(position);
        editRun(pipeline_).input.PreviewBitmap = frames_[static_cast<std::size_t>(position)];
    }
    void applyAutomaticValues(const AutomaticFilterValues& values) override { written.push_back(values); }

    std::vector<int> shown;
    std::vector<AutomaticFilterValues> written;

private:
    Pipeline& pipeline_;
    const std::vector<Bitmap24>& frames_;
};

class SurfaceView : public test::RecordingView {
public:
    void showCorrelationSurface(const Bitmap24&) override { ++surfaces; }
    int surfaces = 0;
};

// A SER input of textured frames moved by `shifts`, frame 0 shown, nothing aligned yet.
struct AlignRun {
    explicit AlignRun(const std::vector<Shift>& shifts)
        : frames(test::texturedFrames(Width, Height, shifts)), window(pipeline, frames), source(frames) {
        RunState& run = editRun(pipeline);
        FrameModel& model = run.model;
        const int count = static_cast<int>(shifts.size());
        model.FrameWidth = model.ImageWidth = model.FrameWidthRaw = Width;
        model.FrameHeight = model.ImageHeight = model.FrameHeightRaw = Height;
        model.InputType = TInputType::itSER;
        model.InputIsSeries = model.InputIsSER = true;
        model.SerName = "points.ser";
        model.usedframes = count;
        for (int k = 0; k < count; ++k) model.FrameNames[k] = "Frame " + std::to_string(k);
        run.state.ProcessStage = TProcessStage::stInputLoaded;
        run.input.PreviewBitmap = frames[0];
        pass.lastFrame = count - 1;
    }

    PickResult pickAt(int x, int y) {
        PreviewClick click;
        click.x = x;
        click.y = y;
        return pipeline.pickFeature(click, reference, pass.align, ports);
    }

    Pipeline pipeline;
    std::vector<PipelineChange> heard;
    const Pipeline::Subscription subscription =
        pipeline.subscribe([this](PipelineChange change) { heard.push_back(change); });
    std::vector<Bitmap24> frames;
    ShownFrames window;
    test::MemoryFrameSource source;
    SurfaceView view;
    NullProgress progress;
    BatchMessagePresenter messages{[](const std::string&) {}};
    AlignPorts ports{messages, progress, view, window};
    ReferenceOptions reference;
    AlignmentPassOptions pass;
};

std::vector<Shift> shiftsOf(int count) {
    std::vector<Shift> shifts;
    for (int k = 0; k < count; ++k) shifts.push_back({(k * 3 + 3) % 7 - 3, (k * 5 + 4) % 9 - 4});
    shifts[0] = {0, 0};
    return shifts;
}

void expectSlotShifts(const FrameModel& model, int slot, const std::vector<Shift>& shifts) {
    for (std::size_t k = 0; k < shifts.size(); ++k) {
        const TAlignSlotRec& at = model.FrameTable[static_cast<int>(k)].Slots[slot];
        EXPECT_EQ(at.X, shifts[k][0]) << "slot " << slot << ", frame " << k;
        EXPECT_EQ(at.Y, shifts[k][1]) << "slot " << slot << ", frame " << k;
    }
}

// Box, feature and the pass over every frame: each frame's shift is the one it was moved by.
TEST(PipelineAlign, TheOneBoxStageFindsTheShiftOfEveryFrame) {
    const std::vector<Shift> shifts = shiftsOf(12);
    AlignRun run(shifts);
    const FftSizeChoice box = run.pipeline.chooseBoxSize(fftItemForSize(64), 10.0, run.messages);
    EXPECT_TRUE(box.applied);
    EXPECT_EQ(run.pipeline.fft().FFTSize, 64);

    ASSERT_EQ(run.pickAt(80, 60), PickResult::FeatureAccepted);
    EXPECT_EQ(run.pipeline.state().ProcessStage, TProcessStage::stReferenceReady);
    EXPECT_EQ(run.pipeline.state().FeatureX, 80);
    // The reference is computed twice on the frame clicked, the automatic band written back each time.
    EXPECT_EQ(run.window.shown, (std::vector{0, 0}));
    EXPECT_EQ(run.window.written.size(), 2u);
    // Once computed, the correlation surface of the reference frame's alignment is shown.
    EXPECT_GT(run.view.surfaces, 0);

    run.heard.clear();
    // Points placed before are not in use on one box.
    editRun(run.pipeline).alignPoints.StopPlacing = true;
    const AlignmentPassResult result = run.pipeline.alignAllFrames(run.pass, false, run.source, run.ports);
    ASSERT_EQ(result.end, PassEnd::Finished);
    EXPECT_FALSE(run.pipeline.alignPoints().StopPlacing);
    EXPECT_TRUE(run.pipeline.model().FramesRanked);
    expectSlotShifts(run.pipeline.model(), 0, shifts);
    EXPECT_EQ(run.heard, (std::vector{PipelineChange::Frames, PipelineChange::Stage}));
}

// A reference computed again aligns the reference frame with the options it was given; the
// correlation surface stays hidden unless they ask for it.
TEST(PipelineAlign, TheReferenceFrameIsAlignedWithTheOptionsGiven) {
    for (const bool surface : {false, true}) {
        SCOPED_TRACE(surface);
        AlignRun run(shiftsOf(4));
        run.pipeline.chooseBoxSize(fftItemForSize(64), 10.0, run.messages);
        run.pipeline.takeFeatureAt(80, 60);
        run.pass.align.ShowFFTbox = surface;
        run.pipeline.computeReference(run.reference, run.pass.align, run.ports);
        EXPECT_EQ(run.window.shown, std::vector{0});
        EXPECT_EQ(run.view.surfaces > 0, surface);
    }
}

// The points' pass files every point's shifts in its slot with its best grade, whether several
// points are aligned or point 1 alone on its box.
TEST(PipelineAlign, ThePointsPassFilesEachPointWithItsBestGrade) {
    const std::vector<Shift> shifts = shiftsOf(10);
    struct Point {
        int p, x, y;
    };
    const std::vector<std::vector<Point>> cases{{{2, 110, 60}, {1, 50, 60}}, {{1, 80, 60}}};
    for (const std::vector<Point>& points : cases) {
        SCOPED_TRACE(points.size());
        AlignRun run(shifts);
        run.pipeline.chooseBoxSize(fftItemForSize(64), 10.0, run.messages);
        ASSERT_EQ(run.pickAt(80, 60), PickResult::FeatureAccepted);
        std::vector<PointReference> references;
        for (const Point& point : points) {
            run.pipeline.takeFeatureAt(point.x, point.y);
            run.pipeline.computeReference(run.reference, run.pass.align, run.ports);
            references.push_back(run.pipeline.pointReference(point.p, run.pass.align));
        }
        run.heard.clear();
        const AlignmentPassResult result =
            run.pipeline.alignPoints(references, false, run.pass, run.source, run.ports);
        ASSERT_EQ(result.end, PassEnd::Finished);
        for (const Point& point : points) {
            expectSlotShifts(run.pipeline.model(), point.p, shifts);
            EXPECT_GT(run.pipeline.alignPoints().PointBestQuality[static_cast<std::size_t>(point.p)], 0.0f);
        }
        EXPECT_EQ(run.heard, (std::vector{PipelineChange::Frames, PipelineChange::Stage}));
    }
}

// The points' setup pass asks the window for references in this order. "Simple" aligns on point
// 1 alone; when point 1's box on the frame shown holds nothing to lock on, "Simple" with two
// points or more aligns once on the largest box around the points (the box of 64 of a 160 x 120
// frame, item 1, centred between the extreme points; point 1's area shown meanwhile) and takes
// point 1's reference after the pass; "Multi-Quantity" takes every point's from the last down; a cancel
// aligns nothing.
TEST(PipelineAlign, ThePlacedPointsAreAlignedInTheOrderTheSetupAsks) {
    class NotedWindow : public PointPassWindow {
    public:
        void pointStarting(int p) override { calls.push_back("show " + std::to_string(p)); }
        PointReference referenceAt(int p, int x, int y, int item) override {
            calls.push_back("reference " + std::to_string(p) + " at " + std::to_string(x) + "," +
                            std::to_string(y) + " item " + std::to_string(item));
            PointReference reference;
            reference.point = p;
            return reference;
        }
        void pointsDone(int done) override { calls.push_back("done " + std::to_string(done)); }
        AlignmentPassResult alignReferences(std::vector<PointReference>& references, bool) override {
            calls.push_back("align " + std::to_string(references.size()) +
                            (references.front().ManualAlign ? " by hand" : ""));
            return {};
        }
        std::vector<std::string> calls;
    };
    struct Case {
        int count;
        bool multiQuantity, cancelled, flatShown;
        std::vector<std::string> calls;
    };
    const std::vector<Case> cases{
        {3,
         false,
         false,
         true,
         {"show 1", "reference 1 at 75,65 item 1", "align 1 by hand", "show 1", "reference 1 at 30,40 item 1",
          "done 3"}},
        {3, false, false, false, {"show 1", "reference 1 at 30,40 item 1", "done 3", "align 1 by hand"}},
        {3,
         true,
         false,
         true,
         {"show 3", "reference 3 at 70,90 item 1", "done 1", "show 2", "reference 2 at 120,50 item 0",
          "done 2", "show 1", "reference 1 at 30,40 item 1", "done 3", "align 3 by hand"}},
        {1, false, false, true, {"show 1", "reference 1 at 30,40 item 1", "done 1", "align 1 by hand"}},
        {3, false, true, true, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.count << c.multiQuantity << c.cancelled << c.flatShown);
        AlignRun run(shiftsOf(4));
        if (c.flatShown) {
            Bitmap24& shown = editRun(run.pipeline).input.PreviewBitmap;
            for (int y = 0; y < shown.height(); ++y)
                for (int x = 0; x < shown.width(); ++x) std::fill_n(shown.pixel(x, y), 3, std::uint8_t{100});
        }
        run.pipeline.takeAlignPoints(std::vector<AlignPoint>{{30, 40, 64}, {120, 50, 32}, {70, 90, 64}});
        run.progress.setCancelRequested(c.cancelled);
        NotedWindow window;
        PlacedPointsOptions options;
        options.count = c.count;
        options.multiQuantity = c.multiQuantity;
        options.manualAlign = true;
        options.lastFrame = 3;
        run.heard.clear();
        const AlignmentPassResult pass = run.pipeline.alignPlacedPoints(options, window, run.progress);
        EXPECT_EQ(window.calls, c.calls);
        // The points' optimizer starts afresh from a whole-frame pass alone.
        EXPECT_EQ(run.pipeline.alignPoints().WholeFrameStart, c.count > 1 && !c.multiQuantity && c.flatShown);
        EXPECT_EQ(pass.end, c.cancelled ? PassEnd::Cancelled : PassEnd::Finished);
        // A finished pass files the points' shifts; a cancelled one leaves them.
        EXPECT_EQ(run.heard,
                  c.cancelled ? std::vector<PipelineChange>{} : std::vector{PipelineChange::Frames});
    }
}

}  // namespace
}  // namespace kestrave
