// The Stack page on the offscreen platform: "Stack" on a recording held in memory, cancel and
// failures that keep the previous stack; on a SER file chosen through the input selection, the
// cut-offs that show a frame and the stack size, and a stack of the file's frames.

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QStackedWidget>
#include <QToolButton>

#include "frames/input_selection.h"
#include "platform/errors.h"
#include "shell/controllers/input_controller.h"
#include "shell/pages/align_page.h"
#include "shell/pages/frame_windows.h"
#include "shell/pages/named_control.h"
#include "shell/pages/optimize_page.h"
#include "shell/pages/stack_page.h"
#include "shell/tab_strip.h"
#include "stack_page_support.h"
#include "support/sample_recording.h"
#include "widgets/bitmap_view.h"
#include "widgets/check_box.h"
#include "widgets/rect_shape.h"
#include "widgets/slider.h"
#include "widgets/spin_edit.h"

namespace kestrave::test {

namespace fs = std::filesystem;

namespace {

bool shown(const ScriptedPresenter& presenter, const std::string& caption, const std::string& text) {
    for (const Message& message : presenter.shown)
        if (message.caption == caption && message.text == text) return true;
    return false;
}

}  // namespace

TEST_F(StackPageTest, StackButtonStacksShowsTheStackAndOpensTheLaterPages) {
    StackPage& page = *pieces(*form).stackPage;
    control<TRxSlider>(*form, "StackSlider")->setValue(3);  // ranks 0..3
    control<TPCheck>(*form, "Showalignpoints")->setEnabled(false);
    control<TRxSpeedButton>(page, "Stackbutton")->click();

    ASSERT_TRUE(context.pipeline.stack().exists());
    EXPECT_EQ(context.pipeline.state().progstatus, TProgStatus::psStacked);
    EXPECT_EQ(context.pipeline.state().activepage, TMainTab::tabFinal);
    EXPECT_TRUE(context.shell.WaveletTabPending);
    EXPECT_TRUE(context.shell.WaveletPagePending);
    EXPECT_EQ(pieces(*form).Tabpages->currentIndex(), 2);
    EXPECT_EQ(pieces(*form).PageControl1->currentWidget(), static_cast<QWidget*>(&page));
    EXPECT_EQ(context.pipeline.stack().result.stackList, (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(control<TRxSlider>(*form, "StackSlider")->Tag(), 3);
    EXPECT_EQ(pieces(*form).StatusPanels[3]->text(), "Stack size (n=4) - (40x30)");
    const QImage picture = shownPicture();
    EXPECT_EQ(picture.size(), QSize(Width, Height));
    EXPECT_EQ(shownGrey(0, 0), 100);
    EXPECT_EQ(shownGrey(Width - 1, Height - 1), 100);
    // Everything the run switched off for its time is back.
    EXPECT_TRUE(page.isEnabled());
    EXPECT_TRUE(pieces(*form).Tabpages->isEnabled());
    EXPECT_TRUE(control<QTabWidget>(*form, "glPageControl2")->isEnabled());
    EXPECT_TRUE(control<TRxSpeedButton>(page, "Savebutton")->isEnabled());
    EXPECT_TRUE(control<TPCheck>(*form, "Showalignpoints")->isEnabled()) << "the points may be shown on it";
    EXPECT_FALSE(control<QLabel>(page, "Stacklabel")->isVisible());
    EXPECT_EQ(control<QLabel>(page, "Stacklabel")->text(), "Finishing stack") << "the run's last activity";
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(messages.shown.empty());

    // The page's options reach the run: a resampled stack of factor 2, then a drizzled one of
    // factor 3 (ticking Drizzling unticks Resampled and sizes the canvas).
    control<TRxSpinEdit>(page, "ResampleSpin")->setValue(2.0);
    control<TPCheck>(page, "Resampled")->setChecked(true);
    pieces(*form).stack->ResampledClick();
    control<TRxSpeedButton>(page, "Stackbutton")->click();
    EXPECT_EQ(shownPicture().size(), QSize(2 * Width - 1, 2 * Height - 1));
    EXPECT_EQ(context.pipeline.model().ImageWidth, 2 * Width - 1);
    EXPECT_FALSE(control<TRxSpeedButton>(*form, "Restartalign")->isVisible());

    control<TRxSpinEdit>(page, "Drizzlefact")->setValue(3.0);
    control<TPCheck>(page, "Drizzling")->setChecked(true);
    pieces(*form).stack->DrizzlingClick();
    EXPECT_FALSE(control<TPCheck>(page, "Resampled")->Checked());
    control<TRxSpeedButton>(page, "Stackbutton")->click();
    EXPECT_EQ(shownPicture().size(), QSize(3 * Width - 1, 3 * Height - 1));

    // A stack wider and taller than the view opens at the feature, drizzled (x 3) or not; the
    // Wavelet page's view goes back to its origin.
    form->show();
    QScrollArea& processed = *control<QScrollArea>(*form, "Scrollbox3");
    ASSERT_LT(control<QScrollArea>(page, "ScrollBox2")->viewport()->width(), 1259);
    for (const bool drizzled : {true, false}) {
        SCOPED_TRACE(drizzled ? "drizzled" : "frame size");
        const int side = drizzled ? 1 : 3;
        FrameModel& model = editRun(context.pipeline).model;
        model.FrameWidth = model.FrameWidthRaw = model.ImageWidth = 420 * side;
        model.FrameHeight = model.FrameHeightRaw = model.ImageHeight = 250 * side;
        frames.frames.assign(Count, makePlane(420 * side, 250 * side, [](int, int) { return 100.0f; }));
        editRun(context.pipeline).state.FeatureX = 150 * side;
        editRun(context.pipeline).state.FeatureY = 120 * side;
        control<TPCheck>(page, "Drizzling")->setChecked(drizzled);
        pieces(*form).stack->DrizzlingClick();
        processed.horizontalScrollBar()->setRange(0, 500);
        processed.horizontalScrollBar()->setValue(100);
        control<TRxSpeedButton>(page, "Stackbutton")->click();
        EXPECT_EQ(processed.horizontalScrollBar()->value(), 0);
        const auto* view = control<QScrollArea>(page, "ScrollBox2");
        EXPECT_EQ(view->horizontalScrollBar()->value(), 450 - 408);
        EXPECT_EQ(view->verticalScrollBar()->value(), 360 - 312);
    }
}

TEST_F(StackPageTest, CancelDuringTheStackKeepsThePreviousStack) {
    StackPage& page = *pieces(*form).stackPage;
    control<TRxSpeedButton>(page, "Stackbutton")->click();
    ASSERT_TRUE(context.pipeline.stack().exists());
    context.shell.WaveletTabPending = false;

    fillFrames(200.0f);
    cancelOnRead(6);
    messages.reply(mrYes);
    // The Wavelet page's view stays where it was scrolled.
    QScrollArea& processed = *control<QScrollArea>(*form, "Scrollbox3");
    processed.horizontalScrollBar()->setRange(0, 500);
    processed.horizontalScrollBar()->setValue(100);
    control<TRxSpeedButton>(page, "Stackbutton")->click();
    EXPECT_EQ(processed.horizontalScrollBar()->value(), 100);

    EXPECT_TRUE(shown(messages, "Cancelling ...", "Do you want to cancel ?"));
    EXPECT_EQ(shownGrey(5, 5), 100);
    EXPECT_EQ(context.pipeline.wavelet().Stackimage.pixel(5, 5)[1], 100);
    EXPECT_FLOAT_EQ(context.pipeline.images().StackPlanes[1][5][5], 100.0f);
    EXPECT_FALSE(context.shell.WaveletTabPending);
    EXPECT_TRUE(page.isEnabled());
    EXPECT_TRUE(pieces(*form).Tabpages->isEnabled());
    EXPECT_FALSE(control<QLabel>(page, "Stacklabel")->isVisible());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    // The next stack runs to its end again.
    frames.onRead = nullptr;
    control<TRxSpeedButton>(page, "Stackbutton")->click();
    EXPECT_EQ(shownGrey(5, 5), 200);
}

TEST_F(StackPageTest, RefusalsAndFailuresReportAndLeaveTheStackAsItWas) {
    StackPage& page = *pieces(*form).stackPage;
    control<TRxSpeedButton>(page, "Stackbutton")->click();
    ASSERT_TRUE(context.pipeline.stack().exists());
    context.shell.WaveletTabPending = false;
    fillFrames(200.0f);

    // Every frame excluded: nothing is read.
    for (int i = 0; i < Count; ++i) editRun(context.pipeline).model.FrameTable[i].Excluded = true;
    const int readsBefore = frames.reads.load();
    control<TRxSpeedButton>(page, "Stackbutton")->click();
    EXPECT_TRUE(shown(messages, "Stacking", "No frames to stack, please change slider(s)"));
    EXPECT_EQ(frames.reads.load(), readsBefore);
    for (int i = 0; i < Count; ++i) editRun(context.pipeline).model.FrameTable[i].Excluded = false;

    // A frame that cannot be read ends the run with the reader's message.
    frames.onRead = [](int frame) {
        if (frame == 3) throw FileError("Frame 3 is truncated.");
    };
    control<TRxSpeedButton>(page, "Stackbutton")->click();
    EXPECT_TRUE(shown(messages, "Stacking", "Frame 3 is truncated."));
    EXPECT_EQ(shownGrey(5, 5), 100);
    EXPECT_FLOAT_EQ(context.pipeline.images().StackPlanes[1][5][5], 100.0f);
    EXPECT_FALSE(context.shell.WaveletTabPending);
    EXPECT_TRUE(page.isEnabled());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    // A dark frame of another size than the frames is switched off, and its box unchecked.
    frames.onRead = nullptr;
    control<TPCheck>(*form, "Usedarkframe")->setChecked(true);
    control<TRxSpeedButton>(page, "Stackbutton")->click();
    EXPECT_TRUE(shown(messages, "Imagesize error", " darkframe size does not match imagesize !!"));
    EXPECT_FALSE(control<TPCheck>(*form, "Usedarkframe")->Checked());
    EXPECT_EQ(shownGrey(5, 5), 200);
}

// While a stack runs the Optimize page's options wait, and they come back however the run ends;
// "Restart align" shows only for a stack on the frame's own canvas, and goes while resampling is
// chosen.
TEST_F(StackPageTest, TheOptimizePageWaitsWhileAStackRunsAndRealignsOnlyOnTheFramesCanvas) {
    StackPage& page = *pieces(*form).stackPage;
    const QWidget& options = *control<QTabWidget>(*form, "glPageControl2");
    const QWidget& realign = *control<TRxSpeedButton>(*form, "Restartalign");
    const struct {
        const char* name;
        bool expanded, unreadable;
    } cases[] = {{"expanded", true, false}, {"frame-sized", false, false}, {"unreadable", true, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        control<TPCheck>(page, "Expandstack")->setChecked(c.expanded);
        bool optionsDuring = true;
        bool realignDuring = c.expanded;
        frames.onRead = [&](int frame) {
            optionsDuring = options.isEnabled();
            realignDuring = !realign.isHidden();
            if (c.unreadable && frame == 3) throw FileError("Frame 3 is truncated.");
        };
        control<TRxSpeedButton>(page, "Stackbutton")->click();
        EXPECT_EQ(shown(messages, "Stacking", "Frame 3 is truncated."), c.unreadable);
        EXPECT_FALSE(optionsDuring);
        EXPECT_EQ(realignDuring, !c.expanded);
        EXPECT_EQ(realign.isHidden(), c.expanded);
        EXPECT_TRUE(options.isEnabled());
    }

    // Choosing resampling takes "Restart align" away, dropping it brings it back.
    control<TPCheck>(page, "Expandstack")->setChecked(false);
    for (const bool resampled : {true, false, true}) {
        control<TPCheck>(page, "Resampled")->setChecked(resampled);
        pieces(*form).stack->ResampledClick();
        EXPECT_EQ(realign.isHidden(), resampled);
    }
}

// A recording chosen as the user does: a SER file through the input selection.
struct SerStackTest : ShellWindowTest {
    static constexpr int Frames = 8;

    SerStackTest() {
        synth::SynthOptions options = smallRecordingOptions();
        options.width = 24;
        options.height = 16;
        options.frames = Frames;
        const fs::path file = writeSampleRecording(dir.path(), options, "planet.ser").path;
        pieces(*form).input->chooseInput = [file] { return ChosenInput{{file.string()}, InputFilter::SER}; };
        pieces(*form).input->SelectFileButtonClick();
        // Ranked as the alignment leaves it: the best frame first, each with its difference.
        FrameModel& model = editRun(context.pipeline).model;
        model.FramesRanked = true;
        for (int rank = 0; rank < Frames; ++rank) {
            model.FrameRanking[rank].Frame = Frames - 1 - rank;
            TAlignSlotRec& slot = model.FrameTable[Frames - 1 - rank].Slots[0];
            slot.Quality = static_cast<float>(Frames - rank);
            slot.Difference = 1.0f;
        }
        editRun(context.pipeline).state.ProcessStage = TProcessStage::stAligned;
        editRun(context.pipeline).state.activepage = TMainTab::tabStack;
        control<TRxSpeedButton>(*form, "Stackbutton")->setEnabled(true);
    }
    QImage shownPicture() const {
        return control<QLabel>(*form, "Stackimage")->pixmap().toImage().convertToFormat(QImage::Format_RGB32);
    }
    QImage previewPicture() const {
        return bitmapView(context.pipeline.input().PreviewBitmap).convertToFormat(QImage::Format_RGB32);
    }

    TempDir dir;
};

TEST_F(SerStackTest, CutoffsShowTheFrameTheStackSizeAndItsQuality) {
    ASSERT_EQ(control<TRxSlider>(*form, "StackSlider")->MaxValue(), Frames - 1);
    editRun(context.pipeline).model.FrameTable[Frames - 1 - 2].Excluded = true;  // the frame at rank 2
    StackPage& page = *pieces(*form).stackPage;
    const auto shapeColour = [&] { return control<TRectShape>(page, "stackshape")->Brush().color(); };
    // The box's feature, and the shift of frame 2 (at rank 5).
    editRun(context.pipeline).alignPoints.PointPos[1] = {12, 8};
    editRun(context.pipeline).model.FrameTable[2].Slots[0].X = 2;
    editRun(context.pipeline).model.FrameTable[2].Slots[0].Y = -1;

    control<TRxSlider>(*form, "StackSlider")->setValue(5);
    // Ranks 0..4 less the excluded one, and the frame at the cut-off itself; the quality of rank
    // 4 is 4 of the best 8.
    EXPECT_EQ(pieces(*form).StatusPanels[3]->text(), "Stacksize: 5 Low quality :50.00%");
    EXPECT_EQ(shapeColour(), QColor(0, 0x80, 0));
    EXPECT_EQ(control<QLabel>(*form, "RxLabel4")->text(),
              "Difference Cutoff (green line) (max =1.000) ( % 100)");
    // The frame at rank 5 (frame 2) is read into the preview and shown on the stack picture; the
    // caption names it after two blanks.
    EXPECT_NE(form->windowTitle().toStdString().find("planet.ser  2"), std::string::npos)
        << form->windowTitle().toStdString();
    // The feature is ringed where this frame has it, at (14, 7); the rest is the frame.
    const QImage shown = shownPicture();
    const QImage preview = previewPicture();
    EXPECT_EQ(shown.pixel(19, 7), qRgb(255, 255, 0));
    EXPECT_EQ(shown.pixel(14, 7), preview.pixel(14, 7));
    EXPECT_EQ(shown.copy(0, 0, 8, 16), preview.copy(0, 0, 8, 16));
    EXPECT_EQ(
        control<QLabel>(*form, "PreviewImage")->pixmap().toImage().convertToFormat(QImage::Format_RGB32),
        previewPicture());

    control<TRxSlider>(*form, "StackSlider")->setValue(2);
    EXPECT_EQ(shapeColour(), QColor(Qt::red));
    EXPECT_NE(form->windowTitle().toStdString().find("planet.ser  5"), std::string::npos);

    // Half the largest difference lets no other frame through.
    control<TRxSlider>(*form, "StackSlider")->setValue(5);
    control<TRxSlider>(*form, "differencecutslider")->setValue(500);
    EXPECT_EQ(pieces(*form).StatusPanels[3]->text(), "Stacksize: 1 Low quality :100.00%");

    // The frame limit sets the quality cut-off; above the range it takes the range's end.
    control<TRxSpinEdit>(*form, "LimitStack")->setValue(3);
    EXPECT_EQ(control<TRxSlider>(*form, "StackSlider")->Value(), 3);
    control<TRxSpinEdit>(*form, "LimitStack")->setValue(100);
    EXPECT_EQ(control<TRxSlider>(*form, "StackSlider")->Value(), Frames - 1);
    EXPECT_EQ(static_cast<int>(control<TRxSpinEdit>(*form, "LimitStack")->Value()), Frames - 1);
}

TEST_F(SerStackTest, StackingOneFrameOfTheSerFileGivesItsSamples) {
    control<TRxSlider>(*form, "StackSlider")
        ->setValue(0);  // the best frame alone (frame 7), read by the slider
    const T2dArrays samples = context.pipeline.images().RawFramePlane;
    messages.reply(mrYes);  // " Only one frame to stack, continue ??? "
    control<TRxSpeedButton>(*form, "Stackbutton")->click();

    ASSERT_TRUE(context.pipeline.stack().exists());
    EXPECT_EQ(context.pipeline.stack().result.stackList, std::vector<int>{Frames - 1});
    EXPECT_EQ(context.pipeline.state().progstatus, TProgStatus::psStacked);
    // A raw 8-bit SER frame renders over the sample range 0..255: one frame stacked shows its own
    // samples.
    const QImage stack = shownPicture();
    ASSERT_EQ(stack.size(), QSize(samples.xCount(), samples.yCount()));
    int differing = 0;
    for (int y = 0; y < stack.height(); ++y)
        for (int x = 0; x < stack.width(); ++x)
            differing += qGreen(stack.pixel(x, y)) != static_cast<int>(samples[x][y]);
    EXPECT_EQ(differing, 0);
}

}  // namespace kestrave::test
