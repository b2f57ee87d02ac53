// The compare tools of the wavelet page on the offscreen platform: the copy on the clipboard,
// the difference display and the toggle back to the rendered view.

#include <QClipboard>
#include <QGuiApplication>
#include <QPushButton>
#include <QRadioButton>

#include "enhance/clipboard_compare.h"
#include "shell/pages/named_control.h"
#include "wavelet_page_support.h"
#include "widgets/bitmap_view.h"
#include "widgets/radio_group.h"
#include "widgets/slider.h"

namespace kestrave::test {

namespace {

bool samePicture(const Bitmap24& a, const Bitmap24& b) {
    return a.width() == b.width() && a.height() == b.height() && bitmapView(a) == bitmapView(b);
}

}  // namespace

TEST_F(WaveletPageTest, TheCompareToolsShowTheDifferenceAndGiveBackTheRenderedView) {
    WaveletData& data = editRun(context.pipeline).wavelet;
    setStack(64, 48, false);
    control<TRxSpeedButton>(page, "Processbutton")->click();
    EXPECT_FALSE(control<TRadioGroup>(page, "RadioGroup1")->isEnabled())
        << "nothing to toggle to before a copy";

    control<TRxSpeedButton>(page, "Clipcopy")->click();
    const Bitmap24 copied = data.ProcessPicture;
    EXPECT_TRUE(samePicture(data.ClipTemp, copied));
    EXPECT_EQ(QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB888),
              bitmapView(copied).convertToFormat(QImage::Format_RGB888));
    EXPECT_TRUE(control<TRadioGroup>(page, "RadioGroup1")->isEnabled());

    // A brighter rendering, compared with the copy.
    control<TRxSlider>(page, "BrightnessSlider")
        ->setValue(control<TRxSlider>(page, "BrightnessSlider")->Value() + 40);
    wavelet.Layer1sliderChanged();
    const Bitmap24 rendered = data.ProcessPicture;
    EXPECT_TRUE(samePicture(data.Tempimage2, rendered));
    control<TRxSpeedButton>(page, "Differ")->click();
    Bitmap24 expected = rendered;
    diffGreen(expected, copied, 64, 48);
    EXPECT_TRUE(samePicture(data.ProcessPicture, expected));
    EXPECT_FALSE(samePicture(data.ProcessPicture, rendered));

    // The copy, then the rendering exactly as it was; Copy and Difference only with the latter.
    control<TRadioGroup>(page, "RadioGroup1")->button(1)->click();
    EXPECT_TRUE(samePicture(data.ProcessPicture, copied));
    EXPECT_FALSE(control<TRxSpeedButton>(page, "Clipcopy")->isEnabled());
    EXPECT_FALSE(control<TRxSpeedButton>(page, "Differ")->isEnabled());
    control<TRadioGroup>(page, "RadioGroup1")->button(0)->click();
    EXPECT_TRUE(samePicture(data.ProcessPicture, rendered));
    EXPECT_TRUE(control<TRxSpeedButton>(page, "Differ")->isEnabled());
}

}  // namespace kestrave::test
