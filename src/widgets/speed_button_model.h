#pragma once
// The rules of grouped push buttons without a window: which buttons are down after one goes down
// or up, and what a press, a drag and a release do to one button's state.

#include <vector>

namespace kestrave {

struct GroupedButton {
    int groupIndex = 0;
    bool allowAllUp = false;
    bool down = false;
};

// Sets `Down` of button `index`; returns the buttons whose `down` changed. A button without a
// group is never down; a down button whose group does not allow all up stays down; going down
// raises every other down button of the group, which takes over the sender's allowAllUp.
std::vector<int> setButtonDown(std::vector<GroupedButton>& buttons, int index, bool down);

enum class ButtonState { Up, Down, Exclusive };

// One button's mouse handling: press, drag, release.
struct SpeedButtonPress {
    ButtonState state = ButtonState::Up;
    bool dragging = false;

    void press(bool isDown);
    void move(bool inside, bool isDown);
    struct Release {
        bool click = false;       // raise the click
        bool toggleDown = false;  // a grouped button toggles its Down
    };
    Release release(bool inside, int groupIndex, bool isDown);
};

}  // namespace kestrave
