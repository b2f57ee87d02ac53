#pragma once
// 16-bit RGB images built from float planes for the 16-bit savers. The caller's ResultImage16 is
// never touched: every export builds its own image of exactly the saved size.

#include <filesystem>

#include "codecs/tiff_bitmap.h"
#include "frames/image_data_section.h"

namespace kestrave {

// The stack planes as 16-bit samples: Round(v / max * 65535), clamped to 0..65535, with max the
// largest value of the saved channels over Width x Height (1.0 when that is not above 0). A mono
// stack (Colourstack unset) gives its green plane in all three samples.
TTIFFBitMap stackTIFF16Image(const PlaneTriple& StackPlanes, int Width, int Height, bool Colourstack);

// Writes stackTIFF16Image as an uncompressed 48-bit TIFF. Throws FileError when the file cannot
// be written (an older file is then left as it was).
void SaveStackTIFF16(const std::filesystem::path& FileName, int Width, int Height, const PlaneTriple& StackPlanes,
                     bool Colourstack);

// The 16-bit samples the stack display shows: v' = (v - StackMinValue) * 255 / (StackMaxValue -
// StackMinValue + 0.000001), sample Round(v' * 255) clamped to 0..65535; a mono stack gives its
// green plane in all three samples.
TTIFFBitMap stackRender16(const PlaneTriple& StackPlanes, int Width, int Height, bool Colourstack,
                          float StackMinValue, float StackMaxValue);

// The top-left Width x Height pixels of a 16-bit image (ResultImage16 is one column and one row
// larger than the working image).
TTIFFBitMap cropHighBits(const TTIFFBitMap& image, int Width, int Height);

}  // namespace kestrave
