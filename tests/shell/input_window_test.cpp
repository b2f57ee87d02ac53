// Choosing the input in the window (the batch path and the dialog path), stepping through the
// frames with the slider, and choosing frames in the lists.

#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStackedWidget>
#include <QTabBar>
#include <QTest>
#include <QTimer>
#include <cstring>
#include <fstream>
#include <iterator>

#include "codecs/tiff_bitmap.h"
#include "frames/bmp_reader.h"
#include "output/bmp_writer.h"
#include "persist/reg_settings.h"
#include "shell/controllers/input_controller.h"
#include "shell/pages/align_page.h"
#include "shell/pages/directory_list_box.h"
#include "shell/pages/frame_windows.h"
#include "shell/pages/line_chart.h"
#include "shell/pages/named_control.h"
#include "shell/pages/stack_page.h"
#include "shell/pages/wavelet_page.h"
#include "shell/pages/wavelet_tool_panels.h"
#include "shell/qt_file_dialogs.h"
#include "shell/speed_bar.h"
#include "shell/tab_strip.h"
#include "shell/window_dialogs.h"
#include "shell_test_support.h"
#include "support/sample_recording.h"
#include "support/tagged_avi.h"
#include "support/temp_dir.h"
#include "widgets/check_box.h"
#include "widgets/radio_group.h"
#include "widgets/slider.h"
#include "widgets/spin_edit.h"

namespace kestrave::test {

namespace {

// A picture of width x height whose bytes follow `seed`; grey when `grey` is set.
Bitmap24 patternPicture(int width, int height, int seed, bool grey) {
    Bitmap24 picture(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < 3; ++c)
                picture.pixel(x, y)[c] =
                    static_cast<std::uint8_t>(seed * 31 + x * 7 + y * 3 + (grey ? 0 : c * 50));
    return picture;
}

bool samePicture(const Bitmap24& a, const Bitmap24& b) {
    return a.width() == b.width() && a.height() == b.height() &&
           std::memcmp(a.bits(), b.bits(), a.byteCount()) == 0;
}

struct InputWindowTest : ShellWindowTest {
    TempDir dir;
    AlignPage& align = *pieces(*form).alignPage;
    QListWidget& list = *control<CheckListBox>(*form, "SelectFramesChecklist");

