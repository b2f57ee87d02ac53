// The Align page on a synthesised SER recording chosen through the batch path: the feature pick
// (also on the fitted preview) computes the reference, the quality and filter options keep the
// user's values apart from the automatic ones, the Align button ranks the frames and fills the
// lists and the registration graph, a lost lock never waits in a batch run, and a click ends the
// wait of an attended run while a cancel leaves no flag of the pass set, and a cancelled
// re-alignment leaves nothing to limit.

#include <QAbstractItemDelegate>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QStyleOptionViewItem>
#include <QTabWidget>
#include <QTest>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <map>
#include <optional>

#include "frames/input_sources.h"
#include "registration/quality_method.h"
#include "shell/controllers/align_controller.h"
#include "shell/controllers/align_image.h"
#include "shell/controllers/input_controller.h"
#include "shell/controllers/optimize_controller.h"
#include "shell/developer_mode.h"
#include "shell/pages/align_page.h"
#include "shell/pages/frame_windows.h"
#include "shell/pages/line_chart.h"
#include "shell/pages/named_control.h"
#include "shell/pages/optimize_page.h"
#include "shell/pages/point_windows.h"
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

constexpr int Frames = 24;
// The planet's centre on the 96 x 72 frames: inside every border by more than half a 32 box.
constexpr QPoint Feature(48, 36);

// Counts the events of one type that reach an object.
struct EventCounter : QObject {
    EventCounter(QObject& watched, QEvent::Type type) : type_(type) { watched.installEventFilter(this); }
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == type_) ++count;
        return false;
    }
    int count = 0;

private:
    const QEvent::Type type_;
};

struct AlignPageTest : ShellWindowTest {
    TempDir dir;
    AlignPage& page = *pieces(*form).alignPage;

    // The recording chosen as a batch run chooses it, with the 32-pixel box.
    void selectRecording(const synth::SynthOptions& options = smallRecordingOptions()) {
        editRun(context.pipeline).state.BatchMode = true;
        editRun(context.pipeline).input.BatchInputFile =
            writeSampleRecording(dir.path(), options).path.string();
        pieces(*form).input->SelectFileButtonClick();
        editRun(context.pipeline).state.BatchMode = false;
        control<TRadioGroup>(page, "FFTsizeGroup")->setItemIndex(0);
        pieces(*form).align->FFTsizeGroupClick();
    }
    // A recording of three frames of this size.
    void selectRecordingOfSize(int width, int height) {
        synth::SynthOptions options = smallRecordingOptions();
        options.width = width;
        options.height = height;
        options.frames = 3;
        selectRecording(options);
    }
    void click(QPoint at, Qt::MouseButton button = Qt::LeftButton) {
        QTest::mouseClick(control<QLabel>(page, "PreviewImage"), button, Qt::NoModifier, at);
    }
    void pick() {
        selectRecording();
        click(Feature);
        ASSERT_EQ(context.pipeline.state().ProcessStage, TProcessStage::stReferenceReady);
    }
    void move(QPoint at) {
        QMouseEvent event(QEvent::MouseMove, at, control<QLabel>(page, "PreviewImage")->mapToGlobal(at),
                          Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(control<QLabel>(page, "PreviewImage"), &event);
    }
    bool checked(QListWidget& list, int j) const { return list.item(j)->checkState() == Qt::Checked; }
    void expectNoPassFlag() const {
        EXPECT_FALSE(context.pipeline.alignment().InAlignPass);
        EXPECT_FALSE(context.pipeline.alignment().ForceRealign);
        EXPECT_FALSE(context.pipeline.alignment().NextSegmentPending);
        EXPECT_FALSE(context.pipeline.alignment().HaltRequested);
        EXPECT_FALSE(context.pipeline.registration().WaitForClick);
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
        EXPECT_TRUE(control<QTabWidget>(page, "glPageControl1")->isEnabled());
        EXPECT_TRUE(pieces(*form).Tabpages->isEnabled());
    }
    // The next pass is cancelled on the way, at its second poll: the ranking is half made.
    void cancelAtSecondPoll() {
        auto progress = std::make_unique<NullProgress>();
        progress->onPoll = [polls = 0](NullProgress& p) mutable {
            if (++polls == 2) p.setCancelRequested(true);
        };
        context.setProgress(std::move(progress));
    }
};

}  // namespace

