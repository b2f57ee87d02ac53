#include "shell/http_get.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>

#include <fstream>
#include <system_error>

namespace kestrave {

namespace {

// Writes the body beside `file` and renames it into place; false when either step fails.
bool replaceFile(const std::filesystem::path& file, const QByteArray& body) {
    std::filesystem::path temporary = file;
    temporary += ".part";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(body.constData(), body.size());
        if (!out.flush()) return false;
    }
    std::error_code error;
    std::filesystem::rename(temporary, file, error);
    if (error) std::filesystem::remove(temporary, error);
    return !error;
}

}  // namespace

void HttpGet(const QString& url, const std::filesystem::path& file, QObject* context,
             std::function<void(bool)> done, std::chrono::milliseconds timeout) {
    QUrl address(url);
    // Only web addresses are fetched; anything else fails the way an unreachable server does.
    if (address.scheme() != "http" && address.scheme() != "https") address = QUrl();
    auto* manager = new QNetworkAccessManager(context);
    QNetworkRequest request(address);
    request.setHeader(QNetworkRequest::UserAgentHeader, QCoreApplication::applicationName());
    QNetworkReply* reply = manager->get(request);
    QTimer::singleShot(timeout, reply, &QNetworkReply::abort);
    QObject::connect(reply, &QNetworkReply::downloadProgress, reply, [reply](qint64 received, qint64) {
        if (received > DownloadLimit) reply->abort();
    });
    QObject::connect(reply, &QNetworkReply::finished, manager, [=, done = std::move(done)] {
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        const QByteArray body = reply->readAll();
        const bool fetched = reply->error() == QNetworkReply::NoError && status == 200 &&
                             body.size() <= DownloadLimit && replaceFile(file, body);
        manager->deleteLater();
        done(fetched);
    });
}

bool DownloadFile(const QString& url, const std::filesystem::path& file, std::chrono::milliseconds timeout) {
    QEventLoop loop;
    bool finished = false;
    bool fetched = false;
    HttpGet(
        url, file, &loop,
        [&](bool result) {
            finished = true;
            fetched = result;
            loop.quit();
        },
        timeout);
    if (!finished) loop.exec();
    return fetched;
}

}  // namespace kestrave
