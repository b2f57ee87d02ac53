// Waiting on the window's thread: events keep flowing, input is dropped, quitting ends the
// wait; the director's waits and the engine's frames on the window side.

#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QTimer>

#include "actor/assistant_director.h"
#include "assistant/engine_frame.h"
#include "assistant/pumping_wait.h"
#include "assistant_test_support.h"
#include "support/actor_test_file.h"
#include "support/temp_dir.h"

namespace kestrave {
namespace {

struct PumpingWait : test::QtTest {
    static void postKey(QWidget* to) {
        QCoreApplication::postEvent(to, new QKeyEvent(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, "a"));
    }
};

TEST_F(PumpingWait, TimersRunAndInputIsDroppedUntilTheConditionHolds) {
    QLineEdit edit;
    edit.show();
    bool ready = false;
    int timers = 0;
    QTimer::singleShot(0, [&] {
        ++timers;
        postKey(&edit);
        // Queued behind the key press.
        QMetaObject::invokeMethod(
            qApp, [&] { ready = true; }, Qt::QueuedConnection);
    });
    EXPECT_EQ(waitPumping([&] { return ready; }, -1), WaitResult::Signalled);
    EXPECT_EQ(timers, 1);
    EXPECT_EQ(edit.text(), "");
    // Outside a wait the same key press arrives.
    postKey(&edit);
    QCoreApplication::processEvents();
    EXPECT_EQ(edit.text(), "a");

    EXPECT_EQ(waitPumping([] { return false; }, 10), WaitResult::Timeout);
    EXPECT_EQ(waitPumping([] { return true; }, 0), WaitResult::Signalled);
}

TEST_F(PumpingWait, QuittingTheApplicationEndsTheWait) {
    WaitResult result = WaitResult::Signalled;
    QTimer::singleShot(0, [&] {
        QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
        result = waitPumping([] { return false; }, -1);
    });
    QCoreApplication::exec();
    EXPECT_EQ(result, WaitResult::Quit);
}

TEST_F(PumpingWait, TheDirectorsWaitsPumpAndTheFrameIsDrawnFromItsSnapshot) {
    test::TempDir dir;
    test::writeActorFile(dir / "m.actor", test::minimalActor());
    TAssistantDirector director;
    installPumpingWaits(director);
    director.setAutoIdle(false);
    director.actor().setActorLibrary((dir / "m.actor").string());
    director.setActive(true);
    director.engine().setSpeed(1000);

    int timers = 0;
    QTimer::singleShot(0, [&] { ++timers; });
    director.waitForRequest(director.playState(60));
    EXPECT_EQ(timers, 1);

    // The last frame shown: frame 1 of the strip 1 1 0 0 | 1 0 1 0 / 0 1 1 0 | 0 0 1 1,
    // palette 0 black and 1 white.
    const auto shown = director.engine().currentFrame();
    ASSERT_TRUE(shown);
    const QImage image = frameImage(*shown);
    EXPECT_EQ(image.format(), QImage::Format_Indexed8);
    EXPECT_EQ(image.bytesPerLine() % 4, 0);
    EXPECT_EQ(frameRegion(*shown), QRegion(0, 0, 1, 1) + QRegion(2, 0, 1, 1) + QRegion(2, 1, 2, 1));

    QImage canvas(10, 10, QImage::Format_RGB32);
    canvas.fill(qRgb(255, 0, 0));
    {
        QPainter painter(&canvas);
        Draw(director.engine(), painter, 2, 3);
    }
    const QRgb white = qRgb(255, 255, 255), black = qRgb(0, 0, 0);
    const QRgb expected[2][4] = {{white, black, white, black}, {black, black, white, white}};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x) EXPECT_EQ(canvas.pixel(2 + x, 3 + y), expected[y][x]) << x << "," << y;
    EXPECT_EQ(canvas.pixel(1, 3), qRgb(255, 0, 0));

    director.setActive(false);
    EXPECT_FALSE(director.engine().currentFrame());
    EXPECT_TRUE(frameImage(FrameSnapshot{}).isNull());
}

}  // namespace
}  // namespace kestrave
