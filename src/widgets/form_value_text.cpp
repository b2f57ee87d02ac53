#include "widgets/form_value_text.h"

#include <QLocale>
#include <QStringList>
#include <charconv>
#include <cmath>
#include <string>

#include "widgets/component_text.h"

namespace kestrave {

namespace {

// Significant digits of the two floating-point types.
constexpr int SingleDigits = 7;
constexpr int DoubleDigits = 15;
// Below 0.0001 (a decimal point position under -3) the general format turns to exponent notation.
constexpr int LowestFixedPoint = -3;

// The trimmed text as plain characters, without a leading "+"; nullopt when it holds anything
// beyond ASCII.
std::optional<std::string> numberChars(QStringView text) {
    QString trimmed = text.trimmed().toString();
    if (trimmed.startsWith(QLatin1Char('+'))) trimmed.remove(0, 1);
    for (const QChar c : trimmed) {
        if (c.unicode() > 0x7F) return std::nullopt;
    }
    return trimmed.toStdString();
}

template <class Number>
std::optional<Number> parseWhole(QStringView text) {
    const std::optional<std::string> chars = numberChars(text);
    if (!chars || chars->empty()) return std::nullopt;
    Number value{};
    const char* end = chars->data() + chars->size();
    const auto [stop, ec] = std::from_chars(chars->data(), end, value);
    if (ec != std::errc() || stop != end) return std::nullopt;
    return value;
}

// The value converted to the type, when it fits there unchanged.
std::optional<QVariant> fitted(QVariant value, QMetaType type) {
    const QVariant original = value;
    if (!value.convert(type)) return std::nullopt;
    QVariant back = value;
    if (!back.convert(original.metaType()) || back != original) return std::nullopt;
    return value;
}

bool isSingleBit(int value) {
    return value != 0 && (value & (value - 1)) == 0;
}

// The value of the enumeration key spelled as `name` without regard to case.
std::optional<int> enumValue(const QMetaEnum& enumerator, QStringView name) {
    for (int i = 0; i < enumerator.keyCount(); ++i) {
        if (name.compare(QLatin1String(enumerator.key(i)), Qt::CaseInsensitive) == 0)
            return enumerator.value(i);
    }
    return std::nullopt;
}

}  // namespace

StoredValueType storedValueType(QMetaType type) {
    StoredValueType result;
    result.metaType = type;
    switch (type.id()) {
        case QMetaType::Bool:
            result.kind = StoredKind::Boolean;
            break;
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::Long:
        case QMetaType::ULong:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
        case QMetaType::Short:
        case QMetaType::UShort:
        case QMetaType::SChar:
        case QMetaType::UChar:
            result.kind = StoredKind::Integer;
            break;
        case QMetaType::QChar:
        case QMetaType::Char:
            result.kind = StoredKind::Character;
            break;
        case QMetaType::Float:
            result.kind = StoredKind::Float;
            result.floatDigits = SingleDigits;
            break;
        case QMetaType::Double:
            result.kind = StoredKind::Float;
            result.floatDigits = DoubleDigits;
            break;
        case QMetaType::QString:
            result.kind = StoredKind::String;
            break;
        default:
            break;
    }
    return result;
}

StoredValueType storedValueType(QMetaType type, const QMetaEnum& enumerator) {
    StoredValueType result;
    result.metaType = type;
    result.enumerator = enumerator;
    result.kind = enumerator.isFlag() ? StoredKind::Set : StoredKind::Enumeration;
    return result;
}

namespace {

// The general format with the locale's decimal separator, as the number is shown to the user.
std::string generalFormat(double value, int digits, const std::string& decimalPoint) {
    if (std::isnan(value)) return "NAN";
    if (std::isinf(value)) return value > 0 ? "INF" : "-INF";
    if (value == 0.0) return "0";

    // d.ddd…e±xx with the digits rounded once, then laid out anew.
    char buffer[64];
    const auto written =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, digits - 1);
    std::string_view text(buffer, static_cast<std::size_t>(written.ptr - buffer));
    const bool negative = text.front() == '-';
    if (negative) text.remove_prefix(1);
    const std::size_t e = text.find('e');
    std::string mantissa;
    for (const char c : text.substr(0, e)) {
        if (c != '.') mantissa += c;
    }
    while (mantissa.size() > 1 && mantissa.back() == '0') mantissa.pop_back();
    int exponent = 0;
    const std::string_view exponentText = text.substr(e + 1);
    std::from_chars(exponentText.data() + (exponentText.front() == '+' ? 1 : 0),
                    exponentText.data() + exponentText.size(), exponent);

