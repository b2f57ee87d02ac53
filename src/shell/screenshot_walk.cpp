#include "shell/screenshot_walk.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QWindow>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <vector>

#include "assistant/office_button.h"
#include "assistant/speech_balloon.h"
#include "shell/application_context.h"
#include "shell/main_form.h"
#include "shell/pages/align_page.h"
#include "shell/pages/avi_controls.h"
#include "shell/pages/curve_graph.h"
#include "shell/pages/final_page.h"
#include "shell/pages/frame_windows.h"
#include "shell/pages/named_control.h"
#include "shell/pages/optimize_page.h"
#include "shell/pages/point_windows.h"
#include "shell/pages/shrink_view.h"
#include "shell/pages/stack_page.h"
#include "shell/pages/wavelet_page.h"
#include "shell/speed_bar.h"
#include "shell/tab_strip.h"
#include "shell/tool_windows.h"
#include "widgets/check_box.h"
#include "widgets/radio_group.h"
#include "widgets/range_slider.h"
#include "widgets/spin_edit.h"

namespace kestrave {

namespace {

// Time for the window to lay itself out and paint before a picture is taken.
constexpr int SettleMs = 600;

}  // namespace

// The walk drives the window as a user would and takes its pictures; the window counts it as its
// own.
class ScreenshotWalk {
public:
    ScreenshotWalk(TMainForm& form, QString prefix, QString input, QString largeInput,
                   std::shared_ptr<bool> ending, std::shared_ptr<QString> balloonName,
                   std::shared_ptr<QString> answer)
        : form_(form),
          prefix_(std::move(prefix)),
          input_(std::move(input)),
          largeInput_(std::move(largeInput)),
          ending_(std::move(ending)),
          balloonName_(std::move(balloonName)),
          answer_(std::move(answer)) {}