TEST_F(AlignPageTest, AClickOnTheFittedPreviewPicksTheFeatureAndComputesTheReference) {
    selectRecording();
    EXPECT_EQ(context.pipeline.state().ProcessStage, TProcessStage::stFFTSizeSet);
    EXPECT_EQ(pieces(*form).tools.FFTWindow->windowTitle(), "FFT spectrum 32x32");
    // The outline drawn at the old box size stays until the pointer moves.
    EXPECT_TRUE(context.shell.view.keepBoxOutline);
    context.shell.view.boxOutlineX = 50;
    // The preview shown at half size: the click lands on the frame pixel twice as far out.
    context.shell.PreviewFitted = true;
    context.shell.PreviewFitScale = 2.0f;
    click(Feature / 2, Qt::RightButton);
    EXPECT_EQ(context.pipeline.state().ProcessStage, TProcessStage::stFFTSizeSet)
        << "the right button picks nothing";
    click(Feature / 2);

    EXPECT_EQ(context.pipeline.state().ProcessStage, TProcessStage::stReferenceReady);
    EXPECT_EQ(QPoint(context.pipeline.state().FeatureX, context.pipeline.state().FeatureY), Feature);
    EXPECT_EQ(context.pipeline.registration().BoxLeft, Feature.x() - 16);
    EXPECT_TRUE(context.pipeline.registration().FeatureChosen);
    EXPECT_FALSE(context.pipeline.registration().UserBoxPlaced);
    EXPECT_EQ(context.pipeline.registration().RefSpectrumRe.xCount(), 32);
    // The reference frame was aligned against itself: no shift, its spectrum charted.
    EXPECT_EQ(context.pipeline.model().FrameTable[0].Slots[0].X, 0);
    EXPECT_EQ(context.pipeline.model().FrameTable[0].Slots[0].Y, 0);
    EXPECT_EQ(chartSeries(pieces(*form).registrationWindows, "Series5")->Count(), 51);
    EXPECT_TRUE(control<TPCheck>(page, "ShowFFTbox")->Checked());
    EXPECT_FALSE(control<QLabel>(*form, "imgFFT")->pixmap().isNull());
    EXPECT_TRUE(pieces(*form).tools.FFTWindow->isVisible());
    EXPECT_TRUE(pieces(*form).tools.Registrationgraphwindow->isVisible());
    // The second registration window comes with the first and follows both its boxes; AlignImage
    // holds the picked frame.
    EXPECT_TRUE(pieces(*form).tools.RegiStration2->isVisible());
    for (const char* box : {"ShowGraphbox", "ShowGraphbox", "Optimizegraph", "Optimizegraph"}) {
        QTest::mouseClick(control<TPCheck>(*form, box), Qt::LeftButton);
        EXPECT_EQ(pieces(*form).tools.RegiStration2->isVisible(), control<TPCheck>(*form, box)->Checked())
            << box;
    }
    EXPECT_EQ(control<QLabel>(*form, "AlignImage")->pixmap().toImage().convertToFormat(QImage::Format_RGB32),
              bitmapView(context.pipeline.input().PreviewBitmap).convertToFormat(QImage::Format_RGB32));
    EXPECT_TRUE(control<TRxSpeedButton>(page, "Alignbutton")->isEnabled());
    EXPECT_EQ(context.shell.view.boxOutlineX, -1);
    EXPECT_EQ(context.shell.view.boxOutlineY, -1);

    // Too close to the border: refused with the warning, the reference stays.
    context.shell.PreviewFitted = false;
    click(QPoint(10, 36));
    ASSERT_FALSE(messages.shown.empty());
    EXPECT_EQ(messages.shown.back().text, " Choosen feature too close to image border ");
    EXPECT_EQ(context.pipeline.state().FeatureX, Feature.x());
}

TEST_F(AlignPageTest, AutomaticValuesNeverCountAsTheUsersAndTheUsersStay) {
    pick();
    // A press arms the band; the automatic values of a new pick are still not the user's.
    QTest::mousePress(control<TRxSpinEdit>(page, "QualityFilter"), Qt::LeftButton);
    EXPECT_TRUE(context.pipeline.registration().QualityFilterArmed);
    click(Feature + QPoint(2, 1));
    EXPECT_FALSE(context.pipeline.registration().QualityFilterManual);
    EXPECT_TRUE(control<TPCheck>(page, "Autofilter")->Checked());
    EXPECT_TRUE(context.pipeline.registration().QualityFilterArmed);

    // The user's own value: manual from now on, and the reference is computed again on the
    // reference frame (the slider goes back to it).
    control<TRxSlider>(page, "PreviewSlider")->setValue(5);
    control<TRxSpinEdit>(page, "QualityFilter")->setValue(20);
    EXPECT_TRUE(context.pipeline.registration().QualityFilterManual);
    EXPECT_FALSE(control<TPCheck>(page, "Autofilter")->Checked());
    EXPECT_EQ(control<TRxSlider>(page, "PreviewSlider")->Value(), 0);
    EXPECT_EQ(control<TRxSpinEdit>(page, "QualityFilter")->Value(), 20)
        << "a recomputation keeps the user's band";

    // The quality method: label and kept item always; the reference again only after start-up.
    control<TRxSlider>(page, "PreviewSlider")->setValue(5);
    context.shell.StartingUp = true;
    control<QComboBox>(page, "QualityMethodCombo")->setCurrentIndex(4);
    pieces(*form).align->QualityMethodComboChange();
    EXPECT_EQ(control<QLabel>(page, "Currentquality")->text(), "Current Filter: Gradient");
    EXPECT_EQ(control<TRadioGroup>(page, "CopyAlignmethods")->ItemIndex(), 4);
    EXPECT_FALSE(
        control<TRectShape>(*form, "Showgraph1pointer")->isVisibleTo(control<TChart>(*form, "Chart8")));
    EXPECT_EQ(control<TRxSlider>(page, "PreviewSlider")->Value(), 5);
    context.shell.StartingUp = false;
    pieces(*form).align->QualityMethodComboChange();
    EXPECT_EQ(control<TRxSlider>(page, "PreviewSlider")->Value(), 0);
    EXPECT_FALSE(context.pipeline.registration().UserBoxPlaced);
}

