#pragma once
// The "Optimize" tab page: builds its controls; the handlers live in the controllers.

#include <QWidget>

class QComboBox;
class QPushButton;
class QTabWidget;

namespace kestrave {

class TPCheck;
class TRxSpinEdit;

class OptimizePage : public QWidget {
    Q_OBJECT
public:
    explicit OptimizePage(QWidget* parent = nullptr);

    QTabWidget* glPageControl2;
    QPushButton* Continuebutton;  // shown while Create waits for the user
    QComboBox* Filtertype;        // the prefilter's kernel preset
    QPushButton* Optimizebutton;
    QPushButton* Optimizeandstackbutton;
    QPushButton* Setlimitbutton;
    QPushButton* Referbutton;
    QPushButton* Restartalign;         // "Realign with" the processed picture
    TRxSpinEdit* OptimizeQualitySpin;  // the limit as a percentage
    TRxSpinEdit* Refframes;            // frames that make a new reference
    TPCheck* Optimizegraph;            // "Difference": the registration windows
    TPCheck* ShowMovementwindow;       // "Movements": the window of the frames' shifts
};

}  // namespace kestrave