    void start() {
        // Without a window manager the window takes the whole screen, as a maximised one would.
        form_.setGeometry(QGuiApplication::primaryScreen()->geometry());
        AlignPage& align = *form_.alignPage;
        WaveletPage& wavelet = *form_.waveletPage;
        steps_ = {
            [this] {
                answerFileDialog("1-input-dialog", input_);
                form_.Speedbar->Selectbutton->click();
            },
            [this] { shoot("2-input-loaded"); },
            // The zoom window follows the pointer over the preview.
            [&align] {
                pressOn(*control<TPCheck>(align, "Previewzoom"), QPoint(8, 8));
                const QPoint centre(control<QLabel>(align, "PreviewImage")->width() / 2 + 12,
                                    control<QLabel>(align, "PreviewImage")->height() / 2 - 6);
                QMouseEvent move(QEvent::MouseMove, QPointF(centre),
                                 QPointF(control<QLabel>(align, "PreviewImage")->mapToGlobal(centre)),
                                 Qt::NoButton, Qt::NoButton, Qt::NoModifier);
                QApplication::sendEvent(control<QLabel>(align, "PreviewImage"), &move);
            },
            [this] { shoot("2f-zoom"); },
            [&align] { pressOn(*control<TPCheck>(align, "Previewzoom"), QPoint(8, 8)); },
            // The balloon as the user reads it most: a question, a warning, the lost-lock
            // question; then the guide and one of its hints.
            [this] {
                *balloonName_ = "2a-balloon-question";
                form_.app.messages().ask(mtCustom, "Closing Kestrave ",
                                         "You have not saved.\n\rSave before quitting ?", mbYesNoCancel, mrNo,
                                         {}, mbNo);
            },
            [this] {
                *balloonName_ = "2b-balloon-warning";
                form_.app.messages().warn("Debayer warning",
                                          "Debayering 16 bit can only be done using a reduction to 8 bits",
                                          "Do not repeat this message");
            },
            [this] {
                *balloonName_ = "2c-balloon-lost-lock";
                form_.app.messages().ask(mtWarning, "Alignment ",
                                         " Cannot lock onto initial alignment feature. \n\r Press OK and "
                                         "realign manual on feature,\n\r or Press Ignore to deselect frame, "
                                         "\n\r  or Press All to deselect frames with warnings ",
                                         mbOK | mbIgnore | mbAll, mrIgnore);
            },
            // The warning before a project's save (refused here: nothing is aligned yet).
            [this] {
                *balloonName_ = "2g-balloon-project-warning";
                form_.Speedbar->Projectsave->click();
            },
            [this] { form_.Speedbar->Wizard->click(); },
            [this] { shoot("2d-guide"); },
            [this] {
                for (QWidget* top : QApplication::topLevelWidgets())
                    if (auto* balloon = qobject_cast<TAssistantBalloon*>(top); balloon && balloon->shown())
                        balloon->topicButtons().at(2)->click();
            },
            [this] { shoot("2e-hint"); },
            [] {
                for (QWidget* top : QApplication::topLevelWidgets())
                    if (auto* balloon = qobject_cast<TAssistantBalloon*>(top)) balloon->Close();
            },
            [this, &align] {
                // A lost lock would wait for a click on the preview.
                if (!control<TPCheck>(align, "Ignoredefault")->Checked())
                    pressOn(*control<TPCheck>(align, "Ignoredefault"), QPoint(8, 8));
                const QSize picture = control<QLabel>(align, "PreviewImage")->size();
                pressOn(*control<QLabel>(align, "PreviewImage"),
                        QPoint(picture.width() / 2, picture.height() / 2));
            },
            // While the frames are aligned on one box, the zoom window shows the feature's area (once
            // the screen has it).
            [this, &align] {
                shootWhen("2h-zoom-while-aligning", [this] {
                    const QWindow* zoom = form_.tools.Zoomwindow->windowHandle();
                    return zoom && zoom->isExposed() && form_.app.pipeline.alignment().InAlignPass;
                });
                control<TRxSpeedButton>(align, "Alignbutton")->click();
            },
            [this] { shoot("3-aligned"); },
            [this, &align] {
                // The registration chart lies over the column; the language options are under it.
                form_.tools.Registrationgraphwindow->hide();
                showOptionTab(*control<QTabWidget>(align, "glPageControl1"), "Additional");
            },
            [this] { shoot("3a-additional-options"); },
            [this, &align] {
                showOptionTab(*control<QTabWidget>(align, "glPageControl1"), "General");
                form_.tools.Registrationgraphwindow->show();
            },
            [&align] { control<TRxSpeedButton>(align, "Setlimitbutton")->click(); },
            [this] { control<TRxSpeedButton>(form_, "Optimizeandstackbutton")->click(); },
            [this] { form_.Tabpages->setCurrentIndex(1); },
            [this] { shoot("4-optimized"); },
            [this] { showOptionTab(*control<QTabWidget>(form_, "glPageControl2"), "PreFilter"); },
            [this] { shoot("4-prefilter"); },
            [this] { form_.Tabpages->setCurrentIndex(2); },
            [this] { shoot("5-stacked"); },
            [this] {
                control<QTabWidget>(form_, "glPageControl3")->setCurrentWidget(&form_.stackPage->aviOutput());
            },
            [this] { shoot("5a-stack-avi"); },
            [this] { showOptionTab(*control<QTabWidget>(form_, "glPageControl3"), "Stack filter"); },
            [this] { shoot("5b-stack-filter"); },
            // The stack graph's window, then with its additional graphs rolled up.
            [this] { pressOn(*control<TPCheck>(form_, "Showstackgraph"), QPoint(8, 8)); },
            [this] { shoot("5c-stack-graph"); },
            [this] { control<TgbRollup>(form_, "gbRollup1")->rollUp(); },
            [this] { shoot("5d-stack-graph-rolled-up"); },
            [this] {
                control<TgbRollup>(form_, "gbRollup1")->rollDown();
                pressOn(*control<TPCheck>(form_, "Showstackgraph"), QPoint(8, 8));
            },
            [this] { form_.Tabpages->setCurrentIndex(3); },
            [&wavelet] { control<TRxSpeedButton>(wavelet, "DoAll")->click(); },
            [this] { shoot("6-wavelet"); },
            [&wavelet] { control<TRxSpeedButton>(wavelet, "Resizebutton")->click(); },
            [this] { shoot("6a-resize"); },
            // 200 %: the picture grows, the window keeps its place on the screen.
            [this] {
                control<TRadioGroup>(form_, "RadioGroup2")->setItemIndex(6);
                emit control<TRadioGroup>(form_, "RadioGroup2")
                    ->OnClick(control<TRadioGroup>(form_, "RadioGroup2"));
            },
            [this] { shoot("6a2-resize-200"); },
            [&wavelet] { control<TRxSpeedButton>(wavelet, "Resizebutton")->click(); },
            [this] {
                // The curve editors: a point added to the gamma curve and dragged up, then the levels
                // narrowed on the histogram window's range slider.
                form_.tools.Gammawindow->show();
                QWidget& graph = *control<CurveGraph>(form_, "GammaSplineGraph");
                pressOn(graph, QPoint(60, 200), Qt::RightButton);
                dragOn(graph, QPoint(60, 200), QPoint(64, 150));
            },
            [this] { shoot("6b-gamma"); },
            [this] {
                form_.tools.Gammawindow->hide();
                form_.tools.HistoWindow->show();
                control<TmkRangeSlider>(form_, "mkRangeSlider1")->setMinPosition(120);
                control<TmkRangeSlider>(form_, "mkRangeSlider1")->setMaxPosition(900);
            },
            [this] { shoot("6c-histogram"); },
            [this] {
                form_.tools.HistoWindow->hide();
                form_.tools.Tonemapwindow->show();
            },
            [this] { shoot("6d-tonemap"); },
            [this] { form_.tools.Tonemapwindow->hide(); },
            [&wavelet] {
                for (QToolButton* tool : {control<TRxSpeedButton>(wavelet, "Gammaspeedbutton"),
                                          control<TRxSpeedButton>(wavelet, "Histogramspeedbutton"),
                                          control<TRxSpeedButton>(wavelet, "Tonemapspeedbutton")})
                    tool->click();
            },
            [this] { shoot("6e-wavelet-tool-windows"); },
            [this] {
                for (ToolWindow* window : {form_.tools.Gammawindow, form_.tools.HistoWindow})
                    window->rollUp();
            },
            [this] { shoot("6f-tool-windows-rolled-up"); },
            [this] {
                for (ToolWindow* window : {form_.tools.Gammawindow, form_.tools.HistoWindow})
                    window->rollDown();
            },
            [&wavelet] {
                for (QToolButton* tool : {control<TRxSpeedButton>(wavelet, "Gammaspeedbutton"),
                                          control<TRxSpeedButton>(wavelet, "Histogramspeedbutton"),
                                          control<TRxSpeedButton>(wavelet, "Tonemapspeedbutton")})
                    tool->click();
            },
            // The final page: turned by 20 degrees and a crop rectangle drawn; then the hue curve
            // raised at a point in its tool window.
            [this] { form_.Tabpages->setCurrentIndex(4); },
            [this] {
                FinalPage& final = *form_.finalPage;
                control<TRxSpinEdit>(final, "RxSpinEdit4")->setValue(20);
                dragOn(*control<QLabel>(final, "RotateImage"), QPoint(40, 30), QPoint(260, 200));
            },
            [this] { shoot("6f-final"); },
            [this] { pressOn(*control<TPCheck>(form_, "AdvancedHLS"), QPoint(8, 8)); },
            [this] {
                QWidget& graph = *control<CurveGraph>(form_, "Huegraph");
                pressOn(graph, QPoint(200, 50), Qt::RightButton);
                dragOn(graph, QPoint(200, 50), QPoint(200, 15));
            },
            [this] { shoot("6g-final-hsl"); },
            [this] { pressOn(*control<TPCheck>(form_, "AdvancedHLS"), QPoint(8, 8)); },
            [this, &wavelet] {
                answerFileDialog("7-save-dialog", {});
                control<TRxSpeedButton>(wavelet, "savebmp2button")->click();
            },
            // The project dialogs of the speed bar, each closed again.
            [this] {
                answerFileDialog("7b-project-save-dialog", {});
                form_.Speedbar->Projectsave->click();
            },
            [this] {
                answerFileDialog("7c-project-load-dialog", {});
                form_.Speedbar->projectload->click();
            },
            // Limit over the unsaved result asks first; Cancel keeps the result and its pages.
            [this] { form_.Tabpages->setCurrentIndex(0); },
            [this, &align] {
                *balloonName_ = "7c1-limit-question";
                *answer_ = "Cancel";
                control<TRxSpeedButton>(align, "Setlimitbutton")->click();
            },
            // Optimize and stack over the unsaved result: the question first, answered "No"; the
            // run is then cancelled while it optimizes, which closes the result's pages. The Wavelet
            // tab is refused over the Stack page; a new stack opens the pages again.
            [this] { form_.Tabpages->setCurrentIndex(1); },
            [this] {
                *balloonName_ = "7d-cancel-save-question";
                *answer_ = "No";
                whenOptimizing([this] {
                    *balloonName_ = "7e-cancel-question";
                    *answer_ = "Yes";
                    form_.Speedbar->Cancelbutton->click();
                });
                control<TRxSpeedButton>(form_, "Optimizeandstackbutton")->click();
            },
            [this] { shoot("7f-cancel-optimize-and-stack"); },
            [this] {
                *balloonName_ = "7g-cancel-wavelet-refused";
                form_.Tabpages->setCurrentIndex(3);
            },
            [this] { control<TRxSpeedButton>(*form_.stackPage, "Stackbutton")->click(); },
            [this] { shoot("7h-cancel-stacked-again"); },
            // The second road: alignment points placed by clicks with their zones shown, aligned,
            // stacked by zones, then a sigma stack.
            [this] { form_.Tabpages->setCurrentIndex(0); },
            [this, &align] { placePointsAndAlign(align); },
            [this] { shoot("9-points-aligned"); },
            // The distance between points 1 and 2 in every frame.
            [this] {
                form_.tools.AngleDist->show();
                form_.tools.AngleDist->raise();
            },
            [this] { shoot("9a-angle-distance"); },
            [this] { form_.tools.AngleDist->hide(); },
            // The points' pass kept the last result's pages open: Limit asks again; "No" gives it up.
            [this, &align] {
                *balloonName_ = "9c-limit-points-question";
                *answer_ = "No";
                control<TRxSpeedButton>(align, "Setlimitbutton")->click();
            },
            // While the points are optimized their time left counts down; while the stack is made
            // its label alternates.
            [this] {
                shootWhen("9b-optimizer-countdown", [this] {
                    return form_.tools.MultiAlignprogresswindow->isVisible() &&
                           control<QLabel>(form_, "Multialigntimer")->text().startsWith("Time left");
                });
                shootWhen("10a-stacking-label", [this] {
                    const QLabel& label = *control<QLabel>(*form_.stackPage, "Stacklabel");
                    return label.isVisible() && label.text().startsWith(" Stacking");
                });
                control<TRxSpeedButton>(form_, "Optimizeandstackbutton")->click();
            },
            [this] { form_.Tabpages->setCurrentIndex(2); },
            [this] { shoot("10-multipoint-stack"); },
            // The points' work saved as a project and loaded again (the stack given up unsaved):
            // the same stack comes back, made with the points. The project warning was shown
            // before; it is switched off here.
            [this] {
                control<TPCheck>(form_, "Projectmessages")->setChecked(false);
                answerFileDialog("10b-points-project-save-dialog", pointsProject());
                form_.Speedbar->Projectsave->click();
            },
            [this] {
                *balloonName_ = "10c-points-project-give-up-question";
                *answer_ = "No";
                answerFileDialog("10c-points-project-load-dialog", pointsProject());
                form_.Speedbar->projectload->click();
            },
            [this] { form_.Tabpages->setCurrentIndex(0); },
            [this] { shoot("10d-points-project-loaded-align"); },
            [this] { form_.Tabpages->setCurrentIndex(2); },
            [this] { shoot("10e-points-project-loaded-stack"); },
            [this] { form_.Tabpages->setCurrentIndex(3); },
            [this] { shoot("10f-points-project-loaded-wavelet"); },
            [this] { control<TRxSpeedButton>(form_, "Statisticalstackbutton")->click(); },
            [this] { shoot("11-sigma-stack"); },
            // Another input over the unsaved stack: the question, answered with the focused
            // button (Cancel), keeps the stack.
            [this] {
                *balloonName_ = "11b-new-input-question";
                answerFileDialog("11a-new-input-dialog", input_);
                form_.Speedbar->Selectbutton->click();
            },
        };
        // A large recording, when one is given, over the unsaved stack (given up): its points
        // estimated on a 64 box and aligned without a feature picked. The pick hint stays beside
        // "Goto Frame" while the frame label is long; the window keeps to the screen.
        const std::vector<std::function<void()>> largeInputSteps{
            [this] {
                *balloonName_ = "13a-large-input-question";
                *answer_ = "No";
                answerFileDialog("13-large-input-dialog", largeInput_);
                form_.Speedbar->Selectbutton->click();
            },
            [this, &align] { estimatePointsAndAlign(align); },
            [this] {
                shoot("13c-large-points-aligned");
                reportWindowPlace();
            },
        };
        const std::vector<std::function<void()>> lastSteps{
            [this] { form_.Tabpages->setCurrentIndex(5); },
            [this] { shoot("12-about"); },
            [this] {
                *ending_ = true;
                QApplication::quit();
            },
        };
        if (!largeInput_.isEmpty())
            steps_.insert(steps_.end(), largeInputSteps.begin(), largeInputSteps.end());
        steps_.insert(steps_.end(), lastSteps.begin(), lastSteps.end());
        next();
    }

private:
    void next() {
        if (step_ >= steps_.size()) return;
        QTimer::singleShot(SettleMs, &form_, [this] {
            const std::size_t current = step_++;
            steps_[current]();
            next();
        });
    }

