#include "shell/controllers/curve_mouse.h"

#include "pipeline/pipeline.h"
#include "shell/pages/curve_graph.h"

namespace kestrave {

void curveGraphPress(Pipeline& pipeline, EditedCurve curve, CurveGraph& graph, const CurveGraphRules& rules,
                     Qt::MouseButton button, Qt::KeyboardModifiers shift, QPointF at) {
    const auto x = static_cast<float>(at.x());
    const auto y = static_cast<float>(at.y());
    if (button == Qt::RightButton && shift == Qt::NoModifier) {
        pipeline.insertCurvePoint(curve, x, y);
    } else if (button == Qt::LeftButton && shift == Qt::ControlModifier) {
        pipeline.deleteCurvePoint(curve, x, y, rules);
    } else {
        return;
    }
    graph.showCurve(&curveIn(pipeline.curves(), curve));
}

void curveGraphMove(Pipeline& pipeline, EditedCurve curve, CurveGraph& graph, const CurveGraphRules& rules,
                    bool linear, Qt::MouseButtons buttons, Qt::KeyboardModifiers shift, QPointF at) {
    if (buttons != Qt::LeftButton || shift != Qt::NoModifier) return;
    pipeline.dragCurvePoint(curve, static_cast<float>(at.x()), static_cast<float>(at.y()), rules, linear);
    graph.showCurve(&curveIn(pipeline.curves(), curve));
}

}  // namespace kestrave
