#include "widgets/version_label.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

#include <array>

namespace kestrave {

namespace {

struct ResourceName {
    const char* key;
    const char* prefix;
};

constexpr std::array<ResourceName, 13> ResourceNames{{
    {"CompanyName", "Company Name:"},
    {"FileDescription", "File Description:"},
    {"FileVersion", "File Version:"},
    {"InternalName", "Internal Name:"},
    {"LegalCopyright", "Legal Copyright:"},
    {"OriginalFilename", "Original Filename:"},
    {"ProductName", "Product Name:"},
    {"ProductVersion", "Product Version:"},
    {"Comments", "Comments:"},
    {"Flags", "Flags:"},
    {"FileVersion", "v"},
    {"DateTime", "File Date/Time:"},
    {"Filesize", "File Size:"},
}};

// The string table compiled into this program.
QString ownVersionString(const QString& key) {
    if (key == "FileVersion" || key == "ProductVersion") return KESTRAVE_VERSION;
    if (key == "ProductName" || key == "InternalName") return "Kestrave";
    return {};
}

}  // namespace

QString shortFileVersion(const QString& version) {
    const QStringList parts = version.split('.');
    const int major = parts.value(0).toInt();
    const int minor = parts.value(1).toInt();
    return QString("%1.%2").arg(major).arg(minor, 2, 10, QChar('0'));
}

QString versionFlagsText(unsigned flags) {
    static const std::array<const char*, 6> names{", Debug Build",   ", Pre-Release Build",
                                                  ", Patched Build", ", Private Build",
                                                  ", InfoInferred",  ", Special Build"};
    QString text;
    for (std::size_t bit = 0; bit < names.size(); ++bit)
        if (flags & (1u << bit)) text += names[bit];
    return text.mid(2);
}

QString versionResourceValue(TfshVersionLabel::TVersionResource resource, const QString& key,
                             const QString& file, bool ownFile, const QString& dateTimeFormat) {
    using R = TfshVersionLabel;
    if (resource == R::vrDateTime || resource == R::vrFileSize) {
        QFile handle(file);
        if (!handle.open(QIODevice::ReadOnly)) return "<Error getting file handle>";
        if (resource == R::vrFileSize) return QLocale(QLocale::English).toString(handle.size()) + " Bytes";
        const QDateTime written = QFileInfo(file).lastModified();
        return dateTimeFormat.isEmpty() ? QLocale().toString(written.date(), QLocale::ShortFormat)
                                        : written.toString(dateTimeFormat);
    }
    if (!ownFile) return "< No Data Available >";
    if (resource == R::vrFlags) {
#ifdef NDEBUG
        return versionFlagsText(0);
#else
        return versionFlagsText(1);
#endif
    }
    const QString value = ownVersionString(key);
    if (value.isEmpty()) return "< Error retrieving string version info >";
    if (value.size() < 2) return "< No Version Info >";
    return resource == R::vrShortFileVersion ? shortFileVersion(value) : value;
}

TfshVersionLabel::TfshVersionLabel(QWidget* parent) : QLabel(parent) {
    setWordWrap(false);
    setTextFormat(Qt::PlainText);
    setVersionResource(vrFileVersion);
}

void TfshVersionLabel::setVersionResource(TVersionResource resource) {
    resource_ = resource;
    key_ = ResourceNames[resource].key;
    prefix_ = ResourceNames[resource].prefix;
    refresh();
}

void TfshVersionLabel::setVersionResourceKey(const QString& key) {
    key_ = prefix_ = key;
    refresh();
}

void TfshVersionLabel::setInfoPrefix(const QString& prefix) {
    prefix_ = prefix;
    refresh();
}

void TfshVersionLabel::setShowInfoPrefix(bool show) {
    showPrefix_ = show;
    refresh();
}

void TfshVersionLabel::setFilename(const QString& filename) {
    filename_ = filename;
    refresh();
}

void TfshVersionLabel::setDateTimeFormat(const QString& format) {
    dateTimeFormat_ = format;
    refresh();
}

void TfshVersionLabel::refresh() {
    const bool own = filename_.isEmpty();
    const QString file = own ? QCoreApplication::applicationFilePath() : filename_;
    const QString value = versionResourceValue(resource_, key_, file, own, dateTimeFormat_);
    setText(showPrefix_ ? prefix_ + " " + value : value);
}

}  // namespace kestrave
