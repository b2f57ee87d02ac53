#include "shell/pages/final_page.h"

namespace kestrave {

FinalPage::FinalPage(QWidget* parent) : QWidget(parent) { setObjectName("FinalPage"); }

}  // namespace kestrave
