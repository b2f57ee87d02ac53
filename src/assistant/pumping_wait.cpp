#include "assistant/pumping_wait.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

#include "actor/assistant_director.h"

namespace kestrave {
namespace {

constexpr int kPollMs = 5;

// Swallows keyboard and mouse input for as long as it lives.
class InputSwallower final : public QObject {
public:
    InputSwallower() { QCoreApplication::instance()->installEventFilter(this); }
    ~InputSwallower() override { QCoreApplication::instance()->removeEventFilter(this); }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        switch (event->type()) {
            case QEvent::KeyPress:
            case QEvent::KeyRelease:
            case QEvent::ShortcutOverride:
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonRelease:
            case QEvent::MouseButtonDblClick:
            case QEvent::MouseMove:
            case QEvent::Wheel:
                return true;
            default:
                return false;
        }
    }
};

bool onWindowThread() {
    const QCoreApplication* app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

}  // namespace

WaitResult waitPumping(const std::function<bool()>& ready, int timeoutMs) {
    if (ready()) return WaitResult::Signalled;
    QEventLoop loop;
    // Stays Quit when the loop ends without either timer: the application is quitting.
    WaitResult result = WaitResult::Quit;
    QTimer poll;
    poll.setInterval(kPollMs);
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (!ready()) return;
        result = WaitResult::Signalled;
        loop.quit();
    });
    QTimer limit;
    limit.setSingleShot(true);
    QObject::connect(&limit, &QTimer::timeout, &loop, [&] {
        result = WaitResult::Timeout;
        loop.quit();
    });
    QObject::connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, &loop, [&] {
        result = WaitResult::Quit;
        loop.quit();
    });
    const InputSwallower swallower;
    poll.start();
    if (timeoutMs >= 0) limit.start(timeoutMs);
    loop.exec();
    return result;
}

void installPumpingWaits(TAssistantDirector& director) {
    director.setCallerWait([](const std::function<bool()>& ready) {
        if (!onWindowThread()) return false;
        waitPumping(ready, -1);
        return true;
    });
}

}  // namespace kestrave
