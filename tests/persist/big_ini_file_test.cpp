// The INI file held in memory: what survives a rewrite, when the file is (not) touched, how
// integers are read, how duplicate sections and a second file merge, and that a failed write is
// reported while the old file stays whole.

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

#include "persist/big_ini_file.h"
#include "platform/errors.h"
#include "platform/safe_file.h"
#include "support/temp_dir.h"

using namespace kestrave;
namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

namespace {

std::string fileText(const fs::path& path) {
    const std::vector<std::uint8_t> bytes = readWholeFile(path);
    return std::string(bytes.begin(), bytes.end());
}

// An old date, so that any rewrite shows in the modification time.
fs::file_time_type backdate(const fs::path& path) {
    const auto old = fs::file_time_type::clock::now() - std::chrono::hours(24 * 365 * 20);
    fs::last_write_time(path, old);
    return fs::last_write_time(path);
}

// "X" + 12 → "X12", the way per-frame keys are named.
std::string numbered(std::string_view prefix, int n) {
    return std::string(prefix).append(std::to_string(n));
}

Lines allLines(const TBigIniFile& ini) {
    Lines lines;
    ini.WriteAllToStrings(lines);
    return lines;
}

}  // namespace

TEST(BigIniFile, RewriteKeepsSectionLinesWholeAndDropsWhatPrecedesTheFirstHeader) {
    test::TempDir dir;
    const fs::path path = dir / "scheme.ini";
    const std::string longValue(600, 'v');
    writeFileAtomically(path,
                        "orphan=1\n; orphan comment\n"
                        "[Main]\r\n"
                        "; a comment\r\n"
                        "key = spaced\r\n"
                        "no equals sign\r\n"
                        "\r\n"
                        "Path=C:\\a=b\n"
                        "\x1A\n"
                        "[ Spaced ]\r"
                        "empty=\r"
                        "long=" +
                            longValue +
                            "\n"
                            "[Lonely]\n");
    {
        TBigIniFile ini(path);
        EXPECT_FALSE(ini.changed());
        EXPECT_EQ(ini.ReadString("main", "KEY ", "x"), " spaced");  // blanks belong to key and value
        EXPECT_EQ(ini.ReadString("Main", "key", "absent"), "absent");
        EXPECT_EQ(ini.ReadString("MAIN", "path", ""), "C:\\a=b");      // split at the first "="
        EXPECT_EQ(ini.ReadString(" spaced ", "empty", "d"), "");       // present but empty
        EXPECT_EQ(ini.ReadString("Spaced", "empty", "d"), "d");        // section names are not trimmed
        EXPECT_EQ(ini.ReadString(" Spaced ", "long", ""), longValue);  // long lines are kept whole
        EXPECT_EQ(ini.ReadString("Nowhere", "orphan", "d"), "d");

        Lines keys{"first"};
        ini.ReadSection("Main", keys);
        EXPECT_EQ(keys, (Lines{"first", "", "key ", "", "Path"}));  // a comment has no key
        Lines names{"stale"};
        ini.ReadSections(names);
        EXPECT_EQ(names, (Lines{"Main", " Spaced ", "Lonely"}));
        Lines values;
        ini.ReadSectionValues("main", values);
        EXPECT_EQ(values, (Lines{"; a comment", "key = spaced", "no equals sign", "Path=C:\\a=b"}));

        ini.WriteString("Added", "n", "1");
    }
    EXPECT_EQ(fileText(path),
              "[Main]\r\n; a comment\r\nkey = spaced\r\nno equals sign\r\nPath=C:\\a=b\r\n\r\n"
              "[ Spaced ]\r\nempty=\r\nlong=" +
                  longValue +
                  "\r\n\r\n"
                  "[Added]\r\nn=1\r\n\r\n");

    // What was written reads back to the same text.
    TBigIniFile again(path);
    again.WriteString("Added", "n", "2");
    again.WriteString("Added", "n", "1");
    Lines expected;
    TBigIniFile(path).WriteAllToStrings(expected);
    EXPECT_EQ(allLines(again), expected);
}

