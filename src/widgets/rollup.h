#pragma once
// The roll-up panel: a panel with a caption bar that the user drags by, rolls up to the bar alone
// and down again in animated steps, and closes from the bar. As the whole content of a small
// form (`IsForm`) rolling resizes the form and dragging moves it.

#include <QFrame>
#include <QLabel>
#include <QToolButton>
#include <QVBoxLayout>

#include "widgets/elided_label.h"
#include "widgets/rollup_model.h"

namespace kestrave {

enum class TRollupState { rsUp, rsDown };

class TgbRollup : public QFrame {
    Q_OBJECT
    Q_PROPERTY(int Tag READ Tag WRITE setTag)
    Q_PROPERTY(int DropHeight READ DropHeight WRITE setDropHeight)
    Q_PROPERTY(int RollAmount READ RollAmount WRITE setRollAmount)
    Q_PROPERTY(QString Caption READ Caption WRITE setCaption)
public:
    explicit TgbRollup(QWidget* parent = nullptr, Qt::WindowFlags flags = {});

    ElidedLabel* CaptionBar;
    QToolButton* CloseButton;
    QToolButton* RollUpButton;
    QToolButton* RollDownButton;
    QToolButton* HelpButton;
    QToolButton* MinimizeButton;

    // The area under the caption bar that holds the panel's contents.
    QWidget* Client() const { return client_; }

    int Tag() const { return tag_; }
    void setTag(int tag) { tag_ = tag; }
    QColor CaptionBarColor() const;
    void setCaptionBarColor(const QColor& color);
    int RollAmount() const { return rollAmount_; }
    void setRollAmount(int amount);  // 0..255
    TRollupState State() const { return state_; }
    void setState(TRollupState state);
    int DropHeight() const { return dropHeight_; }
    void setDropHeight(int height) { dropHeight_ = height; }
    bool Moveable() const { return moveable_; }
    void setMoveable(bool moveable) { moveable_ = moveable; }
    // The caption is the window title, so that whoever sets the title changes the bar's text.
    QString Caption() const { return windowTitle(); }
    void setCaption(const QString& caption) { setWindowTitle(caption); }
    bool ShowCloseButton() const { return showClose_; }
    void setShowCloseButton(bool show);
    bool ShowHelpButton() const { return showHelp_; }
    void setShowHelpButton(bool show);
    bool ShowMinimizeButton() const { return showMinimize_; }
    void setShowMinimizeButton(bool show);
    bool IsForm() const { return isForm_; }
    void setIsForm(bool isForm);  // true also makes the panel unmovable
    bool Flat() const { return CloseButton->autoRaise(); }
    void setFlat(bool flat);
    bool CaptionShowHint() const { return showHint_; }
    void setCaptionShowHint(bool show);
    QString CaptionHint() const { return hint_; }
    void setCaptionHint(const QString& hint);
    // The caption bar's font: the panel keeps its own copy, and the contents keep theirs.
    QFont Font() const { return CaptionBar->font(); }
    void assignFont(const QFont& font) { CaptionBar->setFont(font); }

    void rollUp();
    void rollDown();

signals:
    void OnRollUp(QObject* Sender);
    void OnRollDown(QObject* Sender);
    void OnRollClose(QObject* Sender);
    void OnHelpClick(QObject* Sender);
    // Raised with the caption bar as sender, and only while the panel is not moveable.
    void OnCaptionMouseDown(QObject* Sender, Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X,
                            int Y);
    void OnCaptionMouseUp(QObject* Sender, Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y);
    void OnCaptionMouseMove(QObject* Sender, Qt::KeyboardModifiers Shift, int X, int Y);
    // Raised whatever Moveable is.
    void OnCaptionDblClick(QObject* Sender);

protected:
    // The close button: a panel hides itself (a form's panel leaves it to the handler), then the
    // close event fires.
    virtual void closeClick();
    // Called after each step of a drag by the caption bar.
    virtual void dragged() {}
    bool rolling() const { return rolling_; }
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // One roll: the panel (and in form mode the form) steps through `heights`, painted each time.
    void roll(const std::vector<int>& heights, bool up);
    void layoutButtons();
    void showButton(QToolButton& button, bool& shown, bool show);
    bool formMode() const { return isForm_ && !moveable_; }
    QWidget* form() const;

    QWidget* client_;
    int tag_ = 0;
    int rollAmount_ = 15;
    int dropHeight_ = 200;
    TRollupState state_ = TRollupState::rsDown;
    bool moveable_ = true;
    bool showClose_ = true;
    bool showHelp_ = false;
    bool showMinimize_ = false;
    bool isForm_ = false;
    bool showHint_ = false;
    QString hint_;
    bool rolling_ = false;
    bool dragging_ = false;
    bool doubleClicked_ = false;
    QPoint press_;
};

}  // namespace kestrave
