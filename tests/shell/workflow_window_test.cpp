// The work in the window as a user does it, by mouse clicks on the visible controls only: the
// input chosen in its dialog, the feature clicked on the preview, Align, Limit, Optimize & Stack,
// Do All and Save, the area processed again and the Final page's picture and file alike the
// Wavelet page's; and the second road: alignment points placed by clicks, the limit typed as a
// percentage, a sigma stack and back to one box. Also what the window says when a pass ends,
// where the tool windows open, Cancel with nothing running, and the input dialog remembering its
// folder and kind from one start to the next.

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QComboBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QStackedWidget>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <fstream>
#include <iterator>
#include <sstream>

#include "frames/bmp_reader.h"
#include "frames/png_io.h"
#include "platform/safe_file.h"
#include "shell/controllers/calibration_controller.h"
#include "shell/controllers/shell_controller.h"
#include "shell/language_handlers.h"
#include "shell/pages/align_page.h"
#include "shell/pages/final_page.h"
#include "shell/pages/language_box.h"
#include "shell/pages/line_chart.h"
#include "shell/pages/named_control.h"
#include "shell/pages/optimize_page.h"
#include "shell/pages/point_windows.h"
#include "shell/pages/stack_page.h"
#include "shell/pages/wavelet_page.h"
#include "shell/speed_bar.h"
#include "shell/startup.h"
#include "shell/tab_strip.h"
#include "shell/tool_windows.h"
#include "shell/unsaved_result.h"
#include "shell_test_support.h"
#include "support/page_test_access.h"
#include "support/sample_recording.h"
#include "widgets/check_box.h"
#include "widgets/event_scroll_box.h"
#include "widgets/radio_group.h"
#include "widgets/slider.h"
#include "widgets/spin_edit.h"

namespace kestrave::test {

namespace {

constexpr int SerKind = 7;  // the input dialog's filter "Movra recorder SER (*.ser)"
constexpr int PngKind = 5;  // the wavelet save dialog's filter "PNG (16BIT*RGB)"

void click(QWidget* control) {
    ASSERT_TRUE(control->isVisible()) << control->objectName().toStdString();
    ASSERT_TRUE(control->isEnabled()) << control->objectName().toStdString();
    QTest::mouseClick(control, Qt::LeftButton);
}

void clickTab(TabStrip& tabs, int tab) {
    QTest::mouseClick(&tabs, Qt::LeftButton, Qt::NoModifier, tabs.tabRect(tab).center());
}

// What a user would find broken in the laid-out window on the page shown: a visible control
// outside the window, cut off by its parent or squeezed to nothing, two visible controls on the
// same spot, and the picture (when the page has one) covering less than half of the window.
// Markers that point at a control, and the picture's own content (which scrolls), are not
// controls of their own.
std::vector<std::string> layoutFaults(TMainForm& form, QWidget* picture) {
    static const QStringList markers{"Showbutton", "Showbuttonp1", "Showbuttonp2", "Showbuttonp3",
                                     "RectShape1", "Showpanel",    "BoxOutline",   "DroppedFrameText"};
    const auto counts = [&](const QWidget* widget) {
        return widget->isVisible() && !widget->size().isEmpty() && !markers.contains(widget->objectName());
    };
    std::vector<std::string> faults;
    const QString page = pieces(form).PageControl1->currentWidget()->objectName();
    const auto name = [&](const QWidget* widget) {
        return (page + ": " + widget->metaObject()->className() + " '" + widget->objectName() + "'")
            .toStdString();
    };
    const QRect window = form.rect();
    for (QWidget* widget : form.centralWidget()->findChildren<QWidget*>()) {
        if (widget->isVisible() && widget->size().isEmpty() && !widget->sizeHint().isEmpty() &&
            !markers.contains(widget->objectName()))
            faults.push_back(name(widget) + " is squeezed to nothing");
        if (!counts(widget) || widget->window() != &form) continue;
        if (const auto* inBox = qobject_cast<QScrollArea*>(widget->parentWidget()->parentWidget());
            inBox && widget->parentWidget() == inBox->viewport())
            continue;
        const QRect at(widget->mapTo(&form, QPoint(0, 0)), widget->size());
        if (!window.contains(at))
            faults.push_back(name(widget) + " lies outside the window");
        else if (!widget->parentWidget()->rect().contains(widget->geometry()))
            faults.push_back(name(widget) + " is cut off by " + name(widget->parentWidget()));
        const QList<QWidget*> siblings = widget->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
        for (qsizetype i = 0; i < siblings.size(); ++i)
            for (qsizetype j = i + 1; j < siblings.size(); ++j)
                if (counts(siblings[i]) && counts(siblings[j]) && !siblings[i]->isWindow() &&
                    !siblings[j]->isWindow() && siblings[i]->geometry().intersects(siblings[j]->geometry()))
                    faults.push_back(name(siblings[i]) + " overlaps " + name(siblings[j]));
    }
    if (picture && 2 * picture->width() * picture->height() < window.width() * window.height())
        faults.push_back(name(picture) + " covers less than half of the window " +
                         std::to_string(picture->width()) + "x" + std::to_string(picture->height()));
    return faults;
}

// Tool windows open over the picture or over the page's action buttons (those in the group of
// action buttons, and any button outside the option area).
std::vector<std::string> toolWindowFaults(TMainForm& form, QWidget* picture) {
    QWidget* page = pieces(form).PageControl1->currentWidget();
    std::vector<std::pair<std::string, QRect>> kept;
    const auto global = [](const QWidget* widget) {
        return QRect(widget->mapToGlobal(QPoint(0, 0)), widget->size());
    };
    if (picture) kept.emplace_back("the picture", global(picture));
    const auto inside = [](const QWidget* widget, const char* property) {
        for (const QWidget* up = widget; up; up = up->parentWidget())
            if (up->property(property).toBool()) return true;
        return false;
    };
    for (const QPushButton* button : page->findChildren<QPushButton*>()) {
        if (!button->isVisible() ||
            (inside(button, ToolAreaProperty) && !inside(button, ActionButtonsProperty)))
            continue;
        kept.emplace_back("the button '" + button->objectName().toStdString() + "'", global(button));
    }
    std::vector<std::string> faults;
    for (const ToolWindow* tool : form.findChildren<ToolWindow*>()) {
        if (!tool->isVisible()) continue;
        for (const auto& [what, rect] : kept)
            if (tool->frameGeometry().intersects(rect))
                faults.push_back(page->objectName().toStdString() + ": '" + tool->objectName().toStdString() +
                                 "' covers " + what);
    }
    return faults;
}

bool refusedATab(const std::vector<Message>& shown) {
    return std::any_of(shown.begin(), shown.end(),
                       [](const Message& message) { return message.caption.starts_with("Illegal"); });
}

// A started window (the start-up has run, as in the program) with scripted file dialogs, shown at
// its default size.
struct WorkflowWindowTest : ShellWindowTest {
    TempDir dir;
    ScriptedFileDialogs* dialogs = nullptr;
    AlignPage& align = *pieces(*form).alignPage;
    SampleRecording recording;