TEST(BigIniFile, SameValuesLeaveTheFileUntouchedAndAKeyInAnotherCaseIsRewritten) {
    test::TempDir dir;
    const fs::path path = dir / "project.ksp";
    {
        TBigIniFile ini(path);
        ini.WriteString("Input", "filetype", "AVI");
        ini.WriteInteger("Input", "alignpoints", 3);
        ini.WriteBool("Input", "resampled", true);
        ini.WriteString("IShifts", "Xa0", "4");
        ini.WriteString("Ishifts", "Ya0", "-2");  // the same section in another case
        ini.flush();
        EXPECT_FALSE(ini.changed());
    }
    const std::string written = fileText(path);
    EXPECT_EQ(written,
              "[Input]\r\nfiletype=AVI\r\nalignpoints=3\r\nresampled=1\r\n\r\n"
              "[IShifts]\r\nXa0=4\r\nYa0=-2\r\n\r\n");

    const auto oldTime = backdate(path);
    {
        TBigIniFile ini(path);
        ini.WriteString("INPUT", "filetype", "AVI");
        ini.WriteInteger("input", "alignpoints", 3);
        ini.WriteBool("Input", "resampled", true);
        ini.WriteString("ishifts", "Xa0", "4");
        ini.ReadString("Nowhere", "x", "");
        EXPECT_FALSE(ini.changed());
        ini.flush();
    }
    EXPECT_EQ(fs::last_write_time(path), oldTime);
    EXPECT_EQ(fileText(path), written);

    {
        TBigIniFile ini(path);
        ini.WriteString("Input", "Alignpoints", "3");
        EXPECT_TRUE(ini.changed());
        EXPECT_EQ(ini.ReadString("Input", "alignpoints", ""), "3");
        EXPECT_EQ(ini.ReadString("Input", "ALIGNPOINTS", ""), "3");
    }
    EXPECT_NE(fs::last_write_time(path), oldTime);
    EXPECT_NE(fileText(path).find("\r\nAlignpoints=3\r\n"), std::string::npos);
    EXPECT_EQ(fileText(path).find("alignpoints"), std::string::npos);
}

// Letters fold across the whole alphabet, its ends included; the characters next to the letter
// ranges do not.
TEST(BigIniFile, NamesFoldEveryLetterAndNothingBesideTheLetters) {
    test::TempDir dir;
    TBigIniFile ini(dir / "settings.ini");
    const struct {
        const char* written;
        const char* read;
        bool same;
    } names[] = {{"Zoom", "zOOM", true}, {"zx", "ZX", true},  {"Area", "aREA", true}, {"Mid", "mID", true},
                 {"@k", "`k", false},    {"[k", "{k", false}, {"Z", "[", false},      {"z", "{", false}};
    for (const auto& name : names) {
        // As a section name and as a key.
        ini.WriteString(name.written, "k", "1");
        ini.WriteString("Keys", name.written, "2");
        EXPECT_EQ(ini.ReadString(name.read, "k", "-"), name.same ? "1" : "-") << name.written;
        EXPECT_EQ(ini.ReadString("Keys", name.read, "-"), name.same ? "2" : "-") << name.written;
        ini.EraseSection(name.written);
        ini.EraseSection("Keys");
    }
}

