// Each controller built alone: its pages and tool windows made standalone, a pipeline, the shell's
// ports and entry points that only record their calls — no main window. One handler of each is
// driven end to end and its effect checked against what the user must see or the run must reach.
// Widgets are found by their object names.

#include <QLabel>
#include <QMainWindow>
#include <QProgressBar>
#include <QPushButton>
#include <QStackedWidget>
#include <QTest>
#include <QToolButton>

#include "enhance/curve_editing.h"
#include "frames/calibration_frames.h"
#include "frames/image_data_section.h"
#include "persist/reg_settings.h"
#include "shell/controllers/align_controller.h"
#include "shell/controllers/avi_controller.h"
#include "shell/controllers/calibration_controller.h"
#include "shell/controllers/final_controller.h"
#include "shell/controllers/image_info_controller.h"
#include "shell/controllers/input_controller.h"
#include "shell/controllers/optimize_controller.h"
#include "shell/controllers/options_controller.h"
#include "shell/controllers/project_controller.h"
#include "shell/controllers/resize_controller.h"
#include "shell/controllers/save_controller.h"
#include "shell/controllers/shell_controller.h"
#include "shell/controllers/sigma_controller.h"
#include "shell/controllers/stack_controller.h"
#include "shell/controllers/tool_window_controller.h"
#include "shell/controllers/wavelet_controller.h"
#include "shell/pages/about_page.h"
#include "shell/pages/align_page.h"
#include "shell/pages/avi_controls.h"
#include "shell/pages/directory_list_box.h"
#include "shell/pages/final_page.h"
#include "shell/pages/line_chart.h"
#include "shell/pages/named_control.h"
#include "shell/pages/optimize_page.h"
#include "shell/pages/stack_page.h"
#include "shell/pages/wavelet_page.h"
#include "shell/speed_bar.h"
#include "shell/tab_strip.h"
#include "shell_test_support.h"
#include "support/recording_entry_points.h"
#include "support/sample_recording.h"
#include "widgets/check_box.h"
#include "widgets/form_storage.h"
#include "widgets/radio_group.h"
#include "widgets/slider.h"
#include "widgets/spin_edit.h"

namespace kestrave::test {

namespace {

// The window's pieces as the main window makes them, but standalone: every page, tool window and
// status-bar part a controller can be given, around a pipeline and the shell's ports whose
// messages and file dialogs the test scripts.
struct ControllerAloneTest : ::testing::Test {
    ControllerAloneTest() {
        auto scriptedDialogs = std::make_unique<ScriptedFileDialogs>();
        dialogs = scriptedDialogs.get();
        scripted.context.setDialogs(std::move(scriptedDialogs));
        ports.regSettings = std::make_unique<RegSettings>();
        for (const auto& [caption, page] :
             std::initializer_list<std::pair<const char*, QWidget*>>{{"Align", &alignPage},
                                                                     {"Optimize", &optimizePage},
                                                                     {"Stack", &stackPage},
                                                                     {"Wavelet", &waveletPage},
                                                                     {"Final", &finalPage},
                                                                     {"About", &aboutPage}}) {
            tabs.addTab(QString::fromUtf8(caption));
            pages.addWidget(page);
        }
        control<TDirectoryListBox>(alignPage, "DirectoryListBox1")->setDirectory(folder.path());
        // What a controller asks of another area through that area's page is recorded by the
        // handler it reaches, as the window's entry points and stages are.
        const auto record = [this](const char* handler) {
            return [this, handler] { entries.calls.push_back(handler); };
        };
        QObject::connect(&waveletPage, &WaveletPage::colourChoiceFollowed, record("mirrorColourprocess2"));
    }
    // A rendered picture of W x H in the run, as the wavelet page leaves it: 8-bit (blue, green, red)
    // = (x, y, 50) and its 16-bit result, each level times 255.
    void render(int width, int height) {
        RunState& run = editRun(pipeline);
        run.wavelet.ProcessPicture.resize(width, height);
        run.images.ResultImage16 = TTIFFBitMap(width + 1, height + 1);
        run.images.ResultImage16.allocateHighBits();
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                std::uint8_t* p = run.wavelet.ProcessPicture.pixel(x, y);
                p[0] = static_cast<std::uint8_t>(x), p[1] = static_cast<std::uint8_t>(y), p[2] = 50;
                std::uint16_t* s = run.images.ResultImage16.HighBitRow(y) + 3 * x;
                s[0] = static_cast<std::uint16_t>(50 * 255), s[1] = static_cast<std::uint16_t>(y * 255),
                s[2] = static_cast<std::uint16_t>(x * 255);
            }
        run.model.ImageWidth = width;
        run.model.ImageHeight = height;
        run.stack.Colourstack = true;
    }
    bool told(const std::string& caption, const std::string& text) const {
        for (const Message& message : messages.shown)
            if (message.caption == caption && message.text == text) return true;
        return false;
    }

