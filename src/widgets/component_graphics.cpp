#include "widgets/component_graphics.h"

#include <QApplication>
#include <QBackingStore>
#include <QCoreApplication>
#include <QLocale>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>
#include <QPixmap>
#include <QThread>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <map>
#include <vector>

#include "widgets/component_text.h"

namespace kestrave {

namespace {

// An arrow carrying a small bar: a tool bar on its way to another edge of the window.
QCursor makeDragCursor() {
    QPixmap picture(32, 32);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing, false);
    const QPolygon arrow({QPoint(0, 0), QPoint(0, 15), QPoint(4, 11), QPoint(7, 17), QPoint(9, 16),
                          QPoint(6, 10), QPoint(11, 10)});
    painter.setPen(Qt::white);
    painter.setBrush(Qt::black);
    painter.drawPolygon(arrow);
    painter.setPen(Qt::black);
    painter.setBrush(QColor(192, 192, 192));
    painter.drawRect(12, 18, 17, 7);
    painter.setPen(Qt::white);
    painter.drawLine(13, 19, 27, 19);
    painter.drawLine(13, 19, 13, 23);
    painter.end();
    return QCursor(picture, 0, 0);
}

std::map<int, QCursor>& cursors() {
    static std::map<int, QCursor> registered;
    return registered;
}

bool& fourDigitYearFlag() {
    static bool flag = false;
    return flag;
}

}  // namespace

void InitComponentSet() {
    cursors()[crRxHand] = QCursor(Qt::PointingHandCursor);
    cursors()[crRxDrag] = makeDragCursor();
    fourDigitYearFlag() = isFourDigitYearFormat(QLocale().dateFormat(QLocale::ShortFormat).toStdString());
}

QCursor componentCursor(int id) {
    if (cursors().empty()) InitComponentSet();
    const auto found = cursors().find(id);
    return found == cursors().end() ? QCursor(Qt::ArrowCursor) : found->second;
}

bool FourDigitYear() {
    return fourDigitYearFlag();
}

void CopyParentImage(const QWidget& control, QPainter& painter) {
    // The window's backing store holds what was painted under the control: the parent paints
    // there, and the siblings beneath it, before the control does. A window not on the screen
    // has painted nothing.
    const QWidget* window = control.window();
    QBackingStore* store = window->backingStore();
    if (!control.parentWidget() || !window->isVisible() || !store) return;
    QPaintDevice* device = store->paintDevice();
    if (!device || device->devType() != QInternal::Image) return;
    const auto* stored = static_cast<const QImage*>(device);
    const qreal ratio = stored->devicePixelRatio();
    const QRect area(control.mapTo(window, QPoint(0, 0)), control.size());
    const QRect pixels(QPointF(area.topLeft()).toPoint() * ratio, area.size() * ratio);
    QImage under = stored->copy(pixels);
    under.setDevicePixelRatio(ratio);
    painter.drawImage(QPoint(0, 0), under);
}

namespace {

// A frameless window above all others that shows nothing but the frame's pixels and lets the
// mouse through.
class InvertFrame : public QWidget {
public:
    InvertFrame(const QRect& rect, int width)
        : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowTransparentForInput |
                               Qt::WindowDoesNotAcceptFocus | Qt::BypassWindowManagerHint),
          frame(rect),
          width(width) {
        setObjectName("invertFrame");
        setAttribute(Qt::WA_ShowWithoutActivating);
        setAttribute(Qt::WA_TranslucentBackground);
        setGeometry(rect);
        const QRect inside = QRect(QPoint(), rect.size());
        setMask(QRegion(inside).subtracted(QRegion(inside.adjusted(width, width, -width, -width))));
        show();
    }
    const QRect frame;
    const int width;

protected:
    void paintEvent(QPaintEvent*) override {
        // Dotted, as focus frames are: black and white by turns, so it shows on any background.
        QPainter painter(this);
        painter.fillRect(rect(), QBrush(CreateTwoColorsBrushPattern(Qt::black, Qt::white)));
    }
};

std::vector<InvertFrame*>& invertFrames() {
    static std::vector<InvertFrame*> frames;
    return frames;
}

}  // namespace

