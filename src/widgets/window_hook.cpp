#include "widgets/window_hook.h"

#include <QMetaMethod>
#include <algorithm>

namespace kestrave {

ControlHook::ControlHook(QWidget* control) : QObject(control), control_(control) {
    control->installEventFilter(this);
}

ControlHook* ControlHook::of(QWidget* control) {
    if (auto* existing = control->findChild<ControlHook*>(QString(), Qt::FindDirectChildrenOnly))
        return existing;
    return new ControlHook(control);
}

void ControlHook::attach(TRxWindowHook* hook) {
    if (std::find(hooks_.begin(), hooks_.end(), hook) == hooks_.end()) hooks_.emplace_back(hook);
}

void ControlHook::detach(TRxWindowHook* hook) {
    std::erase_if(hooks_, [hook](const QPointer<TRxWindowHook>& h) { return h.isNull() || h == hook; });
}

std::vector<QPointer<TRxWindowHook>> ControlHook::attachedNewestFirst() const {
    return {hooks_.rbegin(), hooks_.rend()};
}

bool ControlHook::eventFilter(QObject* watched, QEvent* event) {
    if (watched != control_) return false;
    // A handler may destroy a hook (or the control) while the event is dispatched.
    const QPointer<QWidget> control = control_;
    const std::vector<QPointer<TRxWindowHook>> hooks = attachedNewestFirst();
    bool handled = false;
    for (const auto& hook : hooks) {
        if (hook) emit hook->BeforeMessage(hook, event, handled);
        if (handled) break;
    }
    const bool wantsAfter =
        std::any_of(hooks.begin(), hooks.end(), [](const auto& h) { return h && h->wantsAfter(); });
    if (!wantsAfter || !control) return handled;
    // The after-handlers must run once the control has handled the event, so the control gets
    // it here, directly, and the ordinary delivery is skipped.
    if (!handled) static_cast<QObject*>(control_)->event(event);
    bool afterHandled = false;
    for (const auto& hook : hooks) {
        if (hook) emit hook->AfterMessage(hook, event, afterHandled);
        if (afterHandled) break;
    }
    return true;
}

TRxWindowHook::TRxWindowHook(QObject* owner) : QObject(owner) {}

TRxWindowHook::~TRxWindowHook() {
    detachFromControl();
}

void TRxWindowHook::setActive(bool active) {
    if (active == active_) return;
    active_ = active;
    if (active)
        attachToControl();
    else
        detachFromControl();
}

void TRxWindowHook::setWinControl(QWidget* control) {
    if (control == control_) return;
    detachFromControl();
    control_ = control;
    if (active_) attachToControl();
}

bool TRxWindowHook::wantsAfter() const {
    return isSignalConnected(QMetaMethod::fromSignal(&TRxWindowHook::AfterMessage));
}

void TRxWindowHook::attachToControl() {
    if (control_) ControlHook::of(control_)->attach(this);
}

void TRxWindowHook::detachFromControl() {
    if (!control_) return;
    if (auto* hook = control_->findChild<ControlHook*>(QString(), Qt::FindDirectChildrenOnly))
        hook->detach(this);
}

}  // namespace kestrave