// Each item of the quality list puts in force the method its caption names: the grading the
// alignment runs, the label and the band pointer the window shows.
TEST_F(AlignPageTest, EachQualityItemRunsTheMethodItNames) {
    const std::map<QString, QualityKind> grading{
        {"Classic", QualityKind::Spectral},  {"Human", QualityKind::Spectral},
        {"Compress", QualityKind::Compress}, {"Local contrast", QualityKind::LocalContrast},
        {"Gradient", QualityKind::Gradient}, {"Deviation", QualityKind::Deviation},
        {"DLL", QualityKind::Plugin}};
    EXPECT_EQ(control<QComboBox>(page, "QualityMethodCombo")->count(), 5);
    fillQualityMethodCombo(
        page, static_cast<int>(control<TRadioGroup>(page, "CopyAlignmethods")->Items().size()), 0);
    ASSERT_EQ(control<QComboBox>(page, "QualityMethodCombo")->count(), static_cast<int>(grading.size()));
    for (int item = 0; item < control<QComboBox>(page, "QualityMethodCombo")->count(); ++item) {
        const QString caption = control<QComboBox>(page, "QualityMethodCombo")->itemText(item);
        ASSERT_TRUE(grading.count(caption)) << caption.toStdString();
        EXPECT_EQ(control<TRadioGroup>(page, "CopyAlignmethods")->Items().value(item), caption);
        control<QComboBox>(page, "QualityMethodCombo")->setCurrentIndex(item);
        pieces(*form).align->QualityMethodComboChange();
        const QualityKind kind = pieces(*form).align->readAlignOptions().quality.kind;
        EXPECT_EQ(kind, grading.at(caption)) << caption.toStdString();
        EXPECT_TRUE(control<QLabel>(page, "Currentquality")->text().startsWith("Current Filter: "))
            << caption.toStdString();
        EXPECT_EQ(
            control<TRectShape>(*form, "Showgraph1pointer")->isVisibleTo(control<TChart>(*form, "Chart8")),
            kind == QualityKind::Spectral)
            << caption.toStdString();
    }
    EXPECT_EQ(control<QLabel>(page, "Currentquality")->text(), "Current Filter: User DLL");

    // Each item is drawn on white, the chosen one too.
    QComboBox& combo = *control<QComboBox>(page, "QualityMethodCombo");
    QStyleOptionViewItem option;
    option.rect = QRect(0, 0, 120, 20);
    option.state = QStyle::State_Selected | QStyle::State_Enabled;
    QImage item(option.rect.size(), QImage::Format_RGB32);
    QPainter painter(&item);
    combo.itemDelegate()->paint(&painter, option, combo.model()->index(0, 0));
    EXPECT_EQ(item.pixel(0, 0), qRgb(255, 255, 255));
}

// The optimizer's picture: the reference window and the frame's box 1:1 side by side on white.
TEST_F(AlignPageTest, TheOptimizersPictureHasTheWindowsSideBySideOnWhite) {
    AlignImagePicture view;
    QImage reference(32, 32, QImage::Format_RGB32), box(24, 20, QImage::Format_RGB32);
    reference.fill(qRgb(90, 90, 90));
    box.fill(qRgb(30, 30, 30));
    view.start(reference, 32, false);
    view.showFrame(box, 6);
    ASSERT_EQ(view.picture().size(), QSize(84, 102));
    for (const auto& [x, y, colour] : {std::tuple{31, 31, 90}, {40, 15, 255}, {42, 6, 30}, {66, 26, 255}})
        EXPECT_EQ(view.picture().pixel(x, y), qRgb(colour, colour, colour)) << x << "," << y;
    // Resampled windows of side 35 whose half box came out at 18: the box stands 10 pixels right
    // of twice the half box, at the top.
    view.start(reference, 35, true, 18);
    view.showFrame(box, 6);
    ASSERT_EQ(view.picture().size(), QSize(90, 105));
    EXPECT_EQ(view.picture().pixel(45, 0), qRgb(255, 255, 255));
    EXPECT_EQ(view.picture().pixel(46, 0), qRgb(30, 30, 30));
}

