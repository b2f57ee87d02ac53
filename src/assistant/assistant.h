#pragma once
// The assistant: the component through which every user message is shown, as a speech balloon
// that points at the animated character when one is loaded and visible, and otherwise at a
// control of the window. It owns the stage window, the request director (with the engine and the
// actor) and the balloon, wires their events to its own and publishes one set of properties.
//
// The director's and engine's events arrive on their own threads; they reach the window's
// thread as queued calls, except the idle question, which needs its answer at once and is
// answered on the director's thread from a mirror of the stage's visibility.

#include <QMenu>
#include <QObject>
#include <QPointer>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>

#include "assistant/balloon_options.h"

class QWidget;

namespace kestrave {

class SoundSink;
class TAssistantBalloon;
class TAssistantDirector;
class TAssistantStage;

struct TAboutMe {};

class TAssistant : public QObject {
    Q_OBJECT
public:
    using TIdleEvent = std::function<void(int Level, bool& Handled)>;

    explicit TAssistant(QObject* parent = nullptr);
    ~TAssistant() override;

    TAboutMe About;

    // The file name of the actor library; a name of another file loads it (a name that differs
    // only in letter case may name another file on this system's file systems). Throws
    // EActorError for a missing or invalid file: no actor is loaded then and the name stays.
    QString ActorLibrary() const;
    void setActorLibrary(const QString& name);
    bool AlwaysOnTop() const;
    void setAlwaysOnTop(bool on);
    bool AutoIdle() const;
    void setAutoIdle(bool on);
    int BiDiMode() const { return 0; }
    void setBiDiMode(int) {}
    bool BlockingMove() const { return blockingMove_; }
    void setBlockingMove(bool on) { blockingMove_ = on; }
    bool Draggable() const;
    void setDraggable(bool on);
    QWidget* DockSite() const { return dockSite_; }
    void setDockSite(QWidget* site);
    bool FastShowHide() const { return fastShowHide_; }
    void setFastShowHide(bool on) { fastShowHide_ = on; }
    int StageLeft() const;
    void setStageLeft(int left);
    int StageTop() const;
    void setStageTop(int top);
    bool HintBulb() const { return hintBulb_; }
    void setHintBulb(bool on);
    // The stage's context menu, shown by a right click on the character.
    QMenu* PopupMenu() const;
    void setPopupMenu(QMenu* menu);
    int Priority() const;
    void setPriority(int priority);
    int MinIdleTime() const;
    void setMinIdleTime(int ms);
    int MaxIdleTime() const;
    void setMaxIdleTime(int ms);
    int MoveStep() const { return moveStep_; }
    void setMoveStep(int step) {
        if (step > 0) moveStep_ = step;
    }
    // Silences the character's own sounds.
    bool Mute() const;
    void setMute(bool on);
    // Where the character's sounds go; none (the default) keeps it silent. The sink must outlive
    // the assistant or be replaced first: the engine's thread plays into it.
    void setSoundSink(SoundSink* sink);
    int Speed() const;
    void setSpeed(int speed);
    TBalloonOptions& Balloon();
    TMsgDlgOptions& MsgDlg();
    TTipsDlgOptions& TipsDlg();
    TGuideDlgOptions& GuideDlg();
    THintDlgOptions& HintDlg();
    bool Visible() const { return visible_; }
    void setVisible(bool on);

    // The result of the button pressed (1 OK, 2 Cancel, 3 Abort, 4 Retry, 5 Ignore, 6 Yes, 7 No,
    // 8 All, 9 No to all, 10 Yes to all), or 0 when no balloon was shown or the set is empty.
    int MessageDlg(const QString& Msg, int DlgType, std::uint16_t Buttons, int HelpCtx);
    // `DefaultButton`: the index (0 Yes … 10 Help) of the button with the focus; 255 none.
    int MessageDlgEx(const QString& Msg, int DlgType, std::uint16_t Buttons, int HelpCtx, int DefaultButton);
    void ShowHint();
    void ShowGuide();
    // The balloon points at `Control`; null: at the character's stage.
    void AttachBalloons(QWidget* Control);
    // The stage and the balloon, when shown, back on top without activation.
    void RaiseWindows();

    // A programmed move toward MoveTarget.
    void setMoveTarget(int x, int y);
    virtual bool BeginMove();
    virtual bool StepMove(int StepX, int StepY);
    virtual void EndMove();
    virtual void StopMove();
    virtual void UpdateStage();

    TAssistantStage& stage() const { return *stage_; }
    TAssistantBalloon& balloon() const { return *balloon_; }
    TAssistantDirector& director() const { return *director_; }

    TIdleEvent OnIdle;
    // Set: the bulb is enabled and its click reported.
    std::function<void()> OnHintBulbClick;

signals:
    void OnPlayStart(std::uint32_t RequestID);
    void OnPlayStop(std::uint32_t RequestID);
    void OnDragStart();
    void OnDragging();
    void OnDragStop();
    void OnMoveStart();
    void OnMoving();
    void OnMoveStop();
    void OnClick();
    void OnDblClick();
    void OnChange();
    void OnShow();
    void OnHide();
    void OnResize();
    void OnBalloonShow();
    void OnBalloonHide();
    // The balloon is about to measure one of its labels; a handler may adjust it.
    void OnAdjustCustomLabel(QWidget* TheLabel);
    void OnTipsTipChange();
    void OnGuideRequestChange();
    void OnGuideTopicClick(int TopicID);
    void OnGuideSearchClick();
    void OnGuideOptionsClick();
    void OnHintTopicClick(int TopicID);

private:
    void showCharacter();
    void hideCharacter();
    void calmDown();
    bool attachedToStage() const;
    void suspendIfAttached();
    void resumeIfAttached();
    void showBulbIfDue();
    // False when a programmed move runs while the gate stands open: nothing may be shown.
    bool waitBeforeBalloon();
    void waitForGate();
    void wireStage();
    void wireBalloon();

    std::unique_ptr<TAssistantDirector> director_;
    std::unique_ptr<TAssistantStage> stage_;
    std::unique_ptr<TAssistantBalloon> balloon_;
    QPointer<QWidget> dockSite_;
    bool hintBulb_ = false;
    bool fastShowHide_ = false;
    bool visible_ = false;
    bool blockingMove_ = false;
    int moveStep_ = 8;
    bool showing_ = false;
    bool hiding_ = false;
    bool destroying_ = false;
    std::atomic<bool> stageVisible_{false};

    // The programmed move: the gate is open (signalled) while no move runs.
    std::mutex moveLock_;
    std::atomic<bool> moveGate_{true};
    std::atomic<int> moveCount_{0};
    int targetX_ = 0;
    int targetY_ = 0;
    bool stopMove_ = false;
};

}  // namespace kestrave
