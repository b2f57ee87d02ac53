#pragma once
// The "Wavelet" tab page: builds its controls; the handlers live in the controllers.

#include <QWidget>

class QLabel;
class QPushButton;
class QScrollArea;
class QTabWidget;
class QToolButton;

namespace kestrave {

class TPCheck;

class WaveletPage : public QWidget {
    Q_OBJECT
public:
    explicit WaveletPage(QWidget* parent = nullptr);

    QTabWidget* glPageControl4;
    QPushButton* Processbutton;
    QLabel* Showbuttonp3;     // marks Processbutton while it must be pressed by hand
    TPCheck* Autoprocessbox;  // render on every change instead of on Processbutton
    QPushButton* savebmp2button;
    TPCheck* ProcessViewfull;  // fit the processed image to its box
    TPCheck* ZoomWavelet;      // the wavelet zoom tool window
    // Speed buttons of the tool windows: down while their window shows.
    QToolButton* Gammaspeedbutton;
    QToolButton* Histogramspeedbutton;
    QToolButton* RGBbalancespeedbutton;
    QToolButton* Waveletfilterspeedbutton;
    QToolButton* Tonemapspeedbutton;
    QToolButton* Resizebutton;
    QScrollArea* Scrollbox3;
    QLabel* ProcessImage;
};

}  // namespace kestrave
