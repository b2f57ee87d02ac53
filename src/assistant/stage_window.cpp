#include "assistant/stage_window.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QThread>
#include <QWindow>

#include "actor/assistant_director.h"
#include "assistant/engine_frame.h"
#include "assistant/mask_region.h"

namespace kestrave {

namespace {

constexpr int BulbWidth = 16;
constexpr int BulbHeight = 20;
constexpr QRgb BulbTransparent = qRgb(255, 0, 255);

bool onWindowThread(const QObject& object) {
    return QThread::currentThread() == object.thread();
}

}  // namespace

QImage bulbGlyphStrip() {
    QImage strip(BulbWidth * 4, BulbHeight, QImage::Format_RGB32);
    strip.fill(BulbTransparent);
    QPainter painter(&strip);
    painter.setRenderHint(QPainter::Antialiasing, false);
    const QColor glass[4] = {QColor(255, 236, 120), QColor(200, 200, 200), QColor(230, 190, 40),
                             QColor(255, 250, 190)};
    for (int s = 0; s < 4; ++s) {
        const int x = s * BulbWidth + (s == 2 ? 1 : 0);
        const int y = s == 2 ? 1 : 0;
        painter.setPen(s == 1 ? QColor(128, 128, 128) : QColor(90, 70, 0));
        painter.setBrush(glass[s]);
        painter.drawEllipse(x + 2, y + 1, 11, 11);
        painter.setBrush(QColor(150, 150, 150));
        painter.drawRect(x + 5, y + 12, 5, 5);
        painter.drawLine(x + 6, y + 18, x + 9, y + 18);
    }
    return strip;
}

THintBulb::THintBulb(QWidget* parent) : QWidget(parent), strip_(bulbGlyphStrip()) {
    setObjectName("HintBulb");
    setFixedSize(BulbWidth, BulbHeight);
    shape_ = maskRegion(strip_.copy(0, 0, BulbWidth, BulbHeight), 0, BulbTransparent);
    setMask(shape_);
    setCursor(Qt::PointingHandCursor);
    hide();
}

void THintBulb::setGlyphState(int state) {
    if (state == glyphState_ || state < 0 || state > 3) return;
    glyphState_ = state;
    if (isVisible()) update();
}

void THintBulb::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawImage(0, 0, strip_, glyphState_ * BulbWidth, 0, BulbWidth, BulbHeight);
}

void THintBulb::enterEvent(QEnterEvent*) {
    if (isEnabled()) setGlyphState(pressed_ ? 2 : 3);
}

void THintBulb::leaveEvent(QEvent*) {
    if (isEnabled()) setGlyphState(0);
}

void THintBulb::mousePressEvent(QMouseEvent* event) {
    if (!isEnabled() || event->button() != Qt::LeftButton) return;
    pressed_ = true;
    setGlyphState(2);
}

void THintBulb::mouseReleaseEvent(QMouseEvent* event) {
    if (!pressed_ || event->button() != Qt::LeftButton) return;
    pressed_ = false;
    setGlyphState(0);
    if (rect().contains(event->position().toPoint())) emit OnClick();
}

void THintBulb::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange) {
        if (!isEnabled())
            setGlyphState(1);
        else
            setGlyphState(rect().contains(mapFromGlobal(QCursor::pos())) ? 3 : 0);
    }
    QWidget::changeEvent(event);
}

TAssistantStage::TAssistantStage(TAssistantDirector& director)
    : QWidget(nullptr), director_(director), bulb_(new THintBulb(this)) {
    setObjectName("AssistantStage");
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_NoSystemBackground);
    applicationActive_ = QGuiApplication::applicationState() == Qt::ApplicationActive;
    applyWindowFlags();
    connect(qApp, &QGuiApplication::applicationStateChanged, this,
            [this](Qt::ApplicationState state) { setApplicationActive(state == Qt::ApplicationActive); });
    systemMove_ = [this] { return windowHandle() && windowHandle()->startSystemMove(); };
}

void TAssistantStage::applyWindowFlags() {
    Qt::WindowFlags flags = Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus;
    if (!parentWidget()) {
        flags |= Qt::Tool;
        if (onTopBand_) flags |= Qt::WindowStaysOnTopHint;
    }
    setWindowFlags(flags);
}

void TAssistantStage::setApplicationActive(bool active) {
    applicationActive_ = active;
    const bool onTop = applicationActive_ || alwaysOnTop_;
    // Changing the flags makes the window anew: only on a change.
    if (onTop == onTopBand_ || parentWidget()) return;
    onTopBand_ = onTop;
    const bool visible = isVisible();
    applyWindowFlags();
    if (visible) show();
}

void TAssistantStage::setAlwaysOnTop(bool on) {
    alwaysOnTop_ = on;
    setApplicationActive(applicationActive_);
}

