#pragma once
// The savers of the stack page and the wavelet page, without their dialogs: given the file the
// user chose (or the batch runner preset) and the save type, they apply the name rules, ask
// before replacing a file, write it, and say which files were really written, so that the
// caller marks the image as saved only then.
//
// Name rules: the chosen name without its extension + the type's extension, in the chosen
// folder; an empty name or one that starts with "." becomes "default". FITS names are completed
// by the FITS writer. No save ever replaces a file of the current input.

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "codecs/tiff_bitmap.h"
#include "enhance/final_image.h"
#include "frames/image_data_section.h"
#include "output/info_stamp.h"
#include "output/save_formats.h"
#include "output/save_rules.h"
#include "platform/bitmap24.h"

namespace kestrave {

struct StackSaveSources {
    const Bitmap24& Stackimage;  // the stack as shown
    const PlaneTriple& StackPlanes;
    int ImageWidth;
    int ImageHeight;
    bool Colourstack;
    // The value range the stack display maps onto 0..255.
    float StackMinValue;
    float StackMaxValue;
};

// The pictures the wavelet page's save types are written from, on the wavelet page and the
// final page alike.
struct ResultPictures {
    const Bitmap24& ProcessImage;      // the rendered picture, whose size the 16-bit files take
    const TTIFFBitMap& ResultImage16;  // its 16-bit samples, (ImageWidth + 1) x (ImageHeight + 1)
    const PlaneTriple& StackPlanes;    // FITS files in master-frame mode are made from the stack
    int ImageWidth;
    int ImageHeight;
    bool Colourstack;
};

// The wavelet page's sources: its rendered picture is the one shown.
struct WaveletSaveSources {
    ResultPictures pictures;
    const StampInfo* stamp = nullptr;  // StampImage checked: BMP and JPEG carry the info stamp
};

// The final page's sources. Its save dialog has the filters of the wavelet page's.
struct FinalSaveSources {
    const Bitmap24& shown;  // the final picture as shown: turned, adjusted, flipped
    ResultPictures pictures;
    const FinalSettings& settings;  // turn, colour and flips the 16-bit TIFF repeats
    // CropRect while "Use Cropping" is checked; BMP and JPEG then take only that part.
    std::optional<TEdgeRect> crop;
};

// What a row of the wavelet dialog writes from: the pictures, and what the page saving them
// makes of them.
struct ResultSaveSources {
    const ResultPictures& pictures;
    // The 8-bit picture BMP and JPEG write.
    std::function<Bitmap24()> picture;
    // Writes the 16-bit TIFF file.
    std::function<void(const std::filesystem::path&)> writeTiff16;
    // Asked before a 16-bit TIFF or PNG replaces a file.
    std::string question16;
};

// The stack saver. Stores "SaveDir" and "LastStacksavetype". BMP and JPEG write Stackimage;
// the FITS types write 16-bit, 32-bit or master-frame files of the stack planes; TIFF writes the
// stack planes at 16 bits (Round(v / max * 65535)); PNG writes the 16-bit samples of the stack
// display. Throws FileError when a BMP, JPEG, TIFF or PNG file cannot be written (an older file is
// left as it was); the FITS writer reports its own failures.
SaveOutcome saveStackImage(const std::filesystem::path& chosenFile, StackSaveType type,
                           const StackSaveSources& sources, SaveContext& context,
                           const Png16Writer& writePng);

// The wavelet saver. Stores "SaveDir" and "lastwaveletsavetype". BMP and JPEG write the rendered
// picture (with the stamp when one is given); FITS writes the 16-bit result (master-frame mode:
// the stack); TIFF writes the 16-bit result uncompressed at 48 bits; PNG writes the rendered
// picture's size with the 16-bit result's samples. Failures as for saveStackImage.
SaveOutcome saveWaveletImage(const std::filesystem::path& chosenFile, WaveletSaveType type,
                             const WaveletSaveSources& sources, SaveContext& context,
                             const Png16Writer& writePng);

// The resize view's saver. Stores "SaveDir" and "LastResizetype" ("BMP", "JPG", "PNG"); writes the
// scaled picture as BMP, JPEG or 8-bit PNG (with the text "Software"). Failures as for
// saveStackImage.
SaveOutcome saveResizedImage(const std::filesystem::path& chosenFile, ResizeSaveType type,
                             const Bitmap24& picture, SaveContext& context);

// The final page's saver. Stores "SaveDir". BMP and JPEG write the shown picture, cropped when a
// crop is given; FITS writes the 16-bit result as the wavelet saver does; TIFF writes the final
// image at 16 bits (SaveRotatedFinalTiff16: turned, adjusted and flipped, never cropped); PNG writes
// the rendered picture's size with the 16-bit result's samples, unturned, unflipped and uncropped.
// The image counts as saved only when the outcome names a written file. Failures as for
// saveStackImage.
SaveOutcome saveFinalImage(const std::filesystem::path& chosenFile, WaveletSaveType type,
                           const FinalSaveSources& sources, SaveContext& context,
                           const Png16Writer& writePng);

// The question before a wavelet save when "Do all" has not run since the last change: true when
// the whole image should be processed first. A batch run answers Yes without asking.
bool confirmDoAll(SaveContext& context);

}  // namespace kestrave
