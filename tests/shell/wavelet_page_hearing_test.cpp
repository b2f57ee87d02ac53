// What the Wavelet page shows after the operations of other areas, as its controller hears them from
// the run: the drizzle choice it mirrors, the colour choices, a new input, a stack run begun, a stack
// of luminance frames and a project's wavelet values.

#include <QAbstractButton>
#include <QScrollArea>
#include <QScrollBar>
#include <algorithm>
#include <filesystem>
#include <vector>

#include "output/bmp_writer.h"
#include "shell/controllers/input_controller.h"
#include "shell/controllers/stack_controller.h"
#include "shell/pages/align_page.h"
#include "shell/pages/named_control.h"
#include "shell/pages/stack_page.h"
#include "shell/tab_strip.h"
#include "support/temp_dir.h"
#include "wavelet_page_support.h"
#include "widgets/check_box.h"
#include "widgets/slider.h"
#include "widgets/speed_button.h"

namespace kestrave::test {
namespace {

void click(TPCheck& box) {
    box.setChecked(!box.Checked());
    emit box.OnClick(&box);
}

// A picture of one colour: grey, or with red, green and blue apart.
Bitmap24 flatPicture(bool grey) {
    Bitmap24 bitmap(12, 8);
    const std::uint8_t colour[3] = {static_cast<std::uint8_t>(grey ? 90 : 20), 90,
                                    static_cast<std::uint8_t>(grey ? 90 : 200)};
    for (int y = 0; y < bitmap.height(); ++y)
        for (int x = 0; x < bitmap.width(); ++x) std::copy(colour, colour + 3, bitmap.pixel(x, y));
    return bitmap;
}

struct WaveletHearingTest : WaveletPageTest {
    // The files taken as the input through the input's dialog.
    void takeInput(const std::vector<std::filesystem::path>& files) {
        pieces(*form).input->chooseInput = [files] {
            ChosenInput chosen;
            for (const auto& file : files) chosen.files.push_back(file.string());
            chosen.filter = InputFilter::BMP;
            return chosen;
        };
        pieces(*form).input->SelectFileButtonClick();
    }
    std::vector<std::filesystem::path> writePictures(int count, bool grey) {
        std::vector<std::filesystem::path> files;
        for (int k = 0; k < count; ++k) {
            std::string name = grey ? "g" : "c";
            name += std::to_string(k);
            files.push_back(dir / (name + ".bmp"));
            writeBmp24(files.back(), flatPicture(grey));
        }
        return files;
    }
    TPCheck& check(const char* name) { return *control<TPCheck>(page, name); }

