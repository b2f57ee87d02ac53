// The window's assistant: the Wizard guide and its hints, and messages answered in the balloon.

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include "assistant/assistant.h"
#include "assistant/office_button.h"
#include "assistant/speech_balloon.h"
#include "shell/assistant_handlers.h"
#include "shell/dialog_presenter.h"
#include "shell_test_support.h"

namespace kestrave::test {

TEST(WindowAssistant, TheWizardGuideOpensTheHintsOfItsFirstTwoSteps) {
    app();
    QWidget window;
    window.resize(640, 480);
    auto* centre = new QWidget(&window);
    QPushButton wizardItem;
    bool firstPage = false;
    TAssistant& assistant = createWindowAssistant(window, *centre, wizardItem, [&] { return firstPage; });
    window.resize(1200, 900);
    EXPECT_EQ(centre->geometry(), QRect(320, 240, 2, 2));
    wizardItem.click();
    EXPECT_FALSE(assistant.balloon().shown()) << "the guide belongs to the first page";
    firstPage = true;
    wizardItem.click();
    const TGuideDlgOptions& guide = assistant.GuideDlg();
    EXPECT_EQ(guide.Title, "Hints after startup");
    ASSERT_EQ(guide.Topics.Count(), 5);
    EXPECT_EQ(guide.Topics[1].text, "Step by step guide:");
    EXPECT_EQ(guide.Topics[1].options.Flags, 5);
    EXPECT_EQ(guide.Topics[4].text, "3. Limit number of frames ");
    EXPECT_EQ(guide.Topics[4].options.ID, 3);
    EXPECT_EQ(assistant.balloon().kind(), BalloonKind::Guide);
    EXPECT_TRUE(assistant.balloon().shown());

    struct Case {
        int topic;
        const char* title;
        const char* lastLine;
    };
    const Case cases[] = {{1, "Set an alignment area ", "Press the left-mousebutton. "},
                          {2, "Start alignment ", "Then press the Alignbutton. "}};
    for (const Case& c : cases) {
        WizardClick(assistant);
        // The guide's own topic button, as the user clicks it.
        assistant.balloon().topicButtons()[std::size_t(c.topic) + 1]->click();
        EXPECT_EQ(assistant.balloon().kind(), BalloonKind::Hint) << c.topic;
        EXPECT_EQ(assistant.HintDlg().Title, c.title);
        ASSERT_EQ(assistant.HintDlg().Topics.Count(), 5);
        EXPECT_EQ(assistant.HintDlg().Topics[4].text, c.lastLine);
    }
    WizardClick(assistant);
    AssistantGuideTopicClick(assistant, 3);
    EXPECT_EQ(assistant.balloon().kind(), BalloonKind::Guide) << "topic 3 shows nothing";
}

TEST(WindowAssistant, TheBalloonPresenterAsksWithTheMessagesCaptionFocusAndCheckBox) {
    app();
    QWidget window;
    window.resize(640, 480);
    auto* assistant = new TAssistant(&window);
    applyWindowAssistantSettings(*assistant);
    std::unique_ptr<MessagePort> presenter = makeWindowPresenter(window);
    ASSERT_NE(dynamic_cast<BalloonMessagePresenter*>(presenter.get()), nullptr);

    QString title, focused;
    auto* poll = new QTimer(&window);
    QObject::connect(poll, &QTimer::timeout, [&] {
        TAssistantBalloon& balloon = assistant->balloon();
        if (!balloon.ClientPanel->isVisible()) return;
        poll->stop();
        title = balloon.Title->text();
        focused = qobject_cast<TOffice97Button*>(balloon.focusWidget())->Caption();
        balloon.CheckBox->click();
        qobject_cast<TOffice97Button*>(balloon.focusWidget())->click();
    });
    poll->start(10);
    const Message question{.caption = "Closing Kestrave ",
                           .text = "You have not saved.\n\rSave before quitting ?",
                           .dlgType = mtCustom,
                           .buttons = mbYesNoCancel,
                           .showCheckBox = true,
                           .checkBoxCaption = "do not repeat  ",
                           .defaultButton = mbNo};
    EXPECT_EQ(presenter->show(question), mrNo);
    EXPECT_EQ(title, "Closing Kestrave ");
    EXPECT_EQ(focused, "&No");
    EXPECT_TRUE(presenter->messageBoxChecked());
}

}  // namespace kestrave::test
