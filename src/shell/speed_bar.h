#pragma once
// The speed bar across the top of the main window: twelve push buttons with their documented
// names. Plain tool buttons stand in for the speed-bar component until it exists; handlers are
// written against these names.

#include <QToolButton>
#include <QWidget>

namespace kestrave {

class TfshVersionLabel;

class SpeedBar : public QWidget {
    Q_OBJECT
public:
    explicit SpeedBar(QWidget* parent = nullptr);

    QToolButton* Selectbutton;
    QToolButton* Flatdarkbutton;
    QToolButton* Projectsave;
    QToolButton* projectload;
    QToolButton* ProjectSaveas;
    QToolButton* helpbutton;
    QToolButton* Cancelbutton;
    QToolButton* hintbutton;
    QToolButton* ImageInfobutton;
    QToolButton* ClipboardFront;  // shown once the clipboard holds a picture
    QToolButton* PauseButton;
    QToolButton* Wizard;
    // At the right end, one above the other: the program's file version and the date and time
    // of the program file.
    TfshVersionLabel* VersionLabel;
    TfshVersionLabel* fshVersionLabel2;
};

}  // namespace kestrave
