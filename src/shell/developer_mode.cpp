#include "shell/developer_mode.h"

#include "shell/pages/about_page.h"
#include "shell/pages/align_page.h"
#include "shell/pages/wavelet_page.h"
#include "shell/tool_windows.h"

namespace kestrave {

namespace {
constexpr int DeveloperTonemapHeight = 517;
}  // namespace

void fillQualityMethodCombo(AlignPage& page, int count, int index) {
    page.fillQualityMethodCombo(count, index);
}

void showDeveloperControls(DeveloperControls& controls) {
    controls.align.showDeveloperControls();
    controls.about.showDeveloperControls();
    controls.wavelet.showDeveloperControls();
    controls.tonegraph.setVisible(true);
    controls.tonemapWindow.resize(controls.tonemapWindow.width(), DeveloperTonemapHeight);
}

bool developerModeOn(const DeveloperControls& controls) {
    return controls.about.developerControlsShown();
}

void hideDeveloperControls(DeveloperControls& controls) {
    controls.about.hideDeveloperControls();
    controls.wavelet.hideDeveloperControls();
    controls.align.hideDeveloperControls();
}

}  // namespace kestrave
