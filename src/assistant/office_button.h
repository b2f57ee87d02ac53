#pragma once
// The flat push button of the assistant's balloons: no frame until the mouse is over it, then
// an outline and a hover face; an optional small glyph (built-in sets for a plain button, a
// radio-style button, up and down arrows and a hint bullet, or custom pictures), a caption that
// wraps and can set the height, and an optional transparent face.
//
// Mouse states: 0 inactive, 1 the mouse over it, 2 pressed with the mouse over it, 3 pressed
// with the mouse moved away. Hover is followed through enter and leave events, never by taking
// the mouse, so neighbouring controls keep their clicks. Released over the button it clicks;
// released elsewhere it does not.

#include <QAbstractButton>
#include <QFont>
#include <QImage>

class QShortcut;

namespace kestrave {

class TOffice97Button : public QAbstractButton {
    Q_OBJECT
    Q_PROPERTY(bool Office2000Look READ Office2000Look WRITE setOffice2000Look)
    Q_PROPERTY(QColor ActiveColor READ ActiveColor WRITE setActiveColor)
    Q_PROPERTY(QColor ActiveOutlineColor READ ActiveOutlineColor WRITE setActiveOutlineColor)
    Q_PROPERTY(QColor ActiveOutlineColor2 READ ActiveOutlineColor2 WRITE setActiveOutlineColor2)
    Q_PROPERTY(QColor InactiveColor READ InactiveColor WRITE setInactiveColor)
    Q_PROPERTY(QColor Color READ Color WRITE setColor)
    Q_PROPERTY(QImage ActiveGlyph READ ActiveGlyph WRITE setActiveGlyph)
    Q_PROPERTY(QImage DisabledGlyph READ DisabledGlyph WRITE setDisabledGlyph)
    Q_PROPERTY(QImage DownActiveGlyph READ DownActiveGlyph WRITE setDownActiveGlyph)
    Q_PROPERTY(QImage InactiveGlyph READ InactiveGlyph WRITE setInactiveGlyph)
    Q_PROPERTY(bool UseCustomGlyphs READ UseCustomGlyphs WRITE setUseCustomGlyphs)
    Q_PROPERTY(bool ShowGlyph READ ShowGlyph WRITE setShowGlyph)
    Q_PROPERTY(TOffBtnType ControlType READ ControlType WRITE setControlType)
    Q_PROPERTY(TGlyphPosition Position READ Position WRITE setPosition)
    Q_PROPERTY(QString Caption READ Caption WRITE setCaption)
    Q_PROPERTY(bool WordWrap READ WordWrap WRITE setWordWrap)
    Q_PROPERTY(bool AutoHeight READ AutoHeight WRITE setAutoHeight)
    Q_PROPERTY(bool AutoTransparency READ AutoTransparency WRITE setAutoTransparency)
    Q_PROPERTY(bool Transparent READ Transparent WRITE setTransparent)
    Q_PROPERTY(QColor TransparentColor READ TransparentColor WRITE setTransparentColor)
    Q_PROPERTY(bool Default READ Default WRITE setDefault)
    Q_PROPERTY(bool Cancel READ Cancel WRITE setCancel)
    Q_PROPERTY(int ModalResult READ ModalResult WRITE setModalResult)
    Q_PROPERTY(QFont HoverFont READ HoverFont WRITE setHoverFont)
    Q_PROPERTY(TOffBtnAbout About READ About WRITE setAbout)

public:
    enum TOffBtnType { bsButton, bsRadioButton, bsUpButton, bsDownButton, bsHintButton };
    Q_ENUM(TOffBtnType)
    enum TGlyphPosition { bsTop, bsBottom, bsLeft, bsRight };
    Q_ENUM(TGlyphPosition)
    enum TOffBtnAbout { abNone, abAbout };
    Q_ENUM(TOffBtnAbout)

    explicit TOffice97Button(QWidget* parent = nullptr);

    bool Office2000Look() const { return office2000Look_; }
    // The later look: grey lines with single-pixel rounded corners, a light yellow face and no
    // glyph on a plain button; the earlier look: a raised or sunken edge, a pale face and the
    // glyph shown.
    void setOffice2000Look(bool on);
    QColor ActiveColor() const { return activeColor_; }
    void setActiveColor(const QColor& color) { setColorProperty(activeColor_, color); }
    QColor ActiveOutlineColor() const { return activeOutlineColor_; }
    void setActiveOutlineColor(const QColor& color) { setColorProperty(activeOutlineColor_, color); }
    QColor ActiveOutlineColor2() const { return activeOutlineColor2_; }
    void setActiveOutlineColor2(const QColor& color) { setColorProperty(activeOutlineColor2_, color); }
    QColor InactiveColor() const { return inactiveColor_; }
    void setInactiveColor(const QColor& color) { setColorProperty(inactiveColor_, color); }
    // The face colour.
    QColor Color() const { return color_; }
    void setColor(const QColor& color) { setColorProperty(color_, color); }

