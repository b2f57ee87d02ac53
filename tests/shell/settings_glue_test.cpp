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
    AlignPage& align = *pieces(*form).alignPage;
    StackPage& stack = *pieces(*form).stackPage;
    WaveletPage& wavelet = *pieces(*form).waveletPage;

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
    const Case cases[] = {{control<TRxSpinEdit>(*form, "SearchArea"), "SearchArea", 0, 1, "1"},
                          {control<TRxSpinEdit>(*form, "SearchArea"), "SearchArea", 12, 10, "10"},
                          {control<TRxSpinEdit>(align, "FFTFilterspin"), "FFTFilter", 7.4, 7.4, "7"},
                          {control<TRxSpinEdit>(align, "QualityFilter"), "QualityFilter", 3, 3, "3"}};
    for (const Case& c : cases) {
        c.spin->setValue(c.typed);
        EXPECT_DOUBLE_EQ(static_cast<double>(c.spin->Value()), c.shown) << c.key;
        EXPECT_EQ(stored(c.key), c.value) << c.key;
    }
    for (auto [box, key] : {std::pair{control<TPCheck>(align, "Misalignwarning"), "Misalignwarning"},
                            std::pair{control<TPCheck>(align, "Colourstack"), "usecolour"},
                            std::pair{control<TPCheck>(wavelet, "Autoprocessbox"), "Autoprocess"}}) {
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
        EXPECT_FLOAT_EQ(static_cast<float>(control<TRxSpinEdit>(stack, "ResampleSpin")->Value()), factor)
            << "the spin's own range is 1 to 4";
    }
}

TEST_F(SettingsGlueTest, ColourChoiceIsMirroredAndSwitchesTheColourControls) {
    RgbBalancePanel& balance = *pieces(*form).waveletTools.rgbBalance;
    for (bool colour : {false, true}) {
        control<TPCheck>(align, "Colourstack")->setChecked(!colour);
        click(*control<TPCheck>(align, "Colourstack"));
        EXPECT_EQ(control<TPCheck>(wavelet, "Colourprocess2")->Checked(), colour);
        EXPECT_EQ(control<TPCheck>(wavelet, "LRGB2")->isEnabled(), colour);
        EXPECT_EQ(control<TRxSlider>(balance, "RedSlider")->isEnabled(), colour);
        EXPECT_EQ(control<TPCheck>(align, "LRGB")->isEnabled(), colour);
    }
    control<TPCheck>(align, "LRGB")->setChecked(true);
    click(*control<TPCheck>(wavelet, "Colourprocess2"));
    EXPECT_FALSE(control<TPCheck>(align, "Colourstack")->Checked());
    EXPECT_FALSE(control<TPCheck>(align, "LRGB")->Checked()) << "LRGB is unticked when it cannot be used";
}

TEST_F(SettingsGlueTest, ChoicesShowTheirDependentControls) {
    control<TPCheck>(align, "interlaced")->setChecked(false);
    click(*control<TPCheck>(align, "interlaced"));
    EXPECT_FALSE(control<TPCheck>(align, "Interlacehoriz")->isHidden());
    control<TPCheck>(align, "Interlacehoriz")->setChecked(true);
    click(*control<TPCheck>(align, "interlaced"));
    EXPECT_TRUE(control<TPCheck>(align, "Interlacehoriz")->isHidden());
    EXPECT_FALSE(control<TPCheck>(align, "Interlacehoriz")->Checked());

    control<TPCheck>(align, "Blurbox")->setChecked(false);
    click(*control<TPCheck>(align, "Blurbox"));
    EXPECT_FALSE(control<TRxSpinEdit>(align, "Bias")->isHidden());

    control<TPCheck>(align, "Manualalignbox")->setChecked(false);
    click(*control<TPCheck>(align, "Manualalignbox"));
    EXPECT_TRUE(context.pipeline.alignment().ManualAlign);
    EXPECT_FALSE(control<TPCheck>(align, "Misalignwarning")->Checked());
}

TEST_F(SettingsGlueTest, FittedPreviewShowsTheFramePositionUnderTheMouse) {
    context.shell.PreviewFitted = true;
    context.shell.PreviewFitScale = 2.0f;
    pieces(*form).align->PreviewImageMouseMove(Qt::NoButton, Qt::NoModifier, 100, 50);
    EXPECT_EQ(pieces(*form).StatusPanels[2]->text(), "200-100");
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
    pieces(*form).shell->selectTab(static_cast<int>(TMainTab::tabAbout));
    const QStringList lines = control<QPlainTextEdit>(*form, "Memo1")->toPlainText().split('\n');
    ASSERT_EQ(lines.size(), 5);
    EXPECT_TRUE(lines[0].startsWith("Current memory load: "));
    EXPECT_TRUE(lines[4].startsWith("Used virtual memory: ") && lines[4].endsWith(" Mbytes"));
}

}  // namespace kestrave::test
