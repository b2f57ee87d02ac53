// The small options of the Align and Stack pages in the window: the stack style and its refusal
// for 16-bit input, the preview gamma and negative, the sort of the frame list, and the
// clipboard picture taken as the input.

#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <algorithm>
#include <cmath>

#include "codecs/tiff_bitmap.h"
#include "frames/bmp_reader.h"
#include "frames/input_sources.h"
#include "output/bmp_writer.h"
#include "shell/controllers/input_controller.h"
#include "shell/controllers/options_controller.h"
#include "shell/controllers/stack_controller.h"
#include "shell/pages/align_page.h"
#include "shell/pages/directory_list_box.h"
#include "shell/pages/frame_windows.h"
#include "shell/pages/named_control.h"
#include "shell/pages/stack_page.h"
#include "shell/pages/wavelet_page.h"
#include "shell/tab_strip.h"
#include "shell_test_support.h"
#include "widgets/check_box.h"
#include "widgets/radio_group.h"
#include "widgets/slider.h"
#include "widgets/spin_edit.h"

namespace kestrave::test {

namespace {

// A grey picture whose value is `level` everywhere.
Bitmap24 greyPicture(int width, int height, std::uint8_t level) {
    Bitmap24 picture(width, height);
    picture.fill(level, level, level);
    return picture;
}

struct OptionsWindowTest : ShellWindowTest {
    TempDir dir;
    AlignPage& align = *pieces(*form).alignPage;
    StackPage& stack = *pieces(*form).stackPage;

