#pragma once
// What the wavelet page tests share: a window with a stack set into its image data section, and
// file dialogs whose choices the test scripts (shell_test_support.h).

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QSignalBlocker>
#include <deque>
#include <filesystem>
#include <optional>

#include "shell/controllers/wavelet_controller.h"
#include "shell/pages/wavelet_page.h"
#include "shell/pages/wavelet_tool_panels.h"
#include "shell_test_support.h"

namespace kestrave::test {

struct WaveletPageTest : ShellWindowTest {
    WaveletPageTest();

    // Allocates the section for a width × height stack and fills the stack planes with seeded
    // values (colour: red, green and blue differ); the layers are out of date, as after stacking.
    void setStack(int width, int height, bool colour);
    // A box clicked to `checked`; the processed view as shown and the picture under it at (x, y);
    // whether the next-button mark sits under `button` (the window shown and laid out).
    void tick(const char* box, bool checked = true);
    QRgb shown(int x, int y) const;
    QRgb picture(int x, int y) const;
    bool marksNext(const char* button) const;

    WaveletPage& page;
    WaveletController& wavelet;
    WaveletToolPanels& tools;
    ScriptedFileDialogs* dialogs;
    ImageDataSection& images = editRun(context.pipeline).images;
};

}  // namespace kestrave::test
