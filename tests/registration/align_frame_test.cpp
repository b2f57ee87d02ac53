// The alignment of single frames: exact whole-pixel shifts at every box size, the unwrapping of
// the peak at half the box, tracking of a feature that drifts farther than half a box (with and
// without the predicted step), the lost lock with its questions and unattended answers, the box
// partly off screen, and the dark frame taken off frames as off the reference.

#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

#include "align_test_bench.h"
#include "support/scripted_messages.h"

using namespace kestrave;
using namespace kestrave::test;

namespace {

using Shift = std::array<int, 2>;

// A picture that repeats an n x n tile of smooth random texture, moved by (sx, sy): every box of
// side n holds the tile rolled round by the shift.
Bitmap24 tiledTexture(int width, int height, int n, int sx, int sy) {
    synth::SeededRandom random(11);
    std::vector<double> amplitude, phase;
    for (int k = 0; k < 24; ++k) {
        amplitude.push_back(random.uniform(10.0, 20.0));
        phase.push_back(random.uniform(0.0, 6.283185307));
    }
    Bitmap24 picture(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const double u = 6.283185307 * (x - sx) / n, v = 6.283185307 * (y - sy) / n;
            double level = 128.0;
            for (int k = 0; k < 24; ++k) {
                const int fx = k % 5 + 1, fy = k / 5 - 2;
                level += amplitude[k] * std::sin(fx * u + fy * v + phase[k]) / 3.0;
            }
            const auto byte = static_cast<std::uint8_t>(std::lrint(std::clamp(level, 0.0, 255.0)));
            SetRGBTriple(byte, byte, byte, picture.pixel(x, y));
        }
    }
    return picture;
}

// Aligns picture k as frame k.
bool alignAs(FrameAlignment& aligner, AlignmentState& alignment, const Bitmap24& picture, int k) {
    alignment.CurrentFrame = k;
    return aligner.alignPicture(picture);
}

}  // namespace

TEST(Align, PureShiftsOfATexturedFrameAreMeasuredExactlyAtEveryBoxSize) {
    const std::vector<Shift> shifts = {{0, 0}, {3, -7}, {-5, 4}, {7, 7}, {-7, -2}, {1, 0}, {-15, 14}};
    const std::vector<Bitmap24> frames = texturedFrames(320, 260, shifts);
    for (int n : {32, 64, 128, 256}) {
        SCOPED_TRACE(n);
        AlignBench bench(320, 260, n, static_cast<int>(shifts.size()));
        bench.align().Trackobject = false;
        // A shift of half the small boxes leaves little overlap: the peak falls, which is no
        // lost lock here.
        bench.align().Misalignwarning = false;
        bench.pick(frames[0], 160, 130);
        FrameAlignment aligner(bench.context, bench.align(), frames[0]);
        EXPECT_TRUE(aligner.AlignFrame());
        const TAlignSlotRec& reference = bench.model->FrameTable[0].Slots[0];
        EXPECT_EQ(reference.X, 0);
        EXPECT_EQ(reference.Y, 0);
        EXPECT_EQ(reference.Difference, 0.0f);
        EXPECT_GT(reference.Peak, 0.0f);
        for (std::size_t k = 1; k < shifts.size(); ++k) {
            alignAs(aligner, bench.alignment, frames[k], static_cast<int>(k));
            const TAlignSlotRec& slot = bench.model->FrameTable[static_cast<int>(k)].Slots[0];
            EXPECT_EQ(slot.X, shifts[k][0]) << k;
            EXPECT_EQ(slot.Y, shifts[k][1]) << k;
            EXPECT_EQ(slot.SavedX, slot.X);
            EXPECT_EQ(slot.SavedY, slot.Y);
            // Aligned, the box matches the reference closely.
            EXPECT_LT(slot.Difference, 1.0f) << k;
        }
        EXPECT_TRUE(bench.messages.history().empty());
    }
}

TEST(Align, PeakAtHalfTheBoxIsTheShiftMinusHalf) {
    EXPECT_EQ(shiftOfPeak(16, 32), -16);
    EXPECT_EQ(shiftOfPeak(17, 32), 15);
    EXPECT_EQ(shiftOfPeak(0, 32), 0);
    EXPECT_EQ(shiftOfPeak(31, 32), 1);
    // A texture that repeats with the box's period, rolled by -h and by h - 1.
    const int n = 32;
    AlignBench bench(128, 128, n, 3);
    bench.align().Trackobject = false;
    bench.align().Misalignwarning = false;
    const Bitmap24 reference = tiledTexture(128, 128, n, 0, 0);
    bench.pick(reference, 64, 64);
    FrameAlignment aligner(bench.context, bench.align(), reference);
    alignAs(aligner, bench.alignment, tiledTexture(128, 128, n, -16, 15), 1);
    alignAs(aligner, bench.alignment, tiledTexture(128, 128, n, 15, -16), 2);
    EXPECT_EQ(bench.model->FrameTable[1].Slots[0].X, -16);
    EXPECT_EQ(bench.model->FrameTable[1].Slots[0].Y, 15);
    EXPECT_EQ(bench.model->FrameTable[2].Slots[0].X, 15);
    EXPECT_EQ(bench.model->FrameTable[2].Slots[0].Y, -16);
}

