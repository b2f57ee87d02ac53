#include "widgets/bevel.h"

#include <QPainter>
#include <algorithm>

namespace kestrave {

namespace {

// Stores a changed value and tells its owner.
template <typename T, typename Tell>
void store(T& field, T value, Tell tell) {
    if (field == value) return;
    field = value;
    tell();
}

}  // namespace

void TglBevelLines::setCount(int count) {
    store(Count, std::max(count, 0), [this] { emit changed(); });
}
void TglBevelLines::setStep(int step) {
    store(Step, step, [this] { emit changed(); });
}
void TglBevelLines::setOrigin(TglOrigin origin) {
    store(Origin, origin, [this] { emit changed(); });
}
void TglBevelLines::setThickness(int thickness) {
    store(Thickness, std::clamp(thickness, 0, 255), [this] { emit changed(); });
}
void TglBevelLines::setBold(bool bold) {
    store(Bold, bold, [this] { emit changed(); });
}
void TglBevelLines::setIgnoreBorder(bool ignore) {
    store(IgnoreBorder, ignore, [this] { emit changed(); });
}
void TglBevelLines::setStyle(TBevelKind style) {
    store(Style, style, [this] { emit changed(); });
}

std::vector<int> bevelLinePositions(int count, int size) {
    std::vector<int> positions;
    for (int k = 1; k <= count; ++k) positions.push_back(mulDiv(k, size, count + 1));
    return positions;
}

TglBevel::TglBevel(QWidget* parent)
    : QWidget(parent),
      Gradient(new TGradient(this)),
      VertLines(new TglBevelLines(this)),
      HorLines(new TglBevelLines(this)) {
    resize(50, 50);
    for (QObject* part :
         {static_cast<QObject*>(Gradient), static_cast<QObject*>(VertLines), static_cast<QObject*>(HorLines)})
        connect(part, SIGNAL(changed()), this, SLOT(update()));
}

void TglBevel::setBevelInner(TBevelKind kind) {
    store(bevelInner_, kind, [this] { update(); });
}
void TglBevel::setBevelOuter(TBevelKind kind) {
    store(bevelOuter_, kind, [this] { update(); });
}
void TglBevel::setBevelSides(TglSides sides) {
    store(bevelSides_, sides, [this] { update(); });
}
void TglBevel::setBevelBold(bool bold) {
    store(bevelBold_, bold, [this] { update(); });
}
void TglBevel::setBevelPenStyle(Qt::PenStyle style) {
    store(bevelPenStyle_, style, [this] { update(); });
}
void TglBevel::setBevelPenWidth(int width) {
    store(bevelPenWidth_, std::clamp(width, 0, 65535), [this] { update(); });
}
void TglBevel::setInteriorOffset(int offset) {
    store(interiorOffset_, std::clamp(offset, 0, 65535), [this] { update(); });
}

void TglBevel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect client = rect();
    Gradient->draw(painter,
                   client.adjusted(interiorOffset_, interiorOffset_, -interiorOffset_, -interiorOffset_),
                   bevelPenWidth_, bevelPenStyle_);
    const QRect inside = drawBevelBox(painter, client.adjusted(0, 0, -1, -1),
                                      {bevelSides_, bevelOuter_, bevelInner_, bevelBold_, bevelPenWidth_},
                                      palette(), {}, true);
    const auto drawLines = [&](const TglBevelLines& lines, bool horizontal) {
        const QRect span = lines.IgnoreBorder ? client : inside;
        const int depth = lines.Thickness + (lines.Bold ? 1 : 0);
        const TglSides longSides = horizontal ? sideBit(TglSide::fsdTop) | sideBit(TglSide::fsdBottom)
                                              : sideBit(TglSide::fsdLeft) | sideBit(TglSide::fsdRight);
        for (const int at : bevelLinePositions(lines.Count, horizontal ? height() : width())) {
            const QRect line = horizontal ? QRect(span.left(), at, span.width(), depth)
                                          : QRect(at, span.top(), depth, span.height());
            drawBevelBox(painter, line,
                         {longSides, lines.Style, TBevelKind::bvNone, lines.Bold, bevelPenWidth_}, palette(),
                         {}, true);
        }
    };
    drawLines(*HorLines, true);
    drawLines(*VertLines, false);
}

}  // namespace kestrave
