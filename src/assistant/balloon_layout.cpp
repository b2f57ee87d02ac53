#include "assistant/balloon_layout.h"

#include <algorithm>

namespace kestrave {

namespace {

bool isAbove(int p) {
    return p == 1 || p == 2;
}
bool isBelow(int p) {
    return p == 5 || p == 6;
}
bool isRight(int p) {
    return p == 3 || p == 4;
}

// Moves `window` inside `area` so that it keeps one pixel from each edge (the left and top
// edges win when it cannot).
QRect pushInside(QRect window, QRect area) {
    const int right = area.x() + area.width() - 1;
    const int bottom = area.y() + area.height() - 1;
    if (window.x() + window.width() > right) window.moveLeft(right - window.width());
    if (window.y() + window.height() > bottom) window.moveTop(bottom - window.height());
    if (window.x() < area.x() + 1) window.moveLeft(area.x() + 1);
    if (window.y() < area.y() + 1) window.moveTop(area.y() + 1);
    return window;
}

int choosePlacement(QRect a, QRect w, QSize body, int tail, bool prefersSides) {
    const int aRight = a.x() + a.width(), aBottom = a.y() + a.height();
    const int wRight = w.x() + w.width(), wBottom = w.y() + w.height();
    const int left = a.x() - w.x(), above = a.y() - w.y();
    const int right = wRight - aRight, below = wBottom - aBottom;
    const int W = body.width(), H = body.height();
    const bool fitsAbove = above >= H + tail;
    bool beside;
    if ((prefersSides || !fitsAbove) && std::max(left, right) >= W + tail)
        beside = true;
    else
        beside = std::max(above, below) < H + tail;
    if (beside) {
        const bool onRight = right >= left || right >= W + tail;
        const int downRoom = wBottom - a.y(), upRoom = aBottom - w.y();
        const bool bottomAligned = (downRoom < H && upRoom > downRoom) || a.y() < w.y();
        if (onRight) return bottomAligned ? 4 : 3;
        return bottomAligned ? 7 : 8;
    }
    const bool onTop = fitsAbove || above >= below;
    const int rightRoom = wRight - a.x(), leftRoom = aRight - w.x();
    const bool rightAligned = rightRoom < W && leftRoom > rightRoom;
    if (onTop) return rightAligned ? 2 : 1;
    return rightAligned ? 5 : 6;
}

}  // namespace

BalloonPlacement placeBalloon(std::optional<QRect> anchor, QRect workArea, QSize body,
                              const TBalloonMetrics& metrics, bool prefersSides) {
    // A body larger than the work area would be pushed out at the left or top.
    body = body.boundedTo(QSize(std::max(1, workArea.width() - 2), std::max(1, workArea.height() - 2)));
    BalloonPlacement result;
    if (!anchor || anchor->isEmpty()) {
        result.window = QRect(QPoint(0, 0), body);
        result.window.moveCenter(workArea.center());
        result.window = pushInside(result.window, workArea);
        result.body = QRect(QPoint(0, 0), body);
        return result;
    }
    const QRect a = *anchor;
    const int tail = metrics.ArrowLength, offset = metrics.BalloonOffset;
    const int W = body.width(), H = body.height();
    const int L = a.x(), T0 = a.y(), R = a.x() + a.width(), B = a.y() + a.height();
    const int p = choosePlacement(a, workArea, body, tail, prefersSides);
    QPoint at;
    switch (p) {
        case 1:
            at = {L, T0 - (H + tail) - offset};
            break;
        case 2:
            at = {R - W, T0 - (H + tail) - offset};
            break;
        case 3:
            at = {R + offset, T0};
            break;
        case 4:
            at = {R + offset, B - H};
            break;
        case 5:
            at = {R - W, B + offset};
            break;
        case 6:
            at = {L, B + offset};
            break;
        case 7:
            at = {L - (W + tail) - offset, B - H};
            break;
        default:
            at = {L - (W + tail) - offset, T0};
            break;
    }
    const bool vertical = isAbove(p) || isBelow(p);
    const QSize windowSize = vertical ? QSize(W, H + tail) : QSize(W + tail, H);
    result.placement = p;
    result.window = pushInside(QRect(at, windowSize), workArea);
    const QPoint bodyAt(isRight(p) ? tail : 0, isBelow(p) ? tail : 0);
    result.body = QRect(bodyAt, body);

    // The tail points into the visible part of the anchor.
    const QRect visible = a.intersected(workArea).isEmpty() ? a : a.intersected(workArea);
    const QPoint bodyScreen = result.window.topLeft() + bodyAt;
    const int corner = metrics.RoundCorner, thick = metrics.ArrowThickness;
    int along;
    int limit;
    if (vertical) {
        const int into = a.width() > W ? W * 3 / 4 : a.width() * 2 / 3;
        along = (p == 2 || p == 5) ? visible.x() + visible.width() - into - bodyScreen.x()
                                   : visible.x() + into - bodyScreen.x();
        limit = W - corner - thick;
    } else {
        along = visible.y() + 40 - bodyScreen.y();
        limit = H - corner - thick;
    }
    result.tailOffset = std::max(corner, std::min(along, limit));
    return result;
}

QPainterPath balloonShape(const BalloonPlacement& placement, const TBalloonMetrics& metrics) {
    QPainterPath path;
    const QRectF body(placement.body);
    const qreal radius = metrics.RoundCorner / 2.0;
    path.addRoundedRect(body.adjusted(0, 0, -1, -1), radius, radius);
    const int p = placement.placement;
    const int tail = metrics.ArrowLength, thick = metrics.ArrowThickness, at = placement.tailOffset;
    if (p == 0 || tail == 0) return path;
    QPolygonF triangle;
    const QRectF w(QPointF(0, 0), QSizeF(placement.window.size()));
    if (isAbove(p)) {
        const qreal y = body.bottom() - 1, x = body.left() + at;
        triangle << QPointF(x, y) << QPointF(x + thick, y) << QPointF(x + thick / 2.0, w.bottom() - 1);
    } else if (isBelow(p)) {
        const qreal y = body.top(), x = body.left() + at;
        triangle << QPointF(x, y) << QPointF(x + thick, y) << QPointF(x + thick / 2.0, 0);
    } else if (isRight(p)) {
        const qreal x = body.left(), y = body.top() + at;
        triangle << QPointF(x, y) << QPointF(x, y + thick) << QPointF(0, y + thick / 2.0);
    } else {
        const qreal x = body.right() - 1, y = body.top() + at;
        triangle << QPointF(x, y) << QPointF(x, y + thick) << QPointF(w.right() - 1, y + thick / 2.0);
    }
    QPainterPath tailPath;
    tailPath.addPolygon(triangle);
    tailPath.closeSubpath();
    return path.united(tailPath);
}

QRect openingOutline(QRect body, int percent) {
    const QSize size(body.width() * percent / 100, body.height() * percent / 100);
    QRect outline(QPoint(0, 0), size);
    outline.moveCenter(body.center());
    return outline;
}

MessageButtonChoice chooseMessageButtons(std::uint16_t buttons, int defaultButton) {
    const auto has = [buttons](int index) { return index >= 0 && index < 11 && (buttons >> index) & 1u; };
    MessageButtonChoice choice;
    for (int index : {defaultButton, 2, 0, 5})
        if (has(index)) {
            choice.focused = index;
            break;
        }
    for (int index : {3, 1, 2})
        if (has(index)) {
            choice.cancel = index;
            break;
        }
    return choice;
}

MessageLayout layoutMessage(const MessageMeasures& m, const TBalloonMetrics& metrics, QSize maxBody) {
    const int space = metrics.ControlSpacing;
    const int n = m.buttonCount;
    const int buttonW = std::max<int>(m.caption.width() + 16, metrics.MinButtonWidth);
    const int buttonH = std::max<int>(m.caption.height() + 8, metrics.MinButtonHeight);
    const int gapMin = std::min<int>(space, metrics.MaxButtonSpacing);
    const int row = n > 0 ? n * (buttonW + gapMin) - gapMin : 0;

    const int iconSpace = m.icon.isEmpty() ? 0 : m.icon.width() + space;
    const int maxContent = std::max(1, maxBody.width() - 2 * space);
    const int natural = std::max(m.textNaturalWidth, m.titleNaturalWidth);
    int content = std::max({row, m.checkBoxWidth, metrics.MinMsgDlgWidth - 2 * space,
                            iconSpace + std::min(natural, MaxMessageTextWidth)});
    content = std::min(content, maxContent);
    const int textW = std::max(1, content - iconSpace);

    MessageLayout layout;
    const QPoint origin(space, space);
    if (!m.icon.isEmpty()) layout.icon = QRect(origin, m.icon);
    const int titleH = m.titleHeight ? m.titleHeight(textW) : 0;
    layout.title = QRect(origin.x() + iconSpace, origin.y(), textW, titleH);
    const int textTop = origin.y() + (titleH > 0 ? titleH + space : 0);
    int textH = m.textHeight ? m.textHeight(textW) : 0;

    const int below =
        (m.checkBoxWidth > 0 ? space + m.checkBoxHeight : 0) + (n > 0 ? space + buttonH : 0) + space;
    // The text gives up what the work area cannot hold.
    textH = std::max(0, std::min(textH, maxBody.height() - textTop - below));
    layout.text = QRect(origin.x() + iconSpace, textTop, textW, textH);
    int y = std::max(textTop + textH, layout.icon.isNull() ? 0 : layout.icon.bottom() + 1);
    if (m.checkBoxWidth > 0) {
        y += space;
        layout.checkBox = QRect(origin.x(), y, m.checkBoxWidth, m.checkBoxHeight);
        y += m.checkBoxHeight;
    }
    if (n > 0) {
        y += space;
        // Free room spreads the buttons up to the widest gap, then centres the row.
        const int gap = n > 1 ? std::clamp((content - n * buttonW) / (n - 1), gapMin,
                                           std::max<int>(gapMin, metrics.MaxButtonSpacing))
                              : 0;
        const int rowW = n * (buttonW + gap) - gap;
        int x = origin.x() + std::max(0, (content - rowW) / 2);
        for (int i = 0; i < n; ++i, x += buttonW + gap) layout.buttons.emplace_back(x, y, buttonW, buttonH);
        y += buttonH;
    }
    layout.body = QSize(content + 2 * space, y + space).boundedTo(maxBody);
    return layout;
}

std::vector<int> topicPageStarts(const std::vector<int>& heights, int pageHeight, int spacing) {
    std::vector<int> starts;
    int used = 0;
    for (std::size_t i = 0; i < heights.size(); ++i) {
        const int need = heights[i] + (used > 0 ? spacing : 0);
        if (starts.empty() || (used > 0 && used + need > pageHeight)) {
            starts.push_back(int(i));
            used = heights[i];
        } else {
            used += need;
        }
    }
    return starts;
}

}  // namespace kestrave
