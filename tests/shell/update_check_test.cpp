// The once-a-day version check against an HTTP server of the test's own on the loopback address:
// the day gate, the exact comparison of the first line, and the silence of every failure.

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <fstream>

#include "platform/message_port.h"
#include "shell/application_context.h"
#include "shell/http_get.h"
#include "shell/main_form.h"
#include "shell/shell_test_support.h"
#include "shell/startup.h"
#include "shell/update_check.h"
#include "support/qt_test_application.h"
#include "support/temp_dir.h"

namespace kestrave {
namespace {

// Answers every GET with one fixed status and body and counts the requests.
class VersionServer {
public:
    VersionServer(QByteArray status, QByteArray body) : status_(std::move(status)), body_(std::move(body)) {
        test::app();
        EXPECT_TRUE(server_.listen(QHostAddress::LocalHost, 0));
        QObject::connect(&server_, &QTcpServer::newConnection, [this] {
            while (QTcpSocket* socket = server_.nextPendingConnection()) {
                QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                    request_ += socket->readAll();
                    if (!request_.contains("\r\n\r\n")) return;
                    request_.clear();
                    ++requests;
                    socket->write("HTTP/1.1 " + status_ + "\r\nContent-Length: " +
                                  QByteArray::number(body_.size()) + "\r\nConnection: close\r\n\r\n" + body_);
                    socket->disconnectFromHost();
                });
                QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
    }
    QString url() const { return QString("http://127.0.0.1:%1/versionno.txt").arg(server_.serverPort()); }

    int requests = 0;

private:
    QTcpServer server_;
    QByteArray status_;
    QByteArray body_;
    QByteArray request_;
};

// An address on the loopback interface where nothing listens: the connection is refused.
QString refusedUrl() {
    test::app();
    QTcpServer probe;
    EXPECT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
    const quint16 port = probe.serverPort();
    probe.close();
    return QString("http://127.0.0.1:%1/versionno.txt").arg(port);
}

std::string readText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct UpdateCheck : ::testing::Test {
    test::TempDir dir;
    UpdateCheckFiles files{dir / "versioncheck.txt", dir / "versionno.txt"};
    BatchMessagePresenter messages{[](const std::string&) {}};

    // One start's check, over when it returns: whether it fetched the file, or nothing when the
    // day gate kept it from asking.
    std::optional<bool> start(const QString& url) { return newversion(url, files, messages); }
};

TEST_F(UpdateCheck, TwoStartsOnOneDayAskOnceAndOnlyADifferentFirstLineIsAnnounced) {
    struct Case {
        QByteArray body;
        std::string announced;  // empty: nothing is shown
    };
    const Case cases[] = {
        {"4.1.0\r\nFaster stacking\r\n", "Version 4.1.0 is currently available. "},
        {"4.0.0\r\n", ""},
        {"4.0.0", ""},
        {"4.0.0b\n", "Version 4.0.0b is currently available. "},
        {"4.0\n", "Version 4.0 is currently available. "},
        {"<!DOCTYPE html>\n<html></html>\n", ""},
        {"", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.body.toStdString());
        std::filesystem::remove(files.versionCheck);
        std::ofstream(files.versionNo, std::ios::trunc) << "4.0.0\r\n";
        messages.clearHistory();
        VersionServer server("200 OK", c.body);

        EXPECT_EQ(start(server.url()), true);
        EXPECT_EQ(start(server.url()), std::nullopt) << "the second start of the day must not ask";
        EXPECT_EQ(server.requests, 1);
        ASSERT_EQ(messages.history().size(), c.announced.empty() ? 0u : 1u);
        if (!c.announced.empty()) {
            EXPECT_EQ(messages.history()[0].caption, "KESTRAVE UPDATE: ");
            EXPECT_EQ(messages.history()[0].text, c.announced);
            EXPECT_EQ(messages.history()[0].dlgType, mtInformation);
        }
        EXPECT_EQ(readText(files.versionCheck), c.body.toStdString());
    }
}

TEST_F(UpdateCheck, AFirstStartRecordsTheOwnVersionAndAnUpToDateServerShowsNothing) {
    VersionServer server("200 OK", KESTRAVE_VERSION "\n");
    EXPECT_EQ(start(server.url()), true);
    EXPECT_EQ(firstLine(files.versionNo), KESTRAVE_VERSION);
    EXPECT_TRUE(messages.history().empty());
}

TEST_F(UpdateCheck, FailuresAreSilentKeepTheOldFileAndStillRenewTheDayGate) {
    VersionServer missing("404 Not Found", "4.9.0\n");
    for (const QString& url : {refusedUrl(), missing.url(), QString("file:///etc/hostname"), QString()}) {
        SCOPED_TRACE(url.toStdString());
        std::filesystem::remove(files.versionCheck);
        EXPECT_EQ(start(url), false);
        EXPECT_TRUE(messages.history().empty());
        EXPECT_EQ(firstLine(files.versionCheck), QDate::currentDate().toString(Qt::ISODate).toStdString())
            << "the gate holds today's date, not a failed download";
        EXPECT_EQ(start(url), std::nullopt) << "the next attempt is tomorrow";
    }
    EXPECT_EQ(missing.requests, 1);

    std::ofstream(files.versionCheck, std::ios::trunc) << "kept\n";
    EXPECT_FALSE(DownloadFile(refusedUrl(), files.versionCheck));
    EXPECT_EQ(readText(files.versionCheck), "kept\n");
}

// With "Checkupdates" ticked, start-up has asked and heard the answer before it ends; a start
// with batch work never asks.
TEST(UpdateCheckAtStartUp, AWindowStartAsksBeforeItEndsAndABatchStartNever) {
    test::ProgramDirScope home;
    VersionServer server("200 OK", "4.9.0\n");
    std::ofstream(home.path() / "kestrave.ini", std::ios::binary)
        << "[Form]\r\nCheckupdates_Checked=True\r\nVersionNo_Caption=" << server.url().toStdString()
        << "\r\n";
    for (const bool batch : {true, false}) {
        ApplicationContext context;
        auto presenter = std::make_unique<test::ScriptedPresenter>();
        const test::ScriptedPresenter& shown = *presenter;
        context.messages().setPresenter(std::move(presenter));
        TMainForm form(context);
        std::vector<std::string> arguments;
        if (batch) arguments = {"moon.ser", "-EX"};
        form.FormCreate({arguments, false});
        EXPECT_EQ(server.requests, batch ? 0 : 1) << batch;
        const auto announced = std::count_if(shown.shown.begin(), shown.shown.end(), [](const Message& m) {
            return m.caption == "KESTRAVE UPDATE: ";
        });
        EXPECT_EQ(announced, batch ? 0 : 1) << batch;
    }
}

TEST_F(UpdateCheck, TheGateOpensAgainOnTheNextDay) {
    const QDate today = QDate::currentDate();
    EXPECT_TRUE(renewDayGate(files.versionCheck, today));
    EXPECT_FALSE(renewDayGate(files.versionCheck, today));
    EXPECT_TRUE(renewDayGate(files.versionCheck, today.addDays(1)));
    EXPECT_EQ(firstLine(files.versionCheck), today.addDays(1).toString(Qt::ISODate).toStdString());
}

TEST(HttpGet, ABodyOverTheLimitOrTooSlowIsRefused) {
    test::TempDir dir;
    VersionServer large("200 OK", QByteArray(DownloadLimit + 1, 'x'));
    EXPECT_FALSE(DownloadFile(large.url(), dir / "large.txt"));
    EXPECT_FALSE(std::filesystem::exists(dir / "large.txt"));

    // A server that accepts the connection and never answers.
    QTcpServer silent;
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost, 0));
    const QString url = QString("http://127.0.0.1:%1/v.txt").arg(silent.serverPort());
    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(DownloadFile(url, dir / "slow.txt", std::chrono::milliseconds(300)));
    EXPECT_LT(clock.elapsed(), 5000);
    EXPECT_FALSE(std::filesystem::exists(dir / "slow.txt"));
}

}  // namespace
}  // namespace kestrave