TEST(Align, PredictedTrackingLeadsTheBoxAndKeepsUpWithAHalfBoxDrift) {
    // The content's step from one frame to the next, with a 64 box (half 32). The box is read
    // where the last frame's feature was, plus half the last step with "Predict track".
    struct Drift {
        const char* name;
        std::vector<Shift> steps;  // the last one repeats
        int frames;
        bool keptWithoutPrediction;
        Shift lastHalfStep;  // TrackStep after the last frame: half the last step, toward zero
    };
    const Drift drifts[] = {
        // 5 right and 3 up per frame: 60 and 36 pixels over 13 frames, tracked either way.
        {"slow", {{5, -3}}, 13, true, {2, -1}},
        // Gathering speed to 34 pixels a frame, just over half the box: without the predicted
        // half step the feature leaves the box's reach; with it the box stays 17 pixels behind.
        {"half the box", {{8, -4}, {20, -10}, {34, -18}}, 6, false, {17, -9}},
    };
    for (const Drift& drift : drifts) {
        std::vector<Shift> shifts = {{0, 0}};
        for (int k = 1; k < drift.frames; ++k) {
            const Shift step = drift.steps[std::min<std::size_t>(k - 1, drift.steps.size() - 1)];
            shifts.push_back({shifts.back()[0] + step[0], shifts.back()[1] + step[1]});
        }
        const std::vector<Bitmap24> frames = texturedFrames(400, 320, shifts);
        for (bool predict : {false, true}) {
            SCOPED_TRACE(std::string(drift.name) + (predict ? " predicted" : " not predicted"));
            AlignBench bench(400, 320, 64, drift.frames);
            bench.align().predicttrack = predict;
            bench.pick(frames[0], 120, 250);
            FrameAlignment aligner(bench.context, bench.align(), frames[0]);
            int found = 0;
            for (int k = 0; k < drift.frames; ++k) {
                alignAs(aligner, bench.alignment, frames[static_cast<std::size_t>(k)], k);
                const TAlignSlotRec& slot = bench.model->FrameTable[k].Slots[0];
                const Shift truth = shifts[static_cast<std::size_t>(k)];
                found += slot.X == truth[0] && slot.Y == truth[1];
            }
            if (!predict && !drift.keptWithoutPrediction) {
                EXPECT_LT(found, drift.frames);
                continue;
            }
            EXPECT_EQ(found, drift.frames);
            EXPECT_TRUE(bench.messages.history().empty());
            // The next box is read where the last feature was found, and leads it by half a step.
            EXPECT_EQ(bench.program.TrackOffsetX, shifts.back()[0]);
            EXPECT_EQ(bench.program.TrackOffsetY, shifts.back()[1]);
            EXPECT_EQ(bench.registration.TrackStepX, drift.lastHalfStep[0]);
            EXPECT_EQ(bench.registration.TrackStepY, drift.lastHalfStep[1]);
        }
    }
    // Without tracking a drift is lost once it passes half a box.
    const std::vector<Bitmap24> frames = texturedFrames(400, 300, {{0, 0}, {60, -36}});
    AlignBench untracked(400, 300, 64, 2);
    untracked.align().Trackobject = false;
    untracked.align().Misalignwarning = false;
    untracked.pick(frames[0], 200, 150);
    FrameAlignment aligner(untracked.context, untracked.align(), frames[0]);
    alignAs(aligner, untracked.alignment, frames[1], 1);
    EXPECT_NE(untracked.model->FrameTable[1].Slots[0].X, 60);
}

