#pragma once
// The gradient painter of the tab styles and the bevel panel: bands of colour stepping from one
// colour to another across a rectangle.

#include <QColor>
#include <QObject>
#include <QRect>
#include <vector>

class QPainter;

namespace kestrave {

enum class TglGradientDir {
    fgdHorizontal,
    fgdVertical,
    fgdLeftBias,
    fgdRightBias,
    fgdRectangle,
    fgdHorzConvergent,
    fgdVertConvergent
};

// The settings that decide where the bands go and what colour each gets.
struct GradientSpec {
    QColor from{128, 128, 128};
    QColor to{0, 0, 0};
    TglGradientDir orientation = TglGradientDir::fgdHorizontal;
    int steps = 255;           // 1..255
    int percentFilling = 100;  // 0..100
    bool reversed = false;     // horizontal and vertical bands start at the far edge
};

// One band: a rectangle filled with one colour (for the two bias kinds, the first and the count
// of the diagonal lines drawn in it instead).
struct GradientBand {
    QRect rect;
    QColor color;
    int firstLine = 0;
    int lines = 0;
};

// The colour of band i of n: each channel from + (to − from)·i ÷ (n − 1), rounded; a single band
// takes the first colour.
QColor bandColor(const QColor& from, const QColor& to, int i, int n);
// The bands that fill `rect`, in drawing order: min(steps, rows) horizontal bands of near-equal
// height (columns for vertical; W + H diagonal lines for the bias kinds; concentric rectangles
// for the rectangle kind), stopping after the first band past `percentFilling` per cent. One step
// draws nothing; the two convergent kinds are drawn as two halves and plan nothing here.
std::vector<GradientBand> gradientBands(const GradientSpec& spec, const QRect& rect);

// The colour pair with change notification.
class TTwainColors : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    QColor FromColor() const { return spec_.from; }
    QColor ToColor() const { return spec_.to; }
    void setFromColor(const QColor& color);
    void setToColor(const QColor& color);

signals:
    void changed();

protected:
    GradientSpec spec_;
};

class TGradient : public TTwainColors {
    Q_OBJECT
public:
    using TTwainColors::TTwainColors;

    bool Active() const { return active_; }
    void setActive(bool active);
    bool BufferedDraw() const { return buffered_; }
    void setBufferedDraw(bool buffered);
    TglGradientDir Orientation() const { return spec_.orientation; }
    void setOrientation(TglGradientDir orientation);
    int Steps() const { return spec_.steps; }
    void setSteps(int steps);  // kept within 1..255
    int PercentFilling() const { return spec_.percentFilling; }
    void setPercentFilling(int percent);  // kept within 0..100
    Qt::BrushStyle BrushStyle() const { return brush_; }
    void setBrushStyle(Qt::BrushStyle style);
    void setReversed(bool reversed);
    const GradientSpec& spec() const { return spec_; }
    // The colour of text line `line` of `lines` written in `extent` pixels: from FromColor a step
    // of (to − from) ÷ extent per line.
    QColor textLineColor(int line, int extent) const;
    // `text` with its cell's top-left at `origin`, coloured line by line across `clip` (pixel rows,
    // or columns for fgdVertical) over PercentFilling of it; written once in the painter's pen when
    // inactive.
    void drawText(QPainter& painter, QPoint origin, const QRect& clip, const QString& text) const;

    // Fills `rect` with the bands; nothing while inactive or on a device of fewer than 16 bits per
    // pixel. The diagonal kinds draw lines `penWidth` wide (1 when 0) in `penStyle`.
    void draw(QPainter& painter, const QRect& rect, int penWidth = 1,
              Qt::PenStyle penStyle = Qt::SolidLine) const;

private:
    void drawBands(QPainter& painter, const GradientSpec& spec, const QRect& rect, int penWidth,
                   Qt::PenStyle penStyle) const;
    template <typename T>
    void set(T& field, T value);

    bool active_ = false;
    bool buffered_ = false;
    Qt::BrushStyle brush_ = Qt::SolidPattern;
};

}  // namespace kestrave
