#pragma once
// The once-a-day check for a newer version. The date of "versioncheck.txt" in the program's
// folder records the day of the last check; "versionno.txt" holds the version installed. The
// server's text file names the newest version on its first line, and a first line that differs
// from the installed one is announced. The check runs within start-up, before the window is
// used, and is silent (and soon over) when the server cannot be reached.

#include <QDate>
#include <QString>

#include <filesystem>
#include <optional>
#include <string>

namespace kestrave {

class MessagePort;

struct UpdateCheckFiles {
    std::filesystem::path versionCheck;  // "versioncheck.txt": the day gate and the download
    std::filesystem::path versionNo;     // "versionno.txt": the installed version
};
// The two files in the program's folder.
UpdateCheckFiles updateCheckFiles();

// True when no check was made on `today` (judged by the date of the gate file); the gate is then
// renewed by writing today's date into it, so the next check is due tomorrow.
bool renewDayGate(const std::filesystem::path& versionCheck, QDate today);
// The first line of a text file without surrounding blanks and line ends; empty when unreadable.
std::string firstLine(const std::filesystem::path& file);
// The installed version: the first line of "versionno.txt", which is created with `ownVersion`
// when missing.
std::string localVersion(const std::filesystem::path& versionNo, const std::string& ownVersion);
// The announcement for a server whose first line is `newest`: nothing when it equals `local`
// (an exact comparison) or is no version number at all (an error page, binary data).
std::optional<std::string> updateAnnouncement(const std::string& newest, const std::string& local);

// The check made at start-up: when the day gate is open, the address is fetched into the gate
// file, waited for, and a differing version is announced through `messages`. Returns whether the
// file was fetched, or nothing when the gate kept the check from asking.
std::optional<bool> newversion(const QString& address, const UpdateCheckFiles& files, MessagePort& messages);

}  // namespace kestrave
