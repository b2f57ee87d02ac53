#pragma once
// Window regions from mask pictures: the character's frames and the hint bulb take the shape
// of their pixels that are not transparent.

#include <QImage>
#include <QRegion>

#include "actor/mask_runs.h"

namespace kestrave {

// The region made of one-row rectangles (in banded order, as mask runs are); empty for none.
QRegion regionFromRuns(const RunRects& runs);

// The shape of a picture. In an 8-bit palette picture the pixels of palette index
// `transparentValue` are transparent; in a 1-bit picture those whose bit equals
// `transparentValue`; a picture of any other format counts the pixels of `transparentColor`
// (RGB) as transparent. An empty picture has an empty shape.
QRegion maskRegion(const QImage& image, int transparentValue, QRgb transparentColor);

}  // namespace kestrave
