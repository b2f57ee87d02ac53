// The alignment pass: a synthesised recording registered within a pixel and ranked by its true
// blur, cancel at frame 10, the ranking's order, the same results at one and eight threads,
// tracked frames as when aligned one after another, frames of the wrong size, frames excluded
// while the pass runs, interlaced fields, and AVI input (two files, a dropped frame) read through
// its frame source.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <map>

#include "align_test_bench.h"
#include "frames/input_sources.h"
#include "support/avi_test_writer.h"
#include "support/temp_dir.h"
#include "support/thread_count_scope.h"

using namespace kestrave;
using namespace kestrave::test;

namespace {

using Shift = std::array<int, 2>;

// A planet recording whose frames move by whole pixels (the synthesiser's shifts rounded) and
// are blurred by their own amounts.
synth::Recording planetRecording(int frames, std::uint64_t seed) {
    synth::SynthOptions options = stillAir(320, 240, frames, seed);
    options.maxShift = 5.0;
    synth::Recording recording = synth::planRecording(options);
    for (synth::FrameTruth& truth : recording.truth) {
        truth.shiftX = std::nearbyint(truth.shiftX);
        truth.shiftY = std::nearbyint(truth.shiftY);
    }
    return recording;
}

// Whole-pixel shifts within -3 .. 3 and -4 .. 4; frame 0 is not moved.
std::vector<Shift> shiftsOf(int count, int step) {
    std::vector<Shift> shifts;
    for (int k = 0; k < count; ++k) shifts.push_back({(k * step + 3) % 7 - 3, (k * 5 + 4) % 9 - 4});
    return shifts;
}

// Everything a pass wrote that later steps read.
std::vector<float> passRecord(const FrameModel& model, int last) {
    std::vector<float> values;
    for (int k = 0; k <= last; ++k) {
        const TFrameRec& record = model.FrameTable[k];
        for (int s : {0, 2}) {
            const TAlignSlotRec& slot = record.Slots[s];
            values.insert(values.end(), {static_cast<float>(slot.X), static_cast<float>(slot.Y), slot.Quality,
                                         slot.Difference, slot.Peak, slot.Brightness});
        }
        values.insert(values.end(),
                      {record.MeanBrightness, record.AlignDifference, record.Excluded ? 1.0f : 0.0f,
                       static_cast<float>(model.FrameRanking[k].Frame), model.FrameRanking[k].Key});
    }
    return values;
}

}  // namespace

TEST(AlignmentPass, PlanetRecordingIsRegisteredWithinAPixelAndRankedByItsBlur) {
    const int count = 50;
    const synth::Recording recording = planetRecording(count, 17);
    MemoryFrameSource source(greyFrames(recording, 0, count));
    for (int item : {0, 1, 4}) {
        SCOPED_TRACE(item);
        AlignBench bench(320, 240, 128, count);
        bench.setQualityItem(item);
        bench.align().Trackobject = item != 4;
        bench.pick(source.pictures[0], 160, 120);
        const AlignmentPassResult result = bench.run(source);
        ASSERT_EQ(result.end, PassEnd::Finished);
        std::vector<double> quality, sharpness;
        for (int k = 0; k < count; ++k) {
            const TAlignSlotRec& slot = bench.model->FrameTable[k].Slots[0];
            const synth::FrameTruth& truth = recording.truth[static_cast<std::size_t>(k)];
            EXPECT_LE(std::abs(slot.X - (truth.shiftX - recording.truth[0].shiftX)), 1) << k;
            EXPECT_LE(std::abs(slot.Y - (truth.shiftY - recording.truth[0].shiftY)), 1) << k;
            quality.push_back(slot.Quality);
            sharpness.push_back(-truth.blurSigma);
        }
        EXPECT_GE(rankCorrelation(quality, sharpness), 0.9);
        // The ranking is the quality order.
        for (int j = 1; j < count; ++j)
            EXPECT_GE(bench.model->FrameRanking[j - 1].Key, bench.model->FrameRanking[j].Key);
        EXPECT_TRUE(bench.model->FramesRanked);
        EXPECT_EQ(bench.program.progstatus, TProgStatus::psAligned);
        EXPECT_EQ(bench.progress.status(2), "Initial alignment done");
        EXPECT_EQ(bench.progress.caption, "Kestrave processing SER: bench.ser 49");
    }
}

