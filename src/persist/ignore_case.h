#pragma once
// Section names and keys of INI files compare without regard to letter case across the whole of
// Unicode: text is taken as UTF-8 and every character is folded to lower case before the
// comparison. Bytes that are not valid UTF-8 compare as themselves, so no name is ever lost or
// merged with another by a decoding error.

#include <cstdint>
#include <string_view>

namespace kestrave {

bool sameTextIgnoringCase(std::string_view a, std::string_view b);

// Equal for any two texts that sameTextIgnoringCase calls equal.
std::uint64_t hashIgnoringCase(std::string_view text);

// The order of file lists: byte by byte, the ASCII letters A..Z taken as a..z and every other
// byte (UTF-8 sequences included) by its value. Texts that differ only in the case of their
// letters are equivalent, so a stable sort keeps them in the order it found them.
bool lessIgnoringAsciiCase(std::string_view a, std::string_view b);

}  // namespace kestrave
