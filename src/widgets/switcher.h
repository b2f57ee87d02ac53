#pragma once
// A rotary switch: a round knob whose red pointer segment the user turns with the mouse (a drag
// that starts on the pointer) or the keyboard (Left, Right, Home, End) to one of the positions
// 0..Max, laid out on a 270-degree scale with ticks and optional value labels. A change may play
// a sound file; a sound that cannot be played is left out.

#include <QWidget>
#include <functional>

#include "widgets/dial_geometry.h"

class QSoundEffect;

namespace kestrave {

class TASSwitcher : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int Max READ Max WRITE setMax)
    Q_PROPERTY(int Position READ Position WRITE setPosition)
    Q_PROPERTY(bool PrintValues READ PrintValues WRITE setPrintValues)
    Q_PROPERTY(bool DrawTicks_ READ DrawTicks_ WRITE setDrawTicks_)
    Q_PROPERTY(bool DrawFocused READ DrawFocused WRITE setDrawFocused)
    Q_PROPERTY(int Tag READ Tag WRITE setTag)

public:
    // Where the change sound comes from: a resource of the program, a sound file, or none.
    enum TWhereSoundStore { wssExe, wssWav, wssNone };
    Q_ENUM(TWhereSoundStore)

    explicit TASSwitcher(QWidget* parent = nullptr);

    int Max() const { return max_; }
    // Accepted only within 0..270.
    void setMax(int value);
    int Position() const { return position_; }
    // Clamped to 0..Max; OnChange fires when the position changed.
    void setPosition(int value);
    bool PrintValues() const { return printValues_; }
    void setPrintValues(bool print);
    bool DrawTicks_() const { return drawTicks_; }
    void setDrawTicks_(bool draw);
    bool DrawFocused() const { return drawFocused_; }
    void setDrawFocused(bool draw);
    int Tag() const { return tag_; }
    void setTag(int tag) { tag_ = tag; }
    TWhereSoundStore SoundType = wssWav;
    // The sound file (wssWav) or the resource name (wssExe) played on every change.
    QString SoundChange;
    // The kind of resource a wssExe sound is: its folder among the program's resources.
    QString ResourceType;
    enum TWaveOption { woSync = 1, woNoDefault = 2, woLoop = 4, woNoStop = 8 };
    // With woSync the change waits until the sound has played (the user's input waits too);
    // without woNoDefault a missing sound is replaced by the default sound. Looping repeats the
    // sound; with woNoStop a sound still playing is not cut off by the next.
    int WaveOptions = woSync | woNoDefault | woNoStop;
    // The default sound: the system's beep.
    std::function<void()> DefaultSound;
    // Where the change sound is read from: the file, or the resource of the chosen type.
    QString soundSource() const;

    DialMeasures measures() const { return dialMeasures(printValues_); }
    DialScale scale() const { return dialScale(max_); }
    QPoint centre() const { return {width() / 2, height() / 2}; }
    bool dragging() const { return dragging_; }

    QSize sizeHint() const override { return {150, 150}; }

signals:
    void OnChange(QObject* Sender);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    // The dial is square: its height follows its width.
    void resizeEvent(QResizeEvent* event) override;

private:
    void drawScale(QPainter& painter) const;
    void drawKnob(QPainter& painter) const;
    void drawPointer(QPainter& painter) const;
    void playChangeSound();
    // The square of the dial at `inset` from the control's edge.
    QRect dialRect(int inset) const;

    int max_ = 10;
    int position_ = 0;
    bool printValues_ = false;
    bool drawTicks_ = true;
    bool drawFocused_ = false;
    int tag_ = 0;
    bool dragging_ = false;
    QSoundEffect* sound_ = nullptr;
};

}  // namespace kestrave
