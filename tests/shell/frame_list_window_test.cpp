// Frame lists and dropped files in the window: saving the checked frames and loading them back,
// adding a list to the open series, lists that cannot be taken, the emptied list, and files
// dropped on the main window (synthetic drop events).

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTest>
#include <QUrl>
#include <fstream>

#include "frames/frame_list.h"
#include "output/bmp_writer.h"
#include "output/jpeg_writer.h"
#include "shell/controllers/input_controller.h"
#include "shell/pages/align_page.h"
#include "shell/pages/frame_windows.h"
#include "shell/pages/named_control.h"
#include "shell/pages/stack_page.h"
#include "shell/pages/wavelet_page.h"
#include "shell/speed_bar.h"
#include "shell_test_support.h"
#include "support/sample_recording.h"
#include "widgets/check_box.h"
#include "widgets/radio_group.h"
#include "widgets/rect_shape.h"
#include "widgets/slider.h"
#include "widgets/speed_button.h"
#include "widgets/spin_edit.h"

namespace kestrave::test {

namespace {

std::string readText(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct FrameListWindowTest : ShellWindowTest {
    FrameListWindowTest() {
        auto scripted = std::make_unique<ScriptedFileDialogs>();
        dialogs = scripted.get();
        context.setDialogs(std::move(scripted));
    }

    std::vector<std::filesystem::path> writeFrames(const std::string& stem, int count,
                                                   const char* extension) {
        std::vector<std::filesystem::path> files;
        for (int k = 0; k < count; ++k) {
            files.push_back(dir / (stem + std::to_string(100 + k) + extension));
            QImage picture(8, 6, QImage::Format_RGB888);
            picture.fill(QColor(k * 9, k * 9, k * 9));
            picture.save(QString::fromStdString(files.back().string()));
        }
        return files;
    }
    void select(const std::vector<std::filesystem::path>& files, InputFilter filter) {
        pieces(*form).input->chooseInput = [files, filter] {
            ChosenInput chosen{{}, filter};
            for (const auto& file : files) chosen.files.push_back(file.string());
            return chosen;
        };
        pieces(*form).Speedbar->Selectbutton->click();
    }
    void drop(const std::vector<std::filesystem::path>& files) {
        QMimeData data;
        QList<QUrl> urls;
        for (const auto& file : files)
            urls.push_back(QUrl::fromLocalFile(QString::fromStdString(file.string())));
        data.setUrls(urls);
        // As a drag from the desktop: the window accepts it as it enters, then takes the drop.
        QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(form.get(), &enter);
        ASSERT_TRUE(enter.isAccepted());
        QDropEvent event(QPointF(20, 20), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(form.get(), &event);
    }
    std::vector<std::string> listed() const {
        std::vector<std::string> texts;
        for (int j = 0; j < list.count(); ++j) texts.push_back(list.item(j)->text().toStdString());
        return texts;
    }
    int checkedCount() const {
        int count = 0;
        for (int j = 0; j < list.count(); ++j) count += list.item(j)->checkState() == Qt::Checked;
        return count;
    }
    std::vector<std::string> told() const {
        std::vector<std::string> result;
        for (const Message& message : messages.shown) result.push_back(message.caption + ": " + message.text);
        return result;
    }

    TempDir dir;
    ScriptedFileDialogs* dialogs = nullptr;
    AlignPage& align = *pieces(*form).alignPage;
    QListWidget& list = *control<CheckListBox>(*form, "SelectFramesChecklist");
};

}  // namespace

TEST_F(FrameListWindowTest, CheckedFramesAreSavedAndLoadedBackAndAListIsAdded) {
    const auto frames = writeFrames("f", 20, ".bmp");
    select(frames, InputFilter::BMP);
    for (const int entry : {2, 5}) tickAsUser(list, entry, false);

    dialogs->willChoose(dir / "kept");
    control<QPushButton>(*form, "SaveFramelistbutton")->click();
    EXPECT_EQ(dialogs->lastShown.Filter, "Kestrave Frame list|*.kfl");
    std::string expected;
    for (int k = 0; k < 20; ++k)
        if (k != 2 && k != 5) expected += frames[static_cast<std::size_t>(k)].string() + "\r\n";
    EXPECT_EQ(readText(dir / "kept.kfl"), expected);
    EXPECT_EQ(form->windowTitle().toStdString(), "Kestrave processing BMPs: " + frames[0].string());

    // Loaded back: the 18 frames, every one checked and counted.
    EXPECT_TRUE(control<QPushButton>(*form, "Addframelistbutton")->isHidden());
    dialogs->willChoose(dir / "kept.kfl");
    control<QPushButton>(*form, "Loadframelistbutton")->click();
    EXPECT_EQ(list.count(), 18);
    EXPECT_EQ(checkedCount(), 18);
    EXPECT_EQ(context.pipeline.model().usedframes, 18);
    EXPECT_EQ(control<TRxSlider>(align, "PreviewSlider")->MaxValue(), 17);
    EXPECT_EQ(context.pipeline.model().FrameNames[2], frames[3].string());
    EXPECT_EQ(context.pipeline.state().ProcessStage, TProcessStage::stInputLoaded);
    EXPECT_FALSE(control<QPushButton>(*form, "Addframelistbutton")->isHidden());
    for (const char* name :
         {"QualityMethodlabel", "QualityMethodCombo", "Lowerqualitylabel", "OptimizeQualitySpin"})
        EXPECT_FALSE(control<QWidget>(align, name)->isEnabled()) << name;

    // A list of ten appended to twenty: the open frames keep their ticks, the new ones are ticked;
    // nothing else changes: the frame shown, the count of frames used.
    select(frames, InputFilter::BMP);
    tickAsUser(list, 4, false);
    control<TRxSlider>(align, "PreviewSlider")->setValue(7);
    const auto more = writeFrames("g", 10, ".bmp");
    std::vector<std::string> moreNames;
    for (const auto& file : more) moreNames.push_back(file.string());
    moreNames.push_back((dir / "other.png").string());  // of another kind: left out
    writeFrameList(dir / "more.kfl", moreNames);
    dialogs->willChoose(dir / "more.kfl");
    control<QPushButton>(*form, "Addframelistbutton")->click();
    EXPECT_EQ(list.count(), 30);
    EXPECT_EQ(control<TRxSlider>(align, "PreviewSlider")->MaxValue(), 29);
    EXPECT_EQ(list.item(29)->text().toStdString(), more[9].filename().string());
    EXPECT_EQ(list.item(4)->checkState(), Qt::Unchecked);
    EXPECT_TRUE(context.pipeline.model().FrameTable[4].Excluded);
    EXPECT_EQ(context.pipeline.model().usedframes, 19);
    EXPECT_EQ(control<TRxSlider>(align, "PreviewSlider")->Value(), 7);
    EXPECT_EQ(told().back(),
              "Frame list: 1 file(s) left out: an input holds frames of one kind, and one SER video at most");
}

// The sign beside the preview says whether the frame shown takes part, however its record changed:
// Check none, Check all, the space key on the preview, and a list appended to the open series
// (the shown frame keeps the user's choice).
TEST_F(FrameListWindowTest, TheSignBesideThePreviewFollowsTheShownFramesRecord) {
    const QColor selected(0, 0x80, 0);
    const QColor excluded(0xFF, 0, 0);
    const auto frames = writeFrames("s", 6, ".bmp");
    select(frames, InputFilter::BMP);
    const TRectShape& sign = *control<TRectShape>(align, "UseFramesign");
    TRxSlider& slider = *control<TRxSlider>(align, "PreviewSlider");
    slider.setValue(2);
    ASSERT_EQ(sign.Brush().color(), selected);

    control<QPushButton>(*form, "Setnoneframelistbutton")->click();
    EXPECT_EQ(sign.Brush().color(), excluded) << "Check none";
    control<QPushButton>(*form, "Setallbutton")->click();
    EXPECT_EQ(sign.Brush().color(), selected) << "Check all";
    QTest::keyClick(&slider, Qt::Key_Space);
    ASSERT_TRUE(context.pipeline.model().FrameTable[2].Excluded);
    EXPECT_EQ(sign.Brush().color(), excluded) << "space on the preview";
    QTest::keyClick(&slider, Qt::Key_Space);
    EXPECT_EQ(sign.Brush().color(), selected) << "space again";

    slider.setValue(0);
    QTest::keyClick(&slider, Qt::Key_Space);
    const auto more = writeFrames("t", 3, ".bmp");
    writeFrameList(dir / "more.kfl", {more[0].string(), more[1].string(), more[2].string()});
    dialogs->willChoose(dir / "more.kfl");
    control<QPushButton>(*form, "Addframelistbutton")->click();
    ASSERT_EQ(list.count(), 9);
    ASSERT_EQ(slider.Value(), 0);
    EXPECT_TRUE(context.pipeline.model().FrameTable[0].Excluded);
    EXPECT_EQ(sign.Brush().color(), excluded) << "a list appended";
}

// Without alignment the Stack page's passes open at once; the emptied list greys them again.
TEST_F(FrameListWindowTest, AnEmptiedListGreysTheStackPagesPasses) {
    select(writeFrames("e", 6, ".bmp"), InputFilter::BMP);
    control<TRadioGroup>(align, "Alignmethod")->button(2)->click();  // "None"
    const TRxSpeedButton& stack = *control<TRxSpeedButton>(*form, "Stackbutton");
    const TRxSpeedButton& sigma = *control<TRxSpeedButton>(*form, "Statisticalstackbutton");
    ASSERT_TRUE(stack.isEnabled());
    ASSERT_TRUE(sigma.isEnabled());
    control<QPushButton>(*form, "Emptyframelistbutton")->click();
    EXPECT_FALSE(stack.isEnabled());
    EXPECT_FALSE(sigma.isEnabled());
}

TEST_F(FrameListWindowTest, AListThatCannotBeTakenLeavesTheOpenInput) {
    const auto frames = writeFrames("f", 4, ".bmp");
    select(frames, InputFilter::BMP);
    const auto jpeg = dir / "photo.jpeg";
    writeJpeg(jpeg, Bitmap24(8, 6));
    const std::string good = frames[1].string() + "\r\n";
    const std::pair<std::string, std::string> cases[] = {
        {good + (dir / "gone.bmp").string() + "\r\n",
         "Missing file: non existing file :" + (dir / "gone.bmp").string()},
        {good + std::string(5000, 'x') + "\r\n", "Frame list: Not a frame list: line 2 is too long ("},
        {"\r\n\n  \r\n", "Frame list: The list names no frames: "},
        {jpeg.string() + "\r\n" + jpeg.string() + "\r\n", "File error: "},
        // A name of another system is a relative name here, taken from the list's folder.
        {"C:\\frames\\old1.bmp\r\n",
         "Missing file: non existing file :" + (dir / "C:\\frames\\old1.bmp").string()},
    };
    for (const auto& [text, message] : cases) {
        std::ofstream(dir / "bad.kfl", std::ios::binary) << text;
        messages.shown.clear();
        dialogs->willChoose(dir / "bad.kfl");
        control<QPushButton>(*form, "Loadframelistbutton")->click();
        ASSERT_EQ(messages.shown.size(), 1u) << text;
        EXPECT_EQ(told().front().substr(0, message.size()), message);
        EXPECT_EQ(list.count(), 4);
        EXPECT_EQ(context.pipeline.model().FrameNames[3], frames[3].string());
        EXPECT_EQ(context.pipeline.model().usedframes, 4);
    }
}

TEST_F(FrameListWindowTest, AnEmptiedListReadsNothingAndDropsStartANewOne) {
    select(writeFrames("f", 3, ".bmp"), InputFilter::BMP);
    control<QPushButton>(*form, "Emptyframelistbutton")->click();
    EXPECT_EQ(list.count(), 0);
    EXPECT_EQ(control<TRxSlider>(align, "PreviewSlider")->MaxValue(), 1);
    EXPECT_FALSE(control<TRxSpeedButton>(align, "Alignbutton")->isEnabled());
    EXPECT_EQ(control<QLabel>(align, "PreviewImage")->pixmap().size(), QSize(1, 1));
    control<TRxSlider>(align, "PreviewSlider")->setValue(1);
    EXPECT_EQ(control<QLabel>(align, "PreviewImage")->pixmap().size(), QSize(1, 1)) << "no frame is read";
    control<QPushButton>(*form, "SaveFramelistbutton")->click();
    EXPECT_EQ(told().back(), "Empty framelist: Empty list cannot be saved");

    // Two PNG files and a JPG: the JPG is of another kind than the first file.
    const auto png = writeFrames("p", 2, ".png");
    const auto jpg = writeFrames("j", 1, ".jpg");
    drop({png[0], jpg[0], png[1]});
    EXPECT_EQ(listed(), (std::vector<std::string>{"p100.png", "p101.png"}));
    EXPECT_TRUE(context.pipeline.model().InputIsPNG);
    EXPECT_EQ(context.pipeline.model().usedframes, 2);
    // One file dropped onto an emptied list is a series of one frame on the Align page.
    control<QPushButton>(*form, "Emptyframelistbutton")->click();
    drop({jpg[0]});
    EXPECT_EQ(listed(), std::vector<std::string>{"j100.jpg"});
    EXPECT_FALSE(context.pipeline.model().SingleImage);
}

// An emptied list leaves nothing to optimize: the Optimize page's passes go grey, whatever
// enabled them before.
TEST_F(FrameListWindowTest, AnEmptiedListGreysTheOptimizersPasses) {
    select(writeFrames("f", 3, ".bmp"), InputFilter::BMP);
    const std::vector<TRxSpeedButton*> passes{control<TRxSpeedButton>(*form, "Optimizebutton"),
                                              control<TRxSpeedButton>(*form, "Optimizeandstackbutton"),
                                              control<TRxSpeedButton>(*form, "Referbutton")};
    for (TRxSpeedButton* button : passes) button->setEnabled(true);
    control<QPushButton>(*form, "Emptyframelistbutton")->click();
    for (const TRxSpeedButton* button : passes)
        EXPECT_FALSE(button->isEnabled()) << button->objectName().toStdString();
}

TEST_F(FrameListWindowTest, DroppedFilesExtendTheSeriesOrBecomeTheInput) {
    const auto bmps = writeFrames("f", 3, ".bmp");
    select(bmps, InputFilter::BMP);
    tickAsUser(list, 1, false);

    // Only local files are taken.
    QMimeData web;
    web.setUrls({QUrl("https://example.org/a.bmp")});
    QDragEnterEvent remote(QPoint(5, 5), Qt::CopyAction, &web, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form.get(), &remote);
    EXPECT_FALSE(remote.isAccepted());
    QMimeData local;
    local.setUrls({QUrl::fromLocalFile(QString::fromStdString(bmps[0].string()))});
    QDragEnterEvent file(QPoint(5, 5), Qt::CopyAction, &local, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(form.get(), &file);
    EXPECT_TRUE(file.isAccepted());

    // Onto three bitmaps: five, frame 0 and the unticked frame kept. The settings of the wavelet
    // page, the colour balance and the resampling stay; the colour is asked about again.
    WaveletPage& wavelet = *pieces(*form).waveletPage;
    control<TRxSlider>(wavelet, "Layer3slider")->setValue(400);
    control<TRxSpinEdit>(*form, "ResampleSpin")->setValue(3.5);
    control<TPCheck>(align, "AutoDetectColour")->setChecked(false);
    control<TPCheck>(align, "Colourstack")->setChecked(true);
    messages.shown.clear();
    messages.reply(mrNo);
    const auto added = writeFrames("g", 2, ".bmp");
    drop(added);
    EXPECT_EQ(control<TRxSlider>(wavelet, "Layer3slider")->Value(), 400);
    EXPECT_DOUBLE_EQ(static_cast<double>(control<TRxSpinEdit>(*form, "ResampleSpin")->Value()), 3.5);
    EXPECT_EQ(told(), std::vector<std::string>{"B/W image: Image seems to be B/W, process in B/W ?"});
    EXPECT_EQ(list.count(), 5);
    EXPECT_EQ(control<TRxSlider>(align, "PreviewSlider")->Value(), 3);
    EXPECT_EQ(context.pipeline.model().FrameNames[0], bmps[0].string());
    EXPECT_EQ(context.pipeline.model().FrameNames[4], added[1].string());
    EXPECT_EQ(list.item(1)->checkState(), Qt::Unchecked);
    EXPECT_EQ(context.pipeline.model().usedframes, 4);

    // Files of another kind than the first are passed over without a word; a first file of a
    // kind the drop does not take: the warning, nothing else.
    messages.shown.clear();
    control<TPCheck>(align, "AutoDetectColour")->setChecked(true);
    std::ofstream(dir / "notes.xyz") << "x";
    drop({added[0], dir / "notes.xyz"});
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(list.count(), 6);
    std::ofstream(dir / "notes.xyz") << "x";
    drop({dir / "notes.xyz", added[0]});
    EXPECT_EQ(told(), std::vector<std::string>{"Warning: USed File-format not available for drag&drop"});
    EXPECT_EQ(list.count(), 6);

    // Elsewhere than on the Align page a drop is ignored.
    pieces(*form).PageControl1->setCurrentWidget(pieces(*form).stackPage);
    drop({added[0]});
    EXPECT_EQ(list.count(), 6);
    EXPECT_EQ(messages.shown.size(), 1u);
    pieces(*form).PageControl1->setCurrentWidget(pieces(*form).alignPage);

    // A SER video becomes the input, one entry per frame.
    synth::SynthOptions options = smallRecordingOptions();
    options.width = 24;
    options.height = 16;
    options.frames = 300;
    const auto ser = writeSampleRecording(dir.path(), options, "planet.ser").path;
    drop({ser});
    EXPECT_EQ(list.count(), 300);
    EXPECT_EQ(list.item(299)->text(), "Frame 299");
    EXPECT_TRUE(context.pipeline.model().InputIsSER);
    EXPECT_EQ(context.pipeline.model().SerName, ser.string());
    EXPECT_EQ(control<TRxSlider>(align, "PreviewSlider")->MaxValue(), 299);
}

}  // namespace kestrave::test
