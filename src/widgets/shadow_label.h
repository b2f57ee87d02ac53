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
    Q_PROPERTY(bool Transparent READ Transparent WRITE setTransparent)
public:
    explicit TRxLabel(QWidget* parent = nullptr);

    int ShadowSize() const { return shadowSize_; }
    void setShadowSize(int size);
    QColor ShadowColor() const { return shadowColor_; }
    void setShadowColor(const QColor& color);
    ShadowPos shadowPos() const { return shadowPos_; }
    void setShadowPos(ShadowPos pos);
    bool mouseInside() const { return mouseInside_; }
    // Unless transparent, the label fills its client area with its colour (the parent's by
    // default) before drawing the caption.
    bool Transparent() const { return transparent_; }
    void setTransparent(bool transparent);
    // The control that the caption's accelerator focuses, and around whose focus the caption
    // draws a focus rectangle when ShowFocus is on.
    QWidget* FocusControl() const { return buddy(); }
    void setFocusControl(QWidget* control) { setBuddy(control); }
    bool ShowFocus() const { return showFocus_; }
    void setShowFocus(bool show);
    // With AutoSize the label takes the size of its caption (an empty caption, or a lone "&",
    // measures as a blank); a right-aligned label keeps its right edge.
    bool AutoSize() const { return autoSize_; }
    void setAutoSize(bool autoSize);
    // With ShowAccelChar (the default) an "&" marks the next character as the accelerator and
    // is not drawn; without it the caption is drawn as it is written.
    bool ShowAccelChar() const { return showAccelChar_; }
    void setShowAccelChar(bool show);
    // The caption set through here resizes an AutoSize label at once.
    void setCaption(const QString& caption);
    // Where the caption is drawn, once measured; a focus rectangle goes around it.
    QRect textRect() const;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void OnMouseEnter();
    void OnMouseLeave();

protected:
    // A plain caption is drawn with the shadow; pictures and rich text as a plain label draws them.
    bool plainCaption() const;
    // The caption as it is drawn (the whole of it here).
    virtual QString drawnText() const;
    // Where the caption is drawn: the contents less a pixel at either side.
    virtual QRect textArea() const;
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    // After a release and a change of enabling or visibility the mouse-inside flag is checked
    // against the pointer.
    void mouseReleaseEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    // The text measured: a blank for an empty caption or a lone accelerator mark.
    QString measuredText() const;
    int textFlags() const;
    void adjustBounds();
    void setMouseInside(bool inside);

    int shadowSize_ = 1;
    QColor shadowColor_;
    ShadowPos shadowPos_ = ShadowPos::LeftTop;
    bool mouseInside_ = false;
    bool showFocus_ = false;
    bool autoSize_ = true;
    bool showAccelChar_ = true;
    bool transparent_ = false;
};

}  // namespace kestrave
