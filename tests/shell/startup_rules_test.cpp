// The rules of start-up that need no window: the "Files" keys of the settings store and their
// written-back defaults, the stored window rectangle, the processing-area, resampling and box
// choices and the language files.

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "persist/reg_settings.h"
#include "shell/startup_rules.h"
#include "support/temp_dir.h"

namespace kestrave {
namespace {

std::string readText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct FilesKeys : ::testing::Test {
    test::TempDir dir;
    std::filesystem::path store = dir / "registry.ini";
    std::filesystem::path listFolder = dir.path();
};

TEST_F(FilesKeys, AFreshStoreGetsEveryDefaultWrittenBackAndSetsNothing) {
    RegSettings settings(store);
    const FilesSettings files = readFilesSettings(settings, listFolder);
    EXPECT_FALSE(files.directory);
    EXPECT_FALSE(files.missingDirectory);
    EXPECT_FALSE(files.saveDirectory);
    for (int index : {files.Lasttype, files.Laststacksavetype, files.Lastwaveletsavetype,
                      files.LastDarkFlattype, files.LastResizetype})
        EXPECT_EQ(index, 0) << "a dialog must keep its own filter index when the default was read";
    EXPECT_TRUE(files.writeError.empty());

    RegSettings reread(store);
    std::vector<std::string> keys;
    TBigIniFile(store).ReadSection("Files", keys);
    EXPECT_EQ(keys, (std::vector<std::string>{"Dir", "Lasttype", "Laststacksavetype", "Lastwaveletsavetype",
                                              "LastDarkFlattype", "LastResizetype", "SaveDir"}));
    EXPECT_EQ(reread.ReadString("Files", "Dir", ""), listFolder.string());
    EXPECT_EQ(reread.ReadString("Files", "Lasttype", ""), "AVI");
    for (const char* key : {"Laststacksavetype", "Lastwaveletsavetype", "LastDarkFlattype", "LastResizetype"})
        EXPECT_EQ(reread.ReadString("Files", key, ""), "BMP") << key;
    EXPECT_EQ(reread.ReadString("Files", "SaveDir", ""), listFolder.string());
}

TEST_F(FilesKeys, StoredValuesChooseTheFilterIndexesAndFoldersWithoutWriting) {
    std::filesystem::create_directory(dir / "captures");
    {
        RegSettings settings(store);
        for (const auto& [key, value] :
             std::vector<std::pair<const char*, std::string>>{{"Dir", (dir / "captures").string()},
                                                              {"Lasttype", "SER"},
                                                              {"Laststacksavetype", "TIF"},
                                                              {"Lastwaveletsavetype", "PNG"},
                                                              {"LastDarkFlattype", "FTR"},
                                                              {"LastResizetype", "GIF"},
                                                              {"SaveDir", "/results/saturn"}})
            settings.WriteString("Files", key, value);
    }
    const std::string before = readText(store);

    RegSettings settings(store);
    const FilesSettings files = readFilesSettings(settings, listFolder);
    EXPECT_EQ(files.directory, dir / "captures");
    EXPECT_EQ(files.Lasttype, 7);
    EXPECT_EQ(files.Laststacksavetype, 6);
    EXPECT_EQ(files.Lastwaveletsavetype, 5);
    EXPECT_EQ(files.LastDarkFlattype, 2);
    EXPECT_EQ(files.LastResizetype, 0) << "a type the dialog does not know sets nothing";
    EXPECT_EQ(files.saveDirectory, "/results/saturn");
    EXPECT_EQ(readText(store), before);
}

TEST_F(FilesKeys, AFolderThatIsGoneIsReportedAndTheSaveFolderFollowsTheListsNewFolder) {
    std::filesystem::create_directory(dir / "moved");
    {
        RegSettings settings(store);
        settings.WriteString("Files", "Dir", (dir / "gone").string());
    }
    RegSettings settings(store);
    FilesSettings files = readFilesSettings(settings, listFolder);
    EXPECT_EQ(files.missingDirectory, (dir / "gone").string());
    EXPECT_FALSE(files.directory);
    EXPECT_EQ(settings.ReadString("Files", "SaveDir", ""), listFolder.string());

    settings.WriteString("Files", "Dir", (dir / "moved").string());
    settings.WriteString("Files", "SaveDir", "nonex");
    files = readFilesSettings(settings, listFolder);
    EXPECT_EQ(settings.ReadString("Files", "SaveDir", ""), (dir / "moved").string());
}

TEST(NormalWindowRect, OnlyASoundRectangleOnTheScreenIsApplied) {
    const auto rect = [](std::string_view showCmd, std::string_view normPos) {
        return normalWindowRect(showCmd, normPos, 1024, 768);
    };
    const std::optional<WindowRect> placed = rect("1", "100,50,900,650");
    ASSERT_TRUE(placed);
    EXPECT_EQ(placed->left, 100);
    EXPECT_EQ(placed->top, 50);
    EXPECT_EQ(placed->width, 800);
    EXPECT_EQ(placed->height, 600);

    // Maximised, never stored, or the form storage's own placement only.
    EXPECT_FALSE(rect("3", "100,50,900,650"));
    EXPECT_FALSE(rect("0", "100,50,900,650"));
    EXPECT_FALSE(rect("1", "0"));
    // Malformed: never a failed start.
    for (std::string_view bad : {"abc", "1,2,3", "1,2,3,4,5", "1,2,x,4", "", "1,,3,4", "99999999999,0,1,1"})
        EXPECT_FALSE(rect("1", bad)) << bad;
    // Off the screen, or empty.
    EXPECT_FALSE(rect("1", "1024,0,1300,400"));
    EXPECT_FALSE(rect("1", "0,768,400,900"));
    EXPECT_FALSE(rect("1", "500,300,400,600"));
    EXPECT_FALSE(rect("1", "500,300,500,600"));
}

TEST(NormalWindowRect, ARectangleReachingPastTheScreenIsCutAtItsEdges) {
    const std::optional<WindowRect> wide = normalWindowRect("1", "-20, 100, 3000, 2000", 1024, 768);
    ASSERT_TRUE(wide);
    EXPECT_EQ(wide->left, 0);
    EXPECT_EQ(wide->top, 100);
    EXPECT_EQ(wide->width, 1024) << "the right edge is the screen's right edge";
    EXPECT_EQ(wide->height, 668);
    const std::optional<WindowRect> extreme = normalWindowRect("2", "-2147483648,0,2147483647,10", 1024, 768);
    ASSERT_TRUE(extreme);
    EXPECT_EQ(extreme->width, 1024);
    // A window left entirely above or beside the screen would never be seen.
    EXPECT_FALSE(normalWindowRect("1", "-900,-700,-100,-50", 1024, 768));
}

TEST(StartupChoices, TextsChooseTheirItemsAndAnythingElseNone) {
    EXPECT_EQ(processAreaItems(), (std::vector<std::string>{"2048", "1024", "512", "256", "128"}));
    EXPECT_EQ(processAreaItemForText("2048"), 0);
    EXPECT_EQ(processAreaItemForText("128"), 4);
    for (std::string_view other : {"", "64", "512 ", "4096"}) EXPECT_EQ(processAreaItemForText(other), -1);

    EXPECT_EQ(resampleMethodItemForText("Bell"), 0);
    EXPECT_EQ(resampleMethodItemForText("Mitchell"), 3);
    EXPECT_EQ(resampleMethodItemForText("lanczos"), -1);
}

TEST(StartupChoices, TheDefaultAlignmentBoxIsCentredOnTheOldPreview) {
    const std::vector<std::tuple<int, int, int, int>> cases{// item, N, left, top
                                                            {-1, 32, 160, 128},
                                                            {0, 32, 160, 128},
                                                            {2, 128, 112, 80},
                                                            {4, 512, -80, -112},
                                                            {9, 512, -80, -112}};
    for (const auto& [item, size, left, top] : cases) {
        const AlignmentBox box = startupAlignmentBox(item);
        EXPECT_EQ(box.size, size) << item;
        EXPECT_EQ(box.left, left) << item;
        EXPECT_EQ(box.top, top) << item;
    }
}

TEST(StartupChoices, LanguageFilesAreListedOnceByTheirShortName) {
    test::TempDir first;
    test::TempDir second;
    for (const auto& path :
         {first / "lang_fr.txt", first / "lang_de.txt", first / "lang_deu.txt", first / "Lang_es.txt",
          first / "lang_it.ini", second / "lang_de.txt", second / "lang_nl.txt"})
        std::ofstream(path) << "x";
    EXPECT_EQ(languageFileItems({first.path(), second.path(), first / "missing"}),
              (std::vector<std::string>{"lang_de", "lang_fr", "lang_nl"}));
}

}  // namespace
}  // namespace kestrave
