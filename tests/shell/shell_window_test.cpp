// The main window's shell on the offscreen platform, with scripted message presenters: tab
// gating, cancel, pause, continue, the close question, long loops with Cancel and a close
// during them, tool windows and fitted views.

#include <QClipboard>
#include <QComboBox>
#include <QCoreApplication>
#include <QImage>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QWindow>

#include "assistant/assistant.h"
#include "assistant/office_button.h"
#include "assistant/speech_balloon.h"
#include "shell/assistant_handlers.h"
#include "shell/controllers/shell_controller.h"
#include "shell/controllers/stack_controller.h"
#include "shell/controllers/tool_window_controller.h"
#include "shell/dialog_presenter.h"
#include "shell/pages/about_page.h"
#include "shell/pages/align_page.h"
#include "shell/pages/final_page.h"
#include "shell/pages/named_control.h"
#include "shell/pages/optimize_page.h"
#include "shell/pages/stack_page.h"
#include "shell/pages/wavelet_page.h"
#include "shell/redraw_pacer.h"
#include "shell/shell_rules.h"
#include "shell/speed_bar.h"
#include "shell/tab_strip.h"
#include "shell_test_support.h"
#include "widgets/check_box.h"
#include "widgets/radio_group.h"
#include "widgets/slider.h"

namespace kestrave::test {

namespace {

// A long operation as the handlers run one: the guard, then steps that each poll the progress
// port. Returns the steps completed, or -1 when the start was refused.
int runLongLoop(ApplicationContext& app, int steps, const std::function<void(int)>& beforeStep = {}) {
    const LongOperation operation(app.operations);
    if (!operation) return -1;
    app.progress().setCancelRequested(false);
    int done = 0;
    for (int step = 0; step < steps; ++step) {
        if (beforeStep) beforeStep(step);
        if (app.progress().cancelled()) break;
        ++done;
    }
    return done;
}

// The window manager's close of a top-level window, refused while a modal window blocks it.
void closeByWindowManager(QWidget& window) {
    const QWindow* modal = QGuiApplication::modalWindow();
    if (modal && modal != window.windowHandle()) return;
    QCloseEvent close;
    QCoreApplication::sendEvent(window.windowHandle(), &close);
}

// Queues a click as the user would give it: it arrives when the window processes its events.
void postClick(QAbstractButton* button) {
    QMetaObject::invokeMethod(button, &QAbstractButton::click, Qt::QueuedConnection);
}

QColor colour(Rgb rgb) {
    return {rgb.r, rgb.g, rgb.b};
}

}  // namespace

TEST_F(ShellWindowTest, ATabBeyondTheStageIsRefusedAndTheStripFallsBack) {
    form->show();
    editRun(context.pipeline).state.activepage = TMainTab::tabStack;
    pieces(*form).Tabpages->setCurrentIndex(4);  // the user's click

    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].caption, "Illegal Tabpage");
    EXPECT_EQ(messages.shown[0].text, "Final page not available at this stage");
    EXPECT_EQ(messages.shown[0].dlgType, mtInformation);
    EXPECT_EQ(messages.shown[0].buttons, mbOK);
    EXPECT_EQ(pieces(*form).Tabpages->currentIndex(), 2);
    EXPECT_EQ(pieces(*form).PageControl1->currentWidget(), static_cast<QWidget*>(pieces(*form).stackPage));
    EXPECT_EQ(context.pipeline.state().ProcessStage, TProcessStage::stStackPage);
    EXPECT_EQ(pieces(*form).Tabpages->tabColor(2), colour(SelectedTabColour));
    EXPECT_EQ(pieces(*form).Tabpages->tabColor(4), colour(RefusedTabColour));

    // The refusal is said before the page fallen back to does its work: here the processing of a
    // new stack that the Wavelet page starts.
    editRun(context.pipeline).state.activepage = TMainTab::tabWavelet;
    context.shell.WaveletTabPending = true;
    messages.shown.clear();
    bool processedBeforeTheMessage = true;
    messages.onShow = [&](const Message&) { processedBeforeTheMessage = !context.shell.WaveletTabPending; };
    pieces(*form).Tabpages->setCurrentIndex(4);
    messages.onShow = nullptr;
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "Final page not available at this stage");
    EXPECT_FALSE(processedBeforeTheMessage);
    EXPECT_FALSE(context.shell.WaveletTabPending) << "processed after the message";
    EXPECT_EQ(pieces(*form).PageControl1->currentWidget(), static_cast<QWidget*>(pieces(*form).waveletPage));

    messages.shown.clear();
    pieces(*form).Tabpages->setCurrentIndex(5);
    EXPECT_TRUE(messages.shown.empty()) << "About is always open";
    EXPECT_EQ(pieces(*form).PageControl1->currentWidget(), static_cast<QWidget*>(pieces(*form).aboutPage));
    EXPECT_EQ(pieces(*form).Tabpages->tabColor(5), colour(AllowedTabColour));
}