    void selectBatch(const std::filesystem::path& file) {
        editRun(context.pipeline).state.BatchMode = true;
        editRun(context.pipeline).input.BatchInputFile = file.string();
        pieces(*form).input->SelectFileButtonClick();
    }
    void selectInDialog(std::vector<std::filesystem::path> files, InputFilter filter) {
        pieces(*form).input->chooseInput = [files, filter] {
            ChosenInput chosen;
            for (const auto& file : files) chosen.files.push_back(file.string());
            chosen.filter = filter;
            return chosen;
        };
        pieces(*form).Speedbar->Selectbutton->click();
    }
    std::filesystem::path writeSer(int frames, int bits = 8) {
        synth::SynthOptions options = smallRecordingOptions();
        options.width = 24;
        options.height = 16;
        options.frames = frames;
        options.bitsPerSample = bits;
        return writeSampleRecording(dir.path(), options, "planet.ser").path;
    }
    std::vector<std::filesystem::path> writeBmps(int count, bool grey) {
        std::vector<std::filesystem::path> files;
        for (int k = 0; k < count; ++k) {
            files.push_back(dir / ("frame" + std::to_string(k) + ".bmp"));
            writeBmp24(files.back(), patternPicture(9, 5, k, grey));
        }
        return files;
    }
    std::string frames() const { return control<QLabel>(align, "Frames")->text().toStdString(); }
    std::string caption() const { return form->windowTitle().toStdString(); }
    bool entryChecked(int j) const { return list.item(j)->checkState() == Qt::Checked; }
    void tick(QListWidget& target, int j, bool checked) { tickAsUser(target, j, checked); }
};

}  // namespace

TEST_F(InputWindowTest, ABatchRunTakesItsSerFileAndShowsTheFirstFrame) {
    const auto ser = writeSer(30);
    context.regSettings = std::make_unique<RegSettings>();
    QLabel& memory = *control<QLabel>(*form, "Label22");
    memory.clear();
    selectBatch(ser);
    // The image section was set up anew for the frame size, after the input's facts were shown.
    EXPECT_EQ(pieces(*form).StatusPanels[3]->text(), "Setup new Image datasection");
    EXPECT_TRUE(memory.text().startsWith("Memory used :"));
    selectBatch(ser);

    EXPECT_EQ(control<TRxSlider>(align, "PreviewSlider")->MaxValue(), 29);
    EXPECT_EQ(control<TRxSlider>(align, "PreviewSlider")->Value(), 0);
    ASSERT_EQ(list.count(), 30);
    EXPECT_EQ(list.item(0)->text(), "Frame 0");
    EXPECT_EQ(list.item(29)->text(), "Frame 29");
    EXPECT_TRUE(entryChecked(17));
    EXPECT_EQ(context.pipeline.model().usedframes, 30);
    EXPECT_EQ(context.pipeline.state().ProcessStage, TProcessStage::stInputLoaded);
    EXPECT_EQ(caption(), "Kestrave processing SER: " + ser.string() + " 0");
    EXPECT_EQ(frames(), "Frame (1): 1/30");
    EXPECT_EQ(control<TChart>(*form, "Chart8")->title(), "Frame 1 Quality =0.00000");
    EXPECT_EQ(control<QLabel>(align, "PreviewImage")->pixmap().size(), QSize(24, 16));
    EXPECT_EQ(pieces(*form).StatusPanels[3]->text(), "Frames : 30 Imagesize : 24x16");
    EXPECT_EQ(control<QLineEdit>(*form, "Objectnameedit")->text(), "planet");
    EXPECT_EQ(control<TRxSlider>(*form, "StackSlider")->Tag(), 29);
    EXPECT_EQ(context.pipeline.images().AllocWidth, 24);
    EXPECT_FALSE(control<TPCheck>(align, "Avidebay")->Checked());
    EXPECT_TRUE(control<QAction>(*form, "CreateDarkframe1")->isEnabled());
    EXPECT_EQ(RegSettings().ReadString(kRegFilesSection, "Lasttype", ""), "SER");
    EXPECT_EQ(RegSettings().ReadString(kRegFilesSection, "Dir", ""), dir.path().string());
    EXPECT_EQ(control<TDirectoryListBox>(align, "DirectoryListBox1")->Directory(), dir.path());
}

TEST_F(InputWindowTest, SteppingTheSliderShowsEachFrameWithItsCaption) {
    auto files = writeBmps(5, true);
    selectInDialog({files[3], files[0], files[4], files[1], files[2]}, InputFilter::BMP);
    ASSERT_EQ(control<TRxSlider>(align, "PreviewSlider")->MaxValue(), 4);
    for (int k = 0; k < 5; ++k) {
        control<TRxSlider>(align, "PreviewSlider")->setValue(k);
        const auto& file = files[static_cast<std::size_t>(k)];
        EXPECT_EQ(caption(), "Kestrave processing BMP: " + file.string());
        EXPECT_EQ(frames(), "Frame (" + std::to_string(k + 1) + "): " + std::to_string(k + 1) + "/5");
        EXPECT_TRUE(samePicture(context.pipeline.input().PreviewBitmap, readBmpFile(file))) << k;
        EXPECT_EQ(list.item(k)->text().toStdString(), file.filename().string());
    }

    // Two videos in the dialog are one input; the slider crosses from one file into the other.
    // The frame read last is named in the status, whatever the new input put back (the layers).
    control<TRxSlider>(*pieces(*form).waveletPage, "Layer3slider")->setValue(400);
    writeTaggedAvi(dir / "second.avi", 4, 100);
    writeTaggedAvi(dir / "First.avi", 6, 0);
    selectInDialog({dir / "second.avi", dir / "First.avi"}, InputFilter::AVI);
    EXPECT_EQ(pieces(*form).StatusPanels[2]->text(), "Processing frame :1");
    EXPECT_EQ(control<TRxSlider>(align, "PreviewSlider")->MaxValue(), 9);
    EXPECT_EQ(caption(), "Kestrave processing AVI: " + (dir / "First.avi").string());
    EXPECT_EQ(list.item(9)->text(), "Frame 10");
    for (const auto& [position, tag] : {std::pair{5, 5}, {6, 100}, {9, 103}, {2, 2}}) {
        control<TRxSlider>(align, "PreviewSlider")->setValue(position);
        EXPECT_EQ(tagOf(context.pipeline.input().PreviewBitmap), tag);
        EXPECT_EQ(pieces(*form).StatusPanels[2]->text().toStdString(),
                  "Processing frame :" + std::to_string(position + 1));
    }
}

TEST_F(InputWindowTest, TheFrameListBoxShowsTheListWithDroppedFramesExcluded) {
    writeTaggedAvi(dir / "clip.avi", 10);
    selectBatch(dir / "clip.avi");
    editRun(context.pipeline).state.BatchMode = false;
    editRun(context.pipeline).model.FrameTable[3].Dropped = true;
    // The box is clicked where the user sees it, in a window with room for every control.
    form->resize(1600, 1200);
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    QTest::mouseClick(control<TPCheck>(align, "ShowFramelist"), Qt::LeftButton);
    EXPECT_TRUE(pieces(*form).tools.SelectFrameswindow->isVisible());
    EXPECT_TRUE(context.pipeline.model().FrameTable[3].Excluded);
    EXPECT_FALSE(entryChecked(3));
    EXPECT_TRUE(entryChecked(4));

    QTest::mouseClick(control<TPCheck>(align, "ShowFramelist"), Qt::LeftButton);
    EXPECT_FALSE(pieces(*form).tools.SelectFrameswindow->isVisible());
    // Ranked frames: entry 7 stands for the frame of rank 7.
    editRun(context.pipeline).model.FramesRanked = true;
    for (int p = 0; p < 10; ++p) editRun(context.pipeline).model.FrameRanking[p].Frame = 9 - p;
    editRun(context.pipeline).model.FrameTable[2].Dropped = true;
    QTest::mouseClick(control<TPCheck>(align, "ShowFramelist"), Qt::LeftButton);
    EXPECT_TRUE(context.pipeline.model().FrameTable[2].Excluded);
    EXPECT_FALSE(entryChecked(7));
}

TEST_F(InputWindowTest, CheckAllKeepsDroppedFramesOutAndUsedframesCountsTheSelected) {
    writeTaggedAvi(dir / "clip.avi", 10);
    selectBatch(dir / "clip.avi");
    // The alignment pass found frame 3 empty.
    editRun(context.pipeline).model.FrameTable[3].Dropped =
        editRun(context.pipeline).model.FrameTable[3].Excluded = true;

    control<QPushButton>(*form, "Setnoneframelistbutton")->click();
    EXPECT_EQ(context.pipeline.model().usedframes, 0);
    EXPECT_FALSE(entryChecked(0));
    EXPECT_TRUE(context.pipeline.model().FrameTable[6].Excluded);
    EXPECT_EQ(frames(), "Frame : 1/10");

    control<QPushButton>(*form, "Setallbutton")->click();
    EXPECT_TRUE(context.pipeline.model().FrameTable[3].Excluded);
    EXPECT_FALSE(entryChecked(3));
    EXPECT_TRUE(entryChecked(4));
    EXPECT_EQ(context.pipeline.model().usedframes, 9);
    EXPECT_EQ(frames(), "Frame : 1/10 ( selected = 9) ");

    // Space on the dropped frame does nothing; on another frame it excludes it.
    control<TRxSlider>(align, "PreviewSlider")->setValue(3);
    EXPECT_TRUE(
        control<QLabel>(align, "DroppedFrameText")->isVisibleTo(control<QLabel>(align, "PreviewImage")));
    QTest::keyClick(control<TRxSlider>(align, "PreviewSlider"), Qt::Key_Space);
    EXPECT_TRUE(context.pipeline.model().FrameTable[3].Excluded);
    EXPECT_EQ(context.pipeline.model().usedframes, 9);
    control<TRxSlider>(align, "PreviewSlider")->setValue(4);
    EXPECT_FALSE(
        control<QLabel>(align, "DroppedFrameText")->isVisibleTo(control<QLabel>(align, "PreviewImage")));
    QTest::keyClick(control<TRxSlider>(align, "PreviewSlider"), Qt::Key_Space);
    EXPECT_TRUE(context.pipeline.model().FrameTable[4].Excluded);
    EXPECT_FALSE(entryChecked(4));
    EXPECT_EQ(context.pipeline.model().usedframes, 8);
    EXPECT_EQ(frames(), "Frame (5): 5/10");

    // A tick after the frame limit is counted too; a dropped frame cannot be ticked back.
    editRun(context.pipeline).state.ProcessStage = TProcessStage::stAligned;
    tick(list, 4, true);
    EXPECT_FALSE(context.pipeline.model().FrameTable[4].Excluded);
    EXPECT_EQ(context.pipeline.model().usedframes, 9);
    tick(list, 3, true);
    EXPECT_FALSE(entryChecked(3));
    EXPECT_EQ(context.pipeline.model().usedframes, 9);

    // While the reference is ready the count runs to the slider position.
    editRun(context.pipeline).state.ProcessStage = TProcessStage::stReferenceReady;
    control<TRxSlider>(align, "PreviewSlider")->setValue(5);
    tick(list, 0, false);
    EXPECT_EQ(context.pipeline.model().usedframes, 4);  // positions 0..5 without 0 and the dropped 3
    EXPECT_EQ(frames(), "Frame (6): 6/10 (stacksize 4)");
}

TEST_F(InputWindowTest, AMissingFileKeepsTheInputInUse) {
    const auto ser = writeSer(12);
    EXPECT_FALSE(context.pipeline.model().SerStretch);
    selectInDialog({ser}, InputFilter::SER);
    EXPECT_TRUE(context.pipeline.model().SerStretch);  // as the dialog's preview left it
    selectInDialog({dir / "gone.ser"}, InputFilter::SER);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].caption, "Missing file");
    EXPECT_EQ(messages.shown[0].text, "non existing file :" + (dir / "gone.ser").string());

    // A damaged file is refused the same way, before anything is reset.
    std::filesystem::copy_file(ser, dir / "short.ser");
    std::filesystem::resize_file(dir / "short.ser", 100);
    selectInDialog({dir / "short.ser"}, InputFilter::SER);
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[1].caption, "File error");
    // A file of another kind is read as the kind chosen in the dialog, whose reader refuses it.
    const int filter = pieces(*form).dialogs.Addbitmapdialog.FilterIndex;
    selectInDialog(writeBmps(1, true), InputFilter::PNG);
    ASSERT_EQ(messages.shown.size(), 3u);
    EXPECT_NE(messages.shown[2].caption, "File warning");
    EXPECT_EQ(pieces(*form).dialogs.Addbitmapdialog.FilterIndex, filter);

    EXPECT_EQ(context.pipeline.model().SerName, ser.string());
    EXPECT_EQ(list.count(), 12);
    control<TRxSlider>(align, "PreviewSlider")->setValue(7);
    EXPECT_EQ(frames(), "Frame (8): 8/12");
    EXPECT_EQ(caption(), "Kestrave processing SER: " + ser.string() + " 7");
}

