#pragma once
// A label whose caption carries a drop shadow, and which tells when the mouse enters and leaves.

#include <QLabel>

namespace kestrave {

enum class ShadowPos { LeftTop, LeftBottom, RightBottom, RightTop };

// Where the shadow copy of a text goes relative to the text itself.
QPoint shadowOffset(ShadowPos pos, int size);
// Draws `text` in the shadow colour moved by the shadow's offset, then in the pen's colour in
// `rect`; returns the union of both rectangles (its height is the text height + size).
QRect DrawShadowText(QPainter& painter, const QString& text, const QRect& rect, int flags, int shadowSize,
                     const QColor& shadowColor, ShadowPos pos);

// Rich text and pictures are drawn as a plain label draws them; the shadow is for plain captions.
class TRxLabel : public QLabel {
    Q_OBJECT
public:
    explicit TRxLabel(QWidget* parent = nullptr);

    int ShadowSize() const { return shadowSize_; }
    void setShadowSize(int size);
    QColor ShadowColor() const { return shadowColor_; }
    void setShadowColor(const QColor& color);
    ShadowPos shadowPos() const { return shadowPos_; }
    void setShadowPos(ShadowPos pos);
    bool mouseInside() const { return mouseInside_; }
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void OnMouseEnter();
    void OnMouseLeave();

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    bool plainCaption() const;

    int shadowSize_ = 1;
    QColor shadowColor_;
    ShadowPos shadowPos_ = ShadowPos::LeftTop;
    bool mouseInside_ = false;
};

}  // namespace kestrave
