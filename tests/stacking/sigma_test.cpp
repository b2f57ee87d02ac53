// The sigma-clipping stack and its events: a transient removed from the stack and logged, the
// event box, the end of a run that is cancelled or cannot stack, unclipped high samples, the
// per-frame cap, and the event log, saved list and box files read back.

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "platform/safe_file.h"
#include "stack_test_support.h"
#include "stacking/sigma_events.h"
#include "stacking/sigma_stack.h"
#include "support/temp_dir.h"

namespace kestrave {
namespace {

namespace fs = std::filesystem;
using test::makePlane;
using test::samePlane;
using test::StackBench;

constexpr int W = 100;
constexpr int H = 90;
constexpr int Frames = 20;

struct Transient {
    double cleanMean = 0.0;  // the 20 clean samples at the transient's place
    double high = 0.0;       // mean + 2 sigma of the 20 samples, transient included
};

// Sigma factor 2, floor 100, and the default box of margin 10 around the stack.
StackOptions& useSigmaDefaults(StackBench& bench) {
    StackOptions& o = bench.options;
    o.Statisticspin = 2.0f;
    o.Lowpixdetect = 100.0f;
    o.SigmaBoxLeft = 10;
    o.SigmaBoxTop = 10;
    o.SigmaBoxRight = W - 10;
    o.SigmaBoxBottom = H - 10;
    return o;
}

// 20 frames of 40 +- 3 on bytes; frame 7 holds 250 at (50, 60); the sigma defaults.
Transient fillTransient(StackBench& bench) {
    bench.source.kind = FrameSamples::Bitmap;
    const auto noise = test::gaussian(3.0, 5);
    for (int i = 0; i < Frames; ++i)
        bench.source.frames.push_back(
            makePlane(W, H, [&](int, int) { return static_cast<float>(std::nearbyint(40.0 + noise())); }));
    Transient t;
    double sum = 0.0, squares = 0.0;
    for (int i = 0; i < Frames; ++i) {
        t.cleanMean += bench.source.frames[i][50][60] / Frames;
        if (i == 7) bench.source.frames[i][50][60] = 250.0f;
        sum += bench.source.frames[i][50][60];
        squares += bench.source.frames[i][50][60] * bench.source.frames[i][50][60];
    }
    const double mean = sum / Frames;
    t.high = mean + 2.0 * std::sqrt(squares / Frames - mean * mean);
    useSigmaDefaults(bench);
    return t;
}

SigmaStackRun sigmaRun(StackBench& bench, const fs::path& log = {}) {
    return sigmaStack(*bench.model, bench.state, bench.section, bench.options, bench.source, bench.progress,
                      bench.messages, log);
}

std::vector<std::string> sectionLines(const fs::path& file, const std::string& section) {
    const TBigIniFile ini(file);
    std::vector<std::string> lines;
    ini.ReadSectionValues(section, lines);
    return lines;
}

std::string fileText(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(Sigma, TransientIsClippedFromTheStackAndLoggedAsOneEvent) {
    test::TempDir dir;
    StackBench bench(W, H, Frames);
    const Transient t = fillTransient(bench);
    bench.options.Recordsigma = true;
    const fs::path log = dir / SigmaEventFile;

    SigmaStackRun run = sigmaRun(bench, log);
    ASSERT_EQ(run.final.outcome, StackOutcome::Stacked);
    EXPECT_TRUE(run.recorded);
    EXPECT_FALSE(run.first.SigmaFinalPass || run.final.SigmaFinalPass);
    EXPECT_NEAR(bench.section.StackPlanes[1][50][60], t.cleanMean, 0.5);
    EXPECT_EQ(bench.section.StackWeightPlane[50][60], Frames - 1.0f);
    EXPECT_EQ(run.Sigmalist, std::vector<std::string>{"Frame8 Events 1"});

    std::vector<std::string> sections;
    TBigIniFile(log).ReadSections(sections);
    EXPECT_EQ(sections, std::vector<std::string>{"Frame8"});
    const std::vector<std::string> lines = sectionLines(log, "Frame8");
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 4),
              (std::vector<std::string>{"Events=1", "X1=50", "Y1=60", "Pixval1=250"}));
    EXPECT_NEAR(std::stoi(lines[4].substr(7)), t.high, 1.0) << lines[4];
    // 250 / 100.001 x 200 and 250 / 100.01 x 200, rounded.
    EXPECT_EQ(lines[5], "Sigma1=500");
    EXPECT_EQ(lines[6], "HiSigma=500");

