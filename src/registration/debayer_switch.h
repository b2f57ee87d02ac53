#pragma once
// The "Use Debayer" switch: whether raw Bayer frames are turned into colour, and the one warning
// that 16-bit SER frames are reduced to 8 bits for it.

#include <string>

#include "platform/message_port.h"
#include "registration/debayer_switch_types.h"

namespace kestrave {

// Avidebay was clicked (or checked by the input selection): DebayerEnabled follows the box. For
// SER input of more than 8 bits the user is warned, until the message's "Do not repeat this
// message" box is ticked, that debayering reduces the frames to 8 bits. With an input loaded the
// window then shows the current frame again.
DebayerSwitchResult switchDebayer(DebayerState& state, bool avidebayChecked, bool highBitSerInput,
                                  MessagePort& messages);

}  // namespace kestrave