    TempDir dir;
};

// The run holds the drizzle-sized canvas the stack and the resize view read; whichever page the
// choice is made on, the run and the Wavelet page's Drizzle agree.
TEST_F(WaveletHearingTest, TheDrizzleChoiceIsTheRunsWhereverItIsMade) {
    StackPage& stack = *pieces(*form).stackPage;
    struct Step {
        const char* what;
        TPCheck& box;
        bool drizzled;
    };
    const Step steps[] = {
        {"Drizzling ticked on the Stack page", *control<TPCheck>(stack, "Drizzling"), true},
        {"Resampled ticked on the Stack page", *control<TPCheck>(stack, "Resampled"), false},
        {"Drizzle ticked on the Wavelet page", check("Drizzle2"), true},
        {"Drizzle unticked on the Wavelet page", check("Drizzle2"), false},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        click(step.box);
        EXPECT_EQ(context.pipeline.drizzled(), step.drizzled);
        EXPECT_EQ(check("Drizzle2").Checked(), step.drizzled);
        EXPECT_EQ(pieces(*form).stack->readStackOptions().Drizzle2, step.drizzled);
    }
}

// Each way colour is chosen moves the Wavelet page's controls it always moved: the input's decision
// the colour switch and LRGB, debayering the switch alone, the user's choice LRGB and the balance too.
TEST_F(WaveletHearingTest, EachColourChoiceMovesTheControlsItAlwaysMoved) {
    TRxSlider& red = *control<TRxSlider>(*tools.rgbBalance, "RedSlider");
    // Each control starts opposite to the choice: those the choice does not move stay so.
    struct Case {
        ColourChoice::By by;
        bool colour;
        bool lrgbMoves;
        bool balanceMoves;
    };
    const Case cases[] = {
        {ColourChoice::By::Input, false, true, false},      {ColourChoice::By::Input, true, true, false},
        {ColourChoice::By::Debayering, true, false, false}, {ColourChoice::By::User, false, true, true},
        {ColourChoice::By::User, true, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.by) * 2 + c.colour);
        check("Colourprocess2").setChecked(!c.colour);
        check("LRGB2").setEnabled(!c.colour);
        red.setEnabled(!c.colour);
        context.pipeline.chooseColour(c.colour, c.by);
        EXPECT_EQ(check("Colourprocess2").Checked(), c.colour);
        EXPECT_EQ(check("LRGB2").isEnabled(), c.lrgbMoves == c.colour);
        EXPECT_EQ(red.isEnabled(), c.balanceMoves == c.colour);
    }
    // The debayer switch turned on chooses colour.
    check("Colourprocess2").setChecked(false);
    context.pipeline.switchDebayer(true, false, context.messages());
    EXPECT_TRUE(check("Colourprocess2").Checked());
}

// A grey series decided by detection: colour off and LRGB unusable on the Wavelet page; a coloured
// still image: colour on, the result may be saved, the processed view no longer fitted.
TEST_F(WaveletHearingTest, ANewInputSetsTheColourAndASingleImageMayBeSaved) {
    control<TPCheck>(*pieces(*form).alignPage, "AutoDetectColour")->setChecked(true);
    check("Colourprocess2").setChecked(true);
    check("LRGB2").setEnabled(true);
    takeInput(writePictures(2, true));
    EXPECT_FALSE(check("Colourprocess2").Checked());
    EXPECT_FALSE(check("LRGB2").isEnabled());

    check("ProcessViewfull").setChecked(true);
    control<QAbstractButton>(page, "savebmp2button")->setEnabled(false);
    // "Hold wavelets" keeps the layer weights; the colour offsets start at 0 again.
    check("HoldWavelets").setChecked(true);
    control<TRxSlider>(page, "Layer2slider")->setValue(30);
    for (const char* offset : {"RedSlider", "GreenSlider", "blueslider"})
        control<TRxSlider>(*form, offset)->setValue(20);
    takeInput(writePictures(1, false));
    EXPECT_EQ(control<TRxSlider>(page, "Layer2slider")->Value(), 30);
    for (const char* offset : {"RedSlider", "GreenSlider", "blueslider"})
        EXPECT_EQ(control<TRxSlider>(*form, offset)->Value(), 0) << offset;
    ASSERT_TRUE(context.pipeline.model().SingleImage);
    EXPECT_TRUE(check("Colourprocess2").Checked());
    EXPECT_TRUE(control<QAbstractButton>(page, "savebmp2button")->isEnabled());
    EXPECT_FALSE(check("ProcessViewfull").Checked());
}

// A still image taken shows centred once the Wavelet page is up, once; a series does not.
TEST_F(WaveletHearingTest, AStillImageShowsCentredWhenItsPageIsUp) {
    TabStrip& tabs = *pieces(*form).Tabpages;
    QScrollBar& bar = *control<QScrollArea>(page, "Scrollbox3")->horizontalScrollBar();
    for (const bool single : {false, true}) {
        SCOPED_TRACE(single);
        editRun(context.pipeline).model.SingleImage = single;
        PipelineTestAccess::announce(context.pipeline, PipelineChange::Input);
        bar.setRange(0, 100);
        bar.setPageStep(20);
        bar.setValue(0);
        emit tabs.pageShown(static_cast<int>(TMainTab::tabStack));
        EXPECT_EQ(bar.value(), 0);
        emit tabs.pageShown(static_cast<int>(TMainTab::tabWavelet));
        // The middle of the view (40 + 20 / 2) is the middle of the picture (120 / 2).
        EXPECT_EQ(bar.value(), single ? 40 : 0);
        bar.setValue(0);
        emit tabs.pageShown(static_cast<int>(TMainTab::tabWavelet));
        EXPECT_EQ(bar.value(), 0);
    }
}

// A stack run begins: the processed view is no longer fitted nor resized, and scrolled to its origin.
TEST_F(WaveletHearingTest, AStackRunLeavesTheFittedViewAtItsOrigin) {
    check("ProcessViewfull").setChecked(true);
    control<TRxSpeedButton>(page, "Resizebutton")->setChecked(true);
    QScrollBar& bar = *control<QScrollArea>(page, "Scrollbox3")->horizontalScrollBar();
    bar.setRange(0, 100);
    bar.setValue(40);
    context.pipeline.useStackFactors(2.0f, 2.0f);
    EXPECT_FALSE(check("ProcessViewfull").Checked());
    EXPECT_FALSE(control<TRxSpeedButton>(page, "Resizebutton")->isChecked());
    EXPECT_EQ(bar.value(), 0);
}

// A stack that holds its own luminance plane is processed with it, the mix weights off; another
// stack leaves the luminance controls alone.
TEST_F(WaveletHearingTest, AStackOfLuminanceFramesUsesItsPlane) {
    for (const bool luminance : {false, true}) {
        SCOPED_TRACE(luminance);
        StackResult result;
        result.outcome = StackOutcome::Stacked;
        result.luminanceStacked = luminance;
        PipelineTestAccess::keepStack(context.pipeline, std::move(result), false);
        EXPECT_EQ(check("Lumichannel").Checked(), luminance);
        EXPECT_EQ(control<TRxSlider>(page, "RedLRGBslider")->isEnabled(), !luminance);
    }
}

// A project's wavelet values, each to its own control.
TEST_F(WaveletHearingTest, AProjectsWaveletValuesAreShown) {
    editRun(context.pipeline).restoredWavelet = {{11, 12, 13, 14, 15, 16}, 3, 2, 1, 300, -40};
    PipelineTestAccess::announce(context.pipeline, PipelineChange::Wavelet);
    const WaveletLayerValues shown = page.layerValues();
    EXPECT_EQ(shown.layers, (std::array<int, 6>{11, 12, 13, 14, 15, 16}));
    EXPECT_EQ(shown.initial, 3);
    EXPECT_EQ(shown.step, 2);
    EXPECT_EQ(shown.scheme, 1);
    EXPECT_EQ(shown.contrast, 300);
    EXPECT_EQ(shown.brightness, -40);
}

}  // namespace
}  // namespace kestrave::test