    // Without the clip the transient lifts the mean by (250 - clean) / 20.
    bench.options.Recordsigma = false;
    bench.stack();
    EXPECT_GT(bench.section.StackPlanes[1][50][60], t.cleanMean + (250.0 - t.cleanMean) / Frames - 0.5);
}

// Two alignment points, the left half of every frame's content displaced d pixels right and the
// right half d pixels left, over a ramp of one level every two pixels, the same in every frame:
// the clip bounds follow each frame's own placement, so no sample of either zone is clipped (a
// bound looked up 2 d columns off would clip them all), and frame 8's transient at (70, 60) of
// the frame (right zone) is clipped where its zone puts it and logged once, at its place without
// the zone's offset.
TEST(Sigma, ZonesOfAlignmentPointsAreClippedAndLoggedInTheirOwnPlaces) {
    constexpr int d = 3;
    test::TempDir dir;
    StackBench bench(W, H, Frames);
    bench.source.kind = FrameSamples::Bitmap;
    const auto content = [](int x) { return static_cast<float>(20 + x / 2); };
    for (int i = 0; i < Frames; ++i)
        bench.source.frames.push_back(
            makePlane(W, H, [&](int x, int) { return content(x < 50 ? x - d : x + d); }));
    const double cleanMean = bench.source.frames[0][70][60];
    bench.source.frames[7][70][60] = 250.0f;
    StackOptions& o = useSigmaDefaults(bench);
    o.Recordsigma = true;
    o.Points.MultiPointMode = true;
    o.Points.Alignpoints = 2;
    o.Points.PointPos[1] = {25, 45};
    o.Points.PointPos[2] = {75, 45};
    for (int p = 1; p <= 2; ++p) {
        o.Points.PointEnabled[p] = true;
        o.Points.PointDifferenceCut[p] = 1e6f;
    }
    for (int i = 0; i < Frames; ++i) {
        TFrameRec& rec = bench.model->FrameTable[i];
        rec.Slots[0].X = rec.Slots[1].X = d;
        rec.Slots[2].X = -d;
        rec.Slots[1].Difference = rec.Slots[2].Difference = 1.0f;
    }
    const fs::path log = dir / SigmaEventFile;
    const SigmaStackRun run = sigmaRun(bench, log);
    ASSERT_EQ(run.final.outcome, StackOutcome::Stacked);
    // Frame column 70 is stack column 70 - d before the zone's offset, 70 + d after it.
    EXPECT_EQ(bench.section.StackWeightPlane[70 + d][60], Frames - 1.0f);
    EXPECT_NEAR(bench.section.StackPlanes[1][70 + d][60], cleanMean, 0.5);
    EXPECT_EQ(run.Sigmalist, std::vector<std::string>{"Frame8 Events 1"});
    const std::vector<std::string> lines = sectionLines(log, "Frame8");
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 3),
              (std::vector<std::string>{"Events=1", "X1=" + std::to_string(70 - d), "Y1=60"}));
    // Away from the seam every zone pixel holds every frame, in place on the ramp.
    int clipped = 0;
    for (int x = 12; x < W - 12; ++x)
        for (int y = 12; y < H - 12; ++y) {
            if ((x > 44 && x < 56) || (x == 70 + d && y == 60)) continue;
            clipped += bench.section.StackWeightPlane[x][y] != Frames;
            EXPECT_NEAR(bench.section.StackPlanes[1][x][y], content(x), 0.01) << x << "," << y;
        }
    EXPECT_EQ(clipped, 0);
}