// The tabs' marks follow the stage the run announces, also while the same page stays shown: the
// end of optimize-and-stack opens every page, a new input's reset closes them again.
TEST_F(ShellWindowTest, TheTabsFollowTheStageTheRunAnnounces) {
    form->show();
    editRun(context.pipeline).state.activepage = TMainTab::tabStack;
    pieces(*form).shell->selectTab(2);
    TabStrip& tabs = *pieces(*form).Tabpages;
    ASSERT_EQ(tabs.tabColor(4), colour(RefusedTabColour));

    context.pipeline.finishOptimizeAndStack();
    EXPECT_EQ(tabs.currentIndex(), 2);
    EXPECT_EQ(tabs.tabColor(2), colour(SelectedTabColour));
    for (const int tab : {0, 1, 3, 4, 5}) EXPECT_EQ(tabs.tabColor(tab), colour(AllowedTabColour)) << tab;

    context.pipeline.resetBeforeInput();
    EXPECT_EQ(tabs.tabColor(0), colour(AllowedTabColour));
    for (const int tab : {1, 3, 4}) EXPECT_EQ(tabs.tabColor(tab), colour(RefusedTabColour)) << tab;
    EXPECT_EQ(tabs.tabColor(5), colour(AllowedTabColour));
}

TEST_F(ShellWindowTest, OpeningTheWaveletTabProcessesAPendingStackOnce) {
    editRun(context.pipeline).state.activepage = TMainTab::tabFinal;
    context.shell.WaveletTabPending = true;
    pieces(*form).shell->selectTab(3);
    EXPECT_FALSE(context.shell.WaveletTabPending);
    EXPECT_EQ(context.pipeline.state().ProcessStage, TProcessStage::stWaveletPage);
    EXPECT_EQ(pieces(*form).PageControl1->currentWidget(), static_cast<QWidget*>(pieces(*form).waveletPage));
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(ShellWindowTest, SingleImageInputRefusesAlignAndOptimize) {
    editRun(context.pipeline).state.activepage = TMainTab::tabFinal;
    editRun(context.pipeline).model.SingleImage = true;
    pieces(*form).shell->selectTab(3);
    pieces(*form).shell->selectTab(1);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].caption, "Illegal tabpage");
    EXPECT_EQ(messages.shown[0].text, "single image: alignment/optimizer page not available");
    EXPECT_EQ(pieces(*form).Tabpages->currentIndex(), 3);
    EXPECT_EQ(pieces(*form).PageControl1->currentWidget(), static_cast<QWidget*>(pieces(*form).waveletPage));
    EXPECT_EQ(pieces(*form).Tabpages->tabColor(0), colour(RefusedTabColour));
}

TEST_F(ShellWindowTest, TabChangeFollowsAutoProcessAndTheClipboard) {
    editRun(context.pipeline).state.activepage = TMainTab::tabFinal;
    WaveletPage& wavelet = *pieces(*form).waveletPage;
    control<TPCheck>(wavelet, "Autoprocessbox")->setChecked(true);
    pieces(*form).shell->selectTab(3);
    EXPECT_FALSE(control<TRxSpeedButton>(wavelet, "Processbutton")->isEnabled());
    EXPECT_TRUE(context.shell.AutoProcess);
    EXPECT_TRUE(control<TRectShape>(wavelet, "Showbuttonp3")->isHidden());

    control<TPCheck>(wavelet, "Autoprocessbox")->setChecked(false);
    QImage picture(8, 8, QImage::Format_RGB32);
    picture.fill(Qt::red);
    QApplication::clipboard()->setImage(picture);
    pieces(*form).shell->selectTab(2);
    EXPECT_TRUE(control<TRxSpeedButton>(wavelet, "Processbutton")->isEnabled());
    EXPECT_FALSE(context.shell.AutoProcess);
    EXPECT_FALSE(control<TRectShape>(wavelet, "Showbuttonp3")->isHidden());
    EXPECT_FALSE(pieces(*form).Speedbar->ClipboardFront->isHidden());
    QApplication::clipboard()->clear();
}