    // "Multipoint" waits for clicks on the preview until Align: three points around the middle,
    // the zones shown, a picture, then Align (which aligns the points before the click returns).
    void placePointsAndAlign(AlignPage& align) {
        const QPoint middle(control<QLabel>(align, "PreviewImage")->width() / 2,
                            control<QLabel>(align, "PreviewImage")->height() / 2);
        const QPoint points[] = {middle + QPoint(-40, -25), middle + QPoint(40, -25), middle + QPoint(0, 30)};
        int at = SettleMs;
        for (const QPoint point : points) {
            QTimer::singleShot(at, &form_,
                               [&align, point] { pressOn(*control<QLabel>(align, "PreviewImage"), point); });
            at += SettleMs;
        }
        QTimer::singleShot(at, &form_,
                           [this] { pressOn(*control<TPCheck>(form_, "Alignmentzones"), QPoint(8, 8)); });
        QTimer::singleShot(at + SettleMs, &form_, [this] {
            shoot("8-points-placed");
            shootWhen("8b-points-countdown", [this] {
                return form_.tools.MultiAlignprogresswindow->isVisible() &&
                       control<QLabel>(form_, "Multialigntimer")->text().startsWith("Time left");
            });
        });
        // The processed result is not saved: Align asks first; "No" gives it up.
        QTimer::singleShot(at + 2 * SettleMs, &form_, [this, &align] {
            *balloonName_ = "8a-align-again-question";
            *answer_ = "No";
            control<TRxSpeedButton>(align, "Alignbutton")->click();
        });
        control<TRadioGroup>(align, "Alignmethod")->button(1)->click();
    }

