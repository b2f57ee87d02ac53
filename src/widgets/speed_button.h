#pragma once
// A flat-capable push button with groups (one button of a group down at a time), auto-repeat while
// held, and a drop-down menu. The clock of the repeat is injectable so that tests tick it.

#include <QWidget>
#include <memory>

#include "widgets/repeat_timer.h"
#include "widgets/speed_button_model.h"

class QMenu;

namespace kestrave {

class TRxSpeedButton : public QWidget {
    Q_OBJECT
public:
    explicit TRxSpeedButton(QWidget* parent = nullptr,
                            std::unique_ptr<RepeatTimer> timer = makeRepeatTimer());
    ~TRxSpeedButton() override;

    QString Caption() const { return caption_; }
    void setCaption(const QString& caption);
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
    int InitPause = 500;
    int RepeatInterval = 100;
    QMenu* DropDownMenu = nullptr;
    enum class MenuPosition { Bottom, Right };
    MenuPosition menuPosition = MenuPosition::Bottom;

    ButtonState state() const { return press_.state; }
    bool mouseInside() const { return mouseInside_; }
    // Raises OnClick, as a click by the user does.
    void Click();
    QSize sizeHint() const override;

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

private:
    void tick();
    // The buttons of the parent that share this one's group, this one included.
    QList<TRxSpeedButton*> groupMembers() const;

    QString caption_;
    int groupIndex_ = 0;
    bool allowAllUp_ = false;
    bool down_ = false;
    bool allowTimer_ = false;
    bool flat_ = false;
    bool mouseInside_ = false;
    SpeedButtonPress press_;
    std::unique_ptr<RepeatTimer> timer_;
};

}  // namespace kestrave
