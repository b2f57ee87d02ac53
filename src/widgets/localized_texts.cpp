#include "widgets/localized_texts.h"

namespace kestrave {

namespace {

// The name and the value of an entry "name=value"; an entry without "=" is a name alone.
QString entryName(const QString& entry) {
    return entry.section('=', 0, 0);
}

QString entryValue(const QString& entry) {
    const qsizetype equals = entry.indexOf('=');
    return equals < 0 ? QString() : entry.mid(equals + 1);
}

}  // namespace

QString localizedText(const TLocalizedTexts& texts, const QString& languageId) {
    if (texts.isEmpty()) return {};
    for (const QString& name : {languageId, QStringLiteral("Default")})
        for (const QString& entry : texts)
            if (entryName(entry).compare(name, Qt::CaseInsensitive) == 0) return entryValue(entry);
    return entryValue(texts.front());
}

QString languageIdOf(const QLocale& locale) {
    switch (locale.language()) {
        case QLocale::Danish:
            return QStringLiteral("0406");
        case QLocale::German:
            return QStringLiteral("0407");
        case QLocale::English:
            return locale.territory() == QLocale::UnitedStates ? QStringLiteral("0409")
                                                               : QStringLiteral("Default");
        case QLocale::French:
            return QStringLiteral("040C");
        case QLocale::Dutch:
            return QStringLiteral("0413");
        default:
            return QStringLiteral("Default");
    }
}

}  // namespace kestrave
