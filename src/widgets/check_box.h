#pragma once
// The check box drawn entirely by the component: a box, a tick of one of seven kinds, a caption,
// an optional frame, a hover highlight and a click sound. Writing `Checked` from code never runs
// `OnClick` and makes no sound.

#include <QWidget>

#include "widgets/check_box_model.h"

namespace kestrave {

class SoundSink;

class TPCheck : public QWidget {
    Q_OBJECT
    Q_PROPERTY(bool Checked READ Checked WRITE setChecked)
    Q_PROPERTY(QString Caption READ Caption WRITE setCaption)
    Q_PROPERTY(TImageType ImageType READ ImageType WRITE setImageType)
    Q_PROPERTY(TCheckAlignment Alignment READ Alignment WRITE setAlignment)
    Q_PROPERTY(TCheckStyle Style READ Style WRITE setStyle)
    Q_PROPERTY(QColor ColorSipleMargine READ ColorSipleMargine WRITE setColorSipleMargine)
    Q_PROPERTY(bool Flat READ Flat WRITE setFlat)
    Q_PROPERTY(bool HotTrack READ HotTrack WRITE setHotTrack)
    Q_PROPERTY(bool ShowHandCursor READ ShowHandCursor WRITE setShowHandCursor)
    Q_PROPERTY(bool PlayMusic READ PlayMusic WRITE setPlayMusic)
    Q_PROPERTY(bool ShowFocused READ ShowFocused WRITE setShowFocused)
    Q_PROPERTY(bool Transparent READ Transparent WRITE setTransparent)
    Q_PROPERTY(QString Hint READ Hint WRITE setHint)
    Q_PROPERTY(QString HintSecondLine READ HintSecondLine WRITE setHintSecondLine)
    Q_PROPERTY(int Tag READ Tag WRITE setTag)

public:
    enum TImageType { igCrossRed, igHookBlue, igCirce, igCrossBlue, igCrossGreen, igHookLime, igHookRed };
    Q_ENUM(TImageType)
    // taRightJustify: box at the left, caption right of it; taLeftJustify: caption at the left,
    // box at the right edge.
    enum TCheckAlignment { taRightJustify, taLeftJustify };
    Q_ENUM(TCheckAlignment)
    enum TCheckStyle { bmNone, bmLowered, bmRaised, bmSimple };
    Q_ENUM(TCheckStyle)

    static constexpr QSize kBoxSize{13, 13};

    explicit TPCheck(QWidget* parent = nullptr);

    bool Checked() const { return checked_; }
    // Stores and repaints; fires no handler (only `CheckedChanged`, which tells whoever keeps a
    // copy of the value).
    void setChecked(bool checked);
    QString Caption() const { return caption_; }
    void setCaption(const QString& caption);
    TImageType ImageType() const { return imageType_; }
    void setImageType(TImageType type);
    TCheckAlignment Alignment() const { return alignment_; }
    void setAlignment(TCheckAlignment alignment);
    TCheckStyle Style() const { return style_; }
    void setStyle(TCheckStyle style);
    QColor ColorSipleMargine() const { return marginColor_; }
    void setColorSipleMargine(const QColor& color);
    bool Flat() const { return flat_; }
    void setFlat(bool flat);
    bool HotTrack() const { return hotTrack_; }
    void setHotTrack(bool on) { hotTrack_ = on; }
    bool ShowHandCursor() const { return showHandCursor_; }
    void setShowHandCursor(bool on) { showHandCursor_ = on; }
    // Each press of the mouse that toggles the box clicks, unless this is off.
    bool PlayMusic() const { return playMusic_; }
    void setPlayMusic(bool on) { playMusic_ = on; }
    // Where the click goes; without a sink the box is silent.
    SoundSink* soundSink() const { return sound_; }
    void setSoundSink(SoundSink* sink) { sound_ = sink; }
    bool ShowFocused() const { return showFocused_; }
    void setShowFocused(bool on) { showFocused_ = on; }
    bool Transparent() const { return transparent_; }
    void setTransparent(bool on);
    QString Hint() const { return hint_; }
    void setHint(const QString& hint);
    QString HintSecondLine() const { return hintSecondLine_; }
    // Stores the line and, when both are not empty, appends it to the hint after a carriage return.
    void setHintSecondLine(const QString& line);
    int Tag() const { return tag_; }
    void setTag(int tag) { tag_ = tag; }

    bool hovered() const { return hovered_; }
    CheckLayout layout() const;
    QSize sizeHint() const override;
    // A layout may make the control narrower than its caption (a translated caption may be longer
    // than the row has room for): the box still shows, and the caption is clipped at the edge.
    QSize minimumSizeHint() const override;

signals:
    void OnClick(QObject* Sender);
    // Checked changed, by a click or by code.
    void CheckedChanged(bool checked);
    void OnDblClick(QObject* Sender);
    void OnMouseEnter(QObject* Sender);
    void OnMouseExit(QObject* Sender);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void run(const CheckPressMachine::Actions& actions);
    void click() const;
    void takeFocus(Qt::FocusReason reason);
    void paintBox(QPainter& p, QPoint at) const;
    void paintTick(QPainter& p, QPoint at) const;

    bool checked_ = false;
    QString caption_;
    TImageType imageType_ = igCrossRed;
    TCheckAlignment alignment_ = taRightJustify;
    TCheckStyle style_ = bmNone;
    QColor marginColor_ = Qt::blue;
    bool flat_ = false;
    bool hotTrack_ = true;
    bool showHandCursor_ = true;
    bool playMusic_ = true;
    bool showFocused_ = true;
    bool transparent_ = false;
    QString hint_;
    QString hintSecondLine_;
    int tag_ = 0;
    SoundSink* sound_ = nullptr;

    CheckPressMachine presses_;
    bool hovered_ = false;
    bool entered_ = false;
    int shortcutId_ = 0;
};

}  // namespace kestrave
