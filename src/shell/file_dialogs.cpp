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

std::vector<std::filesystem::path> FileDialogPort::chooseFiles(const TFileDialog& dialog) {
    const std::optional<std::filesystem::path> chosen = choose(dialog);
    if (!chosen) return {};
    return {*chosen};
}

bool FileDialogPort::Execute(TFileDialog& dialog) {
    std::vector<std::filesystem::path> chosen;
    if (dialog.MultiSelect) {
        chosen = chooseFiles(dialog);
    } else if (std::optional<std::filesystem::path> one = choose(dialog)) {
        chosen.push_back(std::move(*one));
    }
    std::erase_if(chosen, [](const std::filesystem::path& file) { return file.empty(); });
    if (chosen.empty()) return false;
    dialog.FileName = withDefaultExtension(chosen.front(), dialog.DefaultExt);
    dialog.Files = std::move(chosen);
    if (const int filter = chosenFilterIndex(); filter > 0) dialog.FilterIndex = filter;
    return true;
}

}  // namespace kestrave
