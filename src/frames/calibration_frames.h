#pragma once
// Dark frames and flat fields: loading them into their float planes from a 24-bit bitmap, a PNG
// or a FITS file, the normalisation of a flat field, the ranking that turns a recording into a
// master frame by stacking, and the size test that keeps the planes from being read beyond
// their extent.
//
// The dark planes hold 128 times the dark frame on the 0..255 pixel scale (a dark pixel of 10
// is 1280.0); users subtract dark x 0.0078125. The flat planes hold the flat field divided by
// its mean (1.0 is average illumination) and are never exactly 0. A FITS calibration frame is
// grey: its one plane of samples goes into all three planes. The size of a set is the extent of
// its planes (all three share it), so the recorded size can never disagree with what was filled.

#include <cstdint>
#include <filesystem>
#include <string>

#include "frames/calibration_types.h"
#include "frames/frame_model.h"
#include "frames/image_data_section.h"
#include "platform/errors.h"
#include "platform/message_port.h"

namespace kestrave {

// A failed load, with the caption, text and kind of the message that reports it. The planes are
// then a zeroed 2 x 2 set (no frame matches it, so nothing uses it).
class CalibrationError : public FileError {
public:
    CalibrationError(std::string caption, const std::string& text, std::uint8_t dlgType = mtError)
        : FileError(text), caption_(std::move(caption)), dlgType_(dlgType) {}
    const std::string& caption() const { return caption_; }
    std::uint8_t dlgType() const { return dlgType_; }
    Message message() const { return Message{caption_, what(), dlgType_, mbOK}; }

private:
    std::string caption_;
    std::uint8_t dlgType_;
};

// A FITS file of a BITPIX other than 16, 32 and -32: the load stopped once the planes were made
// at the picture's size (they hold 0), and the kind stays in use.
class CalibrationUnsupported : public CalibrationError {
public:
    CalibrationUnsupported(std::string caption, int bitpix)
        : CalibrationError(std::move(caption), "Unsupported fits format"), bitpix_(bitpix) {}
    int bitpix() const { return bitpix_; }

private:
    int bitpix_;
};

// The file a project names does not exist: the planes are left as they were.
class CalibrationFileMissing : public CalibrationError {
public:
    using CalibrationError::CalibrationError;
};

// The dialog was given a FITS file larger than MaxFrameSize: nothing was read, and the check
// box of the kind is to be disabled.
class CalibrationTooLarge : public CalibrationError {
public:
    using CalibrationError::CalibrationError;
};

// Loads `file` of `type` as a dark frame or flat field into `planes` (a flat is normalised).
// A picture cut to MaxFrameSize (dialog only) and a file that ends before its data do (the
// missing samples are 0) are told through `messages`; the load goes on. Throws
// CalibrationFileMissing (project only), CalibrationTooLarge (dialog only),
// CalibrationUnsupported (a FITS BITPIX other than 16, 32 and -32) or CalibrationError: a bad
// header or picture, an unreadable file or too little memory give the reason.
CalibrationLoad loadCalibrationFrame(const std::filesystem::path& file, int type, CalibrationKind kind,
                                     CalibrationOrigin origin, PlaneTriple& planes, MessagePort& messages);

// Divides every value of the three planes by their mean, taken in double precision over every
// value (a mean of exactly 0 counts as 1.0); a result of exactly 0 becomes 0.00001, so that a
// division by the flat never divides by 0.
void normaliseFlat(PlaneTriple& planes);

// Ranks the frames 0..lastFrame for a master frame: each has slot-0 quality and difference 1.0
// and slot-2 difference 1.0, and rank i holds frame i with the key i + 1, so that a stack of the
// ranks 0..lastFrame takes every frame with equal weight. Shifts and exclusions stay.
void rankForMasterFrame(FrameModel& model, int lastFrame);

}  // namespace kestrave
