#include "shell/qt_file_dialogs.h"

#include <QFileDialog>
#include <QStringList>

namespace kestrave {

std::string qtFilterText(const std::string& filter) {
    const QStringList parts = QString::fromStdString(filter).split('|');
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) entries << parts[i] + " (" + parts[i + 1] + ")";
    return entries.join(";;").toStdString();
}

std::optional<std::filesystem::path> QtFileDialogs::choose(const TFileDialog& dialog) {
    const std::filesystem::path start = dialog.FileName.empty() ? dialog.InitialDir
                                        : dialog.InitialDir.empty()
                                            ? dialog.FileName
                                            : dialog.InitialDir / dialog.FileName.filename();
    const QString folder = QString::fromStdString(start.string());
    const QString filter = QString::fromStdString(qtFilterText(dialog.Filter));
    const QString title = QString::fromStdString(dialog.Title);
    // The dialog opens on the chosen filter.
    const QStringList filters = filter.split(";;");
    QString selected = dialog.FilterIndex >= 1 && dialog.FilterIndex <= filters.size()
                           ? filters[dialog.FilterIndex - 1]
                           : QString();
    const QString chosen = dialog.kind == TFileDialog::Kind::Save
                               ? QFileDialog::getSaveFileName(parent_, title, folder, filter, &selected,
                                                              QFileDialog::DontConfirmOverwrite)
                               : QFileDialog::getOpenFileName(parent_, title, folder, filter, &selected);
    if (chosen.isEmpty()) return std::nullopt;
    return std::filesystem::path(chosen.toStdString());
}

}  // namespace kestrave
