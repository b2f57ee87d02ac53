// "Process" on the wavelet page: a stack handed over in the image data section is composed and
// split into layers once, the layers follow the page's controls, failures leave the layers marked
// out of date, and the Final page follows each render.

#include <QMouseEvent>
#include <QPushButton>
#include <cmath>
#include <cstring>
#include <functional>

#include "enhance/wavelet_filter.h"
#include "persist/reg_settings.h"
#include "shell/controllers/shell_controller.h"
#include "shell/pages/final_page.h"
#include "shell/pages/named_control.h"
#include "shell/speed_bar.h"
#include "shell/tab_strip.h"
#include "wavelet_page_support.h"
#include "widgets/check_box.h"
#include "widgets/radio_group.h"
#include "widgets/slider.h"
#include "widgets/spin_edit.h"

namespace kestrave::test {

namespace {

// Largest |stack - (residual + layers 1..6)| over the processing area of channel c.
float reconstructionError(const ImageDataSection& images, int c) {
    float worst = 0.0f;
    for (int x = 0; x < images.ProcessAreaWidth; ++x) {
        for (int y = 0; y < images.ProcessAreaHeight; ++y) {
            const int ix = images.ProcessAreaX + x;
            const int iy = images.ProcessAreaY + y;
            float sum = images.WorkPlanes[c][ix][iy];
            for (int n = 1; n <= 6; ++n) sum += images.LayerPlanes[n][c][x][y];
            worst = std::max(worst, std::fabs(sum - images.StackPlanes[c][ix][iy]));
        }
    }
    return worst;
}

float largestMagnitude(const T2dArrays& plane, int width, int height) {
    float largest = 0.0f;
    for (int x = 0; x < width; ++x) {
        for (int y = 0; y < height; ++y) largest = std::max(largest, std::fabs(plane[x][y]));
    }
    return largest;
}

}  // namespace

TEST_F(WaveletPageTest, ProcessSplitsTheStackIntoLayersOnceAndShowsTheView) {
    setStack(64, 48, false);
    form->show();
    pieces(*form).Tabpages->setCurrentIndex(static_cast<int>(TMainTab::tabWavelet));
    control<QLabel>(*form, "Label22")->clear();
    control<TRxSpeedButton>(page, "Processbutton")->click();
    // The mark moves on to "Do All"; the memory in use is shown; the area's corner legs are drawn
    // in exclusive-or white.
    EXPECT_TRUE(marksNext("DoAll"));
    EXPECT_FALSE(control<QLabel>(*form, "Label22")->text().isEmpty());
    tick("Showprocessingarea");
    ASSERT_NE(picture(5, 0), qRgb(0, 0, 0));
    EXPECT_EQ(shown(5, 0), picture(5, 0) ^ 0xffffffu);
    tick("Showprocessingarea", false);

    EXPECT_FALSE(context.pipeline.state().LayersDirty);
    EXPECT_FALSE(context.shell.WaveletTabPending);
    EXPECT_FALSE(context.shell.WaveletPagePending);
    EXPECT_GT(largestMagnitude(images.LayerPlanes[1][1], 64, 48), 1.0f) << "a noisy stack has fine detail";
    EXPECT_LT(reconstructionError(images, 1), 1e-3f) << "layers and residual add up to the stack";
    EXPECT_EQ(largestMagnitude(images.LayerPlanes[1][0], 64, 48), 0.0f) << "monochrome: red untouched";
    EXPECT_EQ(control<QLabel>(page, "ProcessImage")->pixmap().size(), QSize(64, 48));
    // The design scheme is linear with step 1 and increment 0.
    EXPECT_EQ(control<TPCheck>(page, "Layer3checkbox")->Caption(), "3 : 1");
    // With the points shown, one box marks the feature in lime over the grey picture.
    editRun(context.pipeline).state.FeatureX = 32;
    editRun(context.pipeline).state.FeatureY = 24;
    editRun(context.pipeline).fft.FFTSize = 32;
    tick("Showalignpoints");
    EXPECT_EQ(shown(16, 24), qRgb(0, 255, 0));
    EXPECT_EQ(qRed(picture(16, 24)), qGreen(picture(16, 24)));

    // Layers that are up to date are not computed again.
    const float before = images.LayerPlanes[1][1][10][10];
    images.StackPlanes[1][10][10] += 100.0f;
    wavelet.ProcessButtonClick();
    EXPECT_EQ(images.LayerPlanes[1][1][10][10], before);
}

TEST_F(WaveletPageTest, ColourStacksSplitEveryChannelWithTheChosenSchemeAndFilter) {
    setStack(40, 40, true);
    control<TRadioGroup>(page, "Waveletscheme")->setItemIndex(0);  // dyadic
    control<TRadioGroup>(page, "Convolvemethod")->setItemIndex(1);
    control<QPushButton>(*tools.filter, "Gaussian")->click();  // builds the Gaussian and processes

    EXPECT_FALSE(context.pipeline.state().LayersDirty);
    for (int c = 0; c < 3; ++c) EXPECT_LT(reconstructionError(images, c), 1e-3f) << "channel " << c;
    EXPECT_EQ(control<TPCheck>(page, "layer6checkbox")->Caption(), "6 : 32");
    EXPECT_TRUE(control<QLabel>(*tools.filter, "CentreGaussian")->text().startsWith("centre :"));
}

TEST_F(WaveletPageTest, PlanesThatDoNotFitTheImageAreReportedAndTheLayersStayOutOfDate) {
    setStack(32, 32, false);
    editRun(context.pipeline).model.ImageWidth = 200;  // larger than the section was built for
    control<TRxSpeedButton>(page, "Processbutton")->click();

    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].caption, "Wavelet processing");
    EXPECT_EQ(messages.shown[0].dlgType, mtError);
    EXPECT_TRUE(context.pipeline.state().LayersDirty);
}