TEST_F(AlignPageTest, AlignRanksTheFramesAndFillsTheListsAndTheRegistrationGraph) {
    pick();
    // The axis under the chart counts by a tenth of its points (above 10 of them), in plain numbers
    // at any count.
    TChart& chart = *control<TChart>(*form, "Chart8");
    const auto expectSteps = [&](double increment, const char* when) {
        const QStringList numbers = chart.bottomNumbers();
        ASSERT_GT(numbers.size(), 2) << when;
        for (const QString& number : numbers) {
            bool plain = false;
            const double steps = number.toDouble(&plain) / increment;
            EXPECT_TRUE(plain && !number.contains('e', Qt::CaseInsensitive))
                << when << ": " << number.toStdString();
            EXPECT_NEAR(steps, std::round(steps), 0.01) << when << ": " << number.toStdString();
        }
    };
    // The spectrum of the frame picked: its 51 bins.
    ASSERT_EQ(chartSeries(pieces(*form).registrationWindows, "Series5")->Count(), 51);
    EXPECT_DOUBLE_EQ(chart.BottomAxis.Increment, 5.1);
    expectSteps(5.1, "the spectrum's 51 bins");
    // A frame that loses the lock is left out without a question.
    control<TPCheck>(page, "Ignoredefault")->setChecked(true);
    editRun(context.pipeline).optimizer.NewReferenceMade = true;
    control<TRxSpeedButton>(page, "Alignbutton")->click();

    const FrameModel& model = context.pipeline.model();
    ASSERT_TRUE(model.FramesRanked);
    EXPECT_FALSE(context.pipeline.optimizer().NewReferenceMade);
    EXPECT_EQ(context.pipeline.state().progstatus, TProgStatus::psAligned);
    expectNoPassFlag();
    for (int j = 0; j + 1 < Frames; ++j)
        EXPECT_GE(model.FrameRanking[j].Key, model.FrameRanking[j + 1].Key) << j;

    QListWidget& select = *control<CheckListBox>(*form, "SelectFramesChecklist");
    ASSERT_EQ(select.count(), Frames);
    for (int j = 0; j < Frames; ++j) {
        EXPECT_EQ(select.item(j)->text().toStdString(),
                  "Frame " + std::to_string(model.FrameRanking[j].Frame))
            << j;
        EXPECT_EQ(checked(select, j), !model.FrameTable[model.FrameRanking[j].Frame].Excluded) << j;
    }
    EXPECT_EQ(control<CheckListBox>(*form, "StackFramesList")->count(), Frames);
    EXPECT_EQ(control<TRxSlider>(*form, "StackSlider")->Tag(), Frames - 1);
    EXPECT_EQ(control<TRxSlider>(page, "AlignSlider")->MaxValue(), Frames - 1);

    // The graph: every rank's quality relative to the best, falling; the stack graph's copy.
    ASSERT_EQ(chartSeries(pieces(*form).registrationWindows, "Series5")->Count(), Frames);
    EXPECT_EQ(chartSeries(pieces(*form).registrationWindows, "Series5")->Title, "Quality");
    EXPECT_DOUBLE_EQ(chartSeries(pieces(*form).registrationWindows, "Series5")->values().front(), 1.0);
    EXPECT_TRUE(std::is_sorted(chartSeries(pieces(*form).registrationWindows, "Series5")->values().rbegin(),
                               chartSeries(pieces(*form).registrationWindows, "Series5")->values().rend()));
    EXPECT_EQ(chartSeries(pieces(*form).registrationWindows, "Series8")->Count(), Frames);
    EXPECT_EQ(chartSeries(pieces(*form).registrationWindows, "FastLineSeries1")->values(),
              chartSeries(pieces(*form).registrationWindows, "Series5")->values());
    EXPECT_EQ(chartSeries(pieces(*form).registrationWindows, "FastLineSeries2")->values(),
              chartSeries(pieces(*form).registrationWindows, "Series6")->values());
    EXPECT_TRUE(pieces(*form).tools.RegiStration2->windowTitle().contains("Average pixel difference :"));
    // The frame axis counts ranks by a tenth of their number.
    EXPECT_DOUBLE_EQ(chart.BottomAxis.Increment, 0.1 * Frames);
    expectSteps(0.1 * Frames, "the ranks of the recording");
    chart.BottomAxis.setRange(0.0, 1000.0);
    chart.BottomAxis.Increment = 100.0;
    expectSteps(100.0, "a thousand ranks");
    EXPECT_EQ(chart.bottomNumbers().back(), "1000");
    chart.BottomAxis.setRange(0.0, 2998.8);
    chart.BottomAxis.Increment = 999.6;
    expectSteps(999.6, "2999 ranks");
    EXPECT_EQ(chart.bottomNumbers(), QStringList({"0", "1000", "1999", "2999"}));
    // The preview ends at the last rank whose quality stays near the best.
    const float best = model.FrameRanking[0].Key;
    const int cut = control<TRxSlider>(page, "PreviewSlider")->Value();
    EXPECT_GT(model.FrameRanking[cut].Key, 0.8f * best);
    if (cut + 1 < Frames) {
        EXPECT_LE(model.FrameRanking[cut + 1].Key, 0.8f * best);
    }
    // A frame's spectrum takes the chart's place: the last run's correlation curve goes with it.
    click(Feature);
    EXPECT_EQ(chartSeries(pieces(*form).registrationWindows, "Series5")->Count(), 51);
    EXPECT_EQ(chartSeries(pieces(*form).registrationWindows, "Series8")->Count(), 0);
}

