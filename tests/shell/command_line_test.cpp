// The command line and command files: what a start is asked to do, and the batch lines a
// command file gives.

#include <gtest/gtest.h>

#include <fstream>

#include "platform/errors.h"
#include "shell/command_line.h"
#include "support/temp_dir.h"

namespace kestrave {
namespace {

void writeFile(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

TEST(StartupArgs, OneArgumentIsClassifiedByItsExtensionInAnyCase) {
    using enum CommandLineKind;
    const std::vector<std::pair<std::vector<std::string>, CommandLineKind>> cases{
        {{}, NoArguments},
        {{"/data/moon.ksp"}, ProjectFile},
        {{"Moon.KSP"}, ProjectFile},
        {{"frames.Kfl"}, FrameList},
        {{"night.kco"}, CommandFile},
        {{"jupiter.ser"}, BatchRun},
        {{"no extension"}, BatchRun},
        // With options, a project or command file is only the batch's input file.
        {{"moon.ksp", "-EX"}, BatchRun},
        {{"night.kco", "-ASpng"}, BatchRun},
        {{"jupiter.avi", "-XP320", "-YP240", "-ASpng", "-EX"}, BatchRun},
    };
    for (const auto& [arguments, kind] : cases) {
        EXPECT_EQ(classifyCommandLine(arguments), kind) << (arguments.empty() ? "" : arguments.front());
    }
}

TEST(StartupArgs, ArgumentsBecomeTheBatchLinesInOrder) {
    const BatchCommands none = batchCommandsFromArguments({});
    EXPECT_FALSE(none.BatchPending);
    EXPECT_EQ(none.BatchLineCount, 0);

    const BatchCommands batch = batchCommandsFromArguments({"jupiter.avi", "-XP320", "-EX"});
    EXPECT_TRUE(batch.BatchPending);
    EXPECT_EQ(batch.BatchLineCount, 3);
    EXPECT_EQ(batch.BatchLines, (std::vector<std::string>{"jupiter.avi", "-XP320", "-EX"}));
}

TEST(StartupArgs, ACommandFileGivesAtMostFortyNineLinesAndCountsOneMore) {
    test::TempDir dir;
    std::string sixty;
    for (int i = 0; i < 60; ++i) sixty += "line" + std::to_string(i) + "\n";
    writeFile(dir / "long.kco", sixty);
    const std::vector<std::string> lines = readCommandFile(dir / "long.kco");
    ASSERT_EQ(lines.size(), 49u);
    EXPECT_EQ(lines.front(), "line0");
    EXPECT_EQ(lines.back(), "line48");

    // The count is one more than the lines read; the line it adds is empty.
    writeFile(dir / "short.kco", "moon.avi\n-XP320\n-EX");
    const BatchCommands batch = batchCommandsFromFile(readCommandFile(dir / "short.kco"));
    EXPECT_EQ(batch.BatchLineCount, 4);
    EXPECT_EQ(batch.BatchLines, (std::vector<std::string>{"moon.avi", "-XP320", "-EX", ""}));
    EXPECT_TRUE(batch.BatchPending);
}

TEST(StartupArgs, LineEndsAndTrailingBlanksAreStripped) {
    test::TempDir dir;
    writeFile(dir / "dos.kco",
              "\xEF\xBB\xBF"
              "C:/capture/moon 1.avi  \r\n-XP320\r\n -YP240\t \r\n\r\n-ASpng\r\n");
    const std::vector<std::string> lines = readCommandFile(dir / "dos.kco");
    EXPECT_EQ(lines, (std::vector<std::string>{"C:/capture/moon 1.avi", "-XP320", " -YP240", "", "-ASpng"}));

    EXPECT_EQ(stripLineEnd("-XP320\r"), "-XP320");
    EXPECT_EQ(stripLineEnd(" \t\r"), "");
    EXPECT_EQ(stripLineEnd("a b"), "a b");
}

TEST(StartupArgs, AMissingOrUnreadableCommandFileIsAnErrorThatNamesIt) {
    test::TempDir dir;
    const std::filesystem::path missing = dir / "missing.kco";
    try {
        readCommandFile(missing);
        FAIL() << "a missing file was read";
    } catch (const FileError& error) {
        EXPECT_EQ(std::string(error.what()), "Command file " + missing.string() + " not found");
    }
    std::filesystem::create_directory(dir / "folder.kco");
    EXPECT_THROW(readCommandFile(dir / "folder.kco"), FileError);
}

}  // namespace
}  // namespace kestrave
