#include "shell/shell_rules.h"

#include <algorithm>
#include <cmath>

#include "platform/message_port.h"

namespace kestrave {

namespace {
constexpr int AboutTab = static_cast<int>(TMainTab::tabAbout);
constexpr int FitMargin = 30;
constexpr int ToolWindowInset = 20;
}  // namespace

std::string gatedPageName(int tab) {
    switch (tab) {
        case 1:
            return "Optimizer";
        case 2:
            return "Stacking";
        case 3:
            return "Wavelets";
        case 4:
            return "Final";
        default:
            return {};
    }
}

TabGate gateTab(int requested, TMainTab activepage) {
    const int allowed = static_cast<int>(activepage);
    if (requested == AboutTab || requested <= allowed) return {requested, {}};
    return {allowed, gatedPageName(requested) + " page not available at this stage"};
}

std::array<Rgb, TabCount> tabColours(int selected, TMainTab activepage, bool singleImage) {
    std::array<Rgb, TabCount> colours{};
    for (int tab = 0; tab < TabCount; ++tab) {
        if (tab == selected)
            colours[tab] = SelectedTabColour;
        else
            colours[tab] = tab <= static_cast<int>(activepage) ? AllowedTabColour : RefusedTabColour;
    }
    if (singleImage) colours[0] = colours[1] = RefusedTabColour;
    colours[AboutTab] = AllowedTabColour;
    return colours;
}

bool closeNeedsQuestion(bool imageSaved, TMainTab activepage) {
    return !imageSaved && activepage > TMainTab::tabStack;
}

bool closeProceeds(std::uint16_t answer, bool savedOnYes) {
    if (answer == mrNo) return true;
    if (answer == mrYes) return savedOnYes;
    return false;
}

float fitScale(bool fitted, int pictureWidth, int pictureHeight, int boxWidth, int boxHeight) {
    if (!fitted) return 1.0f;
    // A box no larger than the margin would divide by zero or flip the sign: it counts as one
    // pixel wide.
    const float usableWidth = static_cast<float>(std::max(boxWidth - FitMargin, 1));
    const float usableHeight = static_cast<float>(std::max(boxHeight - FitMargin, 1));
    const float scale = std::max(static_cast<float>(pictureWidth) / usableWidth,
                                 static_cast<float>(pictureHeight) / usableHeight);
    return scale > 0.0f ? scale : 1.0f;
}

int fittedLength(int pictureLength, float scale) {
    return static_cast<int>(std::nearbyint(static_cast<double>(pictureLength) / scale));
}

WindowPlace keepToolWindowInside(WindowPlace place, int width, int height, int mainWidth, int mainHeight) {
    if (place.left > mainWidth - ToolWindowInset) place.left = mainWidth - width - ToolWindowInset;
    if (place.top > mainHeight - ToolWindowInset) place.top = mainHeight - height - ToolWindowInset;
    return place;
}

}  // namespace kestrave