TEST_F(InputWindowTest, AShowCalledWhileAFrameIsShownReturnsAtOnce) {
    auto files = writeBmps(5, true);
    selectInDialog(files, InputFilter::BMP);
    std::filesystem::remove(files[2]);
    // The read error of frame 2 is shown from inside the slider's handler; moving the slider
    // meanwhile starts no second show.
    messages.onShow = [&](const Message&) { control<TRxSlider>(align, "PreviewSlider")->setValue(3); };
    control<TRxSlider>(align, "PreviewSlider")->setValue(2);
    messages.onShow = nullptr;
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(frames(), "Frame (3): 3/5");
    EXPECT_EQ(caption(), "Kestrave processing BMP: " + files[2].string());
}

TEST_F(InputWindowTest, ColourIsDecidedByDetectionOrByTheAnswer) {
    control<TPCheck>(align, "Colourstack")->setChecked(false);
    control<TPCheck>(align, "AutoDetectColour")->setChecked(false);
    messages.reply(mrYes, true);
    selectInDialog(writeBmps(3, false), InputFilter::BMP);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].caption, "Colourimage");
    EXPECT_TRUE(control<TPCheck>(align, "Colourstack")->Checked());
    EXPECT_TRUE(control<TPCheck>(*form, "Colourprocess2")->Checked());
    EXPECT_TRUE(control<TPCheck>(align, "AutoDetectColour")->Checked());

    // Detected without asking from now on.
    control<TPCheck>(align, "LRGB")->setChecked(true);
    TempDir grey;
    std::vector<std::filesystem::path> files;
    for (int k = 0; k < 2; ++k) {
        files.push_back(grey / ("g" + std::to_string(k) + ".bmp"));
        writeBmp24(files.back(), patternPicture(9, 5, k, true));
    }
    selectInDialog(files, InputFilter::BMP);
    EXPECT_EQ(messages.shown.size(), 1u);
    EXPECT_FALSE(control<TPCheck>(align, "Colourstack")->Checked());
    EXPECT_FALSE(control<TPCheck>(align, "LRGB")->isEnabled());
    EXPECT_FALSE(control<TPCheck>(align, "LRGB")->Checked());
}

