#include "widgets/rollup.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <algorithm>

#include "widgets/elided_label.h"
#include "widgets/published.h"

namespace kestrave {

namespace {

enum class Glyph { Close, Up, Down, Help, Minimize };

// The buttons' pictures, drawn at the sizes of their roles: a cross 10 × 9, arrows, a question
// mark and a bar 11 × 11.
QIcon glyph(Glyph kind) {
    const QSize size = kind == Glyph::Close ? QSize(10, 9) : QSize(11, 11);
    QPixmap picture(size);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(Qt::black);
    switch (kind) {
        case Glyph::Close:
            for (int d = 0; d < 2; ++d) {
                painter.drawLine(1 + d, 1, 8 + d - 1, 7);
                painter.drawLine(8 + d - 1, 1, 1 + d, 7);
            }
            break;
        case Glyph::Up:
            painter.drawPolygon(QPolygon({QPoint(1, 7), QPoint(9, 7), QPoint(5, 3)}));
            break;
        case Glyph::Down:
            painter.drawPolygon(QPolygon({QPoint(1, 3), QPoint(9, 3), QPoint(5, 7)}));
            break;
        case Glyph::Help: {
            QFont font = painter.font();
            font.setPixelSize(10);
            font.setBold(true);
            painter.setFont(font);
            painter.drawText(picture.rect(), Qt::AlignCenter, "?");
            break;
        }
        case Glyph::Minimize:
            painter.fillRect(QRect(2, 8, 7, 2), Qt::black);
            break;
    }
    return QIcon(picture);
}

QToolButton* captionButton(QWidget* bar, Glyph kind, const char* hint, bool visible) {
    auto* button = new QToolButton(bar);
    button->setIcon(glyph(kind));
    button->setIconSize(kind == Glyph::Close ? QSize(10, 9) : QSize(11, 11));
    button->setToolTip(hint);
    button->setFocusPolicy(Qt::NoFocus);
    button->resize(CaptionButtonSize, CaptionButtonSize);
    button->setVisible(visible);
    return button;
}

}  // namespace

TgbRollup::TgbRollup(QWidget* parent, Qt::WindowFlags flags)
    : QFrame(parent, flags),
      // The caption is drawn whole, centred on the bar; a narrow bar clips it at its edges.
      CaptionBar(new ElidedLabel(this, Qt::ElideNone)),
      CloseButton(captionButton(CaptionBar, Glyph::Close, "Close", true)),
      RollUpButton(captionButton(CaptionBar, Glyph::Up, "Roll Up", true)),
      RollDownButton(captionButton(CaptionBar, Glyph::Down, "Roll Down", false)),
      HelpButton(captionButton(CaptionBar, Glyph::Help, "Help", false)),
      MinimizeButton(captionButton(CaptionBar, Glyph::Minimize, "Minimize", false)),
      client_(new QWidget(this)) {
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setLineWidth(1);
    CaptionBar->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    CaptionBar->setLineWidth(1);
    CaptionBar->setAlignment(Qt::AlignCenter);
    CaptionBar->setFixedHeight(CaptionBarHeight);
    CaptionBar->setAutoFillBackground(true);
    CaptionBar->setMinimumWidth(3 * CaptionButtonSize);
    CaptionBar->installEventFilter(this);
    setCaptionBarColor(palette().color(QPalette::Inactive, QPalette::Highlight));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(CaptionBar);
    layout->addWidget(client_, 1);
    // While rolled up the client is hidden and the bar stays at the top.
    layout->addStretch(0);
    connect(CloseButton, &QToolButton::clicked, this, [this] { closeClick(); });
    connect(RollUpButton, &QToolButton::clicked, this, [this] { rollUp(); });
    connect(RollDownButton, &QToolButton::clicked, this, [this] { rollDown(); });
    connect(HelpButton, &QToolButton::clicked, this, [this] { emit OnHelpClick(this); });
    connect(MinimizeButton, &QToolButton::clicked, this, [this] { window()->showMinimized(); });
    resize(width(), dropHeight_);
    hide();
}

QColor TgbRollup::CaptionBarColor() const {
    return CaptionBar->palette().color(QPalette::Window);
}

void TgbRollup::setCaptionBarColor(const QColor& color) {
    QPalette bar = CaptionBar->palette();
    bar.setColor(QPalette::Window, color);
    CaptionBar->setPalette(bar);
}

void TgbRollup::setRollAmount(int amount) {
    rollAmount_ = std::clamp(amount, 0, 255);
}

void TgbRollup::setState(TRollupState state) {
    if (state == state_) return;
    state == TRollupState::rsUp ? rollUp() : rollDown();
}

void TgbRollup::showButton(QToolButton& button, bool& shown, bool show) {
    shown = show;
    button.setVisible(show);
    layoutButtons();
}

void TgbRollup::setShowCloseButton(bool show) {
    showButton(*CloseButton, showClose_, show);
}

void TgbRollup::setShowHelpButton(bool show) {
    showButton(*HelpButton, showHelp_, show);
}

void TgbRollup::setShowMinimizeButton(bool show) {
    showButton(*MinimizeButton, showMinimize_, show);
}

void TgbRollup::setIsForm(bool isForm) {
    isForm_ = isForm;
    if (isForm) moveable_ = false;
}

void TgbRollup::setFlat(bool flat) {
    for (QToolButton* button : {CloseButton, RollUpButton, RollDownButton, HelpButton, MinimizeButton})
        button->setAutoRaise(flat);
}

void TgbRollup::setCaptionShowHint(bool show) {
    showHint_ = show;
    CaptionBar->setToolTip(show ? toolTipOfHint(hint_) : QString());
}

void TgbRollup::setCaptionHint(const QString& hint) {
    hint_ = hint;
    setCaptionShowHint(showHint_);
}

QWidget* TgbRollup::form() const {
    QWidget* top = window();
    return top != this ? top : nullptr;
}

void TgbRollup::roll(const std::vector<int>& heights, bool up) {
    if (rolling_) return;
    rolling_ = true;
    QWidget* owner = formMode() ? form() : nullptr;
    if (up) {
        // The contents go first, so that nothing holds the panel taller than its bar.
        client_->hide();
        layout()->activate();
    }
    // The height is also the most a layout around the panel may give it.
    const auto setHeight = [this](int h) {
        setMaximumHeight(h);
        resize(width(), h);
    };
    for (std::size_t i = 0; i + 1 < heights.size(); ++i) {
        const int step = heights[i] - height();
        if (owner) owner->resize(owner->width(), owner->height() + step);
        setHeight(heights[i]);
        // Pending messages run between the steps, so each step is painted; other handlers may
        // run inside the animation, and a roll request among them is dropped by the running flag.
        QPointer<TgbRollup> alive(this);
        QCoreApplication::processEvents();
        if (!alive) return;
    }
    if (owner)
        owner->resize(owner->width(), up ? CaptionBarHeight : owner->height() - height() + heights.back());
    setHeight(heights.back());
    if (!up) {
        setMaximumHeight(QWIDGETSIZE_MAX);
        client_->show();
        layout()->activate();
        resize(width(), heights.back());
    }
    rolling_ = false;
    state_ = up ? TRollupState::rsUp : TRollupState::rsDown;
    RollUpButton->setVisible(!up);
    RollDownButton->setVisible(up);
    if (up)
        emit OnRollUp(this);
    else
        emit OnRollDown(this);
}

void TgbRollup::rollUp() {
    roll(rollUpHeights(height(), rollAmount_), true);
}

void TgbRollup::rollDown() {
    roll(rollDownHeights(height(), dropHeight_, rollAmount_), false);
}

void TgbRollup::closeClick() {
    if (!isForm_) hide();
    emit OnRollClose(this);
}

void TgbRollup::layoutButtons() {
    const int width = CaptionBar->width();
    const CaptionButtonLefts lefts = captionButtonLefts(width, showClose_, showHelp_, showMinimize_);
    CloseButton->move(lefts.close, 1);
    HelpButton->move(lefts.help, 1);
    RollUpButton->move(lefts.roll, 1);
    RollDownButton->move(lefts.roll, 1);
    MinimizeButton->move(lefts.minimize, 1);
    // The caption stays centred on the bar and clear of the buttons at either end; the bar's
    // lowered frame keeps to its edge.
    const int reach =
        std::max(lefts.roll + CaptionButtonSize, width - std::min({lefts.close, lefts.help, lefts.minimize}));
    CaptionBar->setTextMargins(reach, reach);
}

void TgbRollup::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    layoutButtons();
}

