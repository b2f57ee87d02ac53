// The choice of the box size and the pick of the feature: the step-down to a box that fits, the
// box kept inside the real frame, the border rule, and what an accepted pick sets and runs.

#include <gtest/gtest.h>

#include <stdexcept>

#include "reference_bench.h"

using namespace kestrave;
using namespace kestrave::test;

namespace {

PickResult click(ReferenceBench& bench, int x, int y, int position = 0) {
    PreviewClick at;
    at.x = x;
    at.y = y;
    at.position = position;
    return pickFeature(bench.context, at, {}, bench.window, bench.aligner, bench.progress);
}

}  // namespace

TEST(Reference, BoxSizeStepsDownToTheLargestBoxThatFits) {
    EXPECT_EQ(fittingBoxSizeItem(4, 800, 600), 4);
    EXPECT_EQ(fittingBoxSizeItem(4, 640, 480), 3);
    EXPECT_EQ(fittingBoxSizeItem(4, 352, 288), 3);  // 512 does not fit, 256 does
    EXPECT_EQ(fittingBoxSizeItem(4, 200, 150), 2);  // 512 and 256 do not fit, 128 does
    EXPECT_EQ(fittingBoxSizeItem(3, 640, 255), 2);  // the shorter side decides
    EXPECT_EQ(fittingBoxSizeItem(0, 32, 32), 0);
    EXPECT_EQ(fittingBoxSizeItem(1, 40, 31), -1);  // not even 32 fits

    ReferenceBench bench(352, 288, 32);
    bench.program.ProcessStage = TProcessStage::stInputLoaded;
    const FftSizeChoice choice = chooseFftSize(bench.context, 4, 10.0, false);
    EXPECT_TRUE(choice.applied);
    EXPECT_EQ(choice.itemIndex, 3);
    EXPECT_EQ(bench.fft.FFTSize, 256);
    EXPECT_EQ(bench.program.ProcessStage, TProcessStage::stFFTSizeSet);
    EXPECT_EQ(bench.fft.FFTBandMask[9][0], 1);  // the band mask is built for the new size
    EXPECT_EQ(bench.fft.FFTBandMask[10][0], 0);
    EXPECT_EQ(bench.fft.FFTBandMask[255][0], 1);
    EXPECT_TRUE(bench.messages.history().empty());  // the step-down is silent
}

TEST(Reference, BoxSizeChangeDropsTheFeatureAndRefusesFramesSmallerThanTheSmallestBox) {
    ReferenceBench bench(640, 480, 64);
    bench.program.ProcessStage = TProcessStage::stReferenceReady;
    bench.registration.FeatureChosen = true;
    FftSizeChoice choice = chooseFftSize(bench.context, 2, 10.0, false);
    EXPECT_TRUE(choice.featureDropped);
    EXPECT_FALSE(bench.registration.FeatureChosen);
    ASSERT_EQ(bench.messages.history().size(), 1u);
    EXPECT_EQ(bench.messages.history()[0].text,
              " Changed alignment area: Please choose the alignment feature");

    // In the free-box mode the feature stays; without an input nothing else happens.
    bench.registration.FeatureChosen = true;
    bench.program.ProcessStage = TProcessStage::stNone;
    choice = chooseFftSize(bench.context, 0, 10.0, true);
    EXPECT_FALSE(choice.featureDropped);
    EXPECT_FALSE(choice.applied);
    EXPECT_EQ(bench.fft.FFTSize, 128);

    ReferenceBench tiny(31, 200, 64);
    tiny.program.ProcessStage = TProcessStage::stInputLoaded;
    choice = chooseFftSize(tiny.context, 0, 10.0, false);
    EXPECT_FALSE(choice.applied);
    EXPECT_EQ(tiny.fft.FFTSize, 64);  // the engine is left as it was
    EXPECT_EQ(tiny.program.ProcessStage, TProcessStage::stInputLoaded);
    ASSERT_EQ(tiny.captions(), std::vector<std::string>{"Alignment warning"});
    EXPECT_NE(tiny.messages.history()[0].text.find("too small"), std::string::npos);
}

