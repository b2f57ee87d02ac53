#include "shell/controllers/align_image.h"

#include <QPainter>
#include <algorithm>

namespace kestrave {

namespace {

// The room left of the windows' captions and under the windows.
constexpr int Gap = 10;
constexpr int CaptionRoom = 70;

}  // namespace

void AlignImagePicture::start(const QImage& reference, int side, bool resampled, int half) {
    side_ = std::max(side, 1);
    half_ = half < 0 ? side_ / 2 : half;
    resampled_ = resampled;
    picture_ = QImage(2 * side_ + 2 * Gap, side_ + CaptionRoom, QImage::Format_RGB32);
    picture_.fill(Qt::white);
    QPainter painter(&picture_);
    painter.drawImage(QPoint(0, 0), reference);
}

// Each caption is written on white, so that a shorter text covers a longer one before it; the
// blanks after the frame's number do the same for a number of fewer digits.
void AlignImagePicture::caption(int x, int y, const QString& text) {
    QPainter painter(&picture_);
    painter.setBackgroundMode(Qt::OpaqueMode);
    painter.setBackground(Qt::white);
    painter.setPen(Qt::black);
    painter.drawText(QRect(x, y, picture_.width() - x, picture_.height() - y), Qt::AlignLeft | Qt::AlignTop,
                     text);
}

void AlignImagePicture::showFrame(const QImage& box, int frame) {
    if (picture_.isNull()) return;
    const int n = side_, h = resampled_ ? half_ : side_ / 2;
    {
        QPainter painter(&picture_);
        if (resampled_)
            painter.drawImage(QPoint(2 * h + Gap, 0), box);
        else
            painter.drawImage(QPoint(n + Gap, h - box.height() / 2), box);
    }
    const QString processing = " Processing " + QString::number(frame + 1) + QString(12, ' ');
    if (resampled_) {
        caption(h, 2 * h + 15, " Reference ");
        caption(3 * h, 2 * h + 15, " Current ");
        caption(2 * h, 2 * h + 30, processing);
    } else {
        caption(n / 4 - 8, n + 15, " Reference ");
        caption(n + n / 4, n + 15, " Current ");
        caption(n - n / 4 - 16, n + 34, processing);
    }
}

}  // namespace kestrave
