#pragma once
// Number logic of the spin edit. The edit's text is the only store of its value: reading the
// value parses the text, writing it formats the text. Floats are typed, read and written with the
// user's decimal separator; the stored files keep "." through their own conversion of `Value`.

#include <QObject>
#include <string>
#include <string_view>

namespace kestrave {

class SpinValue {
    Q_GADGET
public:
    enum TValueType { vtInteger, vtFloat, vtHex };
    Q_ENUM(TValueType)

    long double MinValue = 0;
    long double MaxValue = 0;
    long double Increment = 1;
    int Decimal = 2;  // digits after the separator for vtFloat
    TValueType ValueType = vtInteger;
    char DecimalSeparator = '.';  // the locale's, for float text

    // Limited to MinValue..MaxValue; MinValue == MaxValue means no bound at all.
    long double ClampValue(long double value) const;
    // What a text reads as: 0 for empty text; MinValue (truncated toward zero for the whole-number
    // types) for text that is no number of the current type.
    long double parse(std::string_view text) const;
    // The text that writing `value` shows: the clamped value as a float with `Decimal` decimals,
    // or rounded (half to even) to a whole number in decimal or upper-case hex without prefix.
    std::string text(long double value) const;
    // Whether `key` may be typed into `currentText`: signs and digits always, one separator and one
    // exponent letter for floats, A..F for hex, control characters always. With the editor
    // disabled only control characters other than Backspace pass.
    bool IsValidKey(std::string_view currentText, char32_t key, bool editorEnabled) const;
    // Stores the type; a whole-number type rounds the increment to a whole number, at least 1.
    void changeValueType(TValueType type);
};

// Fixed-point text with `decimals` digits after ".", rounded to at most 15 significant digits;
// values of 16 or more whole digits are written in exponent form ("1.5E+20").
std::string formatFixed(long double value, int decimals);

}  // namespace kestrave