TEST(Sigma, BoxEdgeCountsAsOutside) {
    struct Case {
        int INCLEXCLbox;
        float left;
        bool recorded;
    };
    // The transient sits at x = 50: inside a box from 10, on the edge of a box from 50.
    for (const Case c : {Case{0, 10, true}, Case{0, 50, false}, Case{1, 50, true}, Case{1, 10, false}}) {
        test::TempDir dir;
        StackBench bench(W, H, Frames);
        fillTransient(bench);
        bench.options.Recordsigma = true;
        bench.options.INCLEXCLbox = c.INCLEXCLbox;
        bench.options.SigmaBoxLeft = c.left;
        const SigmaStackRun run = sigmaRun(bench, dir / SigmaEventFile);
        EXPECT_EQ(run.Sigmalist.size(), c.recorded ? 1u : 0u) << c.INCLEXCLbox << " " << c.left;
    }
}

TEST(Sigma, RunEndsWhenTheStatisticsPassDoesNotComplete) {
    struct Case {
        const char* name;
        int cancelAtPoll;  // 0: never
        bool excludeAll;
        StackOutcome first;
        bool finalRan;
    };
    // Each pass polls once per frame: poll 25 falls into the clipped pass.
    for (const Case c : {Case{"cancel in the statistics pass", 1, false, StackOutcome::Cancelled, false},
                         Case{"no frames", 0, true, StackOutcome::NoFrames, false},
                         Case{"cancel in the clipped pass", 25, false, StackOutcome::Stacked, true}}) {
        test::TempDir dir;
        StackBench bench(W, H, Frames);
        fillTransient(bench);
        ASSERT_EQ(bench.stack().outcome, StackOutcome::Stacked);
        const T2dArrays before = bench.section.StackPlanes[1];
        bench.state.progstatus = TProgStatus::psOptimized;
        const fs::path log = dir / SigmaEventFile;
        writeFileAtomically(log, "[Frame3]\r\nEvents=0\r\n\r\n");
        int polls = 0;
        bench.progress.onPoll = [&](NullProgress& p) {
            if (++polls == c.cancelAtPoll) p.setCancelRequested(true);
        };
        for (int i = 0; i < Frames; ++i) bench.model->FrameTable[i].Excluded = c.excludeAll;
        bench.source.reads = 0;
        bench.options.Recordsigma = true;

        SigmaStackRun run = sigmaRun(bench, log);
        EXPECT_EQ(run.first.outcome, c.first) << c.name;
        EXPECT_EQ(run.finalRan, c.finalRan) << c.name;
        EXPECT_FALSE(run.first.SigmaFinalPass || run.final.SigmaFinalPass) << c.name;
        EXPECT_FALSE(run.recorded) << c.name;
        if (!c.finalRan) {
            // Nothing published, nothing read beyond the cancel, the old log left alone.
            EXPECT_LT(bench.source.reads, Frames) << c.name;
            EXPECT_TRUE(samePlane(bench.section.StackPlanes[1], before)) << c.name;
            EXPECT_EQ(bench.state.progstatus, TProgStatus::psOptimized) << c.name;
            EXPECT_EQ(fileText(log), "[Frame3]\r\nEvents=0\r\n\r\n") << c.name;
        } else {
            // The statistics pass's stack is the published one.
            EXPECT_EQ(run.final.outcome, StackOutcome::Cancelled) << c.name;
            EXPECT_EQ(&run.published(), &run.first) << c.name;
            EXPECT_EQ(bench.state.progstatus, TProgStatus::psStacked) << c.name;
        }
    }
}

