#pragma once
// The picture `AlignImage` shows while the optimizer passes run. For compared windows of side S
// (the box size N, or N times the resampling factor) it is white, (2S + 20) x (S + 70): the
// reference window at the top left, 1:1; beside it, 10 pixels on, the compared box of the frame in
// hand, 1:1 and centred on the reference's middle row; under them " Reference " and " Current ",
// and under both " Processing " with the frame's number.

#include <QImage>

namespace kestrave {

class AlignImagePicture {
public:
    // A pass starts: a white picture for windows of side `side`, `reference` (side x side, or one
    // more each way) drawn at its top left. `resampled`: the windows are resampled ones, and the
    // frame's box and the captions stand where they stand for those, by the resampled half box
    // `half` (half the side, or the half box resampled on its own, which may be a pixel more).
    void start(const QImage& reference, int side, bool resampled, int half = -1);
    // Frame `frame` (0-based) was optimized: its compared box beside the reference, and its number.
    void showFrame(const QImage& box, int frame);
    const QImage& picture() const { return picture_; }

private:
    void caption(int x, int y, const QString& text);

    QImage picture_;
    int side_ = 0;
    int half_ = 0;
    bool resampled_ = false;
};

}  // namespace kestrave