void TAssistantStage::setParentWindow(QWidget* parent) {
    if (parent == parentWidget()) return;
    const bool visible = isVisible();
    setParent(parent);
    applyWindowFlags();
    if (visible) show();
}

void TAssistantStage::setShown(bool shown) {
    if (!onWindowThread(*this)) {
        QMetaObject::invokeMethod(
            this, [this, shown] { applyShown(shown); }, Qt::QueuedConnection);
        return;
    }
    applyShown(shown);
}

void TAssistantStage::applyShown(bool shown) {
    if (shown == shown_) return;
    shown_ = shown;
    if (shown) {
        UpdateShape();
        show();
        raise();
    } else {
        hide();
    }
}

void TAssistantStage::BringToTop() {
    if (shown_) raise();
}

QRegion TAssistantStage::shape() const {
    QRegion region;
    if (const auto frame = director_.engine().currentFrame()) region = frameRegion(*frame);
    // The bulb keeps to the right edge (also before a hidden stage hears of its new size).
    if (bulbVisible_) region += bulb_->shape().translated(width() - bulb_->width(), 0);
    return region;
}

void TAssistantStage::UpdateShape() {
    const QRegion region = shape();
    // An empty mask would show the whole window: a shapeless stage shows nothing.
    setMask(region.isEmpty() ? QRegion(0, 0, 1, 1) : region);
    update();
}

void TAssistantStage::setBulbVisible(bool on) {
    if (on == bulbVisible_) return;
    bulbVisible_ = on;
    bulb_->move(width() - bulb_->width(), 0);
    UpdateShape();
    bulb_->setVisible(on);
}

void TAssistantStage::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    Draw(director_.engine(), painter, 0, 0);
}

void TAssistantStage::mousePressEvent(QMouseEvent* event) {
    if (!parentWidget() && !applicationActive_) {
        // A click on the character while another program is in front brings this program
        // forward and goes no further; with the program's window minimised it goes through.
        for (QWidget* top : QApplication::topLevelWidgets())
            if (top != this && top->isVisible() && top->windowType() == Qt::Window) {
                if (top->isMinimized()) break;
                top->raise();
                top->activateWindow();
                return;
            }
    }
    // A platform move whose end went unheard ends at the next press.
    endDrag();
    if (event->button() != Qt::LeftButton || !draggable_) return;
    dragging_ = true;
    emit OnDragStart();
    if (systemMove_()) {
        // The platform's move loop returns at once and does not report its end; the first
        // release, the first move without the button, or the pointer coming back ends the drag.
        systemMoving_ = true;
        qApp->installEventFilter(this);
        return;
    }
    dragFrom_ = event->globalPosition().toPoint() - pos();
}

bool TAssistantStage::eventFilter(QObject* watched, QEvent* event) {
    if (!systemMoving_) return QWidget::eventFilter(watched, event);
    switch (event->type()) {
        case QEvent::MouseButtonRelease:
        case QEvent::NonClientAreaMouseButtonRelease:
            endDrag();
            break;
        case QEvent::MouseMove:
            if (!(static_cast<QMouseEvent*>(event)->buttons() & Qt::LeftButton)) endDrag();
            break;
        case QEvent::Enter:
            if (watched == this) endDrag();
            break;
        default:
            break;
    }
    return QWidget::eventFilter(watched, event);
}

void TAssistantStage::endDrag() {
    if (!dragging_) return;
    dragging_ = false;
    if (systemMoving_) {
        systemMoving_ = false;
        qApp->removeEventFilter(this);
    }
    emit OnDragStop();
}

void TAssistantStage::mouseMoveEvent(QMouseEvent* event) {
    if (dragging_) move(event->globalPosition().toPoint() - dragFrom_);
}

void TAssistantStage::mouseReleaseEvent(QMouseEvent* event) {
    endDrag();
    if (event->button() == Qt::LeftButton) emit OnClick();
}

void TAssistantStage::contextMenuEvent(QContextMenuEvent* event) {
    if (!popupMenu_) return QWidget::contextMenuEvent(event);
    popupMenu_->popup(event->globalPos());
    event->accept();
}

void TAssistantStage::mouseDoubleClickEvent(QMouseEvent*) {
    emit OnDblClick();
}

void TAssistantStage::moveEvent(QMoveEvent*) {
    if (dragging_) emit OnDragging();
}

void TAssistantStage::resizeEvent(QResizeEvent*) {
    bulb_->move(width() - bulb_->width(), 0);
    if (shown_) UpdateShape();
    emit OnResize();
}

void TAssistantStage::showEvent(QShowEvent*) {
    emit OnShow();
}

void TAssistantStage::hideEvent(QHideEvent*) {
    endDrag();
    emit OnHide();
}

}  // namespace kestrave