TEST(BigIniFile, ReadIntegerAndReadBoolForms) {
    TBigIniFile ini("");
    const int def = 777;
    // clang-format off
    const struct {
        const char* text;
        int expected;
    } cases[] = {
        {"42", 42}, {"  42", 42}, {"\t-17", -17}, {"+5", 5}, {"007", 7},
        {"0x1F", 31}, {"0X1f", 31}, {"$1f", 31}, {" $10", 16}, {" 0x1F", def},
        {"0xFFFFFFFF", -1}, {"0x80000000", INT32_MIN}, {"0x7fffffff", INT32_MAX},
        {"2147483647", INT32_MAX}, {"-2147483648", INT32_MIN},
        {"2147483648", def}, {"-2147483649", def}, {"99999999999999999999", def}, {"0x123456789", def},
        {"42 ", def}, {"0x", def}, {"$", def}, {"1.5", def}, {"1,5", def}, {"", def}, {" ", def},
        {"-", def}, {"+-1", def}, {"-0x10", def}, {"0xg", def}, {"yes", def}, {"12a", def}};
    // clang-format on
    for (const auto& c : cases) {
        ini.WriteString("N", "v", c.text);
        EXPECT_EQ(ini.ReadInteger("N", "v", def), c.expected) << '"' << c.text << '"';
    }
    EXPECT_EQ(ini.ReadInteger("N", "absent", def), def);
    EXPECT_EQ(ini.ReadInteger("Absent", "v", -3), -3);

    ini.WriteInteger("N", "w", INT32_MIN);
    EXPECT_EQ(ini.ReadString("N", "w", ""), "-2147483648");
    EXPECT_EQ(ini.ReadInteger("N", "w", 0), INT32_MIN);

    for (const char* text : {"2", "-1", "1", "0x1"}) {
        ini.WriteString("B", "b", text);
        EXPECT_TRUE(ini.ReadBool("B", "b", false)) << text;
    }
    ini.WriteString("B", "b", "0");
    EXPECT_FALSE(ini.ReadBool("B", "b", true));
    ini.WriteString("B", "b", "yes");
    EXPECT_FALSE(ini.ReadBool("B", "b", false));
    EXPECT_TRUE(ini.ReadBool("B", "b", true));
    ini.WriteBool("B", "c", false);
    EXPECT_EQ(ini.ReadString("B", "c", ""), "0");
}

TEST(BigIniFile, DuplicateSectionsKeepTheFirstAndASecondFileAddsOnlyNewSections) {
    test::TempDir dir;
    const fs::path path = dir / "damaged.ini";
    writeFileAtomically(path, "[Info]\r\nD0=1\r\n[Ranking]\r\nRank0=5\r\n[INFO]\r\nD0=2\r\nQ0=3\r\n");
    const auto oldTime = backdate(path);
    {
        TBigIniFile ini(path);
        EXPECT_FALSE(ini.changed());  // the load's own clean-up is no reason to rewrite
        EXPECT_EQ(ini.ReadString("info", "D0", ""), "1");
        EXPECT_EQ(ini.ReadString("info", "Q0", "none"), "none");
        Lines names;
        ini.ReadSections(names);
        EXPECT_EQ(names, (Lines{"Info", "Ranking"}));
    }
    EXPECT_EQ(fs::last_write_time(path), oldTime);

    // A second file: a section already known adds none of its keys (and marks the object
    // changed, as the file now differs from memory); new sections go to the end, in order, and
    // keep their own duplicates out too.
    const fs::path form = dir / "savetempor.ini";
    writeFileAtomically(form,
                        "[ranking]\nRank0=9\nRank1=8\n[Form]\nShowCmd=3\n[Extra]\na=1\n[FORM]\nShowCmd=1\n");
    {
        TBigIniFile ini(path);
        ini.LoadFromFile(dir / "missing.ini");  // nothing to add, nothing changes
        EXPECT_FALSE(ini.changed());
        ini.LoadFromFile(form);
        EXPECT_TRUE(ini.changed());
        EXPECT_EQ(ini.ReadString("Ranking", "Rank0", ""), "5");
        EXPECT_EQ(ini.ReadString("Ranking", "Rank1", "none"), "none");
        EXPECT_EQ(ini.ReadString("form", "ShowCmd", ""), "3");
        ini.flush();
    }
    EXPECT_EQ(fileText(path),
              "[Info]\r\nD0=1\r\n\r\n[Ranking]\r\nRank0=5\r\n\r\n[Form]\r\nShowCmd=3\r\n\r\n[Extra]\r\na="
              "1\r\n\r\n");
}

