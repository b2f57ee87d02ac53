// The channel controls of the wavelet page: the shift spins and nudges move the red and blue
// planes in the working image, the search finds a known displacement, and the mix, balance,
// luminance, gamma and tone controls reach the values the core reads.

#include <QApplication>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>
#include <random>
#include <vector>

#include "frames/program_state.h"
#include "shell/pages/named_control.h"
#include "shell/tab_strip.h"
#include "wavelet_page_support.h"
#include "widgets/check_box.h"
#include "widgets/slider.h"
#include "widgets/spin_edit.h"

namespace kestrave::test {

TEST_F(WaveletPageTest, TheShiftSpinsMoveTheirChannelInTheWorkingImage) {
    setStack(40, 30, true);
    wavelet.ProcessButtonClick();
    control<TRxSpinEdit>(page, "RDXSpin")->setValue(-3);  // red work pixel x comes from stack pixel x + 3
    control<QPushButton>(page, "upl")->click();           // red one row down the stack: RdySpin 1
    control<TRxSpinEdit>(page, "BDYSpin")->setValue(-2);

    EXPECT_EQ(context.pipeline.state().RedShiftX, 3);
    EXPECT_EQ(context.pipeline.state().RedShiftY, 1);
    EXPECT_EQ(context.pipeline.state().BlueShiftY, -2);
    EXPECT_TRUE(context.pipeline.state().LayersDirty);
    const auto& work = images.WorkPlanes;
    const auto& stack = images.StackPlanes;
    EXPECT_EQ(work[0][5][7], stack[0][8][8]);
    EXPECT_EQ(work[0][36][28], stack[0][39][29]);
    EXPECT_EQ(work[0][37][10], 0.0f) << "source outside the image";
    EXPECT_EQ(work[0][10][29], 0.0f);
    EXPECT_EQ(work[2][10][10], stack[2][10][8]);
    EXPECT_EQ(work[2][10][1], 0.0f);
    EXPECT_EQ(work[1][12][13], stack[1][12][13]) << "green stays in place";

    control<TRxSpeedButton>(page, "resetrgbbutton")->click();
    EXPECT_EQ(context.pipeline.state().RedShiftX, 0);
    EXPECT_EQ(context.pipeline.state().BlueShiftY, 0);
    EXPECT_EQ(work[0][5][7], stack[0][5][7]);
}

TEST_F(WaveletPageTest, TheSearchFindsTheDisplacementOfRedAndBlueAndShowsItInTheSpins) {
    setStack(128, 128, true);
    // Green: seeded noise; red is green displaced by (3, -2), blue by (-1, 4).
    std::mt19937 random(11);
    std::uniform_real_distribution<float> value(0.0f, 255.0f);
    std::vector<std::vector<float>> field(140, std::vector<float>(140));
    for (auto& column : field) {
        for (float& cell : column) cell = value(random);
    }
    const auto pattern = [&field](int u, int v) { return field[u + 6][v + 6]; };
    for (int x = 0; x < 128; ++x) {
        for (int y = 0; y < 128; ++y) {
            images.StackPlanes[1][x][y] = pattern(x, y);
            images.StackPlanes[0][x][y] = pattern(x - 3, y + 2);
            images.StackPlanes[2][x][y] = pattern(x + 1, y - 4);
        }
    }
    editRun(context.pipeline).state.FeatureX = 64;
    editRun(context.pipeline).state.FeatureY = 64;
    control<TRxSpeedButton>(page, "RGBShifter")->click();

    EXPECT_EQ(context.pipeline.state().RedShiftX, 3);
    EXPECT_EQ(context.pipeline.state().RedShiftY, -2);
    EXPECT_EQ(context.pipeline.state().BlueShiftX, -1);
    EXPECT_EQ(context.pipeline.state().BlueShiftY, 4);
    EXPECT_EQ(control<TRxSpinEdit>(page, "RDXSpin")->Value(), -3);
    EXPECT_EQ(control<TRxSpinEdit>(page, "RdySpin")->Value(), -2);
    EXPECT_EQ(control<TRxSpinEdit>(page, "BDXspin")->Value(), 1);
    EXPECT_EQ(control<TRxSpinEdit>(page, "BDYSpin")->Value(), 4);
    EXPECT_EQ(images.WorkPlanes[0][50][50], images.StackPlanes[1][50][50]) << "red now lines up with green";
}

TEST_F(WaveletPageTest, TheColourAreaIsDraggedOutThenMovedWholeWithTheFeatureFollowing) {
    setStack(128, 128, true);
    wavelet.ProcessButtonClick();
    const auto moveTo = [&](QPoint at) {
        QMouseEvent event(QEvent::MouseMove, at, control<QLabel>(page, "ProcessImage")->mapToGlobal(at),
                          Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(control<QLabel>(page, "ProcessImage"), &event);
    };
    // The user ticks a mode box.
    const auto tick = [](TPCheck& box) {
        box.setChecked(true);
        emit box.OnClick(&box);
    };
    const TCornerRect& area = context.shell.view.RGBArea;
    tick(*control<TPCheck>(page, "RGBshiftset"));
    QTest::mousePress(control<QLabel>(page, "ProcessImage"), Qt::LeftButton, Qt::NoModifier, QPoint(20, 30));
    moveTo(QPoint(60, 50));
    EXPECT_EQ(area.X2, 60) << "the far corner follows the drag";
    EXPECT_EQ(shown(20, 40), picture(20, 40) ^ 0xffffffu) << "the band in exclusive-or white";
    QTest::mouseRelease(control<QLabel>(page, "ProcessImage"), Qt::LeftButton, Qt::NoModifier,
                        QPoint(61, 51));
    EXPECT_EQ(area.X1, 20);
    EXPECT_EQ(area.Y1, 30);
    EXPECT_EQ(area.X2, 61);
    EXPECT_EQ(area.Y2, 51);
    EXPECT_FALSE(control<TPCheck>(page, "RGBshiftset")->Checked());

    // Moved, the area keeps its half sizes (20, 10) around the pointer.
    tick(*control<TPCheck>(page, "setrgbareacheckbox"));
    moveTo(QPoint(100, 80));
    EXPECT_EQ(area.X1, 80);
    EXPECT_EQ(area.Y1, 70);
    EXPECT_EQ(area.X2, 120);
    EXPECT_EQ(area.Y2, 90);
    EXPECT_EQ(context.pipeline.state().FeatureX, 100);
    EXPECT_EQ(context.pipeline.state().FeatureY, 80);
    // The box follows the pointer in exclusive-or green, "Show Area" ticked or not.
    ASSERT_FALSE(control<TPCheck>(page, "RGBshiftactive")->Checked());
    moveTo(QPoint(64, 64));
    EXPECT_EQ(shown(44, 64), picture(44, 64) ^ 0x008000u);

    // Defining a new area starts from none.
    tick(*control<TPCheck>(page, "RGBshiftset"));
    EXPECT_EQ(area.X1, -1);
}

TEST_F(WaveletPageTest, TheMixAndTheLuminanceControlsChangeTheComposition) {
    setStack(32, 32, true);
    wavelet.ProcessButtonClick();
    control<TPCheck>(page, "LRGB2")->setChecked(true);
    wavelet.LRGB2Click();
    EXPECT_FALSE(control<QGroupBox>(page, "LRGBmixer")->isHidden());
    EXPECT_TRUE(context.pipeline.state().LayersDirty) << "the working image is composed another way";
    // The Align page's box and this page's are kept equal both ways.
    EXPECT_TRUE(control<TPCheck>(*form, "LRGB")->Checked());
    tick("LRGB", false);
    EXPECT_FALSE(control<TPCheck>(page, "LRGB2")->Checked());
    EXPECT_TRUE(control<QGroupBox>(page, "LRGBmixer")->isHidden());
    tick("LRGB");

    control<TRxSlider>(page, "RedLRGBslider")->setValue(1);
    control<TRxSlider>(page, "GreenLRGBSlider")->setValue(1);
    control<TRxSlider>(page, "BlueLRGBSlider")->setValue(2);
    wavelet.RedLRGBsliderChanged();
    EXPECT_FLOAT_EQ(context.pipeline.state().LRGBWeights[2], 0.5f);
    EXPECT_FALSE(context.pipeline.state().LayersDirty);
    const float mixed = 0.25f * images.StackPlanes[0][9][9] + 0.25f * images.StackPlanes[1][9][9] +
                        0.5f * images.StackPlanes[2][9][9];
    float sum = images.WorkPlanes[1][9][9];
    for (int n = 1; n <= 6; ++n) sum += images.LayerPlanes[n][1][9][9];
    EXPECT_NEAR(sum, mixed, 1e-3f);

    control<TRxSpinEdit>(page, "RxSpinEdit1")->setValue(0.5);
    EXPECT_FLOAT_EQ(context.pipeline.state().LumWeights[0], 0.5f + 0.000001f);
    control<TRxSpeedButton>(page, "Resetluminanceformula")->click();
    EXPECT_FLOAT_EQ(context.pipeline.state().LumWeights[0], 0.299f + 0.000001f);
}

TEST_F(WaveletPageTest, BalanceGammaAndToneControlsReachTheRenderValues) {
    RgbBalancePanel& balance = *tools.rgbBalance;
    control<TRxSpinEdit>(balance, "Gbalance")->setValue(0.5);
    control<TRxSlider>(balance, "RedSlider")->setValue(40);
    EXPECT_FLOAT_EQ(context.pipeline.state().RGBBalance[1], 0.5f);
    control<QPushButton>(balance, "resethisto1button")->click();
    EXPECT_FLOAT_EQ(context.pipeline.state().RGBBalance[1], 1.0f);
    EXPECT_EQ(control<TRxSlider>(balance, "RedSlider")->Value(), 0);

    TRxSpinEdit& gamma = *control<TRxSpinEdit>(*tools.gamma, "Gamma1spin");
    gamma.setValue(2.0);
    EXPECT_NEAR((*context.pipeline.wavelet().GammaTable)[7500], 0.5, 1e-3);
    gamma.setText("0");
    EXPECT_EQ(gamma.Value(), 1.0) << "a gamma of 0 is refused";
    EXPECT_NEAR((*context.pipeline.wavelet().GammaTable)[30000], 1.0, 1e-5);

    TonemapPanel& tonemap = *tools.tonemap;
    control<TRxSlider>(tonemap, "RxSlider2")->setValue(1500);
    control<TRxSpinEdit>(tonemap, "RxSpinEdit5")->setValue(0.5);
    EXPECT_EQ(control<TRxSpinEdit>(tonemap, "RxSpinEdit8")->Value(), 502);
}

TEST_F(WaveletPageTest, AClickOnTheProcessedViewCentresTheAreaAndTheReleaseComputesIt) {
    setStack(300, 200, false);
    control<QComboBox>(page, "Processarea")->setCurrentIndex(4);
    wavelet.ProcessareaChange();  // 128 × 128
    wavelet.ProcessButtonClick();
    editRun(context.pipeline).state.LayersDirty = false;
    form->show();
    pieces(*form).Tabpages->setCurrentIndex(static_cast<int>(TMainTab::tabWavelet));
    page.markNextButton(nullptr);

    QTest::mouseClick(control<QLabel>(page, "ProcessImage"), Qt::LeftButton, Qt::NoModifier,
                      QPoint(150, 100));
    EXPECT_TRUE(marksNext("DoAll")) << "the release marks Do All as the next button";
    EXPECT_EQ(context.pipeline.state().FeatureX, 150);
    EXPECT_EQ(images.ProcessAreaX, 86);
    EXPECT_EQ(images.ProcessAreaY, 36);
    float sum = images.WorkPlanes[1][100][70];
    for (int n = 1; n <= 6; ++n) sum += images.LayerPlanes[n][1][100 - 86][70 - 36];
    EXPECT_NEAR(sum, images.StackPlanes[1][100][70], 1e-3f) << "the layers belong to the new area";

    // Near the edge the area stays whole inside the image.
    QTest::mouseClick(control<QLabel>(page, "ProcessImage"), Qt::LeftButton, Qt::NoModifier,
                      QPoint(290, 190));
    EXPECT_EQ(images.ProcessAreaX, 300 - 128);
    EXPECT_EQ(images.ProcessAreaY, 200 - 128);

    QMouseEvent move(QEvent::MouseMove, QPointF(20, 30), QPointF(20, 30), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(control<QLabel>(page, "ProcessImage"), &move);
    EXPECT_EQ(pieces(*form).StatusPanels[3]->text().left(16), "pixel x:20 y:30 ");
}

}  // namespace kestrave::test
