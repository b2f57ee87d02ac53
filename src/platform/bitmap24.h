#pragma once
// The core's 24-bit bitmap: bytes blue, green, red per pixel, rows padded to a multiple of
// four bytes, top row first. It is the display and exchange format of the program; the window
// shows it through a QImage view without copying.

#include <cstddef>
#include <cstdint>
#include <limits>
#include <vector>

namespace kestrave {

// The rows [first, end) of a picture that a pass reads; a reader asked for a band may leave the
// picture's other rows as they were. The whole picture by default.
struct RowBand {
    int first = 0;
    int end = std::numeric_limits<int>::max();
    bool whole() const { return first <= 0 && end == std::numeric_limits<int>::max(); }
};

class Bitmap24 {
public:
    Bitmap24() = default;
    Bitmap24(int width, int height);

    // Changes the size; the contents are cleared to black.
    void resize(int width, int height);

    int width() const { return width_; }
    int height() const { return height_; }
    bool empty() const { return width_ <= 0 || height_ <= 0; }
    // Bytes from the start of one row to the start of the next: 3 * width rounded up to 4.
    std::size_t stride() const { return stride_; }
    static std::size_t strideFor(int width) {
        return (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3};
    }

    std::uint8_t* row(int y) { return data_.data() + static_cast<std::size_t>(y) * stride_; }
    const std::uint8_t* row(int y) const { return data_.data() + static_cast<std::size_t>(y) * stride_; }
    std::uint8_t* pixel(int x, int y) { return row(y) + 3 * static_cast<std::size_t>(x); }
    const std::uint8_t* pixel(int x, int y) const { return row(y) + 3 * static_cast<std::size_t>(x); }

    std::uint8_t* bits() { return data_.data(); }
    const std::uint8_t* bits() const { return data_.data(); }
    std::size_t byteCount() const { return data_.size(); }

    void fill(std::uint8_t blue, std::uint8_t green, std::uint8_t red);

private:
    int width_ = 0;
    int height_ = 0;
    std::size_t stride_ = 0;
    std::vector<std::uint8_t> data_;
};

// Stores three bytes into one pixel in blue, green, red order.
inline void SetRGBTriple(std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t* p) {
    p[0] = b;
    p[1] = g;
    p[2] = r;
}

}  // namespace kestrave
