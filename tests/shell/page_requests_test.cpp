// What one step asks of a page's own handlers, through the page, reaches them: a colour-sensor
// video taken puts the debayer switch and the alignment method in force (and the Optimize page
// offers to realign it), a new picture in the fitted processed view is fitted again, and a stack
// leaves the fitted view.

#include <QLabel>
#include <QScrollArea>

#include "shell/controllers/input_controller.h"
#include "shell/controllers/shell_controller.h"
#include "shell/controllers/wavelet_controller.h"
#include "shell/pages/align_page.h"
#include "shell/pages/named_control.h"
#include "shell/pages/wavelet_page.h"
#include "shell_test_support.h"
#include "support/sample_recording.h"
#include "widgets/check_box.h"
#include "widgets/slider.h"

namespace kestrave::test {

TEST_F(ShellWindowTest, WhatAStepAsksOfAnotherHandlerThroughItsPageReachesIt) {
    TempDir dir;
    synth::SynthOptions options = smallRecordingOptions();
    options.filter = synth::ColourFilter::BayerRGGB;
    options.frames = 3;
    const auto ser = writeSampleRecording(dir.path(), options, "colour.ser").path;
    TRxSlider& cut = *control<TRxSlider>(*form, "differencecutslider");
    cut.hide();
    auto& realign = *control<QWidget>(*form, "Restartalign");
    realign.hide();
    pieces(*form).input->openInputFile(ser.string(), InputFilter::SER);
    EXPECT_FALSE(realign.isHidden()) << "a video can be aligned again";
    ASSERT_EQ(context.pipeline.input().lastIndex, 2);
    EXPECT_TRUE(control<TPCheck>(*form, "Avidebay")->Checked());
    EXPECT_TRUE(context.pipeline.debayer().DebayerEnabled) << "the switch follows the box";
    EXPECT_FALSE(cut.isHidden()) << "the alignment method is in force";

    // The processed view in a box of 500 x 400 pixels inside its margin: a picture of 100 x 80
    // is fitted at 1:5; the next one, of 250 x 200, at 1:2.
    WaveletPage& wavelet = *pieces(*form).waveletPage;
    control<QScrollArea>(wavelet, "Scrollbox3")->setFixedSize(530, 430);
    form->show();
    TPCheck& fit = *control<TPCheck>(wavelet, "ProcessViewfull");
    editRun(context.pipeline).wavelet.ProcessPicture = Bitmap24(100, 80);
    pieces(*form).wavelet->showProcessedView();
    fit.setChecked(true);
    pieces(*form).shell->ProcessViewfullClick();
    ASSERT_FLOAT_EQ(context.shell.ProcessFitScale, 0.2f);
    editRun(context.pipeline).wavelet.ProcessPicture = Bitmap24(250, 200);
    pieces(*form).wavelet->showProcessedView();
    EXPECT_FLOAT_EQ(context.shell.ProcessFitScale, 0.5f);

    // A stack leaves the fitted view: the picture shows at full size again.
    wavelet.leaveFittedView();
    EXPECT_FALSE(fit.Checked());
    EXPECT_FALSE(context.shell.ProcessFitted);
    EXPECT_FLOAT_EQ(context.shell.ProcessFitScale, 1.0f);
    EXPECT_EQ(control<QLabel>(wavelet, "ProcessImage")->size(), QSize(250, 200));
}

}  // namespace kestrave::test
