#include "widgets/rollup_model.h"

#include <algorithm>

namespace kestrave {

std::vector<int> rollUpHeights(int height, int rollAmount) {
    std::vector<int> heights;
    if (rollAmount > 0)
        while (CaptionBarHeight + rollAmount < height) heights.push_back(height -= rollAmount);
    heights.push_back(RolledUpHeight);
    return heights;
}

std::vector<int> rollDownHeights(int height, int dropHeight, int rollAmount) {
    std::vector<int> heights;
    if (rollAmount > 0)
        while (dropHeight - rollAmount > height) heights.push_back(height += rollAmount);
    heights.push_back(dropHeight);
    return heights;
}

CaptionButtonLefts captionButtonLefts(int width, bool showClose, bool showHelp, bool showMinimize) {
    constexpr int Gap = 1;
    CaptionButtonLefts lefts{width, width, 1, width};
    if (showClose) lefts.close = width - CaptionButtonSize - Gap;
    if (showHelp) lefts.help = lefts.close - 35;
    // The minimize button stands one pixel left of the next shown button to its right.
    if (showMinimize) {
        const int next = showHelp ? lefts.help : showClose ? lefts.close : width;
        lefts.minimize = next - CaptionButtonSize - Gap;
    }
    return lefts;
}

QPoint dragTarget(QPoint topLeft, QPoint press, QPoint mouse, int screenHeight) {
    const QPoint moved = topLeft + mouse - press;
    return {std::max(moved.x(), 1), std::clamp(moved.y(), 1, std::max(screenHeight - 75, 1))};
}

}  // namespace kestrave
