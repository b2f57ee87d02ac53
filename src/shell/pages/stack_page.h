#pragma once
// The "Stack" tab page: builds its controls; the handlers live in the controllers.

#include <QWidget>

class QTabWidget;

namespace kestrave {

class TPCheck;
class TRxSpinEdit;

class StackPage : public QWidget {
    Q_OBJECT
public:
    explicit StackPage(QWidget* parent = nullptr);

    QTabWidget* glPageControl3;
    TPCheck* Showstackgraph;  // the stack graph tool window
    TPCheck* ShowStacklist;   // the tool window listing the stacked frames
    // Resampling of the stack: the working image is the frame size × ResampleSpin (1..4), or
    // twice the frame size when drizzling.
    TPCheck* Resampled;
    TRxSpinEdit* ResampleSpin;
    TPCheck* Drizzling;
};

}  // namespace kestrave
