#include "shell/main_form.h"

#include <QLabel>
#include <QProgressBar>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTabBar>
#include <QVBoxLayout>

#include "shell/pages/about_page.h"
#include "shell/pages/align_page.h"
#include "shell/pages/final_page.h"
#include "shell/pages/optimize_page.h"
#include "shell/pages/stack_page.h"
#include "shell/pages/wavelet_page.h"

namespace kestrave {

TMainForm::TMainForm(QWidget* parent) : QMainWindow(parent) {
    setObjectName("MainForm");
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);

    Tabpages = new QTabBar(central);
    Tabpages->setObjectName("Tabpages");
    Pages = new QStackedWidget(central);
    Pages->setObjectName("Pages");

    alignPage = new AlignPage(Pages);
    optimizePage = new OptimizePage(Pages);
    stackPage = new StackPage(Pages);
    waveletPage = new WaveletPage(Pages);
    finalPage = new FinalPage(Pages);
    aboutPage = new AboutPage(Pages);
    const std::array<std::pair<const char*, QWidget*>, 6> pages{{{"Align", alignPage},
                                                                 {"Optimize", optimizePage},
                                                                 {"Stack", stackPage},
                                                                 {"Wavelet", waveletPage},
                                                                 {"Final", finalPage},
                                                                 {"About", aboutPage}}};
    for (const auto& [caption, page] : pages) {
        Tabpages->addTab(QString::fromUtf8(caption));
        Pages->addWidget(page);
    }
    connect(Tabpages, &QTabBar::currentChanged, Pages, &QStackedWidget::setCurrentIndex);

    layout->addWidget(Tabpages);
    layout->addWidget(Pages, 1);
    setCentralWidget(central);

    auto* bar = statusBar();
    bar->setObjectName("StatusBar1");
    for (std::size_t i = 0; i < StatusPanels.size(); ++i) {
        StatusPanels[i] = new QLabel(bar);
        StatusPanels[i]->setObjectName(QString("StatusPanel%1").arg(i));
        bar->addWidget(StatusPanels[i], i == StatusPanels.size() - 1 ? 1 : 0);
    }
    ProgressBar1 = new QProgressBar(bar);
    ProgressBar1->setObjectName("ProgressBar1");
    bar->addPermanentWidget(ProgressBar1);

    resize(1024, 768);
}

TMainForm::~TMainForm() = default;

}  // namespace kestrave
