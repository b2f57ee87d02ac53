// The Optimize page's handlers on a synthesised SER recording chosen as a batch run chooses it and
// aligned by the Align page: the frame limit, optimize-and-stack and "Create" as the batch runner
// calls them, and a cancel during the optimizer.

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTabBar>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "registration/registration_graph.h"
#include "shell/controllers/align_controller.h"
#include "shell/controllers/input_controller.h"
#include "shell/controllers/optimize_controller.h"
#include "shell/controllers/stack_controller.h"
#include "shell/pages/align_page.h"
#include "shell/pages/line_chart.h"
#include "shell/pages/named_control.h"
#include "shell/pages/optimize_page.h"
#include "shell/pages/stack_page.h"
#include "shell/pages/wavelet_page.h"
#include "shell/speed_bar.h"
#include "shell/tab_strip.h"
#include "shell/tool_windows.h"
#include "shell_test_support.h"
#include "support/page_test_access.h"
#include "support/sample_recording.h"
#include "widgets/bitmap_view.h"
#include "widgets/check_box.h"
#include "widgets/radio_group.h"
#include "widgets/slider.h"
#include "widgets/spin_edit.h"

namespace kestrave::test {

namespace {

constexpr int FrameCount = 24;
// The side of the alignment box: FFTsizeGroup item 1.
constexpr int Box = 64;

// The optimizer's part of one frame's record.
struct OptimizedShift {
    int x, y;
    float subX, subY, difference, improvement;
    bool operator==(const OptimizedShift&) const = default;
};

struct OptimizePageTest : ShellWindowTest {
    TempDir dir;
    OptimizePage& page = *pieces(*form).optimizePage;
    AlignPage& align = *pieces(*form).alignPage;

    // Chooses the recording as a batch run does, picks the planet on frame 0 and aligns every
    // frame.
    OptimizePageTest() {
        // Start-up makes the planes of the processing area.
        createImagePlanes(editRun(context.pipeline).images, DefaultProcessAreaItem, context.progress(),
                          context.messages());
        synth::SynthOptions options = smallRecordingOptions();
        options.width = 128;
        options.height = 96;
        options.frames = FrameCount;
        const SampleRecording recording = writeSampleRecording(dir.path(), options, "planet.ser");
        editRun(context.pipeline).state.BatchMode = true;
        editRun(context.pipeline).input.BatchInputFile = recording.path.string();
        pieces(*form).input->SelectFileButtonClick();
        editRun(context.pipeline).state.BatchMode = false;

        // The 64 box around the planet, picked on frame 0; every frame aligned.
        control<TRadioGroup>(align, "FFTsizeGroup")->setItemIndex(1);
        pieces(*form).align->FFTsizeGroupClick();
        QTest::mouseClick(control<QLabel>(align, "PreviewImage"), Qt::LeftButton, Qt::NoModifier,
                          QPoint(options.width / 2, options.height / 2));
        EXPECT_EQ(context.pipeline.state().ProcessStage, TProcessStage::stReferenceReady);
        editRun(context.pipeline).state.BatchMode = true;
        pieces(*form).align->AlignallButtonClick();
        editRun(context.pipeline).state.BatchMode = false;
        EXPECT_EQ(context.pipeline.state().progstatus, TProgStatus::psAligned);
        messages.shown.clear();
        control<TRxSpeedButton>(page, "Optimizeandstackbutton")->setEnabled(true);
        control<TPCheck>(page, "FastOptim")->setChecked(false);
    }