    // The project of the points' work, beside the recording.
    QString pointsProject() const { return QFileInfo(input_).dir().filePath("points.ksp"); }

    // "Multipoint" waits for points until Align: the box size chosen and the points estimated
    // while it waits, a picture, then Align (which aligns the points before the click returns).
    void estimatePointsAndAlign(AlignPage& align) {
        QTimer::singleShot(SettleMs, &form_,
                           [&align] { control<TRadioGroup>(align, "FFTsizeGroup")->button(1)->click(); });
        QTimer::singleShot(2 * SettleMs, &form_,
                           [this] { control<QPushButton>(form_, "EstimateBestAlign")->click(); });
        QTimer::singleShot(3 * SettleMs, &form_, [this, &align] {
            shoot("13b-large-points-estimated");
            reportWindowPlace();
            control<TRxSpeedButton>(align, "Alignbutton")->click();
        });
        control<TRadioGroup>(align, "Alignmethod")->button(1)->click();
    }

    // The window's place and size on standard error, to read beside the pictures.
    void reportWindowPlace() const {
        const QRect frame = form_.frameGeometry();
        std::fprintf(stderr, "screenshot walk: the window at %d,%d, %d x %d, least width %d\n", frame.x(),
                     frame.y(), frame.width(), frame.height(), form_.minimumSizeHint().width());
    }