TEST_F(AlignPageTest, ABatchRunDeselectsFramesThatLoseTheLockWithoutEverWaiting) {
    selectRecording();
    editRun(context.pipeline).state.BatchMode = true;
    // As the batch runner does: the feature at the centre, the reference without a pick.
    editRun(context.pipeline).state.FeatureX = 48;
    editRun(context.pipeline).state.FeatureY = 36;
    pieces(*form).align->RecalcFFTbuttonClick();
    // Any frame whose peak falls below the previous frame's loses the lock.
    control<TRxSpinEdit>(page, "TrackDetect")->setValue(1.0);
    ASSERT_FLOAT_EQ(context.pipeline.alignment().MisalignRatio, 1.0f);
    int waits = 0;
    auto progress = std::make_unique<NullProgress>();
    progress->onPoll = [&](NullProgress&) {
        if (!context.pipeline.registration().WaitForClick) return;
        ++waits;
        editRun(context.pipeline).registration.WaitForClick = false;
    };
    context.setProgress(std::move(progress));

    pieces(*form).align->AlignallButtonClick();
    EXPECT_EQ(waits, 0);
    ASSERT_TRUE(context.pipeline.model().FramesRanked);
    expectNoPassFlag();
    int deselected = 0;
    for (int j = 0; j < Frames; ++j)
        if (context.pipeline.model().FrameTable[context.pipeline.model().FrameRanking[j].Frame].Excluded) {
            ++deselected;
            EXPECT_FALSE(checked(*control<CheckListBox>(*form, "SelectFramesChecklist"), j)) << j;
        }
    EXPECT_GT(deselected, 0) << "no frame lost the lock";
}

TEST_F(AlignPageTest, AClickEndsTheLostLockWaitAndACancelLeavesNoPassFlagSet) {
    pick();
    control<TRxSpinEdit>(page, "TrackDetect")->setValue(1.0);
    // The first lost lock is answered OK: the user points at the feature, then cancels.
    bool asked = false;
    QImage shownInWait;
    int waitedFrame = -1;
    messages.onShow = [&](const Message& message) {
        if (message.caption != "Alignment " || asked) return;
        asked = true;
        QMetaObject::invokeMethod(
            control<QLabel>(page, "PreviewImage"),
            [&] {
                shownInWait = control<QLabel>(page, "PreviewImage")->pixmap().toImage();
                waitedFrame = context.pipeline.alignment().CurrentFrame;
                click(Feature + QPoint(1, 0));
            },
            Qt::QueuedConnection);
        QMetaObject::invokeMethod(
            control<QLabel>(page, "PreviewImage"), [this] { context.progress().setCancelRequested(true); },
            Qt::QueuedConnection);
    };
    // Any later lost lock deselects its frame.
    messages.reply(mrOk);
    for (int k = 0; k < 2 * Frames; ++k) messages.reply(mrIgnore);
    control<TRxSpeedButton>(page, "Alignbutton")->click();

    ASSERT_TRUE(asked) << "no frame lost the lock";
    // While it waited, the preview showed the frame the click was for.
    FrameBuffers frame;
    SerInputSource(context.pipeline.model().SerName, {}).readFrame(waitedFrame, frame);
    EXPECT_EQ(shownInWait.convertToFormat(QImage::Format_BGR888), bitmapView(frame.Preview));
    EXPECT_EQ(QPoint(context.pipeline.registration().ClickX, context.pipeline.registration().ClickY),
              Feature + QPoint(1, 0));
    EXPECT_EQ(context.pipeline.state().FeatureX, Feature.x())
        << "the click answers the wait, it picks nothing";
    EXPECT_FALSE(context.pipeline.model().FramesRanked);
    EXPECT_EQ(context.pipeline.state().progstatus, TProgStatus::psNone);
    expectNoPassFlag();
    // The stored reference picture is back in the preview, the windows the question hid too.
    EXPECT_EQ(control<QLabel>(page, "PreviewImage")->pixmap().size(), QSize(96, 72));
    EXPECT_TRUE(pieces(*form).tools.RegiStration2->isVisible());
}

