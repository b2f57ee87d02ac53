#include "shell/qt_file_dialogs.h"

#include <QFileDialog>
#include <QRegularExpression>
#include <algorithm>

#include "shell/input_preview.h"
#include "widgets/open_preview_dialog.h"

namespace kestrave {

namespace {

// "(*.fit)" or "(*.fit;*.fits)": a pattern list at the end of a description.
bool endsWithPatterns(const QString& description, qsizetype& open) {
    if (!description.endsWith(')')) return false;
    open = description.lastIndexOf('(');
    if (open < 0) return false;
    const QStringList tokens = description.mid(open + 1, description.size() - open - 2)
                                   .split(QRegularExpression("[;\\s]+"), Qt::SkipEmptyParts);
    return !tokens.isEmpty() && std::all_of(tokens.begin(), tokens.end(),
                                            [](const QString& token) { return token.startsWith('*'); });
}

}  // namespace

QStringList qtNameFilters(const std::string& filter) {
    const QStringList parts = QString::fromStdString(filter).split('|');
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i].trimmed();
        qsizetype open = 0;
        if (endsWithPatterns(description, open)) description = description.left(open).trimmed();
        const QStringList patterns = parts[i + 1].split(QRegularExpression("[;\\s]+"), Qt::SkipEmptyParts);
        entries << description + " (" + patterns.join(' ') + ")";
    }
    return entries;
}

std::optional<std::filesystem::path> QtFileDialogs::choose(const TFileDialog& dialog) {
    const std::vector<std::filesystem::path> chosen = run(dialog, false);
    if (chosen.empty()) return std::nullopt;
    return chosen.front();
}

std::vector<std::filesystem::path> QtFileDialogs::chooseFiles(const TFileDialog& dialog) {
    return run(dialog, true);
}

std::vector<std::filesystem::path> QtFileDialogs::run(const TFileDialog& dialog, bool several) {
    const std::filesystem::path start = dialog.FileName.empty() ? dialog.InitialDir
                                        : dialog.InitialDir.empty()
                                            ? dialog.FileName
                                            : dialog.InitialDir / dialog.FileName.filename();
    const QString folder = QString::fromStdString(start.string());
    const QString title = QString::fromStdString(dialog.Title);
    // The dialog opens on the chosen filter and reports the one the user leaves it on.
    const QStringList entries = qtNameFilters(dialog.Filter);
    const QString filter = entries.join(";;");
    QString selected = entries.value(dialog.FilterIndex - 1);
    QStringList chosen;
    if (dialog.Preview && dialog.kind == TFileDialog::Kind::Open) {
        TPBOpenPreviewDialog preview(parent_, title, folder);
        joinInputPreview(preview);
        preview.setSoundSink(sounds_);
        preview.setObjectName("Addbitmapdialog");
        preview.setFileMode(several ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
        preview.setNameFilters(entries);
        if (!selected.isEmpty()) preview.selectNameFilter(selected);
        if (preview.exec() == QDialog::Accepted) chosen = preview.selectedFiles();
        selected = preview.selectedNameFilter();
    } else if (dialog.kind == TFileDialog::Kind::Save) {
        chosen << QFileDialog::getSaveFileName(parent_, title, folder, filter, &selected,
                                               QFileDialog::DontConfirmOverwrite);
    } else if (several) {
        chosen = QFileDialog::getOpenFileNames(parent_, title, folder, filter, &selected);
    } else {
        chosen << QFileDialog::getOpenFileName(parent_, title, folder, filter, &selected);
    }
    chosenFilter_ = static_cast<int>(entries.indexOf(selected)) + 1;
    std::vector<std::filesystem::path> files;
    for (const QString& file : chosen)
        if (!file.isEmpty()) files.emplace_back(file.toStdString());
    return files;
}

}  // namespace kestrave
