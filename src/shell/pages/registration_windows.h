#pragma once
// The contents of the registration tool windows: the spectrum picture of FFTWindow, the series
// and band pointer of the registration chart (Chart8, built with the frame windows), and the
// stack graph's copy of the run (Chart9 on Stackgraphpanel). Built into the tool windows' bodies.

#include <string>

#include "widgets/rect_shape.h"

class QFrame;
class QLabel;
class QWidget;

namespace kestrave {

class TChart;
class TFastLineSeries;
struct ToolWindows;
struct FrameModel;

struct RegistrationWindows {
    RegistrationWindows(ToolWindows& tools, TChart& Chart8);
    // The spectrum picture and the registration chart's series belong to the alignment area, the
    // stack graph's copy of them (Chart9 on Stackgraphpanel) to the stack area. Their controls are
    // reached by them and by those areas' controllers (the friends below) alone; the rest of the
    // window uses the functions below.
    friend class AlignController;
    friend class AlignWindow;
    friend class StackController;

    // The tests read the chart series.
    friend struct PageTestAccess;

private:
    // FFTWindow: the reference spectrum, or the correlation surface of the frame just aligned,
    // stretched over 256 x 256 pixels.
    QLabel* imgFFT;

    // Chart8: the power spectrum of the frame just aligned while frames are aligned; the
    // quality, difference and correlation per rank afterwards.
    TFastLineSeries* Series5;  // red, right axis
    TFastLineSeries* Series6;  // green, left axis, "Difference"
    TFastLineSeries* Series8;  // blue, right axis, "Correlation"
    // The quality band over the spectrum, and its label.
    TRectShape* Showgraph1pointer;
    QLabel* FFTLABELs;

    // Chart9: the quality and the difference per rank, copied from Series5 and Series6.
    TChart* Chart9;
    TFastLineSeries* FastLineSeries1;
    TFastLineSeries* FastLineSeries2;
    // The cut-offs over Chart9 (plain frames standing in for the shapes): the quality cut-off's
    // line, the cover over the frames right of it, and the difference cut-off's line.
    TRectShape* StackQuality;
    TRectShape* Selectoff;
    TRectShape* Stackdifference;

public:
    // What other parts of the window read or set here.
    // A new input: the series emptied, and Chart9's title and texts cleared.
    void clearSeries();
    void clearStackGraphTexts();
    // imgFFT cleared, with " Not defined " in its middle.
    void showSpectrumUndefined();
    // The registration chart (Chart8) and the stack graph's copy (Chart9) show the quality, the
    // difference and the correlation of the ranked frames up to `lastRank`; the optimizer's
    // chart window takes the run's caption.
    void showRegistrationGraph(const FrameModel& model, int lastRank, const std::string& caption);

private:
    TChart& registrationChart_;
    QWidget& optimizerChartWindow_;
};

}  // namespace kestrave
