#include "platform/bitmap24.h"

#include <stdexcept>

namespace kestrave {

Bitmap24::Bitmap24(int width, int height) {
    resize(width, height);
}

void Bitmap24::resize(int width, int height) {
    if (width < 0 || height < 0) throw std::invalid_argument("negative bitmap size");
    width_ = width;
    height_ = height;
    stride_ = strideFor(width);
    data_.assign(stride_ * static_cast<std::size_t>(height), 0);
}

void Bitmap24::fill(std::uint8_t blue, std::uint8_t green, std::uint8_t red) {
    for (int y = 0; y < height_; ++y) {
        std::uint8_t* p = row(y);
        for (int x = 0; x < width_; ++x, p += 3) SetRGBTriple(red, green, blue, p);
    }
}

}  // namespace kestrave
