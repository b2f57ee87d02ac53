#include "widgets/version_label.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

#include <array>
#include <cmath>

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

QString formatNumber(double value, const QString& format, const QLocale& locale) {
    // The text around the digit places, and the places themselves.
    QString before, after, places;
    QChar quote;
    for (const QChar c : format) {
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
            else
                (places.isEmpty() ? before : after) += c;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '#' || c == '0' || c == ',' || c == '.') {
            places += c;
        } else {
            (places.isEmpty() ? before : after) += c;
        }
    }
    const qsizetype point = places.indexOf('.');
    const QString whole = point < 0 ? places : places.left(point);
    const QString fraction = point < 0 ? QString() : places.mid(point + 1);
    const int decimals = static_cast<int>(fraction.count('0') + fraction.count('#'));
    QLocale numbers = locale;
    numbers.setNumberOptions(whole.contains(',') ? QLocale::DefaultNumberOptions
                                                 : QLocale::OmitGroupSeparator);
    QString text = numbers.toString(value, 'f', decimals);
    // Optional decimal places drop their trailing zeros.
    for (int optional = static_cast<int>(fraction.count('#')); optional > 0 && text.endsWith('0'); --optional)
        text.chop(1);
    if (text.endsWith(locale.decimalPoint())) text.chop(locale.decimalPoint().size());
    // A whole part of 0 shows only when the format asks for a digit there.
    if (!whole.contains('0') && std::abs(value) < 1) {
        if (text.startsWith('0')) text.remove(0, 1);
        if (text.startsWith("-0")) text.remove(1, 1);
    }
    return before + text + after;
}

QString versionResourceValue(TfshVersionLabel::TVersionResource resource, const QString& key,
                             const QString& file, bool ownFile, const QString& dateTimeFormat,
                             const QString& fileSizeFormat) {
    using R = TfshVersionLabel;
    if (resource == R::vrDateTime || resource == R::vrFileSize) {
        QFile handle(file);
        if (!handle.open(QIODevice::ReadOnly)) return "<Error getting file handle>";
        if (resource == R::vrFileSize)
            return formatNumber(static_cast<double>(handle.size()), fileSizeFormat, QLocale());
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

void TfshVersionLabel::setFileSizeFormat(const QString& format) {
    fileSizeFormat_ = format;
    refresh();
}

void TfshVersionLabel::refresh() {
    const bool own = filename_.isEmpty();
    const QString file = own ? QCoreApplication::applicationFilePath() : filename_;
    const QString value = versionResourceValue(resource_, key_, file, own, dateTimeFormat_, fileSizeFormat_);
    setText(showPrefix_ ? prefix_ + " " + value : value);
}

}  // namespace kestrave