TEST(Sigma, WithoutTheUpperSideSamplesAbove255Stay) {
    struct Case {
        const char* name;
        FrameSamples kind;
        bool fits;
        bool ser;
        std::vector<float> samples;  // one constant frame each
        float mean;                  // on the stack's scale
    };
    // 16-bit words enter times 1/255: 65535 is 257 and 65280 is 256.
    const Case cases[] = {
        {"FITS", FrameSamples::Raw, true, false, {1000, 2000, 4000, 9000}, 4000},
        {"raw SER", FrameSamples::Raw, false, true, {300, 310, 320, 5000}, 1482.5f},
        {"16-bit", FrameSamples::HighBit, false, false, {65535, 65280, 65535, 65280}, 256.5f},
        {"FITS, one level", FrameSamples::Raw, true, false, {300, 300, 300}, 300},
        {"16-bit, one level", FrameSamples::HighBit, false, false, {65535, 65535}, 257},
    };
    for (const Case& c : cases) {
        StackBench bench(4, 4, static_cast<int>(c.samples.size()));
        bench.source.kind = c.kind;
        bench.model->InputIsFIT = c.fits;
        bench.model->InputIsSER = c.ser;
        for (const float v : c.samples)
            bench.source.frames.push_back(makePlane(4, 4, [v](int, int) { return v; }));
        bench.options.sigmahi = false;
        ASSERT_EQ(sigmaRun(bench).final.outcome, StackOutcome::Stacked) << c.name;
        EXPECT_NEAR(bench.section.StackPlanes[1][2][2], c.mean, 1e-3) << c.name;
        EXPECT_EQ(bench.section.StackWeightPlane[2][2], static_cast<float>(c.samples.size())) << c.name;
    }
}

TEST(Sigma, EventsBeyondTheFrameCapAreAnnounced) {
    // Frame 7 is bright everywhere: every pixel of it is an event outside an empty box.
    StackBench bench(40, 40, Frames);
    bench.source.kind = FrameSamples::Bitmap;
    for (int i = 0; i < Frames; ++i)
        bench.source.frames.push_back(makePlane(40, 40, [i](int x, int y) {
            return i == 7 ? 250.0f : 40.0f + static_cast<float>((x + y + i) % 3);
        }));
    bench.options.Recordsigma = true;
    bench.options.INCLEXCLbox = 1;
    struct Log : MessagePort {
        std::uint16_t show(const Message& m) override {
            shown.push_back(m);
            return mrOk;
        }
        std::vector<Message> shown;
    } messages;
    test::TempDir dir;
    const SigmaStackRun run = sigmaStack(*bench.model, bench.state, bench.section, bench.options,
                                         bench.source, bench.progress, messages, dir / SigmaEventFile);
    EXPECT_EQ(run.Sigmalist, std::vector<std::string>{"Frame8 Events 1000"});
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].caption, "Sigma events");
    EXPECT_EQ(messages.shown[0].text,
              "Frame8 had more than 1000 sigma events: only its 1000 brightest are recorded.");
    // All alike: the first 1000 in row order are kept, the last of them at (39, 24).
    const TBigIniFile log(dir / SigmaEventFile);
    EXPECT_EQ(log.ReadInteger("Frame8", "X1000", -1), 39);
    EXPECT_EQ(log.ReadInteger("Frame8", "Y1000", -1), 24);
    EXPECT_EQ(log.ReadInteger("Frame8", "X1001", -1), -1);
}