TEST_F(WaveletPageTest, StepChangesMarkTheLayersAndAskForProcessUntilSilenced) {
    setStack(32, 32, false);
    wavelet.ProcessButtonClick();
    messages.reply(mrOk, true);  // "Do not repeat this message"
    control<TRxSpinEdit>(page, "LevelStep")->setValue(3);

    EXPECT_TRUE(context.pipeline.state().LayersDirty);
    EXPECT_EQ(control<TPCheck>(page, "Layer2checkbox")->Caption(), "2 : 3");
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].caption, "Wavelet setup changed");
    EXPECT_EQ(messages.shown[0].text, "Press Process to update \n\r or set Autoprocess ");
    EXPECT_TRUE(messages.shown[0].showCheckBox);

    control<TRxSpinEdit>(page, "Multiplicant")->setValue(2);
    EXPECT_EQ(messages.shown.size(), 1u) << "silenced for the rest of the run";
    EXPECT_EQ(control<TPCheck>(page, "Layer2checkbox")->Caption(), "2 : 5");

    // With automatic processing the change is processed at once.
    control<TPCheck>(page, "Autoprocessbox")->setChecked(true);
    control<TRxSpinEdit>(page, "LevelStep")->setValue(1);
    EXPECT_FALSE(context.pipeline.state().LayersDirty);
    EXPECT_EQ(messages.shown.size(), 1u);
}

// A new step asks for Process only once a later page than the wavelet page may be opened; before
// that the step is silent (the layers are still marked out of date).
TEST_F(WaveletPageTest, TheStepAsksForProcessOnlyOnceThePagesBeyondTheWaveletPageOpen) {
    setStack(32, 32, false);
    wavelet.ProcessButtonClick();
    const struct {
        TMainTab highest;
        double step;
        std::size_t shown;
    } cases[] = {{TMainTab::tabStack, 2, 0}, {TMainTab::tabWavelet, 3, 0}, {TMainTab::tabFinal, 2, 1}};
    for (const auto& c : cases) {
        editRun(context.pipeline).state.activepage = c.highest;
        messages.shown.clear();
        control<TRxSpinEdit>(page, "LevelStep")->setValue(c.step);
        EXPECT_TRUE(context.pipeline.state().LayersDirty);
        EXPECT_EQ(messages.shown.size(), c.shown) << static_cast<int>(c.highest);
    }
}