TEST_F(AlignPageTest, ACancelledRealignmentLeavesTheLimitRefusedAndTheLaterPagesShut) {
    pick();
    control<TRxSpeedButton>(page, "Alignbutton")->click();
    ASSERT_TRUE(context.pipeline.model().FramesRanked);
    control<TRxSpeedButton>(page, "Setlimitbutton")->click();
    ASSERT_EQ(context.pipeline.state().activepage, TMainTab::tabStack);

    // Aligned again and cancelled on the way: the ranking is half made.
    cancelAtSecondPoll();
    control<TRxSpeedButton>(page, "Alignbutton")->click();
    ASSERT_FALSE(context.pipeline.model().FramesRanked);
    EXPECT_EQ(context.pipeline.state().activepage, TMainTab::tabAlign);
    EXPECT_EQ(context.pipeline.state().ProcessStage, TProcessStage::stReferenceReady);
    EXPECT_FALSE(control<TRxSpeedButton>(page, "Setlimitbutton")->isEnabled());
    EXPECT_FALSE(control<TRxSpeedButton>(*form, "Optimizeandstackbutton")->isEnabled());
    // Limit refuses: nothing is limited on the half-made ranking.
    pieces(*form).align->SetLimitClick();
    EXPECT_EQ(context.pipeline.state().activepage, TMainTab::tabAlign);
    EXPECT_EQ(context.pipeline.state().ProcessStage, TProcessStage::stReferenceReady);
    QTest::mouseClick(pieces(*form).Tabpages, Qt::LeftButton, Qt::NoModifier,
                      pieces(*form).Tabpages->tabRect(1).center());
    EXPECT_EQ(pieces(*form).Tabpages->currentIndex(), 0);
    expectNoPassFlag();
    // Aligned to the end, the run goes on from there.
    context.setProgress(std::make_unique<NullProgress>());
    control<TRxSpeedButton>(page, "Alignbutton")->click();
    EXPECT_TRUE(context.pipeline.model().FramesRanked);
    EXPECT_TRUE(control<TRxSpeedButton>(page, "Setlimitbutton")->isEnabled());
}

}  // namespace kestrave::test

