#include "shell/pages/optimize_page.h"

namespace kestrave {

OptimizePage::OptimizePage(QWidget* parent) : QWidget(parent) { setObjectName("OptimizePage"); }

}  // namespace kestrave
