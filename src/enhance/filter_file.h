#pragma once
// User filter files (".ksf") and the program's copy of the last kernel saved or loaded,
// "savefilter.ini" in the program directory: the 25 spin values Filter00..Filter44 of the
// "Wavelet filter" window's 5 × 5 kernel, laid out as the window's form storage lays out stored
// control values:
//
//   [TMainForm]
//   FormVersion=0
//   Filter00_Value=0
//   Filter01_Value=0
//   …                   (Filter<a><b>, a the column digit, b the row digit, in name order)
//   Filter44_Value=0

#include <filesystem>

#include "enhance/scheme_file.h"
#include "enhance/wavelet_filter.h"

namespace kestrave {

// "savefilter.ini" in the program directory.
std::filesystem::path filterCopyPath();

// Writes the kernel into a new file that replaces `path` only once it is complete. Throws
// FileError when it cannot be written; the old file then stays as it was.
void saveFilterKernel(const std::filesystem::path& path, const KernelSpins& spins);

// Reads a kernel into `spins`: a key that holds a number replaces that spin's value (rounded to
// the nearest integer), a missing or unreadable key leaves it as it was, and a stored
// "FormVersion" below 0 restores nothing; a file that does not exist restores nothing either.
// Throws, changing nothing, when the file is not a plausibly sized regular file (WaveletFileError)
// or cannot be read.
void loadFilterKernel(const std::filesystem::path& path, KernelSpins& spins);

}  // namespace kestrave
