#include "widgets/switcher.h"

#include <QApplication>
#include <QAudioDevice>
#include <QEventLoop>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMediaDevices>
#include <QMouseEvent>
#include <QPainter>
#include <QSoundEffect>
#include <QTimer>
#include <QUrl>
#include <algorithm>

namespace kestrave {

namespace {

constexpr int LargestMax = 270;
// Qt draws arcs and pies in sixteenths of a degree, counter-clockwise from 3 o'clock as the
// dial counts its angles.
constexpr int ArcUnit = 16;

}  // namespace

TASSwitcher::TASSwitcher(QWidget* parent) : QWidget(parent), DefaultSound([] { QApplication::beep(); }) {
    setFocusPolicy(Qt::StrongFocus);
    resize(150, 150);
}

void TASSwitcher::setMax(int value) {
    if (value == max_ || value < 0 || value > LargestMax) return;
    max_ = value;
    update();
}

void TASSwitcher::setPosition(int value) {
    if (value == position_) return;
    const int clamped = std::clamp(value, 0, max_);
    const bool changed = clamped != position_;
    position_ = clamped;
    update();
    if (changed) emit OnChange(this);
    if (SoundType != wssNone) playChangeSound();
}

QString TASSwitcher::soundSource() const {
    if (SoundType != wssExe) return SoundChange;
    return ResourceType.isEmpty() ? ":/" + SoundChange : ":/" + ResourceType + "/" + SoundChange;
}

// A change sound that cannot be found gives the default sound unless woNoDefault is set; the
// position has changed anyway.
void TASSwitcher::playChangeSound() {
    const QString source = soundSource();
    if (SoundChange.isEmpty() || !QFileInfo::exists(source)) {
        if (!(WaveOptions & woNoDefault) && DefaultSound) DefaultSound();
        return;
    }
    if (!sound_) sound_ = new QSoundEffect(this);
    if ((WaveOptions & woNoStop) && sound_->isPlaying()) return;
    sound_->setSource(SoundType == wssExe ? QUrl("qrc" + source) : QUrl::fromLocalFile(source));
    sound_->setLoopCount((WaveOptions & woLoop) ? QSoundEffect::Infinite : 1);
    sound_->play();
    // Played synchronously the change returns when the sound has ended; a looping sound never
    // ends, so it is played alongside, and without a sound output there is nothing to wait for.
    if (!(WaveOptions & woSync) || (WaveOptions & woLoop) || QMediaDevices::audioOutputs().isEmpty()) return;
    QEventLoop wait;
    // A sound that never starts nor ends holds the change up for a minute at the most.
    QTimer::singleShot(60000, &wait, &QEventLoop::quit);
    connect(sound_, &QSoundEffect::playingChanged, &wait, [&wait, this] {
        if (!sound_->isPlaying()) wait.quit();
    });
    connect(sound_, &QSoundEffect::statusChanged, &wait, [&wait, this] {
        if (sound_->status() == QSoundEffect::Error) wait.quit();
    });
    if (sound_->isPlaying() || sound_->status() == QSoundEffect::Loading)
        wait.exec(QEventLoop::ExcludeUserInputEvents);
}

void TASSwitcher::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (height() != width()) resize(width(), width());
}

void TASSwitcher::setPrintValues(bool print) {
    if (print == printValues_) return;
    printValues_ = print;
    update();
}

void TASSwitcher::setDrawTicks_(bool draw) {
    drawTicks_ = draw;
    update();
}

void TASSwitcher::setDrawFocused(bool draw) {
    drawFocused_ = draw;
    update();
}

QRect TASSwitcher::dialRect(int inset) const {
    const QPoint c = centre();
    const int r = c.x() - inset;
    return {c.x() - r, c.y() - r, 2 * r, 2 * r};
}

