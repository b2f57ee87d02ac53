#pragma once
// The "Stack" tab page: builds its controls; the handlers live in the controllers.

#include <QWidget>

class QComboBox;
class QPushButton;
class QTabWidget;

namespace kestrave {

class TPCheck;
class TRxSpinEdit;

class StackPage : public QWidget {
    Q_OBJECT
public:
    explicit StackPage(QWidget* parent = nullptr);

    QTabWidget* glPageControl3;
    TPCheck* Showstackgraph;       // the stack graph tool window
    TPCheck* ShowStacklist;        // the tool window listing the stacked frames
    QComboBox* Stackfiltermethod;  // the stack filter's kernel preset
    // Resampling of the stack: the working image is the frame size × ResampleSpin (1..4), or
    // twice the frame size when drizzling; ResampleMethod is the resampling filter.
    TPCheck* Resampled;
    TRxSpinEdit* ResampleSpin;
    QComboBox* ResampleMethod;
    TPCheck* Drizzling;
    QPushButton* Stackbutton;
    QPushButton* Statisticalstackbutton;
    TPCheck* Multi;
};

}  // namespace kestrave
