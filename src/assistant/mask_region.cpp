#include "assistant/mask_region.h"

#include <vector>

namespace kestrave {

QRegion regionFromRuns(const RunRects& runs) {
    std::vector<QRect> rects;
    rects.reserve(runs.size());
    for (const RunRect& r : runs)
        rects.emplace_back(QPoint(r.left, r.top), QPoint(r.right - 1, r.bottom - 1));
    QRegion region;
    if (!rects.empty()) region.setRects(rects.data(), static_cast<int>(rects.size()));
    return region;
}

QRegion maskRegion(const QImage& image, int transparentValue, QRgb transparentColor) {
    if (image.isNull()) return {};
    if (image.format() == QImage::Format_Indexed8)
        return regionFromRuns(maskRunsIndexed(image.constBits(), image.width(), image.height(),
                                              static_cast<std::size_t>(image.bytesPerLine()),
                                              static_cast<std::uint8_t>(transparentValue)));
    QImage mono;
    bool transparentBit = transparentValue != 0;
    if (image.format() == QImage::Format_Mono || image.format() == QImage::Format_MonoLSB) {
        mono = image.convertToFormat(QImage::Format_Mono);
    } else {
        // The set bits of the colour mask mark the transparent pixels.
        mono = image.convertToFormat(QImage::Format_RGB32)
                   .createMaskFromColor(
                       qRgb(qRed(transparentColor), qGreen(transparentColor), qBlue(transparentColor)),
                       Qt::MaskInColor)
                   .convertToFormat(QImage::Format_Mono);
        transparentBit = true;
    }
    return regionFromRuns(maskRunsMono(mono.constBits(), mono.width(), mono.height(),
                                       static_cast<std::size_t>(mono.bytesPerLine()), transparentBit));
}

}  // namespace kestrave