void DrawInvertFrame(const QRect& screenRect, int width) {
    if (width <= 0 || screenRect.isEmpty()) return;
    auto& frames = invertFrames();
    const auto same = std::find_if(frames.begin(), frames.end(), [&](const InvertFrame* frame) {
        return frame->frame == screenRect && frame->width == width;
    });
    if (same != frames.end()) {
        delete *same;
        frames.erase(same);
        return;
    }
    frames.push_back(new InvertFrame(screenRect, width));
}

QList<QRect> shownInvertFrames() {
    QList<QRect> shown;
    for (const InvertFrame* frame : invertFrames()) shown << frame->frame;
    return shown;
}

namespace {

// Drops the first event of one type that reaches its receiver, and goes away with the next turn
// of the event loop.
class OneEventEater : public QObject {
public:
    OneEventEater(QObject* receiver, QEvent::Type type)
        : QObject(receiver), receiver_(receiver), type_(type) {
        receiver->installEventFilter(this);
        QTimer::singleShot(0, this, [this] { finish(); });
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (done_ || event->type() != type_) return false;
        finish();
        return true;
    }

private:
    void finish() {
        if (done_) return;
        done_ = true;
        receiver_->removeEventFilter(this);
        deleteLater();
    }

    QObject* receiver_;
    const QEvent::Type type_;
    bool done_ = false;
};

}  // namespace

void KillMessage(QObject* receiver, QEvent::Type type) {
    if (!receiver) return;
    // The first event of the type that reaches the receiver before the event loop turns once
    // more is dropped: one posted to it before this call (the loop delivers those before it turns)
    // or one the window system delivers meanwhile. Later ones, and any further waiting one, pass.
    // A request to quit is no event of a window, so it is never met here.
    new OneEventEater(receiver, type);
}

bool IsForegroundTask() {
    const QWidget* active = QApplication::activeWindow();
    return active && active->thread() == QCoreApplication::instance()->thread();
}

QImage CreateTwoColorsBrushPattern(const QColor& color1, const QColor& color2) {
    QImage pattern(8, 8, QImage::Format_RGB32);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) pattern.setPixel(x, y, ((x + y) % 2 == 0 ? color2 : color1).rgb());
    return pattern;
}

QImage AssignBitmapCell(const QImage& source, int cols, int rows, int index) {
    cols = std::max(1, cols);
    rows = std::max(1, rows);
    index = std::max(0, index);
    const int cellWidth = source.width() / cols;
    const int cellHeight = source.height() / rows;
    return source.copy((index % cols) * cellWidth, (index / cols) * cellHeight, cellWidth, cellHeight);
}

QRgb defaultTransparentColor(const QImage& image) {
    return image.isNull() ? 0 : image.pixel(0, image.height() - 1);
}

QImage withTransparentColor(const QImage& image, QRgb key) {
    QImage result = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < result.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(result.scanLine(y));
        for (int x = 0; x < result.width(); ++x)
            if (row[x] == key) row[x] = 0;
    }
    return result;
}

void drawBevelFrame(QPainter& painter, const QRect& rect, bool lowered, const QPalette& palette) {
    const QRect r = rect.adjusted(0, 0, -1, -1);
    painter.setPen(palette.color(lowered ? QPalette::Dark : QPalette::Light));
    painter.drawPolyline(QPolygon({r.bottomLeft(), r.topLeft(), r.topRight()}));
    painter.setPen(palette.color(lowered ? QPalette::Light : QPalette::Dark));
    painter.drawPolyline(QPolygon({r.topRight(), r.bottomRight(), r.bottomLeft()}));
}

bool pointerInside(const QWidget& control) {
    return control.isEnabled() && control.isVisible() &&
           control.rect().contains(control.mapFromGlobal(QCursor::pos()));
}

QString MinimizeText(const QString& text, const QFontMetrics& metrics, int maxWidth) {
    if (metrics.horizontalAdvance(text) <= maxWidth) return text;
    const QString ellipsis = "...";
    for (qsizetype keep = text.size() - 1; keep > 0; --keep) {
        const QString shortened = text.left(keep) + ellipsis;
        if (metrics.horizontalAdvance(shortened) <= maxWidth) return shortened;
    }
    return ellipsis;
}

}  // namespace kestrave
