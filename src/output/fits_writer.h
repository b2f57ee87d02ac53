#pragma once
// The FITS writer: one file per colour channel, a fixed header of 36 cards of 80 characters in
// one 2880-byte block, then big-endian signed 16- or 32-bit samples, the bottom row of the image
// first, padded with zero bytes to a whole number of 2880-byte blocks.
//
// Samples:
//   16 bits, stack:  Round(((v - min) / range - 0.5) * 65535), BZERO 32768
//   16 bits, result: the 16-bit result sample - 32768,         BZERO 32768
//   32 bits, stack:  Round((v - min) / range * 2147483645),    BZERO 0
//   master frames:   Round(128 v) in the ".fitk" variant, else Round(v), BZERO 0
// with min and max taken over the saved channels of the stack and range = (max - min) * 1.1
// (0.000001 for a flat stack). Samples are clamped to the range of their type.

#include <cstdint>
#include <ctime>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "codecs/tiff_bitmap.h"
#include "frames/image_data_section.h"
#include "output/save_rules.h"

namespace kestrave {

inline constexpr std::size_t FitsCardLength = 80;
inline constexpr std::size_t FitsBlockLength = 2880;
inline constexpr std::size_t FitsHeaderCards = FitsBlockLength / FitsCardLength;

// The header of one file, built card by card.
class FitsHeader {
public:
    // A text card: the text from column 1, padded with spaces to 80 columns (cut at 80).
    void WriteCard(std::string_view Text);
    // A value card: the keyword text (with its "=" in column 9, as in "NAXIS1  =") and the value
    // right-justified so that its last character stands in column 30.
    void WriteValueCard(std::string_view Keyword, std::string_view Value);
    // Blank cards up to the end of the 2880-byte block.
    void fillBlock();

    const std::string& bytes() const { return bytes_; }
    std::size_t cardCount() const { return bytes_.size() / FitsCardLength; }

private:
    std::string bytes_;
};

// The 36 cards of a file: SIMPLE, BITPIX, NAXIS 2, NAXIS1, NAXIS2, BSCALE 1, BZERO, BYTESWAP,
// DATE-OBS 'dd/mm/yy' and TIME-OBS 'hh:mm:ss' of `when`, empty OBJECT, INSTRUME, EXPOSURE,
// OBSERVER, "COMMENT = KESTRAVE V4.0", an empty COMMENT, END and blank cards.
FitsHeader buildFitsHeader(int bitPix, int width, int height, int bzero, const std::tm& when);

enum class FitSource : std::uint8_t {
    Stack = 0,   // the stack planes (stack saver)
    Result = 1,  // the rendered 16-bit result image (wavelet and final savers)
};

// The images FitSave reads. StackPlanes must cover Width x Height for the stack source and in
// master-frame mode; ResultImage16 must cover it for the result source.
struct FitImages {
    const PlaneTriple* StackPlanes = nullptr;
    const TTIFFBitMap* ResultImage16 = nullptr;
    // Three files (red, green, blue) when set, else one file of channel 1 (green, the mono
    // channel).
    bool Colourstack = false;
};

struct FitSaveResult {
    std::vector<std::filesystem::path> written;
    // A file could not be written; it was reported and no further channel was written.
    bool failed = false;
};

// Writes the FITS files of an image of Width x Height. BitPix is 16, 32 or -16: -16 writes the
// special master-frame variant (16 bits, extension ".fitk", samples 128 v) and switches
// context.MasterFrameMode on. File names: base = FileName without its extension; mono gives
// base + ".fit", base + ".fitk" for the special variant, or FileName unchanged when master-frame
// mode was already on; colour gives base + "_R.fit", "_G.fit", "_B.fit".
// An existing file is replaced only after the answer Yes to " Overwrite existing file ( name ) ?"
// (always in a batch run); No skips that channel. A file that cannot be written (or is an input
// file) is reported ("FIT not SAVED") and leaves an older file as it was; no further channel is
// written then. Throws std::invalid_argument for a call the writer has no data for (an unknown
// BitPix, 32 bits from the result, missing or too small images).
FitSaveResult FitSave(const std::filesystem::path& FileName, int Width, int Height, int BitPix,
                      FitSource Source, const FitImages& images, SaveContext& context);

}  // namespace kestrave
