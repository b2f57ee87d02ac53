#pragma once
// FITS images: 80-character header cards in blocks of 2880 bytes, the data from the first block
// boundary after the "END" card, big-endian samples, the first data row the bottom row of the
// picture. Cards read (keyword compared on its first 6 characters, "BZERO " with its blank):
// NAXIS1 (width), NAXIS2 (height), BITPIX (8, 16, 32 or -32) and BZERO (default 0). Samples are
// stored as the file holds them: BITPIX 8 unsigned without BZERO; 16 and 32 signed + BZERO; -32
// rounded to an integer (halves to even) + BZERO. BSCALE is ignored, as every other card.

#include <cstdint>
#include <filesystem>
#include <string_view>

#include "frames/frame_file.h"
#include "frames/plane.h"
#include "frames/still_frames.h"
#include "platform/bitmap24.h"

namespace kestrave {

struct FitsHeader {
    int NAXIS1 = 0;
    int NAXIS2 = 0;
    int BITPIX = 0;
    double BZERO = 0.0;            // rounded to an integer
    std::uint64_t dataOffset = 0;  // first block boundary after the END card
};

// Reads the header cards up to "END". Throws FileError for a header without END or without
// NAXIS1, NAXIS2 or BITPIX, and for a NAXIS1, NAXIS2 or BITPIX value that is not an integer.
FitsHeader readFitsHeader(const FrameFile& file);

// The value text of a card: from after its first "=" to column 30, blanks around it removed.
std::string_view fitsCardValue(std::string_view card);
// BZERO's value: a decimal number with "." or "," as separator, rounded to an integer; text that
// is no number gives 0. The same in every locale.
double parseFitsBzero(std::string_view value);

// The value of the big-endian sample at p for BITPIX 8, 16, 32 or -32 (any other BITPIX reads
// as -32), as the reader stores it: BITPIX 8 without BZERO, the others + BZERO, -32 rounded to
// an integer first (a blank, NaN, sample counts as 0).
double fitsSample(const std::uint8_t* p, int bitpix, double bzero);

// The colour channel a FITS frame's file name names: "_R", "_G", "_B", "_L" just before the
// extension, or ".red", ".green", ".blue", ".luminance" anywhere in it (a later one in this
// order wins): 0 red, 1 green, 2 blue, 3 luminance; 1 for any other name.
int fitsChannelOfName(const std::filesystem::path& FileName);

struct FitsReadResult {
    bool read = false;  // false: the file does not exist and nothing was changed
    ReadFrameSize size;
    // A luminance frame: the caller shows the luminance channel choice and checks LRGB.
    bool luminance = false;
};

// Reads a FITS image into the raw plane (clamped to MaxFrameSize: the first columns and
// the first file rows, which are the bottom rows of the picture) and into the grey preview, where
// a value v shows as ClampByte(Round((v - lo) / (hi - lo + 1) x 255)) with lo and hi the smallest
// and largest value stored. Sets FrameChannel, FitsBitpix, FitsInfoText, the FITS size pair and,
// for a luminance frame, LumFrameLoaded. A missing file changes nothing. A BITPIX other than 8,
// 16, 32, -32 throws FrameFormatError ("Fits format error", "Unsupported fits format"); other bad
// files throw FileError; in both cases nothing is changed.
FitsReadResult ReadFitsFrame(const std::filesystem::path& FileName, T2dArrays& RawFramePlane,
                             Bitmap24& preview, FrameReaderState& state);
// As above, filling only those of the plane and the preview that are given (not null).
FitsReadResult ReadFitsFrame(const std::filesystem::path& FileName, T2dArrays* RawFramePlane,
                             Bitmap24* preview, FrameReaderState& state);

}  // namespace kestrave