    // A picture taken inside a long operation, at the first moment it lets events through with
    // `shown` true (never, when that moment does not come).
    void shootWhen(const char* name, std::function<bool()> shown) {
        when(std::move(shown), [this, name] {
            for (QWidget* top : QApplication::topLevelWidgets())
                if (top->isVisible()) top->repaint();
            shoot(name);
        });
    }

    // `act` at the first moment the optimizer's pass lets events through.
    void whenOptimizing(std::function<void()> act) {
        when([this] { return form_.StatusPanels[3]->text().startsWith("Optimizing"); }, std::move(act));
    }

    // `act` once, at the first moment events get through with `ready` true.
    void when(std::function<bool()> ready, std::function<void()> act) {
        auto* watch = new QTimer(&form_);
        watch->setInterval(5);
        QObject::connect(watch, &QTimer::timeout, &form_,
                         [watch, ready = std::move(ready), act = std::move(act)] {
                             if (!ready()) return;
                             watch->stop();
                             watch->deleteLater();
                             act();
                         });
        watch->start();
    }

    void shoot(const char* name) {
        const QString file = prefix_ + name + ".png";
        if (!QGuiApplication::primaryScreen()->grabWindow(0).save(file))
            std::fprintf(stderr, "screenshot walk: cannot write %s\n", qPrintable(file));
    }

