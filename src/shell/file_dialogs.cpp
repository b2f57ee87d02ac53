#include "shell/file_dialogs.h"

namespace kestrave {

std::filesystem::path withDefaultExtension(const std::filesystem::path& name, const std::string& ext) {
    if (ext.empty() || name.has_extension()) return name;
    std::filesystem::path extended = name;
    extended += "." + ext;
    return extended;
}

TFileDialog makeFileDialog(TFileDialog::Kind kind, std::string filter, std::string defaultExt) {
    TFileDialog dialog;
    dialog.kind = kind;
    dialog.Filter = std::move(filter);
    dialog.DefaultExt = std::move(defaultExt);
    return dialog;
}

bool FileDialogPort::Execute(TFileDialog& dialog) {
    const std::optional<std::filesystem::path> chosen = choose(dialog);
    if (!chosen || chosen->empty()) return false;
    dialog.FileName = withDefaultExtension(*chosen, dialog.DefaultExt);
    if (const int filter = chosenFilterIndex(); filter > 0) dialog.FilterIndex = filter;
    return true;
}

}  // namespace kestrave
