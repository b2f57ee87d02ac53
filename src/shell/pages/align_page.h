#pragma once
// The "Align" tab page: builds its controls; the handlers live in the controllers.

#include <QWidget>

class QComboBox;
class QLabel;
class QScrollArea;
class QTabWidget;

namespace kestrave {

class TDirectoryListBox;
class TPCheck;
class TRadioGroup;
class TRxSlider;
class TRxSpinEdit;

class AlignPage : public QWidget {
    Q_OBJECT
public:
    explicit AlignPage(QWidget* parent = nullptr);

    QTabWidget* glPageControl1;
    TPCheck* PreviewFull;    // fit the preview to its box
    TPCheck* Previewzoom;    // the zoom tool window
    TPCheck* ShowFramelist;  // the frame selection tool window
    TPCheck* Haltwindow;     // the alignment tool window with the halt button
    QScrollArea* ScrollBox1;
    QLabel* PreviewImage;

    // The alignment box's side, "32" … "512" (no item until one is chosen), and the quality
    // method: the visible list and the hidden list of every method, whose item is the one kept
    // from one run to the next.
    TRadioGroup* FFTsizeGroup;
    QComboBox* QualityMethodCombo;
    TRadioGroup* CopyAlignmethods;
    // Browses the aligned frames in ranking order; hidden until there are some.
    TRxSlider* AlignSlider;
    QLabel* Framelabel;

    // General options.
    TPCheck* Colourstack;  // colour input
    TPCheck* LRGB;         // luminance from a mix of the colour channels
    TPCheck* Usedarkframe;
    TPCheck* UseFlatfield;
    TPCheck* interlaced;                   // interlaced video: the fields are used one by one
    TPCheck* Interlacehoriz;               // the fields are columns instead of rows
    TDirectoryListBox* DirectoryListBox1;  // the folder files are opened and saved in
    // Additional options: the language of the window's texts.
    QComboBox* Languagebox;
    TPCheck* Autolanguage;  // apply the chosen language at start-up
    // Developer controls, shown only in the developer mode: the lost-lock ratio and the
    // gradient quality's parameters.
    QLabel* TrackDetector;
    TRxSpinEdit* TrackDetect;
    QLabel* FOMlabel;
    TRxSpinEdit* FOMspin;
    TRxSpinEdit* Pix1;
    TRxSpinEdit* Pix2;

private:
    QWidget* buildGeneralOptions();
    QWidget* buildAdditionalOptions();
};

}  // namespace kestrave
