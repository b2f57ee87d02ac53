#include "shell/pages/curve_graph.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPolygon>

#include "enhance/curve_types.h"

namespace kestrave {

namespace {

constexpr int HueGraphWidth = 360;
constexpr int HueGraphHeight = 100;
constexpr int HueGridStep = 45;

}  // namespace

void Draw(const TBSpline& spline, QPainter& Canvas) {
    // The colour is held as 0x00BBGGRR.
    const std::uint32_t c = spline.Color;
    Canvas.setPen(QColor(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF),
                         static_cast<int>((c >> 16) & 0xFF)));
    Canvas.setBrush(Qt::NoBrush);
    QPolygon line;
    for (const auto& [x, y] : spline.polyline()) line << QPoint(x, y);
    if (spline.NumberOfPoints() >= 2) Canvas.drawPolyline(line);
    if (!spline.ShowPoints) return;
    Canvas.setPen(Qt::red);
    for (int i = 1; i <= spline.NumberOfPoints(); ++i) {
        const SplinePoint p = spline.Point(i);
        const int x = static_cast<int>(std::nearbyint(p.x));
        const int y = static_cast<int>(std::nearbyint(p.y));
        Canvas.drawEllipse(QRect(QPoint(x - 2, y - 2), QPoint(x + 2, y + 2)));
    }
}

CurveGraph::CurveGraph(QWidget* parent, const char* objectName, QColor gridColour, CurveGraphGrid grid)
    : QWidget(parent), gridColour_(gridColour), grid_(grid) {
    setObjectName(objectName);
    setFixedSize(sizeHint());
    setCursor(Qt::CrossCursor);
}

void CurveGraph::showCurve(const TBSpline* spline) {
    spline_ = spline;
    gammaCurve_.clear();
    update();
}

void CurveGraph::showGammaCurve(std::vector<QPoint> points) {
    gammaCurve_ = std::move(points);
    update();
}

void CurveGraph::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    painter.setPen(gridColour_);
    if (grid_ == CurveGraphGrid::Levels) {
        painter.drawLine(0, CurveGraphSize, CurveGraphSize, 0);
        for (int k = 0; k <= CurveGraphSize / CurveGridStep; ++k) {
            const int at = k * CurveGridStep;
            painter.drawLine(at, 0, at, height());
            painter.drawLine(0, at, width(), at);
        }
    } else {
        painter.drawLine(0, HueGraphHeight / 2, HueGraphWidth, HueGraphHeight / 2);
        for (int k = 0; k <= HueGraphWidth / HueGridStep; ++k)
            painter.drawLine(k * HueGridStep, 0, k * HueGridStep, HueGraphHeight);
    }
    if (!gammaCurve_.empty()) {
        painter.setPen(Qt::red);
        QPolygon line;
        line << QPoint(0, CurveGraphSize);
        for (const QPoint& p : gammaCurve_) line << p;
        painter.drawPolyline(line);
    } else if (spline_) {
        Draw(*spline_, painter);
    }
}

void CurveGraph::mousePressEvent(QMouseEvent* event) {
    emit MouseDown(event->button(), event->modifiers(), event->position());
}

void CurveGraph::mouseMoveEvent(QMouseEvent* event) {
    emit MouseMove(event->buttons(), event->modifiers(), event->position());
}

void CurveGraph::mouseReleaseEvent(QMouseEvent* event) {
    emit MouseUp(event->button(), event->position());
}

void CurveGraph::mouseDoubleClickEvent(QMouseEvent*) {
    emit DblClick();
}

}  // namespace kestrave
