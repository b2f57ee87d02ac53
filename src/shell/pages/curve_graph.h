#pragma once
// The graph of a curve editor: a white background with its grid, and over it either the edited
// curve or the gamma curve of the gamma spin. The gamma and tone graphs are 255 × 255 with a grid
// line every 51 pixels and the diagonal; the hue-dependent graphs are 360 × 100 (hue across,
// 50 = no change) with the middle line and a line every 45 degrees in green. Mouse events go out
// as signals in graph pixels; the editor's handlers change the curve.

#include <QColor>
#include <QWidget>
#include <vector>

#include "enhance/bspline.h"

namespace kestrave {

// Draws the curve as a polyline in its colour, with a small red circle around each control point
// when its points are shown.
void Draw(const TBSpline& spline, QPainter& Canvas);

enum class CurveGraphGrid { Levels, Hues };

class CurveGraph : public QWidget {
    Q_OBJECT
public:
    // `gridColour`: silver on the gamma graph, grey on the tone graph, green on the hue graphs.
    CurveGraph(QWidget* parent, const char* objectName, QColor gridColour,
               CurveGraphGrid grid = CurveGraphGrid::Levels);

    // The curve drawn over the background (none until set).
    void showCurve(const TBSpline* spline);
    // The gamma spin's curve, in red, in place of the edited curve.
    void showGammaCurve(std::vector<QPoint> points);

    // One pixel more than the graph's extent, so that its last line shows.
    QSize sizeHint() const override {
        return grid_ == CurveGraphGrid::Levels ? QSize(256, 256) : QSize(361, 101);
    }

signals:
    void MouseDown(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, QPointF At);
    void MouseMove(Qt::MouseButtons Buttons, Qt::KeyboardModifiers Shift, QPointF At);
    void MouseUp(Qt::MouseButton Button, QPointF At);
    void DblClick();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    QColor gridColour_;
    CurveGraphGrid grid_;
    const TBSpline* spline_ = nullptr;
    std::vector<QPoint> gammaCurve_;
};

}  // namespace kestrave