TEST_F(InputWindowTest, ANewInputPutsTheControlsBackUnlessHeld) {
    WaveletPage& wavelet = *pieces(*form).waveletPage;
    control<TRxSlider>(wavelet, "Layer3slider")->setValue(400);
    control<TRxSlider>(wavelet, "ContrastSlider")->setValue(600);
    control<TPCheck>(wavelet, "HoldContrastBrightness")->setChecked(true);
    control<TPCheck>(wavelet, "layer5checkbox")->setChecked(false);
    control<TRxSpinEdit>(*form, "Rbalance")->setValue(0.5);
    control<TRxSpinEdit>(wavelet, "RDXSpin")->setValue(3);
    control<TPCheck>(wavelet, "Lumichannel")->show();
    control<TRxSpinEdit>(*form, "ResampleSpin")->setValue(3.5);
    // What the window drew over its pictures for the input before.
    ViewState& view = context.shell.view;
    view.keepBoxOutline = view.CentrePickMode = true;
    view.BoxMark = TEdgeRect{7, 7, 7, 7};
    view.boxOutlineX = view.boxOutlineY = 7;
    view.graphBestQuality = 7.0f;
    view.graphBestFrame = 7;
    view.RGBArea = TCornerRect{7, 7, 7, 7};
    selectBatch(writeSer(4));

    EXPECT_EQ(control<TRxSlider>(wavelet, "Layer3slider")->Value(), 10);
    EXPECT_EQ(control<TRxSlider>(wavelet, "ContrastSlider")->Value(), 600);
    EXPECT_TRUE(control<TPCheck>(wavelet, "layer5checkbox")->Checked());
    EXPECT_DOUBLE_EQ(static_cast<double>(control<TRxSpinEdit>(*form, "Rbalance")->Value()), 1.0);
    EXPECT_EQ(static_cast<int>(control<TRxSpinEdit>(wavelet, "RDXSpin")->Value()), 0);
    EXPECT_FALSE(control<TPCheck>(wavelet, "Lumichannel")->isVisibleTo(&wavelet));
    EXPECT_DOUBLE_EQ(static_cast<double>(control<TRxSpinEdit>(*form, "ResampleSpin")->Value()), 2.0);
    EXPECT_EQ(control<TRadioGroup>(align, "FFTsizeGroup")->ItemIndex(), 0);
    EXPECT_EQ(context.pipeline.fft().FFTSize, 32);
    EXPECT_EQ(pieces(*form).Tabpages->currentIndex(), 0);
    EXPECT_FALSE(view.keepBoxOutline);
    EXPECT_FALSE(view.CentrePickMode);
    EXPECT_EQ(view.BoxMark.Left, -1);
    EXPECT_EQ(view.BoxMark.Right, -1);
    EXPECT_EQ(view.graphBestQuality, 0.0f);
    EXPECT_EQ(view.graphBestFrame, 0);
    EXPECT_EQ(view.boxOutlineX, -1);
    EXPECT_EQ(view.boxOutlineY, -1);
    EXPECT_EQ(view.RGBArea.X1, -1);
    EXPECT_EQ(view.RGBArea.Y1, -1);
    EXPECT_EQ(view.RGBArea.X2, -1);
    EXPECT_EQ(view.RGBArea.Y2, -1);
}

