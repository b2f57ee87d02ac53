#include "assistant/speech_balloon.h"

#include <QApplication>
#include <QBitmap>
#include <QCheckBox>
#include <QEventLoop>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMetaMethod>
#include <QPainter>
#include <QScreen>
#include <QStyle>
#include <QTimer>
#include <cmath>
#include <utility>

#include "assistant/office_button.h"

namespace kestrave {

namespace {

// Button tags: the message buttons keep their table index; the others are offset by kind.
constexpr int GuideTag = 100;
constexpr int HintCloseTag = 200;
constexpr int TipsTag = 300;
constexpr int PageBackTag = 400;
constexpr int PageNextTag = 401;

// The height of the topics shown at once in a guide or hint balloon.
constexpr int TopicPageHeight = 180;
constexpr int InputBoxHeight = 22;
// The answer of a balloon closed without a button (Esc, the application quitting).
constexpr int mrCancelResult = 2;

// The window's mask: exactly the pixels the balloon paints.
QBitmap shapeMask(const BalloonPlacement& placement, const TBalloonMetrics& metrics) {
    QBitmap mask(placement.window.size());
    mask.fill(Qt::color0);
    QPainter painter(&mask);
    painter.setPen(Qt::color1);
    painter.setBrush(Qt::color1);
    painter.drawPath(balloonShape(placement, metrics));
    return mask;
}

int wrappedHeight(const QFont& font, const QString& text, int width) {
    if (text.isEmpty()) return 0;
    return QFontMetrics(font).boundingRect(QRect(0, 0, width, 100000), Qt::TextWordWrap, text).height();
}

int naturalWidth(const QFont& font, const QString& text) {
    if (text.isEmpty()) return 0;
    return QFontMetrics(font).boundingRect(QRect(0, 0, 100000, 100000), 0, text).width();
}

QFont topicFont(QFont font, std::uint8_t flags) {
    font.setUnderline(flags & tfUnderline);
    font.setBold(flags & tfBold);
    font.setItalic(flags & tfItalic);
    return font;
}

}  // namespace

struct TAssistantBalloon::ModalRun {
    QEventLoop loop;
    int result = 0;
    void answer(int value) {
        result = value;
        loop.quit();
    }
};

TAssistantBalloon::TAssistantBalloon(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
    setObjectName("AssistantBalloon");
    resize(146, 106);
    ClientPanel = new QWidget(this);
    ClientPanel->setObjectName("ClientPanel");
    ClientPanel->hide();
    Title = new QLabel(ClientPanel);
    Title->setObjectName("Title");
    Title->setWordWrap(true);
    Title->setTextFormat(Qt::PlainText);
    QFont bold = Title->font();
    bold.setBold(true);
    Title->setFont(bold);
    Msg = new QLabel(ClientPanel);
    Msg->setObjectName("Msg");
    Msg->setWordWrap(true);
    Msg->setTextFormat(Qt::PlainText);
    Msg->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Icon = new QLabel(ClientPanel);
    Icon->setObjectName("Icon");
    Icon->setFixedSize(32, 32);
    for (QFrame** divider : {&DividerTop, &DividerBottom}) {
        *divider = new QFrame(ClientPanel);
        (*divider)->setFrameShape(QFrame::HLine);
        (*divider)->setStyleSheet("color: grey");
    }
    DividerTop->setObjectName("DividerTop");
    DividerBottom->setObjectName("DividerBottom");
    TopicsPanel = new QWidget(ClientPanel);
    TopicsPanel->setObjectName("TopicsPanel");
    InputBoxBorder = new QFrame(ClientPanel);
    InputBoxBorder->setObjectName("InputBoxBorder");
    InputBoxBorder->setFrameShape(QFrame::Box);
    InputBox = new QLineEdit(InputBoxBorder);
    InputBox->setObjectName("InputBox");
    InputBox->setFrame(false);
    InputBox->setStyleSheet("background: white");
    CheckBox = new QCheckBox(ClientPanel);
    CheckBox->setObjectName("CheckBox");
    for (QWidget* control : ClientPanel->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) control->hide();
    TipsDlg.Icon = lightBulbIcon();
    connect(CheckBox, &QCheckBox::clicked, this, [this] { CheckBoxClick(); });
    connect(InputBox, &QLineEdit::textEdited, this, [this] { InputBoxChange(); });
    connect(InputBox, &QLineEdit::returnPressed, this, [this] { InputBoxKeyPress(); });
    // A change of the options shows at once in a balloon that is up.
    Balloon.setOnChange([this] { optionsChanged(BalloonKind::None); });
    MsgDlg.setOnChange([this] { optionsChanged(BalloonKind::Message); });
    TipsDlg.setOnChange([this] { optionsChanged(BalloonKind::Tips); });
    GuideDlg.setOnChange([this] { optionsChanged(BalloonKind::Guide); });
    HintDlg.setOnChange([this] { optionsChanged(BalloonKind::Hint); });
    autoClose_ = new QTimer(this);
    autoClose_->setSingleShot(true);
    connect(autoClose_, &QTimer::timeout, this, [this] { Close(); });
    // An application that quits while a modal balloon waits ends it with Cancel.
    connect(qApp, &QCoreApplication::aboutToQuit, this, [this] {
        if (run_) run_->answer(mrCancelResult);
    });
    hide();
}

TAssistantBalloon::~TAssistantBalloon() {
    if (run_) run_->answer(mrCancelResult);
}

void TAssistantBalloon::CheckBoxClick() {
    const ChangeSource::Quiet quiet(MsgDlg);
    MsgDlg.CheckBox.State = CheckBox->checkState() == Qt::Checked            ? TCheckBoxState::cbChecked
                            : CheckBox->checkState() == Qt::PartiallyChecked ? TCheckBoxState::cbGrayed
                                                                             : TCheckBoxState::cbUnchecked;
}

void TAssistantBalloon::InputBoxChange() {
    {
        const ChangeSource::Quiet quiet(GuideDlg);
        GuideDlg.Request = InputBox->text();
    }
    emit OnGuideRequestChange();
}

void TAssistantBalloon::InputBoxKeyPress() {
    buttonClicked(GuideTag + int(TGuideDlgBtn::gbSearch));
}

void TAssistantBalloon::setKind(BalloonKind kind) {
    if (kind != kind_)
        for (QWidget* control : ClientPanel->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            control->hide();
    kind_ = kind;
    clearButtons();
    clearTopics();
}

TOffice97Button* TAssistantBalloon::addButton(const QString& caption, int tag) {
    auto* button = new TOffice97Button(ClientPanel);
    button->setObjectName(QString("BalloonButton%1").arg(tag));
    button->setCaption(caption);
    styleButton(button);
    button->setProperty("kestraveTag", tag);
    button->setFocusPolicy(Qt::StrongFocus);
    connect(button, &TOffice97Button::clicked, this, [this, tag] { buttonClicked(tag); });
    buttons_.push_back(button);
    return button;
}

void TAssistantBalloon::styleButton(TOffice97Button* button) const {
    button->setOffice2000Look(Balloon.Office2000Look);
    button->setColor(Balloon.Color);
    button->setFont(Balloon.Font);
    button->setHoverFont(Balloon.HoverFont);
}

void TAssistantBalloon::clearButtons() {
    for (TOffice97Button* button : buttons_) button->deleteLater(), button->hide();
    buttons_.clear();
    backPage_ = nextPage_ = nullptr;
    cancelTag_ = -1;
}

void TAssistantBalloon::clearTopicPage() {
    const int page = page_;
    clearButtons();
    clearTopics();
    page_ = page;
}

void TAssistantBalloon::clearTopics() {
    for (TOffice97Button* topic : topics_) topic->deleteLater(), topic->hide();
    topics_.clear();
    pageStarts_.clear();
    page_ = 0;
}

QRect TAssistantBalloon::currentWorkArea() const {
    if (workArea_.isValid()) return workArea_;
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->virtualGeometry() : QRect(0, 0, 800, 600);
}

std::optional<QRect> TAssistantBalloon::anchorRect() const {
    if (!anchor_ || !anchor_->isVisible()) return std::nullopt;
    return QRect(anchor_->mapToGlobal(QPoint(0, 0)), anchor_->size());
}

void TAssistantBalloon::attach(QWidget* anchor) {
    anchor_ = anchor;
    watchAnchor(anchor);
    if (shown_) reposition();
}

void TAssistantBalloon::watchAnchor(QWidget* anchor) {
    if (watchedWindow_) watchedWindow_->removeEventFilter(this);
    watchedWindow_ = anchor ? anchor->window() : nullptr;
    if (watchedWindow_ && watchedWindow_ != this) watchedWindow_->installEventFilter(this);
}

bool TAssistantBalloon::eventFilter(QObject* watched, QEvent* event) {
    if (watched == watchedWindow_ && (event->type() == QEvent::Move || event->type() == QEvent::Resize))
        reposition();
    return QWidget::eventFilter(watched, event);
}

// ---- the message dialog ----

int TAssistantBalloon::MessageDlg(const QString& text, int DlgType, int DefaultButton, std::uint16_t Buttons,
                                  int HelpCtx) {
    if (shown_) hideBalloon();
    setKind(BalloonKind::Message);
    helpCtx_ = HelpCtx;
    buildMessage(text, DlgType, DefaultButton, Buttons);
    layOutMessage();
    if (Buttons == 0) {
        open(false);
        return 0;
    }
    return runModal();
}

void TAssistantBalloon::buildMessage(const QString& text, int DlgType, int DefaultButton,
                                     std::uint16_t Buttons) {
    // Line breaks come in every form the program's texts use ("\n\r", "\r\n", "\n"): one break each.
    Msg->setText(QString(text).replace("\r\n", "\n").replace("\n\r", "\n").replace('\r', '\n'));
    msgButtons_ = Buttons;
    dlgType_ = DlgType;
    applyMessageOptions();
    const MessageButtonChoice choice = chooseMessageButtons(Buttons, DefaultButton);
    focus_ = nullptr;
    for (int i = 0; i < 11; ++i) {
        if (!((Buttons >> i) & 1u)) continue;
        TOffice97Button* button = addButton(QString::fromUtf8(MessageButtonCaptions[i]), i);
        button->setModalResult(MessageButtonResults[i]);
        if (i == 10) button->setEnabled(helpCtx_ != 0);
        if (i == choice.cancel) button->setCancel(true);
        if (i == choice.focused) focus_ = button;
    }
    cancelTag_ = choice.cancel;
}

void TAssistantBalloon::applyMessageOptions() {
    Title->setText(MsgDlg.Title);
    static const QStyle::StandardPixmap icons[4] = {
        QStyle::SP_MessageBoxWarning, QStyle::SP_MessageBoxCritical, QStyle::SP_MessageBoxInformation,
        QStyle::SP_MessageBoxQuestion};
    const QIcon icon =
        dlgType_ >= 0 && dlgType_ < 4 ? style()->standardIcon(icons[dlgType_]) : MsgDlg.CustomIcon.get();
    Icon->setPixmap(icon.isNull() ? QPixmap() : icon.pixmap(32, 32));
    for (TOffice97Button* button : buttons_) styleButton(button);
    const TCheckBoxOptions& box = MsgDlg.CheckBox;
    CheckBox->setText(box.Caption);
    CheckBox->setToolTip(box.Hint);
    CheckBox->setTristate(box.AllowGrayed);
    CheckBox->setCheckState(box.State == TCheckBoxState::cbChecked  ? Qt::Checked
                            : box.State == TCheckBoxState::cbGrayed ? Qt::PartiallyChecked
                                                                    : Qt::Unchecked);
    CheckBox->setEnabled(box.Enabled);
}

void TAssistantBalloon::adjustLabels(std::initializer_list<QLabel*> labels) {
    for (QLabel* label : labels)
        if (!label->text().isEmpty()) emit OnAdjustCustomLabel(label);
}

void TAssistantBalloon::layOutMessage() {
    adjustLabels({Title, Msg});
    const TBalloonMetrics& metrics = Balloon.Metrics;
    MessageMeasures measures;
    measures.buttonCount = int(buttons_.size());
    const QFontMetrics buttonFont(Balloon.Font);
    for (TOffice97Button* button : buttons_)
        measures.caption =
            measures.caption.expandedTo(buttonFont.boundingRect(button->Caption().remove('&')).size());
    const bool withCheckBox = MsgDlg.CheckBox.Visible;
    if (withCheckBox) {
        measures.checkBoxWidth =
            QFontMetrics(CheckBox->font()).horizontalAdvance(MsgDlg.CheckBox.Caption) + 20;
        measures.checkBoxHeight = CheckBox->sizeHint().height();
    }
    if (!Icon->pixmap().isNull()) measures.icon = QSize(32, 32);
    const QString title = Title->text(), text = Msg->text();
    measures.titleHeight = [this, title](int w) { return wrappedHeight(Title->font(), title, w); };
    measures.textHeight = [this, text](int w) { return wrappedHeight(Msg->font(), text, w); };
    measures.titleNaturalWidth = naturalWidth(Title->font(), title);
    measures.textNaturalWidth = naturalWidth(Msg->font(), text);
    const QRect area = currentWorkArea();
    const MessageLayout layout = layoutMessage(measures, metrics, area.size() - QSize(2, 2));
    Icon->setGeometry(layout.icon);
    Icon->setVisible(!layout.icon.isNull());
    Title->setGeometry(layout.title);
    Title->setVisible(!title.isEmpty());
    Msg->setGeometry(layout.text);
    Msg->show();
    CheckBox->setGeometry(layout.checkBox);
    CheckBox->setVisible(withCheckBox);
    for (std::size_t i = 0; i < buttons_.size(); ++i) {
        buttons_[i]->setGeometry(layout.buttons[i]);
        buttons_[i]->show();
    }
    for (std::size_t i = 1; i < buttons_.size(); ++i) setTabOrder(buttons_[i - 1], buttons_[i]);
    finishLayout(layout.body);
}

void TAssistantBalloon::finishLayout(QSize body) {
    body_ = body;
    ClientPanel->resize(body);
}

// ---- tips, guide and hint ----

void TAssistantBalloon::ShowTips() {
    if (shown_) hideBalloon();
    setKind(BalloonKind::Tips);
    layOutTips();
    openIfContent();
}

void TAssistantBalloon::layOutTips() {
    const TBalloonMetrics& metrics = Balloon.Metrics;
    const int space = metrics.ControlSpacing;
    const int width = metrics.MinTipsDlgWidth;
    const QIcon icon = TipsDlg.Icon;
    const int index = TipsDlg.TipIndex();
    QString tip = index >= 0 && index < TipsDlg.Tips().size() ? TipsDlg.Tips()[index] : QString();
    // Blanks as wide as the icon and half a spacing, so the first line clears the icon.
    if (!tip.isEmpty() && !icon.isNull()) {
        const int blank = std::max(1, QFontMetrics(Msg->font()).horizontalAdvance(' '));
        tip.prepend(QString((32 + space / 2 + blank - 1) / blank, ' '));
    }
    Msg->setText(tip);
    adjustLabels({Msg});
    const int textW = width - 2 * space;
    const int textH = wrappedHeight(Msg->font(), Msg->text(), textW);
    Msg->setGeometry(space, space, textW, textH);
    Msg->setVisible(textH > 0);
    Msg->raise();
    // The tip (beside the icon), then the buttons, right-aligned, one spacing below. The icon
    // alone is nothing to show.
    const bool iconShown = !icon.isNull() && (textH > 0 || TipsDlg.VisibleButtons != 0);
    Icon->setPixmap(iconShown ? icon.pixmap(32, 32) : QPixmap());
    Icon->setGeometry(space, space, 32, 32);
    Icon->setVisible(iconShown);
    int y = space + std::max(textH, iconShown ? 32 : 0);
    int x = width - space;
    int buttonH = 0;
    const int buttonY = y > space ? y + space : y;
    for (int b = 2; b >= 0; --b) {
        if (!(TipsDlg.VisibleButtons & (1u << b))) continue;
        TOffice97Button* button = addButton(QString::fromUtf8(TipsButtonCaptions[b]), TipsTag + b);
        const QSize hint =
            button->sizeHint().expandedTo(QSize(metrics.MinButtonWidth, metrics.MinButtonHeight));
        x -= hint.width();
        button->setGeometry(x, buttonY, hint.width(), hint.height());
        x -= space;
        buttonH = std::max(buttonH, hint.height());
        if (b == int(TTipsDlgBtn::tbNext)) button->setEnabled(index < TipsDlg.Tips().size() - 1);
        if (b == int(TTipsDlgBtn::tbBack)) button->setEnabled(index >= 1);
        if (b == int(TTipsDlgBtn::tbClose)) focus_ = button;
        button->show();
    }
    if (buttonH > 0) y = buttonY + buttonH;
    finishLayout(QSize(width, y + space));
}

void TAssistantBalloon::ShowGuide() {
    if (shown_) hideBalloon();
    setKind(BalloonKind::Guide);
    page_ = 0;
    layOutCurrent();
    openIfContent();
}

void TAssistantBalloon::ShowHint() {
    if (shown_) hideBalloon();
    setKind(BalloonKind::Hint);
    page_ = 0;
    layOutCurrent();
    openIfContent();
}

void TAssistantBalloon::openIfContent() {
    // Only a balloon with something to show opens: an empty one is its two margins high.
    if (body_.height() > 2 * Balloon.Metrics.ControlSpacing) open(true);
}

void TAssistantBalloon::layOutCurrent() {
    switch (kind_) {
        case BalloonKind::Message:
            applyMessageOptions();
            layOutMessage();
            break;
        case BalloonKind::Tips:
            clearButtons();
            layOutTips();
            break;
        case BalloonKind::Guide:
            clearTopicPage();
            layOutTopics(GuideDlg.Title, GuideDlg.Description, GuideDlg.Icon, GuideDlg.Topics,
                         GuideDlg.AcceptRequest);
            break;
        case BalloonKind::Hint:
            clearTopicPage();
            layOutTopics(HintDlg.Title, HintDlg.Description, HintDlg.Icon, HintDlg.Topics, false);
            break;
        case BalloonKind::None:
            break;
    }
}

void TAssistantBalloon::optionsChanged(BalloonKind source) {
    if (!shown_ || (source != BalloonKind::None && source != kind_) || relayoutPending_) return;
    // Changes come in bursts (a caller sets a title, then the topics): one layout after them.
    relayoutPending_ = true;
    QTimer::singleShot(0, this, [this] {
        relayoutPending_ = false;
        if (!shown_) return;
        QWidget* const focused = focusWidget();
        layOutCurrent();
        reposition();
        if (focused && focused->isVisible()) focus_ = focused;
        if (!opening_ && focus_) focus_->setFocus();
    });
}

void TAssistantBalloon::layOutTopics(const QString& title, const QString& description, const QIcon& icon,
                                     const TTopicsList& topics, bool request) {
    const TBalloonMetrics& metrics = Balloon.Metrics;
    const int space = metrics.ControlSpacing;
    const bool guide = kind_ == BalloonKind::Guide;
    // The closing buttons first: the balloon is at least as wide as their row.
    if (guide) {
        bool optionsOn = true, searchOn = true;
        if (OnGuideGetBtnStates) OnGuideGetBtnStates(optionsOn, searchOn);
        for (int b = 0; b < 4; ++b)
            if (GuideDlg.VisibleButtons & (1u << b)) {
                TOffice97Button* button = addButton(QString::fromUtf8(GuideButtonCaptions[b]), GuideTag + b);
                if (b == int(TGuideDlgBtn::gbOptions)) button->setEnabled(optionsOn);
                if (b == int(TGuideDlgBtn::gbSearch)) button->setEnabled(searchOn);
            }
    } else {
        addButton(QString::fromUtf8(HintButtonCaptions[0]), HintCloseTag);
    }
    const std::vector<TOffice97Button*> closing = buttons_;
    const auto buttonSize = [&metrics](TOffice97Button* button) {
        return button->sizeHint().expandedTo(QSize(metrics.MinButtonWidth, metrics.MinButtonHeight));
    };
    int row = 0;
    for (TOffice97Button* button : closing) row += buttonSize(button).width() + space;
    const int width =
        std::max({int(guide ? metrics.MinGuideDlgWidth : metrics.MinHintDlgWidth), 240, row + space});
    const int content = width - 2 * space;

    // Parts follow one another a spacing apart; with no part at all the body is its two margins.
    int y = space;
    bool any = false;
    const auto nextTop = [&] { return any ? y + space : y; };
    const auto endPart = [&](int bottom) {
        y = bottom;
        any = true;
    };

    const int iconSpace = icon.isNull() ? 0 : 32 + space;
    Icon->setPixmap(icon.isNull() ? QPixmap() : icon.pixmap(32, 32));
    Icon->setGeometry(space, space, 32, 32);
    Icon->setVisible(!icon.isNull());
    Title->setText(title);
    Msg->setText(description);
    adjustLabels({Title, Msg});
    const int titleH = wrappedHeight(Title->font(), Title->text(), content - iconSpace);
    Title->setGeometry(space + iconSpace, y, content - iconSpace, titleH);
    Title->setVisible(titleH > 0);
    if (titleH > 0 || !icon.isNull()) endPart(y + std::max(titleH, icon.isNull() ? 0 : 32));
    const int descriptionH = wrappedHeight(Msg->font(), Msg->text(), content);
    if (descriptionH > 0) {
        const int top = nextTop();
        Msg->setGeometry(space, top, content, descriptionH);
        endPart(top + descriptionH);
    }
    Msg->setVisible(descriptionH > 0);
    DividerTop->setVisible(any);
    if (any) {
        DividerTop->setGeometry(space, y + space / 2, content, 1);
        y += space;
    }

    // The topics, then the pages they fall into.
    std::vector<int> heights;
    for (int line = 0; line < topics.Count(); ++line) {
        const TTopicsList::Topic& topic = topics[line];
        const std::uint8_t flags = topic.options.Flags;
        auto* button = new TOffice97Button(TopicsPanel);
        button->setObjectName(QString("Topic%1").arg(line));
        // The guide's topics are hint bullets unless they are choices (a request's result).
        button->setControlType(guide && !GuideDlg.RequestResult ? TOffice97Button::bsHintButton
                                                                : TOffice97Button::bsRadioButton);
        button->setWordWrap(true);
        button->setCaption(topic.text);
        button->setColor(Balloon.Color);
        button->setTransparent(true);
        button->setOffice2000Look(Balloon.Office2000Look);
        button->setFont(topicFont(Balloon.Font, flags));
        button->setHoverFont(topicFont(Balloon.HoverFont, flags | std::uint8_t(flags >> 3)));
        button->setProperty("kestraveTag", line);
        const bool clickable = !(flags & tfPlain);
        button->setShowGlyph(clickable);
        button->setFocusPolicy(clickable ? Qt::StrongFocus : Qt::NoFocus);
        button->setCursor(clickable ? Qt::PointingHandCursor : Qt::ArrowCursor);
        button->setAttribute(Qt::WA_TransparentForMouseEvents, !clickable);
        if (clickable) connect(button, &TOffice97Button::clicked, this, [this, line] { topicClicked(line); });
        const int h = std::max(QFontMetrics(button->font()).height(),
                               wrappedHeight(button->font(), topic.text, content - 24)) +
                      6;
        heights.push_back(h);
        topics_.push_back(button);
        button->hide();
    }
    pageStarts_ = topicPageStarts(heights, TopicPageHeight, 2);
    page_ = std::clamp(page_, 0, std::max(0, int(pageStarts_.size()) - 1));
    const int first = pageStarts_.empty() ? 0 : pageStarts_[std::size_t(page_)];
    const int end = std::size_t(page_) + 1 < pageStarts_.size() ? pageStarts_[std::size_t(page_) + 1]
                                                                : int(topics_.size());
    int topicY = 0;
    for (int i = first; i < end; ++i) {
        topics_[std::size_t(i)]->setGeometry(0, topicY, content, heights[std::size_t(i)]);
        topics_[std::size_t(i)]->show();
        topicY += heights[std::size_t(i)] + 2;
    }
    TopicsPanel->setVisible(topicY > 0);
    if (topicY > 0) {
        const int top = nextTop();
        TopicsPanel->setGeometry(space, top, content, topicY - 2);
        endPart(top + topicY - 2);
    }

    if (pageStarts_.size() > 1) {
        const char* const* captions = guide ? GuideButtonCaptions + 4 : HintButtonCaptions + 1;
        backPage_ = addButton(QString::fromUtf8(captions[0]), PageBackTag);
        nextPage_ = addButton(QString::fromUtf8(captions[1]), PageNextTag);
        backPage_->setControlType(TOffice97Button::bsUpButton);
        nextPage_->setControlType(TOffice97Button::bsDownButton);
        for (TOffice97Button* pager : {backPage_, nextPage_}) {
            const int h = pager->sizeHint().height();
            const int top = nextTop();
            pager->setGeometry(space, top, content, h);
            pager->show();
            endPart(top + h);
        }
        backPage_->setEnabled(page_ > 0);
        nextPage_->setEnabled(std::size_t(page_) + 1 < pageStarts_.size());
    }

    InputBoxBorder->setVisible(request);
    if (request) {
        InputBox->setText(GuideDlg.Request);
        const int top = nextTop();
        InputBoxBorder->setGeometry(space, top, content, InputBoxHeight);
        InputBox->setGeometry(2, 2, content - 4, InputBoxHeight - 4);
        InputBox->show();
        endPart(top + InputBoxHeight);
    }

    DividerBottom->setVisible(any && !closing.empty());
    if (!closing.empty()) {
        if (any) {
            DividerBottom->setGeometry(space, y + space / 2 + 1, content, 1);
            y += space;
        }
        const int top = nextTop();
        int rowX = space;
        int rowH = 0;
        for (TOffice97Button* button : closing) {
            const QSize hint = buttonSize(button);
            button->setGeometry(rowX, top, hint.width(), hint.height());
            button->show();
            rowX += hint.width() + space;
            rowH = std::max(rowH, hint.height());
        }
        endPart(top + rowH);
    }
    focus_ = nullptr;
    for (std::size_t i = std::size_t(first); i < std::size_t(end) && !focus_; ++i)
        if (topics_[i]->focusPolicy() != Qt::NoFocus) focus_ = topics_[i];
    finishLayout(QSize(width, y + space));
}

// ---- showing ----

void TAssistantBalloon::reposition() {
    if (!shown_) return;
    placement_ =
        placeBalloon(anchorRect(), currentWorkArea(), body_, Balloon.Metrics, kind_ == BalloonKind::Tips);
    setGeometry(placement_.window);
    ClientPanel->setGeometry(placement_.body);
    if (!opening_) setMask(shapeMask(placement_, Balloon.Metrics));
    update();
}

void TAssistantBalloon::open(bool activate) {
    activate_ = activate;
    // A balloon that takes no answer takes no focus either.
    setAttribute(Qt::WA_ShowWithoutActivating, !activate);
    setWindowFlag(Qt::WindowDoesNotAcceptFocus, !activate);
    shown_ = true;
    suspended_ = false;
    opening_ = true;
    ClientPanel->hide();
    reposition();
    setMask(QRegion(openingOutline(placement_.body, 1)));
    show();
    raise();
    ++openStep_;
    const int generation = openStep_;
    QTimer::singleShot(0, this, [this, generation] {
        if (generation == openStep_) openStep(0);
    });
}

void TAssistantBalloon::openStep(int step) {
    if (!shown_) return;
    if (step >= 4) {
        finishOpening();
        return;
    }
    const QRect outline = openingOutline(placement_.body, OpeningSteps[step].percent);
    setMask(QRegion(outline).subtracted(QRegion(outline.adjusted(1, 1, -1, -1))));
    const int generation = openStep_;
    QTimer::singleShot(OpeningSteps[step].pauseMs, this, [this, step, generation] {
        if (generation == openStep_) openStep(step + 1);
    });
}

void TAssistantBalloon::finishOpening() {
    opening_ = false;
    setMask(shapeMask(placement_, Balloon.Metrics));
    ClientPanel->show();
    update();
    if (activate_) activateWindow();
    if (focus_) focus_->setFocus();
    if (autoCloseMs_ > 0) autoClose_->start(autoCloseMs_);
    emit OnShow();
}

void TAssistantBalloon::suspend() {
    if (!shown_ || suspended_) return;
    suspended_ = true;
    QWidget::hide();
}

void TAssistantBalloon::resume() {
    if (!suspended_) return;
    suspended_ = false;
    if (!shown_) return;
    reposition();
    show();
}

void TAssistantBalloon::restack() {
    if (shown_ && !suspended_) raise();
}

void TAssistantBalloon::Close() {
    hideBalloon();
}

void TAssistantBalloon::hideBalloon() {
    if (!shown_) return;
    shown_ = false;
    opening_ = false;
    ++openStep_;
    autoClose_->stop();
    QWidget::hide();
    focus_ = nullptr;
    if (run_ && run_->result == 0) run_->answer(mrCancelResult);
    emit OnHide();
}

int TAssistantBalloon::runModal() {
    // A suspended balloon comes back first: answering at once would report a stale result as the
    // user's choice.
    suspended_ = false;
    if (QWidget* grabber = QWidget::mouseGrabber()) grabber->releaseMouse();
    QPointer<QWidget> previous = QApplication::activeWindow();
    QPointer<QWidget> previousFocus = QApplication::focusWidget();
    // The default cursor while the question waits (a caller's busy cursor would hide that it
    // waits for the user); the caller's cursors come back afterwards.
    std::vector<QCursor> cursors;
    for (; QApplication::overrideCursor(); QApplication::restoreOverrideCursor())
        cursors.push_back(*QApplication::overrideCursor());
    modal_ = true;
    setWindowModality(Qt::ApplicationModal);
    ModalRun run;
    ModalRun* const outer = std::exchange(run_, &run);
    open(true);
    // Only an answer or a hidden balloon ends the loop; a loop ended by the application quitting
    // (it ends every loop and runs none again) answers Cancel rather than waiting on.
    if (shown_) run.loop.exec();
    run_ = outer;
    const int result = run.result ? run.result : mrCancelResult;
    // A window the user went to meanwhile keeps the focus.
    const bool stillActive = isActiveWindow();
    hideBalloon();
    if (!outer) {
        setWindowModality(Qt::NonModal);
        modal_ = false;
    }
    for (auto cursor = cursors.rbegin(); cursor != cursors.rend(); ++cursor)
        QApplication::setOverrideCursor(*cursor);
    if (stillActive) {
        if (previous) previous->activateWindow();
        if (previousFocus) previousFocus->setFocus();
    }
    return result;
}

void TAssistantBalloon::buttonClicked(int tag) {
    if (kind_ == BalloonKind::Message) {
        if (tag == 10) {
            emit OnHelp(helpCtx_);
            return;
        }
        if (run_)
            run_->answer(MessageButtonResults[tag]);
        else
            hideBalloon();
        return;
    }
    if (tag == PageBackTag || tag == PageNextTag) {
        const bool forward = tag == PageNextTag;
        page_ += forward ? 1 : -1;
        layOutCurrent();
        // At the last or first page the focus moves to the other paging button.
        TOffice97Button* pager = forward ? nextPage_ : backPage_;
        TOffice97Button* other = forward ? backPage_ : nextPage_;
        focus_ = pager && pager->isEnabled() ? pager : other;
        reposition();
        if (focus_) focus_->setFocus();
        return;
    }
    if (tag >= TipsTag) {
        const int b = tag - TipsTag;
        if (b == int(TTipsDlgBtn::tbClose)) {
            Close();
            return;
        }
        {
            const ChangeSource::Quiet quiet(TipsDlg);
            TipsDlg.setTipIndex(TipsDlg.TipIndex() + (b == int(TTipsDlgBtn::tbNext) ? 1 : -1));
        }
        layOutCurrent();
        reposition();
        if (focus_) focus_->setFocus();
        if (TipsDlg.OnTipsTipChange) TipsDlg.OnTipsTipChange();
        emit OnTipChange();
        return;
    }
    if (tag == HintCloseTag) {
        Close();
        return;
    }
    switch (TGuideDlgBtn(tag - GuideTag)) {
        case TGuideDlgBtn::gbClose:
            Close();
            break;
        case TGuideDlgBtn::gbOptions:
            Close();
            emit OnGuideOptionsClick();
            break;
        case TGuideDlgBtn::gbTips:
            ShowTips();
            break;
        case TGuideDlgBtn::gbSearch:
            if (!isSignalConnected(QMetaMethod::fromSignal(&TAssistantBalloon::OnGuideSearchClick))) break;
            hideBalloon();
            page_ = 0;
            emit OnGuideSearchClick();
            ShowGuide();
            break;
        default:
            break;
    }
}

void TAssistantBalloon::topicClicked(int line) {
    const TTopicsList& topics = kind_ == BalloonKind::Guide ? GuideDlg.Topics : HintDlg.Topics;
    if (line < 0 || line >= topics.Count()) return;
    const int id = topics[line].options.ID >= 0 ? topics[line].options.ID : line;
    if (run_) {
        run_->answer(id);
        return;
    }
    if (kind_ == BalloonKind::Guide)
        emit OnGuideTopicClick(id);
    else
        emit OnHintTopicClick(id);
}

void TAssistantBalloon::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (opening_) {
        painter.fillRect(rect(), Balloon.BorderColor);
        return;
    }
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(Balloon.BorderColor);
    painter.setBrush(Balloon.Color.get());
    painter.drawPath(balloonShape(placement_, Balloon.Metrics));
}

void TAssistantBalloon::closeEvent(QCloseEvent* event) {
    event->accept();
    hideBalloon();
}

void TAssistantBalloon::keyPressEvent(QKeyEvent* event) {
    if (event->key() != Qt::Key_Escape) {
        QWidget::keyPressEvent(event);
        return;
    }
    if (kind_ == BalloonKind::Message && !buttons_.empty()) {
        if (cancelTag_ >= 0) buttonClicked(cancelTag_);
        return;
    }
    Close();
}

}  // namespace kestrave
