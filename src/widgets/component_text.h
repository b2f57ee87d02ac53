#pragma once
// Word and text routines of the component set. Positions and word numbers count from 1, as in
// the stored form values they parse ("NormPos" is "left,top,right,bottom"); a word is a maximal
// run of characters that are not in the delimiter set.

#include <string>
#include <string_view>

namespace kestrave {

// Every occurrence of `search`, left to right, replaced by `replace`; the inserted text is not
// searched again. An empty `search` leaves the text as it is.
std::string ReplaceStr(std::string_view text, std::string_view search, std::string_view replace);

std::size_t WordCount(std::string_view text, std::string_view delims);

// Position (from 1) of the first character of word n, 0 when there is no such word.
std::size_t WordPosition(std::size_t n, std::string_view text, std::string_view delims);

// Word n, empty when there is none.
std::string ExtractWord(std::size_t n, std::string_view text, std::string_view delims);

// Each byte of `source` XORed with the key byte at the same position (the key repeats), written
// as two lower-case hexadecimal digits; an empty key writes the bytes themselves in hex.
std::string XorEncode(std::string_view key, std::string_view source);

// Whether a short date format writes the year with four digits: it holds "YYYY" in any case.
bool isFourDigitYearFormat(std::string_view shortDateFormat);

// The inverse of XorEncode: pairs of hex digits back to bytes. A pair that is not hexadecimal
// reads as 32 (a space) before the key is applied; a lone last digit is ignored.
std::string XorDecode(std::string_view key, std::string_view source);

}  // namespace kestrave
