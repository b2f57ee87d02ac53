#pragma once
// What the shell tests share: a message presenter that answers as the test scripts it (never a
// blocking dialog), file dialogs whose choices the test scripts, and a fixture that builds an application
// context and the main window around such presenters. The application object comes from
// support/qt_test_application.h.

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "platform/message_port.h"
#include "shell/application_context.h"
#include "shell/file_dialogs.h"
#include "shell/main_form.h"
#include "support/main_form_test_access.h"
#include "support/pipeline_test_access.h"
#include "support/qt_test_application.h"
#include "support/temp_dir.h"

class QListWidget;

namespace kestrave::test {

class ScriptedPresenter : public MessagePort {
public:
    // The next message gets this answer and check-box state; unscripted messages get the first
    // button of their set and an unchecked box.
    void reply(std::uint16_t answer, bool checked = false) { replies_.push_back({answer, checked}); }
    std::uint16_t show(const Message& message) override;

    std::vector<Message> shown;
    // Runs while the message is "open", before the answer.
    std::function<void(const Message&)> onShow;

private:
    struct Reply {
        std::uint16_t answer;
        bool checked;
    };
    std::deque<Reply> replies_;
};

class ScriptedFileDialogs : public FileDialogPort {
public:
    // The next dialog chooses this file, and this filter when one is given; unscripted dialogs
    // are cancelled.
    void willChoose(std::filesystem::path file, int filter = 0) {
        choices_.push_back({std::move(file), filter});
    }
    int shown = 0;
    TFileDialog lastShown;  // the dialog as it was shown last

protected:
    std::optional<std::filesystem::path> choose(const TFileDialog& dialog) override;
    int chosenFilterIndex() const override { return chosenFilter_; }

private:
    struct Choice {
        std::filesystem::path file;
        int filter = 0;
    };
    std::deque<Choice> choices_;
    int chosenFilter_ = 0;
};

// A context whose messages go to scripted presenters (`messages` for the message routine's
// presenter, `platformBox` for the platform's own box).
struct ScriptedContext {
    ScriptedContext();
    ProgramDirScope home;
    ApplicationContext context;
    ScriptedPresenter* messages;
    ScriptedPresenter* platformBox;
};

struct ShellWindowTest : ::testing::Test {
    ShellWindowTest();

    ScriptedContext scripted;
    ApplicationContext& context = scripted.context;
    ScriptedPresenter& messages = *scripted.messages;
    ScriptedPresenter& platformBox = *scripted.platformBox;
    std::unique_ptr<TMainForm> form;
};

// Ticks or unticks entry `entry` of a check list as a click in its check area does: the entry
// becomes current and the list's click-check notice follows.
void tickAsUser(QListWidget& list, int entry, bool checked);

}  // namespace kestrave::test
