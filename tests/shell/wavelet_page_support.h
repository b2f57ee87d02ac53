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
