#pragma once
// The info stamp of the wavelet saver: a white band of 100 pixels below the picture with four
// black text lines of the processing settings, at x = 5 and y = picture height + 5, 25, 45, 65.

#include <array>
#include <string>
#include <string_view>

#include "output/stamp_info.h"
#include "platform/bitmap24.h"

namespace kestrave {

// Draws UTF-8 text in black with its top-left corner at (x, y), clipped to the bitmap; each
// character outside printable ASCII is drawn as "?".
void drawStampText(Bitmap24& bitmap, int x, int y, std::string_view text);

// A copy of `picture`; with a stamp it is StampBandHeight pixels taller and carries the four
// lines on a white band.
Bitmap24 stampedImage(const Bitmap24& picture, const StampInfo* stamp);

}  // namespace kestrave
