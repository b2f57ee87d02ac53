#pragma once
// Core code reports bad input and failed files with typed exceptions that carry the English
// text shown to the user; the handlers catch them and show them through the message routine.

#include <stdexcept>
#include <string>

namespace kestrave {

class KestraveError : public std::runtime_error {
public:
    explicit KestraveError(const std::string& text) : std::runtime_error(text) {}
};

// A file that cannot be opened, read or written, or that is not what it claims to be.
class FileError : public KestraveError {
public:
    using KestraveError::KestraveError;
};

}  // namespace kestrave