TEST(BigIniFile, EraseDeleteAndTheEmptyIdentForms) {
    test::TempDir dir;
    const fs::path path = dir / "points.kap";
    TBigIniFile ini(path);
    ini.WriteString("A", "k", "1");
    ini.WriteString("B", "k", "2");
    ini.WriteString("C", "k", "3");
    ini.WriteString("", "", "");  // an explicit flush
    EXPECT_FALSE(ini.changed());
    EXPECT_EQ(fileText(path), "[A]\r\nk=1\r\n\r\n[B]\r\nk=2\r\n\r\n[C]\r\nk=3\r\n\r\n");

    ini.WriteString("b", "", "anything");  // an empty ident erases the section
    EXPECT_TRUE(ini.changed());
    EXPECT_EQ(ini.ReadString("B", "k", "gone"), "gone");
    ini.EraseSection("Absent");
    ini.DeleteKey("C", "K");
    ini.DeleteKey("New", "x");  // creates an empty section that is never written
    Lines names;
    ini.ReadSections(names);
    EXPECT_EQ(names, (Lines{"A", "C", "New"}));
    // Sections found after an erase are the right ones, whatever the searches remembered.
    ini.WriteString("c", "j", "4");
    EXPECT_EQ(ini.ReadString("A", "k", ""), "1");
    EXPECT_EQ(ini.ReadString("C", "j", ""), "4");
    ini.WriteString("", "", "");
    EXPECT_EQ(fileText(path), "[A]\r\nk=1\r\n\r\n[C]\r\nj=4\r\n\r\n");

    // Deleting a key that is not there changes nothing.
    ini.DeleteKey("A", "missing");
    EXPECT_FALSE(ini.changed());
}

TEST(BigIniFile, LargeSectionsFindTheFirstMatchingKeyAfterEdits) {
    // Project files hold tens of thousands of keys in one section.
    TBigIniFile ini("");
    const int frames = 40000;
    for (int i = 0; i < frames; ++i) {
        ini.WriteInteger("Shifts1", numbered("X", i), i);
        ini.WriteInteger("Shifts1", numbered("Y", i), -i);
    }
    for (int i = 0; i < frames; i += 997) {
        EXPECT_EQ(ini.ReadInteger("shifts1", numbered("x", i), 1), i);
        EXPECT_EQ(ini.ReadInteger("SHIFTS1", numbered("Y", i), 1), -i);
    }
    ini.DeleteKey("Shifts1", "X5");
    EXPECT_EQ(ini.ReadInteger("Shifts1", "X5", -99), -99);
    EXPECT_EQ(ini.ReadInteger("Shifts1", "X6", -99), 6);
    ini.WriteString("Shifts1", "x5", "55");
    Lines values;
    ini.ReadSectionValues("Shifts1", values);
    ASSERT_EQ(values.size(), 2u * frames);
    EXPECT_EQ(values.back(), "x5=55");
    EXPECT_EQ(values[10], "Y5=-5");

    // With the same key twice in a section, the first line is the one read and rewritten.
    test::TempDir dir;
    std::string text = "[S]\n";
    for (int i = 0; i < 100; ++i)
        text.append(numbered("k", i)).append("=").append(std::to_string(i)).append("\n");
    text += "K7=second\n";
    writeFileAtomically(dir / "dup.ini", text);
    TBigIniFile dup(dir / "dup.ini");
    EXPECT_EQ(dup.ReadString("S", "k7", ""), "7");
    dup.WriteString("S", "k7", "changed");
    Lines lines;
    dup.ReadSectionValues("S", lines);
    EXPECT_EQ(lines[7], "k7=changed");
    EXPECT_EQ(lines.back(), "K7=second");
}

