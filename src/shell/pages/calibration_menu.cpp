#include "shell/pages/calibration_menu.h"

#include <QAction>
#include <QMenu>

#include "shell/pages/frame_windows.h"
#include "shell/pages/page_controls.h"

namespace kestrave {

CalibrationMenu::CalibrationMenu(QWidget* form, const FrameWindows& windows)
    : PopupMenu1(named(new QMenu(form), "PopupMenu1")),
      LoadDarkframe1(named(new QAction("Load Darkframe", PopupMenu1), "LoadDarkframe1")),
      CreateDarkframe1(windows.CreateDarkframe1),
      LoadFlatfield1(named(new QAction("Load Flatfield", PopupMenu1), "LoadFlatfield1")),
      CreateFlatfield1(windows.CreateFlatfield1) {
    PopupMenu1->addActions({LoadDarkframe1, CreateDarkframe1, LoadFlatfield1, CreateFlatfield1});
}

}  // namespace kestrave
