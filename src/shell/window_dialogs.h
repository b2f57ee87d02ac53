#pragma once
// The file dialogs of the main window whose handlers come with later work: the input, dark and
// flat frames, projects and frame lists, and the stack, wavelet and resize savers. Start-up sets
// their folders, titles and the filter chosen last.

#include <filesystem>

#include "shell/file_dialogs.h"

namespace kestrave {

struct WindowDialogs {
    WindowDialogs();

    TFileDialog Addbitmapdialog;  // the input: videos, frame series, SER files
    TFileDialog OpenDialog;       // dark frames and flat fields
    TFileDialog OpenDialog2;      // projects and frame lists
    TFileDialog SaveDialog3;      // projects saved
    TFileDialog SaveDialog2;      // frame lists saved
    TFileDialog OpenDialog1;      // frame lists loaded or added
    TFileDialog SaveDialog1;      // the stack
    TFileDialog WaveletSave;      // the processed image
    TFileDialog SaveDialog4;      // the resized image
    TFileDialog SaveDialog6;      // the registered and integrated videos

    // The file name the savers of the stack, the project and the resized image propose.
    void proposeFileName(const std::filesystem::path& name);
};

}  // namespace kestrave