    WorkflowWindowTest() {
        auto scripted = std::make_unique<ScriptedFileDialogs>();
        dialogs = scripted.get();
        context.setDialogs(std::move(scripted));
        form->FormCreate({{}, false});
        form->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(form.get()));
        synth::SynthOptions options = smallRecordingOptions();
        options.width = 160;
        options.height = 120;
        options.frames = 20;
        recording = writeSampleRecording(dir.path(), options, "jupiter.ser");
    }

    // Select, the recording in the dialog, the 64 box and a click on the planet; frames whose
    // lock is lost are left out without a question (which would wait for a click).
    void openAndPick() {
        click(control<TPCheck>(align, "Ignoredefault"));
        dialogs->willChoose(recording.path, SerKind);
        click(pieces(*form).Speedbar->Selectbutton);
        ASSERT_EQ(context.pipeline.state().ProcessStage, TProcessStage::stInputLoaded);
        click(control<TRadioGroup>(align, "FFTsizeGroup")->button(1));
        const QSize picture = control<QLabel>(align, "PreviewImage")->pixmap().size();
        ASSERT_EQ(picture, QSize(160, 120));
        // The preview is shown at full size: a picture pixel is a pixel of the control.
        QTest::mouseClick(control<QLabel>(align, "PreviewImage"), Qt::LeftButton, Qt::NoModifier,
                          QPoint(80, 60));
        ASSERT_EQ(context.pipeline.state().ProcessStage, TProcessStage::stReferenceReady);
    }

    std::string panel(int i) const {
        return pieces(*form).StatusPanels[static_cast<std::size_t>(i)]->text().toStdString();
    }

    QWidget* pictureOfPage() const {
        const std::array<QWidget*, 5> pictures{
            control<QScrollArea>(align, "ScrollBox1"), control<QScrollArea>(*form, "EventScrollBox2"),
            control<QScrollArea>(*form, "ScrollBox2"), control<QScrollArea>(*form, "Scrollbox3"),
            control<TEventScrollBox>(*form, "EventScrollBox1")};
        const int page = pieces(*form).PageControl1->currentIndex();
        return page < 5 ? pictures[static_cast<std::size_t>(page)] : nullptr;
    }

    // The least width the window asks for before the work starts; set where the window was made
    // to fill a screen of its size.
    int startWidth = 0;
    bool fillsItsScreen = false;

    // No text that the work writes widens the window (nor, on a screen of its size, past that
    // screen); the tool windows it opens leave the picture and the buttons in sight.
    void expectToolWindowsClear(const char* when) {
        QApplication::processEvents();
        EXPECT_LE(form->minimumSizeHint().width(), startWidth) << when;
        const QRect screen = form->screen()->availableGeometry();
        if (fillsItsScreen) {
            EXPECT_LE(form->width(), screen.width()) << when;
            EXPECT_TRUE(screen.contains(form->frameGeometry()))
                << when << ": the window at " << form->frameGeometry().x() << "," << form->frameGeometry().y()
                << " " << form->frameGeometry().width() << "x" << form->frameGeometry().height();
        }
        // Tool windows stay on the screen: beside a window larger than the screen they would lie
        // over its picture. The check runs where the screen holds the window.
        if (!screen.contains(form->frameGeometry())) return;
        for (const std::string& fault : toolWindowFaults(*form, pictureOfPage()))
            ADD_FAILURE() << when << " at " << form->width() << "x" << form->height() << ": " << fault;
    }

    // The pass ended finished: the bar empty and none of its texts in the status.
    void expectPassEnd(int panelIndex) {
        EXPECT_EQ(panel(panelIndex), "");
        EXPECT_LT(pieces(*form).ProgressBar1->value(), pieces(*form).ProgressBar1->minimum());
    }

    // A stacked pixel is never exactly 0 on this recording (its sky is not black); the rim that
    // the frames' shifts leave uncovered aside.
    void expectNoZeroInStack(const char* which) {
        constexpr int Rim = 8;
        const T2dArrays& plane = context.pipeline.images().StackPlanes[1];
        const int width = std::min(plane.xCount(), context.pipeline.model().ImageWidth);
        const int height = std::min(plane.yCount(), context.pipeline.model().ImageHeight);
        ASSERT_GT(width, 2 * Rim) << which;
        int zeros = 0;
        for (int x = Rim; x < width - Rim; ++x)
            for (int y = Rim; y < height - Rim; ++y) zeros += plane[x][y] == 0.0f;
        EXPECT_EQ(zeros, 0) << which << ": pixels of the stack left at 0";
    }

    // Every page at both window sizes, as the work has left the controls.
    void expectEveryPageLaidOut() {
        const std::array<QWidget*, 6> pictures{control<QScrollArea>(align, "ScrollBox1"),
                                               control<QScrollArea>(*form, "EventScrollBox2"),
                                               control<QScrollArea>(*form, "ScrollBox2"),
                                               control<QScrollArea>(*form, "Scrollbox3"),
                                               control<TEventScrollBox>(*form, "EventScrollBox1"),
                                               nullptr};
        const int shown = pieces(*form).PageControl1->currentIndex();
        for (const QSize size : {QSize(1024, 768), QSize(1600, 1000)}) {
            form->resize(size);
            EXPECT_EQ(form->size(), size) << "the window's controls want more room than the screen has";
            for (int page = 0; page < pieces(*form).PageControl1->count(); ++page) {
                pieces(*form).PageControl1->setCurrentIndex(page);
                // Every tab of the page's option groups in turn.
                for (QTabWidget* options :
                     pieces(*form).PageControl1->currentWidget()->findChildren<QTabWidget*>()) {
                    const int chosen = options->currentIndex();
                    for (int tab = 0; tab < options->count(); ++tab) {
                        options->setCurrentIndex(tab);
                        QApplication::processEvents();
                        for (const std::string& fault :
                             layoutFaults(*form, pictures[static_cast<std::size_t>(page)]))
                            ADD_FAILURE() << size.width() << "x" << size.height() << " "
                                          << options->tabText(tab).trimmed().toStdString() << ": " << fault;
                    }
                    options->setCurrentIndex(chosen);
                }
                QApplication::processEvents();
                for (const std::string& fault : layoutFaults(*form, pictures[static_cast<std::size_t>(page)]))
                    ADD_FAILURE() << size.width() << "x" << size.height() << " " << fault;
            }
        }
        form->resize(1024, 768);
        pieces(*form).PageControl1->setCurrentIndex(shown);
    }
};

}  // namespace

