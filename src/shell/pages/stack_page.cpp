#include "shell/pages/stack_page.h"

namespace kestrave {

StackPage::StackPage(QWidget* parent) : QWidget(parent) { setObjectName("StackPage"); }

}  // namespace kestrave
