#pragma once
// The main window's file dialogs: each dialog is a small object holding its settings (filter,
// default extension, start folder) and, after a choice, the chosen file, as the handlers expect of
// a dialog component. Showing one goes through a port: the window installs Qt's dialogs, runs
// without a window cancel every dialog, and tests script the choices.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace kestrave {

struct TFileDialog {
    enum class Kind { Open, Save };
    Kind kind = Kind::Open;
    std::string Title;
    // Pairs of description and pattern separated by "|": "Kestrave Wavelet settings|*.kwv".
    std::string Filter;
    // The pair of Filter chosen, 1 for the first: the dialog opens on it, and a choice stores the
    // one the user took (savers take the file type from it).
    int FilterIndex = 1;
    // Added (after a ".") to a chosen name that has no extension.
    std::string DefaultExt;
    std::filesystem::path InitialDir;
    // The file chosen last; a batch run sets it and uses it without showing the dialog.
    std::filesystem::path FileName;
    // An open dialog that takes several files at once; Files holds every file of the last
    // choice (FileName the first of them).
    bool MultiSelect = false;
    std::vector<std::filesystem::path> Files;
    // The input dialog: it previews the frame files the program reads itself.
    bool Preview = false;
};

// A dialog of that kind with its filter and default extension.
TFileDialog makeFileDialog(TFileDialog::Kind kind, std::string filter, std::string defaultExt = {});

class FileDialogPort {
public:
    virtual ~FileDialogPort() = default;

    // Shows the dialog. On a choice stores it (with the default extension when it had none) in
    // FileName and Files, and the filter chosen in FilterIndex, and returns true; a cancelled
    // dialog returns false and leaves them as they were.
    bool Execute(TFileDialog& dialog);

protected:
    virtual std::optional<std::filesystem::path> choose(const TFileDialog& dialog) = 0;
    // The files of a multi-select dialog; none when it was cancelled. Ports that choose one file
    // at a time answer with that one.
    virtual std::vector<std::filesystem::path> chooseFiles(const TFileDialog& dialog);
    // The filter chosen in the dialog shown last (1-based); 0 when the dialog keeps its own.
    virtual int chosenFilterIndex() const { return 0; }
};

// Cancels every dialog.
class NoFileDialogs : public FileDialogPort {
protected:
    std::optional<std::filesystem::path> choose(const TFileDialog&) override { return std::nullopt; }
};

// The name with ".ext" appended when it has no extension (or an empty extension).
std::filesystem::path withDefaultExtension(const std::filesystem::path& name, const std::string& ext);

}  // namespace kestrave
