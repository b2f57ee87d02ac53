#pragma once
// The developer mode of the main window: extra controls for the developer's own measurements and
// the full list of quality methods. Start-up switches it on on the developer's machine.

namespace kestrave {

class AlignPage;
class TMainForm;

// Fills QualityMethodCombo with the first `count` items of CopyAlignmethods and chooses `index`
// (no item when there is no such item).
void fillQualityMethodCombo(AlignPage& page, int count, int index);

// Shows the developer controls (TrackDetector, TrackDetect, Checkupdates, Tonegraph,
// Developersmode, Clipcopy, Differ, RadioGroup1, Memo1, FOMlabel in red, FOMspin, Pix1, Pix2),
// makes Tonemapwindow 517 pixels high and offers every quality method, keeping the chosen one.
void showDeveloperControls(TMainForm& form);
// Whether the developer controls are shown.
bool developerModeOn(const TMainForm& form);
// Hides Developersmode, Differ, RadioGroup1, FOMlabel, Pix1 and Pix2 and offers the first five
// quality methods again, keeping the chosen one; a method only the developer mode offers gives
// way to the default method.
void hideDeveloperControls(TMainForm& form);

}  // namespace kestrave