    // Once the dialog is open: its picture, then the file chosen (or the dialog closed). A question
    // may come first (the project warning): the dialog is waited for until it shows.
    void answerFileDialog(const char* name, const QString& file, int waitedMs = 0) {
        constexpr int PollMs = 100, LongestWaitMs = 20000;
        QTimer::singleShot(waitedMs == 0 ? SettleMs : PollMs, &form_, [this, name, file, waitedMs] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (!dialog && waitedMs < LongestWaitMs) {
                answerFileDialog(name, file, waitedMs + PollMs);
                return;
            }
            if (!dialog) {
                std::fprintf(stderr, "screenshot walk: no file dialog for %s\n", name);
                return;
            }
            shoot(name);
            if (file.isEmpty()) {
                dialog->reject();
                return;
            }
            // The kind of the file chosen in the filter list, the name typed, then Return, as a
            // user does.
            const QString pattern = "*." + QFileInfo(file).suffix().toLower();
            for (const QString& filter : dialog->nameFilters())
                if (filter.contains(pattern)) {
                    dialog->selectNameFilter(filter);
                    break;
                }
            auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
            if (!name) {
                dialog->reject();
                return;
            }
            name->setText(file);
            QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
            QApplication::sendEvent(name, &press);
        });
    }

    // The option tab whose caption holds `caption`.
    static void showOptionTab(QTabWidget& tabs, const char* caption) {
        for (int i = 0; i < tabs.count(); ++i)
            if (tabs.tabText(i).contains(caption)) tabs.setCurrentIndex(i);
    }

