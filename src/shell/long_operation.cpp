#include "shell/long_operation.h"

namespace kestrave {

LongOperations::Pump::Pump(LongOperations& operations, PumpKind kind) : operations_(operations) {
    operations_.pumps_.push_back(kind);
}

LongOperations::Pump::~Pump() {
    operations_.pumps_.pop_back();
}

bool LongOperations::mayStart() const {
    if (closing_) return false;
    if (starts_.empty()) return true;
    // No event was let through since the innermost operation started: code called us directly.
    if (pumps_.size() == starts_.back()) return true;
    // Otherwise an event handler runs inside that operation's pump: a click during the loop is
    // refused, one during Create's wait for "Continue" is not.
    return pumps_.back() == PumpKind::Wait;
}

LongOperation::LongOperation(LongOperations& operations) : operations_(operations) {
    started_ = operations_.mayStart();
    if (started_) operations_.starts_.push_back(operations_.pumps_.size());
}

LongOperation::~LongOperation() {
    if (!started_) return;
    operations_.starts_.pop_back();
    if (operations_.starts_.empty() && operations_.onIdle) operations_.onIdle();
    if (operations_.starts_.empty() && operations_.closing_ && operations_.onIdleWhileClosing) {
        operations_.onIdleWhileClosing();
    }
}

}  // namespace kestrave
