// The main of every test program. The program runs with home, configuration and program folders
// of its own, and each test with a fresh program folder: no test reads or writes the user's
// settings, whether ctest runs it alone or the program runs whole, and no test finds what another
// one stored there. The programs the tests start inherit the same folders.

#include <gtest/gtest.h>

#include <optional>

#include "support/temp_dir.h"

namespace {

using kestrave::test::EnvironmentScope;
using kestrave::test::ProgramDirScope;
using kestrave::test::TempDir;

class FreshProgramFolder : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override { folder_.emplace(); }
    void OnTestEnd(const ::testing::TestInfo&) override { folder_.reset(); }

    std::optional<ProgramDirScope> folder_;
};

}  // namespace

int main(int argc, char** argv) {
    const TempDir home, config;
    const EnvironmentScope homeScope("HOME", home.path().c_str());
    const EnvironmentScope configScope("XDG_CONFIG_HOME", config.path().c_str());
    const ProgramDirScope program;
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(new FreshProgramFolder);
    return RUN_ALL_TESTS();
}
