#include "assistant/engine_frame.h"

#include <QPainter>
#include <algorithm>

#include "assistant/mask_region.h"

namespace kestrave {

QImage frameImage(const FrameSnapshot& frame) {
    const std::size_t w = frame.width > 0 ? static_cast<std::size_t>(frame.width) : 0;
    const std::size_t h = frame.height > 0 ? static_cast<std::size_t>(frame.height) : 0;
    if (w == 0 || h == 0 || frame.pixels.size() < w * h) return {};
    QImage image(frame.width, frame.height, QImage::Format_Indexed8);
    QList<QRgb> colors(256, qRgb(0, 0, 0));
    if (frame.palette) std::copy(frame.palette->begin(), frame.palette->end(), colors.begin());
    image.setColorTable(colors);
    for (std::size_t y = 0; y < h; ++y)
        std::copy_n(frame.pixels.begin() + y * w, w, image.scanLine(static_cast<int>(y)));
    return image;
}

QRegion frameRegion(const FrameSnapshot& frame) {
    return frame.region ? regionFromRuns(*frame.region) : QRegion();
}

void Draw(const TAssistantEngine& engine, QPainter& painter, int X, int Y) {
    const auto frame = engine.currentFrame();
    if (!frame) return;
    const QImage image = frameImage(*frame);
    if (!image.isNull()) painter.drawImage(X, Y, image);
}

}  // namespace kestrave
