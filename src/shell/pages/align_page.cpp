#include "shell/pages/align_page.h"

namespace kestrave {

AlignPage::AlignPage(QWidget* parent) : QWidget(parent) { setObjectName("AlignPage"); }

}  // namespace kestrave
