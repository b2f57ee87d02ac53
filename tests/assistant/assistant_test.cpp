// The assistant with no character: message balloons answered by clicks and keys (a timer acts
// once the balloon has opened, as a user would), the guide and hint balloons, the check box's
// state, the component's properties, the stage's shape and its threads' ends.

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <filesystem>
#include <functional>
#include <thread>

#include "actor/actor_errors.h"
#include "actor/assistant_director.h"
#include "actor/assistant_engine.h"
#include "assistant/assistant.h"
#include "assistant/office_button.h"
#include "assistant/speech_balloon.h"
#include "assistant/stage_window.h"
#include "assistant_test_support.h"
#include "platform/wave_sound.h"
#include "support/actor_test_file.h"
#include "support/recording_sound_sink.h"
#include "support/temp_dir.h"

namespace kestrave {
namespace {

using test::QtTest;

constexpr std::uint16_t Yes = 1, No = 2, OK = 4, Cancel = 8;

// Once `balloon` has opened, runs `act` on it (polled, so the test never waits on timing).
void whenOpen(TAssistantBalloon& balloon, std::function<void(TAssistantBalloon&)> act) {
    auto* poll = new QTimer(&balloon);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, &balloon, act] {
        if (!balloon.isVisible() || !balloon.ClientPanel->isVisible()) return;
        poll->deleteLater();
        poll->stop();
        act(balloon);
    });
    poll->start(10);
}