TEST(AlignmentPass, CancelAtFrameTenLeavesNoPassFlagSet) {
    const std::vector<Bitmap24> frames = texturedFrames(160, 120, shiftsOf(30, 3));
    for (bool tracking : {false, true}) {
        SCOPED_TRACE(tracking);
        AlignBench bench(160, 120, 64, 30);
        bench.align().Trackobject = tracking;
        bench.pick(frames[0], 80, 60);
        bench.progress.onPoll = [](NullProgress& progress) {
            if (progress.status(2) == "Processing bitmap :10") progress.setCancelRequested(true);
        };
        MemoryFrameSource source(frames);
        const AlignmentPassResult result = bench.run(source);
        EXPECT_EQ(result.end, PassEnd::Cancelled);
        EXPECT_FALSE(bench.alignment.InAlignPass);
        EXPECT_FALSE(bench.alignment.ForceRealign);
        EXPECT_FALSE(bench.alignment.NextSegmentPending);
        EXPECT_FALSE(bench.alignment.HaltRequested);
        EXPECT_FALSE(bench.registration.WaitForClick);
        EXPECT_FALSE(bench.model->FramesRanked);
        EXPECT_EQ(bench.program.progstatus, TProgStatus::psNone);
        EXPECT_EQ(bench.program.activepage, TMainTab::tabAlign);
        EXPECT_EQ(bench.view.lastCursor, AlignCursor::Default);
        // The frames before the cancel are measured, none after.
        EXPECT_EQ(bench.view.aligned, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
        EXPECT_GT(bench.model->FrameTable[9].MeanBrightness, 0.0f);
        EXPECT_EQ(bench.model->FrameTable[10].MeanBrightness, 0.0f);
    }
    // A cancel during the click wait of the manual alignment ends the pass the same way.
    AlignBench bench(160, 120, 64, 30);
    bench.alignment.ManualAlign = true;
    bench.pick(frames[0], 80, 60);
    bench.progress.onPoll = [&](NullProgress& progress) {
        if (bench.registration.WaitForClick) progress.setCancelRequested(true);
    };
    MemoryFrameSource source(frames);
    EXPECT_EQ(bench.run(source).end, PassEnd::Cancelled);
    EXPECT_EQ(bench.view.aligned, (std::vector<int>{0}));
    EXPECT_FALSE(bench.alignment.ManualAlign);
    EXPECT_FALSE(bench.alignment.InAlignPass);
    EXPECT_FALSE(bench.registration.WaitForClick);
    EXPECT_EQ(bench.captions(), (std::vector<std::string>{"Alignment"}));
}

TEST(AlignmentPass, RankingKeepsIndexOrderForEqualKeysAndPutsNaNLast) {
    auto model = std::make_unique<FrameModel>();
    const std::vector<float> keys = {1.0f, 3.0f, 3.0f, std::nanf(""), 1.0f, 3.0f, 2.0f};
    for (int k = 0; k < 7; ++k) {
        model->FrameRanking[k].Frame = k;
        model->FrameRanking[k].Key = keys[static_cast<std::size_t>(k)];
        model->FrameRanking[k].SavedKey = static_cast<float>(100 + k);
    }
    SortRankingByQuality(*model, 7);
    const std::vector<int> order = {1, 2, 5, 6, 0, 4, 3};
    for (int j = 0; j < 7; ++j) {
        EXPECT_EQ(model->FrameRanking[j].Frame, order[static_cast<std::size_t>(j)]);
        EXPECT_EQ(model->FrameRanking[j].SavedKey, 100.0f + j);
    }
    // Through the pass: identical frames grade alike and stay in frame order.
    const std::vector<Bitmap24> same = texturedFrames(160, 120, std::vector<Shift>(12, Shift{0, 0}));
    AlignBench bench(160, 120, 64, 12);
    bench.align().Trackobject = false;
    bench.pick(same[0], 80, 60);
    MemoryFrameSource source(same);
    ASSERT_EQ(bench.run(source).end, PassEnd::Finished);
    for (int j = 0; j < 12; ++j) EXPECT_EQ(bench.model->FrameRanking[j].Frame, j);
}

TEST(AlignmentPass, ResultsAreTheSameAtOneAndEightThreads) {
    const int count = 40;
    const synth::Recording recording = planetRecording(count, 29);
    const std::vector<Bitmap24> grey = greyFrames(recording, 0, count);
    // The same frames tinted, so that colour stacking reads three different bytes.
    std::vector<Bitmap24> tinted = grey;
    for (Bitmap24& picture : tinted)
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x) {
                std::uint8_t* pixel = picture.pixel(x, y);
                pixel[0] = static_cast<std::uint8_t>(pixel[1] / 2);
                pixel[2] = static_cast<std::uint8_t>(255 - pixel[1]);
            }
    struct Case {
        int item;
        bool tracking, predict, interlaced, colour;
    };
    for (const Case& c : {Case{0, false, false, false, false}, Case{0, true, false, false, false},
                          Case{4, false, false, false, false}, Case{4, true, false, false, false},
                          Case{2, false, false, false, false}, Case{2, true, false, false, false},
                          Case{0, true, true, false, false}, Case{0, true, false, true, false},
                          Case{0, true, true, true, false}, Case{4, true, false, false, true},
                          Case{0, false, false, true, true}}) {
        SCOPED_TRACE(testing::Message() << c.item << c.tracking << c.predict << c.interlaced << c.colour);
        const std::vector<Bitmap24>& frames = c.colour ? tinted : grey;
        std::vector<std::vector<float>> records;
        for (int threads : {1, 8}) {
            const ThreadCountScope scope(threads);
            AlignBench bench(320, 240, 128, count);
            bench.setQualityItem(c.item);
            bench.align().Trackobject = c.tracking;
            bench.align().predicttrack = c.predict;
            bench.align().interlaced = c.interlaced;
            bench.align().Colourstack = c.colour;
            bench.pick(frames[0], 160, 120);
            MemoryFrameSource source(frames);
            ASSERT_EQ(bench.run(source).end, PassEnd::Finished);
            records.push_back(passRecord(*bench.model, count - 1));
        }
        ASSERT_EQ(records[0].size(), records[1].size());
        EXPECT_EQ(std::memcmp(records[0].data(), records[1].data(), records[0].size() * sizeof(float)), 0);
    }
}

