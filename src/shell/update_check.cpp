#include "shell/update_check.h"

#include <QDateTime>

#include <algorithm>
#include <chrono>
#include <fstream>

#include "platform/message_port.h"
#include "platform/program_dir.h"
#include "shell/http_get.h"

namespace kestrave {

namespace {

// The local calendar day on which a file was last written.
QDate fileDate(const std::filesystem::path& file, std::error_code& error) {
    const std::filesystem::file_time_type stamp = std::filesystem::last_write_time(file, error);
    if (error) return {};
    const auto written = std::chrono::file_clock::to_sys(stamp);
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(written.time_since_epoch()).count();
    return QDateTime::fromSecsSinceEpoch(seconds).date();
}

void writeText(const std::filesystem::path& file, const std::string& text) {
    std::ofstream(file, std::ios::trunc) << text << '\n';
}

std::string trimmed(std::string text) {
    const auto blank = [](unsigned char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && blank(static_cast<unsigned char>(text.back()))) text.pop_back();
    text.erase(text.begin(), std::find_if_not(text.begin(), text.end(), blank));
    return text;
}

// A version number is a short line of printable characters; markup and binary data are not.
bool plausibleVersion(const std::string& text) {
    constexpr std::size_t LongestVersion = 40;
    return !text.empty() && text.size() <= LongestVersion &&
           std::all_of(text.begin(), text.end(),
                       [](char c) { return c >= ' ' && c < 127 && c != '<' && c != '>'; });
}

}  // namespace

UpdateCheckFiles updateCheckFiles() {
    return {ProgramDir() / "versioncheck.txt", ProgramDir() / "versionno.txt"};
}

bool renewDayGate(const std::filesystem::path& versionCheck, QDate today) {
    std::error_code error;
    if (fileDate(versionCheck, error) == today) return false;
    writeText(versionCheck, today.toString(Qt::ISODate).toStdString());
    return true;
}

std::string firstLine(const std::filesystem::path& file) {
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    return trimmed(line);
}

std::string localVersion(const std::filesystem::path& versionNo, const std::string& ownVersion) {
    std::error_code error;
    if (std::filesystem::exists(versionNo, error)) return firstLine(versionNo);
    writeText(versionNo, ownVersion);
    return ownVersion;
}

std::optional<std::string> updateAnnouncement(const std::string& newest, const std::string& local) {
    if (newest == local || !plausibleVersion(newest)) return std::nullopt;
    return "Version " + newest + " is currently available. ";
}

std::optional<bool> newversion(const QString& address, const UpdateCheckFiles& files, MessagePort& messages) {
    if (!renewDayGate(files.versionCheck, QDate::currentDate())) return std::nullopt;
    const std::string local = localVersion(files.versionNo, KESTRAVE_VERSION);
    if (!DownloadFile(address, files.versionCheck)) return false;
    if (const auto announcement = updateAnnouncement(firstLine(files.versionCheck), local))
        messages.inform("KESTRAVE UPDATE: ", *announcement);
    return true;
}

}  // namespace kestrave
