#include "shell_test_support.h"

#include "widgets/check_list_box.h"

namespace kestrave::test {

std::uint16_t ScriptedPresenter::show(const Message& message) {
    shown.push_back(message);
    if (onShow) onShow(message);
    Reply reply{firstButtonResult(message.buttons), false};
    if (!replies_.empty()) {
        reply = replies_.front();
        replies_.pop_front();
    }
    setMessageBoxChecked(reply.checked);
    return reply.answer;
}

std::optional<std::filesystem::path> ScriptedFileDialogs::choose(const TFileDialog& dialog) {
    ++shown;
    lastShown = dialog;
    chosenFilter_ = 0;
    if (choices_.empty()) return std::nullopt;
    const Choice choice = choices_.front();
    choices_.pop_front();
    chosenFilter_ = choice.filter;
    return choice.file;
}

ScriptedContext::ScriptedContext() {
    auto presenter = std::make_unique<ScriptedPresenter>();
    auto box = std::make_unique<ScriptedPresenter>();
    messages = presenter.get();
    platformBox = box.get();
    context.messages().setPresenter(std::move(presenter));
    context.messages().setPlatformBox(std::move(box));
}

ShellWindowTest::ShellWindowTest() {
    app();
    form = std::make_unique<TMainForm>(context);
}

void tickAsUser(QListWidget& list, int entry, bool checked) {
    auto& checkList = dynamic_cast<CheckListBox&>(list);
    if (checkList.Checked(entry) == checked) return;
    checkList.setCurrentRow(entry, QItemSelectionModel::NoUpdate);
    checkList.toggleByUser(entry);
}

}  // namespace kestrave::test
