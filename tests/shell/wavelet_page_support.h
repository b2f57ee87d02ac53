#pragma once
// What the wavelet page tests share: a window with a stack set into its image data section, and
// file dialogs whose choices the test scripts.

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QSignalBlocker>
#include <deque>
#include <filesystem>
#include <optional>

#include "shell/controllers/wavelet_controller.h"
#include "shell/file_dialogs.h"
#include "shell/pages/wavelet_page.h"
#include "shell/pages/wavelet_tool_panels.h"
#include "shell_test_support.h"

namespace kestrave::test {

class ScriptedFileDialogs : public FileDialogPort {
public:
    // The next dialog chooses this file; unscripted dialogs are cancelled.
    void willChoose(std::filesystem::path file) { choices_.push_back(std::move(file)); }
    int shown = 0;

protected:
    std::optional<std::filesystem::path> choose(const TFileDialog&) override;

private:
    std::deque<std::filesystem::path> choices_;
};

struct WaveletPageTest : ShellWindowTest {
    WaveletPageTest();

    // Allocates the section for a width × height stack and fills the stack planes with seeded
    // values (colour: red, green and blue differ); the layers are out of date, as after stacking.
    void setStack(int width, int height, bool colour);

    WaveletPage& page;
    WaveletController& wavelet;
    WaveletToolPanels& tools;
    ScriptedFileDialogs* dialogs;
    ImageDataSection& images = context.images;
};

}  // namespace kestrave::test