TEST_F(InputWindowTest, OneStillImageGoesStraightToTheWaveletPage) {
    const auto file = dir / "moon.bmp";
    writeBmp24(file, patternPicture(40, 30, 1, true));
    selectBatch(file);

    EXPECT_TRUE(context.pipeline.model().SingleImage);
    EXPECT_EQ(context.pipeline.model().FrameNames[1], file.string());
    EXPECT_EQ(control<TRxSlider>(align, "PreviewSlider")->MaxValue(), 1);
    EXPECT_EQ(pieces(*form).Tabpages->currentIndex(), 3);
    EXPECT_EQ(pieces(*form).PageControl1->currentIndex(), 3);
    EXPECT_TRUE(control<TRxSpeedButton>(*form, "Stackbutton")->isEnabled());
    EXPECT_EQ(control<QLabel>(align, "PreviewImage")->pixmap().size(), QSize(40, 30));
    EXPECT_EQ(context.pipeline.state().FeatureX, 20);
    EXPECT_EQ(list.count(), 0);
    // The one image was stacked.
    EXPECT_EQ(context.pipeline.state().progstatus, TProgStatus::psStacked);
    EXPECT_EQ(context.pipeline.state().activepage, TMainTab::tabFinal);
    EXPECT_EQ(context.pipeline.model().ImageWidth, 40);
    for (const Message& message : messages.shown) EXPECT_NE(message.caption, "Illegal Tabpage");
}