// A view that charts the spectrum of every third frame: the other frames' spectra are not worked
// out, and nothing else changes: every frame's records, and the spectra of the charted frames,
// are those of a view that charts every frame (with and without tracking, one and eight threads).
TEST(AlignmentPass, ChartingFewerSpectraChangesNoResult) {
    class SpectrumView : public AlignmentView {
    public:
        explicit SpectrumView(int every) : every_(every) {}
        int framesPerSpectrum() const override { return every_; }
        void frameAligned(const AlignedFrameView& view) override {
            spectra[view.frame] = view.readout.spectrum;
        }
        std::map<int, std::vector<double>> spectra;

    private:
        int every_;
    };
    const int count = 30;
    const synth::Recording recording = planetRecording(count, 31);
    const std::vector<Bitmap24> frames = greyFrames(recording, 0, count);
    for (bool tracking : {false, true}) {
        for (int threads : {1, 8}) {
            SCOPED_TRACE(std::to_string(tracking) + " " + std::to_string(threads));
            const ThreadCountScope scope(threads);
            std::vector<std::vector<float>> records;
            std::vector<SpectrumView> views{SpectrumView(1), SpectrumView(3)};
            for (SpectrumView& view : views) {
                AlignBench bench(320, 240, 128, count);
                bench.setQualityItem(4);
                bench.align().Trackobject = tracking;
                bench.pick(frames[0], 160, 120);
                AlignContext context{
                    bench.fft,      bench.registration, bench.alignment, bench.program,  *bench.model,
                    *bench.section, *bench.gamma,       bench.messages,  bench.progress, view};
                MemoryFrameSource source(frames);
                ASSERT_EQ(Alignallframes(context, bench.passOptions, source).end, PassEnd::Finished);
                records.push_back(passRecord(*bench.model, count - 1));
            }
            EXPECT_EQ(records[0], records[1]);
            ASSERT_EQ(views[1].spectra.size(), static_cast<std::size_t>(count));
            for (int k = 0; k < count; ++k) {
                if (k % 3 == 0)
                    EXPECT_EQ(views[1].spectra[k], views[0].spectra[k]) << k;
                else
                    EXPECT_TRUE(views[1].spectra[k].empty()) << k;
            }
        }
    }
}

