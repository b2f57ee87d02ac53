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
    // The language in the low ten bits, its country variant above them: German of Germany is
    // 0407, German of Austria 0C07. Languages and variants not known here have no identifier of
    // their own and read the "Default" texts.
    struct Language {
        QLocale::Language language;
        int primary;
        std::initializer_list<QLocale::Territory> variants;  // variant 1, 2, ...
    };
    static const Language Languages[] = {
        {QLocale::Danish, 0x06, {QLocale::Denmark}},
        {QLocale::German,
         0x07,
         {QLocale::Germany, QLocale::Switzerland, QLocale::Austria, QLocale::Luxembourg,
          QLocale::Liechtenstein}},
        {QLocale::English,
         0x09,
         {QLocale::UnitedStates, QLocale::UnitedKingdom, QLocale::Australia, QLocale::Canada,
          QLocale::NewZealand, QLocale::Ireland}},
        {QLocale::French,
         0x0C,
         {QLocale::France, QLocale::Belgium, QLocale::Canada, QLocale::Switzerland, QLocale::Luxembourg}},
        {QLocale::Dutch, 0x13, {QLocale::Netherlands, QLocale::Belgium}},
    };
    for (const Language& known : Languages) {
        if (known.language != locale.language()) continue;
        int variant = 1;
        for (const QLocale::Territory territory : known.variants) {
            if (territory == locale.territory())
                return QStringLiteral("%1")
                    .arg(variant << 10 | known.primary, 4, 16, QLatin1Char('0'))
                    .toUpper();
            ++variant;
        }
    }
    return QStringLiteral("Default");
}

}  // namespace kestrave
