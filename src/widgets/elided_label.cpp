#include "widgets/elided_label.h"

#include <QStringList>

namespace kestrave {

namespace {

constexpr QChar Ellipsis(0x2026);

}  // namespace

ElidedLabel::ElidedLabel(QWidget* parent, Qt::TextElideMode mode) : TRxLabel(parent), mode_(mode) {
    // Its layout sizes it; a running text is written as it is ("&" included), without a shadow
    // unless its owner gives it one.
    setAutoSize(false);
    setShowAccelChar(false);
    setShadowSize(0);
}

QString ElidedLabel::shownText() const {
    if (wordWrap() || !plainCaption()) return text();
    const int room = textArea().width() - ShadowSize();
    QStringList lines = text().split('\n');
    for (QString& line : lines) {
        // A line may end in CR as well as LF; the CR takes no room.
        const QString drawn = QString(line).remove('\r');
        const QString fitted = fontMetrics().elidedText(drawn, mode_, std::max(room, 0));
        if (fitted != drawn) line = fitted;
    }
    return lines.join('\n');
}

void ElidedLabel::setTextMargins(int left, int right) {
    if (left == leftRoom_ && right == rightRoom_) return;
    leftRoom_ = left;
    rightRoom_ = right;
    updateGeometry();
    update();
}

QSize ElidedLabel::minimumSizeHint() const {
    const QMargins margins = contentsMargins();
    const int width = fontMetrics().horizontalAdvance(Ellipsis) + 2 + ShadowSize() + margins.left() +
                      margins.right() + leftRoom_ + rightRoom_;
    return {wordWrap() ? TRxLabel::minimumSizeHint().width() : width, TRxLabel::minimumSizeHint().height()};
}

QSize ElidedLabel::sizeHint() const {
    return TRxLabel::sizeHint() + QSize(leftRoom_ + rightRoom_, 0);
}

QString ElidedLabel::drawnText() const {
    return shownText();
}

QRect ElidedLabel::textArea() const {
    return TRxLabel::textArea().adjusted(leftRoom_, 0, -rightRoom_, 0);
}

void ElidedLabel::paintEvent(QPaintEvent* event) {
    followWithToolTip();
    TRxLabel::paintEvent(event);
}

// The label shows what it is at each painting: after a new text and after a resize alike.
void ElidedLabel::followWithToolTip() {
    const bool owned = toolTip().isEmpty() || toolTip() == ownToolTip_;
    if (!owned) return;
    ownToolTip_ = elided() ? text() : QString();
    if (toolTip() != ownToolTip_) setToolTip(ownToolTip_);
}

}  // namespace kestrave
