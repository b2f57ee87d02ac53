#pragma once
// What the save tests share: a window that has stacked its in-memory recording, scripted save
// dialogs, registry settings in the test's program folder, and a save folder of its own.

#include <filesystem>
#include <string>

#include "shell/controllers/save_controller.h"
#include "stack_page_support.h"
#include "support/temp_dir.h"
#include "wavelet_page_support.h"

namespace kestrave::test {

std::string fileText(const std::filesystem::path& file);

struct SaveTest : StackPageTest {
    SaveTest();

    // Stacks the recording (a flat grey of 100).
    void stack();
    // Whether a message with this caption reached the scripted presenter.
    bool asked(const std::string& caption) const;

    TempDir folder;
    ScriptedFileDialogs* dialogs = nullptr;
    SaveController& save = *pieces(*form).save;
};

}  // namespace kestrave::test
