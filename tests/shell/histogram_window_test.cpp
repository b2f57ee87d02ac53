// The histogram windows and the slider shortcuts of the wavelet page, driven through their
// controls: the curves and level labels after a render, the automatic colour balance from the
// "RGB balance" window, a double click on a layer slider and the arrow keys on the contrast
// slider.

#include <QLineSeries>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <vector>

#include "shell/pages/named_control.h"
#include "wavelet_page_support.h"
#include "widgets/check_box.h"
#include "widgets/slider.h"
#include "widgets/spin_edit.h"

namespace kestrave::test {

namespace {

std::vector<std::uint8_t> pictureBytes(const Bitmap24& picture) {
    return {picture.bits(), picture.bits() + picture.byteCount()};
}

double curveAt(const QLineSeries& series, int bin) {
    return series.at(bin - 1).y();
}

}  // namespace

struct HistogramWindowTest : WaveletPageTest {
    // A stack whose channels are flat at the given values: every displayed pixel shows them.
    void flatStack(int width, int height, bool colour, float red, float green, float blue) {
        setStack(width, height, colour);
        const float values[] = {red, green, blue};
        for (int c = 0; c < 3; ++c)
            for (int x = 0; x < width; ++x)
                for (int y = 0; y < height; ++y) images.StackPlanes[c][x][y] = values[c];
    }
};

TEST_F(HistogramWindowTest, TheHistogramWindowShowsTheSmoothedCurvesAndTheLevelsAfterARender) {
    // 40 × 30 grey pixels at 100: the display maps them onto byte 100.
    flatStack(40, 30, false, 100.0f, 100.0f, 100.0f);
    control<TRxSpeedButton>(page, "Processbutton")->click();
    EXPECT_EQ(control<HistogramView>(*form, "HistogramView")->series[1]->count(), 0)
        << "nothing drawn while no histogram window shows";

    control<TRxSpeedButton>(page, "Histogramspeedbutton")->click();  // opens the window and renders
    ASSERT_TRUE(pieces(*form).tools.HistoWindow->isVisible());
    // Smoothing 5: the 1200 pixels of bin 100 spread evenly over the 11 bins 95..105. A grey
    // picture counts the same in all four histograms.
    for (QLineSeries* series : {control<HistogramView>(*form, "HistogramView")->series[0],
                                control<HistogramView>(*form, "HistogramView")->series[1],
                                control<HistogramView>(*form, "HistogramView")->series[2],
                                control<HistogramView>(*form, "HistogramView")->series[3]}) {
        ASSERT_EQ(series->count(), 255) << series->objectName().toStdString();
        EXPECT_DOUBLE_EQ(series->at(0).x(), 1.0);
        EXPECT_DOUBLE_EQ(curveAt(*series, 95), 1200.0 / 11);
        EXPECT_DOUBLE_EQ(curveAt(*series, 105), 1200.0 / 11);
        EXPECT_EQ(curveAt(*series, 94), 0.0);
        EXPECT_EQ(curveAt(*series, 106), 0.0);
    }
    EXPECT_EQ(control<HistogramView>(*form, "HistogramView")->series[0]->color(), QColor(Qt::red));
    EXPECT_EQ(control<QLabel>(*form, "Label4")->text(), "  lo: 0");
    EXPECT_EQ(control<QLabel>(*form, "Label1")->text(), "  hi: 255");

    // A new smoothing redraws the curves: 1200 over the three bins 99..101.
    control<TRxSpinEdit>(*form, "HistoSmoother")->setValue(1);
    EXPECT_DOUBLE_EQ(curveAt(*control<HistogramView>(*form, "HistogramView")->series[1], 101), 400.0);
    EXPECT_EQ(curveAt(*control<HistogramView>(*form, "HistogramView")->series[1], 102), 0.0);
}

TEST_F(HistogramWindowTest, AutomaticBalanceFromTheRgbWindowMovesRedAndBlueOntoGreen) {
    // Channel means 100, 150, 130: red is raised by 50 and blue by 20, green stays.
    flatStack(40, 30, true, 100.0f, 150.0f, 130.0f);
    control<TRxSpeedButton>(page, "Processbutton")->click();
    control<TRxSpeedButton>(page, "RGBbalancespeedbutton")->click();
    control<QPushButton>(*form, "Autobalancebutton")->click();

    const RgbBalancePanel& balance = *tools.rgbBalance;
    EXPECT_EQ(control<TRxSlider>(balance, "RedSlider")->Value(), 50);
    EXPECT_EQ(control<TRxSlider>(balance, "GreenSlider")->Value(), 0);
    EXPECT_EQ(control<TRxSlider>(balance, "blueslider")->Value(), 20);
    EXPECT_FALSE(control<TPCheck>(*form, "Autobalance")->Checked());
    // The second pass rendered with the balanced offsets: the picture is grey at 150.
    const std::uint8_t* pixel = context.pipeline.wavelet().ProcessPicture.pixel(20, 15);
    EXPECT_EQ(pixel[0], 150);
    EXPECT_EQ(pixel[1], 150);
    EXPECT_EQ(pixel[2], 150);
    EXPECT_EQ(control<HistogramView>(*form, "RGBHistogramView")->levelLo->text(), "  lo: 0");
}

TEST_F(HistogramWindowTest, TheChannelTwinsChooseWhatTheProcessedViewShows) {
    flatStack(40, 30, true, 100.0f, 150.0f, 130.0f);
    control<TRxSpeedButton>(page, "Processbutton")->click();
    QTest::mouseClick(control<TPCheck>(*form, "Redshow"), Qt::LeftButton);
    EXPECT_FALSE(control<TPCheck>(page, "Showred")->Checked());
    EXPECT_EQ(context.pipeline.wavelet().ProcessPicture.pixel(20, 15)[2], 0) << "rendered without red";
    EXPECT_EQ(context.pipeline.wavelet().ProcessPicture.pixel(20, 15)[1], 150);
}

TEST_F(HistogramWindowTest, ADoubleClickOnALayerSliderGivesWeightOneAndRendersAgain) {
    setStack(40, 30, false);
    control<TRxSpeedButton>(page, "Processbutton")->click();
    const auto unitWeights = pictureBytes(context.pipeline.wavelet().ProcessPicture);
    TRxSlider& slider = *control<TRxSlider>(page, "Layer2slider");
    slider.setValue(300);
    wavelet.Layer1sliderChanged();
    ASSERT_NE(pictureBytes(context.pipeline.wavelet().ProcessPicture), unitWeights);

    // The user's double click on the thumb: press and release, then the second press and its
    // release.
    const QPoint thumb = slider.thumbRect().center();
    QTest::mouseClick(&slider, Qt::LeftButton, {}, thumb);
    QTest::mouseDClick(&slider, Qt::LeftButton, {}, thumb);
    QTest::mouseRelease(&slider, Qt::LeftButton, {}, thumb);
    EXPECT_EQ(slider.Value(), 10);
    EXPECT_EQ(control<QPushButton>(page, "layer2button")->text(), "1.0");
    EXPECT_EQ(pictureBytes(context.pipeline.wavelet().ProcessPicture), unitWeights);
}

TEST_F(HistogramWindowTest, ArrowsMoveTheContrastSliderByTenAndWithCtrlByOne) {
    setStack(40, 30, false);
    control<TRxSpeedButton>(page, "Processbutton")->click();
    TRxSlider& contrast = *control<TRxSlider>(page, "ContrastSlider");
    QTest::keyClick(&contrast, Qt::Key_Right);
    EXPECT_EQ(contrast.Value(), 260);
    QTest::keyClick(&contrast, Qt::Key_Right, Qt::ControlModifier);
    EXPECT_EQ(contrast.Value(), 261);
    EXPECT_EQ(control<TRxSpinEdit>(page, "Contrastlevel")->Value(), 104)
        << "the step was rendered: the level spin follows";
    QTest::keyClick(&contrast, Qt::Key_Left, Qt::ControlModifier);
    QTest::keyClick(&contrast, Qt::Key_Left, Qt::ShiftModifier);
    EXPECT_EQ(contrast.Value(), 250);
    QTest::keyClick(control<TRxSlider>(page, "BrightnessSlider"), Qt::Key_Left, Qt::ControlModifier);
    EXPECT_EQ(control<TRxSlider>(page, "BrightnessSlider")->Value(), -1);
}

}  // namespace kestrave::test
