#pragma once
// The Stack page's tab of the two AVI writers: the registered video with its frame size, and the
// integrated video with its frames per output frame and method. No behaviour here; the handlers
// live in the AVI controller.

#include <QWidget>

class QPushButton;

namespace kestrave {

class TRadioGroup;
class TRxSpinEdit;

class AviControls : public QWidget {
    Q_OBJECT
public:
    explicit AviControls(QWidget* parent = nullptr);
    // The stack area's video output owns these controls. Only that area's controllers (the friends below)
    // reach its controls; the rest of the window uses its functions.
    friend class AviController;

private:
    QPushButton* RegisterAVI;
    TRadioGroup* Registeravichoice;  // "Alignment area", "Maximum area"
    QPushButton* Integrated;
    TRxSpinEdit* Integratestep;        // frames per integrated frame, 3..50
    TRadioGroup* MethodIntegratedAVI;  // "Moving average", "Compressed "
};

}  // namespace kestrave
