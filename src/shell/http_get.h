#pragma once
// A small HTTP download over Qt Network: the text of one address fetched into a file, bounded in
// time and size, never waiting on the caller's thread.

#include <QString>

#include <chrono>
#include <filesystem>
#include <functional>

class QObject;

namespace kestrave {

// A download that has not finished by then is abandoned.
constexpr std::chrono::milliseconds DownloadTimeout{10000};
// The files fetched are a few lines of text; anything longer is not what was asked for.
constexpr qint64 DownloadLimit = 64 * 1024;

// Fetches `url` (http or https) into `file` and calls `done` from the event loop: true when the
// server answered with status 200 and the whole body arrived in time. The body is written under
// a temporary name and renamed over `file` once complete, so every failure (no connection, an
// error status, the timeout, a body over the limit) leaves `file` as it was. When `context` is
// destroyed first, the download is dropped and `done` is never called.
void HttpGet(const QString& url, const std::filesystem::path& file, QObject* context,
             std::function<void(bool)> done, std::chrono::milliseconds timeout = DownloadTimeout);

// HttpGet waited for in a local event loop; true when the file was fetched.
bool DownloadFile(const QString& url, const std::filesystem::path& file,
                  std::chrono::milliseconds timeout = DownloadTimeout);

}  // namespace kestrave
