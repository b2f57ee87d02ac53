#pragma once
// The window's file dialogs: Qt's open and save dialogs. The handlers ask before replacing a file
// themselves, so the save dialog does not.

#include <QStringList>

#include "shell/file_dialogs.h"

class QWidget;

namespace kestrave {

class SoundSink;

class QtFileDialogs : public FileDialogPort {
public:
    // `sounds`: where the open dialog plays a sound file it previews; none: it only names it.
    explicit QtFileDialogs(QWidget* parent, SoundSink* sounds = nullptr) : parent_(parent), sounds_(sounds) {}

protected:
    std::optional<std::filesystem::path> choose(const TFileDialog& dialog) override;
    std::vector<std::filesystem::path> chooseFiles(const TFileDialog& dialog) override;
    int chosenFilterIndex() const override { return chosenFilter_; }

private:
    std::vector<std::filesystem::path> run(const TFileDialog& dialog, bool several);

    QWidget* parent_;
    SoundSink* sounds_;
    int chosenFilter_ = 0;
};

// The filters of "Kestrave Filter|*.ksf|Fit frame(s) (*.fit)|*.fit; *.fits" as Qt names them, in
// filter-index order: "Kestrave Filter (*.ksf)", "Fit frame(s) (*.fit *.fits)". Qt reads the
// patterns from the last parentheses, separated by blanks, so a pattern list already written
// into the description gives way to the full one.
QStringList qtNameFilters(const std::string& filter);

}  // namespace kestrave
