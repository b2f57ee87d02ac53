#pragma once
// A picture of one byte per pixel, top row first, rows of `width` bytes: the level of each pixel
// as the alignment reads a grey picture (the byte its 24-bit form holds three times). A third of
// the 24-bit picture's memory, for passes that hold many frames at once.

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <vector>

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

}  // namespace kestrave
