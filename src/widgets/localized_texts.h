#pragma once
// Texts kept in several languages by a component: one entry "name=value" per language, the name
// "Default" or a language identifier of four hexadecimal digits ("0407" German, "040C" French).

#include <QLocale>
#include <QString>
#include <QStringList>

namespace kestrave {

using TLocalizedTexts = QStringList;

// The value under `languageId`; else the value under "Default"; else the first entry's value.
// An empty list gives an empty text.
QString localizedText(const TLocalizedTexts& texts, const QString& languageId);

// The locale's language identifier, four upper-case hexadecimal digits: "0406" Danish, "0407"
// German, "0409" English, "040C" French and "0413" Dutch of their home countries, "0807" German of
// Switzerland and so on; "Default" for a language or country without one here.
QString languageIdOf(const QLocale& locale);

}  // namespace kestrave
