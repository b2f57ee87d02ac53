#include "widgets/repeat_timer.h"

namespace kestrave {

QtRepeatTimer::QtRepeatTimer() {
    QObject::connect(&timer_, &QTimer::timeout, [this] {
        if (onTick) onTick();
    });
}

std::unique_ptr<RepeatTimer> makeRepeatTimer() {
    return std::make_unique<QtRepeatTimer>();
}

}  // namespace kestrave
