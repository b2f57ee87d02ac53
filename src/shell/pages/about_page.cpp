#include "shell/pages/about_page.h"

namespace kestrave {

AboutPage::AboutPage(QWidget* parent) : QWidget(parent) { setObjectName("AboutPage"); }

}  // namespace kestrave
