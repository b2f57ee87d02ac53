#pragma once
// Shows a core 24-bit bitmap through a QImage that refers to the same bytes (no copy). The
// bitmap must outlive the view and keep its size while the view is used.

#include <QImage>

#include "platform/bitmap24.h"

namespace kestrave {

inline QImage bitmapView(const Bitmap24& bitmap) {
    // Bitmap24 rows hold blue, green, red bytes; Qt calls that layout BGR888.
    return QImage(bitmap.bits(), bitmap.width(), bitmap.height(), static_cast<qsizetype>(bitmap.stride()),
                  QImage::Format_BGR888);
}

}  // namespace kestrave
