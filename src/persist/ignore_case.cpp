#include "persist/ignore_case.h"

#include <locale.h>
#include <wctype.h>
#include <algorithm>

namespace kestrave {

namespace {

// Bytes outside a valid UTF-8 sequence map above the Unicode range so that each one equals
// only itself.
constexpr char32_t kInvalidByteBase = 0x110000;

// The character mapping of the C.UTF-8 locale covers all of Unicode. It is made once and never
// changed; where the system lacks it, only ASCII letters fold.
locale_t unicodeLocale() {
    static const locale_t locale = ::newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t{});
    return locale;
}

char32_t decodeUtf8(std::string_view s, std::size_t& pos) {
    const auto lead = static_cast<unsigned char>(s[pos]);
    std::size_t length;
    char32_t cp;
    char32_t smallest;
    if ((lead & 0xE0) == 0xC0) {
        length = 2, cp = lead & 0x1F, smallest = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, cp = lead & 0x0F, smallest = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, cp = lead & 0x07, smallest = 0x10000;
    } else {
        ++pos;
        return kInvalidByteBase + lead;
    }
    if (s.size() - pos < length) {
        ++pos;
        return kInvalidByteBase + lead;
    }
    for (std::size_t k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(s[pos + k]);
        if ((next & 0xC0) != 0x80) {
            ++pos;
            return kInvalidByteBase + lead;
        }
        cp = (cp << 6) | (next & 0x3F);
    }
    // Overlong forms, surrogates and values past U+10FFFF are not characters.
    if (cp < smallest || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        ++pos;
        return kInvalidByteBase + lead;
    }
    pos += length;
    return cp;
}

// The lower-case form of the character at pos; pos moves past it.
char32_t nextFolded(std::string_view s, std::size_t& pos) {
    const auto byte = static_cast<unsigned char>(s[pos]);
    if (byte < 0x80) {
        ++pos;
        return (byte >= 'A' && byte <= 'Z') ? char32_t(byte + ('a' - 'A')) : char32_t(byte);
    }
    const char32_t cp = decodeUtf8(s, pos);
    const locale_t locale = unicodeLocale();
    if (cp >= kInvalidByteBase || locale == locale_t{}) return cp;
    return static_cast<char32_t>(::towlower_l(static_cast<wint_t>(cp), locale));
}

}  // namespace

bool sameTextIgnoringCase(std::string_view a, std::string_view b) {
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        if (nextFolded(a, i) != nextFolded(b, j)) return false;
    }
    return i == a.size() && j == b.size();
}

std::uint64_t hashIgnoringCase(std::string_view text) {
    // FNV-1a over the folded characters.
    std::uint64_t hash = 0xcbf29ce484222325ull;
    for (std::size_t i = 0; i < text.size();) {
        const char32_t cp = nextFolded(text, i);
        for (int shift = 0; shift < 32; shift += 8) {
            hash ^= (cp >> shift) & 0xFF;
            hash *= 0x100000001b3ull;
        }
    }
    return hash;
}

bool lessIgnoringAsciiCase(std::string_view a, std::string_view b) {
    const auto folded = [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte >= 'A' && byte <= 'Z' ? byte - 'A' + 'a' : byte;
    };
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [&](char x, char y) { return folded(x) < folded(y); });
}

}  // namespace kestrave