    std::vector<OptimizedShift> shifts() const {
        std::vector<OptimizedShift> all;
        for (int f = 0; f < FrameCount; ++f) {
            const TFrameRec& rec = context.pipeline.model().FrameTable[f];
            all.push_back({rec.Slots[0].X, rec.Slots[0].Y, rec.SubPixelX, rec.SubPixelY,
                           rec.Slots[0].Difference, rec.Improvement});
        }
        return all;
    }
    void limitAt(int position) {
        control<TRxSlider>(align, "PreviewSlider")->setValue(position);
        control<TRxSpeedButton>(align, "Setlimitbutton")->click();
    }
    // A pass's button on the Optimize page clicked, the stack before it counting as saved: the
    // question before a pass over an unsaved result is not these tests' own.
    void clickPass(const char* button) {
        pieces(*form).Tabpages->setCurrentIndex(static_cast<int>(TMainTab::tabOptimize));
        context.shell.ImageSaved = true;
        control<TRxSpeedButton>(page, button)->setEnabled(true);
        control<TRxSpeedButton>(page, button)->click();
    }
};

}  // namespace

TEST_F(OptimizePageTest, ANewInputKeepsTheReferenceFramesWithinHalfOfIt) {
    EXPECT_EQ(control<TRxSpinEdit>(page, "Refframes")->Value(), (FrameCount - 1) / 2);
    // "Goto Frame" keeps its own range whatever the input.
    EXPECT_EQ(control<TRxSpinEdit>(align, "Sliderset")->MaxValue(), 1000);
}

TEST_F(OptimizePageTest, LimitKeepsTheBestFramesUpToThePreviewPosition) {
    control<TRxSpinEdit>(page, "Refframes")->setValue(50);
    control<TRxSpeedButton>(*form, "Stackbutton")->setEnabled(false);
    limitAt(9);
    EXPECT_TRUE(control<TRxSpeedButton>(*form, "Stackbutton")->isEnabled())
        << "the limited frames can be stacked";

    EXPECT_EQ(control<TRxSlider>(align, "AlignSlider")->MaxValue(), 9);
    EXPECT_EQ(control<TRxSlider>(*form, "StackSlider")->MaxValue(), 9);
    EXPECT_EQ(control<TRxSlider>(*form, "StackSlider")->Tag(), 9);
    EXPECT_EQ(control<TRxSlider>(*form, "StackSlider")->Value(), 9);
    EXPECT_EQ(control<TRxSpinEdit>(*form, "LimitStack")->MaxValue(), 9);
    EXPECT_EQ(control<CheckListBox>(*form, "StackFramesList")->count(), 10);
    EXPECT_EQ(control<CheckListBox>(*form, "StackFramesList")->item(3)->text(),
              control<CheckListBox>(*form, "SelectFramesChecklist")->item(3)->text());
    ASSERT_EQ(chartSeries(page, "Series3")->Count(), 10);
    EXPECT_EQ(chartSeries(page, "Series3")->values()[9], context.pipeline.model().FrameRanking[9].Key);
    // The frame axis ends at the number of frames kept.
    const TChart& chart = page.optimizerChart();
    EXPECT_FALSE(chart.BottomAxis.Automatic);
    EXPECT_EQ(chart.BottomAxis.Maximum, 10.0);
    EXPECT_FLOAT_EQ(
        context.pipeline.optimizer().RelativeLimit,
        context.pipeline.model().FrameRanking[9].Key / context.pipeline.model().FrameRanking[0].Key);
    EXPECT_EQ(control<TRxSpinEdit>(page, "Refframes")->Value(), 4);  // at most half the limited frames
    EXPECT_EQ(pieces(*form).Tabpages->currentIndex(), static_cast<int>(TMainTab::tabOptimize));
    EXPECT_EQ(pieces(*form).StatusPanels[2]->text(), "Processing limited to 10 frames");
    EXPECT_TRUE(control<TRxSpeedButton>(page, "Optimizeandstackbutton")->isEnabled());
    // The frame slider is back at the best frame.
    EXPECT_EQ(control<TRxSlider>(align, "PreviewSlider")->Value(), 0);

    // The reference count never reaches beyond the limit.
    control<TRxSpinEdit>(page, "Refframes")->setValue(30);
    EXPECT_EQ(control<TRxSpinEdit>(page, "Refframes")->Value(), 9);

    // A second "Limit" with the slider at the best frame keeps two frames.
    control<TRxSpeedButton>(align, "Setlimitbutton")->click();
    EXPECT_EQ(control<TRxSlider>(align, "AlignSlider")->MaxValue(), 1);
    EXPECT_EQ(pieces(*form).StatusPanels[2]->text(), "Processing limited to 2 frames");
}

TEST_F(OptimizePageTest, OptimizeAndStackInABatchRunStacksTheLimitedFramesAndProcessesTheStack) {
    limitAt(15);
    editRun(context.pipeline).state.BatchMode = true;
    // The registration graph shows the frames as the run starts from them, also while it is not
    // shown: after a new reference every difference is to be measured again, drawn as 0.
    control<TPCheck>(page, "Optimizegraph")->setChecked(false);
    editRun(context.pipeline).optimizer.NewReferenceMade = true;
    bool shownAsRestored = false;
    auto progress = std::make_unique<NullProgress>();
    progress->onPoll = [&](NullProgress&) {
        if (chartSeries(pieces(*form).registrationWindows, "FastLineSeries2")->values() ==
            std::vector<double>(16, 0.0))
            shownAsRestored = true;
    };
    context.setProgress(std::move(progress));
    pieces(*form).optimize->AlignStackButtonClick();
    EXPECT_TRUE(shownAsRestored);

    EXPECT_GE(context.pipeline.alignment().OptimizePass, 1);
    EXPECT_EQ(context.pipeline.state().progstatus, TProgStatus::psStacked);
    EXPECT_EQ(pieces(*form).Tabpages->currentIndex(), static_cast<int>(TMainTab::tabWavelet));
    EXPECT_FALSE(context.pipeline.state().LayersDirty) << "the new stack was decomposed";
    EXPECT_EQ(context.pipeline.wavelet().ProcessPicture.width(), context.pipeline.model().FrameWidth);
    EXPECT_EQ(context.pipeline.wavelet().ProcessPicture.height(), context.pipeline.model().FrameHeight);
    EXPECT_TRUE(pieces(*form).Tabpages->isEnabled());
    EXPECT_TRUE(control<QTabWidget>(*form, "glPageControl3")->isEnabled());
    EXPECT_FALSE(context.operations.running());
    // The optimizer worked on the limited frames only.
    int refined = 0;
    for (int j = 0; j <= 15; ++j) {
        const TFrameRec& rec =
            context.pipeline.model().FrameTable[context.pipeline.model().FrameRanking[j].Frame];
        if (rec.SubPixelX != 0.0f || rec.SubPixelY != 0.0f) ++refined;
    }
    EXPECT_GT(refined, 0);
    for (int j = 16; j < FrameCount; ++j) {
        const TFrameRec& rec =
            context.pipeline.model().FrameTable[context.pipeline.model().FrameRanking[j].Frame];
        EXPECT_EQ(rec.SubPixelX, 0.0f);
        EXPECT_EQ(rec.SubPixelY, 0.0f);
    }
}

// "Automatic processing" ticked, the alignment goes on by itself: the limit, the optimizer and the
// stack, and the Wavelet page opens with the stack processed. Unticked, or in a batch run (whose
// command line names its own steps), the alignment stops at the ranking.
TEST_F(OptimizePageTest, AutomaticProcessingGoesOnFromTheAlignmentToTheProcessedStack) {
    const struct {
        bool ticked, batch, processed;
    } cases[] = {{true, false, true}, {false, false, false}, {true, true, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "ticked " << c.ticked << ", batch " << c.batch);
        control<TPCheck>(align, "Autoprocess")->setChecked(c.ticked);
        // The result of the case before counts as kept: the question before another pass is not
        // this test's.
        context.shell.ImageSaved = true;
        pieces(*form).Tabpages->setCurrentIndex(static_cast<int>(TMainTab::tabAlign));
        editRun(context.pipeline).state.BatchMode = c.batch;
        pieces(*form).align->AlignallButtonClick();
        editRun(context.pipeline).state.BatchMode = false;

        EXPECT_EQ(context.pipeline.state().progstatus,
                  c.processed ? TProgStatus::psStacked : TProgStatus::psAligned);
        EXPECT_EQ(pieces(*form).Tabpages->currentIndex(),
                  static_cast<int>(c.processed ? TMainTab::tabWavelet : TMainTab::tabAlign));
        if (!c.processed) continue;
        EXPECT_GE(context.pipeline.alignment().OptimizePass, 1);
        EXPECT_TRUE(control<TRxSpeedButton>(*form, "Stackbutton")->isEnabled()) << "the limit ran";
        EXPECT_FALSE(context.pipeline.state().LayersDirty) << "the new stack was decomposed";
        EXPECT_EQ(context.pipeline.wavelet().ProcessPicture.width(), context.pipeline.model().FrameWidth);
        EXPECT_EQ(context.pipeline.state().ProcessStage, TProcessStage::stAligned);
        EXPECT_EQ(context.pipeline.state().activepage, TMainTab::tabAbout);
        EXPECT_FALSE(context.operations.running());
    }
}

TEST_F(OptimizePageTest, CreateInABatchRunMakesTheReferenceWithoutWaitingAndPutsTheLimitBack) {
    limitAt(11);
    control<TRxSpinEdit>(page, "Refframes")->setValue(4);
    StackPage& stack = *pieces(*form).stackPage;
    control<TRxSpinEdit>(stack, "ResampleSpin")->setValue(3.0);
    control<TPCheck>(stack, "Expandstack")->setChecked(true);
    control<TPCheck>(stack, "Drizzling")->setChecked(true);
    pieces(*form).stack->DrizzlingClick();
    editRun(context.pipeline).state.BatchMode = true;
    pieces(*form).optimize->MakerefClick();

    EXPECT_TRUE(context.pipeline.optimizer().NewReferenceMade);
    EXPECT_EQ(context.pipeline.state().progstatus, TProgStatus::psFeatureSet);
    // The processed stack of the best four frames is the reference picture now.
    const Bitmap24& reference = context.pipeline.optimizer().ReferenceImage;
    ASSERT_EQ(reference.width(), context.pipeline.wavelet().ProcessPicture.width());
    ASSERT_EQ(reference.height(), context.pipeline.wavelet().ProcessPicture.height());
    EXPECT_EQ(std::memcmp(reference.bits(), context.pipeline.wavelet().ProcessPicture.bits(),
                          reference.byteCount()),
              0);
    const Bitmap24& image1 = context.pipeline.registration().Image1;
    ASSERT_EQ(image1.byteCount(), reference.byteCount());
    EXPECT_EQ(std::memcmp(image1.bits(), reference.bits(), reference.byteCount()), 0)
        << "the alignment compares with the processed picture";
    // The page shows the new reference whole, fitted to its box with its shape kept.
    const QLabel& shown = *control<QLabel>(page, "AlignImage");
    const QSize box = control<QWidget>(page, "EventScrollBox2")->size();
    EXPECT_EQ(shown.pixmap().size(), QSize(image1.width(), image1.height()));
    EXPECT_TRUE(shown.hasScaledContents());
    EXPECT_NEAR(shown.width() * image1.height(), shown.height() * image1.width(),
                image1.width() + image1.height());
    EXPECT_TRUE(QRect(QPoint(), box).contains(QRect(QPoint(), shown.size())))
        << shown.width() << "x" << shown.height() << " in " << box.width() << "x" << box.height();
    EXPECT_GE(std::max(shown.width() - box.width(), shown.height() - box.height()), -40)
        << "it fills its box";
    EXPECT_EQ(context.pipeline.registration().BoxLeft, context.pipeline.state().FeatureX - Box / 2);
    // The limit and the settings are as before; every limited frame restarts against the new
    // reference.
    EXPECT_EQ(control<TRxSlider>(align, "AlignSlider")->MaxValue(), 11);
    EXPECT_EQ(control<TRxSlider>(*form, "StackSlider")->MaxValue(), 11);
    EXPECT_EQ(control<TRxSlider>(*form, "StackSlider")->Tag(), 11);
    EXPECT_EQ(control<TRxSpinEdit>(*form, "LimitStack")->MaxValue(), 11);
    EXPECT_EQ(control<TRxSpinEdit>(stack, "ResampleSpin")->Value(), 3.0);
    EXPECT_TRUE(control<TPCheck>(stack, "Expandstack")->Checked());
    EXPECT_TRUE(control<TPCheck>(stack, "Drizzling")->Checked());
    EXPECT_TRUE(control<TPCheck>(*form, "Drizzle2")->Checked());
    EXPECT_EQ(context.pipeline.model()
                  .FrameTable[context.pipeline.model().FrameRanking[11].Frame]
                  .Slots[0]
                  .Difference,
              65535.0f);
    EXPECT_TRUE(control<TRxSpeedButton>(*form, "Continuebutton")->isHidden());
    EXPECT_TRUE(control<TRxSpeedButton>(page, "Restartalign")->isEnabled());
    EXPECT_FALSE(context.operations.running());
}

// The settings "Create" changes belong to two areas: the Stack page's stacking options and the
// Align area's method and the run's multi-point mode. The reference is stacked on one box with the
// plain options; whatever each area held comes back after it is made, the multi-point mode in
// force again for the realignment on the reference.
TEST_F(OptimizePageTest, CreateStacksOnOneBoxAndPutsBackWhatTheStackAndAlignAreasHeld) {
    limitAt(11);
    control<TRxSpinEdit>(page, "Refframes")->setValue(4);
    StackPage& stack = *pieces(*form).stackPage;
    control<TPCheck>(stack, "Histostretch")->setChecked(true);
    control<TPCheck>(stack, "Multi")->setChecked(true);
    control<TRadioGroup>(align, "Alignmethod")->setItemIndex(1);
    editRun(context.pipeline).alignPoints.MultiPointMode = true;
    editRun(context.pipeline).state.BatchMode = true;
    struct AtStack {
        int method;
        bool multiPointMode, histostretch, multi;
        std::string prefix;
        bool operator==(const AtStack&) const = default;
    };
    std::vector<AtStack> stacks;
    const Pipeline::Subscription heard = context.pipeline.subscribe([&](PipelineChange change) {
        if (change != PipelineChange::StackRun) return;
        stacks.push_back({control<TRadioGroup>(align, "Alignmethod")->ItemIndex(),
                          context.pipeline.alignPoints().MultiPointMode,
                          control<TPCheck>(stack, "Histostretch")->Checked(),
                          control<TPCheck>(stack, "Multi")->Checked(), stack.stackCaptionPrefix()});
    });
    pieces(*form).optimize->MakerefClick();

    EXPECT_EQ(stacks, (std::vector<AtStack>{{0, false, false, false, "Reference"}}));
    EXPECT_TRUE(context.pipeline.optimizer().NewReferenceMade);
    EXPECT_TRUE(context.pipeline.optimizer().MultiPointReference);
    EXPECT_EQ(control<TRadioGroup>(align, "Alignmethod")->ItemIndex(), 1);
    EXPECT_TRUE(context.pipeline.alignPoints().MultiPointMode);
    EXPECT_TRUE(control<TPCheck>(stack, "Histostretch")->Checked());
    EXPECT_TRUE(control<TPCheck>(stack, "Multi")->Checked());
    EXPECT_EQ(control<TRxSlider>(align, "AlignSlider")->Value(), 11);
    EXPECT_EQ(stack.stackCaptionPrefix(), "");
    EXPECT_FALSE(context.operations.running());
}

// Realigning on the processed picture starts the points' work again: every point's quality
// cut-off opens to the whole of its graph, and the stack reaches as far.
TEST_F(OptimizePageTest, RealignOnTheProcessedPictureOpensEveryPointsCutoff) {
    limitAt(11);
    RunState& run = editRun(context.pipeline);
    run.alignPoints.MultiPointMode = true;
    run.alignPoints.Alignpoints = 3;
    run.state.progstatus = TProgStatus::psOptimized;
    for (int p = 1; p <= 3; ++p) run.points.PointQualitySlider[static_cast<std::size_t>(p)] = 2;
    run.wavelet.ProcessPicture = context.pipeline.input().PreviewBitmap;
    control<TRxSpeedButton>(page, "Restartalign")->setEnabled(true);
    control<TRxSpeedButton>(page, "Restartalign")->click();

    ASSERT_TRUE(context.pipeline.optimizer().NewReferenceMade);
    // The ranks 0..11 all enter every point's graph.
    for (int p = 1; p <= 3; ++p) EXPECT_EQ(context.pipeline.points().PointQualitySlider[p], 11) << p;
    EXPECT_EQ(control<TRxSlider>(*form, "StackSlider")->MaxValue(), 11);
}

// What the page shows of the other areas' work, step by step: the passes' buttons after a limit,
// a cancelled and a finished alignment and a new (shorter) input; the reference frames within the
// new input; and the run's charted frames agreeing with the chart the page shows.
TEST_F(OptimizePageTest, ThePassesTheChartAndTheReferenceFramesFollowTheOtherAreasWork) {
    const auto alignAgain = [&](bool cancel) {
        context.shell.ImageSaved = true;
        if (cancel) {
            // Cancel, answered Yes, arrives at the pass's first poll.
            messages.reply(mrYes);
            QMetaObject::invokeMethod(pieces(*form).Speedbar->Cancelbutton, &QAbstractButton::click,
                                      Qt::QueuedConnection);
        }
        editRun(context.pipeline).state.BatchMode = !cancel;
        pieces(*form).align->AlignallButtonClick();
        editRun(context.pipeline).state.BatchMode = false;
    };
    const auto takeShorterInput = [&] {
        synth::SynthOptions options = smallRecordingOptions();
        options.width = 128;
        options.height = 96;
        options.frames = 8;
        const SampleRecording recording = writeSampleRecording(dir.path(), options, "short.ser");
        editRun(context.pipeline).state.BatchMode = true;
        editRun(context.pipeline).input.BatchInputFile = recording.path.string();
        pieces(*form).input->SelectFileButtonClick();
        editRun(context.pipeline).state.BatchMode = false;
    };
    const struct {
        const char* step;
        std::function<void()> act;
        bool optimize, optimizeAndStack, create;
        int charted, refframes;
        bool axisEndsAtLimit;  // the frame axis ends at the limit's count
    } steps[] = {
        {"limit at 9", [&] { limitAt(9); }, true, true, true, 10, 4, true},
        {"alignment cancelled", [&] { alignAgain(true); }, false, false, false, 10, 4, true},
        {"alignment finished", [&] { alignAgain(false); }, true, false, false, 10, 4, true},
        // At most half the frames of the new input (8 frames: 3).
        {"new input",
         [&] {
             control<TRxSpinEdit>(page, "Refframes")->setValue(9);
             takeShorterInput();
         },
         false, false, false, 0, 3, false},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.step);
        step.act();
        EXPECT_EQ(control<TRxSpeedButton>(page, "Optimizebutton")->isEnabled(), step.optimize);
        EXPECT_EQ(control<TRxSpeedButton>(page, "Optimizeandstackbutton")->isEnabled(),
                  step.optimizeAndStack);
        EXPECT_EQ(control<TRxSpeedButton>(page, "Referbutton")->isEnabled(), step.create);
        EXPECT_EQ(context.pipeline.optimizer().ChartedFrames, step.charted);
        EXPECT_EQ(chartSeries(page, "Series3")->Count(), step.charted);
        EXPECT_EQ(page.optimizerChart().hasPoints(), context.pipeline.optimizer().ChartedFrames > 0);
        EXPECT_EQ(control<TRxSpinEdit>(page, "Refframes")->Value(), step.refframes);
        EXPECT_EQ(!page.optimizerChart().BottomAxis.Automatic, step.axisEndsAtLimit);
    }
}