void TgbRollup::changeEvent(QEvent* event) {
    QFrame::changeEvent(event);
    if (event->type() == QEvent::WindowTitleChange) CaptionBar->setText(windowTitle());
}

bool TgbRollup::eventFilter(QObject* watched, QEvent* event) {
    if (watched != CaptionBar) return QFrame::eventFilter(watched, event);
    switch (event->type()) {
        case QEvent::Resize:
            layoutButtons();
            break;
        case QEvent::MouseButtonPress: {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            const QPoint at = mouse->position().toPoint();
            raise();
            const bool leftAlone = mouse->button() == Qt::LeftButton && mouse->buttons() == Qt::LeftButton &&
                                   mouse->modifiers() == Qt::NoModifier;
            if (leftAlone && ((moveable_ && at.x() >= 1 && at.y() >= 1) || formMode())) {
                dragging_ = true;
                press_ = at;
            }
            if (!moveable_)
                emit OnCaptionMouseDown(CaptionBar, mouse->button(), mouse->modifiers(), at.x(), at.y());
            return true;
        }
        case QEvent::MouseMove: {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            const QPoint at = mouse->position().toPoint();
            if (doubleClicked_) {
                // The move that follows a double click never drags.
                doubleClicked_ = false;
                dragging_ = false;
                return true;
            }
            if (dragging_ && !isForm_) {
                raise();
                const QScreen* screen = this->screen();
                const int screenHeight = screen ? screen->geometry().height() : 768;
                move(dragTarget(pos(), press_, at, screenHeight));
                dragged();
            } else if (dragging_ && form()) {
                form()->move(form()->pos() + at - press_);
            }
            if (!moveable_) emit OnCaptionMouseMove(CaptionBar, mouse->modifiers(), at.x(), at.y());
            return true;
        }
        case QEvent::MouseButtonRelease: {
            const auto* mouse = static_cast<QMouseEvent*>(event);
            dragging_ = false;
            const QPoint at = mouse->position().toPoint();
            if (!moveable_)
                emit OnCaptionMouseUp(CaptionBar, mouse->button(), mouse->modifiers(), at.x(), at.y());
            return true;
        }
        case QEvent::MouseButtonDblClick:
            doubleClicked_ = true;
            raise();
            emit OnCaptionDblClick(CaptionBar);
            return true;
        default:
            break;
    }
    return QFrame::eventFilter(watched, event);
}

}  // namespace kestrave
