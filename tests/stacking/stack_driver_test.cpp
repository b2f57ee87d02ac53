// The stacking run: frame choice, canvas, cancel, thread independence, rendering and the tone
// histogram, and the frame prefetcher that feeds it.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <stdexcept>
#include <thread>

#include "frames/pixel_helpers.h"
#include "frames/stretch.h"
#include "stack_test_support.h"
#include "support/thread_count_scope.h"

namespace kestrave {
namespace {

using test::makePlane;
using test::samePlane;
using test::StackBench;

TEST(Stack, AllFramesExcludedGivesTheMessageAndReadsNothing) {
    StackBench bench(10, 8, 5);
    for (int i = 0; i < 5; ++i) {
        bench.source.frames.push_back(makePlane(10, 8, [](int, int) { return 1.0f; }));
        bench.model->FrameTable[i].Excluded = true;
    }
    bench.state.progstatus = TProgStatus::psOptimized;
    const StackResult result = bench.stack();
    EXPECT_EQ(result.outcome, StackOutcome::NoFrames);
    EXPECT_EQ(bench.source.reads, 0);
    ASSERT_EQ(bench.messages.history().size(), 1u);
    EXPECT_EQ(bench.messages.history()[0].caption, "Stacking");
    EXPECT_EQ(bench.messages.history()[0].text, "No frames to stack, please change slider(s)");
    EXPECT_EQ(bench.messages.history()[0].dlgType, mtWarning);
    EXPECT_EQ(bench.state.progstatus, TProgStatus::psOptimized);
    EXPECT_EQ(bench.section.AllocWidth, 2);  // the start-up section, untouched
}

TEST(Stack, ListTakesThePassingRanksAscendingByFrameNumber) {
    StackBench bench(4, 4, 6);
    const int ranking[] = {4, 1, 5, 0, 3, 2};
    const float difference[] = {10, 20, 90, 30, 40, 100};  // by frame number
    for (int j = 0; j < 6; ++j) {
        bench.model->FrameRanking[j].Frame = ranking[j];
        bench.model->FrameTable[j].Slots[0].Difference = difference[j];
        bench.source.frames.push_back(makePlane(4, 4, [](int, int) { return 1.0f; }));
    }
    bench.model->FrameTable[3].Excluded = true;
    bench.options.StackSlider = {4, 5};
    bench.options.differencecutslider = 500;  // limit 50 of the largest 100 (ranks 0..5)
    const StackResult result = bench.stack();
    EXPECT_EQ(result.stackList, (std::vector<int>{0, 1, 4}));
    EXPECT_EQ(result.StackListCount, 3);
    EXPECT_EQ(result.StackSliderTag, 4);  // outside multi-point mode the Tag follows the Value
    EXPECT_EQ(result.StackRangeCount, 5);
    EXPECT_EQ(bench.source.reads, 3);

    // With the ranks 0..1 the largest difference is doubled: both frames pass from 500 up.
    bench.options.StackSlider = {1, 1};
    bench.options.differencecutslider = 500;
    EXPECT_EQ(bench.stack().stackList, (std::vector<int>{1, 4}));
    bench.options.differencecutslider = 499;
    EXPECT_EQ(bench.stack().stackList, (std::vector<int>{1}));  // frame 4 (40) is above 39.92
}

// A colour stack of shifted noise frames in the given mode, at `threads` threads.
struct Snapshot {
    PlaneTriple planes;
    T2dArrays weight;
    Bitmap24 image;
    std::vector<std::uint16_t> words;
};
Snapshot stackAt(int threads, const std::function<void(StackBench&)>& mode) {
    test::ThreadCountScope scope(threads);
    StackBench bench(150, 140, 12);
    bench.source.kind = FrameSamples::Bitmap;
    const auto noise = test::gaussian(30.0, 5);
    for (int i = 0; i < 12; ++i) {
        bench.source.frames.push_back(
            makePlane(150, 140, [&](int x, int y) { return 120.0f + x % 7 + y % 5 + noise(); }));
        bench.model->FrameTable[i].Slots[0].X = i % 5 - 2;
        bench.model->FrameTable[i].Slots[0].Y = i % 3 - 1;
        bench.model->FrameTable[i].SubPixelX = 0.1f * (i % 9) - 0.4f;
        bench.model->FrameTable[i].SubPixelY = 0.05f * (i % 7) - 0.2f;
        bench.model->FrameTable[i].Slots[0].Brightness = 0.8f + 0.03f * i;
    }
    bench.options.Colourstack = true;
    bench.options.IntensBalance = true;
    mode(bench);
    EXPECT_EQ(bench.stack().outcome, StackOutcome::Stacked);
    Snapshot s{std::move(bench.section.StackPlanes), std::move(bench.section.StackWeightPlane), {}, {}};
    const StackResult again = bench.stack();  // the image of a second, identical run
    s.image = again.Stackimage;
    for (int y = 0; y < bench.section.ResultImage16.height(); ++y)
        s.words.insert(
            s.words.end(), bench.section.ResultImage16.HighBitRow(y),
            bench.section.ResultImage16.HighBitRow(y) + bench.section.ResultImage16.samplesPerRow());
    return s;
}

TEST(Stack, ResultsAreIdenticalAtOneAndEightThreads) {
    const std::vector<std::pair<const char*, std::function<void(StackBench&)>>> modes = {
        {"plain", [](StackBench&) {}},
        {"expanded", [](StackBench& b) { b.options.Expandstack = true; }},
        {"drizzled", [](StackBench& b) { b.options.Drizzling = b.options.Drizzle2 = true; }},
        {"resampled", [](StackBench& b) { b.options.Resampled = true; }},
        {"sigma", [](StackBench& b) { b.options.Statistical = true; }},
        {"points",
         [](StackBench& b) {
             StackPointSet& points = b.options.Points;
             points.MultiPointMode = true;
             points.Alignpoints = 3;
             points.PointPos[1] = {30, 40};
             points.PointPos[2] = {100, 50};
             points.PointPos[3] = {70, 110};
             for (int p = 1; p <= 3; ++p) {
                 points.PointEnabled[p] = true;
                 points.PointDifferenceCut[p] = 1e6f;
             }
             b.options.Seams = true;
             b.options.FastStack = false;
             for (int i = 0; i < 12; ++i)
                 for (int p = 1; p <= 3; ++p)
                     b.model->FrameTable[i].Slots[p] = {(i + p) % 4 - 1, (i * p) % 3 - 1};
         }},
    };
    for (const auto& [name, mode] : modes) {
        const Snapshot one = stackAt(1, mode);
        const Snapshot eight = stackAt(8, mode);
        for (int c = 0; c < 3; ++c) EXPECT_TRUE(samePlane(one.planes[c], eight.planes[c])) << name << c;
        EXPECT_TRUE(samePlane(one.weight, eight.weight)) << name;
        EXPECT_TRUE(
            std::equal(one.image.bits(), one.image.bits() + one.image.byteCount(), eight.image.bits()))
            << name;
        EXPECT_EQ(one.words, eight.words) << name;
    }
}

TEST(Stack, CancelDuringThePassPublishesNothing) {
    StackBench bench(20, 16, 40);
    for (int i = 0; i < 40; ++i)
        bench.source.frames.push_back(makePlane(20, 16, [i](int x, int) { return x + i * 0.5f; }));
    ASSERT_EQ(bench.stack().outcome, StackOutcome::Stacked);
    const T2dArrays stacked = bench.section.StackPlanes[1];
    const T2dArrays weights = bench.section.StackWeightPlane;
    bench.state.progstatus = TProgStatus::psOptimized;  // as if the user went back to optimize
    bench.state.activepage = TMainTab::tabStack;
    bench.state.LayersDirty = false;

    // Drizzled at twice the size this time; the cancel comes at the fifth poll.
    bench.options.Drizzling = bench.options.Drizzle2 = true;
    bench.source.reads = 0;
    int polls = 0;
    bench.progress.onPoll = [&](NullProgress& p) {
        if (++polls == 5) p.setCancelRequested(true);
    };
    const StackResult result = bench.stack();
    EXPECT_EQ(result.outcome, StackOutcome::Cancelled);
    EXPECT_FALSE(bench.state.LayersDirty);
    EXPECT_LT(bench.source.reads, 40);
    EXPECT_EQ(bench.state.progstatus, TProgStatus::psOptimized);
    EXPECT_EQ(bench.state.activepage, TMainTab::tabStack);
    EXPECT_EQ(bench.model->ImageWidth, 20);
    EXPECT_EQ(bench.section.AllocWidth, 20);
    EXPECT_TRUE(samePlane(bench.section.StackPlanes[1], stacked));
    EXPECT_TRUE(samePlane(bench.section.StackWeightPlane, weights));

    // The next run starts without the old request.
    bench.progress.onPoll = nullptr;
    EXPECT_EQ(bench.stack().outcome, StackOutcome::Stacked);
    EXPECT_EQ(bench.section.AllocWidth, 39);
    EXPECT_EQ(bench.state.progstatus, TProgStatus::psStacked);
    EXPECT_EQ(bench.state.activepage, TMainTab::tabFinal);
    EXPECT_TRUE(bench.state.LayersDirty);
}

// The run's label alternates every 5 % of the list, after the run's name, and ends with the
// finishing text.
TEST(Stack, TheLabelAlternatesEveryTwentiethOfTheListAndEndsFinishing) {
    StackBench bench(8, 8, 40);
    for (int i = 0; i < 40; ++i)
        bench.source.frames.push_back(makePlane(8, 8, [](int, int) { return 1.0f; }));
    bench.options.StackLabelPrefix = "Reference";
    ASSERT_EQ(bench.stack().outcome, StackOutcome::Stacked);
    std::vector<std::string> expected;
    for (int step = 0; step < 20; ++step)
        expected.push_back(step % 2 == 0 ? "Reference Stacking" : "Reference Stacking ...");
    expected.push_back("Finishing stack");
    EXPECT_EQ(bench.progress.activities, expected);
}

TEST(Stack, OneFrameAsksFirstAndADeclineChangesNothing) {
    StackBench bench(6, 5, 1);
    bench.source.frames.push_back(makePlane(6, 5, [](int, int) { return 9.0f; }));
    struct Decline : MessagePort {
        std::uint16_t show(const Message& m) override {
            text = m.text;
            return mrCancel;
        }
        std::string text;
    } decline;
    const int memoryShown = bench.progress.memoryShown;
    const StackResult declined = stackFrames(*bench.model, bench.state, bench.section, bench.options,
                                             bench.source, bench.progress, decline);
    EXPECT_EQ(declined.outcome, StackOutcome::Declined);
    EXPECT_EQ(decline.text, " Only one frame to stack, continue ??? ");
    EXPECT_EQ(bench.source.reads, 0);
    EXPECT_EQ(bench.state.progstatus, TProgStatus::psNone);
    EXPECT_EQ(bench.progress.memoryShown, memoryShown + 1) << "the run's end shows the memory use";
    // Unattended, the answer is Yes.
    EXPECT_EQ(bench.stack().outcome, StackOutcome::Stacked);
}

TEST(Stack, RenderingMapsTheRangeToBytesAndClampedWords) {
    // 8-bit input renders on 0..255: the words are the level times 255, at most 65025.
    StackBench bytes(256, 2, 2);
    bytes.source.kind = FrameSamples::Bitmap;
    for (int i = 0; i < 2; ++i)
        bytes.source.frames.push_back(makePlane(256, 2, [](int x, int) { return float(x); }));
    const StackResult result = bytes.stack();
    EXPECT_FLOAT_EQ(result.StackMinValue, 0.0f);
    EXPECT_FLOAT_EQ(result.StackMaxValue, 255.0f);
    for (int x = 0; x < 256; ++x) {
        EXPECT_EQ(result.Stackimage.pixel(x, 1)[1], x);
        EXPECT_EQ(bytes.section.ResultImage16.HighBitRow(1)[3 * x + 1], x * 255);
    }

    // Raw 8-bit SER after a dark: values outside 0..255 clamp in bytes, words and histogram bins.
    StackBench raw(3, 2, 1);
    raw.model->InputIsSER = raw.model->InputIsSeries = true;
    raw.options.SerPixelDepth = 8;
    raw.options.Colourstack = true;
    raw.source.frames.push_back(makePlane(3, 2, [](int x, int) {
        return x == 0 ? -50.0f : x == 1 ? 1000.0f : 100.0f;
    }));
    const StackResult clamped = raw.stack();
    EXPECT_EQ(clamped.Stackimage.pixel(0, 0)[2], 0);
    EXPECT_EQ(clamped.Stackimage.pixel(1, 0)[2], 255);
    EXPECT_EQ(raw.section.ResultImage16.HighBitRow(0)[0], 0);
    EXPECT_EQ(raw.section.ResultImage16.HighBitRow(0)[3], 65535);
    EXPECT_EQ(clamped.statistics.ToneHistogramRaw[0], 2.0);
    EXPECT_EQ(clamped.statistics.ToneHistogramRaw[1000], 2.0);
    EXPECT_EQ(clamped.statistics.StackMinLum, Luma709(-50.0f, -50.0f, -50.0f));
    EXPECT_EQ(clamped.statistics.StackMaxLum, Luma709(1000.0f, 1000.0f, 1000.0f));
}

TEST(Stack, ToneHistogramIsClippedUntilLittleIsCutAway) {
    StackStatistics flat;
    flat.ToneHistogram.fill(10.0);
    flat.ToneHistTotal = 10.0 * ToneHistogramBins;
    clipToneHistogram(flat);  // no bin above 1 %: one pass, nothing cut
    EXPECT_EQ(flat.ToneHistExcess, 0.0);
    EXPECT_EQ(flat.ToneHistogram[0], 10.0);
    EXPECT_DOUBLE_EQ(flat.ToneHistogram[1], 20.0 / (10.0 * ToneHistogramBins) * 255.0);
    EXPECT_DOUBLE_EQ(flat.ToneHistogram[1000], 255.0);

    StackStatistics peak;
    peak.ToneHistogram[500] = 1e6;
    peak.ToneHistTotal = 1e6;
    clipToneHistogram(peak);  // 990000 cut at 1e4, then 9900 at 100: at most 2.5 % of the total
    EXPECT_DOUBLE_EQ(peak.ToneHistClip, 100.0);
    EXPECT_DOUBLE_EQ(peak.ToneHistExcess, 9900.0);
    EXPECT_DOUBLE_EQ(peak.ToneHistTotal, 100.0);
    EXPECT_EQ(peak.ToneHistogramRaw[500], 1e6);
    EXPECT_EQ(peak.ToneHistogram[499], 0.0);
    EXPECT_EQ(peak.ToneHistogram[500], 255.0);
}

TEST(Stack, ExpandedCanvasHoldsEveryShift) {
    StackBench bench(40, 30, 3);
    const int shifts[3][2] = {{-2, 1}, {0, 0}, {3, -1}};
    for (int i = 0; i < 3; ++i) {
        bench.source.frames.push_back(makePlane(40, 30, [&](int x, int y) {
            return static_cast<float>(x - shifts[i][0] +
                                      100 * (y - shifts[i][1]));  // content moved by the shift
        }));
        bench.model->FrameTable[i].Slots[0].X = shifts[i][0];
        bench.model->FrameTable[i].Slots[0].Y = shifts[i][1];
    }
    bench.options.Expandstack = true;
    const StackResult result = bench.stack();
    EXPECT_EQ(result.ImageWidth, 45);
    EXPECT_EQ(result.ImageHeight, 32);
    EXPECT_EQ(result.StackOffsetX, 3);
    EXPECT_EQ(result.StackOffsetY, 1);
    // Reference position (x, y) lands at (x + 3, y + 1) in every frame.
    for (int x = 5; x < 35; ++x)
        for (int y = 3; y < 26; ++y) {
            ASSERT_FLOAT_EQ(bench.section.StackPlanes[1][x + 3][y + 1], x + 100.0f * y) << x << "," << y;
            ASSERT_EQ(bench.section.StackWeightPlane[x + 3][y + 1], 3.0f);
        }
}

TEST(Stack, ResampledStackKeepsAnEvenField) {
    StackBench bench(30, 20, 2);
    bench.source.kind = FrameSamples::Bitmap;
    for (int i = 0; i < 2; ++i)
        bench.source.frames.push_back(makePlane(30, 20, [](int, int) { return 90.0f; }));
    bench.options.Resampled = true;
    bench.options.ResampleFactor = 2.0f;
    const StackResult result = bench.stack();
    EXPECT_EQ(result.ImageWidth, 59);
    EXPECT_EQ(result.ImageHeight, 39);
    EXPECT_EQ(result.sizeSuffix, " Resample 2");
    for (int x = 4; x < 55; ++x)
        for (int y = 4; y < 35; ++y)
            ASSERT_NEAR(bench.section.StackPlanes[1][x][y], 90.0f, 1.0f) << x << "," << y;
}

// Each item of the resampling choice stacks a textured frame as that filter enlarges it: "Bell",
// "Bspline", "Lanczos", "Mitchell" are the kernels of those names, and no two of them give the
// same stack.
TEST(Stack, EachResamplingChoiceStacksWithItsOwnFilter) {
    const char* names[] = {"Bell", "B-Spline", "Lanczos3", "Mitchell"};
    Bitmap24 frame(30, 20);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 30; ++x)
            std::fill_n(frame.pixel(x, y), 3,
                        static_cast<std::uint8_t>(128 + 100 * ((x * 7 + y * 3) % 5 == 0) -
                                                  60 * ((x + 2 * y) % 7 == 0)));
    std::vector<T2dArrays> stacks;
    for (int item = 0; item < 4; ++item) {
        SCOPED_TRACE(names[item]);
        StackBench bench(30, 20, 2);
        bench.source.kind = FrameSamples::Bitmap;
        for (int i = 0; i < 2; ++i)
            bench.source.frames.push_back(
                makePlane(30, 20, [&](int x, int y) { return static_cast<float>(frame.pixel(x, y)[1]); }));
        bench.options.Resampled = true;
        bench.options.ResampleFactor = 2.0f;
        bench.options.ResampleMethod = item;
        ASSERT_EQ(bench.stack().outcome, StackOutcome::Stacked);
        const auto filter = std::find_if(ResampleFilters.begin(), ResampleFilters.end(),
                                         [&](const ResampleFilter& f) { return f.Name == names[item]; });
        ASSERT_NE(filter, ResampleFilters.end());
        Bitmap24 enlarged(59, 39);
        Stretch(frame, enlarged, filter->Filter, filter->Width);
        for (int x = 2; x < 57; ++x)
            for (int y = 2; y < 37; ++y)
                ASSERT_NEAR(bench.section.StackPlanes[1][x][y], enlarged.pixel(x, y)[1], 0.01)
                    << x << "," << y;
        for (const T2dArrays& other : stacks) EXPECT_FALSE(samePlane(other, bench.section.StackPlanes[1]));
        stacks.push_back(bench.section.StackPlanes[1]);
    }
}

TEST(Stack, PrefetchedFramesArriveInListOrderAndErrorsInTheirPlace) {
    for (const int threads : {1, 8}) {
        test::ThreadCountScope scope(threads);
        test::MemoryFrameSource source;
        for (int i = 0; i < 60; ++i)
            source.frames.push_back(makePlane(3, 2, [i](int, int) { return float(i); }));
        std::vector<int> list(60);
        for (int i = 0; i < 60; ++i) list[i] = (i * 37) % 60;
        {
            // Frames held three at a time stay intact while the workers read ahead.
            FramePrefetcher prefetcher(source, list, 6, 3);
            std::vector<std::pair<int, FrameBuffers*>> held;
            for (const int frame : list) {
                held.emplace_back(frame, &prefetcher.next());
                if (held.size() < 3 && frame != list.back()) continue;
                for (const auto& [expected, buffers] : held) {
                    ASSERT_EQ(buffers->RawFramePlane[1][1], float(expected)) << threads;
                    prefetcher.release();
                }
                held.clear();
            }
        }
        {
            // Given back newest first, each frame still held stays intact: a slot is read into
            // again only once every frame before it is given back.
            FramePrefetcher prefetcher(source, list, 2, 3);
            std::vector<std::pair<std::size_t, FrameBuffers*>> held;
            for (std::size_t k = 0; k < list.size(); ++k) {
                std::size_t position = 0;
                FrameBuffers& buffers = prefetcher.next(position);
                ASSERT_EQ(position, k);
                held.emplace_back(position, &buffers);
                if (held.size() < 3 && k + 1 < list.size()) continue;
                while (!held.empty()) {
                    prefetcher.release(held.back().first);
                    held.pop_back();
                    std::this_thread::sleep_for(std::chrono::microseconds(200));
                    for (const auto& [p, b] : held)
                        ASSERT_EQ(b->RawFramePlane[1][1], float(list[p])) << threads;
                }
            }
        }
        source.onRead = [](int frame) {
            if (frame == 17) throw std::runtime_error("bad frame 17");
        };
        FramePrefetcher failing(source, list, 6);
        for (const int frame : list) {
            if (frame == 17) {
                EXPECT_THROW(failing.next(), std::runtime_error);
                break;
            }
            ASSERT_EQ(failing.next().RawFramePlane[1][1], float(frame));
            failing.release();
        }
        // Leaving the prefetcher early stops its workers.
    }
}

}  // namespace
}  // namespace kestrave
