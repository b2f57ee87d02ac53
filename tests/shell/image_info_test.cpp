// The processing-info tag: built from the image-info window's choices, shown in the window that
// the "ImageInfo" item toggles, rebuilt by every render once the window has been used, and
// proposed as the save dialogs' file name when "Use Imageinfo" is ticked.

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include "shell/image_info_tag.h"
#include "shell/pages/named_control.h"
#include "shell/speed_bar.h"
#include "wavelet_page_support.h"
#include "widgets/check_box.h"
#include "widgets/slider.h"

namespace kestrave::test {

TEST(ProcessingInfoTag, NamesTheSettingsTheWindowAsksFor) {
    ImageInfoTagOptions example;
    example.Objectname = "Jup";
    example.Datetime = "0412";
    example.Showstacksize = true;
    example.StackSlider = 150;
    example.ShowWaveletscheme = true;
    example.Showwaveletvalues = true;
    example.scheme.layerChecked = {true, true, true, false, true, true};
    example.Showcontrastbrightness = true;

    ImageInfoTagOptions linear;
    linear.Objectname = "Sat";
    linear.Datetime = "x";
    linear.ShowWaveletscheme = true;
    linear.scheme.Waveletscheme = TWaveletScheme::Linear;
    linear.scheme.LevelStep = 2.0;
    linear.scheme.Multiplicant = 3.0;
    linear.scheme.Convolvemethod = TConvolveMethod::Gaussian;
    linear.Showcontrastbrightness = true;
    linear.ContrastSlider = 1000;  // factor 4.0
    linear.BrightnessSlider = 10;  // 2.5, to the even 2
    linear.Showgamma = true;
    linear.Gamma = 0.5;

    const std::pair<ImageInfoTagOptions, std::string> cases[] = {
        {example, "Jup_0412_ST150_WSD_WV10_10_10_X_10_10_CB100_0"},
        {linear, "Sat_x_WSL2_`3G_CB400_2_GA50"},
        {ImageInfoTagOptions{}, "_"},
    };
    for (const auto& [options, tag] : cases) EXPECT_EQ(processingInfoTag(options), tag);
}

struct ImageInfoTest : WaveletPageTest {
    QString tag() const { return control<QPlainTextEdit>(*form, "Memo3")->toPlainText(); }
};

TEST_F(ImageInfoTest, TheImageInfoItemTogglesTheWindowAndRendersKeepTheTagCurrent) {
    setStack(40, 30, false);
    control<TRxSpeedButton>(page, "Processbutton")->click();
    QToolButton& item = *pieces(*form).Speedbar->ImageInfobutton;
    item.click();
    EXPECT_TRUE(pieces(*form).tools.Imageinfowindow->isVisible());
    EXPECT_TRUE(context.shell.ImageInfoOn);

    QTest::keyClicks(control<QLineEdit>(*form, "Objectnameedit"), "Jup");
    EXPECT_EQ(tag(), "Jup_");
    QTest::mouseClick(control<TPCheck>(*form, "Showwaveletvalues"), Qt::LeftButton);
    EXPECT_EQ(tag(), "Jup__WV10_10_10_10_10_10");
    // A render rebuilds the tag with the settings it renders.
    control<TRxSlider>(page, "Layer1slider")->setValue(20);
    wavelet.Layer1sliderChanged();
    EXPECT_EQ(tag(), "Jup__WV20_10_10_10_10_10");

    item.click();
    EXPECT_FALSE(pieces(*form).tools.Imageinfowindow->isVisible());
    EXPECT_TRUE(context.shell.ImageInfoOn) << "the tag stays current once the window was used";
}

TEST_F(ImageInfoTest, UseImageinfoMakesTheTagTheSaveDialogsProposal) {
    setStack(40, 30, false);
    control<TRxSpeedButton>(page, "Processbutton")->click();
    editRun(context.pipeline).state.DoAllDone = true;
    control<TRxSlider>(*form, "StackSlider")->setValue(150);
    QTest::keyClicks(control<QLineEdit>(*form, "Objectnameedit"), "Jup");
    QTest::keyClicks(control<QLineEdit>(*form, "Datetimeedit"), "0412");
    QTest::mouseClick(control<TPCheck>(*form, "Showstacksize"), Qt::LeftButton);
    EXPECT_TRUE(pieces(*form).dialogs.WaveletSave.FileName.empty()) << "proposed only with Use Imageinfo";

    QTest::mouseClick(control<TPCheck>(*form, "ActiveImageinfo"), Qt::LeftButton);
    const WindowDialogs& saves = pieces(*form).dialogs;
    for (const TFileDialog* save :
         {&saves.SaveDialog1, &saves.WaveletSave, &saves.SaveDialog3, &saves.SaveDialog4})
        EXPECT_EQ(save->FileName, "Jup_0412_ST150");
    control<TRxSpeedButton>(page, "savebmp2button")->click();
    ASSERT_EQ(dialogs->shown, 1);
    EXPECT_EQ(dialogs->lastShown.FileName, "Jup_0412_ST150");
}

}  // namespace kestrave::test
