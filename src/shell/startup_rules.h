#pragma once
// The rules of start-up that need no window: the remembered folders and file types of the
// settings store, the stored normal window rectangle, the processing-area and resampling
// choices, the quality-method lists, the default alignment box and the language files.

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrave {

class RegSettings;

// What the "Files" keys of the settings store set at start-up. A filter index of 0 leaves the
// dialog's own index.
struct FilesSettings {
    // "Dir": a remembered folder that exists becomes the folder of the folder list; one that is
    // gone is reported.
    std::optional<std::filesystem::path> directory;
    std::optional<std::string> missingDirectory;
    int Lasttype = 0;             // filter index of the input dialog
    int Laststacksavetype = 0;    // of the stack save dialog
    int Lastwaveletsavetype = 0;  // of the wavelet save dialog
    int LastDarkFlattype = 0;     // of the dark and flat dialog
    int LastResizetype = 0;       // of the resize save dialog
    // "SaveDir": the initial folder of the stack save dialog.
    std::optional<std::string> saveDirectory;
    // A key that could not be written back; empty when every write succeeded.
    std::string writeError;
};

// Reads "Dir", "Lasttype", "Laststacksavetype", "Lastwaveletsavetype", "LastDarkFlattype",
// "LastResizetype" and "SaveDir" of section "Files" in that order. A key that is absent (read as
// its default, "nonex" or "none") gets its default value written back — the folder list's folder
// for the two folders ("Dir" may have moved it), "AVI" for the input type and "BMP" for the
// others — and sets nothing for this run. A value that matches no type sets nothing.
FilesSettings readFilesSettings(RegSettings& settings, const std::filesystem::path& listFolder);

struct WindowRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// The window's normal rectangle from the program INI file's "ShowCmd" and "Normpos" ("left,top,
// right,bottom"), clipped to the screen (0, 0, screenWidth, screenHeight): none when ShowCmd is
// "0" or "3", Normpos is "0" or not four integers, its left or top corner lies beyond the
// screen's right or bottom edge, or nothing of it is on the screen.
std::optional<WindowRect> normalWindowRect(std::string_view showCmd, std::string_view normPos,
                                           int screenWidth, int screenHeight);

// Items of the processing-area combo: "2048", "1024", "512", "256", "128".
std::vector<std::string> processAreaItems();
// The item of a processing-area text, -1 for any other text.
int processAreaItemForText(std::string_view text);

inline constexpr std::array<const char*, 4> ResampleMethodItems{"Bell", "Bspline", "Lanczos", "Mitchell"};
// The item of a resampling-filter name, -1 for any other text.
int resampleMethodItemForText(std::string_view text);

// The alignment box of the chosen box size at start-up: N = 2^(item + 5) for items 0..4 (no
// item counts as item 0), its corner (176 - N / 2, 144 - N / 2).
struct AlignmentBox {
    int size = 0;
    int left = 0;
    int top = 0;
};
AlignmentBox startupAlignmentBox(int fftSizeItem);

// The language files in the given folders: every "lang_??.txt" gives its first seven characters
// ("lang_de"), each name once, in name order.
std::vector<std::string> languageFileItems(const std::vector<std::filesystem::path>& folders);

// The serial number of the volume that holds the root folder (its file-system id), as a positive
// number; 0 when it cannot be read.
double GetSystemVolumeSerial();
// The volume of the developer's machine: start-up shows the developer controls there.
inline constexpr double DeveloperVolumeSerial = 3138297451.0;

}  // namespace kestrave