// Runs the window's events until `ready` holds (a generous cap keeps a broken run from hanging).
bool eventually(const std::function<bool()>& ready) {
    for (int i = 0; i < 2000 && !ready(); ++i) {
        QApplication::processEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return ready();
}

TOffice97Button* buttonCaptioned(TAssistantBalloon& balloon, const QString& caption) {
    for (TOffice97Button* button : balloon.buttons())
        if (button->Caption() == caption) return button;
    return nullptr;
}

struct AssistantTest : QtTest {
    AssistantTest() {
        window.setGeometry(100, 100, 640, 480);
        anchor = new QWidget(&window);
        anchor->setGeometry(320, 240, 2, 2);
        window.show();
        assistant.AttachBalloons(anchor);
    }
    QWidget window;
    QWidget* anchor;
    TAssistant assistant;
};

TEST_F(AssistantTest, MessageButtonsAnswerByClickEnterAndEscape) {
    struct Case {
        std::uint16_t buttons;
        int defaultButton;
        const char* focused;
        std::function<void(TAssistantBalloon&)> act;
        int expected;
    };
    const auto click = [](const char* caption) {
        return [caption](TAssistantBalloon& b) { buttonCaptioned(b, caption)->click(); };
    };
    const auto key = [](Qt::Key k) {
        return [k](TAssistantBalloon& b) { QTest::keyClick(b.focusWidget() ? b.focusWidget() : &b, k); };
    };
    const auto escape = [](TAssistantBalloon& b) { QTest::keyClick(&b, Qt::Key_Escape); };
    const Case cases[] = {
        {OK, 255, "&OK", click("&OK"), 1},           {OK, 255, "&OK", escape, 1},
        {Yes | No | Cancel, 255, "&Yes", escape, 2}, {Yes | No | Cancel, 1, "&No", key(Qt::Key_Return), 7},
        {Yes | No, 255, "&Yes", click("&No"), 7},
    };
    for (const Case& c : cases) {
        QString focused;
        whenOpen(assistant.balloon(), [&](TAssistantBalloon& b) {
            if (auto* button = qobject_cast<TOffice97Button*>(b.focusWidget())) focused = button->Caption();
            c.act(b);
        });
        EXPECT_EQ(assistant.MessageDlgEx("Proceed ?", 3, c.buttons, 0, c.defaultButton), c.expected)
            << c.focused;
        EXPECT_EQ(focused, c.focused);
        EXPECT_FALSE(assistant.balloon().isVisible());
    }

    // While the question waits the cursor is the default one; the caller's busy cursor comes
    // back afterwards, and a window the user went to meanwhile stays active.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QWidget other;
    other.show();
    bool busyWhileAsking = true;
    whenOpen(assistant.balloon(), [&](TAssistantBalloon& b) {
        busyWhileAsking = QApplication::overrideCursor();
        other.activateWindow();
        QApplication::processEvents();
        buttonCaptioned(b, "&OK")->click();
    });
    window.activateWindow();
    QApplication::processEvents();
    assistant.MessageDlg("Stacking done", 2, OK, 0);
    EXPECT_FALSE(busyWhileAsking);
    ASSERT_TRUE(QApplication::overrideCursor());
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    QApplication::restoreOverrideCursor();
    QApplication::processEvents();
    EXPECT_EQ(QApplication::activeWindow(), &other);
}

TEST_F(AssistantTest, TheBalloonPointsAtItsAnchorAndTheCheckBoxReachesTheOptions) {
    assistant.Balloon().Metrics.ArrowLength = 0;
    assistant.Balloon().Metrics.BalloonOffset = -50;
    assistant.MsgDlg().Title = "Warning";
    assistant.MsgDlg().CheckBox.Visible = true;
    assistant.MsgDlg().CheckBox.Caption = "do not repeat  ";
    QRect where;
    whenOpen(assistant.balloon(), [&](TAssistantBalloon& b) {
        where = b.geometry();
        EXPECT_EQ(b.Title->text(), "Warning");
        EXPECT_TRUE(b.CheckBox->isVisible());
        b.CheckBox->click();
        buttonCaptioned(b, "&OK")->click();
    });
    EXPECT_EQ(assistant.MessageDlg("Mind the gap", 0, OK, 0), 1);
    EXPECT_TRUE(assistant.MsgDlg().CheckBox.Checked());
    const QRect target(anchor->mapToGlobal(QPoint(0, 0)), anchor->size());
    EXPECT_TRUE(where.intersects(target.adjusted(0, -40, 0, 0))) << where.x() << "," << where.y();
    EXPECT_EQ(assistant.balloon().placement(), 1);
}

TEST_F(AssistantTest, AnEmptyButtonSetShowsWithoutWaiting) {
    EXPECT_EQ(assistant.MessageDlg("Working...", 2, 0, 0), 0);
    EXPECT_TRUE(assistant.balloon().shown());
    EXPECT_FALSE(assistant.balloon().modal());
    assistant.balloon().Close();
}

TEST_F(AssistantTest, AMessageOnASuspendedBalloonWaitsForItsAnswer) {
    assistant.AttachBalloons(nullptr);
    EXPECT_EQ(assistant.MessageDlg("Working...", 2, 0, 0), 0);
    assistant.balloon().suspend();  // as while the character is dragged
    bool opened = false;
    whenOpen(assistant.balloon(), [&](TAssistantBalloon& b) {
        opened = true;
        buttonCaptioned(b, "&No")->click();
    });
    EXPECT_EQ(assistant.MessageDlg("Save before quitting ?", 3, Yes | No, 0), 7);
    EXPECT_TRUE(opened);
}

TEST_F(AssistantTest, AMessageDuringAWaitingOneEndsTheFirstWithCancel) {
    int inner = -1;
    whenOpen(assistant.balloon(), [&](TAssistantBalloon&) {
        whenOpen(assistant.balloon(), [](TAssistantBalloon& b) { buttonCaptioned(b, "&OK")->click(); });
        inner = assistant.MessageDlg("A new version is available", 2, OK, 0);
    });
    EXPECT_EQ(assistant.MessageDlg("Save before quitting ?", 3, Yes | No, 0), 2);
    EXPECT_EQ(inner, 1);
    EXPECT_FALSE(assistant.balloon().shown());
    EXPECT_FALSE(assistant.balloon().modal());

    // The application quitting while a question waits ends it with Cancel too.
    int quitting = -1;
    QTimer::singleShot(0, [&] {
        whenOpen(assistant.balloon(), [](TAssistantBalloon&) { QCoreApplication::exit(0); });
        quitting = assistant.MessageDlg("Save before quitting ?", 3, Yes | No, 0);
    });
    QCoreApplication::exec();
    EXPECT_EQ(quitting, 2);
}

TEST_F(AssistantTest, PropertiesKeepTheirValuesWhereZeroIsIgnored) {
    assistant.setSpeed(150);
    assistant.setSpeed(0);
    assistant.setMoveStep(12);
    assistant.setMoveStep(0);
    assistant.setBiDiMode(1);
    EXPECT_EQ(assistant.Speed(), 150);
    EXPECT_EQ(assistant.MoveStep(), 12);
    EXPECT_EQ(assistant.BiDiMode(), 0);
    EXPECT_TRUE(assistant.AlwaysOnTop());
    EXPECT_TRUE(assistant.AutoIdle());
    EXPECT_EQ(assistant.MinIdleTime(), 1000);
    EXPECT_EQ(assistant.MaxIdleTime(), 8000);
    EXPECT_EQ(assistant.Balloon().Metrics, TBalloonMetrics{});
}

TEST_F(AssistantTest, AMissingActorLeavesTheBalloonAnswering) {
    assistant.AttachBalloons(nullptr);
    // A balloon up at the stage steps aside while the library changes and must come back.
    EXPECT_EQ(assistant.MessageDlg("Working...", 2, 0, 0), 0);
    int changes = 0;
    QObject::connect(&assistant, &TAssistant::OnChange, [&] { ++changes; });
    EXPECT_THROW(assistant.setActorLibrary("/nonexistent/merlin.acs"), EActorError);
    EXPECT_EQ(changes, 0);
    EXPECT_FALSE(assistant.balloon().suspended());
    EXPECT_TRUE(assistant.balloon().isVisible());
    EXPECT_NO_THROW(assistant.setActorLibrary("/NONEXISTENT/MERLIN.ACS"));  // the same name
    bool centred = false;
    whenOpen(assistant.balloon(), [&](TAssistantBalloon& b) {
        centred = b.placement() == 0;
        buttonCaptioned(b, "&OK")->click();
    });
    EXPECT_EQ(assistant.MessageDlg("Still here", 2, OK, 0), 1);
    EXPECT_TRUE(centred);
}

TEST_F(AssistantTest, GuideTopicsClickThroughToTheirEvent) {
    TGuideDlgOptions& guide = assistant.GuideDlg();
    guide.Topics.AddTopic("Heading", tfPlain | tfBold);
    guide.Topics.AddTopicWithID("First", tfHoverBold, 7);
    guide.Topics.AddTopic("Second", 0);
    QFont hover = assistant.Balloon().Font;
    hover.setPointSize(hover.pointSize() + 3);
    assistant.Balloon().HoverFont = hover;
    std::vector<int> clicked;
    QObject::connect(&assistant, &TAssistant::OnGuideTopicClick, [&](int id) { clicked.push_back(id); });
    assistant.ShowGuide();
    TAssistantBalloon& balloon = assistant.balloon();
    ASSERT_EQ(balloon.kind(), BalloonKind::Guide);
    ASSERT_EQ(balloon.topicButtons().size(), 3u);
    TOffice97Button* heading = balloon.topicButtons()[0];
    EXPECT_TRUE(heading->font().bold());
    EXPECT_EQ(heading->focusPolicy(), Qt::NoFocus);
    EXPECT_NE(heading->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(balloon.topicButtons()[1]->cursor().shape(), Qt::PointingHandCursor);
    // Under the mouse: the balloon's hover font with the topic's hover style.
    EXPECT_EQ(balloon.topicButtons()[1]->HoverFont().pointSize(), hover.pointSize());
    EXPECT_TRUE(balloon.topicButtons()[1]->HoverFont().bold());
    // Options and Search stay disabled while nobody listens to them.
    EXPECT_FALSE(buttonCaptioned(balloon, "&Options")->isEnabled());
    balloon.topicButtons()[1]->click();
    balloon.topicButtons()[2]->click();
    EXPECT_EQ(clicked, (std::vector<int>{7, 2}));  // the identifier, else the line
    balloon.Close();
}

TEST_F(AssistantTest, GuideTopicsAreBulletsUnlessTheyAreARequestsResult) {
    struct Case {
        bool guide, acceptRequest, requestResult;
        TOffice97Button::TOffBtnType expected;
    };
    const Case cases[] = {
        {true, true, false, TOffice97Button::bsHintButton},  // the window's guide: a request box, bullets
        {true, false, true, TOffice97Button::bsRadioButton},
        {false, false, false, TOffice97Button::bsRadioButton},  // hints are always choices
    };
    assistant.GuideDlg().Topics.AddTopicWithID("1. Set an alignment area", tfHoverBold, 1);
    assistant.HintDlg().Topics.AddTopic("Start moving your mouse over the image", 0);
    for (const Case& c : cases) {
        assistant.GuideDlg().AcceptRequest = c.acceptRequest;
        assistant.GuideDlg().RequestResult = c.requestResult;
        c.guide ? assistant.ShowGuide() : assistant.ShowHint();
        ASSERT_EQ(assistant.balloon().topicButtons().size(), 1u);
        EXPECT_EQ(assistant.balloon().topicButtons()[0]->ControlType(), c.expected)
            << c.guide << c.requestResult;
        assistant.balloon().Close();
    }
}

TEST_F(AssistantTest, GuideAndTipsOpenOnlyWithSomethingToShow) {
    TAssistantBalloon& balloon = assistant.balloon();
    assistant.GuideDlg().VisibleButtons = 0;
    assistant.GuideDlg().AcceptRequest = false;
    assistant.TipsDlg().VisibleButtons = 0;
    const std::function<void()> show[] = {[&] { assistant.ShowGuide(); }, [&] { balloon.ShowTips(); }};
    for (const auto& open : show) {
        open();
        EXPECT_FALSE(balloon.shown());
    }
    assistant.GuideDlg().Topics.AddTopic("Step by step guide:", tfPlain | tfBold);
    assistant.TipsDlg().setTips({"Right-click a knot to delete it"});
    for (const auto& open : show) {
        open();
        EXPECT_TRUE(balloon.shown());
        EXPECT_GT(balloon.ClientPanel->height(), 2 * 7);
        balloon.Close();
    }
}

TEST_F(AssistantTest, ABalloonOnTheScreenFollowsItsOptionsButNotItsOwnInput) {
    TAssistantBalloon& balloon = assistant.balloon();
    QStringList measured;
    QObject::connect(&assistant, &TAssistant::OnAdjustCustomLabel,
                     [&](QWidget* label) { measured << label->objectName(); });
    TGuideDlgOptions& guide = assistant.GuideDlg();
    guide.Title = "Hints after startup";
    guide.Topics.AddTopicWithID("1. Set an alignment area", tfHoverBold, 1);
    assistant.ShowGuide();
    EXPECT_EQ(measured, QStringList{"Title"});
    const int before = balloon.ClientPanel->height();

    // The user typing in the request box is no change to lay out.
    measured.clear();
    QTest::keyClicks(balloon.InputBox, "align");
    QApplication::processEvents();
    EXPECT_EQ(guide.Request.get(), "align");
    EXPECT_TRUE(measured.isEmpty());

    // The caller's changes are: one layout after a burst of them.
    guide.Description = "What would you like to do ?";
    guide.Topics.AddTopicWithID("2. Start alignment", tfHoverBold, 2);
    guide.Topics.AddTopicWithID("3. Limit number of frames ", tfHoverBold, 3);
    EXPECT_EQ(balloon.topicButtons().size(), 1u);
    QApplication::processEvents();
    EXPECT_EQ(measured, (QStringList{"Title", "Msg"}));
    EXPECT_EQ(balloon.topicButtons().size(), 3u);
    EXPECT_EQ(balloon.Msg->text(), "What would you like to do ?");
    EXPECT_GT(balloon.ClientPanel->height(), before);
    EXPECT_EQ(balloon.height(), balloon.ClientPanel->height() + 17) << "the window is the body and the tail";
    EXPECT_EQ(balloon.InputBox->text(), "align");

    // A message's options reach the message on the screen; a hidden balloon lays nothing out.
    EXPECT_EQ(assistant.MessageDlg("Working...", 2, 0, 0), 0);
    assistant.MsgDlg().CheckBox.Caption = "Do not repeat this message  ";
    assistant.MsgDlg().CheckBox.Visible = true;
    QApplication::processEvents();
    EXPECT_FALSE(balloon.CheckBox->isHidden());
    EXPECT_EQ(balloon.CheckBox->text(), "Do not repeat this message  ");
    balloon.Close();
    measured.clear();
    assistant.Balloon().Metrics.ControlSpacing = 9;
    QApplication::processEvents();
    EXPECT_TRUE(measured.isEmpty());
}

TEST_F(AssistantTest, AnAdjustedLabelIsMeasuredAsAdjusted) {
    TAssistantBalloon& balloon = assistant.balloon();
    const auto textHeight = [&] {
        EXPECT_EQ(assistant.MessageDlg("Mind the gap", 2, 0, 0), 0);
        const int height = balloon.Msg->height();
        balloon.Close();
        return height;
    };
    const int plain = textHeight();
    QObject::connect(&assistant, &TAssistant::OnAdjustCustomLabel, [](QWidget* label) {
        QFont font = label->font();
        font.setPixelSize(60);
        label->setFont(font);
    });
    EXPECT_GE(textHeight(), 60);
    EXPECT_LT(plain, 60);
}

TEST_F(AssistantTest, TheAutoCloseTimerClosesOnlyTheBalloonItWasStartedFor) {
    TAssistantBalloon& balloon = assistant.balloon();
    balloon.setAutoCloseTime(40);
    EXPECT_EQ(assistant.MessageDlg("Working...", 2, 0, 0), 0);
    ASSERT_TRUE(eventually([&] { return balloon.ClientPanel->isVisible(); }));
    EXPECT_TRUE(eventually([&] { return !balloon.shown(); }));

    // Closed early, its timer goes with it: the next balloon stays.
    balloon.setAutoCloseTime(100);
    EXPECT_EQ(assistant.MessageDlg("Working...", 2, 0, 0), 0);
    ASSERT_TRUE(eventually([&] { return balloon.ClientPanel->isVisible(); }));
    balloon.Close();
    balloon.setAutoCloseTime(0);
    EXPECT_EQ(assistant.MessageDlg("Still working...", 2, 0, 0), 0);
    QTest::qWait(250);
    EXPECT_TRUE(balloon.shown());
    balloon.Close();
}

TEST_F(AssistantTest, ManyTopicsPageForwardAndBack) {
    for (int i = 0; i < 30; ++i)
        assistant.HintDlg().Topics.AddTopic(QString("Topic line %1").arg(i), tfPlain);
    assistant.ShowHint();
    TAssistantBalloon& balloon = assistant.balloon();
    TOffice97Button* more = buttonCaptioned(balloon, "See more...");
    ASSERT_NE(more, nullptr);
    EXPECT_FALSE(buttonCaptioned(balloon, "See previous...")->isEnabled());
    int pages = 1;
    while (buttonCaptioned(balloon, "See more...")->isEnabled() && pages < 40) {
        buttonCaptioned(balloon, "See more...")->click();
        ++pages;
    }
    EXPECT_GT(pages, 1);
    EXPECT_LT(pages, 40);
    EXPECT_TRUE(buttonCaptioned(balloon, "See previous...")->isEnabled());
    balloon.Close();
}

TEST_F(AssistantTest, TipsStepThroughTheList) {
    assistant.TipsDlg().setTips({"one", "two", "three"});
    assistant.TipsDlg().setTipIndex(100);
    assistant.balloon().ShowTips();
    TAssistantBalloon& balloon = assistant.balloon();
    EXPECT_TRUE(balloon.Msg->text().endsWith("three"));
    // The bulb at the top left, the tip's first line indented past it and half a spacing.
    EXPECT_TRUE(balloon.Icon->isVisibleTo(balloon.ClientPanel));
    const int blank = QFontMetrics(balloon.Msg->font()).horizontalAdvance(' ');
    const int blanks = int(balloon.Msg->text().indexOf("three"));
    EXPECT_GE(blanks * blank, 32 + 3);
    EXPECT_LT((blanks - 1) * blank, 32 + 3);
    EXPECT_FALSE(buttonCaptioned(balloon, "&Next")->isEnabled());
    buttonCaptioned(balloon, "&Back")->click();
    EXPECT_EQ(assistant.TipsDlg().TipIndex(), 1);
    EXPECT_TRUE(assistant.balloon().Msg->text().endsWith("two"));
    buttonCaptioned(assistant.balloon(), "Close")->click();
    EXPECT_FALSE(assistant.balloon().shown());
}

TEST_F(AssistantTest, AnActorShowsOnTheStageInTheShapeOfItsFrame) {
    test::TempDir dir;
    const std::filesystem::path file = dir.path() / "m.actor";
    test::TestActor actor = test::minimalActor();
    actor.animations[0].strip = {0, 1, 1, 0, 1, 1, 1, 1, 0, 1, 1, 0, 1, 1, 1, 1};  // corners transparent
    test::writeActorFile(file, actor);
    int changes = 0;
    QObject::connect(&assistant, &TAssistant::OnChange, [&] { ++changes; });
    TAssistantStage& stage = assistant.stage();

    assistant.setVisible(true);  // only a wish while no actor is loaded
    EXPECT_FALSE(stage.Shown());
    assistant.setActorLibrary(QString::fromStdString(file.string()));
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(stage.size(), QSize(4, 2));
    EXPECT_TRUE(stage.Shown());
    ASSERT_TRUE(eventually([&] { return !stage.shape().isEmpty(); }));
    EXPECT_TRUE(stage.shape().xored(QRegion(1, 0, 2, 2)).isEmpty());

    // The same file under a name in other letters (a link here) is the library already loaded;
    // another file whose name differs only in case is another library.
    std::filesystem::create_symlink(file.filename(), dir.path() / "M.ACTOR");
    assistant.setActorLibrary(QString::fromStdString((dir.path() / "M.ACTOR").string()));
    EXPECT_EQ(changes, 1) << "the same library in other letters";
    test::writeActorFile(dir.path() / "M.actor", actor);
    assistant.setActorLibrary(QString::fromStdString((dir.path() / "M.actor").string()));
    EXPECT_EQ(changes, 2) << "another file";
    assistant.setActorLibrary({});
    EXPECT_FALSE(stage.Shown());
    EXPECT_TRUE(assistant.Visible()) << "the wish stays for the next library";
}

TEST_F(AssistantTest, AProgrammedMoveStepsToItsTargetWithoutOvershooting) {
    TAssistantStage& stage = assistant.stage();
    assistant.setMoveTarget(50, 10);
    EXPECT_FALSE(assistant.BeginMove()) << "a hidden character is placed at once";
    EXPECT_EQ(stage.pos(), QPoint(50, 10));
    EXPECT_FALSE(assistant.StepMove(8, 8)) << "at the target nothing moves";

    const QPoint targets[] = {{150, 30}, {20, -80}, {50, 10}, {-40, 10}};
    for (const QPoint target : targets) {
        const QPoint start = stage.pos();
        const int longer = std::max(std::abs(target.x() - start.x()), std::abs(target.y() - start.y()));
        assistant.setMoveTarget(target.x(), target.y());
        int steps = 0;
        for (QPoint before = stage.pos(); assistant.StepMove(8, 8) && steps < 100; before = stage.pos()) {
            ++steps;
            const QPoint step = stage.pos() - before;
            EXPECT_LE(std::max(std::abs(step.x()), std::abs(step.y())), 8);
        }
        EXPECT_EQ(stage.pos(), target);
        EXPECT_LE(steps, (longer + 7) / 8 + 1);
    }
}

TEST_F(AssistantTest, AProgrammedMoveSetsOffInItsMoveAnimation) {
    test::TempDir dir;
    test::TestActor actor = test::minimalActor();
    test::TestAnimation walk;
    walk.name = "Walk";
    walk.states = {46, 47, 48, 49, 50, 51, 52, 53};  // every direction of the move kind
    for (test::TestFrame& frame : walk.frames) frame.duration = 255;
    actor.animations.push_back(walk);
    test::writeActorFile(dir.path() / "w.actor", actor);
    assistant.setFastShowHide(true);
    assistant.setVisible(true);
    assistant.setActorLibrary(QString::fromStdString((dir.path() / "w.actor").string()));
    TAssistantStage& stage = assistant.stage();
    ASSERT_TRUE(stage.Shown());

    assistant.setMoveTarget(stage.x() + 100, stage.y());
    ASSERT_TRUE(assistant.BeginMove());
    const TAssistantEngine& engine = assistant.director().engine();
    EXPECT_EQ(engine.currentAnimation(), 2) << "the walk plays while the director is held";
    EXPECT_FALSE(engine.isStopped());
    EXPECT_FALSE(stage.isEnabled());
    while (assistant.StepMove(8, 8)) {
    }
    assistant.EndMove();
    EXPECT_TRUE(stage.isEnabled());
}

TEST_F(AssistantTest, FrameSoundsReachTheSinkUnlessMuted) {
    test::TempDir dir;
    test::TestActor actor = test::minimalActor();
    const std::int16_t samples[] = {0, 4000, -4000, 0};
    const std::vector<std::uint8_t> chirp = makeWave(samples, 8000);
    actor.sounds.push_back({9, chirp});
    actor.animations[0].frames[1].sound = 9;
    test::writeActorFile(dir.path() / "s.actor", actor);
    test::RecordingSoundSink sink;
    assistant.setSoundSink(&sink);
    assistant.setSpeed(1000);
    assistant.setFastShowHide(true);
    assistant.setVisible(true);
    assistant.setActorLibrary(QString::fromStdString((dir.path() / "s.actor").string()));
    ASSERT_TRUE(assistant.stage().Shown());
    TAssistantDirector& director = assistant.director();
    const auto playRest = [&] {
        director.waitForRequest(director.playAnimation(1));
        return sink.sounds.values().size();
    };

    ASSERT_TRUE(eventually([&] { return !sink.sounds.values().empty(); })) << "the rest pose sounds";
    EXPECT_EQ(sink.sounds.values().front(), chirp) << "the library's own sound";
    const std::size_t heard = playRest();
    EXPECT_GT(heard, 1u);
    assistant.setMute(true);
    EXPECT_EQ(playRest(), heard) << "muted";
    assistant.setMute(false);
    EXPECT_GT(playRest(), heard);
    assistant.setVisible(false);
    assistant.setSoundSink(nullptr);
}

TEST_F(AssistantTest, ARightClickOnTheStageShowsItsMenuExceptDuringAMessage) {
    test::TempDir dir;
    test::writeActorFile(dir.path() / "m.actor", test::minimalActor());
    assistant.setFastShowHide(true);
    assistant.setVisible(true);
    assistant.setActorLibrary(QString::fromStdString((dir.path() / "m.actor").string()));
    TAssistantStage& stage = assistant.stage();
    ASSERT_TRUE(stage.isVisible());
    const auto rightClick = [&stage] {
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(1, 1), stage.mapToGlobal(QPoint(1, 1)));
        QApplication::sendEvent(&stage, &event);
    };
    rightClick();  // no menu: nothing happens

    QMenu menu;
    menu.addAction("Hide the character");
    assistant.setPopupMenu(&menu);
    EXPECT_EQ(stage.PopupMenu(), &menu);
    rightClick();
    EXPECT_TRUE(menu.isVisible());
    EXPECT_LT((menu.geometry().topLeft() - stage.mapToGlobal(QPoint(1, 1))).manhattanLength(), 2);
    menu.hide();

    // While a message waits for its answer the stage has no menu; it comes back afterwards.
    bool menuDuringMessage = true;
    whenOpen(assistant.balloon(), [&](TAssistantBalloon& balloon) {
        rightClick();
        menuDuringMessage = menu.isVisible() || assistant.PopupMenu() != nullptr;
        buttonCaptioned(balloon, "&OK")->click();
    });
    EXPECT_EQ(assistant.MessageDlg("Stacking done", 2, OK, 0), 1);
    EXPECT_FALSE(menuDuringMessage);
    EXPECT_EQ(assistant.PopupMenu(), &menu);
    assistant.setVisible(false);
}

// A press on the stage that hands the window to the platform's move loop.
void pressStage(TAssistantStage& stage) {
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(1, 1), QPointF(1, 1), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(&stage, &press);
}

TEST_F(AssistantTest, ADragByThePlatformEndsWhenThePointerIsHeardAgain) {
    TAssistantStage& stage = assistant.stage();
    stage.setParentWindow(&window);  // a press on a child stage is never a call to the front
    stage.setSystemMove([] { return true; });
    assistant.AttachBalloons(nullptr);
    EXPECT_EQ(assistant.MessageDlg("Working...", 2, 0, 0), 0);
    int stops = 0;
    QObject::connect(&assistant, &TAssistant::OnDragStop, [&] { ++stops; });

    const QMouseEvent::Type moveType = QEvent::MouseMove;
    const std::function<void()> endings[] = {
        [&] {
            QMouseEvent release(QEvent::MouseButtonRelease, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton,
                                Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(&window, &release);
        },
        [&] {
            QMouseEvent hover(moveType, QPointF(5, 5), QPointF(5, 5), Qt::NoButton, Qt::NoButton,
                              Qt::NoModifier);
            QApplication::sendEvent(&window, &hover);
        },
        [&] {
            // The platform gives the pointer back to the window it moved.
            QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
            QApplication::sendEvent(&stage, &enter);
        },
    };
    for (const auto& end : endings) {
        pressStage(stage);
        EXPECT_TRUE(stage.Dragging());
        EXPECT_EQ(stops, 0) << "the platform's move has only begun";
        EXPECT_FALSE(assistant.balloon().isVisible());
        QMouseEvent held(moveType, QPointF(5, 5), QPointF(5, 5), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QApplication::sendEvent(&window, &held);
        EXPECT_TRUE(stage.Dragging());
        end();
        EXPECT_FALSE(stage.Dragging());
        EXPECT_EQ(stops, 1);
        EXPECT_TRUE(assistant.balloon().isVisible()) << "the balloon comes back at the new place";
        stops = 0;
    }

    // A top-level stage while another program is in front: the press calls the window forward
    // and goes no further, unless the window is minimised.
    stage.setParentWindow(nullptr);
    stage.setApplicationActive(false);
    pressStage(stage);
    EXPECT_FALSE(stage.Dragging());
    window.showMinimized();
    pressStage(stage);
    EXPECT_TRUE(stage.Dragging());
}

TEST(AssistantStage, ShapeFollowsTheBulbAndShowsFromAnotherThread) {
    test::app();
    TAssistant assistant;
    TAssistantStage& stage = assistant.stage();
    stage.resize(100, 80);
    EXPECT_TRUE(stage.shape().isEmpty());
    stage.setBulbVisible(true);
    EXPECT_EQ(stage.bulb()->x(), 100 - stage.bulb()->width());
    EXPECT_TRUE(stage.shape().contains(QPoint(100 - stage.bulb()->width() / 2, 6)));
    stage.setBulbVisible(false);
    EXPECT_TRUE(stage.shape().isEmpty());
    std::thread([&stage] { stage.setShown(true); }).join();
    QApplication::processEvents();
    EXPECT_TRUE(stage.isVisible());
    stage.setShown(false);
    EXPECT_FALSE(stage.isVisible());
}

TEST(AssistantLife, ConstructionAndDestructionJoinTheThreads) {
    test::app();
    for (int i = 0; i < 5; ++i) {
        TAssistant assistant;
        EXPECT_FALSE(assistant.director().Active());
    }
}

}  // namespace
}  // namespace kestrave
