#pragma once
// The "Final" tab page and the contents of its "Hue Saturation Lightness" tool window: the final
// picture in its scroll box with a small view of the whole image beside it, the turn, the flips,
// the colour sliders, the crop and the output buttons; in the tool window the hue histogram and
// the hue-dependent hue, saturation and lightness curves over a hue spectrum. Builds the controls;
// the handlers live in the final controller.

#include <QWidget>
#include <optional>

class QComboBox;
class QLabel;
class QPushButton;

namespace kestrave {

class CurveGraph;
class TASSwitcher;
class TEventScrollBox;
class TPCheck;
class TRectShape;
class TRxSlider;
class TRxSpeedButton;
class TRxSpinEdit;
class ToolWindow;

// The tool window's controls. The three graphs are 360 × 100 (hue across, 50 = no change), the
// histogram 360 × 50, all with hue 0 at the same x.
struct HueSaturationWindow {
    explicit HueSaturationWindow(ToolWindow& window);
    // The final area owns this tool window. Only that area's controllers (the friends below) reach its
    // controls; the rest of the window uses its functions.
    friend class FinalController;

private:
    QLabel* HueHistoImage;
    CurveGraph* Huegraph;
    CurveGraph* Saturationgraph;
    CurveGraph* Lightnessgraph;
    // The bar over the graphs that marks the hue under the mouse on the final picture.
    TRectShape* huepoint;
    QLabel* Hueview;  // the hue spectrum under the graphs
    QLabel* Clicklabel;

public:
    // The bar at the hue (degrees, 0..360), or hidden.
    void showHuePoint(std::optional<int> hue);
};

class FinalPage : public QWidget {
    Q_OBJECT
public:
    FinalPage(QWidget* parent, ToolWindow& HLSwindow);
    // The final area owns this page. Only that area's controllers (the friends below) reach its controls; the
    // rest of the window uses its functions.
    friend class FinalController;

private:
    // The picture: the final image (shown 1:1) in its scroll box, and the whole image reduced.
    TEventScrollBox* EventScrollBox1;
    QLabel* RotateImage;
    QLabel* Overview;

    // The turn in degrees, clockwise: typed, in steps of 15 from the list, or of 10 on the dial.
    QComboBox* ComboBox2;
    TRxSpinEdit* RxSpinEdit4;
    TASSwitcher* ASSwitcher1;
    TRxSpeedButton* RxSpeedButton1;  // "Set Centre of Rotation"

    TPCheck* FlipX;
    TPCheck* FlipY;
    TPCheck* Cropping;    // "Use Cropping": shown once a rectangle was drawn
    QLabel* Croppedarea;  // the pointer's position, or the rectangle being drawn

    QLabel* Huelabel;
    QLabel* Saturationlabel;
    QLabel* Lightnesslabel;
    TRxSlider* HueSlider;         // -100..100
    TRxSlider* SaturationSlider;  // -50..50
    TRxSlider* Lightnessslider;   // -100..100
    QPushButton* resethslbutton;
    TPCheck* AdvancedHLS;  // shows the tool window

    QPushButton* Shrink;  // the resize view of the final picture
    QPushButton* savefinalbutton;
    QPushButton* clipboardbutton;

    HueSaturationWindow hls;

public:
    // What other parts of the window read or set here.
    // The hue, saturation and lightness tool window was closed: "Advanced HSL" is cleared (without
    // running its handler).
    void releaseAdvancedHls();

private:
    // The dial points at the angle however it was set (typed, chosen in the list), to its
    // nearest tenth of a turn; it says nothing of that (no change event).
    void showAngleOnDial();

signals:
    // "Shrink" was pressed: the resize view of the final picture is asked for.
    void shrinkRequested();
};

}  // namespace kestrave