TEST_F(WaveletPageTest, TheKernelGoesIntoUseWithSetAndResetRestoresTheDesignKernel) {
    WaveletFilterPanel& filter = *tools.filter;
    control<TRxSpinEdit>(filter, "Filter22")->setValue(0);
    EXPECT_EQ(control<QLabel>(filter, "Waveletcentrelabel")->text(), "Wavelet centre: 0");
    control<QPushButton>(filter, "Setwaveletbutton")->click();
    EXPECT_FLOAT_EQ(context.pipeline.wavelet().filter.WaveletKernel5x5[kernelIndex(0, 0)], 0.0f);
    EXPECT_FLOAT_EQ(context.pipeline.wavelet().filter.WaveletKernel5x5[kernelIndex(1, 0)], 6.0f / 48.0f);
    EXPECT_EQ(control<QLabel>(filter, "CentreWavelet")->text(), "centre :0 %");

    control<QPushButton>(filter, "ResetWaveletbutton")->click();
    EXPECT_EQ(control<TRxSpinEdit>(filter, "Filter22")->Value(), 50);
    EXPECT_EQ(control<TRxSpinEdit>(filter, "Filter00")->Value(), 0);
    EXPECT_EQ(control<QLabel>(filter, "CentreWavelet")->text(), "centre :51 %");
    EXPECT_EQ(control<TRadioGroup>(page, "Convolvemethod")->ItemIndex(), 0);

    // "Set Gaussian" and "Set" choose their filter as the radio does: widths and copy follow.
    for (const char* button : {"Gaussian", "Setwaveletbutton"}) {
        const bool gaussian = button == std::string("Gaussian");
        control<QPushButton>(filter, button)->click();
        EXPECT_EQ(control<TRadioGroup>(page, "CopyConvolveMethod")->ItemIndex(), gaussian ? 1 : 0);
        EXPECT_EQ(control<TRxSpinEdit>(page, "Gausslayer3")->isHidden(), !gaussian);
    }
}

TEST_F(WaveletPageTest, SetLayersWritesTheSixWidthsAndBuildsTheGaussianOnce) {
    WaveletFilterPanel& filter = *tools.filter;
    {
        const QSignalBlocker quiet(control<TRxSpinEdit>(filter, "Gaussstep"));
        control<TRxSpinEdit>(filter, "Gaussstep")->setValue(1.0);
    }
    control<TRxSpinEdit>(filter, "Gauss")->setValue(0.2);  // its change runs "Set layers"

    EXPECT_NEAR(static_cast<double>(control<TRxSpinEdit>(page, "Gausslayer1")->Value()), 0.2, 1e-9);
    EXPECT_NEAR(static_cast<double>(control<TRxSpinEdit>(page, "Gausslayer6")->Value()), 1.2, 1e-9);
    EXPECT_EQ(control<TRadioGroup>(page, "Convolvemethod")->ItemIndex(), 1);
    EXPECT_TRUE(context.pipeline.state().LayersDirty) << "no stack to process yet";
    EXPECT_GT(context.pipeline.wavelet().filter.LayerHalfWidth[6],
              context.pipeline.wavelet().filter.LayerHalfWidth[1]);
}

TEST_F(WaveletPageTest, ChoosingTheGaussianShowsTheWidthsAndTheTabBringsTheCopyBack) {
    control<TRadioGroup>(page, "Convolvemethod")->button(1)->click();
    EXPECT_FALSE(control<TRxSpinEdit>(page, "Gausslayer3")->isHidden());
    EXPECT_EQ(control<TRadioGroup>(page, "CopyConvolveMethod")->ItemIndex(), 1);

    control<TRadioGroup>(page, "Convolvemethod")->setItemIndex(0);  // moved without its handler
    editRun(context.pipeline).state.activepage = TMainTab::tabFinal;
    pieces(*form).Tabpages->setCurrentIndex(3);
    EXPECT_EQ(control<TRadioGroup>(page, "Convolvemethod")->ItemIndex(), 1);
}

