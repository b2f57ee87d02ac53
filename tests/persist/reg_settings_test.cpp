// The settings store: values written by one instance are read by the next, each write reaches
// the disk at once, and a write that cannot be stored says so.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "persist/reg_settings.h"
#include "platform/errors.h"
#include "platform/safe_file.h"
#include "support/temp_dir.h"

using namespace kestrave;
namespace fs = std::filesystem;

TEST(BigIniRegSettings, ValuesAreStoredAtOnceAndSurviveANewInstance) {
    test::ProgramDirScope home;
    const fs::path file = home.path() / "registry.ini";
    {
        RegSettings settings;
        EXPECT_EQ(settings.fileName(), file);
        EXPECT_EQ(settings.ReadString(kRegFilesSection, "Dir", "nonex"), "nonex");
        EXPECT_TRUE(settings.WriteString(kRegFilesSection, "Dir", "/data/jupiter"));
        EXPECT_TRUE(fs::exists(file));  // written before the object goes away
        EXPECT_TRUE(settings.WriteString(kRegFilesSection, "Lasttype", "SER"));
        EXPECT_TRUE(settings.WriteBool(kRegSettingsSection, "Autoprocess", true));
        EXPECT_TRUE(settings.WriteInteger(kRegSettingsSection, "SearchArea", 7));
        EXPECT_TRUE(settings.lastError().empty());

        const std::vector<std::uint8_t> bytes = readWholeFile(file);
        EXPECT_EQ(std::string(bytes.begin(), bytes.end()),
                  "[Files]\r\nDir=/data/jupiter\r\nLasttype=SER\r\n\r\n"
                  "[Settings]\r\nAutoprocess=1\r\nSearchArea=7\r\n\r\n");
    }
    RegSettings again;
    EXPECT_EQ(again.ReadString("files", "dir", ""), "/data/jupiter");
    EXPECT_EQ(again.ReadString("Files", "Lasttype", "none"), "SER");
    EXPECT_TRUE(again.ReadBool("Settings", "Autoprocess", false));
    EXPECT_EQ(again.ReadInteger("Settings", "SearchArea", 0), 7);
}

TEST(BigIniRegSettings, AWriteThatCannotBeStoredIsReportedAndKept) {
    test::TempDir dir;
    writeFileAtomically(dir / "plain", "a file, not a folder");
    const fs::path file = dir / "plain" / "registry.ini";
    EXPECT_NO_THROW({
        RegSettings settings(file);
        EXPECT_FALSE(settings.WriteString(kRegFilesSection, "SaveDir", "/out"));
        EXPECT_NE(settings.lastError().find(file.string()), std::string::npos) << settings.lastError();
        EXPECT_EQ(settings.ReadString(kRegFilesSection, "SaveDir", ""), "/out");
        EXPECT_THROW(settings.flush(), FileError);
        EXPECT_FALSE(settings.WriteString(kRegFilesSection, "Dir", "a\nb"));  // cannot be one line
    });
}
