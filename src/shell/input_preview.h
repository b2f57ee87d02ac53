#pragma once
// The input dialog's preview of the formats the program reads itself (AVI and SER videos, FITS,
// TIFF and PNG frames) and its place on the screen. The preview reads the file by readers of its
// own: browsing in the dialog, and cancelling it, leave the current input exactly as it was.

#include <QPoint>
#include <QString>

class QWidget;

namespace kestrave {

class TPBOpenPreviewDialog;

// Where the input dialog's top-left corner goes whenever it opens.
inline constexpr QPoint OpenDialogPosition{180, 350};

// Makes `dialog` the input dialog: its own-format extensions, previews on, and the handlers below.
void joinInputPreview(TPBOpenPreviewDialog& dialog);

// Reads the first frame of the dialog's file and draws it at the preview's top-left corner with
// the frame's proportions; its facts (or the reader's message) become the preview text. A file the
// reader refuses throws after that, so that the pane shows it has no preview.
void AddbitmapdialogPreview(TPBOpenPreviewDialog& dialog, const QString& ext);
// Places the dialog once the window system has shown it.
void AddbitmapdialogShow(TPBOpenPreviewDialog& dialog);
// Moves the dialog's window to OpenDialogPosition, keeping its size; a dialog that would reach
// past the screen from there moves up and left as far as it must.
void WMPositionOpenDialog(QWidget& dialog);

}  // namespace kestrave
