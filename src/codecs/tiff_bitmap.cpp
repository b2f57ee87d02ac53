#include "codecs/tiff_bitmap.h"

namespace kestrave {

void TTIFFBitMap::allocateHighBits() {
    highBits_.clear();
    highBits_.shrink_to_fit();
    highBits_.assign(samplesPerRow() * static_cast<std::size_t>(height()), 0);
    HighBitsPerPixel = 48;
}

void TTIFFBitMap::releaseHighBits() {
    highBits_.clear();
    highBits_.shrink_to_fit();
}

}  // namespace kestrave