// A feature picked on the preview asks for the registration windows: "Difference" is ticked
// again, and a click that sets no feature leaves it.
TEST_F(OptimizePageTest, ANewFeatureTicksDifferenceAgain) {
    auto& difference = *control<TPCheck>(page, "Optimizegraph");
    const struct {
        QPoint at;
        bool ticked;
    } clicks[] = {{{2, 2}, false}, {{64, 48}, true}};
    for (const auto& click : clicks) {
        SCOPED_TRACE(click.ticked);
        difference.setChecked(false);
        const int accepted = context.pipeline.featuresAccepted();
        QTest::mouseClick(control<QLabel>(align, "PreviewImage"), Qt::LeftButton, Qt::NoModifier, click.at);
        EXPECT_EQ(context.pipeline.featuresAccepted(), accepted + (click.ticked ? 1 : 0));
        EXPECT_EQ(difference.Checked(), click.ticked);
    }
}

// The Align page follows an optimizer run from the pipeline's announcements: as a pass starts the
// alignment slider hides and the spectrum's switch goes off, each frame taken is named under the
// slider, and the note keeps the last frame named after the run, also when the recording cannot
// be read any more.
TEST_F(OptimizePageTest, TheAlignPageFollowsAnOptimizerRunAndKeepsItsLastNote) {
    const struct {
        const char* button;
        bool recordingGone, passes;
    } cases[] = {{"Optimizebutton", false, true},
                 {"Optimizeandstackbutton", false, true},
                 {"Optimizebutton", true, false}};
    limitAt(11);
    QLabel& note = *control<QLabel>(align, "Framelabel");
    TRxSlider& ranks = *control<TRxSlider>(align, "AlignSlider");
    TPCheck& spectrum = *control<TPCheck>(align, "ShowFFTbox");
    std::vector<QString> notes;
    const auto watch = context.pipeline.subscribe([&](PipelineChange change) {
        if (change == PipelineChange::Optimizer &&
            context.pipeline.optimizerProgress().step == OptimizerProgress::Step::Frame &&
            (notes.empty() || notes.back() != note.text()))
            notes.push_back(note.text());
    });
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.button << (c.recordingGone ? ", recording gone" : ""));
        if (c.recordingGone) std::filesystem::remove(dir.path() / "planet.ser");
        notes.clear();
        messages.shown.clear();
        note.setText("FFT spectrum ");
        ranks.show();
        ranks.setValue(5);
        spectrum.setChecked(true);
        clickPass(c.button);

        EXPECT_EQ(note.text(), notes.empty() ? QString("FFT spectrum ") : notes.back());
        EXPECT_EQ(ranks.isHidden(), c.passes);
        EXPECT_EQ(spectrum.Checked(), !c.passes) << "the spectrum is not drawn while the optimizer runs";
        EXPECT_EQ(messages.shown.size(), c.recordingGone ? 1u : 0u);
        if (!c.passes) {
            EXPECT_TRUE(notes.empty());
            continue;
        }
        // The optimizer's picture: white, (2S + 20) x (S + 70), the reference window 1:1 at its top
        // left.
        const QLabel& picture = *control<QLabel>(page, "AlignImage");
        const QImage shown = picture.pixmap().toImage().convertToFormat(QImage::Format_RGB32);
        ASSERT_EQ(shown.size(), QSize(2 * Box + 20, Box + 70));
        EXPECT_FALSE(picture.hasScaledContents());
        EXPECT_EQ(shown.pixel(2 * Box + 19, 0), qRgb(255, 255, 255));
        const QImage reference = bitmapView(context.pipeline.registration().Image1);
        for (const QPoint at : {QPoint(3, 5), QPoint(Box / 2, Box / 2), QPoint(Box - 1, Box - 2)})
            EXPECT_EQ(shown.pixel(at),
                      reference.pixel(at + QPoint(context.pipeline.state().FeatureX - Box / 2,
                                                  context.pipeline.state().FeatureY - Box / 2)))
                << at.x() << "," << at.y();
        // Every frame named is one of the ranked frames the limit keeps, the first the one the
        // alignment slider stood on.
        ASSERT_FALSE(notes.empty());
        const FrameModel& model = context.pipeline.model();
        EXPECT_EQ(notes.front(), QStringLiteral("Processing frame %1 of %2")
                                     .arg(model.FrameRanking[5].Frame + 1)
                                     .arg(model.usedframes));
        for (const QString& shown : notes) {
            bool kept = false;
            for (int j = 0; j <= 11; ++j)
                kept = kept || shown == QStringLiteral("Processing frame %1 of %2")
                                            .arg(model.FrameRanking[j].Frame + 1)
                                            .arg(model.usedframes);
            EXPECT_TRUE(kept) << shown.toStdString();
        }
    }
}

