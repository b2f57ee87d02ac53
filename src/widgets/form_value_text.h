#pragma once
// How the form storage turns a control property's value into the text of an INI key and back.
//
//   integer            decimal
//   character          the one character
//   enumeration        the value's name ("True", "False" for Booleans); read without case
//   floating point     general format with 7 (single) or 15 (double) significant digits and
//                      always "." as the separator, whatever the locale
//   string             as is
//   set (Qt flags)     "[" + member names joined by "," + "]"
//
// Stored texts are trimmed on reading. An integer text that is no number of the property's type
// reads as 0; any other text that does not fit its kind is no value: the property then keeps the
// value it has.

#include <QMetaEnum>
#include <QMetaType>
#include <QString>
#include <QVariant>
#include <optional>

namespace kestrave {

enum class StoredKind { None, Integer, Character, Enumeration, Boolean, Float, String, Set };

// The kind of a property value and what its text needs: the enumeration's names, the digits of a
// floating-point type, the Qt type to convert a parsed value to.
struct StoredValueType {
    StoredKind kind = StoredKind::None;
    QMetaType metaType;
    QMetaEnum enumerator;  // enumerations and sets
    int floatDigits = 15;

    // Strings and characters are written even when their text is empty.
    bool writesEmptyText() const { return kind == StoredKind::String || kind == StoredKind::Character; }
};

// The value type of a Qt type without enumeration (integers, floats, Booleans, characters,
// strings); None for everything else.
StoredValueType storedValueType(QMetaType type);
// The value type of an enumeration or flags type.
StoredValueType storedValueType(QMetaType type, const QMetaEnum& enumerator);

// General format: fixed-point unless the decimal exponent exceeds the digits or the value is
// below 0.0001, then d.dddE±n; trailing zeros dropped. 0.1 with 15 digits is "0.1", 1e20 "1E20".
QString floatText(double value, int digits);
// Decimal or exponent notation with "."; blanks around it are ignored.
std::optional<double> parseFloatText(QStringView text);
std::optional<qlonglong> parseIntegerText(QStringView text);

// The text of a value of the type.
QString valueToText(const QVariant& value, const StoredValueType& type);
// The value that a (trimmed) text stands for, converted to the type; nullopt when the text is no
// value of the type.
std::optional<QVariant> valueFromText(const QString& text, const StoredValueType& type);

}  // namespace kestrave
