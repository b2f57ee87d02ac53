#pragma once
// Option values written to the "Settings" section of the settings store as they change. The
// program never reads them back; without a store (it could not be opened) nothing is written.

#include <string_view>

namespace kestrave {

class RegSettings;

void storeSetting(RegSettings* settings, std::string_view key, bool value);
void storeSetting(RegSettings* settings, std::string_view key, int value);

}  // namespace kestrave
