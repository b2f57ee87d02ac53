#pragma once
// Entry points that start-up calls into parts of the program that are built later. Each does the
// least that lets start-up run through; the part that owns it replaces it and moves the call to
// its controller.

class QWidget;

namespace kestrave {

class InputController;
class MessageRoutine;
struct TFileDialog;

// The assistant of `target`'s window points its balloons at `target`.
void AttachBalloons(QWidget* target);
// Project files: loads the project or frame list named by OpenDialog2 (filter index 1 a project,
// 2 a frame list). A frame list is taken as the input; until projects can be read, loading one
// is reported and nothing is loaded.
void LoadProjectClick(const TFileDialog& OpenDialog2, InputController& input, MessageRoutine& messages);

}  // namespace kestrave