    QImage ActiveGlyph() const { return activeGlyph_; }
    void setActiveGlyph(const QImage& glyph) { setGlyphProperty(activeGlyph_, glyph); }
    QImage DisabledGlyph() const { return disabledGlyph_; }
    void setDisabledGlyph(const QImage& glyph) { setGlyphProperty(disabledGlyph_, glyph); }
    QImage DownActiveGlyph() const { return downActiveGlyph_; }
    void setDownActiveGlyph(const QImage& glyph) { setGlyphProperty(downActiveGlyph_, glyph); }
    QImage InactiveGlyph() const { return inactiveGlyph_; }
    void setInactiveGlyph(const QImage& glyph) { setGlyphProperty(inactiveGlyph_, glyph); }
    bool UseCustomGlyphs() const { return useCustomGlyphs_; }
    void setUseCustomGlyphs(bool on) { setFlagProperty(useCustomGlyphs_, on); }
    bool ShowGlyph() const { return showGlyph_; }
    void setShowGlyph(bool on) { setFlagProperty(showGlyph_, on); }

    TOffBtnType ControlType() const { return controlType_; }
    // Takes the kind's glyph set; a kind other than bsButton puts a glyph beside the caption on
    // top instead, and shows its glyph unless it is a plain button in the later look.
    void setControlType(TOffBtnType type);
    TGlyphPosition Position() const { return position_; }
    void setPosition(TGlyphPosition position);

    QString Caption() const { return text(); }
    // An "&" marks the accelerator letter.
    void setCaption(const QString& caption);
    bool WordWrap() const { return wordWrap_; }
    void setWordWrap(bool on) { setFlagProperty(wordWrap_, on); }
    bool AutoHeight() const { return autoHeight_; }
    void setAutoHeight(bool on) { setFlagProperty(autoHeight_, on); }
    bool AutoTransparency() const { return autoTransparency_; }
    void setAutoTransparency(bool on) { setFlagProperty(autoTransparency_, on); }
    bool Transparent() const { return transparent_; }
    void setTransparent(bool on) { setFlagProperty(transparent_, on); }
    QColor TransparentColor() const { return transparentColor_; }
    void setTransparentColor(const QColor& color) { setColorProperty(transparentColor_, color); }
    // Enter anywhere in the window clicks the default button (the focused button keeps Enter
    // for itself); Esc clicks the cancel button.
    bool Default() const { return default_; }
    void setDefault(bool on);
    bool Cancel() const { return cancel_; }
    void setCancel(bool on);
    int ModalResult() const { return modalResult_; }
    void setModalResult(int result) { modalResult_ = result; }
    QFont HoverFont() const { return hoverFont_; }
    void setHoverFont(const QFont& font);
    TOffBtnAbout About() const { return about_; }
    void setAbout(TOffBtnAbout about) { about_ = about; }

    int mouseState() const { return mouseState_; }
    // The glyph for the current state and settings, its transparent colour taken out; null
    // when there is none.
    QImage currentGlyph() const;
    // The width the caption may take.
    int captionWidth() const;
    QSize sizeHint() const override;

signals:
    void OnClick(QObject* Sender);
    void OnDblClick(QObject* Sender);
    void OnMouseEnter(QObject* Sender);
    void OnMouseExit(QObject* Sender);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void setMouseState(int state);
    void setColorProperty(QColor& field, const QColor& value);
    void setGlyphProperty(QImage& field, const QImage& value);
    void setFlagProperty(bool& field, bool value);
    void changed();
    QSize glyphSize() const;
    QRect textBounds(int width) const;
    int wrapFlags() const;
    void paintOutline(QPainter& painter) const;

    bool office2000Look_ = true;
    QColor activeColor_;
    QColor activeOutlineColor_;
    QColor activeOutlineColor2_;
    QColor inactiveColor_;
    QColor color_;
    QImage activeGlyph_;
    QImage disabledGlyph_;
    QImage downActiveGlyph_;
    QImage inactiveGlyph_;
    bool useCustomGlyphs_ = false;
    bool showGlyph_ = false;
    TOffBtnType controlType_ = bsButton;
    TGlyphPosition position_ = bsLeft;
    bool wordWrap_ = true;
    bool autoHeight_ = false;
    bool autoTransparency_ = true;
    bool transparent_ = false;
    QColor transparentColor_ = QColor(0, 0, 0);
    bool default_ = false;
    bool cancel_ = false;
    int modalResult_ = 0;
    QFont hoverFont_;
    TOffBtnAbout about_ = abNone;

    int mouseState_ = 0;
    bool hovered_ = false;
    bool pressed_ = false;
    QShortcut* enterShortcut_ = nullptr;
    QShortcut* returnShortcut_ = nullptr;
    QShortcut* escapeShortcut_ = nullptr;
};

}  // namespace kestrave
