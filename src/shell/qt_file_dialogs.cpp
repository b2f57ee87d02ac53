#include "shell/qt_file_dialogs.h"

#include <QFileDialog>
#include <QStringList>

namespace kestrave {

namespace {

// The filters as Qt names them, in filter-index order.
QStringList qtFilterEntries(const std::string& filter) {
    const QStringList parts = QString::fromStdString(filter).split('|');
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) entries << parts[i] + " (" + parts[i + 1] + ")";
    return entries;
}

}  // namespace

std::string qtFilterText(const std::string& filter) {
    return qtFilterEntries(filter).join(";;").toStdString();
}

std::optional<std::filesystem::path> QtFileDialogs::choose(const TFileDialog& dialog) {
    const std::filesystem::path start = dialog.FileName.empty() ? dialog.InitialDir
                                        : dialog.InitialDir.empty()
                                            ? dialog.FileName
                                            : dialog.InitialDir / dialog.FileName.filename();
    const QString folder = QString::fromStdString(start.string());
    const QString title = QString::fromStdString(dialog.Title);
    // The dialog opens on the chosen filter and reports the one the user leaves it on.
    const QStringList entries = qtFilterEntries(dialog.Filter);
    const QString filter = entries.join(";;");
    QString selected = entries.value(dialog.FilterIndex - 1);
    const QString chosen = dialog.kind == TFileDialog::Kind::Save
                               ? QFileDialog::getSaveFileName(parent_, title, folder, filter, &selected,
                                                              QFileDialog::DontConfirmOverwrite)
                               : QFileDialog::getOpenFileName(parent_, title, folder, filter, &selected);
    chosenFilter_ = static_cast<int>(entries.indexOf(selected)) + 1;
    if (chosen.isEmpty()) return std::nullopt;
    return std::filesystem::path(chosen.toStdString());
}

}  // namespace kestrave
