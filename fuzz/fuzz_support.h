#pragma once
// What the fuzz targets share: the input handed to readers that open files by name, the errors
// that are a reader's sound answer to bad input, and checks of what a successful read promises.
//
// A reader meets bad input with a KestraveError (a message the user sees). Any other exception,
// a sanitizer report, a failed check, a run beyond the time limit or an allocation beyond the
// memory limit is a fault of the reader.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <span>
#include <string>

#include "platform/errors.h"

namespace kestrave::fuzz {

// Writes the input into a file of that name in a folder private to this process and returns
// its path; readers that take a path open it. The folder is removed when the process ends.
std::filesystem::path writeInput(std::span<const std::uint8_t> data, const std::string& name);

// A second file in the same folder, for round trips (saved and read back).
std::filesystem::path scratchFile(const std::string& name);

// Runs `read`, taking a KestraveError as the reader's sound answer to bad input.
template <class Read>
void expectMessages(Read&& read) {
    try {
        read();
    } catch (const KestraveError&) {
    }
}

[[noreturn]] void checkFailed(const char* condition, const char* file, int line);

}  // namespace kestrave::fuzz

// A promise of the reader that did not hold: reported as a crash, with the input kept.
#define FUZZ_CHECK(condition) \
    ((condition) ? static_cast<void>(0) : ::kestrave::fuzz::checkFailed(#condition, __FILE__, __LINE__))
