// The version label's text: the version compiled in, the file's date, and the texts of files
// without version information or that cannot be read.

#include <gtest/gtest.h>

#include <QDateTime>
#include <QFile>

#include <fstream>

#include "support/qt_test_application.h"
#include "support/temp_dir.h"
#include "widgets/version_label.h"

namespace kestrave {
namespace {

TEST(VersionLabel, ShowsTheChosenValueWithItsPrefix) {
    test::app();
    test::TempDir dir;
    const QString other = QString::fromStdString((dir / "frame.bmp").string());
    std::ofstream(other.toStdString()) << std::string(1234, 'x');
    const QDateTime written(QDate(2026, 3, 4), QTime(5, 6));
    {
        QFile file(other);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(written, QFileDevice::FileModificationTime));
    }
    const QString missing = QString::fromStdString((dir / "missing.exe").string());

    using R = TfshVersionLabel;
    struct Case {
        R::TVersionResource resource;
        QString file;
        bool showPrefix;
        QString text;
    };
    const Case cases[] = {
        {R::vrFileVersion, {}, true, "File Version: " KESTRAVE_VERSION},
        {R::vrFileVersion, {}, false, KESTRAVE_VERSION},
        {R::vrShortFileVersion, {}, true, "v " + shortFileVersion(KESTRAVE_VERSION)},
        {R::vrCompanyName, {}, true, "Company Name: < Error retrieving string version info >"},
        {R::vrFileVersion, other, true, "File Version: < No Data Available >"},
        {R::vrFileVersion, other, false, "< No Data Available >"},
        {R::vrDateTime, other, false, "04-03-2026 05:06"},
        {R::vrFileSize, other, true, "File Size: 1,234 Bytes"},
        {R::vrDateTime, missing, true, "File Date/Time: <Error getting file handle>"},
    };
    for (const Case& c : cases) {
        TfshVersionLabel label;
        label.setDateTimeFormat("dd-MM-yyyy hh:mm");
        label.setVersionResource(c.resource);
        label.setFilename(c.file);
        label.setShowInfoPrefix(c.showPrefix);
        EXPECT_EQ(label.text(), c.text) << int(c.resource) << " " << c.file.toStdString();
        EXPECT_EQ(label.InfoString(), label.text());
    }
    // The size's format, with the locale's separators.
    EXPECT_EQ(formatNumber(1234567, "#,#0\" Bytes\"", QLocale(QLocale::German)), "1.234.567 Bytes");
    EXPECT_EQ(formatNumber(0.5, "#.##", QLocale(QLocale::German)), ",5");
}

TEST(VersionLabel, TheShortVersionIsMajorDotTwoDigitMinor) {
    EXPECT_EQ(shortFileVersion("4.1.0.12"), "4.01");
    EXPECT_EQ(shortFileVersion("10.12"), "10.12");
    EXPECT_EQ(shortFileVersion("4"), "4.00");
}

TEST(VersionLabel, AKeyWrittenAlsoBecomesThePrefixUntilAPrefixIsWritten) {
    test::app();
    TfshVersionLabel label;
    label.setVersionResourceKey("ProductName");
    EXPECT_EQ(label.text(), "ProductName Kestrave");
    label.setInfoPrefix("Product:");
    EXPECT_EQ(label.text(), "Product: Kestrave");
}

TEST(VersionLabel, FlagsAreNamedInBitOrderWithoutALeadingComma) {
    EXPECT_EQ(versionFlagsText(0), "");
    EXPECT_EQ(versionFlagsText(1 | 4 | 32), "Debug Build, Patched Build, Special Build");
    EXPECT_EQ(versionFlagsText(2 | 8 | 16), "Pre-Release Build, Private Build, InfoInferred");
}

}  // namespace
}  // namespace kestrave