// With tracking the box of each frame is read where the frames before it put the feature. The
// pass measures frames ahead in parallel; every frame must come out as when the frames are
// aligned one after another, on a recording whose feature drifts across the frame and off it.
TEST(AlignmentPass, TrackedFramesComeOutAsWhenAlignedOneAfterAnother) {
    const int count = 60;
    std::vector<Shift> shifts;
    for (int k = 0; k < count; ++k) shifts.push_back({k * 3 / 4 + (k * 5 % 7) - 3, -k / 2 + (k * 3 % 5) - 2});
    const std::vector<Bitmap24> frames = texturedFrames(200, 160, shifts);
    const auto slotsOf = [&](const FrameModel& model) {
        std::vector<float> values;
        for (int k = 0; k < count; ++k) {
            const TAlignSlotRec& slot = model.FrameTable[k].Slots[0];
            values.insert(values.end(),
                          {static_cast<float>(slot.X), static_cast<float>(slot.Y), slot.Quality,
                           slot.Difference, slot.Peak, model.FrameTable[k].Excluded ? 1.0f : 0.0f});
        }
        return values;
    };
    for (bool predict : {false, true}) {
        SCOPED_TRACE(predict);
        const auto setUp = [&](AlignBench& bench) {
            bench.align().predicttrack = predict;
            bench.pick(frames[0], 100, 80);
        };
        // One frame after another, each correlated where the tracking reads its box.
        AlignBench single(200, 160, 64, count);
        setUp(single);
        single.registration.LastPeak = 0.0;
        single.program.progstatus = TProgStatus::psAligned;
        FrameAlignment aligner(single.context, single.align(), frames[0]);
        for (int k = 0; k < count; ++k) {
            single.alignment.CurrentFrame = k;
            aligner.alignPicture(frames[static_cast<std::size_t>(k)]);
        }
        const std::vector<float> expected = slotsOf(*single.model);
        // The feature left the box's first place: the tracking moved the box.
        ASSERT_GE(single.model->FrameTable[count - 1].Slots[0].X, 40);
        for (int threads : {1, 8}) {
            SCOPED_TRACE(threads);
            const ThreadCountScope scope(threads);
            AlignBench bench(200, 160, 64, count);
            setUp(bench);
            MemoryFrameSource source(frames);
            ASSERT_EQ(bench.run(source).end, PassEnd::Finished);
            EXPECT_EQ(slotsOf(*bench.model), expected);
        }
    }
}

