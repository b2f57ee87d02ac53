#pragma once
// The multi-point window (Multialignwindow): the grid of alignment points, the estimator with its
// minimum distance, the point files, the zones and the reset of the point shifts, the seams of
// the zones in the stack; the progress window of the points' alignment and optimizer with the
// time left, the zoomed area of the point, and the distance between points 1 and 2 in every
// frame ("Angle & Distance"). No behaviour here.
//
// StringGrid1 stands in for the string grid: its header row holds the captions "X", "Y", "FFT" of
// columns 1..3, and table row p - 1 holds point p with its number in column 0.

#include <string>
#include <vector>

class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;
class QTableWidget;
class QTimer;
class QWidget;

namespace kestrave {

class TChart;
class TFastLineSeries;
class TPCheck;
class TRxSpinEdit;
class ToolWindow;
struct StackOptions;
struct ToolWindows;

struct PointWindows {
    PointWindows(ToolWindows& tools, QWidget* form);
    // The alignment area owns these tool windows. Only that area's controllers (the friends below) reach its
    // controls; the rest of the window uses its functions.
    friend class PointController;
    friend class AlignController;
    friend struct PageTestAccess;

private:
    ToolWindow* Multialignwindow;
    QTableWidget* StringGrid1;
    QPushButton* EstimateBestAlign;
    TRxSpinEdit* MaxDist;  // "Minimum distance between points", 25..200
    QPushButton* ClearAlignmentpoints;
    QPushButton* SavePoints;
    QPushButton* Loadpoints;
    QLabel* Label52;            // "Alignmentpoints: " + the point count
    TPCheck* Alignmentzones;    // the zones of the points over the preview
    TPCheck* Resetalignpoints;  // give every point the first point's shifts
    // On the progress window: "Time left: hh:mm:ss" while the points are aligned or optimized,
    // "Stacking started ..." once their stack begins.
    QLabel* Multialigntimer;
    TRxSpinEdit* Alignments;  // hidden: the number of points aligned, 2..49
    QTimer* Timer1;           // counts the time left down every 5 s; off until the points are aligned
    // Neighbouring zones blend over a band of SeamWidths pixels (1..50) on each side of their border.
    TPCheck* Seams;
    TRxSpinEdit* SeamWidths;

    // MultiAlignprogresswindow: the points (or frames) done; Zoomwindow: the area around the point
    // in work (zoomimage, 256 x 256).
    QProgressBar* MultiAlignProgressbar;
    QLabel* zoomimage;

    // AngleDist: the distance between points 1 and 2 (in red) over the frame index.
    TChart* AngleDistChart;
    TFastLineSeries* LineSeries1;

public:
    // What other parts of the window read or set here.
    // The progress of the points' optimizer or alignment: a run over `count` steps (the points, or
    // the frames the points' pass aligns) begins, `done` of them are done, the time left counts
    // down from the text shown, and stops.
    void startPointProgress(int count);
    void showPointsDone(int done);
    void startCountdown(const std::string& timeLeft);
    void stopCountdown();
    // The stack of the points begins.
    void showStackingStarted();
    // The distances between points 1 and 2, by frame; none clears the chart.
    void showPointDistances(const std::vector<double>& distances);
    // The seams between the points' zones: read into the stack's options, and switched on with
    // their width.
    void readSeams(StackOptions& options) const;
    void useSeams(int width);
};

}  // namespace kestrave