TEST_F(WorkflowWindowTest, AUserStacksARecordingFromTheWindowAlone) {
    EXPECT_FALSE(control<TRxSpeedButton>(align, "Alignbutton")->isEnabled())
        << "nothing to align before an input";
    openAndPick();
    click(control<TRxSpeedButton>(align, "Alignbutton"));
    ASSERT_EQ(context.pipeline.state().progstatus, TProgStatus::psAligned);

    // The frame limit is where the user is when the pass ends; it opens the Optimize page.
    click(control<TRxSpeedButton>(align, "Setlimitbutton"));
    clickTab(*pieces(*form).Tabpages, 1);
    ASSERT_EQ(pieces(*form).PageControl1->currentWidget(), static_cast<QWidget*>(pieces(*form).optimizePage));
    click(control<TRxSpeedButton>(*form, "Optimizeandstackbutton"));
    ASSERT_EQ(context.pipeline.state().progstatus, TProgStatus::psStacked);

    clickTab(*pieces(*form).Tabpages, 3);
    WaveletPage& wavelet = *pieces(*form).waveletPage;
    ASSERT_EQ(pieces(*form).PageControl1->currentWidget(), static_cast<QWidget*>(&wavelet));
    // A processing area narrower than the picture, and a coarse layer raised for the whole image.
    const auto optionTab = [&](const char* name) {
        QTabWidget& tabs = *control<QTabWidget>(wavelet, "glPageControl4");
        const int tab = tabs.indexOf(control<QWidget>(wavelet, name));
        QTest::mouseClick(tabs.tabBar(), Qt::LeftButton, Qt::NoModifier,
                          tabs.tabBar()->tabRect(tab).center());
    };
    optionTab("TabProcessArea");
    click(control<QComboBox>(wavelet, "Processarea"));
    for (int i = 0; i < 2; ++i)
        QTest::keyClick(control<QComboBox>(wavelet, "Processarea")->view(), Qt::Key_Down);
    QTest::keyClick(control<QComboBox>(wavelet, "Processarea")->view(), Qt::Key_Return);
    const ImageDataSection& section = context.pipeline.images();
    const int areaEnd = section.ProcessAreaX + section.ProcessAreaWidth;
    ASSERT_EQ(section.ProcessAreaWidth, 128);
    ASSERT_LT(areaEnd, 150) << "a strip of the picture lies right of the area";
    const auto slide = [&](const char* name, int value) {
        TRxSlider& slider = *control<TRxSlider>(wavelet, name);
        slider.setValue(value);
        emit slider.OnChanged(&slider);
    };
    slide("Layer3slider", 443);
    click(control<TRxSpeedButton>(wavelet, "DoAll"));
    EXPECT_TRUE(context.pipeline.state().DoAllDone);

    const std::filesystem::path result = dir / "jupiter-result.png";
    dialogs->willChoose(result, PngKind);
    click(control<TRxSpeedButton>(wavelet, "savebmp2button"));
    std::ifstream written(result, std::ios::binary);
    char signature[8] = {};
    written.read(signature, sizeof signature);
    EXPECT_EQ(std::string(signature + 1, 3), "PNG");
    EXPECT_TRUE(context.shell.ImageSaved);
    EXPECT_FALSE(refusedATab(messages.shown));

    // Reset and finer layers, processed over the area alone: right of it the Wavelet page shows
    // the stack again, and so do the Final page and the file it saves (no trace of Do All's layer).
    // Reset's new steps are new values like any other: their handlers say so.
    optionTab("TabWaveletLayers");
    control<TRxSpinEdit>(wavelet, "Multiplicant")->setValue(3);
    messages.shown.clear();
    click(control<TRxSpeedButton>(wavelet, "Resetbutton"));
    ASSERT_FALSE(messages.shown.empty());
    EXPECT_EQ(messages.shown[0].caption, "Wavelet setup changed");
    slide("Layer1slider", 88);
    slide("Layer2slider", 56);
    click(control<TRxSpeedButton>(wavelet, "Processbutton"));
    const QImage shown = control<QLabel>(wavelet, "ProcessImage")->pixmap().toImage();
    clickTab(*pieces(*form).Tabpages, 4);
    FinalPage& final = *pieces(*form).finalPage;
    ASSERT_EQ(pieces(*form).PageControl1->currentWidget(), static_cast<QWidget*>(&final));
    const QImage finished = control<QLabel>(final, "RotateImage")->pixmap().toImage();
    dialogs->willChoose(dir / "jupiter-shown.png", PngKind);
    click(control<QPushButton>(final, "savefinalbutton"));
    const PngPicture saved = decodePng(readWholeFile(dir / "jupiter-shown.png"), "jupiter-shown.png");
    ASSERT_EQ(QSize(saved.preview.width(), saved.preview.height()), shown.size());
    ASSERT_EQ(finished.size(), shown.size());
    // The Final page shows the 16-bit samples / 256, the file holds them: both within a grey level
    // of the Wavelet page's view.
    int finalDiffers = 0, fileDiffers = 0;
    const auto compare = [&](int x, int y) {
        const int grey = qGreen(shown.pixel(x, y));
        finalDiffers += std::abs(qGreen(finished.pixel(x, y)) - grey) > 1;
        const std::uint16_t sample = saved.samples[3 * (static_cast<std::size_t>(y) * shown.width() + x) + 1];
        fileDiffers += std::abs(sample - 255 * grey) > 255;
    };
    for (int y = 0; y < shown.height(); ++y)
        for (int x = areaEnd; x < shown.width(); ++x) compare(x, y);
    compare(60, 60);
    EXPECT_EQ(finalDiffers, 0) << "Final page pixels unlike the Wavelet page's view";
    EXPECT_EQ(fileDiffers, 0) << "saved pixels unlike the Wavelet page's view";

    // The Final page: turned a quarter, a rectangle drawn on the picture, saved as BMP.
    click(control<QComboBox>(final, "ComboBox2"));
    QTest::keyClick(control<QComboBox>(final, "ComboBox2")->view(), Qt::Key_Down);
    QTest::keyClick(control<QComboBox>(final, "ComboBox2")->view(), Qt::Key_Return);
    ASSERT_EQ(static_cast<int>(control<TRxSpinEdit>(final, "RxSpinEdit4")->Value()), 15);
    ASSERT_EQ(control<QLabel>(final, "RotateImage")->pixmap().size(), QSize(160, 120));
    QTest::mousePress(control<QLabel>(final, "RotateImage"), Qt::LeftButton, Qt::NoModifier, QPoint(20, 10));
    QMouseEvent move(QEvent::MouseMove, QPointF(100, 70), QPointF(), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(control<QLabel>(final, "RotateImage"), &move);
    QTest::mouseRelease(control<QLabel>(final, "RotateImage"), Qt::LeftButton, Qt::NoModifier,
                        QPoint(100, 70));
    EXPECT_TRUE(control<TPCheck>(final, "Cropping")->Checked());
    dialogs->willChoose(dir / "jupiter-final.bmp", 1);
    click(control<QPushButton>(final, "savefinalbutton"));
    EXPECT_EQ(readBmpFile(dir / "jupiter-final.bmp").width(), 80);

    // A new stack is not saved yet: closing asks, and Cancel keeps the window.
    clickTab(*pieces(*form).Tabpages, 2);
    click(control<TRxSpeedButton>(*form, "Stackbutton"));
    EXPECT_FALSE(context.shell.ImageSaved);
    messages.reply(mrCancel);
    EXPECT_FALSE(form->close());
    ASSERT_FALSE(messages.shown.empty());
    EXPECT_EQ(messages.shown.back().caption, "Closing Kestrave ");
}

// Work is given up only after a question once it changed since it was saved: every change of the
// result (a layer slider, a Final-page control) marks it unsaved, a render that changes nothing
// does not, and closing, Select and a project load then ask. Another alignment pass over the
// unsaved result asks too (a cancelled pass gives the stack up); Cancel keeps the result.
TEST_F(WorkflowWindowTest, ChangedWorkIsGivenUpOnlyAfterAQuestion) {
    openAndPick();
    click(control<TRxSpeedButton>(align, "Alignbutton"));
    click(control<TRxSpeedButton>(align, "Setlimitbutton"));
    clickTab(*pieces(*form).Tabpages, 1);
    click(control<TRxSpeedButton>(*form, "Optimizeandstackbutton"));
    clickTab(*pieces(*form).Tabpages, 3);
    WaveletPage& wavelet = *pieces(*form).waveletPage;
    click(control<TRxSpeedButton>(wavelet, "DoAll"));
    ASSERT_GE(context.pipeline.state().activepage, TMainTab::tabWavelet);
    const std::filesystem::path project = dir / "jupiter.ksp";
    dialogs->willChoose(project, 1);
    click(pieces(*form).Speedbar->Projectsave);
    ASSERT_TRUE(std::filesystem::exists(project));
    const auto saveResult = [&] {
        dialogs->willChoose(dir / "jupiter-result.png", PngKind);
        click(control<TRxSpeedButton>(wavelet, "savebmp2button"));
        ASSERT_TRUE(context.shell.ImageSaved);
    };
    // Each question about unsaved work is answered Cancel.
    messages.onShow = [&](const Message& message) {
        if (message.text.starts_with("You have not saved.")) messages.reply(mrCancel);
    };
    const auto asked = [&](const std::string& caption) {
        return std::any_of(messages.shown.begin(), messages.shown.end(),
                           [&](const Message& message) { return message.caption == caption; });
    };
    struct Road {
        const char* name;
        const char* caption;
        std::function<void()> giveUp;
    };
    const Road roads[] = {
        {"close", "Closing Kestrave ", [&] { form->close(); }},
        {"Select", "New input",
         [&] {
             dialogs->willChoose(recording.path, SerKind);
             click(pieces(*form).Speedbar->Selectbutton);
         }},
        {"Load", "New input",
         [&] {
             dialogs->willChoose(project, 1);
             click(pieces(*form).Speedbar->projectload);
         }},
    };
    const auto expectAskedAndKept = [&](const char* change) {
        for (const Road& road : roads) {
            messages.shown.clear();
            road.giveUp();
            EXPECT_TRUE(asked(road.caption)) << change << ", then " << road.name;
            EXPECT_TRUE(form->isVisible()) << change << ", then " << road.name;
            EXPECT_GE(context.pipeline.state().activepage, TMainTab::tabWavelet)
                << change << ", then " << road.name;
        }
    };

    saveResult();
    // Histogram and back: rendered again, nothing changed.
    click(control<TRxSpeedButton>(wavelet, "Histogramspeedbutton"));
    click(control<TRxSpeedButton>(wavelet, "Histogramspeedbutton"));
    messages.shown.clear();
    EXPECT_TRUE(pieces(*form).shell->FormCloseQuery());
    EXPECT_TRUE(messages.shown.empty()) << "the result is as it was saved";
    context.progress().setCancelRequested(false);

    TRxSlider& layer1 = *control<TRxSlider>(wavelet, "Layer1slider");
    layer1.setValue(70);
    emit layer1.OnChanged(&layer1);
    expectAskedAndKept("a layer slider moved after the save");

    saveResult();
    clickTab(*pieces(*form).Tabpages, 4);
    click(control<TPCheck>(*form, "FlipX"));
    expectAskedAndKept("the Final page's picture flipped after the save");

    // Align again over the unsaved result: asked first; Cancel aligns nothing and keeps it all.
    clickTab(*pieces(*form).Tabpages, 0);
    messages.shown.clear();
    click(control<TRxSpeedButton>(align, "Alignbutton"));
    EXPECT_TRUE(asked("Alignment"));
    ASSERT_FALSE(messages.shown.empty());
    EXPECT_EQ(messages.shown.back().text, "You have not saved.\n\rSave before aligning again ?");
    EXPECT_EQ(context.pipeline.state().progstatus, TProgStatus::psStacked);
    EXPECT_GE(context.pipeline.state().activepage, TMainTab::tabWavelet);
    EXPECT_TRUE(context.pipeline.stack().exists());
    EXPECT_FALSE(refusedATab(messages.shown));

    // So do the passes that replace the result or, cancelled or at once, close its pages: Limit,
    // Optimize, Optimize & Stack, Create and a master dark or flat frame. Cancel runs none of them:
    // the page, the tabs and the result stay.
    TabStrip& tabs = *pieces(*form).Tabpages;
    const TMainTab activepage = context.pipeline.state().activepage;
    const std::size_t result = resultFingerprint(context.pipeline);
    const int optimizerPasses = context.pipeline.alignment().OptimizePass;
    // Were Create to run, its wait for "Continue" would end at once.
    QTimer proceed;
    proceed.callOnTimeout([this] {
        if (TRxSpeedButton* button = control<TRxSpeedButton>(*form, "Continuebutton"); !button->isHidden())
            button->click();
    });
    proceed.start(10);
    CalibrationController& calibration = *pieces(*form).calibration;
    struct Pass {
        const char* name;
        int tab;
        const char* caption;
        const char* question;
        std::function<void()> start;
    };
    const auto clicking = [this](const char* button) {
        return [this, button] { click(control<TRxSpeedButton>(*form, button)); };
    };
    const Pass passes[] = {
        {"Limit", 0, "Frame limit", "Save before limiting the frames ?", clicking("Setlimitbutton")},
        {"Optimize", 1, "Optimizing", "Save before optimizing ?", clicking("Optimizebutton")},
        {"Optimize & Stack", 1, "Optimizing", "Save before optimizing ?", clicking("Optimizeandstackbutton")},
        {"Create", 1, "Reference frame", "Save before creating a new reference ?", clicking("Referbutton")},
        {"Create Darkframe", 2, "Master frame", "Save before stacking a master frame ?",
         [&] { calibration.menu.CreateDarkframe1->trigger(); }},
        {"Create Flatfield", 2, "Master frame", "Save before stacking a master frame ?",
         [&] { calibration.menu.CreateFlatfield1->trigger(); }},
    };
    for (const Pass& pass : passes) {
        clickTab(tabs, pass.tab);
        messages.shown.clear();
        pass.start();
        ASSERT_EQ(messages.shown.size(), 1u) << pass.name << ": nothing but the question";
        const Message& question = messages.shown[0];
        EXPECT_EQ(question.caption, pass.caption) << pass.name;
        EXPECT_EQ(question.text, std::string("You have not saved.\n\r") + pass.question) << pass.name;
        EXPECT_EQ(question.buttons, mbYesNoCancel) << pass.name;
        EXPECT_EQ(question.defaultButton, mbCancel) << pass.name;
        EXPECT_EQ(tabs.currentIndex(), pass.tab) << pass.name;
        EXPECT_EQ(context.pipeline.state().activepage, activepage) << pass.name;
        for (const int tab : {3, 4}) EXPECT_EQ(tabs.tabColor(tab), QColor(192, 220, 192)) << pass.name << tab;
    }
    EXPECT_EQ(context.pipeline.alignment().OptimizePass, optimizerPasses);
    EXPECT_EQ(context.pipeline.state().progstatus, TProgStatus::psStacked);
    EXPECT_FALSE(context.pipeline.state().MasterFrameMode);
    EXPECT_EQ(resultFingerprint(context.pipeline), result);

    // A stack run asks nothing: cancelled, it keeps the result it was to replace, and the Wavelet
    // page opens on it.
    clickTab(*pieces(*form).Tabpages, 2);
    messages.shown.clear();
    QTimer::singleShot(0, form.get(),
                       [this] { QTest::mouseClick(pieces(*form).Speedbar->Cancelbutton, Qt::LeftButton); });
    messages.reply(mrYes);
    click(control<TRxSpeedButton>(*form, "Stackbutton"));
    EXPECT_EQ(panel(2), "Stacking cancelled");
    EXPECT_EQ(messages.shown.size(), 1u) << "nothing but the cancel's question";
    clickTab(*pieces(*form).Tabpages, 3);
    EXPECT_EQ(pieces(*form).PageControl1->currentWidget(), static_cast<QWidget*>(&wavelet));
    EXPECT_FALSE(refusedATab(messages.shown));
    EXPECT_EQ(resultFingerprint(context.pipeline), result);

    // The question's other answers, as for every pass: No stacks the master frame over the
    // unsaved result; Yes saves it first and limits once a file was written.
    std::uint16_t answer = mrNo;
    messages.onShow = [&](const Message& message) {
        if (message.text.starts_with("You have not saved.")) messages.reply(answer);
    };
    clickTab(tabs, 2);
    calibration.menu.CreateDarkframe1->trigger();
    EXPECT_TRUE(context.pipeline.state().MasterFrameMode);
    EXPECT_NE(resultFingerprint(context.pipeline), result);
    EXPECT_FALSE(context.shell.ImageSaved);
    answer = mrYes;
    clickTab(tabs, 0);
    messages.shown.clear();
    click(control<TRxSpeedButton>(align, "Setlimitbutton"));  // the save dialog cancelled
    EXPECT_TRUE(asked("Frame limit"));
    EXPECT_GE(context.pipeline.state().activepage, TMainTab::tabFinal) << "nothing saved, nothing limited";
    EXPECT_EQ(tabs.currentIndex(), 0);
    dialogs->willChoose(dir / "jupiter-master.png", PngKind);
    click(control<TRxSpeedButton>(align, "Setlimitbutton"));
    EXPECT_TRUE(std::filesystem::exists(dir / "jupiter-master.png"));
    EXPECT_EQ(context.pipeline.state().activepage, TMainTab::tabStack);
    EXPECT_EQ(tabs.currentIndex(), 1);
    EXPECT_TRUE(panel(2).starts_with("Processing limited to ")) << panel(2);
}

// The second road, at both window sizes: alignment points, the limit typed, a sigma stack and one
// box again; every pass says how it ended and no tool window it opens hides the picture or the
// page's buttons.
struct SecondRoad : WorkflowWindowTest, ::testing::WithParamInterface<QSize> {};

TEST_P(SecondRoad, PointsLimitSigmaAndBackToOneBox) {
    const QRect screen = form->screen()->availableGeometry();
    if (screen.size() == GetParam()) {
        // On a screen of its size the window fills it, as a maximised one does.
        form->move(screen.topLeft());
        form->resize(screen.size() - (form->frameGeometry().size() - form->size()));
        fillsItsScreen = true;
    } else {
        form->resize(GetParam());
    }
    QApplication::processEvents();
    startWidth = form->minimumSizeHint().width();
    openAndPick();
    expectToolWindowsClear("the feature picked");

    // Multipoint: three points by clicks on the preview, then Align ends the placing.
    const std::array<QPoint, 3> points{QPoint(62, 46), QPoint(98, 46), QPoint(80, 74)};
    for (std::size_t i = 0; i < points.size(); ++i)
        QTimer::singleShot(150 * static_cast<int>(i + 1), form.get(), [this, at = points[i]] {
            QTest::mouseClick(control<QLabel>(align, "PreviewImage"), Qt::LeftButton, Qt::NoModifier, at);
        });
    QTimer::singleShot(150 * 4 + 150, form.get(), [this] {
        EXPECT_EQ(context.pipeline.alignPoints().Alignpoints, 4) << "three points placed";
        EXPECT_TRUE(control<ToolWindow>(*form, "Multialignwindow")->isVisible());
        expectToolWindowsClear("points placed");
        QTest::mouseClick(control<TRxSpeedButton>(align, "Alignbutton"), Qt::LeftButton);
    });
    click(control<TRadioGroup>(align, "Alignmethod")->button(1));
    ASSERT_EQ(context.pipeline.alignPoints().Alignpoints, 3);
    ASSERT_EQ(context.pipeline.state().progstatus, TProgStatus::psAligned);
    expectPassEnd(3);
    expectToolWindowsClear("the points aligned");

    // The limit typed as a percentage: the slider, the count shown and the frames kept follow it.
    TRxSpinEdit& percent = *control<TRxSpinEdit>(align, "OptimizeQualitySpin");
    percent.selectAll();
    QTest::keyClicks(&percent, "50");
    const auto& ranking = context.pipeline.model().FrameRanking;
    const int last = control<TRxSlider>(align, "PreviewSlider")->MaxValue();
    int above = 1;
    while (above <= last && ranking[above].Key > 0.5f * ranking[0].Key) ++above;
    const int kept = std::max(above - 1, 1) + 1;
    EXPECT_EQ(control<TRxSlider>(align, "PreviewSlider")->Value(), above - 1);
    click(control<TRxSpeedButton>(align, "Setlimitbutton"));
    EXPECT_EQ(control<TRxSlider>(align, "AlignSlider")->MaxValue() + 1, kept);
    EXPECT_EQ(panel(2), "Processing limited to " + std::to_string(kept) + " frames");
    // The frame slider is back at the best frame; the percentage stays at the limit.
    EXPECT_EQ(control<TRxSlider>(align, "PreviewSlider")->Value(), 0);
    EXPECT_EQ(static_cast<int>(percent.Value()), 50);

    clickTab(*pieces(*form).Tabpages, 1);
    click(control<TRxSpeedButton>(*form, "Optimizeandstackbutton"));
    ASSERT_EQ(context.pipeline.state().progstatus, TProgStatus::psStacked);
    expectPassEnd(2);
    EXPECT_TRUE(control<QLabel>(align, "Framelabel")->text().startsWith("Processing frame "))
        << "the last frame the run named stays";
    expectToolWindowsClear("the points stacked");
    expectNoZeroInStack("the multi-point stack");
    // The stack graph with the points' graphs counts the frames stacked.
    const auto stacked = std::to_string(context.pipeline.stack().result.stackList.size());
    clickTab(*pieces(*form).Tabpages, 2);
    click(control<TPCheck>(*form, "Showstackgraph"));
    EXPECT_EQ(panel(3), "Stacksize : " + stacked + " Frames");
    EXPECT_EQ(control<QLabel>(*form, "Stackframelabel")
                  ->text()
                  .toStdString()
                  .rfind("Frames to stack:" + stacked, 0),
              0u)
        << control<QLabel>(*form, "Stackframelabel")->text().toStdString();
    click(control<TPCheck>(*form, "Showstackgraph"));

    auto* sigmaTab = control<QTabWidget>(*form, "glPageControl3");
    for (int i = 0; i < sigmaTab->count(); ++i)
        if (sigmaTab->widget(i)->isAncestorOf(control<QWidget>(*form, "Statisticalstackbutton")))
            QTest::mouseClick(sigmaTab->tabBar(), Qt::LeftButton, Qt::NoModifier,
                              sigmaTab->tabBar()->tabRect(i).center());
    click(control<TRxSpeedButton>(*form, "Statisticalstackbutton"));
    expectPassEnd(2);
    expectToolWindowsClear("the sigma stack");
    expectNoZeroInStack("the sigma stack");

    // The points' optimizer over the unsaved stack asks first; Cancel runs nothing.
    clickTab(*pieces(*form).Tabpages, 1);
    messages.reply(mrCancel);
    click(control<TRxSpeedButton>(*form, "Optimizebutton"));
    ASSERT_FALSE(messages.shown.empty());
    EXPECT_EQ(messages.shown.back().caption, "Optimizing");
    EXPECT_EQ(context.pipeline.state().progstatus, TProgStatus::psStacked);
    EXPECT_FALSE(control<ToolWindow>(*form, "MultiAlignprogresswindow")->isVisible());

    // Back to one box: the stack has no zones any more.
    clickTab(*pieces(*form).Tabpages, 0);
    click(control<TRadioGroup>(align, "Alignmethod")->button(0));
    // The one box is the feature of the last click (the last point placed), its reference made
    // there again and its box shown on the preview.
    EXPECT_EQ(QPoint(context.pipeline.state().FeatureX, context.pipeline.state().FeatureY), points.back());
    const int half = context.pipeline.fft().FFTSize / 2;
    EXPECT_EQ(QPoint(context.pipeline.registration().BoxLeft, context.pipeline.registration().BoxTop),
              points.back() - QPoint(half, half));
    EXPECT_TRUE(control<QFrame>(align, "BoxOutline")->isVisible());
    EXPECT_EQ(control<QFrame>(align, "BoxOutline")->geometry(),
              QRect(points.back() - QPoint(half, half), QSize(2 * half, 2 * half)));
    EXPECT_FALSE(control<TPCheck>(*form, "Multi")->Checked());
    clickTab(*pieces(*form).Tabpages, 2);
    click(control<TRxSpeedButton>(*form, "Stackbutton"));
    EXPECT_FALSE(context.pipeline.alignPoints().MultiPointMode);
    EXPECT_EQ(context.pipeline.alignPoints().Alignpoints, 1);
    expectPassEnd(2);
    expectNoZeroInStack("the one-box stack");
    expectToolWindowsClear("the one-box stack");

    // A larger recording, its points estimated and aligned on a 64 box without a feature picked:
    // the hint to pick one stays beside "Goto Frame" while the frame label grows long.
    synth::SynthOptions larger = smallRecordingOptions();
    larger.width = 320;
    larger.height = 240;
    larger.frames = 20;
    messages.reply(mrNo);  // the unsaved stack given up
    dialogs->willChoose(writeSampleRecording(dir.path(), larger, "saturn.ser").path, SerKind);
    click(pieces(*form).Speedbar->Selectbutton);
    ASSERT_EQ(context.pipeline.state().ProcessStage, TProcessStage::stInputLoaded);
    QTimer::singleShot(150, form.get(), [this] {
        QTest::mouseClick(control<TRadioGroup>(align, "FFTsizeGroup")->button(1), Qt::LeftButton);
        QTest::mouseClick(control<QPushButton>(*form, "EstimateBestAlign"), Qt::LeftButton);
        expectToolWindowsClear("points estimated");
        QTest::mouseClick(control<TRxSpeedButton>(align, "Alignbutton"), Qt::LeftButton);
    });
    click(control<TRadioGroup>(align, "Alignmethod")->button(1));
    ASSERT_EQ(context.pipeline.state().progstatus, TProgStatus::psAligned);
    EXPECT_GT(context.pipeline.alignPoints().Alignpoints, 1);
    EXPECT_TRUE(control<QFrame>(align, "Frontpanel")->isVisible());
    EXPECT_TRUE(control<QLabel>(align, "Frames")->text().contains("stacksize"))
        << control<QLabel>(align, "Frames")->text().toStdString();
    expectToolWindowsClear("estimated points aligned without a feature");
    EXPECT_FALSE(refusedATab(messages.shown));
}

INSTANTIATE_TEST_SUITE_P(WindowSizes, SecondRoad, ::testing::Values(QSize(1024, 768), QSize(1600, 1000)),
                         [](const auto& size) {
                             return std::to_string(size.param.width()) + "x" +
                                    std::to_string(size.param.height());
                         });

// Beside the main window when the screen has room (right first, then left), else over the option
// column down to its buttons, shrunk to it; under the tool windows already there while it fits,
// else each further window a step lower.
TEST(ToolWindowPlace, BesideTheWindowElseOverTheOptionColumnAndUnderTheOthers) {
    const QSize size(340, 420), frame(0, 30);
    const QRect column(700, 60, 324, 560), wide(0, 0, 1600, 1000), small(0, 0, 1024, 768);
    struct Case {
        QRect screen, owner;
        std::vector<QRect> taken;
        int cascade;
        QRect expected;
    };
    const std::vector<Case> cases{
        {wide, {0, 0, 1024, 768}, {}, 3, {1024, 0, 340, 420}},
        {wide, {0, 0, 1024, 768}, {{1024, 0, 300, 200}}, 0, {1024, 200, 340, 420}},
        {wide, {0, 0, 1024, 768}, {{1024, 0, 300, 200}, {1024, 200, 300, 700}}, 2, {1024, 48, 340, 420}},
        {wide, {560, 100, 1024, 768}, {}, 0, {220, 100, 340, 420}},
        {small, small, {}, 1, {700, 60, 324, 420}},
        {small, small, {{700, 60, 324, 100}}, 0, {700, 160, 324, 420}},
        {small, small, {{700, 60, 324, 300}}, 7, {700, 170, 324, 420}},
        {small, small, {{700, 60, 324, 300}}, 1, {700, 84, 324, 420}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(toolWindowPlace(c.screen, c.owner, column, size, frame, c.cascade, c.taken), c.expected)
            << c.owner.x() << "," << c.taken.size() << "," << c.cascade;
    // A column lower than the window: the window is shrunk to it.
    EXPECT_EQ(toolWindowPlace(small, small, QRect(700, 60, 324, 300), size, frame, 3),
              QRect(700, 60, 324, 270));
}

TEST_F(WorkflowWindowTest, EveryPageFitsTheWindowAndThePictureTakesMostOfIt) {
    expectEveryPageLaidOut();  // as the program starts
    openAndPick();
    click(control<TRxSpeedButton>(align, "Alignbutton"));
    click(control<TRxSpeedButton>(align, "Setlimitbutton"));
    click(control<TRxSpeedButton>(*form, "Optimizeandstackbutton"));
    ASSERT_EQ(context.pipeline.state().progstatus, TProgStatus::psStacked);
    expectEveryPageLaidOut();  // with the controls the work has shown
}

// A language whose every text is 1.4 times as long as the window's own, made from the window's
// template: every list item and every text grows by that much.
std::string longerLanguage(const std::string& written) {
    static const std::string letters = "ertnasilo";
    const auto longer = [](std::string text) {
        const std::size_t grow = (text.size() * 2 + 4) / 5;
        for (std::size_t i = 0; i < grow; ++i) text += letters[i % letters.size()];
        return text;
    };
    std::istringstream in(written);
    std::string language = "[Translations]\r\n";
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const std::size_t equals = line.find(" =");
        if (line.empty() || line.front() == ' ' || equals == std::string::npos ||
            line.starts_with("language") || line.starts_with("name"))
            continue;
        const std::string path = line.substr(0, line.find(' '));
        const std::string text = line.substr(equals + 2);
        std::string value;
        if (path.ends_with(".items") || path.ends_with(".tabs")) {
            std::istringstream items(text);
            for (std::string item; std::getline(items, item, ',');)
                value += (value.empty() ? "" : ",") + longer(item);
        } else {
            value = longer(text);
        }
        language += path + "=" + value + "\r\n";
    }
    return language;
}

TEST_F(WorkflowWindowTest, EveryPageStillFitsInALanguageWithLongerTexts) {
    control<LanguageBox>(align, "Languagebox")->addItem("lang_ll");
    control<LanguageBox>(align, "Languagebox")
        ->setCurrentIndex(control<LanguageBox>(align, "Languagebox")->findText("lang_ll"));
    const LanguageWindow window = languageWindow(*form);
    SpeedButton1Click(window, *control<LanguageBox>(align, "Languagebox"), messages);
    std::ifstream written(scripted.home.path() / "lang_ll1.txt", std::ios::binary);
    std::ofstream(scripted.home.path() / "lang_ll.txt", std::ios::binary)
        << longerLanguage({std::istreambuf_iterator<char>(written), std::istreambuf_iterator<char>()});
    LanguageControls controls{
        *control<LanguageBox>(align, "Languagebox"), *control<QLabel>(align, "charset1"),
        *control<QComboBox>(align, "QualityMethodCombo"), *control<TRadioGroup>(align, "CopyAlignmethods")};
    LanguageboxChange(window, controls);
    ASSERT_EQ(pieces(*form).Tabpages->tabText(0), "Aligner");
    ASSERT_EQ(control<TRxSpeedButton>(align, "Alignbutton")->text().size(), 7);
    expectEveryPageLaidOut();
}

TEST_F(WorkflowWindowTest, FitFillsTheLargePreviewAndFollowsTheWindow) {
    dialogs->willChoose(recording.path, SerKind);
    click(pieces(*form).Speedbar->Selectbutton);
    click(control<TPCheck>(align, "PreviewFull"));
    // The frame enlarged as far as the box allows, 30 pixels inside it, its shape kept.
    const auto expected = [&] {
        const QSize box = control<QScrollArea>(align, "ScrollBox1")->size() - QSize(30, 30);
        const double enlarge = std::min(box.width() / 160.0, box.height() / 120.0);
        return QSize(static_cast<int>(std::lrint(160 * enlarge)),
                     static_cast<int>(std::lrint(120 * enlarge)));
    };
    // The factor is a single float: a pixel either way.
    const auto fits = [&] {
        const QSize shown = control<QLabel>(align, "PreviewImage")->size(), wanted = expected();
        return std::abs(shown.width() - wanted.width()) <= 1 &&
               std::abs(shown.height() - wanted.height()) <= 1;
    };
    const QSize small = control<QLabel>(align, "PreviewImage")->size();
    EXPECT_TRUE(fits());
    EXPECT_GT(small.width(), 600) << "the preview takes most of a 1024 x 768 window";
    form->resize(1600, 1000);
    QApplication::processEvents();
    EXPECT_TRUE(fits());
    EXPECT_GT(control<QLabel>(align, "PreviewImage")->width(), small.width());
}

TEST_F(WorkflowWindowTest, APassEndsWithItsBarAndStatusSayingHowAndANewInputClearsThem) {
    QProgressBar& bar = *pieces(*form).ProgressBar1;
    openAndPick();
    // The user cancels in the middle of the pass.
    QTimer::singleShot(0, form.get(),
                       [this] { QTest::mouseClick(pieces(*form).Speedbar->Cancelbutton, Qt::LeftButton); });
    messages.reply(mrYes);
    click(control<TRxSpeedButton>(align, "Alignbutton"));
    EXPECT_EQ(context.pipeline.state().progstatus, TProgStatus::psNone);
    EXPECT_EQ(panel(3), "Alignment cancelled");
    EXPECT_EQ(panel(2), "");
    EXPECT_LT(bar.value(), bar.minimum()) << "an empty bar";
    EXPECT_FALSE(control<TRxSpeedButton>(align, "Setlimitbutton")->isEnabled());

    click(control<TRxSpeedButton>(align, "Alignbutton"));
    EXPECT_EQ(context.pipeline.state().progstatus, TProgStatus::psAligned);
    EXPECT_EQ(panel(3), "");
    EXPECT_EQ(panel(2), "Initial alignment done");
    EXPECT_LT(bar.value(), bar.minimum());
    EXPECT_TRUE(
        pieces(*form).tools.Registrationgraphwindow->windowTitle().startsWith("Initial alignment running"));
    EXPECT_TRUE(control<TRxSpeedButton>(align, "Setlimitbutton")->isEnabled());

    // Optimize and stack, then again over the unsaved result: asked first, No goes on; it is
    // cancelled while it optimizes.
    TabStrip& tabs = *pieces(*form).Tabpages;
    click(control<TRxSpeedButton>(align, "Setlimitbutton"));
    clickTab(tabs, 1);
    click(control<TRxSpeedButton>(*form, "Optimizeandstackbutton"));
    expectPassEnd(2);
    clickTab(tabs, 1);
    messages.onShow = [&](const Message& message) {
        if (message.text.starts_with("You have not saved.")) messages.reply(mrNo);
        if (message.caption != "Cancelling ...") return;
        messages.reply(mrYes);
    };
    QTimer::singleShot(0, form.get(),
                       [this] { QTest::mouseClick(pieces(*form).Speedbar->Cancelbutton, Qt::LeftButton); });
    click(control<TRxSpeedButton>(*form, "Optimizeandstackbutton"));
    ASSERT_EQ(panel(2), "Optimize and stack cancelled");
    EXPECT_EQ(panel(3), "") << "nothing of the stopped pass stays";
    // The result's pages close, and their tabs say so at once.
    for (const int tab : {3, 4}) EXPECT_EQ(tabs.tabColor(tab), QColor(221, 160, 160)) << tab;

    // The Wavelet tab is refused: while the message is up the window shows the Stack page and
    // none of the Optimize page's tool windows; the tabs are coloured afresh after the message.
    messages.onShow = [&](const Message& message) {
        if (!message.caption.starts_with("Illegal")) return;
        EXPECT_EQ(pieces(*form).PageControl1->currentIndex(), 2);
        EXPECT_EQ(tabs.tabColor(1), QColor(166, 202, 240));
        EXPECT_EQ(tabs.tabColor(2), QColor(192, 220, 192));
        EXPECT_FALSE(pieces(*form).tools.RegiStration2->isVisible());
    };
    clickTab(tabs, 3);
    EXPECT_TRUE(refusedATab(messages.shown));
    EXPECT_EQ(tabs.tabColor(2), QColor(166, 202, 240));
    messages.onShow = nullptr;

    // A new stack of fewer frames than the limit keeps opens the pages again, and their tabs say so
    // at once; beside "Limit" stands the number of frames it took.
    TRxSlider& stackSlider = *control<TRxSlider>(*form, "StackSlider");
    stackSlider.setValue(stackSlider.MaxValue() - 2);
    click(control<TRxSpeedButton>(*form, "Stackbutton"));
    expectPassEnd(2);
    for (const int tab : {3, 4}) EXPECT_EQ(tabs.tabColor(tab), QColor(192, 220, 192)) << tab;
    const StackResult& stack = context.pipeline.stack().result;
    EXPECT_EQ(panel(3), "Stack size (n=" + std::to_string(stack.StackListCount) + ") - (" +
                            std::to_string(stack.ImageWidth) + "x" + std::to_string(stack.ImageHeight) + ")");

    // Saving the project leaves the status as it was; the caption names the SER file and its
    // frame 0, whatever frame the preview shows.
    const std::string stackSize = panel(3);
    ASSERT_NE(form->windowTitle().toStdString(),
              "Kestrave processing SER: " + context.pipeline.model().SerName + " 0");
    dialogs->willChoose(dir / "jupiter.ksp", 1);
    click(pieces(*form).Speedbar->Projectsave);
    ASSERT_TRUE(std::filesystem::exists(dir / "jupiter.ksp"));
    EXPECT_EQ(panel(3), stackSize);
    EXPECT_EQ(form->windowTitle().toStdString(),
              "Kestrave processing SER: " + context.pipeline.model().SerName + " 0");

    // A new input (the unsaved stack given up) starts with nothing of the last one's pass, nor its
    // spectrum.
    const QImage spectrum = control<QLabel>(*form, "imgFFT")->pixmap().toImage();
    ASSERT_FALSE(spectrum.isNull());
    messages.onShow = [&](const Message& message) {
        if (message.text.starts_with("You have not saved.")) messages.reply(mrNo);
    };
    dialogs->willChoose(recording.path, SerKind);
    click(pieces(*form).Speedbar->Selectbutton);
    EXPECT_NE(control<QLabel>(*form, "imgFFT")->pixmap().toImage(), spectrum);
    EXPECT_LT(bar.value(), bar.minimum());
    EXPECT_EQ(panel(3), "Frames : 20 Imagesize : 160x120");
    EXPECT_EQ(pieces(*form).tools.Registrationgraphwindow->windowTitle(), "Registration ");
    EXPECT_EQ(chartSeries(pieces(*form).registrationWindows, "Series6")->Count(), 0);
    EXPECT_FALSE(control<TRxSpeedButton>(align, "Setlimitbutton")->isEnabled());
}

TEST_F(WorkflowWindowTest, TheInputDialogReopensInTheLastFolderWithTheLastKind) {
    // A fresh program: the dialog offers videos. A SER file's name typed there is read as a
    // video, which it is not: nothing is taken.
    dialogs->willChoose(recording.path);
    click(pieces(*form).Speedbar->Selectbutton);
    EXPECT_EQ(dialogs->lastShown.FilterIndex, 1);
    EXPECT_EQ(context.pipeline.state().ProcessStage, TProcessStage::stNone);
    dialogs->willChoose(recording.path, SerKind);
    click(pieces(*form).Speedbar->Selectbutton);
    ASSERT_EQ(context.pipeline.state().ProcessStage, TProcessStage::stInputLoaded);

    click(pieces(*form).Speedbar->Selectbutton);  // cancelled
    EXPECT_EQ(dialogs->lastShown.InitialDir, dir.path());
    EXPECT_EQ(dialogs->lastShown.FilterIndex, SerKind);

    // The next start of the program opens the dialog there too.
    form.reset();
    ApplicationContext next;
    auto nextDialogs = std::make_unique<ScriptedFileDialogs>();
    ScriptedFileDialogs& shown = *nextDialogs;
    next.setDialogs(std::move(nextDialogs));
    next.messages().setPresenter(std::make_unique<ScriptedPresenter>());
    TMainForm started(next);
    started.FormCreate({{}, false});
    started.show();
    click(pieces(started).Speedbar->Selectbutton);
    EXPECT_EQ(shown.lastShown.InitialDir, dir.path());
    EXPECT_EQ(shown.lastShown.FilterIndex, SerKind);
}

}  // namespace kestrave::test
