#pragma once
// Handlers of the Final page: the final picture computed from the 16-bit result with the page's
// turn, colour sliders, hue-dependent curves and flips (`UpdateFinalBitmap`); the mouse on the
// picture (crop rectangle, centre of rotation, the hue under the pointer); the curve editors of
// the "Hue Saturation Lightness" window; the small view of the whole image; and the output: the
// picture saved in the type of the save dialog's filter, or copied to the clipboard.

#include <QObject>
#include <QPoint>
#include <optional>

#include "enhance/final_types.h"
#include "pipeline/pipeline.h"

namespace kestrave {

class CurveGraph;
class ShellPorts;
class FinalPage;
class TBSpline;
class ToolWindow;
struct CurveGraphRules;
struct WindowDialogs;
class TabStrip;

// What the final handlers work with: the page and its tool window, the pipeline (the crop
// rectangle and centre of rotation, the 16-bit result and the rendered picture whose size the
// final picture takes, the stack's colour setting and the image size for FITS, the curves and the
// final page's own data), the saved flag, the ports, and the save dialogs and folder.
struct FinalControllerParts {
    FinalPage& page;
    ToolWindow& HLSwindow;
    Pipeline& pipeline;
    // The shell's flags, the messages, the progress port, the file dialogs and the settings store
    // (the last three may be put in place after the window is made).
    ShellPorts& ports;
    WindowDialogs& fileDialogs;
    // The final picture is made as its page is entered, and again once the page shows.
    TabStrip& tabs;
};

class FinalController : public QObject {
public:
    explicit FinalController(const FinalControllerParts& parts);

    // Recomputes the final picture from the 16-bit result and the page's controls, shows it with
    // the crop rectangle, the hue histogram and the overview. Nothing is shown before a picture
    // was rendered.
    void UpdateFinalBitmap();
    // A new rendered picture exists: the final picture follows it while the page is shown (the
    // page recomputes it whenever it is opened).
    void showProcessed();

    void ComboBox2Change();
    void ASSwitcher1MouseUp();
    void FlipXClick();
    void FlipYClick();
    // The captions and the picture follow every step of the sliders.
    void HueSliderChanged();
    void resethslbuttonClick();
    void AdvancedHLSClick();
    void CroppingClick();
    void RxSpeedButton1Click();
    void RotateImageMouseDown(Qt::MouseButton button, QPoint at);
    void RotateImageMouseMove(Qt::MouseButtons buttons, QPoint at);
    void RotateImageMouseUp();
    // The overview: the whole picture reduced, with the part the scroll box shows outlined.
    void EventScrollBox1ScrollHorz();
    void savefinalbuttonClick();
    void clipboardbuttonClick();

    // The three curve editors (the hue editor also on the histogram).
    void hueGraphMouseDown(EditedCurve curve, Qt::MouseButton button, Qt::KeyboardModifiers shift,
                           QPointF at);
    void hueGraphMouseMove(EditedCurve curve, Qt::MouseButtons buttons, Qt::KeyboardModifiers shift,
                           QPointF at);
    void hueGraphMouseUp(EditedCurve curve);

    // The page's controls as the computation takes them.
    FinalSettings readFinalSettings() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void connectControls();
    // A control of the page changed the final picture: the result counts as unsaved, and the
    // picture is computed again.
    void settingChanged();
    void showFinalPicture();
    void drawHueHistogram();
    // The hue (whole degrees) of the result under the shown pixel, while the tool window is
    // shown and the picture is not turned.
    std::optional<int> hueUnderPointer(QPoint at) const;
    const TBSpline& splineOf(EditedCurve curve) const;
    // The graph that shows a curve and its mouse rules.
    CurveGraph& graphOf(EditedCurve curve) const;
    const CurveGraphRules& rulesOf(EditedCurve curve) const;

    FinalControllerParts parts_;
    FinalPage& page_;
    // The final picture follows every new rendering while its page shows.
    Pipeline::Subscription processedShown_;
    // The left button is held on the picture while a rectangle is drawn.
    bool dragging_ = false;
    // The crop rectangle over the picture: none (the picture was computed anew), plain white (the
    // page opened) or the exclusive-or band (drawn by the mouse or "Use Cropping").
    enum class CropBand { None, Solid, Xor };
    CropBand cropBand_ = CropBand::None;
};

}  // namespace kestrave