TEST(BigIniFile, NamesCompareWithoutCaseBeyondAscii) {
    TBigIniFile ini("");
    ini.WriteString("Ärger", "Größe", "1");
    EXPECT_EQ(ini.ReadString("ärger", "GRÖSSE", "none"), "none");  // no expansion of ß
    EXPECT_EQ(ini.ReadString("ÄRGER", "gröSSe", "none"), "none");
    EXPECT_EQ(ini.ReadString("äRGER", "GRößE", ""), "1");
    ini.WriteString("ΣΟΦΊΑ", "Ключ", "2");
    EXPECT_EQ(ini.ReadString("σοφία", "КЛЮЧ", ""), "2");
    // Bytes that are not UTF-8 match only themselves.
    ini.WriteString("S", "a\xC3", "3");
    ini.WriteString("S", "a\xE3", "4");
    EXPECT_EQ(ini.ReadString("s", "A\xC3", ""), "3");
    EXPECT_EQ(ini.ReadString("s", "A\xE3", ""), "4");
    Lines names;
    ini.ReadSections(names);
    EXPECT_EQ(names, (Lines{"Ärger", "ΣΟΦΊΑ", "S"}));
}

TEST(BigIniFile, TextThatCouldNotBeReadBackAsOneLineIsRefused) {
    TBigIniFile ini("");
    ini.WriteString("Input", "im0", "frame.bmp");
    const struct {
        const char* section;
        const char* ident;
        const char* value;
    } refused[] = {{"Input", "im0", "a\nb"},
                   {"Input", "im1", "x\r[Ranking]"},
                   {"In\nput", "k", "v"},
                   {"Input", "a=b", "c"},
                   {"Input", "[k", "v]"}};
    for (const auto& r : refused)
        EXPECT_THROW(ini.WriteString(r.section, r.ident, r.value), KestraveError) << r.ident;
    EXPECT_EQ(ini.ReadString("Input", "im0", ""), "frame.bmp");
    EXPECT_EQ(allLines(ini), (Lines{"[Input]", "im0=frame.bmp", ""}));
}

TEST(BigIniFile, FailedWriteIsReportedAndTheOldFileStaysWhole) {
    test::TempDir dir;
    const fs::path path = dir / "project.ksp";
    {
        TBigIniFile ini(path);
        ini.WriteString("Input", "filetype", "SER");
    }
    const std::string old = fileText(path);

    // A full disk: no file may grow past a few bytes, so the new content cannot be written.
    // (This holds for root as well, unlike a read-only folder.)
    {
        TBigIniFile ini(path);
        ini.WriteString("Input", "filedir", std::string(4000, 'd'));
        rlimit saved{};
        ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
        rlimit small = saved;
        small.rlim_cur = 64;
        const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
        std::string reported;
        try {
            ini.flush();
        } catch (const FileError& error) {
            reported = error.what();
        }
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previousHandler);

        EXPECT_NE(reported.find(path.string()), std::string::npos) << reported;
        EXPECT_EQ(fileText(path), old);
        EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator{}), 1);
        // The change is still pending and is written once writing works again.
        EXPECT_TRUE(ini.changed());
        ini.flush();
        EXPECT_EQ(ini.ReadString("Input", "filedir", "").size(), 4000u);
    }
    EXPECT_NE(fileText(path).find(std::string(4000, 'd')), std::string::npos);

    // A folder that can never exist (its parent is a regular file), and a folder standing where
    // the file should be: flush reports, the destructor only logs.
    const fs::path blocked = path / "sub" / "x.ini";
    const fs::path directory = dir / "occupied.ini";
    EXPECT_NO_THROW({
        TBigIniFile ini(blocked);
        ini.WriteString("S", "k", "v");
        EXPECT_THROW(ini.flush(), FileError);
        TBigIniFile occupant(directory);
        occupant.WriteString("S", "k", "v");
        fs::create_directory(directory);
        writeFileAtomically(directory / "inside", "kept");
        EXPECT_THROW(occupant.flush(), FileError);
    });
    EXPECT_EQ(fileText(directory / "inside"), "kept");
}
