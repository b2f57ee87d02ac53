#pragma once
// The errors of reading a frame that the window tells apart.

#include <string>
#include <utility>

#include "platform/errors.h"

namespace kestrave {

// A file that is readable but whose contents this reader cannot take, with the caption of the
// message that reports it.
class FrameFormatError : public FileError {
public:
    FrameFormatError(std::string caption, const std::string& text)
        : FileError(text), caption_(std::move(caption)) {}
    const std::string& caption() const { return caption_; }

private:
    std::string caption_;
};

}  // namespace kestrave