TEST(Align, LostLockAsksOrDeselectsAndUnattendedRunsNeverWait) {
    const std::vector<Bitmap24> planet = texturedFrames(200, 160, {{0, 0}, {2, 1}, {-1, 3}});
    // An unrelated picture: another texture.
    const Bitmap24 unrelated = texturedFrames(200, 160, {{0, 0}}, 99)[0];
    const std::vector<const Bitmap24*> frames = {&planet[0], &planet[1], &unrelated, &planet[2], &unrelated};
    const auto run = [&](AlignBench& bench, MessagePort& messages) {
        AlignContext context = bench.contextWith(messages);
        bench.pick(planet[0], 100, 80);
        FrameAlignment aligner(context, bench.align(), planet[0]);
        for (std::size_t k = 0; k < frames.size(); ++k)
            alignAs(aligner, bench.alignment, *frames[k], static_cast<int>(k));
    };

    {  // "Ignore misaligned frames": deselected without a question.
        AlignBench bench(200, 160, 64, 5);
        bench.align().Ignoredefault = true;
        ScriptedMessages messages;
        run(bench, messages);
        EXPECT_TRUE(messages.shown.empty());
        EXPECT_EQ(bench.view.deselected, (std::vector<int>{2, 4}));
        EXPECT_TRUE(bench.model->FrameTable[2].Excluded);
        EXPECT_FALSE(bench.model->FrameTable[2].Dropped);
        EXPECT_FALSE(bench.model->FrameTable[3].Excluded);
        EXPECT_EQ(bench.model->FrameTable[3].Slots[0].X, -1);
    }
    {  // Asked; "All" deselects this frame and later misaligned ones without asking.
        AlignBench bench(200, 160, 64, 5);
        ScriptedMessages messages;
        messages.answers = {mrAll};
        run(bench, messages);
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_EQ(messages.shown[0].caption, "Alignment ");
        EXPECT_EQ(messages.shown[0].buttons, mbOK | mbIgnore | mbAll);
        EXPECT_EQ(messages.shown[0].batchAnswer, mrIgnore);
        EXPECT_TRUE(bench.view.ignoreChecked);
        EXPECT_EQ(bench.view.deselected, (std::vector<int>{2, 4}));
    }
    {  // "Ignore" deselects only this frame; "Cancel" (any other answer) leaves it in.
        AlignBench bench(200, 160, 64, 5);
        ScriptedMessages messages;
        messages.answers = {mrIgnore, mrCancel};
        run(bench, messages);
        EXPECT_EQ(messages.shown.size(), 2u);
        EXPECT_EQ(bench.view.deselected, (std::vector<int>{2}));
    }
    {  // A batch run answers Ignore, and an OK from it would not wait for a click.
        AlignBench bench(200, 160, 64, 5);
        bench.program.BatchMode = true;
        ScriptedMessages messages;
        messages.answers = {mrOk};
        bench.progress.onPoll = [](NullProgress&) { FAIL() << "an unattended run waited for a click"; };
        run(bench, messages);
        EXPECT_EQ(messages.shown.size(), 2u);
        EXPECT_EQ(bench.view.deselected, (std::vector<int>{2, 4}));
        EXPECT_FALSE(bench.registration.WaitForClick);
    }
}

TEST(Align, PointingTheFeatureOutAfterALostLockAlignsTheFrameAgain) {
    const std::vector<Bitmap24> frames = texturedFrames(200, 160, {{0, 0}, {6, -4}});
    AlignBench bench(200, 160, 64, 2);
    ScriptedMessages messages;
    messages.answers = {mrOk};
    AlignContext context = bench.contextWith(messages);
    bench.pick(frames[0], 100, 80);
    FrameAlignment aligner(context, bench.align(), frames[0]);
    alignAs(aligner, bench.alignment, frames[0], 0);
    // The click lands on the feature, 6 right and 4 up.
    int polls = 0;
    bench.progress.onPoll = [&](NullProgress&) {
        ++polls;
        bench.registration.ClickX = 106;
        bench.registration.ClickY = 76;
        bench.registration.WaitForClick = false;
    };
    bench.alignment.ForceRealign = true;
    EXPECT_FALSE(alignAs(aligner, bench.alignment, frames[1], 1));
    EXPECT_EQ(polls, 1);
    EXPECT_EQ(bench.model->FrameTable[1].Slots[0].X, 6);
    EXPECT_EQ(bench.model->FrameTable[1].Slots[0].Y, -4);
    EXPECT_EQ(bench.program.TrackOffsetX, 6);
    EXPECT_TRUE(alignAs(aligner, bench.alignment, frames[1], 1));
    EXPECT_EQ(bench.model->FrameTable[1].Slots[0].X, 6);
    EXPECT_EQ(bench.model->FrameTable[1].Slots[0].Y, -4);
    EXPECT_FALSE(bench.model->FrameTable[1].Excluded);

    // A cancel during the wait skips only this frame: nothing is written, the cancel is undone.
    bench.progress.onPoll = [](NullProgress& progress) { progress.setCancelRequested(true); };
    messages.answers = {mrOk};
    bench.alignment.ForceRealign = true;
    bench.model->FrameTable[1].Slots[0].Difference = -1.0f;
    EXPECT_TRUE(alignAs(aligner, bench.alignment, frames[1], 1));
    EXPECT_EQ(bench.model->FrameTable[1].Slots[0].Difference, -1.0f);
    EXPECT_FALSE(bench.progress.cancelRequested());
    EXPECT_FALSE(bench.registration.WaitForClick);
}

