#include "shell/controllers/curve_mouse.h"

#include "enhance/curve_editing.h"
#include "shell/pages/curve_graph.h"

namespace kestrave {

void curveGraphPress(TBSpline& spline, CurveGraph& graph, const CurveGraphRules& rules,
                     Qt::MouseButton button, Qt::KeyboardModifiers shift, QPointF at) {
    const auto x = static_cast<float>(at.x());
    const auto y = static_cast<float>(at.y());
    if (button == Qt::RightButton && shift == Qt::NoModifier) {
        insertCurvePoint(spline, x, y);
    } else if (button == Qt::LeftButton && shift == Qt::ControlModifier) {
        deleteCurvePoint(spline, x, y, rules);
    } else {
        return;
    }
    graph.showCurve(&spline);
}

void curveGraphMove(TBSpline& spline, CurveGraph& graph, const CurveGraphRules& rules, bool linear,
                    Qt::MouseButtons buttons, Qt::KeyboardModifiers shift, QPointF at) {
    if (buttons != Qt::LeftButton || shift != Qt::NoModifier) return;
    dragCurvePoint(spline, static_cast<float>(at.x()), static_cast<float>(at.y()), rules);
    setEditedCurveStyle(spline, linear);
    graph.showCurve(&spline);
}

}  // namespace kestrave