// While an optimize step runs the Stack page's options wait and the last stack's graph goes; the
// options come back however the run ends, also when the recording cannot be read any more.
TEST_F(OptimizePageTest, TheStackPageWaitsWhileTheOptimizerRunsAndDropsItsGraph) {
    const struct {
        const char* button;
        bool recordingGone;
    } cases[] = {{"Optimizebutton", false}, {"Optimizeandstackbutton", false}, {"Optimizebutton", true}};
    limitAt(11);
    const QWidget& options = *control<QTabWidget>(*form, "glPageControl3");
    TPCheck& graph = *control<TPCheck>(*form, "Showstackgraph");
    std::vector<bool> enabledWhileRunning;
    const auto watch = context.pipeline.subscribe([&](PipelineChange change) {
        if (change == PipelineChange::Optimizer &&
            context.pipeline.optimizerProgress().step == OptimizerProgress::Step::Frame)
            enabledWhileRunning.push_back(options.isEnabled() || graph.Checked());
    });
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.button << (c.recordingGone ? ", recording gone" : ""));
        if (c.recordingGone) std::filesystem::remove(dir.path() / "planet.ser");
        enabledWhileRunning.clear();
        graph.setChecked(true);
        clickPass(c.button);

        EXPECT_EQ(enabledWhileRunning.empty(), c.recordingGone);
        EXPECT_EQ(std::count(enabledWhileRunning.begin(), enabledWhileRunning.end(), true), 0);
        EXPECT_FALSE(graph.Checked()) << "the graph goes however the run ends";
        EXPECT_TRUE(options.isEnabled());
    }
}

