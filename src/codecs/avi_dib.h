#pragma once
// Packed device-independent bitmaps as the high-bit AVI path uses them between the raw read, the
// unpacker and the display: a BITMAPINFOHEADER, a colour table (256 grey entries for 8 bits,
// none otherwise) and the pixel rows, bottom row first, each padded to a multiple of 4 bytes.
// The capture tool's "K3CC" frames pack two 12-bit samples into three bytes; they are unpacked
// here to 16-bit samples with the 12 bits left-aligned (0..65520 in steps of 16).

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "codecs/tiff_bitmap.h"
#include "platform/avi_file.h"

namespace kestrave {

struct PackedDib {
    BitmapInfoHeader header;
    std::vector<std::uint8_t> colorTable;
    std::vector<std::uint8_t> bits;

    bool empty() const { return bits.empty(); }
    int width() const { return header.biWidth; }
    int height() const { return header.biHeight; }
    int bitCount() const { return header.biBitCount; }
    std::size_t stride() const;
    // Stored row r (row 0 is the bottom of the picture).
    std::uint8_t* row(int r) { return bits.data() + static_cast<std::size_t>(r) * stride(); }
    const std::uint8_t* row(int r) const { return bits.data() + static_cast<std::size_t>(r) * stride(); }
};

// Bytes of the colour table: for 8 bits or fewer 4 x (biClrUsed, or 2^bits when it is 0),
// otherwise 4 x biClrUsed.
std::size_t DibColorTableSize(const BitmapInfoHeader& header);
// Bytes from one row to the next: Width x BitCount bits rounded up to whole 32-bit words, so a
// row always holds all of its samples (12-bit rows of odd width included).
std::size_t DibRowStride(int width, int bitCount);
// Bits per pixel after unpacking: 12 gives 16, 36 gives 48, anything else stays.
int UnpackedBitCount(int bitCount);

// Makes a zero-filled DIB of the given size and depth (8 bits with the grey colour table) and
// returns its total size (header, colour table and rows); 0, with `dib` left empty, when the
// memory cannot be had.
std::size_t CreateDIBBuffer(PackedDib& dib, int width, int height, int bitCount);
// Copies pixel rows that lie `sourceStride` bytes apart into the rows of `dib` (bottom row
// first unless `sourceTopDown`), as far as the source reaches; what it does not cover stays zero.
void CopyDIBBits(std::span<const std::uint8_t> source, std::size_t sourceStride, bool sourceTopDown,
                 PackedDib& dib);
// Unpacks 12-bit rows (DibRowStride(Width, 12) or, for three samples per pixel,
// DibRowStride(Width, 36) bytes apart) into a 16- or 48-bit DIB. Per pair of samples three
// bytes b0, b1, b2 give p0 = b0 x 256 + (b1 and $F0) and p1 = b2 x 256 + (b1 and $0F) x 16; an
// odd last sample takes the next two bytes by the rule of p0. Other depths: nothing happens.
void Unpack12To16(std::span<const std::uint8_t> source, bool sourceTopDown, PackedDib& dib);
// The 8-bit view of a 16-bit (grey, 8 bits) or 48-bit (24 bits) DIB: every byte is the high byte
// of its sample. Other depths leave `display` empty.
void ReduceTo8BitPerSample(const PackedDib& dib, PackedDib& display);
// Fills the 16-bit samples of `highBitFrame`, made (Width + 1) x (Height + 1) and zero-filled,
// from a 16- or 48-bit DIB: stored row r becomes row Height - 1 - r (row 0 is the top); a 48-bit
// pixel keeps its three samples in their stored order, a 16-bit sample goes to the middle
// (green) sample. Throws std::bad_alloc.
void LoadDibIntoHighBitBuffer(const PackedDib& dib, TTIFFBitMap& highBitFrame);

}  // namespace kestrave
