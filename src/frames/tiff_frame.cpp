#include "frames/tiff_frame.h"

#include <algorithm>
#include <utility>

namespace kestrave {

ReadFrameSize ReadTiffFrame(const std::filesystem::path& FileName, std::uint16_t& HiValue, bool TifStretch,
                            Bitmap24& preview, TTIFFBitMap& HighBitFrame, FrameReaderState& state) {
    TTIFFBitMap frame;
    std::uint16_t hiValue = HiValue;
    frame.LoadFromTIFF(FileName, hiValue);
    const std::uint16_t measured = hiValue;
    if (TifStretch) frame.LoadFromTIFF(FileName, hiValue);
    Bitmap24 view = frame;

    HiValue = hiValue;
    state.HighBitMaxValue = measured;
    state.TiffFrameWidth = frame.width();
    state.TiffFrameHeight = frame.height();
    const ReadFrameSize size{std::min(frame.width(), MaxFrameSize), std::min(frame.height(), MaxFrameSize),
                             frame.width(), frame.height()};
    preview = std::move(view);
    HighBitFrame = std::move(frame);
    return size;
}

}  // namespace kestrave
