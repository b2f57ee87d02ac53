#pragma once
// A label showing one value of a program file's version information: the version compiled into
// this program, or the file's date or size. A file without version information shows
// "< No Data Available >". The text is recomputed whenever a property changes.

#include <QLabel>
#include <QLocale>

namespace kestrave {

class TfshVersionLabel : public QLabel {
    Q_OBJECT
    Q_PROPERTY(TVersionResource VersionResource READ VersionResource WRITE setVersionResource)
    Q_PROPERTY(QString VersionResourceKey READ VersionResourceKey WRITE setVersionResourceKey)
    Q_PROPERTY(QString InfoPrefix READ InfoPrefix WRITE setInfoPrefix)
    Q_PROPERTY(bool ShowInfoPrefix READ ShowInfoPrefix WRITE setShowInfoPrefix)
    Q_PROPERTY(QString Filename READ Filename WRITE setFilename)
    Q_PROPERTY(QString DateTimeFormat READ DateTimeFormat WRITE setDateTimeFormat)
    Q_PROPERTY(QString FileSizeFormat READ FileSizeFormat WRITE setFileSizeFormat)
    Q_PROPERTY(QString InfoString READ InfoString)

public:
    enum TVersionResource {
        vrCompanyName,
        vrFileDescription,
        vrFileVersion,
        vrInternalName,
        vrLegalCopyright,
        vrOriginalFilename,
        vrProductName,
        vrProductVersion,
        vrComments,
        vrFlags,
        vrShortFileVersion,
        vrDateTime,
        vrFileSize,
    };
    Q_ENUM(TVersionResource)

    explicit TfshVersionLabel(QWidget* parent = nullptr);

    TVersionResource VersionResource() const { return resource_; }
    // Also sets the key and the prefix that belong to the value.
    void setVersionResource(TVersionResource resource);
    QString VersionResourceKey() const { return key_; }
    // Also writes the prefix with the same text (a prefix written afterwards replaces it).
    void setVersionResourceKey(const QString& key);
    QString InfoPrefix() const { return prefix_; }
    void setInfoPrefix(const QString& prefix);
    bool ShowInfoPrefix() const { return showPrefix_; }
    void setShowInfoPrefix(bool show);
    // The file whose information is shown; empty means this program's own file.
    QString Filename() const { return filename_; }
    void setFilename(const QString& filename);
    QString DateTimeFormat() const { return dateTimeFormat_; }
    void setDateTimeFormat(const QString& format);
    // The number format of the file size: digit places ("0" always shown, "#" when needed), ","
    // for thousands groups, "." for decimals, quoted text as it is.
    QString FileSizeFormat() const { return fileSizeFormat_; }
    void setFileSizeFormat(const QString& format);
    QString InfoString() const { return text(); }

private:
    void refresh();

    TVersionResource resource_ = vrFileVersion;
    QString key_;
    QString prefix_;
    bool showPrefix_ = true;
    QString filename_;
    QString dateTimeFormat_;
    QString fileSizeFormat_ = QStringLiteral("#,#0\" Bytes\"");
};

// `value` written by a number format of FileSizeFormat's kind, with the locale's group and
// decimal separators.
QString formatNumber(double value, const QString& format, const QLocale& locale);

// Major and minor of a dotted version as "%d.%.2d": "4.1.0.12" gives "4.01".
QString shortFileVersion(const QString& version);
// The names of the set flags of a file's fixed version information (debug 1, pre-release 2,
// patched 4, private 8, info inferred 16, special 32), in that order, joined by ", ".
QString versionFlagsText(unsigned flags);

// The value shown for `resource` of `file` (this program's own when `ownFile` is set): the
// version texts come from the version compiled in, which holds file and product version and
// name and no flags; "%d.%.2d" for the short file version ("4.1.0.12" shows "4.01").
QString versionResourceValue(TfshVersionLabel::TVersionResource resource, const QString& key,
                             const QString& file, bool ownFile, const QString& dateTimeFormat,
                             const QString& fileSizeFormat);

}  // namespace kestrave
