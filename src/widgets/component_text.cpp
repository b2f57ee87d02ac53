#include "widgets/component_text.h"

#include <algorithm>
#include <cctype>
#include <optional>

namespace kestrave {

namespace {

bool isDelim(char c, std::string_view delims) {
    return delims.find(c) != std::string_view::npos;
}

// Start index (from 0) and length of word n (from 1), when it exists.
std::optional<std::pair<std::size_t, std::size_t>> findWord(std::size_t n, std::string_view text,
                                                            std::string_view delims) {
    std::size_t i = 0;
    std::size_t count = 0;
    while (i < text.size()) {
        while (i < text.size() && isDelim(text[i], delims)) ++i;
        if (i == text.size()) break;
        const std::size_t start = i;
        while (i < text.size() && !isDelim(text[i], delims)) ++i;
        if (++count == n) return std::pair{start, i - start};
    }
    return std::nullopt;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

unsigned char keyByte(std::string_view key, std::size_t index) {
    return key.empty() ? 0 : static_cast<unsigned char>(key[index % key.size()]);
}

}  // namespace

std::string ReplaceStr(std::string_view text, std::string_view search, std::string_view replace) {
    if (search.empty()) return std::string(text);
    std::string result;
    std::size_t from = 0;
    for (std::size_t hit = text.find(search); hit != std::string_view::npos; hit = text.find(search, from)) {
        result.append(text.substr(from, hit - from)).append(replace);
        from = hit + search.size();
    }
    result.append(text.substr(from));
    return result;
}

std::size_t WordCount(std::string_view text, std::string_view delims) {
    std::size_t count = 0;
    bool inWord = false;
    for (char c : text) {
        const bool delim = isDelim(c, delims);
        if (!delim && !inWord) ++count;
        inWord = !delim;
    }
    return count;
}

std::size_t WordPosition(std::size_t n, std::string_view text, std::string_view delims) {
    const auto word = findWord(n, text, delims);
    return word ? word->first + 1 : 0;
}

std::string ExtractWord(std::size_t n, std::string_view text, std::string_view delims) {
    const std::size_t position = WordPosition(n, text, delims);
    if (position == 0) return {};
    const std::string_view rest = text.substr(position - 1);
    return std::string(rest.substr(0, std::min(rest.size(), rest.find_first_of(delims))));
}

std::string XorEncode(std::string_view key, std::string_view source) {
    static constexpr char digits[] = "0123456789abcdef";
    std::string result;
    result.reserve(source.size() * 2);
    for (std::size_t i = 0; i < source.size(); ++i) {
        const unsigned byte = static_cast<unsigned char>(source[i]) ^ keyByte(key, i);
        result.push_back(digits[byte >> 4]);
        result.push_back(digits[byte & 15]);
    }
    return result;
}

std::string XorDecode(std::string_view key, std::string_view source) {
    std::string result;
    result.reserve(source.size() / 2);
    for (std::size_t j = 0; j + 1 < source.size(); j += 2) {
        const int high = hexDigit(source[j]);
        const int low = hexDigit(source[j + 1]);
        const unsigned byte = (high < 0 || low < 0) ? 32u : static_cast<unsigned>(high * 16 + low);
        result.push_back(static_cast<char>(byte ^ keyByte(key, j / 2)));
    }
    return result;
}

bool isFourDigitYearFormat(std::string_view shortDateFormat) {
    std::string upper(shortDateFormat);
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return upper.find("YYYY") != std::string::npos;
}

}  // namespace kestrave