// A batch run reads most frames only around where the box stands, and reads a frame again whole
// when the tracking puts the box outside the rows made; from a source that makes a grey picture's
// levels alone it holds those instead of the 24-bit pictures. The rows left out hold garbage
// here: any read of them would change a result. The feature drifts faster than the rows made
// follow.
TEST(AlignmentPass, ABatchRunReadingBandsOrLevelsOfTheFramesGivesTheSameResults) {
    class BandSource : public MemoryFrameSource {
    public:
        BandSource(std::vector<Bitmap24> frames, bool levels) : MemoryFrameSource(std::move(frames)) {
            this->levels = levels;
        }
        bool makesPreviewBands() const override { return true; }
        FrameSamples readFrame(int frame, FrameBuffers& into) override {
            const FrameSamples kind = MemoryFrameSource::readFrame(frame, into);
            const RowBand band = into.PreviewRows;
            if (band.whole()) return kind;
            ++banded;
            for (int y = 0; y < into.Preview.height() || y < into.Levels.height(); ++y) {
                if (y >= band.first && y < band.end) continue;
                if (!into.Preview.empty())
                    std::fill(into.Preview.row(y), into.Preview.row(y) + into.Preview.stride(),
                              std::uint8_t{0xAB});
                if (!into.Levels.empty())
                    std::fill(into.Levels.row(y), into.Levels.row(y) + into.Levels.stride(),
                              std::uint8_t{0xAB});
            }
            return kind;
        }
        std::atomic<int> banded{0};
    };
    const int count = 80;
    std::vector<Shift> shifts;
    for (int k = 0; k < count; ++k) shifts.push_back({(k * 5 % 7) - 3, k + (k * 3 % 5) - 2});
    const std::vector<Bitmap24> frames = texturedFrames(160, 240, shifts);
    int readAgain = 0;
    for (int threads : {1, 8}) {
        const ThreadCountScope scope(threads);
        std::vector<std::vector<float>> records;
        std::vector<int> shown;
        for (const char* read : {"whole", "bands", "levels"}) {
            SCOPED_TRACE(std::to_string(threads) + " " + read);
            AlignBench bench(160, 240, 64, count);
            bench.program.BatchMode = true;
            bench.pick(frames[0], 80, 60);
            MemoryFrameSource whole(frames);
            BandSource band(frames, read == std::string("levels"));
            // As in a batch run, the chart shows the spectrum of few frames (those are read whole
            // and shown as 24-bit pictures).
            class FewSpectra : public AlignmentView {
            public:
                int framesPerSpectrum() const override { return 25; }
                void frameAligned(const AlignedFrameView& view) override {
                    if (view.picture != nullptr && !view.picture->empty())
                        shown.push_back(view.frame * 1000 + view.picture->pixel(80, 60)[1]);
                }
                std::vector<int> shown;
            } view;
            AlignContext context{
                bench.fft,      bench.registration, bench.alignment, bench.program,  *bench.model,
                *bench.section, *bench.gamma,       bench.messages,  bench.progress, view};
            FrameSource& source = read == std::string("whole") ? static_cast<FrameSource&>(whole) : band;
            ASSERT_EQ(Alignallframes(context, bench.passOptions, source).end, PassEnd::Finished);
            records.push_back(passRecord(*bench.model, count - 1));
            if (read != std::string("whole")) {
                EXPECT_GT(band.banded, count / 2);
                readAgain += band.reads - count;
            }
            // The levels' frames are shown as the bands' are. Which frames a run reads whole
            // besides the charted ones depends on how far the tracking got when they were read
            // ahead, so with several threads only the frames both runs showed are compared.
            if (read == std::string("levels")) {
                if (threads == 1) {
                    EXPECT_EQ(view.shown, shown);
                } else {
                    std::map<int, int> bands;
                    for (int entry : shown) bands[entry / 1000] = entry % 1000;
                    for (int entry : view.shown)
                        if (bands.contains(entry / 1000)) {
                            EXPECT_EQ(entry % 1000, bands[entry / 1000]) << entry;
                        }
                    for (int charted = 0; charted < count; charted += 25) {
                        EXPECT_TRUE(bands.contains(charted)) << charted;
                        EXPECT_TRUE(std::ranges::any_of(view.shown, [&](int e) {
                            return e / 1000 == charted;
                        })) << charted;
                    }
                }
            }
            shown = view.shown;
        }
        EXPECT_EQ(records[0], records[1]) << threads;
        EXPECT_EQ(records[0], records[2]) << threads;
    }
    EXPECT_GT(readAgain, 0) << "no frame was read again whole";
}

TEST(AlignmentPass, FramesOfAnotherSizeAreLeftOutWithAWarningEach) {
    std::vector<Bitmap24> frames = texturedFrames(160, 120, shiftsOf(8, 2));
    frames[3] = Bitmap24(100, 80);
    frames[5] = Bitmap24(161, 120);
    {
        AlignBench bench(160, 120, 64, 8);
        BatchMessagePresenter& messages = bench.messages;
        AlignContext context = bench.contextWith(messages);
        bench.pick(frames[0], 80, 60);
        MemoryFrameSource source(frames);
        const AlignmentPassResult result = Alignallframes(context, bench.passOptions, source);
        ASSERT_EQ(result.end, PassEnd::Finished);
        // The warning offers no box to tick: each such frame is named.
        EXPECT_EQ(messages.history().size(), 2u);
        EXPECT_EQ(messages.history()[0].caption, "Filesize warning");
        EXPECT_EQ(messages.history()[0].text,
                  "Frame 3.\nFile has different dimensions, excluded from processing !!");
        EXPECT_FALSE(messages.history()[0].showCheckBox);
        EXPECT_EQ(bench.view.aligned, (std::vector<int>{0, 1, 2, 4, 6, 7}));
        // Ranked among all eight with every frame selected, they stay out.
        for (int k : {3, 5}) {
            EXPECT_TRUE(bench.model->FrameTable[k].Excluded);
            EXPECT_TRUE(bench.model->FrameTable[k].Dropped);
            EXPECT_EQ(bench.model->FrameTable[k].Slots[0].Quality, 0.0f);
        }
        EXPECT_FALSE(bench.model->FrameTable[4].Excluded);
    }
}

