#pragma once
// 16-bit RGB images built from float planes for the 16-bit savers. The caller's ResultImage16 is
// never touched: every export builds its own image of exactly the saved size.

#include <filesystem>
#include <span>

#include "codecs/tiff_bitmap.h"
#include "enhance/final_image.h"
#include "frames/image_data_section.h"

namespace kestrave {

// The stack planes as 16-bit samples: Round(v / max * 65535), clamped to 0..65535, with max the
// largest value of the saved channels over Width x Height (1.0 when that is not above 0). A mono
// stack (Colourstack unset) gives its green plane in all three samples.
TTIFFBitMap stackTIFF16Image(const PlaneTriple& StackPlanes, int Width, int Height, bool Colourstack);

// Writes stackTIFF16Image as an uncompressed 48-bit TIFF. Throws FileError when the file cannot
// be written (an older file is then left as it was).
void SaveStackTIFF16(const std::filesystem::path& FileName, int Width, int Height,
                     const PlaneTriple& StackPlanes, bool Colourstack);

// The 16-bit samples the stack display shows: v' = (v - StackMinValue) * 255 / (StackMaxValue -
// StackMinValue + 0.000001), sample Round(v' * 255) clamped to 0..65535; a mono stack gives its
// green plane in all three samples.
TTIFFBitMap stackRender16(const PlaneTriple& StackPlanes, int Width, int Height, bool Colourstack,
                          float StackMinValue, float StackMaxValue);

// The final image at 16 bits: each pixel of ResultImage16 (r = red / 256, g = green / 256,
// b = blue / 256) goes to HSV with S on 0..255; at k = Round(10 H) it gets H + H0 + 2 hue[k] (0..360),
// S + S0 + 2 sat[k] (0..255), V + L0 + 2 light[k] (0..255); back to RGB it is stored as
// Round(channel * 255), mirrored by the flips. A colour the way back refuses (zero saturation)
// is stored as the grey of its value. Throws std::invalid_argument when ResultImage16 does not
// cover Width x Height or a table is shorter than 3601 entries.
TTIFFBitMap finalTIFF16Image(const TTIFFBitMap& ResultImage16, int Width, int Height,
                             const FinalSettings& settings);

// Writes finalTIFF16Image as an uncompressed 48-bit TIFF; throws FileError when it cannot.
void SaveFinalTIFF16(const std::filesystem::path& FileName, const TTIFFBitMap& ResultImage16, int Width,
                     int Height, const FinalSettings& settings);

// The final image turned as the final page turns it (settings.Angle, about the same centre), at
// 16 bits: each output pixel's bilinear sum of ResultImage16's samples (black outside the image)
// gives r, g, b = sum / 256, which are adjusted as in
// finalTIFF16Image and stored as Round(channel * 256), mirrored by the flips. Never cropped.
// Refuses what finalTIFF16Image refuses.
TTIFFBitMap rotatedFinalTIFF16Image(const TTIFFBitMap& ResultImage16, int Width, int Height,
                                    const FinalSettings& settings);

// The final page's 16-bit TIFF: SaveFinalTIFF16 at angle 0, else rotatedFinalTIFF16Image written
// as an uncompressed 48-bit TIFF; throws FileError when it cannot be written.
void SaveRotatedFinalTiff16(const std::filesystem::path& FileName, const TTIFFBitMap& ResultImage16,
                            int Width, int Height, const FinalSettings& settings);

// The top-left Width x Height pixels of a 16-bit image (ResultImage16 is one column and one row
// larger than the working image).
TTIFFBitMap cropHighBits(const TTIFFBitMap& image, int Width, int Height);

}  // namespace kestrave