    // Still frames of the given names, frame k grey at level 10 (k + 1), chosen in the dialog.
    void selectSeries(const std::vector<std::string>& names, InputFilter filter) {
        std::vector<std::string> files;
        for (std::size_t k = 0; k < names.size(); ++k) {
            files.push_back((dir / names[k]).string());
            const auto level = static_cast<std::uint8_t>(10 * (k + 1));
            if (filter == InputFilter::TIF) {
                TTIFFBitMap image(12, 8);
                image.fill(level, level, level);
                TTIFFBitMap::SaveToTIFF(image, files.back(), 24, false);
            } else {
                writeBmp24(files.back(), greyPicture(12, 8, level));
            }
        }
        pieces(*form).input->chooseInput = [files, filter] { return ChosenInput{files, filter}; };
        pieces(*form).input->SelectFileButtonClick();
    }
    void chooseStyle(int item) { control<TRadioGroup>(stack, "ResampleDrizzlegroup")->button(item)->click(); }
    // What a click on the box does, wherever the layout puts it: the state turns, then its click event.
    static void click(TPCheck& box) {
        box.setChecked(!box.Checked());
        emit box.OnClick(&box);
    }
    int shownLevel() const {
        return qGray(control<QLabel>(align, "PreviewImage")->pixmap().toImage().pixel(0, 0));
    }
    int countShown(const char* caption) const {
        return static_cast<int>(std::count_if(messages.shown.begin(), messages.shown.end(),
                                              [caption](const Message& m) { return m.caption == caption; }));
    }
};

}  // namespace

TEST_F(OptionsWindowTest, TheStyleSetsTheStackBoxesAndResamplingATiffFallsBackToNone) {
    selectSeries({"a.bmp", "b.bmp"}, InputFilter::BMP);
    control<TPCheck>(stack, "Expandstack")->setChecked(true);
    control<TRxSpinEdit>(stack, "ResampleSpin")->setValue(3.0);
    chooseStyle(1);
    EXPECT_TRUE(control<TPCheck>(stack, "Resampled")->Checked());
    EXPECT_FALSE(control<TPCheck>(stack, "FastStack")->Checked());
    EXPECT_FALSE(control<TPCheck>(stack, "Expandstack")->Checked());
    EXPECT_FALSE(control<TRxSpinEdit>(stack, "ResampleSpin")->isHidden());
    EXPECT_FLOAT_EQ(context.pipeline.state().ResampleFactor, 3.0f);

    selectSeries({"a.tif", "b.tif"}, InputFilter::TIF);
    chooseStyle(2);
    EXPECT_TRUE(control<TPCheck>(stack, "Drizzling")->Checked());
    EXPECT_TRUE(control<TPCheck>(*form, "Drizzle2")->Checked());
    EXPECT_EQ(countShown("Resampling warning"), 0);
    chooseStyle(1);
    EXPECT_EQ(countShown("Resampling warning"), 1);
    EXPECT_EQ(control<TRadioGroup>(stack, "ResampleDrizzlegroup")->ItemIndex(), 0);
    EXPECT_FALSE(control<TPCheck>(stack, "Resampled")->Checked());
    EXPECT_FALSE(control<TPCheck>(stack, "Drizzling")->Checked());
    // No drizzle-sized canvas is left behind by the style given up.
    EXPECT_FALSE(control<TPCheck>(*form, "Drizzle2")->Checked());
    EXPECT_TRUE(control<TPCheck>(stack, "FastStack")->Checked());
}

TEST_F(OptionsWindowTest, ThePreviewShowsTheFrameThroughItsGammaOrAsANegative) {
    selectSeries({"a.bmp", "b.bmp"}, InputFilter::BMP);
    control<TRxSlider>(align, "PreviewSlider")->setValue(1);
    control<TRxSpinEdit>(align, "Previewgamma")->setValue(2.0);
    click(*control<TPCheck>(align, "Pregamma"));
    EXPECT_FALSE(control<TRxSpinEdit>(align, "Previewgamma")->isHidden());
    EXPECT_FALSE(control<TPCheck>(align, "HoldPreGamma")->isHidden());
    EXPECT_FALSE(control<TPCheck>(align, "Negativeimage")->isEnabled());
    // Level 20 through gamma 1 / 2: Round(sqrt(Round(20 / 255 × 30000) / 30000) × 255) = 71.
    EXPECT_EQ(shownLevel(), 71);

    // Typed below its range, the value counts as 0.1: the table's gamma is 10, 0.500001 ^ 10.
    control<TRxSpinEdit>(align, "Previewgamma")->setText("0.05");
    EXPECT_NEAR((*context.pipeline.wavelet().GammaTable)[15000], 9.7658203142578219e-4, 1e-17);
    EXPECT_EQ(shownLevel(), 0);

    click(*control<TPCheck>(align, "Pregamma"));
    EXPECT_TRUE(control<TRxSpinEdit>(align, "Previewgamma")->isHidden());
    click(*control<TPCheck>(align, "Negativeimage"));
    EXPECT_EQ(shownLevel(), 255 - 20);
    EXPECT_FALSE(control<TPCheck>(align, "Pregamma")->isEnabled());
}

TEST_F(OptionsWindowTest, SortPutsTheSeriesInNameOrderAndShowsItsFirstFrame) {
    selectSeries({"a.bmp", "B.bmp", "c.bmp"}, InputFilter::BMP);
    // A list in another order, as a frame list file may bring it: c, B, a, with B left out.
    FrameModel& model = editRun(context.pipeline).model;
    std::swap(model.FrameNames[0], model.FrameNames[2]);
    editRun(context.pipeline).input.source =
        makeFrameSource(model, 2, pieces(*form).input->readSourceOptions());
    model.FrameTable[1].Excluded = true;
    control<TRxSlider>(align, "PreviewSlider")->setValue(2);

    control<QPushButton>(*form, "SortFramelistbutton")->click();
    QListWidget& list = *control<CheckListBox>(*form, "SelectFramesChecklist");
    ASSERT_EQ(list.count(), 3);
    const char* sorted[] = {"a.bmp", "B.bmp", "c.bmp"};
    for (int j = 0; j < 3; ++j) {
        EXPECT_EQ(list.item(j)->text().toStdString(), sorted[j]);
        EXPECT_EQ(list.item(j)->checkState(), Qt::Checked);
        EXPECT_FALSE(model.FrameTable[j].Excluded);
    }
    EXPECT_EQ(control<TRxSlider>(align, "PreviewSlider")->Value(), 0);
    EXPECT_EQ(shownLevel(), 10);  // a.bmp, read from the sorted list
}

TEST_F(OptionsWindowTest, TheClipboardPictureIsStackedAsOneImage) {
    control<TDirectoryListBox>(align, "DirectoryListBox1")->setDirectory(dir.path());
    QApplication::clipboard()->clear();
    pieces(*form).input->ClipboardFrontClick();
    EXPECT_FALSE(std::filesystem::exists(dir / "clipkestrave.bmp"));

    QImage picture(40, 30, QImage::Format_RGB32);
    picture.fill(qRgb(200, 120, 40));
    QApplication::clipboard()->setImage(picture);
    pieces(*form).input->ClipboardFrontClick();

    const Bitmap24 saved = readBmpFile(dir / "clipkestrave.bmp");
    ASSERT_EQ(saved.width(), 40);
    ASSERT_EQ(saved.height(), 30);
    EXPECT_EQ(saved.pixel(39, 29)[0], 40);  // blue, green, red
    EXPECT_EQ(saved.pixel(39, 29)[2], 200);
    EXPECT_TRUE(context.pipeline.model().SingleImage);
    EXPECT_EQ(context.pipeline.model().FrameNames[0], (dir / "clipkestrave.bmp").string());
    EXPECT_TRUE(control<TPCheck>(align, "Colourstack")->Checked());
    EXPECT_EQ(context.pipeline.state().progstatus, TProgStatus::psStacked);
    EXPECT_EQ(pieces(*form).Tabpages->currentIndex(), static_cast<int>(TMainTab::tabWavelet));
    EXPECT_EQ(context.pipeline.model().ImageWidth, 40);
    for (const char* name : {"Showalignpoints", "PreviewImage"})
        EXPECT_FALSE(control<QWidget>(align, name)->isEnabled()) << name;
    EXPECT_EQ(control<QToolButton>(*form, "ClipboardFront")->text(), "From Clipboard\r\n ");
}

TEST_F(OptionsWindowTest, TheStretchChoiceAndTheBreakWindowTakeEffect) {
    // "Yes" stretches FITS, TIFF and SER levels without asking; "No" and "Always ask" do not.
    for (const int item : {1, 2, 1, 0}) {
        control<TRadioGroup>(align, "Fittifstretch")->button(item)->click();
        const FrameModel& model = context.pipeline.model();
        EXPECT_EQ(model.FitStretch && model.TifStretch && model.SerStretch, item == 1) << item;
        EXPECT_EQ(model.FitStretch || model.TifStretch || model.SerStretch, item == 1) << item;
        EXPECT_EQ(pieces(*form).stack->readStackOptions().SerStretch, item == 1) << item;
    }

    click(*control<TPCheck>(align, "Haltwindow"));
    ToolWindow& window = *pieces(*form).tools.Registerhaltwindow;
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.windowTitle(), "Break");
    {
        // Its Cancel asks as the Cancel item does while a long operation runs.
        const LongOperation running(context.operations);
        messages.reply(mrYes);
        pieces(*form).tools.Cancel2button->click();
    }
    ASSERT_FALSE(messages.shown.empty());
    EXPECT_EQ(messages.shown.back().text, "Do you want to cancel ?");
    EXPECT_TRUE(context.CancelRequested());
    window.close();
    EXPECT_FALSE(control<TPCheck>(align, "Haltwindow")->Checked());
}

TEST(ClipboardPicture, KeepsTheTopLeftOfAPictureLargerThanAFrame) {
    QImage wide(MaxFrameSize + 4, 3, QImage::Format_RGB32);
    wide.fill(qRgb(1, 2, 3));
    wide.setPixel(MaxFrameSize - 1, 2, qRgb(9, 8, 7));
    const Bitmap24 picture = clipboardPicture(wide);
    ASSERT_EQ(picture.width(), MaxFrameSize);
    ASSERT_EQ(picture.height(), 3);
    EXPECT_EQ(picture.pixel(MaxFrameSize - 1, 2)[0], 7);
    EXPECT_EQ(picture.pixel(MaxFrameSize - 1, 2)[2], 9);
    EXPECT_EQ(picture.pixel(0, 0)[1], 2);
}

}  // namespace kestrave::test