TEST(AlignmentPass, FramesExcludedDuringThePassStayOutOfTheRankingAndTheBrightness) {
    std::vector<Bitmap24> frames = texturedFrames(160, 120, shiftsOf(8, 4));
    frames[4] = texturedFrames(160, 120, {{0, 0}}, 77)[0];  // unrelated: the lock is lost
    AlignBench bench(160, 120, 64, 8);
    bench.align().Trackobject = false;
    // Frame 1 was deselected by the user; a stale brightness must not count.
    bench.model->FrameTable[1].Excluded = true;
    bench.model->FrameTable[1].MeanBrightness = 1000.0f;
    bench.passOptions.Usedarkframe = true;
    bench.passOptions.DarkWidth = 2;
    bench.passOptions.DarkHeight = 2;
    bench.passOptions.UseFlatfield = true;
    bench.passOptions.FlatWidth = 160;
    bench.passOptions.FlatHeight = 120;
    bench.pick(frames[0], 80, 60);
    MemoryFrameSource source(frames);
    const AlignmentPassResult result = bench.run(source);
    ASSERT_EQ(result.end, PassEnd::Finished);
    EXPECT_EQ(bench.captions(), (std::vector<std::string>{"Imagesize error", "Alignment "}));
    EXPECT_EQ(bench.messages.history()[0].text, " darkframe size does not match imagesize !!");
    EXPECT_TRUE(result.darkframeSwitchedOff);
    EXPECT_FALSE(result.flatfieldSwitchedOff);
    EXPECT_EQ(source.reads.load(), 7);

    const FrameModel& model = *bench.model;
    double brightness = 0.0;
    for (int k = 0; k < 8; ++k) {
        EXPECT_EQ(model.FrameTable[k].Excluded, k == 1 || k == 4) << k;
        if (k != 1) brightness += model.FrameTable[k].Slots[0].Brightness;
    }
    EXPECT_EQ(model.FrameTable[1].Slots[0].Brightness, 0.0f);
    EXPECT_NEAR(brightness / 7.0, 1.0, 1e-6);

    // The lists follow the ranking; excluded frames are unchecked wherever they rank.
    ASSERT_EQ(result.ranking.selection.size(), 8u);
    double differences = 0.0;
    for (int j = 0; j < 8; ++j) {
        const int frame = model.FrameRanking[j].Frame;
        EXPECT_EQ(result.ranking.selection[static_cast<std::size_t>(j)].name,
                  "Frame " + std::to_string(frame));
        EXPECT_EQ(result.ranking.selection[static_cast<std::size_t>(j)].checked,
                  !model.FrameTable[frame].Excluded);
        differences += model.FrameTable[j].Slots[0].Difference;
    }
    EXPECT_EQ(result.ranking.lastRank, 7);
    EXPECT_DOUBLE_EQ(result.ranking.DifferenceSum, 0.001 * differences);
    EXPECT_EQ(bench.alignment.DifferenceSum, result.ranking.DifferenceSum);
    // The cut-off: the ranks whose quality stays above 80 % of the best.
    int cutoff = 0;
    while (cutoff + 1 < 8 && model.FrameRanking[cutoff + 1].Key > 0.8 * model.FrameRanking[0].Key) ++cutoff;
    EXPECT_EQ(result.ranking.cutoffPosition, cutoff);
    ASSERT_TRUE(result.graph.has_value());
    EXPECT_EQ(result.graph->quality.size(), 8u);
}

