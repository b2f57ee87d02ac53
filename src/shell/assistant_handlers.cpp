#include "shell/assistant_handlers.h"

#include <QAbstractButton>
#include <QWidget>

#include "assistant/assistant.h"
#include "assistant/speech_balloon.h"

namespace kestrave {

namespace {

void showHintTopic(TAssistant& Assistant, const char* title, std::initializer_list<const char*> lines) {
    THintDlgOptions& hint = Assistant.HintDlg();
    hint.Topics.Clear();
    hint.Title = QString::fromUtf8(title);
    hint.Topics.AddTopic({}, tfPlain);
    for (const char* line : lines) hint.Topics.AddTopic(QString::fromUtf8(line), tfPlain);
    Assistant.ShowHint();
}

}  // namespace

TAssistant* windowAssistant(const QWidget& window) {
    return window.findChild<TAssistant*>("Assistant", Qt::FindDirectChildrenOnly);
}

void applyWindowAssistantSettings(TAssistant& Assistant) {
    Assistant.setSpeed(200);
    TBalloonOptions& balloon = Assistant.Balloon();
    balloon.Metrics.BalloonOffset = -50;
    balloon.Metrics.ArrowLength = 0;
    balloon.Metrics.MinMsgDlgWidth = 250;
    balloon.Color = colorFromValue(13434879);
    balloon.Office2000Look = false;
    Assistant.MsgDlg().CustomIcon = lightBulbIcon();
    Assistant.MsgDlg().CheckBox.Enabled = false;
    Assistant.HintDlg().Icon = lightBulbIcon();
}

void WizardClick(TAssistant& Assistant) {
    TGuideDlgOptions& guide = Assistant.GuideDlg();
    guide.Topics.Clear();
    guide.Topics.AddTopic({}, tfPlain);
    guide.Topics.AddTopic("Step by step guide:", tfPlain | tfBold);
    guide.Title = "Hints after startup";
    guide.Topics.AddTopicWithID("1. Set an alignment area", tfHoverBold, 1);
    guide.Topics.AddTopicWithID("2. Start alignment", tfHoverBold, 2);
    guide.Topics.AddTopicWithID("3. Limit number of frames ", tfHoverBold, 3);
    Assistant.ShowGuide();
}

void AssistantGuideTopicClick(TAssistant& Assistant, int Topic) {
    if (Topic == 1)
        showHintTopic(Assistant, "Set an alignment area ",
                      {"Start moving your mouse over the image", "You will see an alignmentbox,  ",
                       "When you have found a contrast-rich area", "Press the left-mousebutton. "});
    else if (Topic == 2)
        showHintTopic(Assistant, "Start alignment ",
                      {"After setting an alignmentbox", "See if you want to fully automatic, ",
                       "set the automatic processing checkbox", "Then press the Alignbutton. "});
}

TAssistant& createWindowAssistant(QWidget& window, QWidget& Screencentre, QAbstractButton& Wizard,
                                  std::function<bool()> onFirstPage) {
    auto* assistant = new TAssistant(&window);
    applyWindowAssistantSettings(*assistant);
    Screencentre.setGeometry(320, 240, 2, 2);
    QObject::connect(&Wizard, &QAbstractButton::clicked, assistant,
                     [assistant, onFirstPage = std::move(onFirstPage)] {
                         if (onFirstPage()) WizardClick(*assistant);
                     });
    QObject::connect(assistant, &TAssistant::OnGuideTopicClick, assistant,
                     [assistant](int topic) { AssistantGuideTopicClick(*assistant, topic); });
    return *assistant;
}

void AttachBalloons(QWidget* target) {
    if (!target) return;
    if (TAssistant* assistant = windowAssistant(*target->window())) assistant->AttachBalloons(target);
}

}  // namespace kestrave
