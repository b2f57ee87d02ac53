#pragma once
// A filled rectangle with an optional drop shadow: the window's coloured indicators and pointers.

#include <QBrush>
#include <QColor>
#include <QPen>
#include <QRect>
#include <QWidget>

namespace kestrave {

// Where the shadow and the body of a shape of `size` lie for a pen `penWidth` wide: the shadow
// offset by `offset` down and right, the body at the top left, each (size − offset − pen + 1)
// wide and high (1 less for no pen); without a shadow the body takes the offset too, and so the
// whole bounds.
struct RectShapeGeometry {
    QRect shadow;  // empty without a shadow
    QRect body;
};
RectShapeGeometry rectShapeGeometry(QSize size, int penWidth, bool shadow, int offset);

class TRectShape : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QBrush Brush READ Brush WRITE setBrush)
    Q_PROPERTY(QPen Pen READ Pen WRITE setPen)
    Q_PROPERTY(bool Shadow READ Shadow WRITE setShadow)
    Q_PROPERTY(int ShadowOffset READ ShadowOffset WRITE setShadowOffset)
    Q_PROPERTY(QColor ShadowColor READ ShadowColor WRITE setShadowColor)

public:
    explicit TRectShape(QWidget* parent = nullptr);

    QBrush Brush() const { return brush_; }
    void setBrush(const QBrush& brush);
    QPen Pen() const { return pen_; }
    void setPen(const QPen& pen);
    bool Shadow() const { return shadow_; }
    void setShadow(bool shadow);
    int ShadowOffset() const { return offset_; }
    // Negative offsets count as 0.
    void setShadowOffset(int offset);
    QColor ShadowColor() const { return shadowColor_; }
    void setShadowColor(const QColor& colour);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QBrush brush_{Qt::white};
    QPen pen_{Qt::black};
    bool shadow_ = true;
    int offset_ = 2;
    QColor shadowColor_;
};

}  // namespace kestrave