TEST_F(InputWindowTest, TheStackPageFollowsEachNewInput) {
    // What the Stack page shows once an input is taken, after the page was left with the points
    // on, the graph shown, resampling by 3 and both passes open.
    enum Kind { Series, Single, Ser };
    struct Case {
        const char* name;
        std::vector<Kind> inputs;
    };
    const Case cases[] = {{"series", {Series}},
                          {"single image", {Single}},
                          {"a series after a single image", {Single, Series}},
                          {"a single image after a series", {Series, Single}},
                          {"a 16-bit video", {Ser}},
                          {"still pictures after a 16-bit video", {Ser, Series}}};
    StackPage& stack = *pieces(*form).stackPage;
    int taken = 0;
    for (const Case& c : cases) {
        for (const Kind kind : c.inputs) {
            control<TPCheck>(stack, "Multi")->setChecked(true);
            control<TPCheck>(stack, "Showstackgraph")->setChecked(true);
            control<TPCheck>(stack, "Resampled")->setChecked(true);
            control<TRxSpinEdit>(stack, "ResampleSpin")->setValue(3);
            control<TRxSpeedButton>(stack, "Stackbutton")->setEnabled(true);
            control<TRxSpeedButton>(stack, "Statisticalstackbutton")->setEnabled(true);
            // The stack of the input before was saved: nothing to ask.
            context.shell.ImageSaved = true;
            if (kind == Ser) {
                selectInDialog({writeSer(4, 12)}, InputFilter::SER);
                continue;
            }
            // Still pictures: resampling stays offered, as it is not for 16-bit kinds.
            std::vector<std::filesystem::path> files;
            for (int k = 0; k < (kind == Series ? 3 : 1); ++k) {
                files.push_back(dir / ("input" + std::to_string(++taken) + ".bmp"));
                writeBmp24(files.back(), patternPicture(9, 5, taken, true));
            }
            selectInDialog(files, InputFilter::BMP);
        }
        const bool single = c.inputs.back() == Single;
        const bool ser = c.inputs.back() == Ser;
        ASSERT_EQ(context.pipeline.model().SingleImage, single) << c.name;
        // Every input starts with one box and the resampling factor 2 (the drizzle factor follows).
        EXPECT_FALSE(control<TPCheck>(stack, "Multi")->Checked()) << c.name;
        EXPECT_DOUBLE_EQ(static_cast<double>(control<TRxSpinEdit>(stack, "ResampleSpin")->Value()), 2.0)
            << c.name;
        EXPECT_DOUBLE_EQ(static_cast<double>(control<TRxSpinEdit>(stack, "Drizzlefact")->Value()), 2.0)
            << c.name;
        EXPECT_FLOAT_EQ(context.pipeline.state().ResampleFactor, 2.0f) << c.name;
        // A series waits for its ranking; a single image is stacked at once, as it is.
        EXPECT_EQ(control<TRxSpeedButton>(stack, "Stackbutton")->isEnabled(), single) << c.name;
        EXPECT_FALSE(control<TRxSpeedButton>(stack, "Statisticalstackbutton")->isEnabled()) << c.name;
        EXPECT_EQ(control<TPCheck>(stack, "Showstackgraph")->Checked(), !single) << c.name;
        EXPECT_EQ(control<TPCheck>(stack, "Resampled")->Checked(), !single && !ser) << c.name;
        EXPECT_EQ(control<TRxSpinEdit>(stack, "ResampleSpin")->isHidden(), ser) << c.name;
    }
    // Each 16-bit video taken warns that debayering it would reduce it to 8 bits.
    EXPECT_EQ(std::count_if(messages.shown.begin(), messages.shown.end(),
                            [](const Message& m) { return m.caption == "Debayer warning"; }),
              2);
}

