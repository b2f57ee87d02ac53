#include "shell/tab_strip.h"

namespace kestrave {

TabStrip::TabStrip(QWidget* parent) : TglTabControl(parent) {
    setTabSize(70, 20);
    setHotTrack(true);
    // Tabs bevelled on their left and right sides only: the others lowered on a pale red, the
    // chosen one raised on a pale green with raised caption text.
    TTabStyle& normal = *TabStyle();
    normal.Borders = sideBit(TglSide::fsdLeft) | sideBit(TglSide::fsdRight);
    normal.BevelOuter = TBevelKind::bvLowered;
    normal.BackgrColor = colorFromBgr(10526941);
    normal.CaptionHAlign = TglHorAlign::fhaCenter;
    TTabStyle& selected = *TabSelectedStyle();
    selected.Borders = normal.Borders;
    selected.BevelOuter = TBevelKind::bvRaised;
    selected.BackgrColor = colorFromBgr(12639424);
    selected.TextStyle = TglTextStyle::fstRaised;
    selected.CaptionHAlign = TglHorAlign::fhaCenter;
}

}  // namespace kestrave
