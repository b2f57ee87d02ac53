#include "shell/file_dialogs.h"

namespace kestrave {

std::filesystem::path withDefaultExtension(const std::filesystem::path& name, const std::string& ext) {
    if (ext.empty() || name.has_extension()) return name;
    std::filesystem::path extended = name;
    extended += "." + ext;
    return extended;
}

bool FileDialogPort::Execute(TFileDialog& dialog) {
    const std::optional<std::filesystem::path> chosen = choose(dialog);
    if (!chosen || chosen->empty()) return false;
    dialog.FileName = withDefaultExtension(*chosen, dialog.DefaultExt);
    return true;
}

}  // namespace kestrave