TEST_F(InputWindowTest, TheStackListTogglesTheClickedAndHighlightedEntriesOnce) {
    writeTaggedAvi(dir / "clip.avi", 8);
    selectBatch(dir / "clip.avi");
    // As the alignment pass leaves it: ranked, both lists in rank order.
    FrameModel& model = editRun(context.pipeline).model;
    const int order[8] = {5, 2, 7, 0, 1, 3, 4, 6};
    for (int j = 0; j < 8; ++j) model.FrameRanking[j].Frame = order[j];
    model.FramesRanked = true;
    QListWidget& stackList = *control<CheckListBox>(*form, "StackFramesList");
    for (int j = 0; j < 8; ++j) {
        auto* item = new QListWidgetItem("Frame " + QString::number(order[j] + 1));
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Checked);
        const QSignalBlocker quiet(&stackList);
        stackList.addItem(item);
    }
    stackList.item(2)->setSelected(true);
    stackList.item(5)->setSelected(true);
    tick(stackList, 2, false);

    EXPECT_EQ(stackList.item(2)->checkState(), Qt::Unchecked);
    EXPECT_EQ(stackList.item(5)->checkState(), Qt::Unchecked);
    EXPECT_TRUE(model.FrameTable[7].Excluded);
    EXPECT_TRUE(model.FrameTable[3].Excluded);
    EXPECT_FALSE(model.FrameTable[2].Excluded);
    EXPECT_FALSE(entryChecked(2));
    EXPECT_FALSE(entryChecked(5));
    EXPECT_TRUE(entryChecked(1));
    EXPECT_EQ(model.usedframes, 6);
    // Not one of the last two: single selection from now on, the next entry current.
    EXPECT_FALSE(control<TPCheck>(*form, "PCheck2")->Checked());
    EXPECT_EQ(stackList.selectionMode(), QAbstractItemView::SingleSelection);
    EXPECT_EQ(stackList.currentRow(), 3);

    stackList.setCurrentRow(4);
    pieces(*form).input->StackFramesListClick();
    EXPECT_EQ(control<TRxSlider>(*form, "StackSlider")->Value(), 4);
}

// The window's file dialogs select the name they propose: a name typed replaces it, for a save
// and for an open.
TEST_F(InputWindowTest, ANameTypedIntoAFileDialogReplacesTheOneItProposes) {
    TempDir folder;
    std::ofstream(folder.path() / "typed.png") << "png";
    QtFileDialogs dialogs(form.get());
    for (const auto& [kind, preview] :
         {std::pair{TFileDialog::Kind::Save, false}, std::pair{TFileDialog::Kind::Open, false},
          std::pair{TFileDialog::Kind::Open, true}}) {
        TFileDialog dialog;
        dialog.kind = kind;
        dialog.Preview = preview;
        dialog.Filter = "PNG (16BIT*RGB)|*.png";
        dialog.FilterIndex = 1;
        dialog.InitialDir = folder.path();
        dialog.FileName = folder.path() / "earlier-result.png";
        QTimer::singleShot(50, [] {
            auto* shown = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(shown, nullptr);
            auto* name = shown->findChild<QLineEdit*>("fileNameEdit");
            ASSERT_NE(name, nullptr);
            QTest::keyClicks(name, "typed.png");
            QTest::keyClick(name, Qt::Key_Return);
        });
        ASSERT_TRUE(dialogs.Execute(dialog)) << static_cast<int>(kind) << preview;
        EXPECT_EQ(dialog.FileName, folder.path() / "typed.png") << static_cast<int>(kind) << preview;
    }
}

// Qt reads a filter's patterns from its last parentheses, separated by blanks: a pattern list in
// the description gives way to the whole list, and semicolons become blanks.
TEST(QtNameFilters, GiveQtEveryPatternOfEachFilter) {
    const QStringList filters = qtNameFilters(WindowDialogs().Addbitmapdialog.Filter);
    ASSERT_EQ(filters.size(), 7);
    EXPECT_EQ(filters[0], "Video (*.avi)");
    EXPECT_EQ(filters[2], "Fit frame(s) (*.fit *.fits *.fts)");
    EXPECT_EQ(filters[4], "Tiff frame(s) (*.tif *.tiff)");
    EXPECT_EQ(filters[6], "Movra recorder SER (*.ser)");
    // A parenthesis that is no pattern list stays part of the description.
    EXPECT_EQ(qtNameFilters("FIT (16-bit)|*.fit|BMP (8BIT*RGB)|*.bmp"),
              (QStringList{"FIT (16-bit) (*.fit)", "BMP (8BIT*RGB) (*.bmp)"}));
}

}  // namespace kestrave::test

