#include "widgets/speed_button_model.h"

namespace kestrave {

std::vector<int> setButtonDown(std::vector<GroupedButton>& buttons, int index, bool down) {
    std::vector<int> changed;
    if (index < 0 || index >= static_cast<int>(buttons.size())) return changed;
    GroupedButton& self = buttons[static_cast<std::size_t>(index)];
    if (self.groupIndex == 0) down = false;
    if (self.down == down) return changed;
    if (self.down && !self.allowAllUp) return changed;
    self.down = down;
    changed.push_back(index);
    if (!down) return changed;
    for (int i = 0; i < static_cast<int>(buttons.size()); ++i) {
        GroupedButton& other = buttons[static_cast<std::size_t>(i)];
        if (i == index || other.groupIndex != self.groupIndex) continue;
        other.allowAllUp = self.allowAllUp;
        if (other.down) {
            other.down = false;
            changed.push_back(i);
        }
    }
    return changed;
}

void SpeedButtonPress::press(bool isDown) {
    if (!isDown) state = ButtonState::Down;
    dragging = true;
}

void SpeedButtonPress::move(bool inside, bool isDown) {
    if (!dragging) return;
    if (inside)
        state = isDown ? ButtonState::Exclusive : ButtonState::Down;
    else
        state = isDown ? ButtonState::Exclusive : ButtonState::Up;
}

SpeedButtonPress::Release SpeedButtonPress::release(bool inside, int groupIndex, bool isDown) {
    Release result;
    if (!dragging) return result;
    dragging = false;
    if (groupIndex == 0) {
        state = ButtonState::Up;
    } else if (inside) {
        result.toggleDown = true;
    } else if (isDown) {
        state = ButtonState::Exclusive;
    } else {
        state = ButtonState::Up;
    }
    result.click = inside;
    return result;
}

}  // namespace kestrave
