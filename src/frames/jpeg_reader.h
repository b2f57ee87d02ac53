#pragma once
// JPEG frames through libjpeg. The library reports errors through our own handler, never by
// ending the process; a damaged or truncated picture is an error, not a picture with grey rows.

#include <cstdint>
#include <filesystem>
#include <span>

#include "frames/still_frames.h"
#include "platform/bitmap24.h"

namespace kestrave {

// Decodes a JPEG held in memory (grey or colour) into a 24-bit bitmap. Throws FileError naming
// `name` when the picture cannot be decoded whole.
Bitmap24 decodeJpeg(std::span<const std::uint8_t> data, const std::filesystem::path& name);

// Reads a JPEG frame into the preview and sets JpgFrameWidth, JpgFrameHeight. Throws FileError,
// leaving the preview and the sizes as they were, when the file is missing or cannot be decoded.
void LoadJPGFrame(const std::filesystem::path& FileName, Bitmap24& preview, FrameReaderState& state);

}  // namespace kestrave