TEST(AlignmentPass, InterlacedFramesFillSlotTwoWithFieldZeroAndSlotZeroWithFieldOne) {
    const std::vector<Shift> shifts = {{0, 0}, {2, 4}, {-3, -2}, {1, -6}};
    const std::vector<Bitmap24> frames = texturedFrames(160, 120, shifts);
    for (bool tracking : {false, true}) {
        SCOPED_TRACE(tracking);
        AlignBench bench(160, 120, 64, 4);
        bench.align().interlaced = true;
        bench.align().Trackobject = tracking;
        bench.pick(frames[0], 80, 60);
        MemoryFrameSource source(frames);
        ASSERT_EQ(bench.run(source).end, PassEnd::Finished);
        EXPECT_EQ(source.reads.load(), 4);
        for (int k = 1; k < 4; ++k) {
            const TFrameRec& record = bench.model->FrameTable[k];
            for (int s : {2, 0}) {
                EXPECT_LE(std::abs(record.Slots[s].X - shifts[static_cast<std::size_t>(k)][0]), 1)
                    << k << " " << s;
                EXPECT_LE(std::abs(record.Slots[s].Y - shifts[static_cast<std::size_t>(k)][1]), 1)
                    << k << " " << s;
            }
            EXPECT_EQ(record.AlignDifference, record.Slots[0].Difference);
        }
    }
}

TEST(AlignmentPass, AviFilesAreReadThroughTheirFrameSource) {
    const TempDir dir;
    const std::vector<Shift> shifts = shiftsOf(10, 3);
    const std::vector<Bitmap24> frames = texturedFrames(96, 80, shifts);
    // Two Y800 files of five frames; frame 2 of the first is dropped.
    const auto write = [&](const std::filesystem::path& path, int first) {
        AviTestFormat format;
        format.handler = format.compression = "Y800";
        format.width = 96;
        format.height = 80;
        AviTestWriter writer(path, format);
        for (int k = first; k < first + 5; ++k) {
            std::vector<std::uint8_t> grey;
            for (int y = 0; y < 80; ++y)
                for (int x = 0; x < 96; ++x)
                    grey.push_back(frames[static_cast<std::size_t>(k)].pixel(x, y)[1]);
            writer.addFrame(k == 2 ? std::span<const std::uint8_t>() : std::span<const std::uint8_t>(grey));
        }
        writer.finish();
    };
    write(dir / "first.avi", 0);
    write(dir / "second.avi", 5);

    AlignBench bench(96, 80, 32, 10);
    FrameModel& model = *bench.model;
    model.InputType = TInputType::itAVI;
    model.InputIsSeries = model.InputIsSER = false;
    model.AviName = "first.avi";
    model.setAviSegment(0, (dir / "first.avi").string(), 5);
    model.setAviSegment(1, (dir / "second.avi").string(), 5);
    model.avicount = 1;
    bench.program.BatchMode = true;
    bench.pick(frames[0], 48, 40);
    AviInputSource source(model, FrameSourceOptions{});
    EXPECT_FALSE(model.FrameTable[2].Dropped);

    const AlignmentPassResult result = bench.run(source);
    ASSERT_EQ(result.end, PassEnd::Finished);
    EXPECT_TRUE(model.FrameTable[2].Dropped);
    EXPECT_TRUE(model.DroppedFrames);
    EXPECT_TRUE(result.expandStack);
    EXPECT_TRUE(bench.messages.history().empty());
    for (int k = 0; k < 10; ++k) {
        if (k == 2) continue;
        EXPECT_EQ(model.FrameTable[k].Slots[0].X, shifts[static_cast<std::size_t>(k)][0]) << k;
        EXPECT_EQ(model.FrameTable[k].Slots[0].Y, shifts[static_cast<std::size_t>(k)][1]) << k;
        EXPECT_FALSE(model.FrameTable[k].Excluded) << k;
    }
    EXPECT_TRUE(model.FrameTable[2].Excluded);
    EXPECT_EQ(bench.alignment.AviSegmentFirst, 5);
    EXPECT_EQ(bench.progress.status(2), "Initial alignment done");
    EXPECT_EQ(bench.progress.caption, "Kestrave processing AVI: first.avi dropped frames ");
}
