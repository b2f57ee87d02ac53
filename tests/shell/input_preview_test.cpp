// The input dialog's preview of the program's own formats: the facts and a thumbnail with the
// frame's proportions, the dialog's place, and a current input that browsing and cancelling
// leave exactly as it was.

#include <QApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QScrollArea>
#include <QTextEdit>
#include <QTimer>
#include <cstring>
#include <fstream>
#include <sstream>

#include "shell/controllers/input_controller.h"
#include "shell/input_preview.h"
#include "shell/pages/align_page.h"
#include "shell/pages/named_control.h"
#include "shell/qt_file_dialogs.h"
#include "shell/speed_bar.h"
#include "shell_test_support.h"
#include "support/sample_recording.h"
#include "support/tagged_avi.h"
#include "widgets/check_box.h"
#include "widgets/open_preview_dialog.h"
#include "widgets/slider.h"

namespace kestrave::test {

namespace {

// A white grey-scale video of one frame.
void writeWhiteAvi(const std::filesystem::path& path, int width, int height) {
    AviTestFormat format;
    format.handler = format.compression = "Y800";
    format.width = width;
    format.height = height;
    writeTestAvi(path, format, {std::vector<std::uint8_t>(static_cast<std::size_t>(width) * height, 255)});
}

// An 8-bit FITS image of 2 x 2 pixels.
void writeSmallFits(const std::filesystem::path& path) {
    std::string header;
    for (std::string card : {"SIMPLE  =                    T", "BITPIX  =                    8",
                             "NAXIS   =                    2", "NAXIS1  =                    2",
                             "NAXIS2  =                    2", "END"}) {
        card.resize(80, ' ');
        header += card;
    }
    header.resize(2880, ' ');
    std::string data = {1, 2, 3, 100};
    data.resize(2880, '\0');
    std::ofstream(path, std::ios::binary) << header << data;
}

struct PreviewPane {
    PreviewPane() {
        joinInputPreview(dialog);
        dialog.PreviewBox->setFixedSize(202, 202);  // inside a border of one pixel
        dialog.show();
    }
    // The caption after moving to `file`, and the extent of the thumbnail drawn from the
    // top-left corner (the white frame on the button-face ground).
    std::string show(const std::filesystem::path& file) {
        emit dialog.currentChanged(QString::fromStdString(file.string()));
        return dialog.PreviewCaption->text().toStdString();
    }
    QSize thumbnail() const {
        const QImage drawn = dialog.PreviewImage->pixmap().toImage();
        int width = 0;
        int height = 0;
        while (width < drawn.width() && drawn.pixelColor(width, 0) == Qt::white) ++width;
        while (height < drawn.height() && drawn.pixelColor(0, height) == Qt::white) ++height;
        return {width, height};
    }
    TPBOpenPreviewDialog dialog;
};

}  // namespace

TEST(InputPreview, OwnFormatsShowTheirFactsAndAThumbnailWithTheFramesProportions) {
    app();
    TempDir dir;
    writeWhiteAvi(dir / "wide.avi", 64, 48);
    std::ofstream(dir / "bad.png") << "not a picture";
    PreviewPane pane;

    EXPECT_EQ(pane.show(dir / "wide.avi"), "size:64x48 fr:1 vidsY800");
    EXPECT_EQ(pane.thumbnail(), QSize(200, 150));
    EXPECT_TRUE(pane.dialog.PictureBox->isVisible());

    // A file the reader refuses: its message in the caption panel, no picture.
    EXPECT_NE(pane.show(dir / "bad.png").find("bad.png"), std::string::npos);
    EXPECT_TRUE(pane.dialog.PreviewTextBox->isVisible());
}

TEST(InputPreview, TheDialogOpensAtItsPlaceEveryTime) {
    app();
    PreviewPane pane;
    // At its place, or as near as the screen lets it be whole.
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    const QSize outer = pane.dialog.frameGeometry().size();
    const QPoint place(std::min(OpenDialogPosition.x(), screen.right() + 1 - outer.width()),
                       std::min(OpenDialogPosition.y(), screen.bottom() + 1 - outer.height()));
    ASSERT_GE(place.y(), screen.top()) << "the dialog fits the screen";
    for (int opening = 0; opening < 2; ++opening) {
        QApplication::processEvents();
        EXPECT_EQ(pane.dialog.pos(), place) << opening;
        EXPECT_TRUE(screen.contains(pane.dialog.frameGeometry())) << opening;
        pane.dialog.move(20, 30);  // the user moves it
        pane.dialog.hide();
        pane.dialog.show();
    }
}

namespace {

// What the current input consists of, in a form that two states can be compared by.
std::string describeInput(const ApplicationContext& context, const TMainForm& form) {
    const FrameModel& m = context.pipeline.model();
    const FrameReaderState& r = context.pipeline.input().readers;
    std::ostringstream text;
    text << static_cast<int>(m.InputType) << m.InputIsSeries << m.InputIsSER << m.InputIsFIT << m.FitStretch
         << m.TifStretch << " " << m.AviName << " " << m.SerName << " " << m.AviSegments[0].FileName << " "
         << m.AviSegments[0].FrameCount << " " << m.avicount << " " << m.FrameWidthRaw << "x"
         << m.FrameHeightRaw << " " << m.FrameWidth << "x" << m.FrameHeight << " " << m.ImageWidth << "x"
         << m.ImageHeight << " " << r.SerPixelDepth << r.SerFrameCount << r.FitsInfoText << r.SerFrameWidth
         << r.FitsFrameWidth << " " << control<TPCheck>(form, "Avidebay")->Checked() << " "
         << form.windowTitle().toStdString();
    return text.str();
}

}  // namespace

TEST_F(ShellWindowTest, BrowsingInTheInputDialogAndCancellingLeavesTheInputAsItWas) {
    TempDir dir;
    writeTaggedAvi(dir / "current.avi", 5);
    editRun(context.pipeline).state.BatchMode = true;
    editRun(context.pipeline).input.BatchInputFile = (dir / "current.avi").string();
    pieces(*form).input->SelectFileButtonClick();
    editRun(context.pipeline).state.BatchMode = false;
    ASSERT_EQ(context.pipeline.model().ImageWidth, 8);
    const std::string before = describeInput(context, *form);
    const Bitmap24 picture = context.pipeline.input().PreviewBitmap;
    const std::size_t messagesBefore = messages.shown.size();

    // Files of every own kind, of other sizes; the SER file is a colour-sensor video, which the
    // input itself would debayer.
    writeWhiteAvi(dir / "other.avi", 64, 48);
    synth::SynthOptions options = smallRecordingOptions();
    options.filter = synth::ColourFilter::BayerRGGB;
    options.frames = 3;
    const auto ser = writeSampleRecording(dir.path(), options, "colour.ser").path;
    writeSmallFits(dir / "Orion.FTS");
    std::vector<std::string> captions;
    // The window's own dialogs: the input dialog with its preview pane.
    context.setDialogs(std::make_unique<QtFileDialogs>(form.get()));
    QTimer::singleShot(0, [&] {
        auto* dialog = form->findChild<TPBOpenPreviewDialog*>("Addbitmapdialog");
        ASSERT_NE(dialog, nullptr);
        for (const auto& file : {dir / "other.avi", ser, dir / "Orion.FTS"}) {
            emit dialog->currentChanged(QString::fromStdString(file.string()));
            captions.push_back(dialog->PreviewCaption->text().toStdString());
        }
        dialog->reject();
    });
    pieces(*form).Speedbar->Selectbutton->click();

    EXPECT_EQ(captions, (std::vector<std::string>{"size:64x48 fr:1 vidsY800", "Image :96x72 8 bit",
                                                  "2x2 pixels 8bits, lo:1 hi:100"}));
    EXPECT_EQ(describeInput(context, *form), before);
    EXPECT_EQ(context.pipeline.input().PreviewBitmap.byteCount(), picture.byteCount());
    EXPECT_EQ(std::memcmp(context.pipeline.input().PreviewBitmap.bits(), picture.bits(), picture.byteCount()),
              0);
    EXPECT_EQ(messages.shown.size(), messagesBefore);
    // The current input's reader still reads its own file.
    control<TRxSlider>(*form, "PreviewSlider")->setValue(3);
    EXPECT_EQ(tagOf(context.pipeline.input().PreviewBitmap), 3);
}

}  // namespace kestrave::test