TEST_F(WaveletPageTest, AChangedProcessingAreaMarksTheLayersOutOfDate) {
    setStack(300, 200, false);
    wavelet.ProcessButtonClick();
    control<QComboBox>(page, "Processarea")->setCurrentIndex(4);
    emit control<QComboBox>(page, "Processarea")->activated(4);

    EXPECT_EQ(images.ProcessAreaSize, 128);
    EXPECT_EQ(images.ProcessAreaWidth, 128);
    EXPECT_TRUE(context.pipeline.state().LayersDirty);
    wavelet.ProcessButtonClick();
    EXPECT_LT(reconstructionError(images, 1), 1e-3f);
}

TEST_F(WaveletPageTest, HoldingALayerButtonShowsTheLayerAndReleasingItRestoresTheView) {
    setStack(48, 48, false);
    wavelet.ProcessButtonClick();
    const Bitmap24 rendered = context.pipeline.wavelet().ProcessPicture;

    emit control<QPushButton>(page, "layer1button")->pressed();
    const Bitmap24& shown = wavelet.shownPicture();
    bool differs = false;
    for (int y = 0; y < 48 && !differs; ++y)
        differs = std::memcmp(shown.row(y), rendered.row(y), 48 * 3) != 0;
    EXPECT_TRUE(differs);
    EXPECT_EQ(shown.pixel(20, 20)[0], 0) << "blue stays 0 in the layer view";
    // The layer is shown over a copy: the run's processed picture (what a save writes) stays.
    for (int y = 0; y < 48; ++y)
        ASSERT_EQ(std::memcmp(context.pipeline.wavelet().ProcessPicture.row(y), rendered.row(y), 48 * 3), 0)
            << "row " << y;

    emit control<QPushButton>(page, "layer1button")->released();
    {
        const Bitmap24& shown = wavelet.shownPicture();
        for (int y = 0; y < 48; ++y)
            ASSERT_EQ(std::memcmp(shown.row(y), rendered.row(y), 48 * 3), 0) << "row " << y;
    }
}

TEST_F(WaveletPageTest, ACheckBoxEnablesItsSliderAndAutoprocessLocksTheProcessButton) {
    setStack(32, 32, false);
    control<TPCheck>(page, "layer5checkbox")->setChecked(false);
    wavelet.layerCheckboxClick(5);
    EXPECT_FALSE(control<TRxSlider>(page, "Layer5slider")->isEnabled());
    EXPECT_FALSE(context.pipeline.state().LayersDirty);

    // The window's settings store, opened by start-up in the program's folder.
    context.regSettings = std::make_unique<RegSettings>();
    control<TPCheck>(page, "Autoprocessbox")->setChecked(true);
    wavelet.AutoprocessboxClick();
    EXPECT_FALSE(control<TRxSpeedButton>(page, "Processbutton")->isEnabled());
    EXPECT_TRUE(context.shell.AutoProcess);
    RegSettings stored;
    EXPECT_TRUE(stored.ReadBool("Settings", "Autoprocess", false));
}

}  // namespace kestrave::test

