// The alignment methods and the alignment points on a synthesised recording: "None" stacks the
// frames unshifted, "Multipoint" opens the multi-point window and "Default(single)" leaves it with
// the points kept in the temporary point file; the free box dragged on the preview becomes the
// reference; points are estimated, deleted by a right click, saved and loaded, and a hostile point
// file is clipped with a message.

#include <QCursor>
#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QStackedWidget>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <fstream>
#include <functional>
#include <optional>

#include "registration/point_estimator.h"
#include "registration/point_file.h"
#include "shell/controllers/align_controller.h"
#include "shell/controllers/input_controller.h"
#include "shell/controllers/optimize_controller.h"
#include "shell/controllers/point_controller.h"
#include "shell/controllers/stack_controller.h"
#include "shell/pages/align_page.h"
#include "shell/pages/frame_windows.h"
#include "shell/pages/named_control.h"
#include "shell/pages/optimize_page.h"
#include "shell/pages/point_windows.h"
#include "shell/pages/stack_page.h"
#include "shell/speed_bar.h"
#include "shell/tab_strip.h"
#include "support/page_test_access.h"
#include "support/sample_recording.h"
#include "wavelet_page_support.h"
#include "widgets/check_box.h"
#include "widgets/radio_group.h"
#include "widgets/slider.h"
#include "widgets/spin_edit.h"

namespace kestrave::test {

namespace {

struct PointsPageTest : ShellWindowTest {
    TempDir dir;
    AlignPage& page = *pieces(*form).alignPage;
    PointController& points = pieces(*form).align->points();
    ScriptedFileDialogs* dialogs = nullptr;