namespace kestrave::test {

// A stack nobody saved is given up only when the user agrees, whichever way the new input comes:
// Cancel, and Yes whose save writes nothing, keep the open input and its stack.
TEST_F(InputWindowTest, ANewInputAsksBeforeAnUnsavedStackIsGivenUp) {
    const auto ser = writeSer(12);
    selectInDialog({ser}, InputFilter::SER);
    editRun(context.pipeline).state.activepage = TMainTab::tabWavelet;
    messages.shown.clear();
    const auto bmps = writeBmps(3, true);

    messages.reply(mrCancel);
    selectInDialog(bmps, InputFilter::BMP);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].caption, "New input");
    EXPECT_EQ(messages.shown[0].text, "You have not saved.\n\rSave before opening the new input ?");
    EXPECT_EQ(messages.shown[0].buttons, mbYesNoCancel);
    EXPECT_EQ(messages.shown[0].defaultButton, mbCancel);
    messages.reply(mrYes);  // the save writes nothing
    pieces(*form).input->PJFormDropFiles1DropFiles({bmps[0].string()});
    EXPECT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(context.pipeline.model().SerName, ser.string());
    EXPECT_EQ(context.pipeline.state().activepage, TMainTab::tabWavelet);
    EXPECT_EQ(list.count(), 12);

    messages.reply(mrNo);
    pieces(*form).input->PJFormDropFiles1DropFiles({bmps[0].string(), bmps[1].string()});
    EXPECT_TRUE(context.pipeline.model().InputIsSeries);
    EXPECT_EQ(list.count(), 2);
    // Nothing stacked from the new input: the next one comes without a question.
    selectInDialog({ser}, InputFilter::SER);
    EXPECT_EQ(messages.shown.size(), 3u);
    EXPECT_EQ(context.pipeline.model().SerName, ser.string());
}

// The result's save dialog keeps the name the last result was saved under; a video's saves
// propose the video's own name.
TEST_F(InputWindowTest, TheSaveDialogsKeepTheResultsNameAndProposeAVideosOwn) {
    const auto ser = writeSer(12);
    selectInDialog({ser}, InputFilter::SER);
    TFileDialog& save = pieces(*form).dialogs.WaveletSave;
    save.FileName = ser.parent_path() / "night-result.png";
    selectInDialog(writeBmps(3, true), InputFilter::BMP);
    EXPECT_EQ(save.FileName, ser.parent_path() / "night-result.png");

    // A video's saves propose the first video's own name, without its extension.
    writeTaggedAvi(dir / "Jupiter.avi", 4, 0);
    selectInDialog({dir / "Jupiter.avi"}, InputFilter::AVI);
    const WindowDialogs& saves = pieces(*form).dialogs;
    for (const TFileDialog* proposal :
         {&saves.SaveDialog1, &saves.WaveletSave, &saves.SaveDialog3, &saves.SaveDialog4})
        EXPECT_EQ(proposal->FileName, "Jupiter");
}

// A TIFF still whose compression tag says 32773 (a scheme the reader does not decode).
std::filesystem::path writePackedTiff(const std::filesystem::path& file) {
    TTIFFBitMap image(6, 4);
    image.fill(50, 50, 50);
    TTIFFBitMap::SaveToTIFF(image, file, 24, false);
    std::fstream tiff(file, std::ios::in | std::ios::out | std::ios::binary);
    std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(tiff)),
                                     std::istreambuf_iterator<char>());
    const bool little = bytes.at(0) == 'I';
    const auto word = [&](std::size_t at) {
        return little ? bytes.at(at) | bytes.at(at + 1) << 8 : bytes.at(at) << 8 | bytes.at(at + 1);
    };
    const std::size_t ifd = little ? word(4) | word(6) << 16 : word(4) << 16 | word(6);
    for (std::size_t entry = ifd + 2; entry < ifd + 2 + 12 * word(ifd); entry += 12) {
        if (word(entry) != 259) continue;
        tiff.seekp(static_cast<std::streamoff>(entry + 8));
        tiff.put(static_cast<char>(little ? 0x05 : 0x80)).put(static_cast<char>(little ? 0x80 : 0x05));
        return file;
    }
    ADD_FAILURE() << "no compression tag";
    return file;
}

// A series of stills the reader cannot decode is refused before anything about it is asked,
// and the message names the file.
TEST_F(InputWindowTest, AnUnreadableTiffSeriesIsToldFirstAndByName) {
    control<TRadioGroup>(align, "Fittifstretch")
        ->setItemIndex(0);  // the stretch is asked for every TIFF input
    const auto first = writePackedTiff(dir / "moon1.tif");
    selectInDialog({first, writePackedTiff(dir / "moon2.tif")}, InputFilter::TIF);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "Unsupported TIFF file: compression 32773\n" + first.string());
    EXPECT_EQ(context.pipeline.state().ProcessStage, TProcessStage::stNone);
}

}  // namespace kestrave::test
