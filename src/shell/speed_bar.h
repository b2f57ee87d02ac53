#pragma once
// The speed bar across the top of the main window: one section of twelve items with their
// own names, each button at its item's place, and the version labels at the right end.

#include "widgets/speed_bar.h"

namespace kestrave {

class TfshVersionLabel;

class SpeedBar : public TSpeedBar {
    Q_OBJECT
public:
    explicit SpeedBar(QWidget* parent = nullptr);

    TRxSpeedButton* Selectbutton;
    TRxSpeedButton* Flatdarkbutton;
    TRxSpeedButton* Projectsave;
    TRxSpeedButton* projectload;
    TRxSpeedButton* ProjectSaveas;
    TRxSpeedButton* helpbutton;
    TRxSpeedButton* Cancelbutton;
    TRxSpeedButton* hintbutton;
    TRxSpeedButton* ImageInfobutton;
    TRxSpeedButton* ClipboardFront;  // shown once the clipboard holds a picture
    TRxSpeedButton* PauseButton;
    TRxSpeedButton* Wizard;
    // At the right end, one above the other: the program's file version and the date and time
    // of the program file.
    TfshVersionLabel* VersionLabel;
    TfshVersionLabel* fshVersionLabel2;

protected:
    void resizeEvent(QResizeEvent* event) override;
};

}  // namespace kestrave
