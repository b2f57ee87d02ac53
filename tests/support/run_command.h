#pragma once
// Runs the independent readers of the tests (Debian's command-line tools) as child processes.

#include <string>

namespace kestrave::test {

// Runs a shell command; returns its exit status (-1 when it did not exit normally) and puts its
// standard output and error in `output`.
int runCommand(const std::string& command, std::string& output);

}  // namespace kestrave::test