TEST_F(ShellWindowTest, CancelAsksAlwaysAndSetsTheFlagOnlyOnYesWhileSomethingRuns) {
    // Nothing runs: the question comes, a "Yes" releases the window, and the next run the user
    // starts is not cancelled by it.
    control<QTabWidget>(*form, "glPageControl1")->setEnabled(false);
    pieces(*form).Tabpages->setEnabled(false);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    messages.reply(mrYes);
    pieces(*form).Speedbar->Cancelbutton->click();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_FALSE(context.CancelRequested());
    EXPECT_TRUE(control<QTabWidget>(*form, "glPageControl1")->isEnabled());
    EXPECT_TRUE(pieces(*form).Tabpages->isEnabled());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(runLongLoop(context, 10), 10);
    messages.shown.clear();

    const LongOperation running(context.operations);
    control<QTabWidget>(*form, "glPageControl1")->setEnabled(false);
    pieces(*form).Tabpages->setEnabled(false);
    messages.reply(mrNo);
    pieces(*form).Speedbar->Cancelbutton->click();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].caption, "Cancelling ...");
    EXPECT_EQ(messages.shown[0].text, "Do you want to cancel ?");
    EXPECT_EQ(messages.shown[0].buttons, mbYesNo);
    EXPECT_FALSE(context.CancelRequested());
    EXPECT_FALSE(control<QTabWidget>(*form, "glPageControl1")->isEnabled());
    EXPECT_TRUE(pieces(*form).Tabpages->isEnabled()) << "the strip comes back either way";

    messages.reply(mrYes);
    pieces(*form).Speedbar->Cancelbutton->click();
    EXPECT_TRUE(context.CancelRequested());
    EXPECT_TRUE(control<QTabWidget>(*form, "glPageControl1")->isEnabled());

    editRun(context.pipeline).state.BatchMode = true;  // an unattended run never cancels itself
    pieces(*form).Speedbar->Cancelbutton->click();
    EXPECT_FALSE(context.CancelRequested());
}

TEST_F(ShellWindowTest, ALongLoopStopsWithinOneStepOfCancel) {
    messages.reply(mrYes);
    const int done = runLongLoop(context, 100, [&](int step) {
        if (step == 5) postClick(pieces(*form).Speedbar->Cancelbutton);
    });
    EXPECT_EQ(done, 5);
    EXPECT_FALSE(context.operations.running());

    messages.reply(mrNo);
    EXPECT_EQ(runLongLoop(context, 20,
                          [&](int step) {
                              if (step == 5) postClick(pieces(*form).Speedbar->Cancelbutton);
                          }),
              20);
}

TEST_F(ShellWindowTest, PauseHoldsTheLoopInThePlatformBoxAndCancelStaysUsable) {
    std::vector<int> heldAt;
    int step = 0;
    platformBox.onShow = [&](const Message&) { heldAt.push_back(step); };
    messages.reply(mrYes);
    const int done = runLongLoop(context, 100, [&](int current) {
        step = current;
        if (current == 3) postClick(pieces(*form).Speedbar->PauseButton);
        if (current == 7) postClick(pieces(*form).Speedbar->Cancelbutton);
    });
    ASSERT_EQ(platformBox.shown.size(), 1u);
    EXPECT_EQ(platformBox.shown[0].text, "Pausing program, click OK to continue");
    EXPECT_EQ(heldAt, std::vector<int>{3});
    EXPECT_EQ(done, 7);
    EXPECT_EQ(messages.shown.size(), 1u) << "only the cancel question went through the message routine";
}