TEST(Reference, BoxIsKeptInsideTheRealFrame) {
    RegistrationState registration;
    registration.BoxLeft = 900;  // inside a 1280 x 960 frame with a 128 box: stays where it is
    registration.BoxTop = 700;
    clampBoxToFrame(registration, 128, 1280, 960);
    EXPECT_EQ(registration.BoxLeft, 900);
    EXPECT_EQ(registration.BoxTop, 700);
    registration.BoxLeft = 1200;  // reaching past the right edge: moved in just far enough
    registration.BoxTop = -20;
    clampBoxToFrame(registration, 128, 1280, 960);
    EXPECT_EQ(registration.BoxLeft, 1152);
    EXPECT_EQ(registration.BoxTop, 0);
    registration.BoxLeft = 1152;  // touching the right edge is inside
    clampBoxToFrame(registration, 128, 1280, 960);
    EXPECT_EQ(registration.BoxLeft, 1152);
    clampBoxToFrame(registration, 128, 100, 100);  // a frame narrower than the box
    EXPECT_EQ(registration.BoxLeft, 0);

    ReferenceBench bench(1280, 960, 32);
    bench.program.ProcessStage = TProcessStage::stInputLoaded;
    bench.registration.BoxLeft = 1000;
    bench.registration.BoxTop = 900;
    chooseFftSize(bench.context, 2, 10.0, false);
    EXPECT_EQ(bench.registration.BoxLeft, 1000);
    EXPECT_EQ(bench.registration.BoxTop, 832);
}

TEST(Reference, BorderRuleAcceptsOnlyFeaturesMoreThanHalfABoxInside) {
    // N = 128 on 640 x 480: h = 64 < x < 640 - 1 - 64 and 64 < y < 480 - 1 - 64.
    const struct {
        int x, y;
        bool accepted;
    } cases[] = {{64, 200, false}, {65, 200, true}, {574, 200, true}, {575, 200, false},
                 {300, 64, false}, {300, 65, true}, {300, 414, true}, {300, 415, false}};
    for (const auto& c : cases) {
        ReferenceBench bench(640, 480, 128);
        const PickResult result = click(bench, c.x, c.y);
        SCOPED_TRACE(std::to_string(c.x) + ", " + std::to_string(c.y));
        if (c.accepted) {
            EXPECT_EQ(result, PickResult::FeatureAccepted);
            EXPECT_TRUE(bench.messages.history().empty());
        } else {
            EXPECT_EQ(result, PickResult::TooCloseToBorder);
            ASSERT_EQ(bench.captions(), std::vector<std::string>{"Alignment warning"});
            EXPECT_EQ(bench.messages.history()[0].text, " Choosen feature too close to image border ");
            EXPECT_EQ(bench.program.ProcessStage, TProcessStage::stFFTSizeSet);
            EXPECT_FALSE(bench.registration.FeatureChosen);
            EXPECT_EQ(bench.aligner.count, 0);
        }
        EXPECT_FALSE(bench.registration.UserBoxPlaced);
    }
}

TEST(Reference, AcceptedPickComputesTheReferenceTwiceOnTheShownFrame) {
    ReferenceBench bench(320, 240, 64);
    bench.program.TrackOffsetX = 7;
    bench.registration.TrackStepY = -3;
    bench.registration.LastPeak = 0.4;
    bench.progress.setCancelRequested(true);
    // The picture of frame 6 is a grating of 8 cycles per box along x.
    bench.window.onShow = [&](int position) {
        ASSERT_EQ(position, 6);
        bench.preview =
            greyPicture(320, 240, [](int x, int) { return 128 + 100 * std::cos(x * 0.7853981633974483); });
    };
    TProcessStage stageDuringAlignment{};
    bool placedDuringAlignment = false;
    bench.aligner.onAlign = [&] {
        stageDuringAlignment = bench.program.ProcessStage;
        placedDuringAlignment = bench.registration.UserBoxPlaced;
    };

    EXPECT_EQ(click(bench, 100, 90, 6), PickResult::FeatureAccepted);

    const std::vector<std::string> expected{"accepted",      "show 6", "apply", "align",
                                            "computed once", "show 6", "apply", "align"};
    EXPECT_EQ(bench.window.calls, expected);
    EXPECT_EQ(stageDuringAlignment, TProcessStage::stFeatureSet);
    EXPECT_TRUE(placedDuringAlignment);
    EXPECT_FALSE(bench.registration.UserBoxPlaced);
    EXPECT_FALSE(bench.progress.cancelRequested());

    EXPECT_EQ(bench.program.ProcessStage, TProcessStage::stReferenceReady);
    EXPECT_EQ(bench.program.progstatus, TProgStatus::psFeatureSet);
    EXPECT_TRUE(bench.registration.FeatureChosen);
    EXPECT_EQ(bench.program.FeatureX, 100);
    EXPECT_EQ(bench.program.FeatureY, 90);
    EXPECT_EQ(bench.registration.BoxLeft, 68);
    EXPECT_EQ(bench.registration.BoxTop, 58);
    EXPECT_EQ(bench.registration.FeatureFrame, 6);
    EXPECT_EQ(bench.registration.refframe, 6);
    EXPECT_EQ(bench.program.TrackOffsetX, 0);
    EXPECT_EQ(bench.registration.TrackStepY, 0);
    EXPECT_EQ(bench.registration.LastPeak, 0.0);

    // The grating's 8 cycles give the radius 8; the second computation, fed the values of the
    // first, finds the same ones.
    ASSERT_EQ(bench.window.applied.size(), 2u);
    EXPECT_EQ(bench.window.applied[0].radiusBins, 8);
    EXPECT_EQ(bench.window.applied[0].FFTFilter, 8.0);
    EXPECT_EQ(bench.window.applied[1].FFTFilter, bench.window.applied[0].FFTFilter);
    EXPECT_EQ(bench.window.applied[1].QualityFilter, bench.window.applied[0].QualityFilter);
    EXPECT_EQ(bench.window.applied[1].QualFilterDX, bench.window.applied[0].QualFilterDX);
}

