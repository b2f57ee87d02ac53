#pragma once
// Dark frames and flat fields as values: their kinds and file types, what a load found, the
// size test of their planes and the texts that report them.

#include <cstdint>
#include <string>

#include "frames/plane.h"
#include "platform/message_port.h"

namespace kestrave {

enum class CalibrationKind : std::uint8_t { Dark, Flat };

// The file types: the filter entries of the dark and flat dialog, 1 for the first.
enum CalibrationFileType : int {
    BitmapCalibration = 1,       // "bitmap 24bits (*.bmp)": byte x 128
    SpecialFitsCalibration = 2,  // "special kestrave fits": sample + BZERO, already x 128
    FitsCalibration = 3,         // "fits": (sample + BZERO) x 128 for a dark
    PngCalibration = 4,          // "PNG ": byte x 128
};

// Who loads the frame. The dialog refuses a FITS file larger than MaxFrameSize and tells of a
// picture cut to it; a project reload cuts either without a word (a FITS file keeps its first
// MaxFrameSize columns and file rows, which are the bottom rows of the picture).
enum class CalibrationOrigin : std::uint8_t { Dialog, Project };

// What the last operation on the calibration frames did to the switches that use them (the Align
// page's "Darkframe", "Flatfield" and "Raw"): each flag is a change; what none names stays as the
// user left it.
struct CalibrationSwitching {
    // The kind that was named, offered or refused.
    CalibrationKind kind = CalibrationKind::Dark;
    // A frame was named for the project's reload: its switch may be ticked.
    bool offered = false;
    // A frame was chosen in the dialog: its switch is ticked (a dark frame allows "Raw" too).
    bool used = false;
    // A FITS frame is loaded: the input is taken in grey.
    bool grey = false;
    // Did not load, or did not fit the frames: unticked.
    bool darkOff = false;
    bool flatOff = false;
    bool rawDarkOff = false;
    // A FITS file too large: unticked and no longer offered.
    bool refused = false;
};

// FITS calibration files (special or plain).
inline bool isFitsCalibration(int type) {
    return type == SpecialFitsCalibration || type == FitsCalibration;
}

struct CalibrationLoad {
    // False for a file type other than 1..4: nothing was loaded and the planes are as they were.
    bool loaded = false;
    int width = 0;
    int height = 0;
    // BITPIX of a FITS file (16, 32 or -32); 0 for a picture.
    int fitsBitpix = 0;
};

// Whether all three planes hold exactly width x height values.
bool planesMatchFrame(const PlaneTriple& planes, int width, int height);

// "Imagesize error": the dark frame or flat field does not match the frames and is switched off.
Message calibrationSizeMessage(CalibrationKind kind);

// The value "LastDarkFlattype" of section "Files" takes after the dialog loaded a file of that
// type: "BMP", "FTR" (a special FITS dark; a special FITS flat writes "FIT"), "FIT" or "PNG";
// empty for any other type.
std::string lastDarkFlatType(CalibrationKind kind, int type);

}  // namespace kestrave
