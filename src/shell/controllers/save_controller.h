#pragma once
// The save handlers of the Stack and Wavelet pages: the folder and the dialog (the window's
// SaveDialog1 and WaveletSave; a batch run shows neither and takes the name and filter the
// runner presets in them, a name alone landing in the save folder), then the savers of the
// output library. The image counts as saved only once a file was really written.

#include <QObject>
#include <filesystem>
#include <functional>
#include <vector>

#include "output/save_formats.h"
#include "pipeline/pipeline.h"

namespace kestrave {

class AreaStages;
class Pipeline;
class ShellPorts;
struct ShellState;
class StackPage;
class WaveletPage;
struct ImageInfoWindow;
struct TFileDialog;
struct WindowDialogs;
class MessagePort;
class ProgressPort;
class RegSettings;

// What every save of the window is given: the messages, the settings store (none when it could
// not be opened), the program's version text and the window's 16-bit PNG writer.
SavePorts savePorts(ShellPorts& ports);
SavePorts savePorts(MessagePort& messages, RegSettings* settings);
// Runs a saver of any page under the busy cursor: a written file marks the result saved as it is
// now (`markResultSaved`); a failure is shown as a "Save error".
void runSaveCommand(MessagePort& messages, ShellState& shell, const Pipeline& pipeline,
                    const std::function<SaveOutcome()>& saver);

// What the save handlers work with: the save folder's controls on the Align page, the save
// buttons, the processed picture's settings and info stamp, and the save dialogs.
struct SaveControllerParts {
    Pipeline& pipeline;
    ShellPorts& ports;
    StackPage& stack;
    WaveletPage& wavelet;
    const ImageInfoWindow& imageInfo;
    WindowDialogs& dialogs;
    // "Do All" before a partly processed picture is saved.
    AreaStages& stages;
};

class SaveController : public QObject {
public:
    explicit SaveController(const SaveControllerParts& parts);

    // Saves the stack in the type of SaveDialog1's filter (its row of stackSaveFormats()).
    // Without a stack there is nothing to save.
    void SaveButtonClick();
    // Saves the processed picture in the type of WaveletSave's filter (its row of
    // waveletSaveFormats()), with the info stamp when `StampImage` is ticked; first offers "Do All"
    // when the whole image has not been processed. Also called by the batch runner and by the
    // close question.
    void SaveBMP2buttonClick();

private:
    // The save folder is made the dialog's start; interactive runs show it. False when nothing is
    // to be saved (the folder cannot be made, or the dialog was cancelled).
    bool chooseFile(TFileDialog& dialog);
    // Runs a saver under the busy cursor, reports its failure, and marks the image saved only
    // when a file was written.
    void runSaver(const std::function<SaveOutcome()>& saver);

    SaveControllerParts parts_;
};

}  // namespace kestrave