TEST(Align, NextAviFileAsksForTheFeatureUnlessUnattended) {
    const std::vector<Bitmap24> frames = texturedFrames(200, 160, {{0, 0}, {2, -3}});
    for (bool batch : {false, true}) {
        SCOPED_TRACE(batch);
        AlignBench bench(200, 160, 64, 2);
        bench.align().Ignoredefault = true;
        bench.program.BatchMode = batch;
        ScriptedMessages messages;
        messages.answers = {mrIgnore};
        AlignContext context = bench.contextWith(messages);
        bench.pick(frames[0], 100, 80);
        FrameAlignment aligner(context, bench.align(), frames[0]);
        alignAs(aligner, bench.alignment, frames[0], 0);
        // The pass moved on to the next file: the lock counts as lost.
        bench.registration.LastPeak *= 2.0;
        bench.alignment.NextSegmentPending = true;
        alignAs(aligner, bench.alignment, frames[1], 1);
        EXPECT_FALSE(bench.alignment.NextSegmentPending);
        if (batch) {
            // Unattended: no question, the frame stays in and the tracking goes on.
            EXPECT_TRUE(messages.shown.empty());
            EXPECT_FALSE(bench.model->FrameTable[1].Excluded);
            EXPECT_EQ(bench.model->FrameTable[1].Slots[0].X, 2);
            EXPECT_EQ(bench.program.TrackOffsetX, 2);
        } else {
            // Asked even with "Ignore misaligned frames".
            ASSERT_EQ(messages.shown.size(), 1u);
            EXPECT_EQ(messages.shown[0].text, " Next AVI sequence, please point-click at alignment feature");
            EXPECT_TRUE(bench.model->FrameTable[1].Excluded);
        }
    }
}

TEST(Align, BoxPartlyOffScreenGivesOnePercentOfTheQualityAndOneWarning) {
    // The feature 34 pixels from the left edge: a box of 64 moved 3 to the left leaves the frame.
    const std::vector<Bitmap24> frames = texturedFrames(200, 160, {{0, 0}, {-3, 0}, {-4, 1}});
    AlignBench bench(200, 160, 64, 3);
    bench.align().Trackobject = false;
    bench.setQualityItem(5);
    bench.pick(frames[0], 34, 80);
    FrameAlignment aligner(bench.context, bench.align(), frames[0]);
    alignAs(aligner, bench.alignment, frames[0], 0);
    EXPECT_FALSE(bench.alignment.OffscreenWarned);
    for (int k : {1, 2}) {
        alignAs(aligner, bench.alignment, frames[static_cast<std::size_t>(k)], k);
        const TAlignSlotRec& slot = bench.model->FrameTable[k].Slots[0];
        AlignScratch scratch;
        const Grade grade =
            gradeAlignedBox(aligner.inputs(), frames[static_cast<std::size_t>(k)], slot.X, slot.Y, scratch);
        EXPECT_TRUE(grade.alignedOffscreen);
        EXPECT_GT(grade.imageQuality, 0.0f);
        EXPECT_EQ(slot.Quality, grade.imageQuality * 0.01f);
    }
    EXPECT_EQ(bench.captions(), (std::vector<std::string>{"Warning"}));
    EXPECT_TRUE(bench.alignment.OffscreenWarned);
    EXPECT_EQ(bench.view.offscreenNotes, 2);
}

TEST(Align, BoxReachingOutsideTheFrameIsJudgedByItsOverlap) {
    // Each frame differs from the reference by a checkerboard of +-10: over any region of an even
    // number of rows the means cancel and the mean squared difference is 100, wherever the box is.
    const int w = 160, h = 120;
    Bitmap24 reference(w, h), frame(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int level = 100 + (x * 7 + y * 13) % 50;
            const int checker = (x + y) % 2 == 0 ? 10 : -10;
            SetRGBTriple(level, level, level, reference.pixel(x, y));
            const auto moved = static_cast<std::uint8_t>(level + checker);
            SetRGBTriple(moved, moved, moved, frame.pixel(x, y));
        }
    struct Place {
        const char* name;
        int featureX, featureY;
    };
    // Box 32: the interior, 8 columns over the left edge, and over the bottom-right corner.
    const Place places[] = {{"interior", 80, 60}, {"left edge", 8, 60}, {"corner", 150, 112}};
    for (const Place& place : places) {
        SCOPED_TRACE(place.name);
        AlignBench bench(w, h, 32, 1);
        bench.pick(reference, place.featureX, place.featureY);
        // The reference read for every grade, or its levels read once for a pass.
        for (bool once : {false, true}) {
            FrameAlignment aligner(bench.context, bench.align(), reference);
            if (once) aligner.keepReferenceLevels();
            AlignScratch scratch;
            EXPECT_NEAR(gradeAlignedBox(aligner.inputs(), frame, 0, 0, scratch).difference, 100.0, 1e-6)
                << once;
        }
    }
}

