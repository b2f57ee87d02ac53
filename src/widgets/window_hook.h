#pragma once
// A non-visual component that watches the events of a control: `BeforeMessage` sees each event
// before the control handles it and may mark it handled (the control then never sees it);
// `AfterMessage` sees it once the control has handled it. Several hooks may watch one control;
// their handlers run from the most recently attached to the first, stopping at the first that
// marks the event handled.

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <vector>

namespace kestrave {

class TRxWindowHook;

// The one event filter of a watched control, shared by all hooks on it; a child of the control,
// so that it lives exactly as long as the control (and keeps its hooks whatever happens to the
// control's native window).
class ControlHook : public QObject {
    Q_OBJECT
public:
    // The control's hook, made on first use.
    static ControlHook* of(QWidget* control);
    void attach(TRxWindowHook* hook);
    void detach(TRxWindowHook* hook);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit ControlHook(QWidget* control);
    std::vector<QPointer<TRxWindowHook>> attachedNewestFirst() const;

    QWidget* control_;
    std::vector<QPointer<TRxWindowHook>> hooks_;  // in the order attached
};

class TRxWindowHook : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool Active READ Active WRITE setActive)

public:
    explicit TRxWindowHook(QObject* owner = nullptr);
    ~TRxWindowHook() override;

    bool Active() const { return active_; }
    void setActive(bool active);
    // The watched control; none once the control is destroyed.
    QWidget* WinControl() const { return control_; }
    void setWinControl(QWidget* control);

signals:
    void BeforeMessage(QObject* Sender, QEvent* Msg, bool& Handled);
    void AfterMessage(QObject* Sender, QEvent* Msg, bool& Handled);

private:
    friend class ControlHook;
    bool wantsAfter() const;
    void attachToControl();
    void detachFromControl();

    bool active_ = true;
    QPointer<QWidget> control_;
};

}  // namespace kestrave
