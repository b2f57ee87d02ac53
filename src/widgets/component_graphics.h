#pragma once
// Picture helpers and cursors shared by the components.

#include <QCursor>
#include <QEvent>
#include <QFontMetrics>
#include <QImage>
#include <QString>

class QPainter;
class QPalette;

namespace kestrave {

// The component set's screen cursors, by number.
enum ComponentCursor : int { crRxHand = 14000, crRxDrag = 14001 };
// What the component set sets up once at start-up: its two cursors and the date-format flag.
void InitComponentSet();
// The cursor registered under `id`: a pointing hand for crRxHand, our own drag cursor (an arrow
// carrying a bar) for crRxDrag, the arrow for any other number.
QCursor componentCursor(int id);

// Set at start-up from the locale's short date format: dates are shown with four-digit years.
bool FourDigitYear();

// What lies under `control` (its parent's own painting, then every visible sibling beneath it
// that overlaps it) painted into `painter` in the control's coordinates.
void CopyParentImage(const QWidget& control, QPainter& painter);
// `width` nested dotted frames just inside `screenRect`, shown above every window. Drawing the
// same frame a second time takes it away again, so a moving frame is drawn, then drawn again at
// its old place to erase it.
void DrawInvertFrame(const QRect& screenRect, int width);
// The frames DrawInvertFrame shows at present (for a test's eyes).
QList<QRect> shownInvertFrames();
// Takes one waiting event of this type for `receiver` out of the queue, so that it never reaches
// the receiver (one press after a menu closed gives no second click); others waiting still come.
void KillMessage(QObject* receiver, QEvent::Type type);
// Whether the active window is one of this program's, run by its user-interface thread.
bool IsForegroundTask();

// An 8 x 8 picture in `color1` whose pixel (x, y) is `color2` when x and y are both even or both
// odd: the checker pattern of hovered and held-down controls.
QImage CreateTwoColorsBrushPattern(const QColor& color1, const QColor& color2);

// Cell `index` of a picture cut into cols x rows equal cells, counted row by row
// (column index mod cols, row index div cols). Cols and rows count as at least 1.
QImage AssignBitmapCell(const QImage& source, int cols, int rows, int index);

// The colour of a picture's bottom-left pixel: its transparent colour unless one is given.
QRgb defaultTransparentColor(const QImage& image);
// A copy in which every pixel of colour `key` is fully transparent, so drawing it leaves the
// background there unchanged.
QImage withTransparentColor(const QImage& image, QRgb key);

// A one-pixel frame just inside `rect`: lowered has the shadow at the top-left and the light at
// the bottom-right, raised the reverse.
void drawBevelFrame(QPainter& painter, const QRect& rect, bool lowered, const QPalette& palette);

// Whether the pointer is over an enabled, visible `control` (checked after a release and after
// a change of enabling or visibility, when no enter or leave notice comes).
bool pointerInside(const QWidget& control);

// The text shortened character by character from its end, with "..." appended, until it fits
// `maxWidth`; "..." alone when not even one character fits.
QString MinimizeText(const QString& text, const QFontMetrics& metrics, int maxWidth);

}  // namespace kestrave
