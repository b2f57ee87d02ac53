#include "widgets/spin_value.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>

namespace kestrave {

namespace {

constexpr int kSignificantDigits = 15;

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
bool isHexDigit(char c) {
    return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

std::string_view trimSpaces(std::string_view s) {
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return s;
}

// Splits an optional sign off; a second sign makes the text invalid.
std::optional<std::pair<bool, std::string_view>> splitSign(std::string_view s) {
    bool negative = false;
    if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    if (s.empty() || s.front() == '+' || s.front() == '-') return std::nullopt;
    return std::pair{negative, s};
}

std::optional<long double> parseFloat(std::string_view s) {
    const auto signedPart = splitSign(s);
    if (!signedPart) return std::nullopt;
    const auto [negative, body] = *signedPart;
    // Digits or "." must come first: this refuses "inf", "nan" and the like.
    if (!isDigit(body.front()) && body.front() != '.') return std::nullopt;
    long double value = 0;
    const auto [end, error] =
        std::from_chars(body.data(), body.data() + body.size(), value, std::chars_format::general);
    if (error != std::errc() || end != body.data() + body.size()) return std::nullopt;
    return negative ? -value : value;
}

std::optional<long double> parseWhole(std::string_view s, int base) {
    const auto signedPart = splitSign(s);
    if (!signedPart) return std::nullopt;
    const auto [negative, body] = *signedPart;
    for (char c : body)
        if (base == 16 ? !isHexDigit(c) : !isDigit(c)) return std::nullopt;
    std::uint64_t magnitude = 0;
    const auto [end, error] = std::from_chars(body.data(), body.data() + body.size(), magnitude, base);
    if (error != std::errc() || end != body.data() + body.size()) return std::nullopt;
    if (magnitude > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()) + (negative ? 1 : 0))
        return std::nullopt;
    const long double value = static_cast<long double>(magnitude);
    return negative ? -value : value;
}

// Round half to even, limited in floating point to the 64-bit range before the conversion.
std::int64_t roundToWhole(long double value) {
    const long double rounded = std::nearbyintl(value);
    constexpr long double lowest = static_cast<long double>(std::numeric_limits<std::int64_t>::min());
    constexpr long double highest = static_cast<long double>(std::numeric_limits<std::int64_t>::max());
    if (rounded <= lowest) return std::numeric_limits<std::int64_t>::min();
    if (rounded >= highest) return std::numeric_limits<std::int64_t>::max();
    return static_cast<std::int64_t>(rounded);
}

std::string formatWhole(std::int64_t value, int base) {
    std::array<char, 80> buffer{};
    const bool negative = value < 0;
    // The magnitude of the lowest 64-bit value does not fit a signed number.
    const std::uint64_t magnitude =
        negative ? std::uint64_t{0} - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), magnitude, base);
    std::string text(buffer.data(), result.ptr);
    for (char& c : text)
        if (c >= 'a' && c <= 'f') c = static_cast<char>(c - 'a' + 'A');
    return negative ? "-" + text : text;
}

// "-0.00" shows as "0.00".
std::string dropSignOfZero(std::string text) {
    if (!text.empty() && text.front() == '-' && text.find_first_not_of("-0.") == std::string::npos)
        text.erase(0, 1);
    return text;
}

}  // namespace

long double SpinValue::ClampValue(long double value) const {
    if (std::isnan(value)) return MinValue;
    if (MaxValue == MinValue) return value;
    if (value < MinValue) return MinValue;
    if (value > MaxValue) return MaxValue;
    return value;
}

long double SpinValue::parse(std::string_view text) const {
    if (text.empty()) return 0;
    const std::string_view body = trimSpaces(text);
    std::optional<long double> value;
    switch (ValueType) {
        case vtFloat: {
            // The locale's separator is read as "."; a "." of another locale is no separator.
            std::string dotted(body);
            if (DecimalSeparator != '.')
                for (char& c : dotted) c = c == DecimalSeparator ? '.' : c == '.' ? DecimalSeparator : c;
            value = parseFloat(dotted);
            break;
        }
        case vtHex:
            value = parseWhole(body, 16);
            break;
        case vtInteger:
            value = parseWhole(body, 10);
            break;
    }
    if (value) return *value;
    return ValueType == vtFloat ? MinValue : std::truncl(MinValue);
}

std::string SpinValue::text(long double value) const {
    const long double clamped = ClampValue(value);
    switch (ValueType) {
        case vtFloat: {
            std::string fixed = formatFixed(clamped, Decimal);
            std::replace(fixed.begin(), fixed.end(), '.', DecimalSeparator);
            return fixed;
        }
        case vtHex:
            return formatWhole(roundToWhole(clamped), 16);
        case vtInteger:
            break;
    }
    return formatWhole(roundToWhole(clamped), 10);
}

bool SpinValue::IsValidKey(std::string_view currentText, char32_t key, bool editorEnabled) const {
    if (!editorEnabled) return key < 32 && key != 8;
    if (key < 32 || key == '+' || key == '-' || (key >= '0' && key <= '9')) return true;
    if (ValueType == vtFloat) {
        if (key == static_cast<unsigned char>(DecimalSeparator))
            return currentText.find(DecimalSeparator) == std::string_view::npos;
        if (key == 'E' || key == 'e') return currentText.find_first_of("Ee") == std::string_view::npos;
    }
    if (ValueType == vtHex) return (key >= 'A' && key <= 'F') || (key >= 'a' && key <= 'f');
    return false;
}

void SpinValue::changeValueType(TValueType type) {
    ValueType = type;
    if (type == vtFloat) return;
    Increment = std::nearbyintl(Increment);
    if (Increment == 0) Increment = 1;
}

std::string formatFixed(long double value, int decimals) {
    std::array<char, 512> buffer{};
    char* const first = buffer.data();
    char* const last = buffer.data() + buffer.size();
    if (!std::isfinite(value)) return std::string(first, std::to_chars(first, last, value).ptr);

    // The value rounded to 15 significant digits: "d.dddddddddddddde+XX".
    char* end = std::to_chars(first, last, value, std::chars_format::scientific, kSignificantDigits - 1).ptr;
    const std::string scientific(first, end);
    const std::size_t e = scientific.find('e');
    const int exponent = value == 0 ? 0 : std::stoi(scientific.substr(e + 1));

    if (exponent >= kSignificantDigits) {
        std::string mantissa = scientific.substr(0, e);
        mantissa.erase(mantissa.find_last_not_of('0') + 1);
        if (mantissa.back() == '.') mantissa.pop_back();
        return mantissa + "E" + scientific.substr(e + 1);
    }
    if (exponent + 1 + decimals <= kSignificantDigits) {
        end = std::to_chars(first, last, value, std::chars_format::fixed, decimals).ptr;
        return dropSignOfZero(std::string(first, end));
    }
    // More digits are asked for than 15 significant ones: write those and pad with zeros.
    const bool negative = scientific.front() == '-';
    std::string digits = scientific.substr(negative ? 1 : 0, e - (negative ? 1 : 0));
    digits.erase(1, 1);  // the "."
    std::string whole = "0";
    std::string fraction;
    if (exponent >= 0) {
        whole = digits.substr(0, static_cast<std::size_t>(exponent) + 1);
        fraction = digits.substr(static_cast<std::size_t>(exponent) + 1);
    } else {
        fraction = std::string(static_cast<std::size_t>(-exponent - 1), '0') + digits;
    }
    fraction.resize(static_cast<std::size_t>(decimals), '0');
    return dropSignOfZero((negative ? "-" : "") + whole + "." + fraction);
}

}  // namespace kestrave
