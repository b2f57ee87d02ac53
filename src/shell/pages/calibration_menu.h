#pragma once
// The drop-down menu of the speed-bar item "Flat/Dark": loading and creating dark frames and
// flat fields. The two create items are those of the frame windows (the input selection enables
// them); the load items are enabled from the start. No behaviour here.

class QAction;
class QMenu;
class QWidget;

namespace kestrave {

struct FrameWindows;

struct CalibrationMenu {
    CalibrationMenu(QWidget* form, const FrameWindows& windows);

    QMenu* PopupMenu1;
    QAction* LoadDarkframe1;    // "Load Darkframe"
    QAction* CreateDarkframe1;  // "Create Darkframe"
    QAction* LoadFlatfield1;    // "Load Flatfield"
    QAction* CreateFlatfield1;  // "Create Flatfield"
};

}  // namespace kestrave
