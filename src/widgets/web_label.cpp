#include "widgets/web_label.h"

#include <QDesktopServices>
#include <QMouseEvent>

namespace kestrave {

TjanWebLabel::TjanWebLabel(const QString& text, QWidget* parent)
    : QLabel(text, parent), opener_([](const QUrl& url) { return QDesktopServices::openUrl(url); }) {
    QFont underlined = font();
    underlined.setUnderline(true);
    setFont(underlined);
    QPalette blue = palette();
    blue.setColor(QPalette::WindowText, Qt::blue);
    setPalette(blue);
    setCursor(Qt::PointingHandCursor);
    setTextFormat(Qt::PlainText);
}

void TjanWebLabel::mouseReleaseEvent(QMouseEvent* event) {
    QLabel::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton || !rect().contains(event->position().toPoint())) return;
    emit OnClick(this);
    if (!urlOrEmail_.isEmpty()) opener_(QUrl(urlOrEmail_, QUrl::TolerantMode));
}

}  // namespace kestrave
