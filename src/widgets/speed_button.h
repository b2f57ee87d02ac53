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
    int InitPause = 500;
    int RepeatInterval = 100;
    enum class MenuPosition { Bottom, Right };
    MenuPosition menuPosition = MenuPosition::Bottom;

    ButtonState state() const { return press_.state; }
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
    // A click from code or the keyboard toggles Down by the group's rules.
    void nextCheckState() override;
    // Checked set from code goes through the group's rules too.
    void checkStateSet() override;

private:
    void tick();
    // Sets the mouse-inside flag and raises OnMouseEnter or OnMouseLeave when it changes.
    void setMouseInside(bool inside);
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
    bool mouseInside_ = false;
    bool syncing_ = false;
    SpeedButtonPress press_;
    std::unique_ptr<RepeatTimer> timer_;
};

}  // namespace kestrave
