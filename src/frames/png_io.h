#pragma once
// PNG frames and the PNG writer, through libpng's classic interface. The library reports errors
// through our own handler, never by ending the process, and no gamma or colour transform touches
// the samples.

#include <cstdint>
#include <filesystem>
#include <span>
#include <string_view>
#include <vector>

#include "codecs/tiff_bitmap.h"
#include "frames/still_frames.h"
#include "platform/bitmap24.h"

namespace kestrave {

// A decoded PNG: grey, palette and grey-with-alpha pictures become red, green, blue; alpha is
// dropped. `preview` holds 8 bits per sample (the high byte of 16-bit samples); `samples` holds,
// for 16-bit pictures only, red, green, blue per pixel as H x 256 + L, row after row.
struct PngPicture {
    Bitmap24 preview;
    int bitDepth = 8;  // 16 when the file holds 16 bits per sample
    std::vector<std::uint16_t> samples;
};

// Decodes a PNG held in memory. Throws FileError naming `name` when it cannot be decoded whole.
PngPicture decodePng(std::span<const std::uint8_t> data, const std::filesystem::path& name);

// Reads a PNG frame into the preview and sets PngFrameWidth, PngFrameHeight. A 16-bit PNG also
// replaces HighBitFrame by a frame one column and one row larger than the picture, zero-filled,
// whose samples hold the picture's; the result is then true (InputPNG16), else false and
// HighBitFrame is left alone. Throws FileError, changing nothing, when the file is missing or
// cannot be decoded.
bool LoadPNGFrame(const std::filesystem::path& FileName, Bitmap24& preview, TTIFFBitMap& HighBitFrame,
                  FrameReaderState& state);

// Writes a 16-bit RGB PNG of Bitmap's size whose samples are those of ResultImage16 at the same
// pixels, with the text chunk "Software" = "Kestrave " + versionCaption. The file is replaced only
// once it has been written whole. Throws FileError when ResultImage16 does not cover the
// picture or the file cannot be written (an old file is then left as it was).
void SavePNGImage(const std::filesystem::path& FileName, const Bitmap24& Bitmap,
                  const TTIFFBitMap& ResultImage16, std::string_view versionCaption);

// Writes Bitmap as an 8-bit RGB PNG with the same "Software" text, replacing a file only once the
// new one is whole. Throws FileError for an empty picture or when the file cannot be written.
void SavePNG8Image(const std::filesystem::path& FileName, const Bitmap24& Bitmap,
                   std::string_view versionCaption);

}  // namespace kestrave
