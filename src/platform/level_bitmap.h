#pragma once
// A picture of one byte per pixel, top row first, rows of `width` bytes: the level of each pixel
// as the passes read a grey picture (the byte its 24-bit form holds three times). A third of the
// 24-bit picture's memory, for passes that hold many frames at once. And the view through which
// a pass reads the levels of either kind of picture.

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <vector>

#include "platform/bitmap24.h"

namespace kestrave {

class LevelBitmap {
public:
    // Changes the size; the contents are cleared to 0.
    void resize(int width, int height) {
        if (width < 0 || height < 0) throw std::invalid_argument("negative bitmap size");
        width_ = width;
        height_ = height;
        data_.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
    }

    int width() const { return width_; }
    int height() const { return height_; }
    bool empty() const { return width_ <= 0 || height_ <= 0; }
    std::size_t stride() const { return static_cast<std::size_t>(width_); }

    std::uint8_t* row(int y) { return data_.data() + static_cast<std::size_t>(y) * stride(); }
    const std::uint8_t* row(int y) const { return data_.data() + static_cast<std::size_t>(y) * stride(); }
    std::uint8_t* bits() { return data_.data(); }
    const std::uint8_t* bits() const { return data_.data(); }
    std::size_t byteCount() const { return data_.size(); }

private:
    int width_ = 0;
    int height_ = 0;
    std::vector<std::uint8_t> data_;
};

// The pixels of a picture as a pass reads its levels: a 24-bit picture, or the levels of a grey
// one alone (one byte per pixel). Without colour a pixel's level is its green byte, which the
// levels hold; colour levels and copies of the pixels need the 24-bit picture.
class FramePixels {
public:
    FramePixels() = default;
    // Every 24-bit picture reads as itself.
    FramePixels(const Bitmap24& picture)  // NOLINT(google-explicit-constructor)
        : colour_(&picture),
          levels_(picture.empty() ? nullptr : picture.bits() + 1),
          stride_(picture.stride()),
          step_(3),
          width_(picture.width()),
          height_(picture.height()) {}
    FramePixels(const LevelBitmap& levels)  // NOLINT(google-explicit-constructor)
        : levels_(levels.bits()),
          stride_(levels.stride()),
          step_(1),
          width_(levels.width()),
          height_(levels.height()) {}

    int width() const { return width_; }
    int height() const { return height_; }
    // The level (green byte) of pixel (x, y); the next pixel's lies step() bytes on.
    const std::uint8_t* level(int x, int y) const {
        return levels_ + static_cast<std::ptrdiff_t>(y) * static_cast<std::ptrdiff_t>(stride_) +
               static_cast<std::ptrdiff_t>(x) * step_;
    }
    int step() const { return step_; }
    // The 24-bit picture; throws std::logic_error for levels alone.
    const Bitmap24& colour() const {
        if (colour_ == nullptr) throw std::logic_error("the 24-bit picture of a frame read as levels alone");
        return *colour_;
    }

private:
    const Bitmap24* colour_ = nullptr;
    const std::uint8_t* levels_ = nullptr;
    std::size_t stride_ = 0;
    int step_ = 1;
    int width_ = 0;
    int height_ = 0;
};

}  // namespace kestrave
