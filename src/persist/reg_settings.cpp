#include "persist/reg_settings.h"

#include "platform/errors.h"
#include "platform/program_dir.h"

namespace kestrave {

RegSettings::RegSettings() : RegSettings(ProgramDir() / kRegSettingsFileName) {}

RegSettings::RegSettings(std::filesystem::path fileName) : ini_(std::move(fileName)) {}

template <class Write>
bool RegSettings::store(Write&& write) {
    try {
        write();
        ini_.flush();
        lastError_.clear();
        return true;
    } catch (const KestraveError& error) {
        lastError_ = error.what();
        return false;
    }
}

bool RegSettings::WriteString(std::string_view section, std::string_view key, std::string_view value) {
    return store([&] { ini_.WriteString(section, key, value); });
}

bool RegSettings::WriteStrings(std::string_view section,
                               const std::vector<std::pair<std::string, std::string>>& values) {
    return store([&] {
        for (const auto& [key, value] : values) ini_.WriteString(section, key, value);
    });
}

bool RegSettings::WriteInteger(std::string_view section, std::string_view key, int value) {
    return store([&] { ini_.WriteInteger(section, key, value); });
}

bool RegSettings::WriteBool(std::string_view section, std::string_view key, bool value) {
    return store([&] { ini_.WriteBool(section, key, value); });
}

}  // namespace kestrave
