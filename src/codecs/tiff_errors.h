#pragma once
// The errors of the TIFF reader and writer. Each carries the English text shown to the user.

#include <string>

#include "platform/errors.h"

namespace kestrave {

class TiffError : public FileError {
public:
    using FileError::FileError;
};

// The file could not be opened or read.
class TiffReadError : public TiffError {
public:
    TiffReadError() : TiffError("Problem reading TIFF-file, processing canceled") {}
};

// The file does not start like a TIFF file, or its image has no width.
class TiffHeaderError : public TiffError {
public:
    explicit TiffHeaderError(const std::string& text = "Invalid TIFF header") : TiffError(text) {}
};

// A directory entry, strip or colour map points outside the file, or the data is damaged.
class TiffCorruptError : public TiffError {
public:
    explicit TiffCorruptError(const std::string& detail) : TiffError("Invalid TIFF file: " + detail) {}
};

// A valid TIFF file of a kind this reader does not decode (tiles, other compressions, planar
// samples, floating-point samples, ...).
class TiffUnsupportedError : public TiffError {
public:
    explicit TiffUnsupportedError(const std::string& detail)
        : TiffError("Unsupported TIFF file: " + detail) {}
};

}  // namespace kestrave
