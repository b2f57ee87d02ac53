// The Stack page's AVI writers and the Wavelet page's resize view on the offscreen platform: the
// controls read into the writers' options, the file chosen in the dialog written, the user's
// exclusions and stack left alone, and the scaled picture shown and saved.

#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QToolButton>

#include "frames/png_io.h"
#include "output/resize.h"
#include "platform/avi_file.h"
#include "platform/safe_file.h"
#include "save_test_support.h"
#include "shell/controllers/avi_controller.h"
#include "shell/pages/avi_controls.h"
#include "shell/pages/final_page.h"
#include "shell/pages/named_control.h"
#include "shell/pages/shrink_view.h"
#include "shell/pages/stack_page.h"
#include "shell/pages/wavelet_page.h"
#include "shell/tool_windows.h"
#include "widgets/radio_group.h"
#include "widgets/spin_edit.h"

namespace kestrave::test {

namespace fs = std::filesystem;

struct AviWindowTest : SaveTest {
    AviWindowTest() {
        pieces(*form).avi->setFrameSourceFactory(
            [this] { return std::make_unique<ForwardingSource>(frames); });
    }
    AviControls& controls = pieces(*form).stackPage->aviOutput();
};

TEST_F(AviWindowTest, RegisteredAndIntegratedVideosGoToTheChosenFile) {
    editRun(context.pipeline).model.FrameTable[5].Excluded = true;
    control<TRadioGroup>(controls, "Registeravichoice")
        ->setItemIndex(1);  // "Maximum area": the whole frame without shifts
    dialogs->willChoose(folder / "reg.avi");
    control<QPushButton>(controls, "RegisterAVI")->click();
    AviFile registered = AviFile::open(folder / "reg.avi");
    EXPECT_EQ(registered.indexedSampleCount(), static_cast<std::size_t>(Count - 1));
    EXPECT_EQ(registered.bitmapInfo().width(), Width);
    const auto status = [&](int panel) {
        return pieces(*form).StatusPanels[static_cast<std::size_t>(panel)]->text().toStdString();
    };
    EXPECT_EQ(status(2), "");
    EXPECT_EQ(status(3), "Avi written");
    // Each frame was shown in the preview as it was read.
    EXPECT_EQ(control<QLabel>(*form, "PreviewImage")->pixmap().size(), QSize(Width, Height));
    // A video that cannot be written leaves no word of the earlier one.
    dialogs->willChoose(folder / "gone" / "reg.avi");
    control<QPushButton>(controls, "RegisterAVI")->click();
    EXPECT_EQ(status(2), "Writing AVI failed");
    EXPECT_EQ(status(3), "");

    // A moving average of 5 over the 16 frames of the list (the excluded one too) gives 12.
    control<TRxSpinEdit>(controls, "Integratestep")->setValue(5);
    dialogs->willChoose(folder / "int.avi");
    control<QPushButton>(controls, "Integrated")->click();
    EXPECT_EQ(AviFile::open(folder / "int.avi").indexedSampleCount(), static_cast<std::size_t>(Count - 4));
    EXPECT_TRUE(context.pipeline.model().FrameTable[5].Excluded);
    EXPECT_FALSE(context.pipeline.stack().exists());
    EXPECT_EQ(fs::path(context.regSettings->ReadString("Files", "SaveDir", "")), folder.path());

    // An existing file stays when the user says No.
    writeFileAtomically(folder / "int.avi", std::string("older"));
    messages.reply(mrNo);
    dialogs->willChoose(folder / "int.avi");
    control<QPushButton>(controls, "Integrated")->click();
    EXPECT_EQ(fileText(folder / "int.avi"), "older");
}

TEST_F(AviWindowTest, ResizeViewShowsAndSavesTheScaledPicture) {
    Bitmap24& processed = editRun(context.pipeline).wavelet.ProcessPicture;
    processed.resize(300, 200);
    processed.fill(10, 120, 200);
    QToolButton& button = *control<TRxSpeedButton>(*form, "Resizebutton");
    pieces(*form).PageControl1->setCurrentWidget(pieces(*form).waveletPage);
    button.click();
    ASSERT_TRUE(pieces(*form).tools.Shrinkview->isVisible());
    EXPECT_EQ(control<QLabel>(*form, "ShrinkImage")->pixmap().size(), QSize(150, 100));
    EXPECT_EQ(control<QLabel>(*form, "Imagesize")->text(), "Imagesize: 150x100");
    EXPECT_GE(pieces(*form).tools.Shrinkview->width(), 670);
    EXPECT_GE(pieces(*form).tools.Shrinkview->height(), 390);

    control<QPushButton>(*form, "Shrinktooriginal")->click();
    EXPECT_EQ(control<QLabel>(*form, "ShrinkImage")->pixmap().size(), QSize(300, 200));
    EXPECT_EQ(control<TRadioGroup>(*form, "CopyResize")->ItemIndex(), 4);

    dialogs->willChoose(folder / "small.bmp", 3);  // the PNG filter decides the type
    control<QPushButton>(*form, "Saveshrink")->click();
    const PngPicture png = decodePng(readWholeFile(folder / "small.png"), "small.png");
    EXPECT_EQ(png.bitDepth, 8);
    EXPECT_EQ(png.preview.width(), 300);
    EXPECT_EQ(png.preview.pixel(7, 7)[2], 200);
    EXPECT_TRUE(context.shell.ImageSaved);

    button.click();
    EXPECT_FALSE(pieces(*form).tools.Shrinkview->isVisible());
}

TEST_F(AviWindowTest, ResizeViewShowsTheFinalImageOnTheFinalPageAndNothingNewElsewhere) {
    editRun(context.pipeline).wavelet.ProcessPicture.resize(300, 200);
    Bitmap24& finalImage = editRun(context.pipeline).finalImage.shown;
    finalImage.resize(120, 80);
    finalImage.fill(0, 0, 255);
    control<TRadioGroup>(*form, "RadioGroup2")->setItemIndex(OriginalResizeRatio);
    pieces(*form).PageControl1->setCurrentWidget(pieces(*form).finalPage);
    control<TRadioGroup>(*form, "RadioGroup2")->OnClick(control<TRadioGroup>(*form, "RadioGroup2"));
    EXPECT_EQ(control<QLabel>(*form, "ShrinkImage")->pixmap().size(), QSize(120, 80));
    EXPECT_EQ(control<QLabel>(*form, "ShrinkImage")->pixmap().toImage().pixelColor(5, 5), QColor(255, 0, 0));

    // On the Stack page the view takes the final image's size at the ratio and keeps its picture.
    pieces(*form).PageControl1->setCurrentWidget(pieces(*form).stackPage);
    control<TRadioGroup>(*form, "RadioGroup2")->setItemIndex(2);
    control<TRadioGroup>(*form, "RadioGroup2")->OnClick(control<TRadioGroup>(*form, "RadioGroup2"));
    EXPECT_EQ(control<QLabel>(*form, "Imagesize")->text(), "Imagesize: 60x40");
    EXPECT_EQ(control<QLabel>(*form, "ShrinkImage")->size(), QSize(60, 40));
    EXPECT_EQ(control<QLabel>(*form, "ShrinkImage")->pixmap().size(), QSize(120, 80)) << "nothing drawn anew";
}

}  // namespace kestrave::test
