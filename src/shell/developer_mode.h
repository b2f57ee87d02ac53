#pragma once
// The developer mode of the main window: extra controls for the developer's own measurements and
// the full list of quality methods. Start-up switches it on on the developer's machine.

class QWidget;

namespace kestrave {

class AboutPage;
class AlignPage;
class ToolWindow;
class WaveletPage;

// The controls the developer mode shows and hides.
struct DeveloperControls {
    AlignPage& align;
    WaveletPage& wavelet;
    AboutPage& about;
    // The tone-map window and its graph check box.
    ToolWindow& tonemapWindow;
    QWidget& tonegraph;
};

// Fills QualityMethodCombo with the first `count` items of CopyAlignmethods and chooses `index`
// (no item when there is no such item).
void fillQualityMethodCombo(AlignPage& page, int count, int index);

// Shows the developer controls (TrackDetector, TrackDetect, Checkupdates, Tonegraph,
// Developersmode, Clipcopy, Differ, RadioGroup1, Memo1, FOMlabel in red, FOMspin, Pix1, Pix2),
// makes Tonemapwindow 517 pixels high and offers every quality method, keeping the chosen one.
void showDeveloperControls(DeveloperControls& controls);
// Whether the developer controls are shown.
bool developerModeOn(const DeveloperControls& controls);
// Hides Developersmode, Differ, RadioGroup1, FOMlabel, Pix1 and Pix2 and offers the first five
// quality methods again, keeping the chosen one; a method only the developer mode offers gives
// way to the default method.
void hideDeveloperControls(DeveloperControls& controls);

}  // namespace kestrave