    // The number of digits before the decimal point.
    const int point = exponent + 1;
    const auto count = [](int n) { return static_cast<std::size_t>(n); };
    std::string out = negative ? "-" : "";
    if (point > digits || point < LowestFixedPoint) {
        out += mantissa.front();
        if (mantissa.size() > 1) out.append(decimalPoint).append(mantissa, 1);
        out.append(1, 'E').append(std::to_string(exponent));
    } else if (point <= 0) {
        out.append("0").append(decimalPoint).append(count(-point), '0').append(mantissa);
    } else if (count(point) >= mantissa.size()) {
        out.append(mantissa).append(count(point) - mantissa.size(), '0');
    } else {
        out.append(mantissa, 0, count(point)).append(decimalPoint).append(mantissa, count(point));
    }
    return out;
}

}  // namespace

QString floatText(double value, int digits) {
    // The file always holds a point, whatever the locale writes.
    const std::string decimalPoint = QLocale().decimalPoint().toStdString();
    return QString::fromStdString(ReplaceStr(generalFormat(value, digits, decimalPoint), decimalPoint, "."));
}

std::optional<double> parseFloatText(QStringView text) {
    return parseWhole<double>(text);
}

std::optional<qlonglong> parseIntegerText(QStringView text) {
    return parseWhole<qlonglong>(text);
}

QString valueToText(const QVariant& value, const StoredValueType& type) {
    switch (type.kind) {
        case StoredKind::Integer:
            return value.toString();
        case StoredKind::Character:
            return value.toString().left(1);
        case StoredKind::Boolean:
            return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
        case StoredKind::Enumeration:
            return QString::fromLatin1(type.enumerator.valueToKey(value.toInt()));
        case StoredKind::Float:
            return floatText(value.toDouble(), type.floatDigits);
        case StoredKind::String:
            return value.toString();
        case StoredKind::Set: {
            const int bits = value.toInt();
            QStringList members;
            for (int i = 0; i < type.enumerator.keyCount(); ++i) {
                const int member = type.enumerator.value(i);
                if (isSingleBit(member) && (bits & member) == member)
                    members << QString::fromLatin1(type.enumerator.key(i));
            }
            return "[" + members.join(',') + "]";
        }
        case StoredKind::None:
            break;
    }
    return {};
}

std::optional<QVariant> valueFromText(const QString& text, const StoredValueType& type) {
    switch (type.kind) {
        case StoredKind::Integer: {
            // Text that is no number of the type reads as 0.
            const std::optional<qlonglong> number = parseIntegerText(text);
            if (number) {
                if (std::optional<QVariant> value = fitted(QVariant(*number), type.metaType)) return value;
            }
            return fitted(QVariant(qlonglong{0}), type.metaType);
        }
        case StoredKind::Character: {
            if (text.isEmpty()) return std::nullopt;
            QVariant character(text.at(0));
            if (!character.convert(type.metaType)) return std::nullopt;
            return character;
        }
        case StoredKind::Boolean:
            if (text.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0) return QVariant(true);
            if (text.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0) return QVariant(false);
            return std::nullopt;
        case StoredKind::Enumeration: {
            const std::optional<int> number = enumValue(type.enumerator, text);
            if (!number) return std::nullopt;
            return QVariant(*number);
        }
        case StoredKind::Float: {
            const std::optional<double> number = parseFloatText(text);
            if (!number) return std::nullopt;
            QVariant value(*number);
            if (!value.convert(type.metaType)) return std::nullopt;
            return value;
        }
        case StoredKind::String:
            return QVariant(text);
        case StoredKind::Set: {
            int bits = 0;
            static constexpr std::string_view delimiters = "[], ";
            const std::string words = text.toStdString();
            for (std::size_t n = 1; n <= WordCount(words, delimiters); ++n) {
                const std::optional<int> member =
                    enumValue(type.enumerator, QString::fromStdString(ExtractWord(n, words, delimiters)));
                if (member && isSingleBit(*member)) bits |= *member;
            }
            return QVariant(bits);
        }
        case StoredKind::None:
            break;
    }
    return std::nullopt;
}

}  // namespace kestrave