// A frame held as its levels alone (one byte per pixel) is correlated and graded bit for bit as
// its 24-bit picture, wherever the box lies: inside, and cut by every edge of an odd-sized frame;
// so is it against the reference's levels read once for a pass.
TEST(Align, AFrameReadAsItsLevelsAloneIsMeasuredAsItsPicture) {
    const int w = 157, h = 123;
    const std::vector<Bitmap24> frames = texturedFrames(w, h, {{0, 0}, {3, -2}});
    LevelBitmap levels;
    levels.resize(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) levels.row(y)[x] = frames[1].pixel(x, y)[1];
    for (const auto& [n, gradient] : {std::pair{32, true}, std::pair{64, true}, std::pair{64, false}}) {
        AlignBench bench(w, h, n, 2);
        bench.align().quality.kind = gradient ? QualityKind::Gradient : QualityKind::Spectral;
        bench.pick(frames[0], 78, 61);
        FrameAlignment aligner(bench.context, bench.align(), frames[0]);
        FrameAlignment once(bench.context, bench.align(), frames[0]);
        once.keepReferenceLevels();
        AlignScratch one, other;
        for (const Shift offset :
             {Shift{0, 0}, Shift{-70, 5}, Shift{60, -50}, Shift{-9, 55}, Shift{75, 58}}) {
            SCOPED_TRACE(std::to_string(n) + " at " + std::to_string(offset[0]) + "," +
                         std::to_string(offset[1]));
            const Correlation a = correlateBox(aligner.inputs(), frames[1], offset[0], offset[1], one);
            const Correlation b = correlateBox(aligner.inputs(), levels, offset[0], offset[1], other);
            EXPECT_EQ(std::tie(a.peak, a.pi, a.pj, a.profile), std::tie(b.peak, b.pi, b.pj, b.profile));
            const Grade c = gradeAlignedBox(aligner.inputs(), frames[1], offset[0], offset[1], one);
            const Grade d = gradeAlignedBox(once.inputs(), levels, offset[0], offset[1], other);
            EXPECT_EQ(std::tie(c.difference, c.meanF, c.imageQuality, c.profile),
                      std::tie(d.difference, d.meanF, d.imageQuality, d.profile));
            EXPECT_GT(gradient ? c.imageQuality : c.profileMax, 0.0f);
        }
    }
}

TEST(Align, FramesLoseTheSameDarkPlaneAsTheReference) {
    // A flat grey sky whose only detail is the dark frame: a blot in the green plane, another
    // one 6 pixels away in the blue plane. A frame identical to the reference must align at
    // (0, 0); had the reference lost one plane and the frame the other, it would show the blots'
    // distance.
    const int w = 160, h = 120;
    Bitmap24 sky(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) SetRGBTriple(120, 120, 120, sky.pixel(x, y));
    AlignBench bench(w, h, 64, 1);
    const auto blot = [&](double cx, double cy) {
        T2dArrays plane(h, w);
        for (int x = 0; x < w; ++x)
            for (int y = 0; y < h; ++y)
                plane[x][y] = static_cast<float>(
                    128.0 * 60.0 * std::exp(-((x - cx) * (x - cx) + (y - cy) * (y - cy)) / 18.0));
        return plane;
    };
    bench.section->DarkPlanes[0] = blot(70, 50);
    bench.section->DarkPlanes[1] = blot(80, 60);
    bench.section->DarkPlanes[2] = blot(86, 60);
    bench.align().levels.darkSubtract = true;
    bench.align().Trackobject = false;
    bench.pick(sky, 80, 60);
    FrameAlignment aligner(bench.context, bench.align(), sky);
    alignAs(aligner, bench.alignment, sky, 0);
    EXPECT_EQ(bench.model->FrameTable[0].Slots[0].X, 0);
    EXPECT_EQ(bench.model->FrameTable[0].Slots[0].Y, 0);
    EXPECT_TRUE(bench.messages.history().empty());
}
