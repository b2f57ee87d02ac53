#pragma once
// Where the speech balloon goes and how its content is arranged: pure functions of sizes and
// rectangles, so that the balloon window only measures texts and applies the results.

#include <QPainterPath>
#include <QRect>
#include <QSize>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

#include "assistant/balloon_options.h"

namespace kestrave {

// Placements: 0 centred (no anchor), 1 above left-aligned, 2 above right-aligned, 3 right
// top-aligned, 4 right bottom-aligned, 5 below right-aligned, 6 below left-aligned, 7 left
// bottom-aligned, 8 left top-aligned.
struct BalloonPlacement {
    int placement = 0;
    QRect window;        // screen coordinates: the body and the tail
    QRect body;          // inside `window`, in window coordinates
    int tailOffset = 0;  // where the tail's base starts along the body edge facing the anchor
};

// `anchor` empty: no anchor or an invisible one, and the balloon is centred in the work area.
// `prefersSides`: the tips balloon goes beside its anchor where it can.
BalloonPlacement placeBalloon(std::optional<QRect> anchor, QRect workArea, QSize body,
                              const TBalloonMetrics& metrics, bool prefersSides);

// The balloon's outline in window coordinates: a rounded body and, when the tail has a length,
// a triangular tail whose tip reaches the window edge toward the anchor.
QPainterPath balloonShape(const BalloonPlacement& placement, const TBalloonMetrics& metrics);

// The opening animation: a one-pixel outline centred on the body, grown to these fractions of
// its size, with the pause after each step.
struct OpeningStep {
    int percent;
    int pauseMs;
};
inline constexpr OpeningStep OpeningSteps[4] = {{20, 70}, {40, 50}, {60, 30}, {80, 10}};
QRect openingOutline(QRect body, int percent);

// Indices into the message button table (0 Yes … 10 Help), -1 when none.
struct MessageButtonChoice {
    int focused = -1;
    int cancel = -1;  // the one Esc presses
};
// `defaultButton` is a table index; any index not in `buttons` lets the set decide: OK, else
// Yes, else Retry. The cancel button is Cancel, else No, else OK.
MessageButtonChoice chooseMessageButtons(std::uint16_t buttons, int defaultButton);

// What the message balloon's window measured.
struct MessageMeasures {
    int buttonCount = 0;
    QSize caption;          // the widest button caption
    int checkBoxWidth = 0;  // 0: no check box
    int checkBoxHeight = 0;
    QSize icon;  // empty: no icon
    // The height the title and the message take when wrapped at `width`, and their widths
    // unwrapped (the message's first, longest line).
    std::function<int(int width)> titleHeight;
    std::function<int(int width)> textHeight;
    int textNaturalWidth = 0;
    int titleNaturalWidth = 0;
};

struct MessageLayout {
    QSize body;
    QRect icon, title, text, checkBox;
    std::vector<QRect> buttons;  // in table order of the buttons present
};

// The widest a message line is laid out before it wraps.
inline constexpr int MaxMessageTextWidth = 420;

// Lays the message dialog out in body coordinates; the body never exceeds `maxBody` (the work
// area less a pixel each side): what does not fit is cut at the bottom of the text.
MessageLayout layoutMessage(const MessageMeasures& measures, const TBalloonMetrics& metrics, QSize maxBody);

// The first topic of each page when topics of these heights are shown in a panel `pageHeight`
// high, `spacing` apart. Every page holds at least one topic, so a topic taller than a page
// still gets a page of its own and paging ends.
std::vector<int> topicPageStarts(const std::vector<int>& heights, int pageHeight, int spacing);

}  // namespace kestrave
