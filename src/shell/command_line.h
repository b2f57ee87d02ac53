#pragma once
// The command line and command files. Every argument after the program's name becomes one batch
// line; a single argument may instead name a project (".ksp"), a frame list (".kfl") or a
// command file (".kco") whose text lines become the batch lines. Line 0 of a batch is the input
// file, the lines after it are options for the batch runner.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace kestrave {

// A command file gives at most this many batch lines; later lines are not read.
inline constexpr int MaxCommandFileLines = 49;

// The batch work handed from start-up to the batch runner.
struct BatchCommands {
    std::vector<std::string> BatchLines;
    // The number of lines in use.
    int BatchLineCount = 0;
    // Set while there is batch work for the runner.
    bool BatchPending = false;
    // The folder of the command file the lines came from; empty for the command line.
    std::filesystem::path CommandFolder;
};

// What the command line asks for.
enum class CommandLineKind {
    NoArguments,
    ProjectFile,  // one argument ending in ".ksp" (any case)
    FrameList,    // one argument ending in ".kfl"
    CommandFile,  // one argument ending in ".kco"
    BatchRun,     // an input file, alone or followed by batch options
};

// `arguments` are those after the program's name.
CommandLineKind classifyCommandLine(const std::vector<std::string>& arguments);

// Line i - 1 = argument i; pending when there is at least one argument.
BatchCommands batchCommandsFromArguments(const std::vector<std::string>& arguments);

// The line without a line-end CR and without blanks (spaces, tabs) at its end.
std::string_view stripLineEnd(std::string_view line);

// The first MaxCommandFileLines text lines of a command file, each stripped by stripLineEnd
// (lines may end in LF or CR LF; a UTF-8 byte-order mark is skipped). Throws FileError when the
// file does not exist or cannot be read.
std::vector<std::string> readCommandFile(const std::filesystem::path& path);
// The batch lines of a command file: its lines from index 0 and an empty line after them, their
// count (the lines read + 1), pending, and the command file's folder (empty for lines that came
// from elsewhere).
BatchCommands batchCommandsFromFile(std::vector<std::string> lines, std::filesystem::path folder = {});

}  // namespace kestrave
