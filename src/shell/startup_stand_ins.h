#pragma once
// Entry points that start-up calls into parts of the program that are built later. Each does the
// least that lets start-up run through; the part that owns it replaces it and moves the call to
// its controller.

class QWidget;

namespace kestrave {

// The assistant of `target`'s window points its balloons at `target`.
void AttachBalloons(QWidget* target);

}  // namespace kestrave
