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

// The identifier under which the components keep texts of the locale's language: "0406" Danish,
// "0407" German, "0409" English of the United States, "040C" French, "0413" Dutch; "Default" for
// every other.
QString languageIdOf(const QLocale& locale);

}  // namespace kestrave
