// The small option handlers of the window that tie controls together and store option values in
// the "Settings" section, the mouse position under the fitted preview, and the About page's
// memory report.

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStackedWidget>

#include "persist/reg_settings.h"
#include "shell/controllers/align_controller.h"
#include "shell/controllers/shell_controller.h"
#include "shell/controllers/wavelet_controller.h"
#include "shell/pages/about_page.h"
#include "shell/pages/align_page.h"
#include "shell/pages/histogram_windows.h"
#include "shell/pages/named_control.h"
#include "shell/pages/optimize_page.h"
#include "shell/pages/stack_page.h"
#include "shell/pages/wavelet_page.h"
#include "shell/pages/wavelet_tool_panels.h"
#include "shell/tab_strip.h"
#include "shell_test_support.h"
#include "widgets/check_box.h"
#include "widgets/slider.h"
#include "widgets/spin_edit.h"

namespace kestrave::test {

namespace {

struct SettingsGlueTest : ShellWindowTest {
    TempDir dir;
    AlignPage& align = *form->alignPage;
    StackPage& stack = *form->stackPage;
    WaveletPage& wavelet = *form->waveletPage;

    SettingsGlueTest() { context.regSettings = std::make_unique<RegSettings>(dir / "registry.ini"); }
    // The stored value, read from the file as another run would.
    std::string stored(const char* key) const {
        return RegSettings(dir / "registry.ini").ReadString("Settings", key, "none");
    }
    static void click(TPCheck& box) {
        box.setChecked(!box.Checked());
        emit box.OnClick(&box);
    }
};

}  // namespace

TEST_F(SettingsGlueTest, OptionValuesAreKeptWithinRangeAndStored) {
    struct Case {
        TRxSpinEdit* spin;
        const char* key;
        double typed;
        double shown;
        std::string value;
    };
    const Case cases[] = {{form->optimizePage->SearchArea, "SearchArea", 0, 1, "1"},
                          {form->optimizePage->SearchArea, "SearchArea", 12, 10, "10"},
                          {align.FFTFilterspin, "FFTFilter", 7.4, 7.4, "7"},
                          {align.QualityFilter, "QualityFilter", 3, 3, "3"}};
    for (const Case& c : cases) {
        c.spin->setValue(c.typed);
        EXPECT_DOUBLE_EQ(static_cast<double>(c.spin->Value()), c.shown) << c.key;
        EXPECT_EQ(stored(c.key), c.value) << c.key;
    }
    for (auto [box, key] :
         {std::pair{align.Misalignwarning, "Misalignwarning"}, std::pair{align.Colourstack, "usecolour"},
          std::pair{wavelet.Autoprocessbox, "Autoprocess"}}) {
        for (bool expected : {!box->Checked(), box->Checked()}) {
            click(*box);
            EXPECT_EQ(RegSettings(dir / "registry.ini").ReadBool("Settings", key, !expected), expected)
                << key;
        }
    }
}

TEST_F(SettingsGlueTest, ResamplingFactorFollowsItsSpinWithinOneToFour) {
    for (auto [typed, factor] : {std::pair{0.5, 1.0f}, std::pair{6.0, 4.0f}, std::pair{2.5, 2.5f}}) {
        control<TRxSpinEdit>(stack, "ResampleSpin")->setValue(typed);
        EXPECT_FLOAT_EQ(context.pipeline.state().ResampleFactor, factor) << typed;
        EXPECT_DOUBLE_EQ(static_cast<double>(control<TRxSpinEdit>(stack, "ResampleSpin")->Value()), typed)
            << "the spin keeps the value typed";
    }
}

TEST_F(SettingsGlueTest, ColourChoiceIsMirroredAndSwitchesTheColourControls) {
    RgbBalancePanel& balance = *form->waveletTools.rgbBalance;
    for (bool colour : {false, true}) {
        align.Colourstack->setChecked(!colour);
        click(*align.Colourstack);
        EXPECT_EQ(wavelet.Colourprocess2->Checked(), colour);
        EXPECT_EQ(wavelet.LRGB2->isEnabled(), colour);
        EXPECT_EQ(balance.RedSlider->isEnabled(), colour);
        EXPECT_EQ(align.LRGB->isEnabled(), colour);
    }
    align.LRGB->setChecked(true);
    click(*wavelet.Colourprocess2);
    EXPECT_FALSE(align.Colourstack->Checked());
    EXPECT_FALSE(align.LRGB->Checked()) << "LRGB is unticked when it cannot be used";
}

TEST_F(SettingsGlueTest, ChoicesShowTheirDependentControls) {
    align.interlaced->setChecked(false);
    click(*align.interlaced);
    EXPECT_FALSE(align.Interlacehoriz->isHidden());
    align.Interlacehoriz->setChecked(true);
    click(*align.interlaced);
    EXPECT_TRUE(align.Interlacehoriz->isHidden());
    EXPECT_FALSE(align.Interlacehoriz->Checked());

    align.Blurbox->setChecked(false);
    click(*align.Blurbox);
    EXPECT_FALSE(align.Bias->isHidden());

    align.Manualalignbox->setChecked(false);
    click(*align.Manualalignbox);
    EXPECT_TRUE(context.pipeline.alignment().ManualAlign);
    EXPECT_FALSE(align.Misalignwarning->Checked());
}

TEST_F(SettingsGlueTest, FittedPreviewShowsTheFramePositionUnderTheMouse) {
    context.shell.PreviewFitted = true;
    context.shell.PreviewFitScale = 2.0f;
    form->align->PreviewImageMouseMove(Qt::NoButton, Qt::NoModifier, 100, 50);
    EXPECT_EQ(form->StatusPanels[2]->text(), "200-100");
}

TEST_F(SettingsGlueTest, StretchMakesTheSpinLevelsTheWholeRangeAndResetUndoesIt) {
    control<TRxSpinEdit>(*form, "LovalSpin")->setValue(20);
    control<TRxSpinEdit>(*form, "Hivalspin")->setValue(200);
    control<QPushButton>(*form, "stretchbutton")->click();
    EXPECT_FLOAT_EQ(context.pipeline.state().LevelLo, 20.0f);
    EXPECT_FLOAT_EQ(context.pipeline.state().LevelHi, 200.0f);
    control<QPushButton>(*form, "Historeset")->click();
    EXPECT_FLOAT_EQ(context.pipeline.state().LevelLo, 0.0f);
    EXPECT_FLOAT_EQ(context.pipeline.state().LevelHi, 255.0f);
}

TEST_F(SettingsGlueTest, AboutPageShowsTheMemoryReport) {
    form->shell->selectTab(static_cast<int>(TMainTab::tabAbout));
    const QStringList lines = control<QPlainTextEdit>(*form, "Memo1")->toPlainText().split('\n');
    ASSERT_EQ(lines.size(), 5);
    EXPECT_TRUE(lines[0].startsWith("Current memory load: "));
    EXPECT_TRUE(lines[4].startsWith("Used virtual memory: ") && lines[4].endsWith(" Mbytes"));
}

}  // namespace kestrave::test
