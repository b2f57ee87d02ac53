// Windows wholly on the screen: the main window at its first start and after a larger stored
// placement, every tool window as it opens (its close button and the buttons that show it in
// reach) and as its contents grow. ctest runs these once more on screens of 1024 x 768 and
// 1600 x 1000 (the entries "Screen<size>.WindowsOnTheScreen").

#include <QScreen>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>
#include <fstream>

#include "shell/controllers/resize_controller.h"
#include "shell/controllers/shell_controller.h"
#include "shell/pages/named_control.h"
#include "shell/pages/shrink_view.h"
#include "shell/pages/wavelet_page.h"
#include "shell/screen_fit.h"
#include "shell/startup.h"
#include "shell/tool_windows.h"
#include "shell_test_support.h"
#include "widgets/check_box.h"
#include "widgets/radio_group.h"
#include "widgets/speed_button.h"

namespace kestrave::test {

namespace {

QRect globalRect(const QWidget& widget) {
    return {widget.mapToGlobal(QPoint(0, 0)), widget.size()};
}

QRect freeArea(const QWidget& window) {
    return window.screen()->availableGeometry();
}

// The page each tool window belongs to, by its tag: 901 to 905 for the roll-ups of the pages, 910
// for those of the whole window (shown here over the first page, as the zoom window's 109).
int pageOf(const ToolWindow& window) {
    const int group = window.Tag() % 100;
    return window.Tag() / 100 == 9 && group >= 1 && group <= 5 ? group - 1 : 0;
}

// Check boxes and buttons whose captions are cut short (shown with "…") in `parent` as it is laid
// out.
std::vector<std::string> cutCaptions(const QWidget& parent) {
    std::vector<std::string> cut;
    for (const TPCheck* check : parent.findChildren<TPCheck*>())
        if (check->isVisible() && check->window() == parent.window() &&
            check->width() < check->sizeHint().width())
            cut.push_back(check->objectName().toStdString() + " '" + check->Caption().toStdString() + "'");
    for (const TRxSpeedButton* button : parent.findChildren<TRxSpeedButton*>())
        if (button->isVisible() && button->window() == parent.window() &&
            button->shownCaption() != QString(button->text()).remove('\r'))
            cut.push_back(button->objectName().toStdString() + " '" + button->shownCaption().toStdString() +
                          "'");
    return cut;
}

// The controls a step needs while its tool windows are open, by page: the box size, the quality
// method and filter and the alignment method on "Align"; the optimizer's options, the new
// reference and the graph switches on "Optimize". Tool windows leave them in sight.
std::vector<const char*> stepControls(int page) {
    switch (page) {
        case 0:
            return {"FFTsizeGroup",    "QualityMethodCombo", "FFTFilterspin",
                    "RecalcFFTbutton", "Alignmethod",        "Freebox"};
        case 1:
            return {"glPageControl2", "Referbutton",   "Refframes",
                    "Restartalign",   "Optimizegraph", "ShowMovementwindow"};
        default:
            return {};
    }
}

struct ScreenFit : ShellWindowTest {
    ScreenFit() { form->FormCreate({{}, false}); }
};

}  // namespace

TEST_F(ScreenFit, TheWindowAndItsStatusBarAreOnTheScreenAtFirstStartAndAfterALargerPlacement) {
    const auto expectOnScreen = [&](const char* when) {
        QApplication::processEvents();
        const QRect area = freeArea(*form);
        EXPECT_TRUE(area.contains(form->frameGeometry())) << when;
        EXPECT_TRUE(area.contains(globalRect(*form->statusBar()))) << when;
        EXPECT_TRUE(form->statusBar()->isVisible()) << when;
    };
    showWindowOnScreen(*form);
    expectOnScreen("first start");
    EXPECT_GE(form->width(), std::min(1000, freeArea(*form).width() - 8))
        << "the window keeps what room there is";

    // A placement stored on a screen larger than this one.
    form->close();
    form.reset();
    std::ofstream(scripted.home.path() / "kestrave.ini", std::ios::binary)
        << "[Form]\r\nFormVersion=0\r\nShowCmd=1\r\nNormPos=20,30,2020,1530\r\n";
    form = std::make_unique<TMainForm>(context);
    form->FormCreate({{}, false});
    showWindowOnScreen(*form);
    expectOnScreen("a larger placement restored");
}

TEST_F(ScreenFit, EveryToolWindowOpensOnTheScreenWithItsCloseButtonAndTogglesInReach) {
    // The window fills the screen, as a maximised one does (the picture leaves no room beside it).
    showWindowOnScreen(*form);
    form->move(freeArea(*form).topLeft());
    form->resize(freeArea(*form).size() - (form->frameGeometry().size() - form->size()));
    QApplication::processEvents();
    const QRect area = freeArea(*form);
    // Every caption shows whole on the screens the window is made for (1024 x 768 and up).
    const bool madeForScreen = area.width() >= 1024 && area.height() >= 768;
    for (ToolWindow* window : form->findChildren<ToolWindow*>()) {
        const std::string name = window->objectName().toStdString();
        pieces(*form).PageControl1->setCurrentIndex(pageOf(*window));
        QApplication::processEvents();
        window->show();
        QApplication::processEvents();
        EXPECT_TRUE(area.contains(window->frameGeometry())) << name;
        if (window->ShowCloseButton()) {
            EXPECT_TRUE(window->CloseButton->isVisible()) << name;
            EXPECT_TRUE(area.contains(globalRect(*window->CloseButton))) << name;
        }
        for (const char* needed : stepControls(pageOf(*window))) {
            const QWidget* control = form->findChild<QWidget*>(needed);
            ASSERT_TRUE(control) << needed;
            EXPECT_FALSE(control->isVisible() && window->frameGeometry().intersects(globalRect(*control)))
                << name << " covers " << needed;
        }
        for (const QString& toggle : toolWindowToggles(window->objectName())) {
            const QWidget* control = form->findChild<QWidget*>(toggle);
            ASSERT_TRUE(control) << toggle.toStdString();
            if (!control->isVisible()) continue;
            EXPECT_FALSE(window->frameGeometry().intersects(globalRect(*control)))
                << name << " covers " << toggle.toStdString();
        }
        if (madeForScreen)
            for (const std::string& cut : cutCaptions(*window))
                ADD_FAILURE() << name << ": caption cut: " << cut;
        window->hide();
    }
    if (!madeForScreen) return;
    // The pages' own check boxes, every tab of their option groups in turn.
    for (int page = 0; page < pieces(*form).PageControl1->count(); ++page) {
        pieces(*form).PageControl1->setCurrentIndex(page);
        for (QTabWidget* options : pieces(*form).PageControl1->currentWidget()->findChildren<QTabWidget*>()) {
            for (int tab = 0; tab < options->count(); ++tab) {
                options->setCurrentIndex(tab);
                QApplication::processEvents();
                if (!options->tabBar()->rect().contains(options->tabBar()->tabRect(tab)))
                    ADD_FAILURE() << "page " << page << ": tab cut: " << options->tabText(tab).toStdString();
                for (const std::string& cut : cutCaptions(*options->currentWidget()))
                    ADD_FAILURE() << "page " << page << ": caption cut: " << cut;
            }
        }
        QApplication::processEvents();
        for (const std::string& cut : cutCaptions(*pieces(*form).PageControl1->currentWidget()))
            ADD_FAILURE() << "page " << page << ": caption cut: " << cut;
    }
}

TEST_F(ScreenFit, AToolWindowKeepsItsPlaceAndStaysOnTheScreenAsItsContentsGrow) {
    showWindowOnScreen(*form);
    pieces(*form).PageControl1->setCurrentIndex(3);
    QApplication::processEvents();
    ToolWindow& view = *pieces(*form).tools.Shrinkview;
    control<TRxSpeedButton>(*form, "Resizebutton")->click();
    QApplication::processEvents();
    ASSERT_TRUE(view.isVisible());
    const QPoint corner = view.pos();
    // 200 %: the picture (and the window with it) wants more room than the screen has.
    control<TRadioGroup>(*form, "RadioGroup2")->setItemIndex(6);
    emit control<TRadioGroup>(*form, "RadioGroup2")->OnClick(control<TRadioGroup>(*form, "RadioGroup2"));
    QApplication::processEvents();
    EXPECT_EQ(view.pos(), corner) << "nothing moves under the pointer";
    EXPECT_TRUE(freeArea(*form).contains(view.frameGeometry()));
    // Grown from outside the window too.
    view.resize(view.width() + 3000, view.height() + 3000);
    EXPECT_EQ(view.pos(), corner);
    EXPECT_TRUE(freeArea(*form).contains(view.frameGeometry()));
}

// A page's chart opened while another page shows (a pass moves on to the next page) takes its
// place over its own page once that page shows; one put back past the screen's edge by the stored
// settings opens wholly on the screen, where it stood as far as it can.
TEST_F(ScreenFit, AToolWindowOpensOverItsOwnPageAndWhollyOnTheScreen) {
    showWindowOnScreen(*form);
    form->move(freeArea(*form).topLeft());
    form->resize(freeArea(*form).size() - (form->frameGeometry().size() - form->size()));
    editRun(context.pipeline).state.activepage = TMainTab::tabFinal;
    ShellController& shell = *pieces(*form).shell;
    shell.selectTab(static_cast<int>(TMainTab::tabWavelet));
    QApplication::processEvents();
    ToolWindow& chart = *pieces(*form).tools.RegiStration2;
    chart.show();
    QApplication::processEvents();
    shell.selectTab(static_cast<int>(TMainTab::tabOptimize));
    QApplication::processEvents();
    ASSERT_TRUE(chart.isVisible());
    for (const char* needed : stepControls(1))
        EXPECT_FALSE(chart.frameGeometry().intersects(globalRect(*form->findChild<QWidget*>(needed))))
            << "covers " << needed;
    chart.hide();

    ToolWindow& graph = *pieces(*form).tools.Registrationgraphwindow;
    shell.selectTab(static_cast<int>(TMainTab::tabAlign));
    const QRect area = freeArea(*form);
    graph.move(area.right() - 100, area.top() + 40);
    graph.show();
    QApplication::processEvents();
    EXPECT_TRUE(area.contains(graph.frameGeometry()));
    EXPECT_EQ(graph.frameGeometry().top(), area.top() + 40) << "it stays where it was put as far as it can";
}

// The place of a tool window that needs more room than the option column has: it reaches out of
// the column to the left; it never covers the controls it must leave in reach while there is
// another place (in the column first, over the picture last); and it always lies on the screen.
TEST(ToolWindowPlace, LargeContentsReachOutOfTheColumnAndKeptControlsStayClear) {
    const QRect screen(0, 0, 1024, 768), owner(0, 0, 1024, 768), column(700, 60, 324, 560);
    const QSize frame(0, 0);
    struct Case {
        QSize size, minimum;
        std::vector<QRect> kept;
        QRect expected;
    };
    const std::vector<Case> cases{
        // 605 wide at least: out of the column to the left, the close button on the screen.
        {{605, 300}, {605, 200}, {}, {419, 60, 605, 300}},
        // Taller than the column and than the room under its top: moved up to stay on the screen.
        {{300, 900}, {300, 740}, {}, {724, 28, 300, 740}},
        // Its toggle in the column's top part: under it, still over the column.
        {{300, 300}, {}, {{900, 300, 80, 20}}, {724, 320, 300, 300}},
        // No room in the column between its toggle and the action buttons for what its contents
        // need: beside the column.
        {{300, 500}, {300, 450}, {{900, 200, 80, 20}, {700, 620, 324, 100}}, {400, 60, 300, 500}},
        // Room for less than it asks but what its contents need: under its toggle, shortened.
        {{300, 500}, {300, 300}, {{900, 200, 80, 20}, {700, 620, 324, 100}}, {724, 220, 300, 400}},
        // A row of buttons across the whole width under the options: under that row.
        {{300, 300}, {}, {{0, 300, 1024, 20}, {380, 60, 20, 20}}, {724, 320, 300, 300}},
    };
    for (const Case& c : cases) {
        const QRect at = toolWindowPlace(screen, owner, column, c.size, frame, 0, {}, c.minimum, c.kept);
        EXPECT_EQ(at, c.expected) << c.size.width() << "x" << c.size.height();
        EXPECT_TRUE(screen.contains(at));
    }
}

}  // namespace kestrave::test
