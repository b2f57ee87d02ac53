#pragma once
// What the fuzz targets share: the input handed to readers that open files by name, the errors
// that are a reader's sound answer to bad input, and checks of what a successful read promises.
//
// A reader meets bad input with a KestraveError (a message the user sees). Any other exception,
// a sanitizer report, a failed check, a run beyond the time limit or an allocation beyond the
// memory limit is a fault of the reader.
//
// The harness's own file work is not the reader's: it goes through plain file descriptors and
// retries calls that a signal interrupts (libFuzzer's timers raise SIGALRM while an input runs).
// When it fails all the same, the harness names itself ("kestrave fuzz: HARNESS ERROR") and ends
// the run with HarnessErrorExit, which fuzz/run reports apart from the readers' faults.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <span>
#include <string>

#include "platform/errors.h"

namespace kestrave::fuzz {

// The exit status of a run the harness (not the reader) ended.
inline constexpr int HarnessErrorExit = 86;

// Writes the input into a file of that name in a folder private to this process and returns
// its path; readers that take a path open it. The folder is removed when the process ends.
std::filesystem::path writeInput(std::span<const std::uint8_t> data, const std::string& name);

// A second file in the same folder, for round trips (saved and read back).
std::filesystem::path scratchFile(const std::string& name);

// The bytes of a file of the harness's folder, and a copy of one into another.
std::string readHarnessFile(const std::filesystem::path& path);
void copyHarnessFile(const std::filesystem::path& from, const std::filesystem::path& to);
// Removes a file of the harness's folder; one that is not there is no failure.
void removeHarnessFile(const std::filesystem::path& path);

// Ends the run as a failure of the harness itself.
[[noreturn]] void harnessError(const std::string& what);

// Ends the run as a fault of the reader: `what` escaped it (an exception that is not a message).
[[noreturn]] void readerThrew(const std::exception* what);

// Runs `read`, taking a KestraveError as the reader's sound answer to bad input; any other
// exception is the reader's fault, reported with its text.
template <class Read>
void expectMessages(Read&& read) {
    try {
        read();
    } catch (const KestraveError&) {
    } catch (const std::exception& other) {
        readerThrew(&other);
    } catch (...) {
        readerThrew(nullptr);
    }
}

[[noreturn]] void checkFailed(const char* condition, const char* file, int line);

}  // namespace kestrave::fuzz

// A promise of the reader that did not hold: reported as a crash, with the input kept.
#define FUZZ_CHECK(condition) \
    ((condition) ? static_cast<void>(0) : ::kestrave::fuzz::checkFailed(#condition, __FILE__, __LINE__))
