#include "shell/pages/wavelet_page.h"

namespace kestrave {

WaveletPage::WaveletPage(QWidget* parent) : QWidget(parent) { setObjectName("WaveletPage"); }

}  // namespace kestrave