// Realigning on the processed picture shows the new reference's automatic filter values on the
// Align page as values of the program's: the FFT filter does not count as set by hand, and the
// switch the user armed by pressing the spin stays armed. The spectrum and registration windows
// show as their switches chose them, and both switches are ticked afterwards.
TEST_F(OptimizePageTest, RealignShowsTheAutomaticFilterValuesAndTheChosenWindows) {
    const struct { bool fft, graph; } cases[] = {{true, false}, {false, true}};
    limitAt(11);
    TRxSpinEdit& radius = *control<TRxSpinEdit>(align, "FFTFilterspin");
    TRxSpinEdit& bandStart = *control<TRxSpinEdit>(align, "QualityFilter");
    TRxSpinEdit& bandWidth = *control<TRxSpinEdit>(align, "QualFilterDX");
    ToolWindows& tools = pieces(*form).tools;
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "spectrum " << c.fft << ", graph " << c.graph);
        RunState& run = editRun(context.pipeline);
        run.wavelet.ProcessPicture = context.pipeline.input().PreviewBitmap;
        // The automatic radius is given while the feature is set.
        run.state.ProcessStage = TProcessStage::stFeatureSet;
        for (auto [spin, value] : {std::pair{&radius, 79.0L}, {&bandStart, 249.0L}, {&bandWidth, 49.0L}}) {
            const QSignalBlocker quiet(spin);
            spin->setValue(value);
        }
        control<TPCheck>(align, "ManualFFT")->setChecked(false);
        context.pipeline.armFFTFilter(true);
        control<TPCheck>(align, "ShowFFTbox")->setChecked(c.fft);
        control<TPCheck>(align, "ShowGraphbox")->setChecked(c.graph);
        tools.FFTWindow->hide();
        tools.Registrationgraphwindow->hide();
        control<TRxSpeedButton>(page, "Restartalign")->setEnabled(true);
        control<TRxSpeedButton>(page, "Restartalign")->click();

        ASSERT_TRUE(context.pipeline.optimizer().NewReferenceMade);
        const AutomaticFilterValues& values = context.pipeline.realignValues();
        ASSERT_TRUE(values.FFTFilter && values.QualityFilter && values.QualFilterDX);
        EXPECT_EQ(static_cast<double>(radius.Value()), *values.FFTFilter);
        EXPECT_EQ(static_cast<double>(bandStart.Value()), *values.QualityFilter);
        EXPECT_EQ(static_cast<double>(bandWidth.Value()), *values.QualFilterDX);
        EXPECT_NE(radius.Value(), 79.0L);
        EXPECT_FALSE(control<TPCheck>(align, "ManualFFT")->Checked())
            << "an automatic value is not the user's";
        EXPECT_TRUE(context.pipeline.registration().FFTFilterArmed);
        EXPECT_EQ(tools.FFTWindow->isVisible(), c.fft);
        EXPECT_EQ(tools.Registrationgraphwindow->isVisible(), c.graph);
        EXPECT_TRUE(control<TPCheck>(align, "ShowFFTbox")->Checked());
        EXPECT_TRUE(control<TPCheck>(align, "ShowGraphbox")->Checked());
    }
}

