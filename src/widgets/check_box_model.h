#pragma once
// Behaviour and layout of the check box, free of any window.

#include <QRect>
#include <vector>

namespace kestrave {

// What the mouse does to the check box, in order. A press inverts the state at once, so the
// click that follows its release inside the control sees the new state (released outside, no
// click comes, though the state has changed); the second press of a double click inverts again
// and clicks at once, and its release clicks no more: each press yields one inversion and one
// click.
class CheckPressMachine {
public:
    enum class Action { Invert, Click, DoubleClick };
    using Actions = std::vector<Action>;

    Actions press();
    Actions release(bool inside);
    Actions doublePress();

private:
    bool clickOnRelease_ = false;
};

struct CheckLayout {
    QRect caption;  // the caption's rectangle (the focus rectangle lies one pixel outside it)
    QPoint box;     // top-left corner of the box
};

// `captionWidth` is the caption's text width without the "&" of its accelerator.
// boxAtLeft: the box at x 2 and the caption from x 22; otherwise the caption from x 2 and the
// box at width - 18. Both are centred vertically.
CheckLayout checkLayout(QSize client, int captionWidth, int textHeight, bool boxAtLeft, QSize boxSize);

}  // namespace kestrave
