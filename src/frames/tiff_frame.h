#pragma once
// TIFF frames: the TIFF codec reads the file into the 16-bit frame, whose 8-bit view becomes the
// preview.

#include <cstdint>
#include <filesystem>

#include "codecs/tiff_bitmap.h"
#include "frames/still_frames.h"
#include "platform/bitmap24.h"

namespace kestrave {

// Reads a TIFF frame into HighBitFrame and the preview. On entry HiValue is the 16-bit grey
// sample that the preview shows as 255 (0 standing for 65535); on return it is the largest 16-bit
// grey sample read, which HighBitMaxValue also takes. With TifStretch the file is read a second
// time with that largest sample, so that it shows as 255. Sets TiffFrameWidth and TiffFrameHeight
// (unclamped); the result's size is clamped to MaxFrameSize. Throws the codec's TiffError when
// the file is missing or cannot be read, changing nothing.
ReadFrameSize ReadTiffFrame(const std::filesystem::path& FileName, std::uint16_t& HiValue, bool TifStretch,
                            Bitmap24& preview, TTIFFBitMap& HighBitFrame, FrameReaderState& state);

}  // namespace kestrave
