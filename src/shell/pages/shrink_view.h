#pragma once
// The contents of the resize tool window (Shrinkview): the ratio and the filter, the scaled
// picture in its scroll box with its size, and the buttons that go back to full size and save.
// No behaviour here; the handlers live in the resize controller.

class QLabel;
class QPushButton;
class QScrollArea;

namespace kestrave {

class TRadioGroup;
class ToolWindow;

struct ShrinkView {
    explicit ShrinkView(ToolWindow& window);
    // The resize area owns this tool window. Only that area's controllers (the friends below) reach its
    // controls; the rest of the window uses its functions.
    friend class ResizeController;

private:
    TRadioGroup* RadioGroup2;    // "Resize ratio": "10%" .. "200%"
    TRadioGroup* CopyResize;     // hidden: the stored copy of RadioGroup2's item
    TRadioGroup* ResizeFilters;  // "Bell", "B-Spline", "Lanczos", "Mitchell"
    QPushButton* Shrinktooriginal;
    QPushButton* Saveshrink;
    QLabel* Imagesize;  // "Imagesize: " W "x" H
    QScrollArea* ScrollBox4;
    QLabel* ShrinkImage;
};

}  // namespace kestrave