TEST_F(ShellWindowTest, ASecondLongOperationClickedDuringALoopIsRefusedCodeAndTheWaitAreNot) {
    // The mark of the next button to press sits just below that button (both pages laid out).
    form->show();
    auto& pages = *control<QStackedWidget>(*form, "PageControl1");
    for (const TMainTab tab : {TMainTab::tabOptimize, TMainTab::tabWavelet, TMainTab::tabAlign}) {
        pages.setCurrentIndex(static_cast<int>(tab));
        QCoreApplication::processEvents();
    }
    const auto marksNext = [&](const char* button) {
        const QWidget& target = *control<QWidget>(*form, button);
        return control<QWidget>(*form, "Showbuttonp3")->mapToGlobal(QPoint(0, 0)) ==
               target.mapToGlobal(QPoint(0, target.height()));
    };
    QPushButton other;
    std::vector<int> otherResults;
    QObject::connect(&other, &QPushButton::clicked, [&] { otherResults.push_back(runLongLoop(context, 2)); });
    // An unsaved result: a pass over it clicked during the loop is refused without its question.
    editRun(context.pipeline).state.activepage = TMainTab::tabFinal;
    std::vector<QAbstractButton*> passes;
    for (const char* button : {"Setlimitbutton", "Optimizebutton", "Optimizeandstackbutton", "Referbutton"}) {
        passes.push_back(control<TRxSpeedButton>(*form, button));
        passes.back()->setEnabled(true);
    }

    bool continued = false;
    const int done = runLongLoop(context, 6, [&](int step) {
        if (step == 1) {
            // The user, during the loop: refused.
            postClick(&other);
            for (QAbstractButton* pass : passes) postClick(pass);
        }
        if (step == 2) otherResults.push_back(runLongLoop(context, 3));  // code: runs
        if (step == 3) {
            // Create's wait: the user works, then presses Continue, which the mark points at.
            postClick(&other);
            QMetaObject::invokeMethod(
                form.get(),
                [&] {
                    EXPECT_TRUE(marksNext("Continuebutton")) << "while waiting";
                    EXPECT_TRUE(control<QWidget>(*form, "Showbuttonp3")
                                    ->parentWidget()
                                    ->isAncestorOf(control<QWidget>(*form, "Continuebutton")))
                        << "on the page of the mark";
                },
                Qt::QueuedConnection);
            postClick(control<TRxSpeedButton>(*form, "Continuebutton"));
            continued = pieces(*form).shell->waitForContinue();
            EXPECT_TRUE(marksNext("Processbutton")) << "once continued";
        }
    });
    EXPECT_EQ(done, 6);
    EXPECT_EQ(otherResults, (std::vector<int>{-1, 3, 2}));
    EXPECT_TRUE(messages.shown.empty()) << "a refused pass asks nothing";
    EXPECT_TRUE(continued);
    EXPECT_FALSE(context.shell.ContinueRequested) << "the wait consumes the flag";
    EXPECT_TRUE(control<TRxSpeedButton>(*form, "Continuebutton")->isHidden());
}

TEST_F(ShellWindowTest, CancelEndsTheContinueWaitAndBatchRunsNeverWait) {
    // The wait belongs to Create, a long operation.
    const LongOperation create(context.operations);
    messages.reply(mrYes);
    postClick(pieces(*form).Speedbar->Cancelbutton);
    EXPECT_FALSE(pieces(*form).shell->waitForContinue());

    context.progress().setCancelRequested(false);
    editRun(context.pipeline).state.BatchMode = true;
    EXPECT_TRUE(pieces(*form).shell->waitForContinue());
}

TEST_F(ShellWindowTest, ACloseDuringALoopStopsItAndClosesOnceItHasUnwound) {
    form->show();
    bool visibleAfterLoop = false;
    int startedAfterClose = 0;
    const int done = runLongLoop(context, 100, [&](int step) {
        if (step == 5) QMetaObject::invokeMethod(form.get(), &QWidget::close, Qt::QueuedConnection);
        if (step == 6) startedAfterClose = runLongLoop(context, 3);
    });
    visibleAfterLoop = form->isVisible();
    EXPECT_EQ(done, 5);
    EXPECT_EQ(startedAfterClose, 0) << "the loop stopped before trying";
    EXPECT_TRUE(visibleAfterLoop) << "the window is not closed under the loop";
    EXPECT_TRUE(messages.shown.empty()) << "nothing stacked yet, nothing to ask";

    QCoreApplication::processEvents();
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(runLongLoop(context, 3), -1) << "nothing new starts once the window goes";
}

