#include "shell/pages/directory_list_box.h"

namespace kestrave {

TDirectoryListBox::TDirectoryListBox(QWidget* parent) : QListWidget(parent) {
    std::error_code error;
    setDirectory(std::filesystem::current_path(error));
}

void TDirectoryListBox::setDirectory(const std::filesystem::path& directory) {
    directory_ = directory;
    clear();
    for (const std::filesystem::path& part : directory_) {
        if (!part.empty()) addItem(QString::fromStdString(part.string()));
    }
    setCurrentRow(count() - 1);
    emit directoryChanged();
}

}  // namespace kestrave
