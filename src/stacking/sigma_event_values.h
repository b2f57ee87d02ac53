#pragma once
// The values of the sigma events' viewer: the frame a list line names, an event's position and the
// event box.

#include <optional>
#include <string_view>

namespace kestrave {

// The 1-based frame number a list line names: the digits between "Frame" and " Event"; none for
// a line without "Event" or with no frame there. Throws std::invalid_argument ("'x1' is not a
// valid integer value") when the characters there are not a number.
std::optional<int> listLineFrame(std::string_view line);

// Where an event lies on the stack image.
struct EventMark {
    int X = 0;
    int Y = 0;
};

// The event box.
struct SigmaBox {
    int Type = 0;  // 0 events inside the box, 1 outside
    int Top = 0;
    int Bottom = 0;
    int Left = 0;
    int Right = 0;
};

}  // namespace kestrave