TEST_F(ShellWindowTest, StayingOpenAtTheCloseQuestionStillStopsTheRunningLoop) {
    form->show();
    editRun(context.pipeline).state.activepage = TMainTab::tabFinal;
    messages.reply(mrCancel);
    const int done = runLongLoop(context, 20, [&](int step) {
        if (step == 5) QMetaObject::invokeMethod(form.get(), &QWidget::close, Qt::QueuedConnection);
    });
    EXPECT_EQ(done, 5);
    ASSERT_EQ(messages.shown.size(), 1u);
    const Message& question = messages.shown[0];
    EXPECT_EQ(question.caption, "Closing Kestrave ");
    EXPECT_EQ(question.text, "You have not saved.\n\rSave before quitting ?");
    EXPECT_EQ(question.buttons, mbYesNoCancel);
    EXPECT_EQ(question.defaultButton, mbNo);
    EXPECT_FALSE(question.showCheckBox);
    QCoreApplication::processEvents();
    EXPECT_TRUE(form->isVisible());
}

TEST_F(ShellWindowTest, TheCloseQuestionFollowsTheAnswerAndTheSave) {
    editRun(context.pipeline).state.activepage = TMainTab::tabWavelet;
    form->show();
    messages.reply(mrYes);  // the save writes nothing yet: the window stays
    EXPECT_FALSE(form->close());
    EXPECT_FALSE(context.CancelRequested());
    messages.reply(mrNo);
    EXPECT_TRUE(form->close());
    EXPECT_TRUE(context.CancelRequested());

    form->show();
    context.shell.ImageSaved = true;
    messages.shown.clear();
    EXPECT_TRUE(form->close());
    EXPECT_TRUE(messages.shown.empty());
}

// The close question in the window's own balloon, closed by the window manager (Alt+F4): that
// answers Cancel, and the window's next close asks again and keeps the window.
TEST_F(ShellWindowTest, ABalloonClosedByTheWindowManagerAnswersCancelAndAsksAgain) {
    context.messages().setPresenter(makeWindowPresenter(*form));
    editRun(context.pipeline).state.activepage = TMainTab::tabWavelet;
    form->show();
    TAssistantBalloon& balloon = windowAssistant(*form)->balloon();
    int asked = 0, unseen = 0;
    // The user: closes the first question, cancels the second; closes the window again while a
    // question waits unseen, and then gives up.
    QTimer user;
    QObject::connect(&user, &QTimer::timeout, [&] {
        if (balloon.isVisible() && balloon.ClientPanel->isVisible())
            ++asked == 1 ? closeByWindowManager(balloon) : balloon.buttons()[2]->click();
        else if (balloon.shown() && !balloon.isVisible() && ++unseen == 20)
            closeByWindowManager(*form);
        else if (unseen == 40)
            balloon.Close();
    });
    user.start(5);
    for (int close = 1; close <= 2; ++close) {
        closeByWindowManager(*form);
        EXPECT_EQ(asked, close);
        EXPECT_EQ(unseen, 0);
        EXPECT_TRUE(form->isVisible());
    }
}

TEST_F(ShellWindowTest, MessagesBringTheWindowForwardOnlyWhenTheOptionAsks) {
    EXPECT_FALSE(form->isVisible());
    context.messages().NewMessagedlg("Warning", "text", mtWarning, mbOK, 0, false, "");
    EXPECT_FALSE(form->isVisible());
    control<TPCheck>(*form, "Formmessage")->setChecked(true);
    context.messages().NewMessagedlg("Warning", "text", mtWarning, mbOK, 0, false, "");
    EXPECT_TRUE(form->isVisible());
}

TEST_F(ShellWindowTest, ContinueAndHaltSetTheirFlags) {
    control<TRxSpeedButton>(*form, "Continuebutton")->show();
    control<TRxSpeedButton>(*form, "Continuebutton")->click();
    EXPECT_TRUE(context.shell.ContinueRequested);
    EXPECT_TRUE(control<TRxSpeedButton>(*form, "Continuebutton")->isHidden());
    pieces(*form).tools.HaltRegister->click();
    EXPECT_TRUE(context.pipeline.alignment().HaltRequested);
}

