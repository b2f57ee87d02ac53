#pragma once
// What every image saver shares: where the file goes, what it is called, the question before an
// existing file is replaced, and the guard that keeps a save from replacing the input recording.
//
// Every file is written under a temporary name and renamed over the target only once it is
// complete, so a failed save leaves an older file as it was.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "platform/message_port.h"

namespace kestrave {

class RegSettings;

// The program state a save reads and changes, and the ports it talks through.
struct SaveContext {
    MessagePort& messages;
    // Set when a dark frame or flat field was built by stacking, or a special FITS file was
    // written; cleared when new input is selected. While it is on, FITS files keep the planes'
    // own values instead of stretching them to 16 bits.
    bool& MasterFrameMode;
    // Unattended run: existing files are replaced without a question.
    bool batchMode = false;
    // The files of the current input (the video, the SER file or every frame of a series); a save
    // never replaces one of them.
    std::vector<std::filesystem::path> inputFiles;
    // Receives "SaveDir" and the last save type in section "Files"; none in some tests.
    RegSettings* settings = nullptr;
    // The version text of the About page ("V4.0.0"); a PNG names "Kestrave " + it as its software.
    std::string versionCaption;
};

// The folder files are saved in: `directory`, or its subfolder `subdirname` when
// `savesubcontrol` is set, created together with any missing parents. Throws FileError when the
// folder cannot be created.
std::filesystem::path saveFolder(const std::filesystem::path& directory, bool savesubcontrol,
                                 std::string_view subdirname);

// The file name without its extension (the text after the last "."; a leading "." does not count
// as one).
std::string stripExtension(std::string_view fileName);

// The name part of a chosen file: an empty name or one that starts with "." becomes "default".
std::string chosenBaseName(const std::filesystem::path& chosenFile);

// The chosen file's folder + the chosen name (see chosenBaseName) without its extension +
// `extension` (".bmp", …).
std::filesystem::path outputFileName(const std::filesystem::path& chosenFile, std::string_view extension);

// Writes a whole file through a temporary file; throws FileError when it cannot (an older file is
// then left as it was).
void writeFileBytes(const std::filesystem::path& target, const std::vector<std::uint8_t>& bytes);

// Throws FileError when `target` is one of the input files (the same file under any name, a
// hard or symbolic link included).
void refuseInputFile(const std::filesystem::path& target,
                     const std::vector<std::filesystem::path>& inputFiles);

// Whether `target` may be written: true when it does not exist, in a batch run, or when the
// user answers Yes to caption "File exists" and `text`. The question never blocks a batch run.
bool confirmOverwrite(const std::filesystem::path& target, const std::string& text, SaveContext& context);

}  // namespace kestrave
