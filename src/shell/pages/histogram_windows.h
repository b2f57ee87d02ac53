#pragma once
// The contents of the two histogram tool windows of the wavelet page. "Histogram" (HistoWindow)
// shows the display histograms of the last render pass with the black and white levels, the
// smoothing of its curves and the channels the processed view shows; "RGB balance"
// (HistoRGBWindow) shows the same curves above the colour offsets and balance, with the
// automatic colour balance. No behaviour here; the handlers live in the wavelet controller.

#include <QWidget>
#include <array>

class QAbstractAxis;
class QChartView;
class QLabel;
class QLogValueAxis;
class QLineSeries;
class QPushButton;
class QValueAxis;

namespace kestrave {

class TPCheck;
class TRectShape;
class TRxSpinEdit;
class TmkRangeSlider;
struct ToolWindows;

// The curves of the red, green, blue and luminance histograms over the bins 1..255, each point
// the mean count around its bin, and the level labels beside them.
class HistogramView : public QWidget {
    Q_OBJECT
public:
    // `prefix` goes before the names of the view's parts: the series "<prefix>Series1" (red),
    // "<prefix>Series9" (green), "<prefix>Series10" (blue), "<prefix>Series2" (luminance) and the
    // labels "<prefix>Label4" (black level) and "<prefix>Label1" (white level).
    HistogramView(QWidget* parent, const QString& prefix);

    // Red, green, blue, luminance.
    std::array<QLineSeries*, 4> series{};
    QLabel* levelLo;
    QLabel* levelHi;

    // Replaces the four curves (y of bin b at index b - 1) and the level captions.
    void showCurves(const std::array<std::array<double, 255>, 4>& curves, const QString& lo,
                    const QString& hi);
    // The count axis logarithmic or linear.
    void setLogScale(bool logarithmic);
    bool logScale() const { return logarithmic_; }
    // The black and white level lines over the chart, at x pixels of its width.
    void placeLevelLines(int loX, int hiX);
    int chartWidth() const;
    TRectShape* Loline;
    TRectShape* Hiline;

private:
    QAbstractAxis* countAxis() const;
    void setCountRange(double highest);

    QChartView* view_;
    QValueAxis* countAxis_;
    QLogValueAxis* logAxis_;
    bool logarithmic_ = false;
    double highest_ = 1.0;
};

struct HistogramWindows {
    explicit HistogramWindows(ToolWindows& tools);
    // The wavelet area owns these tool windows. Only that area's controllers (the friends below) reach its
    // controls; the rest of the window uses its functions.
    friend class WaveletController;

private:
    // HistoWindow.
    HistogramView* histogram;
    QLineSeries* Series1;        // red
    QLineSeries* Series9;        // green
    QLineSeries* Series10;       // blue
    QLineSeries* Series2;        // luminance
    QLabel* Label4;              // "  lo: " and the black level
    QLabel* Label1;              // "  hi: " and the white level
    TRxSpinEdit* HistoSmoother;  // half-width of the curves' smoothing, 1..20
    TPCheck* Redshow;            // twins of the wavelet page's Showred, Showgreen, Showblue
    TPCheck* Greenshow;
    TPCheck* Blueshow;
    // The black and white levels: the range slider over positions 0..1023 and the two spins.
    TmkRangeSlider* mkRangeSlider1;
    TRxSpinEdit* LovalSpin;
    TRxSpinEdit* Hivalspin;
    QPushButton* Button1;        // hidden: the levels back to 0..255
    TPCheck* Log;                // "Log-based graph"
    QPushButton* Historeset;     // "Reset": the levels back to 0..255
    QPushButton* stretchbutton;  // "Stretch": the spins' levels become the slider's whole range
    TPCheck* Showpeak;           // "Show peak": renders again

    // HistoRGBWindow, above and below the colour offsets and balance.
    HistogramView* rgbHistogram;
    TPCheck* Autobalance;  // hidden: checked while the automatic balance runs
    QPushButton* Autobalancebutton;

public:
    // Both views, for drawing the same curves into each.
    std::array<HistogramView*, 2> views() const { return {histogram, rgbHistogram}; }
};

}  // namespace kestrave