TEST_F(ShellWindowTest, ToolWindowsFollowTheirButtonsAndComeBackInside) {
    form->move(100, 100);
    form->show();
    QToolButton& button = *control<TRxSpeedButton>(*form, "Gammaspeedbutton");
    ToolWindow& window = *pieces(*form).tools.Gammawindow;
    button.click();
    EXPECT_TRUE(window.isVisible());
    button.click();
    EXPECT_FALSE(window.isVisible());

    const QRect main = form->frameGeometry();
    window.move(main.left() + main.width() + 50, main.top() + 40);
    button.click();
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.frameGeometry().left(),
              main.left() + main.width() - window.frameGeometry().width() - 20);
    EXPECT_EQ(window.frameGeometry().top(), main.top() + 40);

    window.close();
    EXPECT_FALSE(button.isChecked()) << "closing the window raises its button";
}

TEST_F(ShellWindowTest, AToolWindowShowsOnlyWithItsPage) {
    form->show();
    editRun(context.pipeline).state.activepage = TMainTab::tabFinal;
    ToolWindow& registration = *pieces(*form).tools.Registrationgraphwindow;  // the Align page's
    ToolWindow& information = *pieces(*form).tools.Imageinfowindow;           // the whole window's
    registration.show();
    information.show();
    pieces(*form).shell->selectTab(3);
    EXPECT_FALSE(registration.isVisible());
    EXPECT_TRUE(information.isVisible());
    pieces(*form).shell->selectTab(0);
    EXPECT_TRUE(registration.isVisible());

    // Closed by its handler while its page is away, it stays closed.
    pieces(*form).shell->selectTab(3);
    registration.hide();
    pieces(*form).shell->selectTab(0);
    EXPECT_FALSE(registration.isVisible());
}

TEST_F(ShellWindowTest, ClosingAToolWindowUnchecksTheControlThatOpenedIt) {
    StackPage& stack = *pieces(*form).stackPage;
    control<TPCheck>(stack, "Showstackgraph")->setChecked(true);
    pieces(*form).stack->ShowstackgraphClick();
    EXPECT_TRUE(pieces(*form).tools.Stackgraphpanel->isVisible());
    pieces(*form).tools.Stackgraphpanel->close();
    EXPECT_FALSE(control<TPCheck>(stack, "Showstackgraph")->Checked());

    control<TPCheck>(*form, "Haltwindow")->setChecked(true);
    pieces(*form).tools.Registerhaltwindow->show();
    pieces(*form).tools.Registerhaltwindow->close();
    EXPECT_FALSE(control<TPCheck>(*form, "Haltwindow")->Checked());

    control<TPCheck>(*form, "AdvancedHLS")->setChecked(true);
    pieces(*form).tools.HLSwindow->show();
    pieces(*form).tools.HLSwindow->close();
    EXPECT_FALSE(control<TPCheck>(*form, "AdvancedHLS")->Checked());
}

TEST_F(ShellWindowTest, TickingMultiOnTheStackPageTurnsTheAlignmentPointsOnAndOff) {
    TPCheck& multi = *control<TPCheck>(*form, "Multi");
    QTest::mouseClick(&multi, Qt::LeftButton);
    EXPECT_TRUE(context.pipeline.alignPoints().MultiPointMode);
    QTest::mouseClick(&multi, Qt::LeftButton);
    EXPECT_FALSE(context.pipeline.alignPoints().MultiPointMode);
}

TEST_F(ShellWindowTest, AFittedPreviewFillsItsBoxAndUnfittingRestoresFullSize) {
    AlignPage& align = *pieces(*form).alignPage;
    QPixmap picture(100, 80);
    picture.fill(Qt::gray);
    control<QLabel>(align, "PreviewImage")->setPixmap(picture);
    control<QScrollArea>(align, "ScrollBox1")->setMinimumSize(530, 430);
    control<QScrollArea>(align, "ScrollBox1")->setMaximumSize(530, 430);
    form->show();
    ASSERT_EQ(control<QScrollArea>(align, "ScrollBox1")->size(), QSize(530, 430));

    control<TPCheck>(align, "PreviewFull")->setChecked(true);
    pieces(*form).shell->PreviewFullClick();
    EXPECT_FLOAT_EQ(context.shell.PreviewFitScale, 0.2f);
    EXPECT_EQ(control<QLabel>(align, "PreviewImage")->size(), QSize(500, 400));
    EXPECT_TRUE(control<QLabel>(align, "PreviewImage")->hasScaledContents());

    control<TPCheck>(align, "PreviewFull")->setChecked(false);
    pieces(*form).shell->PreviewFullClick();
    EXPECT_FLOAT_EQ(context.shell.PreviewFitScale, 1.0f);
    EXPECT_EQ(control<QLabel>(align, "PreviewImage")->size(), QSize(100, 80));
}

