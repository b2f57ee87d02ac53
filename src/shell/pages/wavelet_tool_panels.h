#pragma once
// The contents of the wavelet page's tool windows: "Wavelet filter" (the user 5 × 5 kernel and
// the Gaussian), "Gamma", "RGB balance" (colour offsets and balance) and "Tone mapping". Each
// panel builds its controls into its window; the handlers live in the controllers.

#include <QWidget>
#include <array>

class QLabel;
class QPushButton;

namespace kestrave {

class CurveGraph;
class TPCheck;
class TRxSlider;
class TRxSpinEdit;
class WaveletPage;
struct RenderOptions;
struct ToolWindows;
struct WaveletToolPanels;

class WaveletFilterPanel : public QWidget {
    Q_OBJECT
public:
    explicit WaveletFilterPanel(QWidget* parent);
    // The wavelet area owns this tool window. Only that area's controllers (the friends below) reach its
    // controls; the rest of the window uses its functions.
    friend class WaveletController;

private:
    // Filter<a><b>: the tap dx = a - 2, dy = b - 2 of the kernel, at index b × 5 + a.
    std::array<TRxSpinEdit*, 25> Filter{};
    QPushButton* Setwaveletbutton;    // "Set": the kernel goes into use
    QPushButton* ResetWaveletbutton;  // "Reset": the design kernel, then "Set"
    QLabel* CentreWavelet;            // "centre :51 %"
    QLabel* Waveletcentrelabel;       // "Wavelet centre: 50"
    QPushButton* SaveFilter;          // the kernel into a ".ksf" file
    QPushButton* Loadfilter;
    TRxSpinEdit* Gauss;            // Gaussian scale factor
    TRxSpinEdit* Gaussstart;       // hidden: the first layer's width factor
    TRxSpinEdit* Gaussstep;        // width factor increment per layer
    QPushButton* Setfilterlayers;  // "Set layers": the six widths from the three above
    QPushButton* Gaussian;         // "Set Gaussian"
    QLabel* CentreGaussian;

public:
    TRxSpinEdit* Filter22() const { return Filter[12]; }
    // Start-up: Waveletcentrelabel shows the kernel's centre tap.
    void showWaveletCentre();
};

class GammaPanel : public QWidget {
    Q_OBJECT
public:
    explicit GammaPanel(QWidget* parent);
    // The wavelet area owns this tool window. Only that area's controllers (the friends below) reach its
    // controls; the rest of the window uses its functions.
    friend class WaveletController;

private:
    TRxSpinEdit* Gamma1spin;       // display gamma 0.1..10
    CurveGraph* GammaSplineGraph;  // the gamma curve, edited with the mouse
    QPushButton* ResetGamma;       // "Reset": the default curve
    QPushButton* Loadgammabutton;  // "Load" a ".kgs" curve
    QPushButton* savegammabutton;  // "Save" the curve as ".kgs"
    TPCheck* Linearspline;         // "Linear": straight lines between the points

public:
    // What other parts of the window read or set here.
    // A new input shows its pictures at display gamma 1.0 again.
    void resetDisplayGamma();
    // The display gamma (Gamma1spin).
    double displayGamma() const;
};

class RgbBalancePanel : public QWidget {
    Q_OBJECT
public:
    explicit RgbBalancePanel(QWidget* parent);
    // The wavelet area owns this tool window. Only that area's controllers (the friends below) reach its
    // controls; the rest of the window uses its functions.
    friend class WaveletController;

    friend RenderOptions readRenderOptions(const WaveletPage& page, const WaveletToolPanels& panels);

private:
    TRxSlider* RedSlider;  // additive colour offsets -100..100
    TRxSlider* GreenSlider;
    TRxSlider* blueslider;
    TRxSpinEdit* Rbalance;  // colour balance factors 0.001..1.5
    TRxSpinEdit* Gbalance;
    TRxSpinEdit* Bbalance;
    QPushButton* resethisto1button;  // offsets 0 and factors 1.0

public:
    // What other parts of the window read or set here.
    // A new input: the balance factors 1.0, then the offsets 0.
    void resetForNewInput();
};

class TonemapPanel : public QWidget {
    Q_OBJECT
public:
    explicit TonemapPanel(QWidget* parent);
    // The wavelet area owns this tool window. Only that area's controllers (the friends below) reach its
    // controls; the rest of the window uses its functions.
    friend class WaveletController;

    friend RenderOptions readRenderOptions(const WaveletPage& page, const WaveletToolPanels& panels);

private:
    TPCheck* ActiveTonemap;     // "Activate"
    TPCheck* Tonegraph;         // "UseGraph": the curves instead of the photoreceptor
    TPCheck* LogHist;           // "LogHist": a logarithmic map instead of the tone histogram
    TRxSpinEdit* RxSpinEdit10;  // the LogHist factor
    TRxSpinEdit* RxSpinEdit5;   // hidden: the tone-curve bias
    TRxSpinEdit* RxSpinEdit8;   // hidden: the tone-curve scale
    TRxSlider* RxSlider1;       // "Tonemap-Contrast"
    TRxSlider* RxSlider2;       // "Tonemap-Intensity"
    TRxSlider* RxSlider3;       // "Tonemap-light adaptation"
    TRxSlider* RxSlider4;       // "Tonemap-color-adaptation"
    CurveGraph* Tonemapgraph;   // the tone curve, edited with the mouse

public:
    // "UseGraph": the curves instead of the photoreceptor.
    bool usesToneGraph() const;
};

// The four panels, each in its tool window and with controls of its own, and the wavelet page's
// zoom window. The wavelet area owns these tool windows.
struct WaveletToolPanels {
    explicit WaveletToolPanels(ToolWindows& tools);
    friend class WaveletController;

    WaveletFilterPanel* filter;
    GammaPanel* gamma;
    RgbBalancePanel* rgbBalance;
    TonemapPanel* tonemap;

private:
    // In WaveZoom: the square around the pointer (or the anchor), enlarged to 250 × 250.
    QLabel* Zoomimage2;
};

}  // namespace kestrave
