#pragma once
// The folder list of the Align page's general options: the folder the program works in (files
// are opened and saved there). It lists the folder's path from the root down; the current
// folder is the last entry.

#include <QListWidget>
#include <filesystem>

namespace kestrave {

class TDirectoryListBox : public QListWidget {
    Q_OBJECT
public:
    // Starts at the current directory of the process.
    explicit TDirectoryListBox(QWidget* parent = nullptr);

    const std::filesystem::path& Directory() const { return directory_; }
    void setDirectory(const std::filesystem::path& directory);

signals:
    // The folder was set.
    void directoryChanged();

private:
    std::filesystem::path directory_;
};

}  // namespace kestrave