TEST_F(ShellWindowTest, ProgressShowsInTheBarAndStatusPanels) {
    ProgressPort& progress = context.progress();
    progress.setMaximum(40);
    progress.setPosition(10);
    progress.setStatus(3, "Stack size (n=10)");
    progress.setStatus(7, "ignored");
    EXPECT_EQ(pieces(*form).ProgressBar1->maximum(), 40);
    EXPECT_EQ(pieces(*form).ProgressBar1->value(), 10);
    EXPECT_EQ(pieces(*form).StatusPanels[3]->text(), "Stack size (n=10)");
}

TEST_F(ShellWindowTest, AWindowNobodyWatchesShowsTheLastValuesOfALongOperationWhenItEnds) {
    ASSERT_FALSE(form->isVisible());
    ProgressPort& progress = context.progress();
    {
        const LongOperation operation(context.operations);
        progress.setMaximum(400);
        for (int frame = 1; frame <= 400; ++frame) {
            progress.setPosition(frame);
            progress.setStatus(2, "Processing frame :" + std::to_string(frame));
            progress.setCaption("Kestrave processing frame " + std::to_string(frame));
            progress.processMessages();
        }
    }
    EXPECT_EQ(pieces(*form).ProgressBar1->maximum(), 400);
    EXPECT_EQ(pieces(*form).ProgressBar1->value(), 400);
    EXPECT_EQ(pieces(*form).StatusPanels[2]->text(), "Processing frame :400");
    EXPECT_EQ(form->windowTitle(), "Kestrave processing frame 400");
}

TEST(RedrawPacer, DrawsEveryStepWhileWatchedAndOncePerIntervalOtherwise) {
    bool unattended = false;
    RedrawPacer pacer([&] { return unattended; }, std::chrono::hours(1));
    EXPECT_TRUE(pacer.due());
    EXPECT_TRUE(pacer.due());
    unattended = true;
    EXPECT_TRUE(pacer.due()) << "the first step of an unattended run";
    EXPECT_FALSE(pacer.due());
    pacer.restart();
    EXPECT_TRUE(pacer.due());
    EXPECT_FALSE(pacer.due());
    RedrawPacer always([] { return true; }, std::chrono::seconds(0));
    EXPECT_TRUE(always.due());
    EXPECT_TRUE(always.due());
}

TEST_F(ShellWindowTest, TheDeveloperChordTogglesTheModeAndTheQualityMethodStays) {
    form->show();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    QComboBox& methods = *control<QComboBox>(*form, "QualityMethodCombo");
    const auto chord = [this] {
        QTest::keyClick(control<TRxSlider>(*form, "PreviewSlider"), Qt::Key_D,
                        Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier);
    };
    methods.setCurrentIndex(3);
    chord();
    EXPECT_FALSE(control<QLabel>(*form, "Developersmode")->isHidden());
    EXPECT_FALSE(control<TRxSpeedButton>(*form, "Differ")->isHidden());
    EXPECT_EQ(methods.count(), 7);
    EXPECT_EQ(methods.currentIndex(), 3);
    chord();
    EXPECT_TRUE(control<QLabel>(*form, "Developersmode")->isHidden());
    EXPECT_TRUE(control<TRxSpeedButton>(*form, "Differ")->isHidden());
    EXPECT_EQ(methods.count(), 5);
    EXPECT_EQ(methods.currentIndex(), 3);

    // A method only the developer mode offers gives way to the default one.
    chord();
    methods.setCurrentIndex(6);
    chord();
    EXPECT_EQ(methods.currentIndex(), 4);
    EXPECT_EQ(control<TRadioGroup>(*form, "CopyAlignmethods")->ItemIndex(), 4);
}

}  // namespace kestrave::test
