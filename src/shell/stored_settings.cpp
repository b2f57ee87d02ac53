#include "shell/stored_settings.h"

#include "persist/reg_settings.h"

namespace kestrave {

// A failed write is kept by the store and written with its next value; nothing to show here.
void storeSetting(RegSettings* settings, std::string_view key, bool value) {
    if (settings) settings->WriteBool(kRegSettingsSection, key, value);
}

void storeSetting(RegSettings* settings, std::string_view key, int value) {
    if (settings) settings->WriteInteger(kRegSettingsSection, key, value);
}

}  // namespace kestrave