TEST(Sigma, EventLogListAndBoxFilesReadBack) {
    test::TempDir dir;
    const fs::path file = dir / SigmaEventFile;
    {
        TBigIniFile ini(file);
        SigmaEventLog log(ini, {100, 250});
        log.frameEvents(11, {{5, 6, 180.0f, 150.0f}, {7, 8, 120.0f, 110.0f}}, 2);
        log.frameEvents(20, {{1, 2, 300.0f, 200.0f}}, 1);
        log.frameEvents(20, {{3, 4, 90.4f, 80.0f}}, 1);  // the second field of frame 20
        EXPECT_EQ(log.listLines(), (std::vector<std::string>{"Frame12 Events 2", "Frame21 Events 2"}));
        ini.flush();
    }
    // Sigma = Round(v / 100.001 x 250), HiSigma = Round(largest v / 100.01 x 250).
    EXPECT_EQ(
        sectionLines(file, "Frame12"),
        (std::vector<std::string>{"Events=2", "X1=5", "Y1=6", "Pixval1=180", "Hival1=150", "Sigma1=450",
                                  "X2=7", "Y2=8", "Pixval2=120", "Hival2=110", "Sigma2=300", "HiSigma=450"}));
    EXPECT_EQ(
        sectionLines(file, "Frame21"),
        (std::vector<std::string>{"Events=2", "X1=1", "Y1=2", "Pixval1=300", "Hival1=200", "Sigma1=750",
                                  "X2=3", "Y2=4", "Pixval2=90", "Hival2=80", "Sigma2=226", "HiSigma=750"}));

    const TBigIniFile log(file);
    EXPECT_EQ(eventListLines(log, 500.0),
              (std::vector<std::string>{"Frame12 Events No", "Frame21 Events (max: 2)"}));
    EXPECT_EQ(frameEventLines(log, 12).front(), "Events=2");
    const auto marks = [&](int frame, double threshold) {
        std::vector<std::pair<int, int>> at;
        for (const EventMark m : shownEvents(log, frame, threshold)) at.emplace_back(m.X, m.Y);
        return at;
    };
    EXPECT_EQ(marks(12, 400.0), (std::vector<std::pair<int, int>>{{5, 6}}));
    EXPECT_EQ(marks(21, 0.0), (std::vector<std::pair<int, int>>{{1, 2}, {3, 4}}));
    EXPECT_TRUE(marks(5, 0.0).empty());

    // List lines name their frame between "Frame" and " Event"; anything else names none.
    for (const auto& [line, frame] : std::vector<std::pair<std::string, int>>{{"Frame12 Events No", 12},
                                                                              {"Frame21 Events (max: 2)", 21},
                                                                              {"Frame Events 1", 0},
                                                                              {"Frame-3 Events 1", 0},
                                                                              {"Frame12", 0},
                                                                              {"", 0}})
        EXPECT_EQ(listLineFrame(line).value_or(0), frame) << line;
    try {
        listLineFrame("Framex1 Events 3");
        ADD_FAILURE() << "a frame that is not a number";
    } catch (const std::invalid_argument& error) {
        EXPECT_STREQ(error.what(), "'x1' is not a valid integer value");
    }

    // A count beyond what the section holds stops at the section's end.
    const fs::path hostile = dir / "hostile.kel";
    writeFileAtomically(hostile,
                        "[Frame1]\nEvents=2147483647\nX1=3\nY1=4\nPixval1=9\nHival1=8\nSigma1=900\n");
    EXPECT_EQ(shownEvents(TBigIniFile(hostile), 1, 0.0).size(), 1u);

    // The saved list is the first complete recording run's.
    FrameModel model;
    EXPECT_TRUE(savedEventListPath(dir.path(), model).empty());
    model.AviName = "jupiter.ser";
    const fs::path saved = savedEventListPath(dir.path(), model);
    EXPECT_EQ(saved, dir / "jupiter.kel");
    EXPECT_FALSE(keepEventList(dir / "missing.ini", saved));
    EXPECT_TRUE(keepEventList(file, saved));
    const std::string first = fileText(file);
    EXPECT_EQ(fileText(saved), first);
    writeFileAtomically(file, "[Frame2]\r\nEvents=1\r\n\r\n");
    EXPECT_FALSE(keepEventList(file, saved));
    EXPECT_EQ(fileText(saved), first);

    // The box replaces an older file whole; missing keys read as the whole image.
    const fs::path box = dir / "box.ksb";
    writeFileAtomically(box, "[Other]\r\nKey=1\r\n");
    writeSigmaBox(box, {1, 20, 300, 10, 400});
    EXPECT_EQ(fileText(box), "[Edges]\r\nType=1\r\nTop=20\r\nBottom=300\r\nLeft=10\r\nRight=400\r\n\r\n");
    const SigmaBox back = readSigmaBox(box, 640, 480);
    EXPECT_EQ(std::vector<int>({back.Type, back.Top, back.Bottom, back.Left, back.Right}),
              std::vector<int>({1, 20, 300, 10, 400}));
    writeFileAtomically(box, "[Edges]\nTop=5\nType=7\n");
    const SigmaBox partial = readSigmaBox(box, 640, 480);
    EXPECT_EQ(std::vector<int>({partial.Type, partial.Top, partial.Bottom, partial.Left, partial.Right}),
              std::vector<int>({0, 5, 480, 0, 640}));
}

}  // namespace
}  // namespace kestrave
