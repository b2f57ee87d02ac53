#pragma once
// The main window. It owns the pages, the status bar and the progress bar and forwards the few
// entry points that other parts call; behaviour lives in the controllers.

#include <QMainWindow>
#include <array>

class QLabel;
class QProgressBar;
class QStackedWidget;
class QTabBar;

namespace kestrave {

class AlignPage;
class OptimizePage;
class StackPage;
class WaveletPage;
class FinalPage;
class AboutPage;

class TMainForm : public QMainWindow {
    Q_OBJECT
public:
    explicit TMainForm(QWidget* parent = nullptr);
    ~TMainForm() override;

    // The tab strip "Align", "Optimize", "Stack", "Wavelet", "Final", "About" and the pages under it.
    QTabBar* Tabpages = nullptr;
    QStackedWidget* Pages = nullptr;
    AlignPage* alignPage = nullptr;
    OptimizePage* optimizePage = nullptr;
    StackPage* stackPage = nullptr;
    WaveletPage* waveletPage = nullptr;
    FinalPage* finalPage = nullptr;
    AboutPage* aboutPage = nullptr;

    // Status bar: five text panels and the progress bar.
    std::array<QLabel*, 5> StatusPanels{};
    QProgressBar* ProgressBar1 = nullptr;
};

}  // namespace kestrave