TEST(Reference, ClicksThatPickNothing) {
    {  // An alignment waiting for a click takes it and nothing else happens.
        ReferenceBench bench(320, 240, 64);
        bench.registration.WaitForClick = true;
        EXPECT_EQ(click(bench, 10, 12), PickResult::ClickTaken);
        EXPECT_FALSE(bench.registration.WaitForClick);
        EXPECT_EQ(bench.registration.ClickX, 10);
        EXPECT_EQ(bench.registration.ClickY, 12);
        EXPECT_TRUE(bench.window.calls.empty());
        EXPECT_FALSE(bench.registration.UserBoxPlaced);
    }
    {  // An input still being set up.
        ReferenceBench bench(320, 240, 64);
        PreviewClick at;
        at.x = 100;
        at.y = 100;
        at.settingUpInput = true;
        EXPECT_EQ(pickFeature(bench.context, at, {}, bench.window, bench.aligner, bench.progress),
                  PickResult::Ignored);
        EXPECT_TRUE(bench.window.calls.empty());
    }
    {  // The excluded frame shown at the slider position; once ranked, the position shows the
       // frame of that rank.
        ReferenceBench bench(320, 240, 64);
        bench.model->FrameTable[2].Excluded = true;
        EXPECT_EQ(click(bench, 100, 100, 2), PickResult::Ignored);
        EXPECT_FALSE(bench.registration.FeatureChosen);
        bench.model->FramesRanked = true;
        bench.model->FrameRanking[2].Frame = 5;
        bench.model->FrameRanking[0].Frame = 2;
        EXPECT_EQ(click(bench, 100, 100, 0), PickResult::Ignored);
        EXPECT_EQ(click(bench, 100, 100, 2), PickResult::FeatureAccepted);
        EXPECT_EQ(bench.registration.FeatureFrame, 2);
    }
}

TEST(Reference, RecalculationResetsTheTrackingAndAlignsOnceMoreAfterARepoint) {
    ReferenceBench bench(320, 240, 64);
    bench.program.FeatureX = 150;
    bench.program.FeatureY = 100;
    bench.registration.FeatureFrame = 3;
    bench.program.TrackOffsetY = 4;
    bench.registration.TrackStepX = 2;
    bench.registration.LastPeak = 1.5;
    bench.registration.BoxLeft = 9;

    recalculateReference(bench.context, {}, bench.window, bench.aligner);
    EXPECT_EQ(bench.window.calls, (std::vector<std::string>{"show 3", "apply", "align"}));
    EXPECT_EQ(bench.registration.BoxLeft, 118);
    EXPECT_EQ(bench.registration.BoxTop, 68);
    EXPECT_EQ(bench.program.TrackOffsetY, 0);
    EXPECT_EQ(bench.registration.TrackStepX, 0);
    EXPECT_EQ(bench.registration.LastPeak, 0.0);

    // The first alignment ends with the feature pointed out again: the frame is aligned again.
    bench.window.calls.clear();
    bench.aligner.count = 0;
    bench.aligner.answers = {false, false};
    recalculateReference(bench.context, {}, bench.window, bench.aligner);
    EXPECT_EQ(bench.aligner.count, 2);

    // However the alignment ends, a pick lowers UserBoxPlaced again.
    bench.aligner.onAlign = [] { throw std::runtime_error("plug-in missing"); };
    EXPECT_THROW(click(bench, 150, 100), std::runtime_error);
    EXPECT_FALSE(bench.registration.UserBoxPlaced);
}