namespace kestrave::test {

// The Stack page's passes follow the passes over the frames: a finished pass opens the sigma stack
// (Limit the plain one), a cancelled pass greys both, and the next finished pass opens the sigma
// stack again.
TEST_F(AlignPageTest, TheStackPagesPassesFollowTheEndOfEachPass) {
    const TRxSpeedButton& stack = *control<TRxSpeedButton>(*form, "Stackbutton");
    const TRxSpeedButton& sigma = *control<TRxSpeedButton>(*form, "Statisticalstackbutton");
    pick();
    ASSERT_FALSE(stack.isEnabled());
    ASSERT_FALSE(sigma.isEnabled());
    control<TRxSpeedButton>(page, "Alignbutton")->click();
    EXPECT_FALSE(stack.isEnabled()) << "a finished pass";
    EXPECT_TRUE(sigma.isEnabled()) << "a finished pass";
    control<TRxSpeedButton>(page, "Setlimitbutton")->click();
    EXPECT_TRUE(stack.isEnabled()) << "Limit";

    cancelAtSecondPoll();
    control<TRxSpeedButton>(page, "Alignbutton")->click();
    ASSERT_FALSE(context.pipeline.model().FramesRanked);
    EXPECT_FALSE(stack.isEnabled()) << "a cancelled pass";
    EXPECT_FALSE(sigma.isEnabled()) << "a cancelled pass";

    context.setProgress(std::make_unique<NullProgress>());
    control<TRxSpeedButton>(page, "Alignbutton")->click();
    EXPECT_FALSE(stack.isEnabled()) << "the next finished pass";
    EXPECT_TRUE(sigma.isEnabled()) << "the next finished pass";
}

TEST_F(AlignPageTest, TheZoomWindowShowsTheSquareAroundThePointerAndTheFeaturesAreaWhileAligning) {
    selectRecordingOfSize(200, 160);
    QTest::mouseClick(control<TPCheck>(page, "Previewzoom"), Qt::LeftButton);
    ASSERT_TRUE(control<TPCheck>(page, "Previewzoom")->Checked());
    EXPECT_TRUE(pieces(*form).tools.Zoomwindow->isVisible());

    const auto shown = [](const QPixmap& picture) {
        return picture.toImage().convertToFormat(QImage::Format_RGB32);
    };
    const auto zoomShown = [&] { return shown(control<QLabel>(*form, "zoomimage")->pixmap()); };
    const QImage preview = shown(page.previewPicture());
    const QPoint pointer(100, 80);
    move(pointer);
    const QImage zoom = zoomShown();
    ASSERT_EQ(zoom.size(), QSize(256, 256));
    const QRgb yellow = qRgb(255, 255, 0);
    // Each preview pixel of the square fills two by two zoom pixels, except under the outline
    // (the square's edge pixels 118 and 137 each way).
    for (const QPoint& z : {QPoint(0, 0), QPoint(255, 255), QPoint(10, 200), QPoint(128, 128),
                            QPoint(117, 130), QPoint(138, 128), QPoint(119, 119)}) {
        const QPoint source = pointer - QPoint(64, 64) + QPoint(z.x() / 2, z.y() / 2);
        EXPECT_EQ(zoom.pixel(z), preview.pixel(QPoint(source.x(), source.y()))) << z.x() << "," << z.y();
    }
    for (const QPoint& z : {QPoint(118, 118), QPoint(137, 118), QPoint(118, 137), QPoint(137, 137),
                            QPoint(128, 118), QPoint(137, 125)})
        EXPECT_EQ(zoom.pixel(z), yellow) << z.x() << "," << z.y();

    // Too near the border, or with Ctrl held, the square stays as it was.
    const QImage before = zoom;
    move(QPoint(60, 80));
    EXPECT_EQ(zoomShown(), before);
    move(QPoint(110, 85));  // a plain move: the square follows…
    const QImage moved = zoomShown();
    EXPECT_NE(moved, before);
    pieces(*form).align->PreviewImageMouseMove(Qt::NoButton, Qt::ControlModifier, 100,
                                               80);  // … Ctrl keeps it
    EXPECT_EQ(zoomShown(), moved);

    // A double click on the caption of the zoom window, the break window or the wavelet zoom
    // unticks the box and closes the zoom window.
    for (ToolWindow* window : {pieces(*form).tools.Zoomwindow, pieces(*form).tools.Registerhaltwindow,
                               pieces(*form).tools.WaveZoom}) {
        if (!control<TPCheck>(page, "Previewzoom")->Checked())
            QTest::mouseClick(control<TPCheck>(page, "Previewzoom"), Qt::LeftButton);
        ASSERT_TRUE(pieces(*form).tools.Zoomwindow->isVisible());
        emit window->OnCaptionDblClick(window);
        EXPECT_FALSE(control<TPCheck>(page, "Previewzoom")->Checked()) << window->objectName().toStdString();
        EXPECT_FALSE(pieces(*form).tools.Zoomwindow->isVisible()) << window->objectName().toStdString();
    }

    // While the frames are aligned on one box the zoom window shows, in front, the 255 x 255 area
    // around the feature (white beyond the frame) with a small yellow circle on the feature.
    ToolWindow& zoomWindow = *pieces(*form).tools.Zoomwindow;
    const QPoint feature(60, 50);
    QTest::mouseClick(control<QLabel>(page, "PreviewImage"), Qt::LeftButton, Qt::NoModifier, feature);
    ASSERT_EQ(control<TRxSlider>(page, "PreviewSlider")->Value(), 0);
    FrameBuffers first;
    SerInputSource(context.pipeline.model().SerName, {}).readFrame(0, first);
    const QImage picked = bitmapView(first.Preview).convertToFormat(QImage::Format_RGB32);
    // Open already (the live zoom of the pick), perhaps behind another window: it comes to the front.
    QTest::mouseClick(control<TPCheck>(page, "Previewzoom"), Qt::LeftButton);
    ASSERT_TRUE(zoomWindow.isVisible());
    const EventCounter raises(zoomWindow, QEvent::ZOrderChange);
    std::optional<QImage> area;
    auto progress = std::make_unique<NullProgress>();
    progress->onPoll = [&](NullProgress&) {
        if (!area && zoomWindow.isVisible() && raises.count > 0) area = zoomShown();
    };
    context.setProgress(std::move(progress));
    pieces(*form).align->AlignallButtonClick();
    ASSERT_TRUE(area) << "no area in front while aligning";
    ASSERT_EQ(area->size(), QSize(255, 255));
    const QPoint offset = QPoint(128, 128) - feature;
    for (const QPoint& f : {QPoint(0, 0), QPoint(186, 159), QPoint(60, 50), QPoint(100, 80), QPoint(66, 56)})
        EXPECT_EQ(area->pixel(f + offset), picked.pixel(f)) << f.x() << "," << f.y();
    for (const QPoint& a : {QPoint(0, 0), QPoint(254, 254), QPoint(offset.x() - 1, 128)})
        EXPECT_EQ(area->pixel(a), qRgb(255, 255, 255)) << a.x() << "," << a.y();
    for (const QPoint& a : {QPoint(128, 123), QPoint(123, 128), QPoint(133, 128), QPoint(128, 133)})
        EXPECT_EQ(area->pixel(a), yellow) << a.x() << "," << a.y();
    EXPECT_FALSE(zoomWindow.isVisible()) << "the pass over, the zoom window closes";
}

// Tab from the quality limit goes on to Limit, the control the user takes next.
TEST_F(AlignPageTest, TabFromTheQualityLimitGoesOnToLimit) {
    selectRecordingOfSize(160, 160);
    click(QPoint(80, 80));
    pieces(*form).align->AlignallButtonClick();
    ASSERT_EQ(context.pipeline.state().progstatus, TProgStatus::psAligned);
    // The next control that Tab gives the focus to.
    const auto nextByTab = [](QWidget* from) -> QWidget* {
        for (QWidget* next = from->nextInFocusChain(); next != from; next = next->nextInFocusChain())
            if ((next->focusPolicy() & Qt::TabFocus) && next->isEnabled() &&
                next->isVisibleTo(next->window()) && !next->focusProxy())
                return next;
        return nullptr;
    };
    QWidget* limit = nextByTab(control<TRxSpinEdit>(page, "OptimizeQualitySpin"));
    ASSERT_NE(limit, nullptr);
    EXPECT_EQ(limit->objectName().toStdString(), "Setlimitbutton");
}

TEST_F(AlignPageTest, TheWheelStepsTheBoxSizeOnlyWhileTheFeatureIsChosen) {
    selectRecordingOfSize(160, 160);
    const auto wheel = [&](int delta) {
        QWheelEvent event(QPointF(50, 50), QPointF(50, 50), QPoint(), QPoint(0, delta), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(control<QLabel>(page, "PreviewImage"), &event);
    };
    // Up steps to the larger box, down to the smaller; a small delta does nothing; at the
    // smallest box a step down stays. A turn of 10 either way is still small (at a box that could
    // step both ways), 11 is a step.
    const struct {
        int delta;
        int item;
        int size;
    } steps[] = {{120, 1, 64}, {120, 2, 128}, {5, 2, 128},  {-120, 1, 64}, {-120, 0, 32}, {-120, 0, 32},
                 {120, 1, 64}, {10, 1, 64},   {-10, 1, 64}, {11, 2, 128},  {-11, 1, 64},  {-11, 0, 32}};
    for (const auto& step : steps) {
        wheel(step.delta);
        EXPECT_EQ(control<TRadioGroup>(page, "FFTsizeGroup")->ItemIndex(), step.item) << step.delta;
        EXPECT_EQ(context.pipeline.fft().FFTSize, step.size) << step.delta;
    }
    // The outline around the pointer takes the new size at once, without a move.
    QFrame& outline = *control<QFrame>(page, "BoxOutline");
    pieces(*form).align->PreviewImageMouseMove(Qt::NoButton, Qt::NoModifier, 70, 90);
    ASSERT_EQ(outline.geometry(), QRect(54, 74, 32, 32));
    // It is drawn in exclusive-or white: the picture under it shows inverted.
    const QImage shown = control<QLabel>(page, "PreviewImage")->grab().toImage(),
                 under = page.previewPicture().toImage();
    for (int y = 74; y < 106; ++y)
        EXPECT_EQ(shown.pixel(54, y) & 0xFFFFFFu, ~under.pixel(54, y) & 0xFFFFFFu) << y;
    for (const auto& [delta, geometry] :
         {std::pair{120, QRect(38, 58, 64, 64)}, std::pair{120, QRect(6, 26, 128, 128)},
          std::pair{-120, QRect(38, 58, 64, 64)}}) {
        wheel(delta);
        EXPECT_FALSE(outline.isHidden());
        EXPECT_EQ(outline.geometry(), geometry) << delta;
    }
    // At 128 the box around the pointer would leave the frame at the bottom: no outline.
    pieces(*form).align->PreviewImageMouseMove(Qt::NoButton, Qt::NoModifier, 80, 100);
    wheel(120);
    EXPECT_TRUE(outline.isHidden());
    wheel(-120);
    wheel(-120);

    // Once the frames are aligned the wheel leaves the box alone.
    click(QPoint(80, 80));
    pieces(*form).align->AlignallButtonClick();
    ASSERT_EQ(context.pipeline.state().progstatus, TProgStatus::psAligned);
    wheel(120);
    EXPECT_EQ(control<TRadioGroup>(page, "FFTsizeGroup")->ItemIndex(), 0);
}

}  // namespace kestrave::test