    TempDir folder;
    ScriptedContext scripted;
    Pipeline& pipeline = scripted.context.pipeline;
    ShellPorts& ports = scripted.context.ports;
    ScriptedPresenter& messages = *scripted.messages;
    ScriptedFileDialogs* dialogs = nullptr;
    RecordingEntryPoints entries;
    RecordingReplaySteps replaySteps;

    QApplication& application = app();
    QMainWindow window;
    ToolWindows tools{&window};
    WaveletToolPanels waveletTools{tools};
    HistogramWindows histogramWindows{tools};
    FrameWindows frameWindows{tools, &window};
    ImageInfoWindow imageInfoWindow{tools};
    RegistrationWindows registrationWindows{tools, *control<TChart>(window, "Chart8")};
    OptimizerWindows optimizerWindows{tools, *control<TChart>(window, "Chart8")};
    PointWindows pointWindows{tools, &window};
    SigmaEventsWindow sigmaEventsWindow{tools};
    ShrinkView shrinkView{*control<ToolWindow>(window, "Shrinkview")};
    WindowDialogs windowDialogs;
    QStackedWidget& pages = *new QStackedWidget(&window);
    TabStrip& tabs = *new TabStrip(&window);
    AlignPage& alignPage = *new AlignPage(&pages);
    OptimizePage& optimizePage = *new OptimizePage(&pages);
    StackPage& stackPage = *new StackPage(&pages);
    WaveletPage& waveletPage = *new WaveletPage(&pages);
    FinalPage& finalPage = *new FinalPage(&pages, *control<ToolWindow>(window, "HLSwindow"));
    AboutPage& aboutPage = *new AboutPage(&pages);
    SpeedBar& speedBar = *new SpeedBar(&window);
    QProgressBar& progressBar = *new QProgressBar(&window);
    QLabel& positionPanel = *new QLabel(&window);
    TFormStorage& formSettings = *new TFormStorage(&window);
};

// --- The window's own areas ----------------------------------------------------------------------

TEST_F(ControllerAloneTest, ShellRefusesATabTheRunHasNotReached) {
    ShellController shell(ShellControllerParts{
        pipeline, ports, window, tabs, pages, speedBar, tools, alignPage, optimizePage, stackPage,
        waveletPage,
        DeveloperControls{alignPage, waveletPage, aboutPage, *control<ToolWindow>(window, "Tonemapwindow"),
                          *control<QWidget>(window, "Tonegraph")},
        entries, entries});
    shell.selectTab(static_cast<int>(TMainTab::tabStack));
    EXPECT_TRUE(told("Illegal Tabpage", "Stacking page not available at this stage"));
    EXPECT_EQ(tabs.currentIndex(), 0);
    EXPECT_EQ(pages.currentIndex(), 0);
}

TEST_F(ControllerAloneTest, ToolWindowButtonsOpenAndCloseTheirWindows) {
    ToolWindowController toolWindows(
        ToolWindowControllerParts{tools, window, stackPage, waveletPage, finalPage, entries});
    auto& button = *control<QAbstractButton>(waveletPage, "Gammaspeedbutton");
    ToolWindow& view = *control<ToolWindow>(window, "Gammawindow");
    button.click();
    EXPECT_TRUE(view.isVisible());
    button.click();
    EXPECT_FALSE(view.isVisible());
    EXPECT_EQ(entries.calls, (std::vector<std::string>{"Layer1sliderChanged", "Layer1sliderChanged"}));
}

TEST_F(ControllerAloneTest, ImageInfoItemOpensTheWindowAndKeepsTheTagFromThenOn) {
    ImageInfoController imageInfo(ImageInfoControllerParts{
        ports.shell, imageInfoWindow, *control<ToolWindow>(window, "Imageinfowindow"),
        *control<QToolButton>(speedBar, "ImageInfobutton"), waveletPage, pipeline, *waveletTools.gamma,
        windowDialogs});
    control<QToolButton>(speedBar, "ImageInfobutton")->click();
    EXPECT_TRUE(control<ToolWindow>(window, "Imageinfowindow")->isVisible());
    EXPECT_TRUE(ports.shell.ImageInfoOn);
}

// --- The input and the alignment -------------------------------------------------------------------

TEST_F(ControllerAloneTest, InputTakesASerRecordingAndOffersEveryFrame) {
    InputController input(InputControllerParts{
        pipeline, ports, alignPage, waveletPage, waveletTools, frameWindows, registrationWindows, tools,
        imageInfoWindow, windowDialogs, *control<QToolButton>(speedBar, "Selectbutton"),
        *control<QToolButton>(speedBar, "ClipboardFront"), progressBar, pages, window, entries, entries});
    const SampleRecording sample = writeSampleRecording(folder.path());
    input.openInputFile(sample.path.string(), InputFilter::SER);
    const int frames = static_cast<int>(sample.truth.truth.size());
    EXPECT_EQ(control<TRxSlider>(alignPage, "PreviewSlider")->MaxValue(), frames - 1);
    EXPECT_EQ(pipeline.model().usedframes, frames);
    EXPECT_EQ(pipeline.state().ProcessStage, TProcessStage::stInputLoaded);
    EXPECT_EQ(pipeline.images().AllocWidth, sample.truth.options.width);
}

TEST_F(ControllerAloneTest, AlignColourIsStoredAndAllowsLrgb) {
    AlignController align(AlignControllerParts{
        pipeline, ports, alignPage, optimizePage, stackPage, frameWindows, registrationWindows, pointWindows,
        tools, windowDialogs, positionPanel, tabs, progressBar, entries, entries});
    // The wavelet page hears the run's colour choice through its own controller.
    WaveletController wavelet(WaveletControllerParts{pipeline, ports, waveletPage, waveletTools,
                                                     histogramWindows, tools, stackPage, alignPage, pages,
                                                     tabs, progressBar, entries});
    auto& lrgb = *control<TPCheck>(alignPage, "LRGB");
    for (const bool colour : {true, false}) {
        lrgb.setChecked(true);
        QTest::mouseClick(&*control<TPCheck>(alignPage, "Colourstack"), Qt::LeftButton);
        EXPECT_EQ(ports.regSettings->ReadBool(kRegSettingsSection, "usecolour", !colour), colour);
        EXPECT_EQ(lrgb.isEnabled(), colour);
        EXPECT_EQ(lrgb.Checked(), colour);
    }
    // The wavelet page's colour processing follows through the window.
    EXPECT_EQ(entries.calls, (std::vector<std::string>{"mirrorColourprocess2", "mirrorColourprocess2"}));
}

TEST_F(ControllerAloneTest, OptimizeKeepsTheReferenceFramesWithinTheRankedFrames) {
    OptimizeController optimize(OptimizeControllerParts{
        pipeline, ports, optimizePage, alignPage, stackPage, waveletPage, frameWindows, pointWindows,
        registrationWindows, optimizerWindows, tools, tabs, progressBar, entries, entries, entries});
    pipeline.commitFrameLimit({.ranks = 12});
    auto& refframes = *control<TRxSpinEdit>(optimizePage, "Refframes");
    refframes.setValue(40);
    EXPECT_EQ(refframes.Value(), 12);
    refframes.setValue(7);
    EXPECT_EQ(refframes.Value(), 7);
}

// --- Stacking --------------------------------------------------------------------------------------

TEST_F(ControllerAloneTest, StackResamplingExcludesDrizzlingAndSetsTheFactor) {
    StackController stack(StackControllerParts{pipeline, ports, window, stackPage, alignPage, optimizePage,
                                               waveletPage, frameWindows, registrationWindows, pointWindows,
                                               tools, tabs, progressBar, entries, entries});
    auto& drizzling = *control<TPCheck>(stackPage, "Drizzling");
    drizzling.setChecked(true);
    control<TRxSpinEdit>(stackPage, "ResampleSpin")->setValue(1.5);
    QTest::mouseClick(&*control<TPCheck>(stackPage, "Resampled"), Qt::LeftButton);
    EXPECT_FALSE(drizzling.Checked());
    EXPECT_EQ(pipeline.state().ResampleFactor, 1.5f);
}

TEST_F(ControllerAloneTest, SigmaStackDeclinedWithResamplingChangesNothing) {
    // The Stack page's controller runs the sigma stack's runs (the same area).
    StackController stack(StackControllerParts{pipeline, ports, window, stackPage, alignPage, optimizePage,
                                               waveletPage, frameWindows, registrationWindows, pointWindows,
                                               tools, tabs, progressBar, entries, entries});
    SigmaController sigma(
        SigmaControllerParts{pipeline, ports, stackPage, frameWindows, sigmaEventsWindow, tools, stack});
    auto& resampled = *control<TPCheck>(stackPage, "Resampled");
    resampled.setChecked(true);
    messages.reply(mrNo);
    sigma.StatisticalstackbuttonClick();
    EXPECT_TRUE(told("Not available option",
                     " Drizzling/Resampling is not available during sigma-clipping, continue ?"));
    EXPECT_TRUE(resampled.Checked());
    EXPECT_TRUE(entries.calls.empty());
}

// --- Calibration, options, saving and the rest -------------------------------------------------------

TEST_F(ControllerAloneTest, CalibrationLoadsABitmapDarkAndChecksItsBox) {
    // The Align page's controller shows the switches the run's calibration frames change.
    AlignController align(AlignControllerParts{
        pipeline, ports, alignPage, optimizePage, stackPage, frameWindows, registrationWindows, pointWindows,
        tools, windowDialogs, positionPanel, tabs, progressBar, entries, entries});
    CalibrationController calibration(
        CalibrationControllerParts{pipeline, ports, window, *control<QToolButton>(speedBar, "Flatdarkbutton"),
                                   windowDialogs.OpenDialog, stackPage, frameWindows, entries, entries});
    ASSERT_TRUE(pipeline.createImagePlanes(DefaultProcessAreaItem, ports.progress(), ports.messages()));
    QImage picture(6, 4, QImage::Format_RGB888);
    picture.fill(Qt::black);
    picture.setPixel(1, 2, qRgb(3, 4, 5));
    ASSERT_TRUE(picture.save(QString::fromStdString((folder / "dark.bmp").string()), "BMP"));
    dialogs->willChoose(folder / "dark.bmp", BitmapCalibration);
    calibration.LoadDarkframeClick();
    // Each channel of a bitmap dark counts 128 times.
    const PlaneTriple& dark = pipeline.images().DarkPlanes;
    EXPECT_EQ((std::array{dark[0][1][2], dark[1][1][2], dark[2][1][2]}),
              (std::array{384.0f, 512.0f, 640.0f}));
    EXPECT_TRUE(control<TPCheck>(alignPage, "Usedarkframe")->Checked());
    EXPECT_EQ(pipeline.model().DarkFileName, (folder / "dark.bmp").string());
}

TEST_F(ControllerAloneTest, ProjectIsNotSavedBeforeTheFramesAreAligned) {
    ProjectController project(ProjectControllerParts{
        pipeline, ports, speedBar, pages, alignPage, stackPage, waveletPage, frameWindows, tools,
        formSettings, windowDialogs, entries, entries, replaySteps, aboutPage});
    project.SaveProjectClick();
    EXPECT_TRUE(told("Save error", "Project can only be saved after initial alignment"));
    EXPECT_EQ(dialogs->shown, 0);
}

// --- Processing, the final picture and what is saved ------------------------------------------------

TEST_F(ControllerAloneTest, WaveletProcessOfAFlatStackShowsItFlat) {
    WaveletController wavelet(WaveletControllerParts{pipeline, ports, waveletPage, waveletTools,
                                                     histogramWindows, tools, stackPage, alignPage, pages,
                                                     tabs, progressBar, entries});
    constexpr int W = 40, H = 30;
    ImageDataSection& images = editRun(pipeline).images;
    ASSERT_TRUE(pipeline.createImagePlanes(DefaultProcessAreaItem, ports.progress(), ports.messages()));
    ASSERT_TRUE(SetupImageDataSection(images, W, H, ports.progress(), ports.messages()));
    editRun(pipeline).model.FrameWidth = editRun(pipeline).model.ImageWidth = W;
    editRun(pipeline).model.FrameHeight = editRun(pipeline).model.ImageHeight = H;
    for (int x = 0; x < W; ++x)
        for (int y = 0; y < H; ++y) images.StackPlanes[1][x][y] = 100.0f;
    editRun(pipeline).state.LayersDirty = true;
    editRun(pipeline).state.activepage = TMainTab::tabWavelet;
    control<QAbstractButton>(waveletPage, "Processbutton")->click();
    EXPECT_FALSE(pipeline.state().LayersDirty);
    const Bitmap24& shown = pipeline.wavelet().ProcessPicture;
    ASSERT_EQ(shown.width(), W);
    ASSERT_EQ(shown.height(), H);
    for (const QPoint at : {QPoint(0, 0), QPoint(W / 2, H / 2), QPoint(W - 1, H - 1)})
        EXPECT_EQ(shown.pixel(at.x(), at.y())[1], 100) << at.x() << "," << at.y();
    EXPECT_EQ(control<QLabel>(waveletPage, "ProcessImage")->pixmap().size(), QSize(W, H));
}

TEST_F(ControllerAloneTest, FinalFlipXMirrorsTheRenderedPicture) {
    FinalController finalImage(FinalControllerParts{finalPage, *control<ToolWindow>(window, "HLSwindow"),
                                                    pipeline, ports, windowDialogs, tabs});
    constexpr int W = 20, H = 10;
    render(W, H);
    createCurveObjects(editRun(pipeline).curves, false);
    finalImage.UpdateFinalBitmap();
    const Bitmap24 unflipped = pipeline.finalImage().shown;
    QTest::mouseClick(&*control<TPCheck>(finalPage, "FlipX"), Qt::LeftButton);
    const Bitmap24& shown = pipeline.finalImage().shown;
    ASSERT_EQ(unflipped.width(), W);
    ASSERT_EQ(shown.width(), W);
    for (const QPoint at : {QPoint(0, 0), QPoint(3, 7), QPoint(W - 1, H - 1)}) {
        const std::uint8_t* p = shown.pixel(at.x(), at.y());
        const std::uint8_t* mirrored = unflipped.pixel(W - 1 - at.x(), at.y());
        EXPECT_EQ((std::array{p[0], p[1], p[2]}), (std::array{mirrored[0], mirrored[1], mirrored[2]}));
    }
    EXPECT_NE(shown.pixel(0, 0)[0], unflipped.pixel(0, 0)[0]);
}

TEST_F(ControllerAloneTest, SaveOffersDoAllThenWritesTheRenderedPicture) {
    SaveController save(SaveControllerParts{pipeline, ports, stackPage, waveletPage, imageInfoWindow,
                                            windowDialogs, entries});
    render(20, 10);
    messages.reply(mrNo);
    dialogs->willChoose(folder / "result.bmp", 1);
    save.SaveBMP2buttonClick();
    EXPECT_TRUE(
        told("Image not fully processed", "You have NOT used the DO ALL function, perform this now ?"));
    EXPECT_FALSE(entries.called("DoAllClick"));
    const QImage written(QString::fromStdString((folder / "result.bmp").string()));
    ASSERT_EQ(written.size(), QSize(20, 10));
    EXPECT_EQ(written.pixel(7, 3), qRgb(50, 3, 7));
    EXPECT_TRUE(ports.shell.ImageSaved);
}

TEST_F(ControllerAloneTest, ResizeViewShowsTheProcessedPictureAtHalfSize) {
    ResizeController resize(ResizeControllerParts{pipeline, ports, *control<ToolWindow>(window, "Shrinkview"),
                                                  shrinkView, waveletPage, finalPage, stackPage,
                                                  windowDialogs.SaveDialog4, pages});
    render(300, 200);
    pages.setCurrentWidget(&waveletPage);
    control<QToolButton>(waveletPage, "Resizebutton")->click();
    EXPECT_TRUE(control<ToolWindow>(window, "Shrinkview")->isVisible());
    EXPECT_EQ(control<QLabel>(window, "Imagesize")->text(), "Imagesize: 150x100");
    EXPECT_EQ(control<QLabel>(window, "ShrinkImage")->pixmap().size(), QSize(150, 100));
}

TEST_F(ControllerAloneTest, OptionsHaltWindowFollowsItsBox) {
    // The break window's switch is the Align page's own option.
    AlignController align(AlignControllerParts{
        pipeline, ports, alignPage, optimizePage, stackPage, frameWindows, registrationWindows, pointWindows,
        tools, windowDialogs, positionPanel, tabs, progressBar, entries, entries});
    auto& box = *control<TPCheck>(alignPage, "Haltwindow");
    ToolWindow& halt = *control<ToolWindow>(window, "Registerhaltwindow");
    for (const bool shown : {true, false}) {
        QTest::mouseClick(&box, Qt::LeftButton);
        EXPECT_EQ(halt.isVisible(), shown);
    }
}

TEST_F(ControllerAloneTest, AviDialogCancelledWritesNothingAndEndsTheOperation) {
    // The Stack page's controller gives the integrated video its stack options (the same area).
    StackController stack(StackControllerParts{pipeline, ports, window, stackPage, alignPage, optimizePage,
                                               waveletPage, frameWindows, registrationWindows, pointWindows,
                                               tools, tabs, progressBar, entries, entries});
    AviController avi(AviControllerParts{pipeline, ports, *control<AviControls>(stackPage, "AviControls"),
                                         alignPage, windowDialogs.SaveDialog6, progressBar, stack});
    for (const int shown : {1, 2}) {
        avi.RegisterAVIClick();
        EXPECT_EQ(dialogs->shown, shown);
    }
    EXPECT_EQ(dialogs->lastShown.Filter, "AVI|*.avi");
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_FALSE(ports.operations.running());
}

}  // namespace

}  // namespace kestrave::test
