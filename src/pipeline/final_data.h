#pragma once
// What the final page works on besides the 16-bit result: the tables of its hue-dependent curves,
// the final picture as shown, and the hue histogram of the last computation.
// The application context owns one; the final savers, the clipboard and the resize view read the
// shown picture.

#include "enhance/final_image.h"
#include "platform/bitmap24.h"

namespace kestrave {

struct FinalData {
    HueCurveTables tables;
    // The picture shown: turned, colour-adjusted and flipped.
    Bitmap24 shown;
    HueHistogram histogram{};
};

}  // namespace kestrave