TEST_F(OptimizePageTest, ACancelInTheFirstPassLeavesEveryShiftAsItWas) {
    limitAt(FrameCount - 1);
    control<TRxSpeedButton>(page, "Optimizebutton")->click();
    const std::vector<OptimizedShift> optimized = shifts();
    int subPixel = 0;
    for (const OptimizedShift& shift : optimized) subPixel += shift.subX != 0.0f || shift.subY != 0.0f;
    ASSERT_GT(subPixel, 0) << "the first run refined the shifts";
    ASSERT_GE(context.pipeline.alignment().OptimizePass, 1);
    const double total = context.pipeline.alignment().DifferenceSum;
    // Each frame's point on the optimizer chart took its difference as the pass optimized it.
    std::vector<double> differences;
    for (int j = 0; j < FrameCount; ++j)
        differences.push_back(context.pipeline.model()
                                  .FrameTable[context.pipeline.model().FrameRanking[j].Frame]
                                  .Slots[0]
                                  .Difference);
    EXPECT_EQ(chartSeries(page, "Series4")->values(), differences);

    // Cancel, answered Yes, arrives at the pass's first poll; the registration graph shows the
    // differences the run starts from ("Difference" ticked) before the pass takes a frame.
    std::vector<double> graphed, restored;
    QTimer::singleShot(0, [&] {
        graphed = chartSeries(pieces(*form).registrationWindows, "Series6")->values();
        restored = registrationGraphData(context.pipeline.model(), FrameCount - 1, "").difference;
    });
    messages.reply(mrYes);
    QMetaObject::invokeMethod(pieces(*form).Speedbar->Cancelbutton, &QAbstractButton::click,
                              Qt::QueuedConnection);
    control<TRxSpeedButton>(page, "Optimizebutton")->click();

    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].caption, "Cancelling ...");
    EXPECT_TRUE(shifts() == optimized);
    EXPECT_EQ(graphed, restored);
    EXPECT_EQ(context.pipeline.alignment().DifferenceSum, total);
    EXPECT_TRUE(pieces(*form).Tabpages->isEnabled());
    EXPECT_TRUE(control<QTabWidget>(*form, "glPageControl3")->isEnabled());
    EXPECT_FALSE(context.operations.running());
}

}  // namespace kestrave::test
