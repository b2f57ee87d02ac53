#include "shell/pages/optimizer_windows.h"

#include "shell/pages/line_chart.h"
#include "shell/pages/number_controls.h"
#include "shell/pages/page_controls.h"
#include "shell/tool_windows.h"

namespace kestrave {

OptimizerWindows::OptimizerWindows(ToolWindows& tools, TChart& Chart8) {
    ToolWindow& movements = *tools.movements;
    Moveimage = named(new QLabel(&movements), "Moveimage");
    Moveimage->setFixedSize(201, 201);
    Xmove = textLabel(&movements, "Xmove", "x sum:", 2);
    Ymove = textLabel(&movements, "Ymove", "y sum:", 2);
    movements.Body->addWidget(Moveimage);
    movements.Body->addLayout(controlRow({Xmove, Ymove}));
    Showgraph2pointer = shape(&Chart8, "Showgraph2pointer", 2, 200);
    // Shown by the optimizer's passes.
    Showgraph2pointer->hide();
}

}  // namespace kestrave
