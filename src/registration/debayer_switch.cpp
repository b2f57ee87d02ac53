#include "registration/debayer_switch.h"

namespace kestrave {

DebayerSwitchResult switchDebayer(DebayerState& state, bool avidebayChecked, bool highBitSerInput,
                                  MessagePort& messages) {
    state.DebayerEnabled = avidebayChecked;
    if (state.WarnDebayer16 && highBitSerInput) {
        messages.warn("Debayer warning", "Debayering 16 bit can only be done using a reduction to 8 bits",
                      "Do not repeat this message");
        state.WarnDebayer16 = !messages.messageBoxChecked();
    }
    DebayerSwitchResult result;
    result.checkColour = state.DebayerEnabled;
    result.colourstackCaption = state.DebayerEnabled ? "Colour(debayered)" : "Colour";
    return result;
}

}  // namespace kestrave
