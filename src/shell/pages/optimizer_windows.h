#pragma once
// The optimizer's controls in tool windows: the movements plot and the pass pointer on the
// registration chart. Built into the windows; no behaviour here.

#include "widgets/rect_shape.h"

class QFrame;
class QLabel;

namespace kestrave {

class TChart;
struct ToolWindows;

struct OptimizerWindows {
    OptimizerWindows(ToolWindows& tools, TChart& Chart8);
    // The optimize area owns these tool windows. Only that area's controllers (the friends below) reach its
    // controls; the rest of the window uses its functions.
    friend class OptimizeController;

private:
    // In "movements": every optimized frame's shift as a red point (X + 100, Y + 100) and the sums
    // of |X| and |Y|.
    QLabel* Moveimage;
    QLabel* Xmove;
    QLabel* Ymove;
    // On the registration chart: how far the pass has come.
    TRectShape* Showgraph2pointer;
};

}  // namespace kestrave
