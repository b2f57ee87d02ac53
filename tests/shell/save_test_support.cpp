#include "save_test_support.h"

#include <QLineEdit>
#include <QPushButton>
#include <algorithm>
#include <fstream>
#include <iterator>

#include "persist/reg_settings.h"
#include "shell/pages/align_page.h"
#include "shell/pages/directory_list_box.h"
#include "shell/pages/named_control.h"
#include "shell/pages/stack_page.h"

namespace kestrave::test {

std::string fileText(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

SaveTest::SaveTest() {
    auto scripted = std::make_unique<ScriptedFileDialogs>();
    dialogs = scripted.get();
    context.setDialogs(std::move(scripted));
    context.regSettings = std::make_unique<RegSettings>();
    control<TDirectoryListBox>(*form, "DirectoryListBox1")->setDirectory(folder.path());
}

void SaveTest::stack() {
    control<TRxSpeedButton>(*form, "Stackbutton")->click();
    ASSERT_TRUE(context.pipeline.stack().exists());
}

bool SaveTest::asked(const std::string& caption) const {
    return std::any_of(messages.shown.begin(), messages.shown.end(),
                       [&](const Message& message) { return message.caption == caption; });
}

}  // namespace kestrave::test