void TASSwitcher::drawScale(QPainter& painter) const {
    const DialMeasures m = measures();
    const DialScale s = scale();
    const QPoint c = centre();
    const int n = std::max(max_, 1);
    painter.setPen(Qt::black);
    const auto label = [&](int angle, const QString& text) {
        const auto at = dialPoint(c.x(), c.y(), angle, m.ringInset);
        if (!at) return;
        const QFontMetrics metrics = painter.fontMetrics();
        const int w = metrics.horizontalAdvance(text);
        const int h = metrics.height();
        int x = at->x;
        int y = at->y;
        const int a = angle < 0 ? angle + 360 : angle;
        if (a >= 130 && a <= 180) x -= static_cast<int>(std::nearbyint(1.5 * w)), y -= h;
        if (a >= 180 && a <= 270) x -= static_cast<int>(std::nearbyint(1.5 * w)), y -= h / 2;
        if (a >= 0 && a <= 50) x += w / 3, y -= h / 2;
        if (a >= 50 && a <= 130) x -= w / 2, y -= static_cast<int>(std::nearbyint(1.3 * h));
        painter.drawText(x, y + metrics.ascent(), text);
    };
    for (int k = 0; k <= n; ++k) {
        const int angle = s.start + k * s.step;
        const auto outer = dialPoint(c.x(), c.y(), angle, m.ringInset);
        const auto inner = dialPoint(c.x(), c.y(), angle, m.ringInset + 11);
        if (outer && inner) painter.drawLine(inner->x, inner->y, outer->x, outer->y);
        if (printValues_) label(angle, max_ == 0 ? QString("1") : QString::number(max_ - k));
    }
    if (printValues_) label(s.end, "0");
    const QColor face = palette().color(QPalette::Window);
    painter.setPen(face);
    painter.setBrush(face);
    painter.drawEllipse(dialRect(m.knobInset));
    // Two arcs in the face colour tidy the scale: one along the ring over the gap, one along the
    // knob's edge under the ticks' inner ends.
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setBrush(Qt::NoBrush);
    const int gap = ((s.start - s.end) % 360 + 360) % 360;
    painter.drawArc(dialRect(m.ringInset), s.end * ArcUnit, gap * ArcUnit);
    painter.drawArc(dialRect(m.knobInset), s.start * ArcUnit, (360 - gap) * ArcUnit);
    painter.restore();
}

void TASSwitcher::drawKnob(QPainter& painter) const {
    const int m = measures().margin;
    painter.setPen(Qt::black);
    painter.setBrush(QColor(212, 212, 212));
    painter.drawEllipse(dialRect(m + 2));
    painter.setPen(QPen(QColor(144, 144, 144), 5));
    painter.setBrush(Qt::NoBrush);
    painter.drawArc(dialRect(m + 5), 45 * ArcUnit, -180 * ArcUnit);
    painter.setPen(Qt::black);
    painter.drawEllipse(dialRect(m + 2));
    painter.setPen(QColor(192, 192, 192));
    painter.setBrush(QColor(182, 182, 182));
    painter.drawEllipse(dialRect(m + 7));
}

void TASSwitcher::drawPointer(QPainter& painter) const {
    const int m = measures().margin;
    const DialSpan span = pointerSpan(scale(), position_);
    painter.setPen(QColor(192, 192, 192));
    painter.setBrush(Qt::red);
    painter.drawPie(dialRect(m + 7), span.a2 * ArcUnit, (span.a1 - span.a2) * ArcUnit);
    painter.setPen(QColor(182, 182, 182));
    painter.setBrush(QColor(182, 182, 182));
    painter.drawEllipse(dialRect(m + 27));
    if (!printValues_) {
        const QString text = QString::number(position_);
        const QPoint at(centre().x() - 5, height() - 20);
        const QRect patch(
            at, QSize(painter.fontMetrics().horizontalAdvance(text) + 2, painter.fontMetrics().height()));
        painter.fillRect(patch, palette().color(QPalette::Window));
        painter.setPen(Qt::black);
        painter.drawText(patch, Qt::AlignLeft | Qt::AlignVCenter, text);
    }
}

void TASSwitcher::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(rect(), palette().color(QPalette::Window));
    if (drawFocused_ && !printValues_ && hasFocus()) {
        painter.setPen(QPen(Qt::black, 1, Qt::DotLine));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
    if (drawTicks_) drawScale(painter);
    drawKnob(painter);
    drawPointer(painter);
}

void TASSwitcher::mousePressEvent(QMouseEvent* event) {
    setFocus(Qt::MouseFocusReason);
    if (event->button() != Qt::LeftButton) return;
    const QPoint at = event->position().toPoint();
    dragging_ = dragStarts(centre().x(), centre().y(), measures().margin, position_, scale(), at.x(), at.y());
}

void TASSwitcher::mouseMoveEvent(QMouseEvent* event) {
    if (!dragging_) return;
    const QPoint at = event->position().toPoint();
    const std::optional<int> angle = pointAngle(centre().x(), centre().y(), at.x(), at.y());
    if (!angle) {
        dragging_ = false;
        return;
    }
    if (const std::optional<int> position = positionAtAngle(scale(), max_, *angle)) setPosition(*position);
}

void TASSwitcher::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) dragging_ = false;
}

void TASSwitcher::leaveEvent(QEvent*) {
    dragging_ = false;
}

void TASSwitcher::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Left:
            setPosition(std::max(position_ - 1, 0));
            break;
        case Qt::Key_Right:
            setPosition(std::min(position_ + 1, max_));
            break;
        case Qt::Key_Home:
            setPosition(0);
            break;
        case Qt::Key_End:
            setPosition(max_);
            break;
        default:
            QWidget::keyPressEvent(event);
            return;
    }
    event->accept();
}

void TASSwitcher::focusInEvent(QFocusEvent*) {
    update();
}

void TASSwitcher::focusOutEvent(QFocusEvent*) {
    update();
}

}  // namespace kestrave
