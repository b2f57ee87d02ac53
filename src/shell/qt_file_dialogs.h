#pragma once
// The window's file dialogs: Qt's open and save dialogs. The handlers ask before replacing a file
// themselves, so the save dialog does not.

#include "shell/file_dialogs.h"

class QWidget;

namespace kestrave {

class QtFileDialogs : public FileDialogPort {
public:
    explicit QtFileDialogs(QWidget* parent) : parent_(parent) {}

protected:
    std::optional<std::filesystem::path> choose(const TFileDialog& dialog) override;
    int chosenFilterIndex() const override { return chosenFilter_; }

private:
    QWidget* parent_;
    int chosenFilter_ = 0;
};

// "Kestrave Filter|*.ksf|All|*.*" as Qt writes filters: "Kestrave Filter (*.ksf);;All (*.*)".
std::string qtFilterText(const std::string& filter);

}  // namespace kestrave
