#include "assistant/assistant.h"

#include <QMenu>
#include <QMetaMethod>
#include <QWidget>
#include <cstdlib>

#include "actor/assistant_director.h"
#include "assistant/pumping_wait.h"
#include "assistant/speech_balloon.h"
#include "assistant/stage_window.h"

namespace kestrave {

TAssistant::TAssistant(QObject* parent) : QObject(parent), director_(std::make_unique<TAssistantDirector>()) {
    setObjectName("Assistant");
    installPumpingWaits(*director_);
    // The engine's and director's events arrive on their threads.
    director_->engine().setOnFrame([this] {
        if (director_->Active())
            QMetaObject::invokeMethod(
                stage_.get(), [this] { stage_->UpdateShape(); }, Qt::QueuedConnection);
    });
    director_->setOnPlayStart([this](std::uint32_t id) {
        QMetaObject::invokeMethod(
            this, [this, id] { emit OnPlayStart(id); }, Qt::QueuedConnection);
    });
    director_->setOnPlayStop([this](std::uint32_t id) {
        QMetaObject::invokeMethod(
            this,
            [this, id] {
                if (!destroying_) emit OnPlayStop(id);
            },
            Qt::QueuedConnection);
    });
    director_->setOnIdle([this](int& level, bool& handled) {
        // A hidden character plays no idle animation.
        if (!stageVisible_) {
            handled = true;
            return;
        }
        if (OnIdle) OnIdle(level, handled);
    });
    stage_ = std::make_unique<TAssistantStage>(*director_);
    stage_->setGeometry(0, 0, 0, 0);
    stage_->setDraggable(true);
    wireStage();
    balloon_ = std::make_unique<TAssistantBalloon>();
    balloon_->attach(stage_.get());
    wireBalloon();
}

TAssistant::~TAssistant() {
    destroying_ = true;
    StopMove();
    // The threads end before the windows that show their work go; the director is freed once.
    director_->shutdown();
    balloon_.reset();
    stage_.reset();
    director_.reset();
}

void TAssistant::wireStage() {
    TAssistantStage& stage = *stage_;
    connect(&stage, &TAssistantStage::OnShow, this, [this] {
        stageVisible_ = true;
        emit OnShow();
        if (balloon_->shown() && attachedToStage()) balloon_->reposition();
    });
    connect(&stage, &TAssistantStage::OnHide, this, [this] {
        stageVisible_ = false;
        if (destroying_) return;
        if (balloon_->shown() && attachedToStage()) {
            if (balloon_->modal())
                balloon_->reposition();
            else
                balloon_->Close();
        }
        emit OnHide();
    });
    connect(&stage, &TAssistantStage::OnClick, this, [this] {
        calmDown();
        if (!balloon_->modal() && !hiding_) emit OnClick();
    });
    connect(&stage, &TAssistantStage::OnDblClick, this, [this] {
        calmDown();
        if (!balloon_->modal() && !hiding_) emit OnDblClick();
    });
    connect(&stage, &TAssistantStage::OnDragStart, this, [this] {
        calmDown();
        suspendIfAttached();
        emit OnDragStart();
    });
    connect(&stage, &TAssistantStage::OnDragging, this, [this] { emit OnDragging(); });
    connect(&stage, &TAssistantStage::OnDragStop, this, [this] {
        if (destroying_) return;
        calmDown();
        resumeIfAttached();
        emit OnDragStop();
    });
    connect(&stage, &TAssistantStage::OnResize, this, [this] {
        if (!director_->actor().isEmpty()) emit OnResize();
    });
    connect(stage.bulb(), &THintBulb::OnClick, this, [this] {
        calmDown();
        if (OnHintBulbClick) OnHintBulbClick();
    });
}

void TAssistant::wireBalloon() {
    TAssistantBalloon& balloon = *balloon_;
    connect(&balloon, &TAssistantBalloon::OnShow, this, [this] {
        calmDown();
        if (balloon_->kind() == BalloonKind::Tips || balloon_->kind() == BalloonKind::Hint)
            stage_->setBulbVisible(false);
        if (balloon_->modal()) stage_->setEnabled(false);
        emit OnBalloonShow();
    });
    connect(&balloon, &TAssistantBalloon::OnHide, this, [this] {
        calmDown();
        stage_->setEnabled(true);
        stage_->bulb()->setEnabled(bool(OnHintBulbClick));
        showBulbIfDue();
        if (!destroying_) emit OnBalloonHide();
    });
    connect(&balloon, &TAssistantBalloon::OnAdjustCustomLabel, this, &TAssistant::OnAdjustCustomLabel);
    const auto relay = [this](auto signal, auto target) {
        connect(balloon_.get(), signal, this, [this, target](auto... args) {
            calmDown();
            emit(this->*target)(args...);
        });
    };
    relay(&TAssistantBalloon::OnTipChange, &TAssistant::OnTipsTipChange);
    relay(&TAssistantBalloon::OnGuideRequestChange, &TAssistant::OnGuideRequestChange);
    relay(&TAssistantBalloon::OnGuideTopicClick, &TAssistant::OnGuideTopicClick);
    relay(&TAssistantBalloon::OnGuideSearchClick, &TAssistant::OnGuideSearchClick);
    relay(&TAssistantBalloon::OnGuideOptionsClick, &TAssistant::OnGuideOptionsClick);
    relay(&TAssistantBalloon::OnHintTopicClick, &TAssistant::OnHintTopicClick);
    balloon.OnGuideGetBtnStates = [this](bool& options, bool& search) {
        options = isSignalConnected(QMetaMethod::fromSignal(&TAssistant::OnGuideOptionsClick));
        search = isSignalConnected(QMetaMethod::fromSignal(&TAssistant::OnGuideSearchClick));
    };
}

void TAssistant::calmDown() {
    if (director_->Active()) director_->setIdleLevel(kStateIdle1);
}

bool TAssistant::attachedToStage() const {
    return balloon_->anchor() == stage_.get();
}

void TAssistant::suspendIfAttached() {
    if (attachedToStage()) balloon_->suspend();
}

void TAssistant::resumeIfAttached() {
    if (attachedToStage()) balloon_->resume();
}

void TAssistant::showBulbIfDue() {
    if (hintBulb_ && moveCount_ == 0 && !showing_ && !hiding_ && stage_->Shown())
        stage_->setBulbVisible(true);
}

// ---- forwarded properties ----

QString TAssistant::ActorLibrary() const {
    return QString::fromStdString(director_->actor().ActorLibrary());
}

void TAssistant::setActorLibrary(const QString& name) {
    if (director_->actor().namesCurrentLibrary(name.toStdString())) return;
    suspendIfAttached();
    {
        // The balloon comes back even when the file cannot be read: a suspended balloon would
        // answer later messages at once with a stale result.
        struct ResumeGuard {
            TAssistant& self;
            ~ResumeGuard() { self.resumeIfAttached(); }
        } guard{*this};
        director_->actor().setActorLibrary(name.toStdString());
        if (!director_->actor().isEmpty()) {
            stage_->resize(director_->actor().frameWidth(), director_->actor().frameHeight());
            if (stage_->Shown()) {
                UpdateStage();
                director_->playState(kStateRest);
            } else if (visible_) {
                showCharacter();
            }
        } else if (stage_->Shown()) {
            const bool wish = visible_;
            const bool fast = fastShowHide_;
            fastShowHide_ = true;
            hideCharacter();
            fastShowHide_ = fast;
            visible_ = wish;
        }
    }
    emit OnChange();
}

bool TAssistant::AlwaysOnTop() const {
    return stage_->AlwaysOnTop();
}
void TAssistant::setAlwaysOnTop(bool on) {
    stage_->setAlwaysOnTop(on);
}
bool TAssistant::AutoIdle() const {
    return director_->AutoIdle();
}
void TAssistant::setAutoIdle(bool on) {
    director_->setAutoIdle(on);
}
bool TAssistant::Draggable() const {
    return stage_->Draggable();
}
void TAssistant::setDraggable(bool on) {
    stage_->setDraggable(on);
}

void TAssistant::setDockSite(QWidget* site) {
    dockSite_ = site;
    if (stage_->Shown()) UpdateStage();
}

int TAssistant::StageLeft() const {
    return stage_->x();
}
int TAssistant::StageTop() const {
    return stage_->y();
}

void TAssistant::setStageLeft(int left) {
    if (left == stage_->x()) return;
    stage_->move(left, stage_->y());
    if (balloon_->shown() && attachedToStage()) balloon_->reposition();
}

void TAssistant::setStageTop(int top) {
    if (top == stage_->y()) return;
    stage_->move(stage_->x(), top);
    if (balloon_->shown() && attachedToStage()) balloon_->reposition();
}

void TAssistant::setHintBulb(bool on) {
    hintBulb_ = on;
    stage_->bulb()->setEnabled(bool(OnHintBulbClick));
    if (on)
        showBulbIfDue();
    else
        stage_->setBulbVisible(false);
}

int TAssistant::Priority() const {
    return director_->Priority();
}
void TAssistant::setPriority(int priority) {
    director_->setPriority(priority);
}
int TAssistant::MinIdleTime() const {
    return director_->MinIdleTime();
}
void TAssistant::setMinIdleTime(int ms) {
    director_->setMinIdleTime(ms);
}
int TAssistant::MaxIdleTime() const {
    return director_->MaxIdleTime();
}
void TAssistant::setMaxIdleTime(int ms) {
    director_->setMaxIdleTime(ms);
}

QMenu* TAssistant::PopupMenu() const {
    return stage_->PopupMenu();
}

void TAssistant::setPopupMenu(QMenu* menu) {
    stage_->setPopupMenu(menu);
}

void TAssistant::setSoundSink(SoundSink* sink) {
    director_->engine().setSoundSink(sink);
}

bool TAssistant::Mute() const {
    return director_->engine().Mute();
}
void TAssistant::setMute(bool on) {
    director_->engine().setMute(on);
}
int TAssistant::Speed() const {
    return director_->engine().Speed();
}
void TAssistant::setSpeed(int speed) {
    director_->engine().setSpeed(speed);
}
TBalloonOptions& TAssistant::Balloon() {
    return balloon_->Balloon;
}
TMsgDlgOptions& TAssistant::MsgDlg() {
    return balloon_->MsgDlg;
}
TTipsDlgOptions& TAssistant::TipsDlg() {
    return balloon_->TipsDlg;
}
TGuideDlgOptions& TAssistant::GuideDlg() {
    return balloon_->GuideDlg;
}
THintDlgOptions& TAssistant::HintDlg() {
    return balloon_->HintDlg;
}

void TAssistant::setVisible(bool on) {
    if (on) {
        visible_ = true;
        if (!director_->actor().isEmpty()) showCharacter();
    } else {
        if (stage_->Shown())
            hideCharacter();
        else
            visible_ = false;
    }
}

// ---- the character ----

void TAssistant::showCharacter() {
    if (showing_ || stage_->Shown()) return;
    showing_ = true;
    visible_ = true;
    director_->setActive(true);
    suspendIfAttached();
    UpdateStage();
    stage_->setShown(true);
    if (!fastShowHide_ && director_->actor().stateCount(kStateShow) > 0)
        director_->waitForRequest(director_->playState(kStateShow));
    else
        director_->playState(kStateRest);
    resumeIfAttached();
    showing_ = false;
    showBulbIfDue();
}

void TAssistant::hideCharacter() {
    if (hiding_ || !stage_->Shown()) return;
    hiding_ = true;
    stage_->setBulbVisible(false);
    suspendIfAttached();
    if (fastShowHide_) {
        StopMove();
    } else {
        waitForGate();
        director_->cancelAll(true);
        director_->waitForRequest(director_->playState(kStateHide));
    }
    director_->setActive(false);
    resumeIfAttached();
    stage_->setShown(false);
    stage_->setParentWindow(nullptr);
    visible_ = false;
    hiding_ = false;
}

// ---- balloons ----

void TAssistant::waitForGate() {
    waitPumping([this] { return moveGate_.load(); }, -1);
}

bool TAssistant::waitBeforeBalloon() {
    if (moveCount_ > 0 && moveGate_) return false;
    if (moveCount_ > 0) waitForGate();
    return true;
}

int TAssistant::MessageDlg(const QString& Msg, int DlgType, std::uint16_t Buttons, int HelpCtx) {
    return MessageDlgEx(Msg, DlgType, Buttons, HelpCtx, 255);
}

int TAssistant::MessageDlgEx(const QString& Msg, int DlgType, std::uint16_t Buttons, int HelpCtx,
                             int DefaultButton) {
    if (!waitBeforeBalloon()) return 0;
    // The stage's menu is put back however the dialog ends.
    struct MenuGuard {
        TAssistantStage& stage;
        QPointer<QMenu> menu;
        ~MenuGuard() { stage.setPopupMenu(menu); }
    } guard{*stage_, stage_->PopupMenu()};
    stage_->setPopupMenu(nullptr);
    return balloon_->MessageDlg(Msg, DlgType, DefaultButton, Buttons, HelpCtx);
}

void TAssistant::ShowHint() {
    waitBeforeBalloon();
    balloon_->ShowHint();
}

void TAssistant::ShowGuide() {
    waitBeforeBalloon();
    balloon_->ShowGuide();
}

void TAssistant::AttachBalloons(QWidget* Control) {
    balloon_->attach(Control ? Control : stage_.get());
}

void TAssistant::RaiseWindows() {
    stage_->BringToTop();
    balloon_->restack();
}

// ---- the programmed move ----

void TAssistant::setMoveTarget(int x, int y) {
    const std::lock_guard lock(moveLock_);
    targetX_ = x;
    targetY_ = y;
}

bool TAssistant::BeginMove() {
    ++moveCount_;
    if (stage_->Shown() && !hiding_) {
        moveGate_ = false;
        stage_->setEnabled(false);
        balloon_->suspend();
        stage_->setBulbVisible(false);
        int tx, ty;
        {
            const std::lock_guard lock(moveLock_);
            tx = targetX_;
            ty = targetY_;
        }
        const int state = director_->directionState(3, {stage_->x(), stage_->y()}, {tx, ty});
        director_->cancelAll(true);
        // The character sets off in its move animation before the director is held still.
        director_->waitForStart(director_->playState(state));
        director_->lock();
        emit OnMoveStart();
        return true;
    }
    {
        const std::lock_guard lock(moveLock_);
        stage_->move(targetX_, targetY_);
    }
    --moveCount_;
    return false;
}

bool TAssistant::StepMove(int StepX, int StepY) {
    QPoint next;
    const QPoint from = stage_->pos();
    {
        const std::lock_guard lock(moveLock_);
        if (stopMove_) {
            next = {targetX_, targetY_};
        } else {
            const int dx = targetX_ - from.x(), dy = targetY_ - from.y();
            // At the target there is nothing to step (and nothing to divide by).
            if (dx == 0 && dy == 0) return false;
            int sx, sy;
            if (std::abs(dx) > std::abs(dy)) {
                sx = StepX;
                sy = std::max(1, std::abs(dy) * StepX / std::abs(dx));
            } else {
                sy = StepY;
                sx = std::max(1, std::abs(dx) * StepY / std::abs(dy));
            }
            next.setX(dx > 0 ? std::min(targetX_, from.x() + sx) : std::max(targetX_, from.x() - sx));
            next.setY(dy > 0 ? std::min(targetY_, from.y() + sy) : std::max(targetY_, from.y() - sy));
        }
    }
    if (next == from) return false;
    stage_->move(next);
    emit OnMoving();
    return true;
}

void TAssistant::EndMove() {
    if (!director_->isBusy()) director_->playState(kStateRest);
    director_->unlock();
    balloon_->resume();
    stage_->setEnabled(true);
    --moveCount_;
    moveGate_ = true;
    showBulbIfDue();
    emit OnMoveStop();
}

void TAssistant::StopMove() {
    if (moveCount_ == 0) return;
    {
        const std::lock_guard lock(moveLock_);
        stopMove_ = true;
        if (moveGate_) {
            targetX_ = stage_->x();
            targetY_ = stage_->y();
        }
    }
    if (!moveGate_) waitPumping([this] { return moveCount_ == 0; }, -1);
    const std::lock_guard lock(moveLock_);
    stopMove_ = false;
}

void TAssistant::UpdateStage() {
    stage_->setParentWindow(dockSite_);
    stage_->BringToTop();
    stage_->UpdateShape();
}

}  // namespace kestrave
