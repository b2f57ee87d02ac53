#pragma once
// The mouse on a curve editor's graph, the same for every editor: a right click inserts a point,
// Ctrl + left click deletes one, a left drag moves one (the curve then takes the edited look);
// the graph shows the changed curve. Each editor passes its own graph rules.

#include <QPointF>
#include <Qt>

#include "enhance/curve_types.h"

namespace kestrave {

class CurveGraph;
class Pipeline;

// A press on the graph of the run's curve `curve`.
void curveGraphPress(Pipeline& pipeline, EditedCurve curve, CurveGraph& graph, const CurveGraphRules& rules,
                     Qt::MouseButton button, Qt::KeyboardModifiers shift, QPointF at);
// A move over the graph; only the left button alone drags. `linear`: the edited look with
// straight segments.
void curveGraphMove(Pipeline& pipeline, EditedCurve curve, CurveGraph& graph, const CurveGraphRules& rules,
                    bool linear, Qt::MouseButtons buttons, Qt::KeyboardModifiers shift, QPointF at);

}  // namespace kestrave