namespace kestrave::test {

TEST_F(WaveletPageTest, LayerSlidersRenderWithTheirWeightsWhenTheMoveEnds) {
    setStack(48, 48, false);
    wavelet.ProcessButtonClick();
    const float residual = images.WorkPlanes[1][20][20];
    const float layer1 = images.LayerPlanes[1][1][20][20];
    float all = residual;
    for (int n = 1; n <= 6; ++n) all += images.LayerPlanes[n][1][20][20];
    EXPECT_NEAR(images.LayerPlanes[0][1][20][20], all, 1e-3f) << "weights 1.0 give the stack back";

    control<TRxSlider>(page, "Layer1slider")
        ->setValue(125);  // a drag: no render without automatic processing
    EXPECT_EQ(control<QPushButton>(page, "layer1button")->text(), "12.5");
    EXPECT_NEAR(images.LayerPlanes[0][1][20][20], all, 1e-3f);
    emit control<TRxSlider>(page, "Layer1slider")->OnChanged(control<TRxSlider>(page, "Layer1slider"));
    EXPECT_NEAR(images.LayerPlanes[0][1][20][20], all + 11.5f * layer1, 1e-2f);

    control<TPCheck>(page, "Autoprocessbox")->setChecked(true);
    for (TPCheck* check : page.layerCheckboxes()) check->setChecked(false);
    control<TRxSlider>(page, "Layer2slider")->setValue(0);
    EXPECT_FLOAT_EQ(images.LayerPlanes[0][1][20][20], residual) << "no layer checked: the residual";
    EXPECT_EQ(context.pipeline.state().WholeImageArea, true) << "the area covers the 48 × 48 image";
}

// The Final page's picture follows each render on the wavelet page while it shows: what it shows
// after the render is what opening it afresh computes.
TEST_F(WaveletPageTest, TheFinalPageFollowsEachRenderWhileItShows) {
    setStack(48, 48, false);
    wavelet.ProcessButtonClick();
    form->show();
    const auto openFinalPage = [&] {
        pieces(*form).shell->selectTab(static_cast<int>(TMainTab::tabWavelet));
        pieces(*form).shell->selectTab(static_cast<int>(TMainTab::tabFinal));
    };
    openFinalPage();
    const QLabel& finalPicture = *control<QLabel>(*form, "RotateImage");
    const std::vector<std::pair<const char*, std::function<void()>>> renders{
        {"a layer slider",
         [&] {
             control<TRxSlider>(page, "Layer1slider")->setValue(400);
             emit control<TRxSlider>(page, "Layer1slider")
                 ->OnChanged(control<TRxSlider>(page, "Layer1slider"));
         }},
        {"Do All",
         [&] {
             control<TRxSlider>(page, "Layer1slider")->setValue(20);
             control<TRxSpeedButton>(page, "DoAll")->click();
         }},
    };
    for (const auto& [name, render] : renders) {
        const QImage before = finalPicture.pixmap().toImage();
        render();
        const QImage followed = finalPicture.pixmap().toImage();
        openFinalPage();
        EXPECT_NE(followed, before) << name;
        EXPECT_EQ(followed, finalPicture.pixmap().toImage()) << name;
    }
}

// The zoom window follows each render (a layer slider, Do All) at once, anchored with Ctrl or
// following the pointer: it shows the square around its centre as the view now shows it.
TEST_F(WaveletPageTest, TheZoomWindowFollowsEachRenderWithoutAPointerMove) {
    setStack(200, 160, false);
    wavelet.ProcessButtonClick();
    QLabel& view = *control<QLabel>(page, "ProcessImage");
    const QLabel& zoom = *control<QLabel>(*form, "Zoomimage2");
    TPCheck& zoomBox = *control<TPCheck>(page, "ZoomWavelet");
    EXPECT_EQ(zoomBox.Caption(), "Show Zoomed");
    zoomBox.setChecked(true);
    emit zoomBox.OnClick(&zoomBox);
    const auto moveTo = [&](QPoint at, Qt::KeyboardModifiers keys) {
        QMouseEvent event(QEvent::MouseMove, at, view.mapToGlobal(at), Qt::NoButton, Qt::NoButton, keys);
        QApplication::sendEvent(&view, &event);
    };
    // What the window should show: the 128-pixel square around `centre`, enlarged to 250.
    const auto squareAround = [&](QPoint centre) {
        return view.pixmap().copy(centre.x() - 64, centre.y() - 64, 128, 128).scaled(250, 250).toImage();
    };
    int weight = 10;
    const std::vector<std::pair<const char*, std::function<void()>>> renders{
        {"a layer slider",
         [&] {
             TRxSlider& slider = *control<TRxSlider>(page, "Layer1slider");
             slider.setValue(weight += 60);
             emit slider.OnChanged(&slider);
         }},
        {"Do All",
         [&] {
             control<TRxSlider>(page, "Layer1slider")->setValue(weight += 60);
             control<TRxSpeedButton>(page, "DoAll")->click();
         }},
    };
    struct Road {
        const char* name;
        QPoint centre;
        // The pointer's last move, after which nothing moves until the renders.
        std::function<void()> moves;
    };
    const Road roads[] = {
        {"following the pointer",
         {90, 80},
         [&] {
             moveTo({90, 80}, Qt::NoModifier);
         }},
        {"anchored with Ctrl",
         {110, 70},
         [&] {
             moveTo({110, 70}, Qt::ControlModifier);
             moveTo({70, 90}, Qt::NoModifier);
         }},
    };
    for (const Road& road : roads) {
        road.moves();
        ASSERT_EQ(zoom.pixmap().toImage(), squareAround(road.centre)) << road.name;
        for (const auto& [name, render] : renders) {
            const QImage before = zoom.pixmap().toImage();
            render();
            EXPECT_NE(zoom.pixmap().toImage(), before) << road.name << ", " << name;
            EXPECT_EQ(zoom.pixmap().toImage(), squareAround(road.centre)) << road.name << ", " << name;
        }
    }
}

TEST_F(WaveletPageTest, ContrastAndBrightnessKeepTheirLevelSpinsInStep) {
    setStack(32, 32, false);
    wavelet.ProcessButtonClick();
    control<TRxSlider>(page, "ContrastSlider")->setValue(500);
    emit control<TRxSlider>(page, "ContrastSlider")->OnChanged(control<TRxSlider>(page, "ContrastSlider"));
    EXPECT_EQ(control<TRxSpinEdit>(page, "Contrastlevel")->Value(), 200);

    control<TRxSpinEdit>(page, "Brightnesslevel")->setValue(-20);
    EXPECT_EQ(control<TRxSlider>(page, "BrightnessSlider")->Value(), -80);
    control<TRxSpeedButton>(page, "Contrastreset")->click();
    EXPECT_EQ(control<TRxSlider>(page, "ContrastSlider")->Value(), 250);
    EXPECT_EQ(control<TRxSlider>(page, "BrightnessSlider")->Value(), 0);
    EXPECT_EQ(control<TRxSpinEdit>(page, "Brightnesslevel")->Value(), 0);
}

TEST_F(WaveletPageTest, DoAllProcessesAnImageLargerThanTheAreaInTiles) {
    setStack(300, 200, false);
    control<QComboBox>(page, "Processarea")->setCurrentIndex(4);
    wavelet.ProcessareaChange();
    control<TRxSpeedButton>(page, "DoAll")->click();

    EXPECT_TRUE(context.pipeline.state().DoAllDone);
    EXPECT_TRUE(context.pipeline.state().WholeImageArea);
    EXPECT_FALSE(context.pipeline.state().LayersDirty);
    EXPECT_EQ(pieces(*form).StatusPanels[2]->text(), "Do_all processing finished");
    // A corner far from the user's area was rendered too: it is no longer the (black) stack view.
    bool rendered = false;
    for (int x = 280; x < 300 && !rendered; ++x)
        rendered = context.pipeline.wavelet().ProcessPicture.pixel(x, 190)[1] != 0;
    EXPECT_TRUE(rendered);

    // Cancelled during the first tile: the bar stays where the tiles stopped (in a window shown).
    form->show();
    QMetaObject::invokeMethod(pieces(*form).Speedbar->Cancelbutton, &QAbstractButton::click,
                              Qt::QueuedConnection);
    messages.reply(mrYes);
    control<TRxSpeedButton>(page, "DoAll")->click();
    EXPECT_EQ(pieces(*form).StatusPanels[2]->text(), "Do_all processing cancelled");
    EXPECT_EQ(pieces(*form).ProgressBar1->value(), 1);
}

}  // namespace kestrave::test
