#pragma once
// The speech balloon: a frameless, stay-on-top window shaped as a cartoon balloon that holds the
// assistant's dialogs — the message box of the program, the tips, the guide with clickable topics
// and a request box, and the hints. It points at an anchor control, opens with a short zoom and
// can run modally like a message box.

#include <QPointer>
#include <QWidget>
#include <functional>
#include <initializer_list>
#include <vector>

#include "assistant/balloon_layout.h"
#include "assistant/balloon_options.h"

class QCheckBox;
class QEventLoop;
class QFrame;
class QLabel;
class QLineEdit;
class QTimer;

namespace kestrave {

class TOffice97Button;

enum class BalloonKind { None = 0, Message = 1, Tips = 2, Hint = 3, Guide = 4 };

class TAssistantBalloon : public QWidget {
    Q_OBJECT
public:
    explicit TAssistantBalloon(QWidget* parent = nullptr);
    ~TAssistantBalloon() override;

    TBalloonOptions Balloon;
    TMsgDlgOptions MsgDlg;
    TTipsDlgOptions TipsDlg;
    TGuideDlgOptions GuideDlg;
    THintDlgOptions HintDlg;
    // Asked before the guide balloon shows: whether Options and Search are enabled.
    std::function<void(bool& OptionsBtn, bool& SearchBtn)> OnGuideGetBtnStates;

    QWidget* ClientPanel;
    QLabel* Title;
    QLabel* Msg;
    QLabel* Icon;
    QFrame* DividerTop;
    QFrame* DividerBottom;
    QWidget* TopicsPanel;
    QFrame* InputBoxBorder;
    QLineEdit* InputBox;
    QCheckBox* CheckBox;

    // Shows the message and returns the result of the button pressed; with no buttons it shows
    // the message without waiting and returns 0. `DefaultButton` is the index (0 Yes … 10 Help)
    // of the button that gets the focus; another value lets the balloon choose.
    int MessageDlg(const QString& text, int DlgType, int DefaultButton, std::uint16_t Buttons, int HelpCtx);
    void ShowTips();
    void ShowGuide();
    void ShowHint();
    void Close();

    // The control the tail points at; null or invisible: the balloon is centred on the screen.
    void attach(QWidget* anchor);
    QWidget* anchor() const { return anchor_; }
    // Hidden while the anchor is busy; resume shows it again where the anchor now is.
    void suspend();
    void resume();
    bool suspended() const { return suspended_; }
    void reposition();
    void restack();

    BalloonKind kind() const { return kind_; }
    bool shown() const { return shown_; }
    bool modal() const { return modal_; }
    int placement() const { return placement_.placement; }
    const std::vector<TOffice97Button*>& buttons() const { return buttons_; }
    const std::vector<TOffice97Button*>& topicButtons() const { return topics_; }
    // The work area the balloon places itself in (the screen's virtual geometry by default).
    void setWorkArea(QRect area) { workArea_ = area; }
    // Milliseconds after opening at which the balloon closes by itself; 0: it stays.
    int AutoCloseTime() const { return autoCloseMs_; }
    void setAutoCloseTime(int ms) { autoCloseMs_ = std::max(0, ms); }

    // Handlers of the balloon's controls.
    void CheckBoxClick();
    void InputBoxChange();
    void InputBoxKeyPress();

signals:
    void OnShow();
    void OnHide();
    void OnTipChange();
    void OnGuideRequestChange();
    void OnGuideTopicClick(int TopicID);
    void OnGuideSearchClick();
    void OnGuideOptionsClick();
    void OnHintTopicClick(int TopicID);
    // The Help button with the message's help context (there is no help system to run).
    void OnHelp(int HelpCtx);
    // A label of the balloon is about to be measured: the owner may adjust its font or text.
    void OnAdjustCustomLabel(QWidget* TheLabel);

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    // The window manager's close (Alt+F4) closes the balloon as Esc would: a question waiting
    // for its answer gets Cancel.
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setKind(BalloonKind kind);
    TOffice97Button* addButton(const QString& caption, int tag);
    void styleButton(TOffice97Button* button) const;
    void clearButtons();
    void clearTopics();
    // Clears the topics and buttons of the page shown, keeping which page it is.
    void clearTopicPage();
    void buildMessage(const QString& text, int DlgType, int DefaultButton, std::uint16_t Buttons);
    // The message's title, icon, button looks and check box from the options.
    void applyMessageOptions();
    void adjustLabels(std::initializer_list<QLabel*> labels);
    void layOutMessage();
    void layOutTopics(const QString& title, const QString& description, const QIcon& icon,
                      const TTopicsList& topics, bool request);
    void layOutTips();
    void openIfContent();
    // Lays the dialog of the current kind out again from its options.
    void layOutCurrent();
    void optionsChanged(BalloonKind source);
    void finishLayout(QSize body);
    void open(bool activate);
    void openStep(int step);
    void finishOpening();
    void hideBalloon();
    void buttonClicked(int tag);
    void topicClicked(int line);
    int runModal();
    QRect currentWorkArea() const;
    std::optional<QRect> anchorRect() const;
    void watchAnchor(QWidget* anchor);

    QPointer<QWidget> anchor_;
    QPointer<QWidget> watchedWindow_;
    BalloonKind kind_ = BalloonKind::None;
    BalloonPlacement placement_;
    QSize body_;
    QRect workArea_;
    bool shown_ = false;
    bool modal_ = false;
    bool suspended_ = false;
    bool opening_ = false;
    bool activate_ = false;
    int helpCtx_ = 0;
    int dlgType_ = 0;
    bool relayoutPending_ = false;
    int autoCloseMs_ = 0;
    QTimer* autoClose_ = nullptr;
    std::uint16_t msgButtons_ = 0;
    int cancelTag_ = -1;
    QPointer<QWidget> focus_;
    // The modal run waiting for its answer; a message shown meanwhile (from a timer) runs one of
    // its own and the waiting one ends with Cancel.
    struct ModalRun;
    ModalRun* run_ = nullptr;
    std::vector<TOffice97Button*> buttons_;
    std::vector<TOffice97Button*> topics_;
    TOffice97Button* backPage_ = nullptr;
    TOffice97Button* nextPage_ = nullptr;
    std::vector<int> pageStarts_;
    int page_ = 0;
    int openStep_ = 0;
};

}  // namespace kestrave
