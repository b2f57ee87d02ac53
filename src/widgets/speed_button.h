#pragma once
// A flat-capable push button with groups (one button of a group down at a time), auto-repeat while
// held, and a drop-down menu. The clock of the repeat is injectable so that tests tick it.
//
// It is a tool button underneath: `Down` is the button's checked state (a grouped button is
// checkable), the caption is its text, the drop-down menu is its menu, and every click, by the
// mouse, the keyboard or from code, is announced through `clicked` as well as `OnClick`. Code
// written against a plain tool button therefore works with it unchanged, while pressing,
// dragging, releasing, repeating and painting follow the rules of this button.

#include <QToolButton>
#include <memory>

#include "widgets/button_glyph.h"
#include "widgets/repeat_timer.h"
#include "widgets/speed_button_model.h"

class QMenu;

namespace kestrave {

class TRxSpeedButton : public QToolButton {
    Q_OBJECT
public:
    explicit TRxSpeedButton(QWidget* parent = nullptr,
                            std::unique_ptr<RepeatTimer> timer = makeRepeatTimer());
    ~TRxSpeedButton() override;

    QString Caption() const { return text(); }
    void setCaption(const QString& caption) { setText(caption); }
    int GroupIndex() const { return groupIndex_; }
    void setGroupIndex(int group);
    bool AllowAllUp() const { return allowAllUp_; }
    void setAllowAllUp(bool allow);
    bool Down() const { return down_; }
    void setDown(bool down);
    bool AllowTimer() const { return allowTimer_; }
    void setAllowTimer(bool allow) { allowTimer_ = allow; }
    bool Flat() const { return flat_; }
    void setFlat(bool flat);
    QMenu* DropDownMenu() const { return menu(); }
    void setDropDownMenu(QMenu* dropDown) { setMenu(dropDown); }
    bool MarkDropDown() const { return markDropDown_; }
    void setMarkDropDown(bool mark);
    // The glyph bitmap of NumGlyphs cells (up, disabled, down, held down, inactive).
    QImage Glyph() const { return glyph_.Glyph(); }
    void setGlyph(const QImage& glyph);
    int NumGlyphs() const { return glyph_.NumGlyphs(); }
    void setNumGlyphs(int count);
    ButtonLayout Layout() const { return layout_; }
    void setLayout(ButtonLayout layout);
    int Margin() const { return margin_; }
    // Values below -1 are ignored; -1 centres the glyph and caption.
    void setMargin(int margin);
    int Spacing() const { return spacing_; }
    void setSpacing(int spacing);
    // A flat button without the mouse shows its glyph's inactive (grey) picture.
    bool GrayedInactive() const { return grayedInactive_; }
    void setGrayedInactive(bool grayed);
    // Only the frame is drawn: what lies under the button shows through.
    bool Transparent() const { return transparent_; }
    void setTransparent(bool transparent);
    // Where the caption lies in its line: left, centre (the default) or right.
    Qt::Alignment Alignment() const { return alignment_; }
    void setAlignment(Qt::Alignment alignment);
    // The look of the frame: bsAutoDetect and bsNew draw the raised 3-D frame of today's
    // buttons, bsWin31 the older one with a black outline around it.
    enum TButtonStyle { bsAutoDetect, bsWin31, bsNew };
    TButtonStyle Style() const { return style_; }
    void setStyle(TButtonStyle style);
    // A click ends the dialog the button stands on with this result (0: it does not).
    int ModalResult = 0;
    // A caption that does not fit wraps instead of being shortened with "...".
    bool WordWrap = false;
    int InitPause = 500;
    int RepeatInterval = 100;
    enum class MenuPosition { Bottom, Right };
    MenuPosition menuPosition = MenuPosition::Bottom;

    ButtonState state() const { return press_.state; }
    // The caption as drawn: each line shortened to the width left for text unless word wrap is on.
    QString shownCaption() const;
    // Where the glyph and the caption go in a button of this size (pressed ones move by (1, 1)).
    GlyphCaptionPlace contentPlace() const;
    bool mouseInside() const { return mouseInside_; }
    // Raises OnClick (and clicked), as a click by the user does.
    void Click();
    // Where the drop-down menu opens, in button coordinates, for the menu's own alignment.
    QPoint menuPoint(Qt::Alignment menuAlignment) const;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

signals:
    void OnClick();
    void OnMouseEnter();
    void OnMouseLeave();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    // A second press of a double click is dropped: one press gives one click.
    void mouseDoubleClickEvent(QMouseEvent*) override {}
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    // After a release and an enabling change the mouse-inside flag is checked against the pointer.
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    // A click from code or the keyboard toggles Down by the group's rules.
    void nextCheckState() override;
    // Checked set from code goes through the group's rules too.
    void checkStateSet() override;

private:
    void tick();
    // Sets the mouse-inside flag and raises OnMouseEnter or OnMouseLeave when it changes.
    void setMouseInside(bool inside);
    // The content rectangle: the client less the frame and a drop-down arrow's room.
    QRect contentRect() const;
    // The caption as it is laid out and drawn: the shown caption, less the blank lines under it
    // that a glyph below has to take.
    QString laidOutCaption() const;
    GlyphState glyphState() const;
    // Takes over `down` as the button's checked state without running the group's rules again.
    void showDown(bool down);
    // The buttons of the parent that share this one's group, this one included.
    QList<TRxSpeedButton*> groupMembers() const;

    int groupIndex_ = 0;
    bool allowAllUp_ = false;
    bool down_ = false;
    bool allowTimer_ = false;
    bool flat_ = false;
    bool markDropDown_ = true;
    TRxButtonGlyph glyph_;
    ButtonLayout layout_ = ButtonLayout::GlyphTop;
    int margin_ = -1;
    int spacing_ = 1;
    bool grayedInactive_ = true;
    bool transparent_ = false;
    Qt::Alignment alignment_ = Qt::AlignHCenter;
    TButtonStyle style_ = bsAutoDetect;
    bool mouseInside_ = false;
    bool syncing_ = false;
    SpeedButtonPress press_;
    std::unique_ptr<RepeatTimer> timer_;
};

}  // namespace kestrave
