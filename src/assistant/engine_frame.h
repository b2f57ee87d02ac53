#pragma once
// The window side of the engine's frames: the shown frame as an 8-bit palette picture (rows
// 4-byte aligned) and its shape as a window region, both made from the engine's published
// snapshot on the window's thread.

#include <QImage>
#include <QRegion>

#include "actor/assistant_engine.h"

class QPainter;

namespace kestrave {

// Null when the snapshot holds no frame.
QImage frameImage(const FrameSnapshot& frame);
QRegion frameRegion(const FrameSnapshot& frame);

// Copies the engine's current frame unchanged to (X, Y); nothing when no frame is shown.
void Draw(const TAssistantEngine& engine, QPainter& painter, int X, int Y);

}  // namespace kestrave