    static void pressOn(QWidget& target, QPoint at, Qt::MouseButton button = Qt::LeftButton) {
        const QPointF local(at);
        const QPointF global(target.mapToGlobal(at));
        QMouseEvent press(QEvent::MouseButtonPress, local, global, button, button, Qt::NoModifier);
        QMouseEvent release(QEvent::MouseButtonRelease, local, global, button, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(&target, &press);
        QApplication::sendEvent(&target, &release);
    }

    // A left drag from `from` to `to` in steps of a few pixels, as a hand moves (the curve editors
    // pick the point near the pointer at each step), released there.
    static void dragOn(QWidget& target, QPoint from, QPoint to) {
        const auto send = [&target](QEvent::Type type, QPoint at, Qt::MouseButton button,
                                    Qt::MouseButtons held) {
            QMouseEvent event(type, QPointF(at), QPointF(target.mapToGlobal(at)), button, held,
                              Qt::NoModifier);
            QApplication::sendEvent(&target, &event);
        };
        send(QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
        const QPoint way = to - from;
        const int steps = std::max(1, way.manhattanLength() / 4);
        for (int i = 1; i <= steps; ++i)
            send(QEvent::MouseMove, from + way * i / steps, Qt::NoButton, Qt::LeftButton);
        send(QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
    }

    TMainForm& form_;
    QString prefix_;
    QString input_;
    QString largeInput_;
    std::shared_ptr<bool> ending_;
    std::shared_ptr<QString> balloonName_;
    std::shared_ptr<QString> answer_;
    std::vector<std::function<void()>> steps_;
    std::size_t step_ = 0;
};

namespace {

// The assistant's balloon waiting for an answer, once it has opened.
TAssistantBalloon* waitingBalloon() {
    for (QWidget* top : QApplication::topLevelWidgets())
        if (auto* balloon = qobject_cast<TAssistantBalloon*>(top))
            if (balloon->modal() && balloon->ClientPanel->isVisible()) return balloon;
    return nullptr;
}

// A message during the walk, in the balloon or in a box: its picture (not of the question closing
// the program asks at the end), then the button the walk named for it, else its default (or
// first) button.
void answerMessages(const QString& prefix, std::shared_ptr<const bool> ending,
                    std::shared_ptr<QString> balloonName, std::shared_ptr<QString> answerWith) {
    auto* watch = new QTimer(qApp);
    auto count = std::make_shared<int>(0);
    QObject::connect(watch, &QTimer::timeout, [prefix, count, ending, balloonName, answerWith] {
        if (TAssistantBalloon* balloon = waitingBalloon()) {
            auto* answer = qobject_cast<TOffice97Button*>(balloon->focusWidget());
            for (TOffice97Button* button : balloon->buttons())
                if (!answerWith->isEmpty() && QString(button->Caption()).remove('&') == *answerWith)
                    answer = button;
            answerWith->clear();
            if (!answer && !balloon->buttons().empty()) answer = balloon->buttons().front();
            if (!*ending) {
                const QString name =
                    balloonName->isEmpty() ? "message-" + QString::number(++*count) : *balloonName;
                balloonName->clear();
                QGuiApplication::primaryScreen()->grabWindow(0).save(prefix + name + ".png");
                std::fprintf(stderr, "screenshot walk: message \"%s\": %s\n",
                             qPrintable(balloon->Title->text()), qPrintable(balloon->Msg->text()));
            }
            if (answer) answer->click();
            return;
        }
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        if (*ending) {
            if (box->defaultButton()) box->defaultButton()->click();
            return;
        }
        const QString file = prefix + "message-" + QString::number(++*count) + ".png";
        QGuiApplication::primaryScreen()->grabWindow(0).save(file);
        std::fprintf(stderr, "screenshot walk: message \"%s\": %s\n", qPrintable(box->windowTitle()),
                     qPrintable(box->text()));
        QAbstractButton* answer = box->defaultButton();
        if (!answer && !box->buttons().isEmpty()) answer = box->buttons().front();
        if (answer) answer->click();
    });
    watch->start(SettleMs);
}

}  // namespace

bool startScreenshotWalk(TMainForm& form) {
    const char* prefix = std::getenv("KESTRAVE_SCREENSHOT_WALK");
    const char* input = std::getenv("KESTRAVE_SCREENSHOT_INPUT");
    const char* largeInput = std::getenv("KESTRAVE_SCREENSHOT_LARGE_INPUT");
    if (!prefix || !*prefix || !input || !*input) return false;
    auto ending = std::make_shared<bool>(false);
    auto balloonName = std::make_shared<QString>();
    auto answer = std::make_shared<QString>();
    auto* walk = new ScreenshotWalk(form, QString::fromLocal8Bit(prefix), QString::fromLocal8Bit(input),
                                    largeInput ? QString::fromLocal8Bit(largeInput) : QString(), ending,
                                    balloonName, answer);
    QObject::connect(&form, &QObject::destroyed, [walk] { delete walk; });
    answerMessages(QString::fromLocal8Bit(prefix), ending, balloonName, answer);
    walk->start();
    return true;
}

}  // namespace kestrave
