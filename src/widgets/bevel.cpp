#include "widgets/bevel.h"

#include <QPainter>
#include <algorithm>

namespace kestrave {

namespace {

template <typename T>
void store(TglBevelLines& lines, T& field, T value) {
    if (field == value) return;
    field = value;
    emit lines.changed();
}

}  // namespace

void TglBevelLines::setCount(int count) {
    store(*this, Count, std::max(count, 0));
}
void TglBevelLines::setStep(int step) {
    store(*this, Step, step);
}
void TglBevelLines::setOrigin(TglOrigin origin) {
    store(*this, Origin, origin);
}
void TglBevelLines::setThickness(int thickness) {
    store(*this, Thickness, std::clamp(thickness, 0, 255));
}
void TglBevelLines::setBold(bool bold) {
    store(*this, Bold, bold);
}
void TglBevelLines::setIgnoreBorder(bool ignore) {
    store(*this, IgnoreBorder, ignore);
}
void TglBevelLines::setStyle(TBevelKind style) {
    store(*this, Style, style);
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

void TglBevel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect client = rect();
    Gradient->draw(painter, client.adjusted(InteriorOffset, InteriorOffset, -InteriorOffset, -InteriorOffset),
                   BevelPenWidth, BevelPenStyle);
    const QRect inside =
        drawBevelBox(painter, client.adjusted(0, 0, -1, -1),
                     {BevelSides, BevelOuter, BevelInner, BevelBold, BevelPenWidth}, palette(), {}, true);
    const auto drawLines = [&](const TglBevelLines& lines, bool horizontal) {
        const QRect span = lines.IgnoreBorder ? client : inside;
        const int depth = lines.Thickness + (lines.Bold ? 1 : 0);
        const TglSides longSides = horizontal ? sideBit(TglSide::fsdTop) | sideBit(TglSide::fsdBottom)
                                              : sideBit(TglSide::fsdLeft) | sideBit(TglSide::fsdRight);
        for (const int at : bevelLinePositions(lines.Count, horizontal ? height() : width())) {
            const QRect line = horizontal ? QRect(span.left(), at, span.width(), depth)
                                          : QRect(at, span.top(), depth, span.height());
            drawBevelBox(painter, line,
                         {longSides, lines.Style, TBevelKind::bvNone, lines.Bold, BevelPenWidth}, palette(),
                         {}, true);
        }
    };
    drawLines(*HorLines, true);
    drawLines(*VertLines, false);
}

}  // namespace kestrave