    PointsPageTest() {
        auto scripted = std::make_unique<ScriptedFileDialogs>();
        dialogs = scripted.get();
        context.setDialogs(std::move(scripted));
    }
    // A recording of width x height, chosen as a batch run chooses it, with the 64-pixel box.
    void selectRecording(int width = 160, int height = 120, int frames = 8) {
        synth::SynthOptions options = smallRecordingOptions();
        options.width = width;
        options.height = height;
        options.frames = frames;
        editRun(context.pipeline).state.BatchMode = true;
        editRun(context.pipeline).input.BatchInputFile =
            writeSampleRecording(dir.path(), options).path.string();
        pieces(*form).input->SelectFileButtonClick();
        editRun(context.pipeline).state.BatchMode = false;
        control<TRadioGroup>(page, "FFTsizeGroup")->setItemIndex(1);
        pieces(*form).align->FFTsizeGroupClick();
    }
    void chooseMethod(int item) { control<TRadioGroup>(page, "Alignmethod")->button(item)->click(); }
    // Runs `steps` while the multi-point setup waits for points to be placed; unless the steps end
    // the placing themselves, the multi-point mode is left afterwards ("Default(single)").
    void whilePlacing(const std::function<void()>& steps) {
        QTimer::singleShot(0, [&] {
            const auto leave = qScopeGuard([&] {
                if (!context.pipeline.alignPoints().StopPlacing) chooseMethod(AlignMethodSingle);
            });
            steps();
        });
        chooseMethod(AlignMethodMultipoint);
    }
    void loadPoints(const std::vector<AlignPoint>& file) {
        writeAlignPointFile(dir / "points.kap", 0, file);
        dialogs->willChoose(dir / "points.kap");
        points.LoadpointsClick();
    }
    std::vector<QString> gridRow(int r) const {
        std::vector<QString> cells;
        for (int c = 0; c < 4; ++c)
            cells.push_back(control<QTableWidget>(*form, "StringGrid1")->item(r, c)->text());
        return cells;
    }
    // Align in the multi-point mode opens the zoom window at once, for the points' areas.
    void expectZoomShown(const char* when) const {
        EXPECT_TRUE(control<ToolWindow>(*form, "Zoomwindow")->isVisible()) << when;
    }
    // Align in the multi-point mode with no point to align: the zoom window, nothing said.
    void expectAlignedNothing(std::size_t shownBefore) const {
        EXPECT_EQ(messages.shown.size(), shownBefore);
        expectZoomShown("Align with no point placed");
    }
    // Two points of 32-pixel boxes from the remembered point file, aligned in "Simple" mode.
    void alignTwoRememberedPoints() {
        selectRecording(160, 120, 12);
        writeAlignPointFile(dir / TempPointFile, 0, std::vector<AlignPoint>{{60, 50, 32}, {100, 70, 32}});
        QTimer::singleShot(0, [&] {
            control<TRxSpeedButton>(page, "Alignbutton")->click();
            expectZoomShown("Align pressed");
        });
        chooseMethod(AlignMethodMultipoint);
        ASSERT_TRUE(context.pipeline.model().FramesRanked);
        ASSERT_EQ(context.pipeline.alignPoints().Alignpoints, 2);
    }
    void estimateAndClear();
    void rightClickAndDelete();
    void saveAndLoad();
    void drag(QPoint from, QPoint to) {
        QTest::mousePress(control<QLabel>(page, "PreviewImage"), Qt::LeftButton, Qt::NoModifier, from);
        QTest::mouseMove(control<QLabel>(page, "PreviewImage"), (from + to) / 2);
        QTest::mouseRelease(control<QLabel>(page, "PreviewImage"), Qt::LeftButton, Qt::NoModifier, to);
    }
};

}  // namespace

TEST_F(PointsPageTest, NoneStacksTheFramesWithoutShifts) {
    selectRecording();
    const int last = pieces(*form).input->lastIndex();
    for (int f = 0; f <= last; ++f) {
        editRun(context.pipeline).model.FrameTable[f].Slots[0] = {f + 1, -f - 1};
        editRun(context.pipeline).model.FrameTable[f].Slots[1].X = 9;
    }
    chooseMethod(AlignMethodNone);
    for (int f = 0; f <= last; ++f) {
        EXPECT_EQ(context.pipeline.model().FrameTable[f].Slots[0].X, 0) << f;
        EXPECT_EQ(context.pipeline.model().FrameTable[f].Slots[0].Y, 0) << f;
        EXPECT_EQ(context.pipeline.model().FrameTable[f].Slots[1].X, 9) << "point shifts stay";
    }
    EXPECT_TRUE(control<TRxSpeedButton>(*form, "Setlimitbutton")->isEnabled());
    EXPECT_TRUE(control<TRxSpeedButton>(*form, "Stackbutton")->isEnabled());
    EXPECT_TRUE(control<TRxSpeedButton>(*form, "Statisticalstackbutton")->isEnabled());
    EXPECT_FALSE(control<TRxSpeedButton>(*form, "Optimizebutton")->isEnabled());
    EXPECT_EQ(control<TRxSlider>(page, "PreviewSlider")->Value(),
              control<TRxSlider>(page, "PreviewSlider")->MaxValue());
    EXPECT_EQ(control<TRxSlider>(*form, "StackSlider")->Value(),
              control<TRxSlider>(page, "PreviewSlider")->Value());
    EXPECT_FALSE(control<TRectShape>(*form, "Showgraphpointer")->isHidden());
    EXPECT_EQ(context.pipeline.state().progstatus, TProgStatus::psFeatureSet);
}

// While points are placed no pass of the Optimize page runs; the Align button ends the placing,
// and the optimizer still waits for the points' pass.
TEST_F(PointsPageTest, PlacingPointsHoldsTheOptimizersPasses) {
    selectRecording();
    QTest::mouseClick(control<QLabel>(page, "PreviewImage"), Qt::LeftButton, Qt::NoModifier, QPoint(80, 60));
    auto& optimize = *control<TRxSpeedButton>(*form, "Optimizebutton");
    auto& optimizeAndStack = *control<TRxSpeedButton>(*form, "Optimizeandstackbutton");
    optimize.setEnabled(true);
    optimizeAndStack.setEnabled(true);
    std::size_t shownBefore = 0;
    whilePlacing([&] {
        // The second registration window of the pick stays; the spectrum and the first go.
        EXPECT_TRUE(control<ToolWindow>(*form, "RegiStration2")->isVisible());
        EXPECT_FALSE(control<ToolWindow>(*form, "Registrationgraphwindow")->isVisible());
        EXPECT_FALSE(optimize.isEnabled());
        EXPECT_FALSE(optimizeAndStack.isEnabled());
        optimize.setEnabled(true);
        control<TRxSlider>(*form, "differencecutslider")->setValue(400);
        shownBefore = messages.shown.size();
        control<TRxSpeedButton>(page, "Alignbutton")->click();
    });
    // No point was placed: nothing is aligned; the difference cut goes back to its top.
    expectAlignedNothing(shownBefore);
    EXPECT_EQ(control<TRxSlider>(*form, "differencecutslider")->Value(), 1000);
    EXPECT_FALSE(context.pipeline.model().FramesRanked);
    EXPECT_TRUE(context.pipeline.alignPoints().StopPlacing);
    EXPECT_FALSE(optimize.isEnabled());
    EXPECT_FALSE(optimizeAndStack.isEnabled());
}

TEST_F(PointsPageTest, MultipointOpensThePointWindowAndDefaultLeavesItKeepingThePoints) {
    selectRecording();
    QTest::mouseClick(control<QLabel>(page, "PreviewImage"), Qt::LeftButton, Qt::NoModifier, QPoint(80, 60));
    ASSERT_EQ(context.pipeline.state().ProcessStage, TProcessStage::stReferenceReady);
    EXPECT_EQ(context.pipeline.alignPoints().SavedFeatureX, 80);
    EXPECT_EQ(context.pipeline.alignPoints().PointPos[1].X, 80) << "the first point follows the feature";

    const std::vector<AlignPoint> placed{{40, 40, 64}, {120, 70, 64}};
    // The preview shown at half size; the pointer is put back where it was afterwards.
    context.shell.PreviewFitted = true;
    context.shell.PreviewFitScale = 2.0f;
    const auto pointerBack = qScopeGuard([was = QCursor::pos()] { QCursor::setPos(was); });
    QCursor::setPos(0, 0);
    whilePlacing([&] {
        EXPECT_TRUE(control<TRxSlider>(*form, "differencecutslider")->isHidden());
        EXPECT_TRUE(control<ToolWindow>(*form, "Multialignwindow")->isVisible());
        loadPoints(placed);
        EXPECT_EQ(control<QTableWidget>(*form, "StringGrid1")->rowCount(), 2);
        EXPECT_EQ(control<QLabel>(*form, "Label52")->text(), "Alignmentpoints: 2");
        EXPECT_EQ(context.pipeline.alignPoints().Alignpoints, 3);
        EXPECT_EQ(context.pipeline.alignPoints().PointPos[2].X, 120);
        // Every release keeps the feature in force, a point's too.
        QTest::mouseClick(control<QLabel>(page, "PreviewImage"), Qt::LeftButton, Qt::NoModifier,
                          QPoint(50, 35));
        editRun(context.pipeline).state.FeatureX = editRun(context.pipeline).state.FeatureY =
            5;  // as the points' alignment leaves it
        chooseMethod(AlignMethodSingle);
    });
    EXPECT_EQ(context.pipeline.state().FeatureX, 100);
    EXPECT_EQ(context.pipeline.state().FeatureY, 70);
    EXPECT_EQ(QCursor::pos(), control<QLabel>(page, "PreviewImage")->mapToGlobal(QPoint(50, 35)))
        << "the pointer is back on the feature";
    EXPECT_FALSE(control<ToolWindow>(*form, "Multialignwindow")->isVisible());
    EXPECT_FALSE(control<TRxSlider>(*form, "differencecutslider")->isHidden());
    EXPECT_EQ(context.pipeline.alignPoints().Alignpoints, 1);
    EXPECT_FALSE(context.pipeline.alignPoints().MultiPointMode);
    EXPECT_TRUE(context.pipeline.alignPoints().StopPlacing);
    EXPECT_TRUE(control<TRxSpeedButton>(*form, "Optimizebutton")->isEnabled());
    const PointFileContent kept = readAlignPointFile(dir / TempPointFile, 160, 120);
    EXPECT_EQ(kept.points, placed);

    // Back in the multi-point mode the kept points come back, and "None" keeps them again.
    whilePlacing([&] {
        EXPECT_EQ(control<QTableWidget>(*form, "StringGrid1")->rowCount(), 2);
        std::filesystem::remove(dir / TempPointFile);
        chooseMethod(AlignMethodNone);
    });
    EXPECT_EQ(readAlignPointFile(dir / TempPointFile, 160, 120).points, placed);
}

// While points are placed the Stack page's Multi box is ticked (the stack is to be made with them),
// at the first placing and again after a new input unticked it; leaving the points unticks it.
TEST_F(PointsPageTest, PlacingPointsTicksTheStackPagesMultiBox) {
    const TPCheck& multi = *control<TPCheck>(*form, "Multi");
    for (const char* when : {"the first placing", "a placing after a new input"}) {
        selectRecording();
        ASSERT_FALSE(multi.Checked()) << when;
        QTest::mouseClick(control<QLabel>(page, "PreviewImage"), Qt::LeftButton, Qt::NoModifier,
                          QPoint(80, 60));
        bool tickedWhilePlacing = false;
        whilePlacing([&] { tickedWhilePlacing = multi.Checked(); });
        EXPECT_TRUE(tickedWhilePlacing) << when;
        EXPECT_FALSE(multi.Checked()) << "one box again: " << when;
    }
}

TEST_F(PointsPageTest, ADraggedFreeBoxBecomesTheReference) {
    selectRecording();
    const std::size_t shownBefore = messages.shown.size();
    control<TPCheck>(page, "Freebox")->setChecked(true);
    points.FreeboxClick();
    ASSERT_TRUE(context.pipeline.alignPoints().FreeBox);
    drag({60, 45}, {100, 75});  // 40 x 30: the 64 box around (80, 60)
    EXPECT_EQ(context.pipeline.state().ProcessStage, TProcessStage::stReferenceReady);
    EXPECT_EQ(control<TRadioGroup>(page, "FFTsizeGroup")->ItemIndex(), 1);
    EXPECT_EQ(QPoint(context.pipeline.state().FeatureX, context.pipeline.state().FeatureY), QPoint(80, 60));
    EXPECT_EQ(context.pipeline.alignPoints().FreeBoxCentreX, 80);
    EXPECT_EQ(context.pipeline.alignPoints().SavedFeatureY, 60);
    EXPECT_EQ(context.pipeline.registration().RefSpectrumRe.xCount(), 64);
    EXPECT_TRUE(control<QFrame>(page, "FreeBoxBand")->isHidden());
    EXPECT_EQ(messages.shown.size(), shownBefore);
    // Before any optimizer pass a free box's difference is not measured; the dragged box is drawn
    // on the frame beside the aligned one.
    EXPECT_EQ(context.pipeline.model().FrameTable[0].AlignDifference, 1e8f);
    const QImage marked = page.previewPicture().toImage();
    for (const QPoint edge : {QPoint(60, 60), QPoint(80, 45), QPoint(99, 60)})
        EXPECT_EQ(marked.pixel(edge) & 0xFFFFFFu, 0xFFFFFFu) << edge.x() << "," << edge.y();

    // 148 pixels on a 160 x 120 frame: the group steps down to 64, the box is cut to 64 around the
    // dragged centre, and the free box is switched off.
    drag({150, 110}, {2, 2});
    ASSERT_GT(messages.shown.size(), shownBefore);
    EXPECT_EQ(messages.shown.back().caption, "Alignment box problem");
    EXPECT_EQ(messages.shown.back().text, "Box larger then maximum available size");
    EXPECT_FALSE(control<TPCheck>(page, "Freebox")->Checked());
    EXPECT_FALSE(context.pipeline.alignPoints().FreeBox);
    EXPECT_EQ(context.pipeline.fft().FFTSize, 64);
    EXPECT_EQ(QPoint(context.pipeline.state().FeatureX, context.pipeline.state().FeatureY), QPoint(76, 56));
    EXPECT_EQ(context.pipeline.state().ProcessStage, TProcessStage::stReferenceReady);
}

TEST_F(PointsPageTest, EstimatedPointsFillTheGridAndTheArrays) {
    selectRecording(320, 240);
    whilePlacing([&] { estimateAndClear(); });
}

void PointsPageTest::estimateAndClear() {
    // The setup sets the minimum distance to half the box.
    EXPECT_EQ(control<TRxSpinEdit>(*form, "MaxDist")->Value(), 32);
    const std::vector<PointXY> expected = estimateAlignPoints(context.pipeline.input().PreviewBitmap, 64, 32);
    ASSERT_FALSE(expected.empty());
    control<QPushButton>(*form, "EstimateBestAlign")->click();
    const int count = static_cast<int>(expected.size());
    ASSERT_EQ(control<QTableWidget>(*form, "StringGrid1")->rowCount(), count);
    for (int p = 1; p <= count; ++p) {
        EXPECT_EQ(gridRow(p - 1),
                  (std::vector<QString>{QString::number(p), QString::number(expected[p - 1].X),
                                        QString::number(expected[p - 1].Y), "64"}));
        EXPECT_EQ(context.pipeline.alignPoints().PointPos[p].Y, expected[p - 1].Y);
        EXPECT_EQ(context.pipeline.alignPoints().PointFFTIndex[p], 1);
    }
    EXPECT_EQ(context.pipeline.alignPoints().Alignpoints, count + 1);
    EXPECT_EQ(control<QLabel>(*form, "Label52")->text(), "Alignmentpoints: " + QString::number(count));
    EXPECT_EQ(context.pipeline.state().ProcessStage, TProcessStage::stReferenceReady);
    EXPECT_TRUE(control<TRxSpeedButton>(page, "Alignbutton")->isEnabled());

    control<QPushButton>(*form, "ClearAlignmentpoints")->click();
    EXPECT_EQ(control<QTableWidget>(*form, "StringGrid1")->rowCount(), 0);
    EXPECT_EQ(context.pipeline.alignPoints().Alignpoints, 1);
    EXPECT_EQ(control<QLabel>(*form, "Label52")->text(), "Alignmentpoints: 0");
}

TEST_F(PointsPageTest, ARightClickDeletesTheNearestPointAndABadCellBlocksTheRebuild) {
    selectRecording();
    QTest::mouseClick(control<QLabel>(page, "PreviewImage"), Qt::RightButton, Qt::NoModifier,
                      QPoint(40, 40));  // no window
    whilePlacing([&] { rightClickAndDelete(); });
}

void PointsPageTest::rightClickAndDelete() {
    loadPoints({{40, 40, 32}, {120, 40, 32}, {80, 90, 64}});
    QTest::mouseClick(control<QLabel>(page, "PreviewImage"), Qt::RightButton, Qt::NoModifier,
                      QPoint(115, 45));
    ASSERT_EQ(control<QTableWidget>(*form, "StringGrid1")->rowCount(), 2);
    EXPECT_EQ(gridRow(0), (std::vector<QString>{"1", "40", "40", "32"}));
    EXPECT_EQ(gridRow(1), (std::vector<QString>{"2", "80", "90", "64"}));
    EXPECT_EQ(context.pipeline.alignPoints().PointPos[2].X, 80);
    EXPECT_EQ(context.pipeline.alignPoints().PointFFTSize[2], 64);
    EXPECT_EQ(context.pipeline.alignPoints().Alignpoints, 3);
    EXPECT_EQ(control<QLabel>(*form, "Label52")->text(), "Alignmentpoints: 2");

    // The user typed a bad value into point 1; deleting point 2 would rebuild from it.
    control<QTableWidget>(*form, "StringGrid1")->item(0, 1)->setText("4O");
    control<QTableWidget>(*form, "StringGrid1")->setCurrentCell(1, 0);
    QTest::keyClick(control<QTableWidget>(*form, "StringGrid1"), Qt::Key_Delete);
    EXPECT_EQ(control<QTableWidget>(*form, "StringGrid1")->rowCount(), 2);
    EXPECT_EQ(context.pipeline.alignPoints().PointPos[2].X, 80);
    EXPECT_EQ(messages.shown.back().text, "Point 1: '4O' is not a valid integer value");
}

TEST_F(PointsPageTest, PointFilesAreSavedAndAHostileOneIsClippedWithAMessage) {
    selectRecording();
    whilePlacing([&] { saveAndLoad(); });
}

void PointsPageTest::saveAndLoad() {
    std::string text = "[Frame]\nNumber=-4\n[Points]\nNumber=500\n";
    for (int p = 1; p <= 499; ++p) {
        const std::string i = std::to_string(p);
        text += "X" + i + "=" + std::to_string(p % 160) + "\nY" + i + "=" + std::to_string(p % 120) +
                "\nFFT" + i + "=" + (p == 7 ? "-64" : "32") + "\n";
    }
    std::ofstream(dir / "hostile.kap", std::ios::binary) << text;
    dialogs->willChoose(dir / "hostile.kap");
    points.LoadpointsClick();
    EXPECT_EQ(control<QTableWidget>(*form, "StringGrid1")->rowCount(), 98);
    EXPECT_EQ(context.pipeline.alignPoints().Alignpoints, 99);
    EXPECT_EQ(control<TRxSlider>(page, "PreviewSlider")->Value(), 0);
    ASSERT_FALSE(messages.shown.empty());
    EXPECT_EQ(messages.shown.back().caption, "Alignment points");
    EXPECT_NE(messages.shown.back().text.find("only the first 99 are read"), std::string::npos);
    EXPECT_NE(messages.shown.back().text.find("Point 7: box size -64"), std::string::npos);

    // Saved with its 98 points; an existing file is replaced only when the user says so.
    dialogs->willChoose(dir / "saved.kap");
    points.SavePointsClick();
    EXPECT_EQ(readAlignPointFile(dir / "saved.kap", 160, 120).points.size(), 98u);
    control<QTableWidget>(*form, "StringGrid1")->setRowCount(1);
    messages.reply(mrNo);
    dialogs->willChoose(dir / "saved.kap");
    points.SavePointsClick();
    EXPECT_EQ(messages.shown.back().text, " Overwrite existing alignmentpointsettings ?");
    EXPECT_EQ(readAlignPointFile(dir / "saved.kap", 160, 120).points.size(), 98u);

    // A file shows the frame its points were placed on, the last one too.
    const int last = control<TRxSlider>(page, "PreviewSlider")->MaxValue();
    writeAlignPointFile(dir / "last.kap", last, std::vector<AlignPoint>{{60, 50, 32}});
    dialogs->willChoose(dir / "last.kap");
    points.LoadpointsClick();
    EXPECT_EQ(control<TRxSlider>(page, "PreviewSlider")->Value(), last);
}

// The placing loop on a temporary point file of 98 points: a click adds point 99, the next one
// replaces it (each time with the maximum message), and so does a click after 99 points loaded
// from a file; Align with all 99 points warns the same way. In "Simple" mode point 1 alone is aligned
// and every other point takes its shifts, unmeasured.
TEST_F(PointsPageTest, ClicksPlacePointsUpTo99AndSimpleAlignmentCopiesPointOne) {
    selectRecording();
    std::vector<AlignPoint> remembered{{80, 60, 64}};
    for (int i = 1; i < 98; ++i) remembered.push_back({10 + i % 14 * 10, 10 + i / 14 * 12, 32});
    writeAlignPointFile(dir / TempPointFile, 0, remembered);
    const auto maximumMessages = [&] {
        return std::count_if(messages.shown.begin(), messages.shown.end(),
                             [](const Message& m) { return m.caption == "Maximum alignmentpoints used"; });
    };
    QTimer::singleShot(0, [&] {
        EXPECT_EQ(control<QTableWidget>(*form, "StringGrid1")->rowCount(), 98);
        EXPECT_EQ(context.pipeline.alignPoints().Alignpoints, 99);
        QTest::mouseClick(control<QLabel>(page, "PreviewImage"), Qt::LeftButton, Qt::NoModifier,
                          QPoint(50, 50));
        QTimer::singleShot(0, [&] {
            EXPECT_EQ(gridRow(98), (std::vector<QString>{"99", "50", "50", "64"}));
            EXPECT_EQ(maximumMessages(), 1);
            EXPECT_EQ(context.pipeline.alignPoints().Alignpoints, 99) << "the next click replaces point 99";
            QTest::mouseClick(control<QLabel>(page, "PreviewImage"), Qt::LeftButton, Qt::NoModifier,
                              QPoint(100, 70));
            QTimer::singleShot(0, [&] {
                EXPECT_EQ(control<QTableWidget>(*form, "StringGrid1")->rowCount(), 99);
                EXPECT_EQ(gridRow(98), (std::vector<QString>{"99", "100", "70", "64"}));
                EXPECT_EQ(maximumMessages(), 2);
                std::vector<AlignPoint> full = remembered;
                full.push_back({100, 70, 64});
                loadPoints(full);
                ASSERT_EQ(context.pipeline.alignPoints().Alignpoints, 100);
                // With 99 points loaded a click replaces point 99 too.
                QTest::mouseClick(control<QLabel>(page, "PreviewImage"), Qt::LeftButton, Qt::NoModifier,
                                  QPoint(120, 80));
                QTimer::singleShot(0, [&, full] {
                    EXPECT_EQ(gridRow(98), (std::vector<QString>{"99", "120", "80", "64"}));
                    EXPECT_EQ(maximumMessages(), 3);
                    loadPoints(full);
                    control<TRxSpeedButton>(page, "Alignbutton")->click();
                });
            });
        });
    });
    chooseMethod(AlignMethodMultipoint);

    EXPECT_EQ(maximumMessages(), 4) << "Align with all 99 points";
    ASSERT_TRUE(context.pipeline.model().FramesRanked);
    EXPECT_EQ(context.pipeline.alignPoints().Alignpoints, 99);
    EXPECT_TRUE(context.pipeline.alignPoints().MultiPointMode);
    EXPECT_FALSE(control<ToolWindow>(*form, "Multialignwindow")->isVisible());
    EXPECT_EQ(QPoint(context.pipeline.state().FeatureX, context.pipeline.state().FeatureY), QPoint(80, 60))
        << "point 1";
    const int last = pieces(*form).input->lastIndex();
    for (int f = 0; f <= last; ++f) {
        const TAlignSlotRec* point = context.pipeline.model().FrameTable[f].Slots;
        for (int p : {2, 50, 99}) {
            EXPECT_EQ(point[p].X, point[1].X) << f;
            EXPECT_EQ(point[p].SavedY, point[1].Y) << f;
            EXPECT_EQ(point[p].Quality, point[1].Quality) << f;
            EXPECT_EQ(point[p].Difference, 1e7f) << f;
        }
        EXPECT_NE(point[1].Difference, 1e7f) << f;
    }
    EXPECT_EQ(context.pipeline.alignPoints().PointBestQuality[99],
              context.pipeline.alignPoints().PointBestQuality[1]);
    EXPECT_GT(context.pipeline.alignPoints().PointBestQuality[1], 0.0f);

    // Stacked before the points are optimized (which sets their cuts and measures them), the zones
    // of the unmeasured points would stay empty: the user is told. (Point 1 passes its cut of 0 in
    // the reference frame.)
    pieces(*form).stack->StackButtonClick();
    EXPECT_TRUE(std::any_of(messages.shown.begin(), messages.shown.end(), [](const Message& m) {
        return m.caption == "Stacking" && m.text.find("alignment point(s) 2, 3, 4, ") != std::string::npos;
    }));
}

// In "Simple" mode the frames are ranked by one pass over a box around all the points, and point
// 1's own reference is taken afterwards on the reference frame: every frame keeps the quality it
// was ranked by, so the lowest quality kept by a limit is never above the best. The next input's
// points are measured afresh.
TEST_F(PointsPageTest, SimpleAlignmentKeepsTheQualitiesTheRankingWasMadeFrom) {
    alignTwoRememberedPoints();
    EXPECT_TRUE(context.pipeline.alignPoints().WholeFrameStart);

    const FrameModel& model = context.pipeline.model();
    const int last = pieces(*form).input->lastIndex();
    for (int j = 0; j <= last; ++j)
        EXPECT_EQ(model.FrameTable[model.FrameRanking[j].Frame].Slots[0].Quality, model.FrameRanking[j].Key)
            << j;
    control<TRxSlider>(page, "PreviewSlider")->setValue(last - 2);
    control<TRxSpeedButton>(page, "Setlimitbutton")->click();
    // "Stacksize: n Low quality :q%", q the quality at rank n - 1 over the best.
    int n = 0;
    double shown = 0.0;
    ASSERT_EQ(std::sscanf(pieces(*form).StatusPanels[3]->text().toStdString().c_str(),
                          "Stacksize: %d Low quality :%lf%%", &n, &shown),
              2)
        << pieces(*form).StatusPanels[3]->text().toStdString();
    ASSERT_GE(n, 1);
    EXPECT_NEAR(shown, model.FrameRanking[n - 1].Key / model.FrameRanking[0].Key * 100.0, 0.005);
    EXPECT_LE(shown, 100.0);

    selectRecording(160, 120, 12);
    EXPECT_FALSE(context.pipeline.alignPoints().WholeFrameStart);
}

// The registration windows name the point they work on while there are points, and no point once
// one box is back; the zoom window shows the area of the point the pass works on, named after it.
// Align again after the points' pass aligns nothing and says what to do instead.
TEST_F(PointsPageTest, TheRegistrationWindowsNameAPointOnlyWhileThereArePoints) {
    const ToolWindow& zoom = *control<ToolWindow>(*form, "Zoomwindow");
    int polls = 0;
    auto progress = std::make_unique<NullProgress>();
    progress->onPoll = [&](NullProgress&) {
        if (!context.pipeline.alignment().InAlignPass) return;
        ++polls;
        ASSERT_TRUE(zoom.isVisible());
        EXPECT_EQ(zoom.windowTitle(), "Alignment area 1");
        ASSERT_FALSE(points.ImageList1.empty());
        EXPECT_EQ(control<QLabel>(*form, "zoomimage")->pixmap().toImage(), points.ImageList1.front());
    };
    context.setProgress(std::move(progress));
    alignTwoRememberedPoints();
    context.setProgress(std::make_unique<NullProgress>());
    EXPECT_GT(polls, 0);
    // The Stack page's window of the points lists each one, ticked for the stack.
    const auto lists = form->findChildren<QListWidget*>("Alignmentpointlist");
    ASSERT_EQ(lists.size(), 1);
    ASSERT_EQ(lists.front()->count(), 2);
    EXPECT_EQ(lists.front()->item(1)->text(), "Point 2");
    for (int i = 0; i < 2; ++i) EXPECT_EQ(lists.front()->item(i)->checkState(), Qt::Checked) << i;
    EXPECT_EQ(lists.front()->window(), control<ToolWindow>(*form, "Alignmentpointswindow"));
    const ToolWindow& passWindow = *control<ToolWindow>(*form, "Registrationgraphwindow");
    const ToolWindow& differenceWindow = *control<ToolWindow>(*form, "RegiStration2");
    EXPECT_TRUE(passWindow.windowTitle().contains("point #1")) << passWindow.windowTitle().toStdString();
    EXPECT_FALSE(zoom.isVisible());

    control<TRxSpeedButton>(page, "Setlimitbutton")->click();
    const std::size_t shownBefore = messages.shown.size();
    control<TRxSpeedButton>(page, "Alignbutton")->click();
    expectAlignedNothing(shownBefore);
    EXPECT_TRUE(context.pipeline.model().FramesRanked);

    chooseMethod(AlignMethodSingle);
    ASSERT_TRUE(context.pipeline.alignPoints().StopPlacing);
    pieces(*form).align->AlignallButtonClick();
    ASSERT_EQ(context.pipeline.state().progstatus, TProgStatus::psAligned);
    // The pass on one box had the box's area alone to show (not point 1's), and places no points.
    EXPECT_EQ(points.ImageList1.size(), 1u);
    EXPECT_FALSE(context.pipeline.alignPoints().StopPlacing);
    for (const ToolWindow* window : {&passWindow, &differenceWindow})
        EXPECT_FALSE(window->windowTitle().contains("point", Qt::CaseInsensitive))
            << window->windowTitle().toStdString();
    // The pass's caption stays as the pass set it.
    EXPECT_EQ(passWindow.windowTitle().toStdString(), "Initial alignment running ");
}

// The stack size and the quality beside the frame are figures of the ranking: before the frames
// are ranked, and while points are placed after a one-box pass (the frames are in their own order
// then), the label gives none.
TEST_F(PointsPageTest, TheFrameLabelGivesRankingFiguresOnlyWhileTheFramesAreRanked) {
    selectRecording(160, 120, 12);
    const auto label = [&](const char* name) { return control<QLabel>(page, name)->text().toStdString(); };
    TRxSlider& slider = *control<TRxSlider>(page, "PreviewSlider");
    QTest::mouseClick(control<QLabel>(page, "PreviewImage"), Qt::LeftButton, Qt::NoModifier, QPoint(80, 60));
    ASSERT_EQ(context.pipeline.state().ProcessStage, TProcessStage::stReferenceReady);
    slider.setValue(3);
    EXPECT_EQ(label("Frames"), "Frame (4): 4/12");

    editRun(context.pipeline).state.BatchMode = true;
    pieces(*form).align->AlignallButtonClick();
    editRun(context.pipeline).state.BatchMode = false;
    ASSERT_TRUE(context.pipeline.model().FramesRanked);
    slider.setValue(3);
    const FrameModel& model = context.pipeline.model();
    char ranked[96];
    std::snprintf(ranked, sizeof ranked, "Frame (%d) :  (stacksize 4 / 12) [Low quality %.1f %%]",
                  model.FrameRanking[3].Frame + 1,
                  model.FrameRanking[3].Key / (0.01 + model.FrameRanking[0].Key) * 100.0);
    EXPECT_EQ(label("Frames"), ranked);

    whilePlacing([&] {
        slider.setValue(5);
        EXPECT_EQ(label("Frames"), "Frame (6): 6/12");
    });
}

// A cancel while three points are aligned side by side ("Multi-Quantity"): every point keeps what
// it measured in its slot, and the setup stops there, without angles. While the frames are
// aligned the progress window counts them and names the points, and the registration window says
// that the pass runs.
TEST_F(PointsPageTest, ACancelDuringTheAlignmentLeavesTheSlotsFilledAndNoAngles) {
    selectRecording(160, 120, 24);
    writeAlignPointFile(dir / TempPointFile, 0,
                        std::vector<AlignPoint>{{60, 60, 64}, {100, 60, 64}, {80, 55, 64}});
    control<TRadioGroup>(*form, "MultiAlign")->setItemIndex(1);
    for (int f = 0; f < 24; ++f) editRun(context.pipeline).model.FrameTable[f].Angle = 7.0f;
    const ToolWindow& progressWindow = *control<ToolWindow>(*form, "MultiAlignprogresswindow");
    const QProgressBar& bar = *control<QProgressBar>(*form, "MultiAlignProgressbar");
    const ToolWindow& passWindow = *control<ToolWindow>(*form, "Registrationgraphwindow");
    struct Seen {
        QString progressTitle, passTitle;
        int done, of;
    };
    std::vector<Seen> seen;
    auto progress = std::make_unique<NullProgress>();
    progress->onPoll = [&](NullProgress& port) {
        if (port.position() > 0)
            seen.push_back(
                {progressWindow.windowTitle(), passWindow.windowTitle(), bar.value(), bar.maximum()});
        if (port.position() >= 10) port.setCancelRequested(true);
    };
    context.setProgress(std::move(progress));
    QTimer::singleShot(0, [&] { control<TRxSpeedButton>(page, "Alignbutton")->click(); });
    chooseMethod(AlignMethodMultipoint);

    ASSERT_FALSE(seen.empty());
    for (const Seen& poll : seen) {
        EXPECT_EQ(poll.progressTitle.toStdString(), "Aligning 3 alignmentpoints");
        EXPECT_TRUE(poll.passTitle.startsWith("Initial alignment running")) << poll.passTitle.toStdString();
        EXPECT_LT(poll.done, poll.of) << "frames are left to align";
    }
    EXPECT_GT(seen.back().done, 0);

    EXPECT_EQ(context.pipeline.alignPoints().Alignpoints, 3);
    for (int p = 1; p <= 3; ++p) {
        EXPECT_GT(context.pipeline.model().FrameTable[5].Slots[p].Quality, 0.0f) << p;
        EXPECT_EQ(context.pipeline.model().FrameTable[15].Slots[p].Quality, 0.0f) << p << ": not reached";
    }
    for (int f = 0; f < 24; ++f) EXPECT_EQ(context.pipeline.model().FrameTable[f].Angle, 7.0f) << f;
    EXPECT_EQ(context.pipeline.state().progstatus, TProgStatus::psNone);
}

// "Automatic processing" is off while points are placed and comes back after. Ticked, the setup
// goes on from the alignment to the limit and the points' optimizer, which stacks and opens the
// Wavelet page processed; the points' distances fill "Angle & Distance" either way, until the next
// input.
TEST_F(PointsPageTest, AutomaticProcessingWaitsWhilePlacingAndGoesOnToTheProcessedStack) {
    createImagePlanes(editRun(context.pipeline).images, DefaultProcessAreaItem, context.progress(),
                      context.messages());
    selectRecording(160, 120, 12);
    auto& automatic = *control<TPCheck>(page, "Autoprocess");
    for (const bool ticked : {false, true}) {
        SCOPED_TRACE(ticked ? "ticked" : "unticked");
        writeAlignPointFile(dir / TempPointFile, 0, std::vector<AlignPoint>{{60, 60, 64}, {100, 60, 64}});
        automatic.setChecked(ticked);
        std::optional<bool> whilePlacing;
        QTimer::singleShot(0, [&] {
            whilePlacing = automatic.Checked();
            control<TRxSpeedButton>(page, "Alignbutton")->click();
        });
        chooseMethod(AlignMethodMultipoint);

        EXPECT_EQ(whilePlacing, std::optional<bool>(false));
        EXPECT_EQ(automatic.Checked(), ticked);
        EXPECT_EQ(chartSeries(pieces(*form).pointWindows, "LineSeries1")->Count(), 12);
        EXPECT_EQ(context.pipeline.state().progstatus,
                  ticked ? TProgStatus::psStacked : TProgStatus::psAligned);
        EXPECT_EQ(control<TRxSpeedButton>(*form, "Stackbutton")->isEnabled(), ticked) << "the limit ran";
        // The pass showed its time left and stopped counting down; a stack made afterwards says so.
        EXPECT_FALSE(control<QTimer>(*form, "Timer1")->isActive());
        const QString timer = control<QLabel>(*form, "Multialigntimer")->text();
        EXPECT_TRUE(ticked ? timer == "Stacking started ..." : timer.startsWith("Time left: 00:00:"))
            << timer.toStdString();
        if (ticked) {
            EXPECT_EQ(pieces(*form).Tabpages->currentIndex(), static_cast<int>(TMainTab::tabWavelet));
            EXPECT_FALSE(context.pipeline.state().LayersDirty) << "the stack was processed";
            EXPECT_GT(context.pipeline.points().PointDifferenceCut[2], 0.0f) << "the points were optimized";
        }
        EXPECT_FALSE(context.operations.running());
        chooseMethod(AlignMethodSingle);
    }
    // A new input leaves neither the last one's distances nor their window.
    pieces(*form).PageControl1->setCurrentIndex(0);
    pieces(*form).tools.AngleDist->show();
    ASSERT_TRUE(pieces(*form).tools.AngleDist->isVisible());
    selectRecording(160, 120, 12);
    EXPECT_EQ(chartSeries(pieces(*form).pointWindows, "LineSeries1")->Count(), 0);
    EXPECT_FALSE(pieces(*form).tools.AngleDist->isVisible());
}

// The points' optimizer ("Optimize" with two points) stacks and processes when "Automatic
// processing" is ticked, and stops at the optimized points otherwise. A run cancelled as it
// starts leaves every zone with its frames: the stack after it is whole.
TEST_F(PointsPageTest, ThePointOptimizerStacksAndProcessesWithAutomaticProcessing) {
    createImagePlanes(editRun(context.pipeline).images, DefaultProcessAreaItem, context.progress(),
                      context.messages());
    selectRecording(160, 120, 12);
    writeAlignPointFile(dir / TempPointFile, 0, std::vector<AlignPoint>{{60, 60, 64}, {100, 60, 64}});
    QTimer::singleShot(0, [&] { control<TRxSpeedButton>(page, "Alignbutton")->click(); });
    chooseMethod(AlignMethodMultipoint);
    control<TRxSpeedButton>(page, "Setlimitbutton")->click();

    messages.reply(mrYes);
    const QMetaObject::Connection cancelAtStart = QObject::connect(
        pieces(*form).tools.RegiStration2, &QWidget::windowTitleChanged, [&](const QString& title) {
            if (title.endsWith("point 2"))
                QMetaObject::invokeMethod(pieces(*form).Speedbar->Cancelbutton, &QAbstractButton::click,
                                          Qt::QueuedConnection);
        });
    pieces(*form).tools.RegiStration2->hide();
    pieces(*form).optimize->OptimizebuttonClick();
    QObject::disconnect(cancelAtStart);
    EXPECT_FALSE(pieces(*form).tools.RegiStration2->isHidden()) << "\"Difference\" ticked";
    messages.shown.clear();
    pieces(*form).stack->StackButtonClick();
    EXPECT_TRUE(messages.shown.empty()) << messages.shown.front().text;
    const T2dArrays& weights = context.pipeline.images().StackWeightPlane;
    const int stacked = context.pipeline.stack().result.StackListCount;
    ASSERT_GT(stacked, 1);
    for (const int x : {60, 100})
        EXPECT_EQ(weights[x][60], stacked) << "the zone at " << x << " has its frames";

    for (const bool ticked : {false, true}) {
        SCOPED_TRACE(ticked ? "ticked" : "unticked");
        context.shell.ImageSaved = true;
        control<TPCheck>(page, "Autoprocess")->setChecked(ticked);
        pieces(*form).optimize->OptimizebuttonClick();
        EXPECT_EQ(context.pipeline.state().progstatus,
                  ticked ? TProgStatus::psStacked : TProgStatus::psOptimized);
        EXPECT_EQ(pieces(*form).Tabpages->currentIndex() == static_cast<int>(TMainTab::tabWavelet), ticked);
        // Each point's quality cut-off stands one short of its graph's end, and its cut follows.
        const TRxSlider& cut = *control<TRxSlider>(*form, "QUALSliderMalign");
        for (int p = 1; p <= 2; ++p) {
            std::vector<float> grades;
            for (int j = 0; j <= cut.MaxValue(); ++j)
                grades.push_back(context.pipeline.model()
                                     .FrameTable[context.pipeline.model().FrameRanking[j].Frame]
                                     .Slots[p]
                                     .Quality);
            std::sort(grades.begin(), grades.end(), std::greater<>());
            EXPECT_EQ(context.pipeline.points().PointQualitySlider[p], cut.MaxValue() - 1) << p;
            EXPECT_EQ(context.pipeline.points().PointQualityCut[p], grades[cut.MaxValue() - 1]) << p;
        }
    }

    // The points' pass over the processed result asks first; Cancel keeps the result and the tabs.
    context.shell.ImageSaved = false;
    const Bitmap24 processed = context.pipeline.wavelet().ProcessPicture;
    const int tab = pieces(*form).Tabpages->currentIndex();
    messages.shown.clear();
    messages.reply(mrCancel);
    control<TRxSpeedButton>(*form, "Optimizebutton")->setEnabled(true);
    control<TRxSpeedButton>(*form, "Optimizebutton")->click();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "You have not saved.\n\rSave before optimizing ?");
    EXPECT_EQ(context.pipeline.state().progstatus, TProgStatus::psStacked);
    const Bitmap24& kept = context.pipeline.wavelet().ProcessPicture;
    EXPECT_TRUE(kept.byteCount() == processed.byteCount() &&
                std::equal(kept.bits(), kept.bits() + kept.byteCount(), processed.bits()));
    EXPECT_EQ(pieces(*form).Tabpages->currentIndex(), tab);
    EXPECT_TRUE(pieces(*form).Tabpages->isEnabled());
}

TEST_F(PointsPageTest, TheCountdownStopsAtZero) {
    context.shell.view.TimeLeft = 12000;
    for (const char* shown : {"Time left: 00:00:07", "Time left: 00:00:02", "Time left: 00:00:00"}) {
        points.Timer1Timer();
        EXPECT_EQ(control<QLabel>(*form, "Multialigntimer")->text(), shown);
    }
    EXPECT_EQ(context.shell.view.TimeLeft, 0);
}

}  // namespace kestrave::test
