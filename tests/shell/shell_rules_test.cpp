// The window-free rules of the shell: tab gating and colours, the close decision, the fit scale
// and the tool-window placement.

#include <gtest/gtest.h>

#include "platform/message_port.h"
#include "shell/shell_rules.h"

namespace kestrave {

TEST(TabGating, APageBeyondTheStageFallsBackWithItsName) {
    const TabGate gate = gateTab(4, TMainTab::tabStack);
    EXPECT_EQ(gate.tab, 2);
    EXPECT_EQ(gate.refusal, "Final page not available at this stage");
    EXPECT_EQ(gateTab(1, TMainTab::tabAlign).refusal, "Optimizer page not available at this stage");
    EXPECT_EQ(gateTab(2, TMainTab::tabOptimize).refusal, "Stacking page not available at this stage");
    EXPECT_EQ(gateTab(3, TMainTab::tabStack).refusal, "Wavelets page not available at this stage");
}

TEST(TabGating, PagesUpToTheStageAndAboutAlwaysOpen) {
    for (int tab = 0; tab <= 3; ++tab) {
        const TabGate gate = gateTab(tab, TMainTab::tabWavelet);
        EXPECT_EQ(gate.tab, tab);
        EXPECT_TRUE(gate.refusal.empty());
    }
    const TabGate about = gateTab(5, TMainTab::tabAlign);
    EXPECT_EQ(about.tab, 5);
    EXPECT_TRUE(about.refusal.empty());
}

TEST(TabGating, ColoursShowSelectedReachedAndRefusedPages) {
    const auto colours = tabColours(1, TMainTab::tabStack, false);
    EXPECT_EQ(colours[0], AllowedTabColour);
    EXPECT_EQ(colours[1], SelectedTabColour);
    EXPECT_EQ(colours[2], AllowedTabColour);
    EXPECT_EQ(colours[3], RefusedTabColour);
    EXPECT_EQ(colours[4], RefusedTabColour);
    EXPECT_EQ(colours[5], AllowedTabColour);
    EXPECT_EQ((Rgb{166, 202, 240}), SelectedTabColour);
    EXPECT_EQ((Rgb{192, 220, 192}), AllowedTabColour);
    EXPECT_EQ((Rgb{221, 160, 160}), RefusedTabColour);

    EXPECT_EQ(tabColours(5, TMainTab::tabAlign, false)[5], AllowedTabColour)
        << "About stays green when selected";
    const auto single = tabColours(3, TMainTab::tabFinal, true);
    EXPECT_EQ(single[0], RefusedTabColour);
    EXPECT_EQ(single[1], RefusedTabColour);
    EXPECT_EQ(single[3], SelectedTabColour);
}

TEST(CloseDecision, AsksOnlyWhenAStackIsUnsaved) {
    EXPECT_FALSE(closeNeedsQuestion(false, TMainTab::tabStack));
    EXPECT_TRUE(closeNeedsQuestion(false, TMainTab::tabWavelet));
    EXPECT_FALSE(closeNeedsQuestion(true, TMainTab::tabFinal));

    EXPECT_TRUE(closeProceeds(mrNo, false));
    EXPECT_TRUE(closeProceeds(mrYes, true));
    EXPECT_FALSE(closeProceeds(mrYes, false)) << "a save that wrote nothing keeps the window";
    EXPECT_FALSE(closeProceeds(mrCancel, true));
    EXPECT_FALSE(closeProceeds(mrNone, true));
}

TEST(FitScale, PictureFillsItsBoxLessTheMargin) {
    const float scale = fitScale(true, 100, 80, 530, 430);
    EXPECT_FLOAT_EQ(scale, 0.2f);
    EXPECT_EQ(fittedLength(100, scale), 500);
    EXPECT_EQ(fittedLength(80, scale), 400);
    // The larger ratio wins, so the whole picture stays visible.
    EXPECT_FLOAT_EQ(fitScale(true, 1000, 200, 530, 430), 2.0f);
    EXPECT_FLOAT_EQ(fitScale(false, 1000, 200, 530, 430), 1.0f);
}

TEST(FitScale, TinyBoxesAndEmptyPicturesGiveAUsableScale) {
    EXPECT_FLOAT_EQ(fitScale(true, 100, 80, 20, 20), 100.0f);
    EXPECT_FLOAT_EQ(fitScale(true, 0, 0, 530, 430), 1.0f);
    EXPECT_EQ(fittedLength(3, 2.0f), 2) << "1.5 rounds half to even";
}

TEST(ToolWindowPlace, AWindowBeyondTheRightOrBottomEdgeComesBack20PixelsInside) {
    EXPECT_EQ(keepToolWindowInside({1100, 50}, 200, 150, 1024, 768), (WindowPlace{804, 50}));
    EXPECT_EQ(keepToolWindowInside({10, 760}, 200, 150, 1024, 768), (WindowPlace{10, 598}));
    EXPECT_EQ(keepToolWindowInside({1004, 748}, 200, 150, 1024, 768), (WindowPlace{1004, 748}))
        << "exactly 20 inside stays";
}

}  // namespace kestrave
