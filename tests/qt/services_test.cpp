// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The Qt services against real files and a real local server.
#include <sys/resource.h>
#include <sys/socket.h>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <climits>
#include <csignal>
#include <filesystem>
#include <fstream>

#include "core/levels.h"
#include "platform/qt/quit_requests.h"
#include "qt_test_support.h"
#include "settings/update_check.h"

namespace brivane {
namespace {

using test::scopedEnv;

constexpr int waitMs = 10000;

// Offers are recorded and answered No.
struct TestPlatform : QtPlatform {
    using QtPlatform::QtPlatform;
    std::vector<std::string> dialogs;
    DialogResult messageBox(const std::string& text, const std::string&, DialogButtons) override {
        dialogs.push_back(text);
        return DialogResult::no;
    }
};

// The game's own handlers, counting the close reports that reach them.
struct CountingEvents : GameEvents {
    using GameEvents::GameEvents;
    int closed = 0;
    void socketClosed() override {
        ++closed;
        GameEvents::socketClosed();
    }
};

using UpdateGame = test::QtGame<TestPlatform, CountingEvents>;

enum class End { serverCloses, never, refused, byGame, serverResets };

// A local update server: replies to a complete request, then ends as `end` says.
struct FakeServer {
    FakeServer(QByteArray reply, End end) {
        server.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&server, &QTcpServer::newConnection, [=, this] {
            QTcpSocket* client = server.nextPendingConnection();
            QObject::connect(client, &QTcpSocket::readyRead, [=, this] {
                const bool complete = request.endsWith("\r\n\r\n");
                request += client->readAll();
                if (complete || !request.endsWith("\r\n\r\n")) {
                    return;
                }
                client->write(reply);
                if (end == End::serverCloses) {
                    client->disconnectFromHost();
                } else if (end == End::serverResets) {
                    client->flush();
                    const linger reset{1, 0};  // closing now sends a reset, not a close
                    ::setsockopt(static_cast<int>(client->socketDescriptor()), SOL_SOCKET,
                                 SO_LINGER, &reset, sizeof reset);
                    client->abort();
                    clientGone = true;
                }
            });
            QObject::connect(client, &QTcpSocket::disconnected, [this] { clientGone = true; });
        });
    }
    QByteArray address() const { return "127.0.0.1:" + QByteArray::number(server.serverPort()); }

    QByteArray request;
    bool clientGone = false;
    QTcpServer server;  // last, so the sockets it owns go while the members above are still there
};

// A folder that takes no file (read-only, gone, too deep for the temporary name) falls back.
TEST(ScoresFile, BesideTheProgramElseInTheUsersDataFolderAndReadFromBoth) {
    QTemporaryDir home;
    const auto dataHome = scopedEnv("XDG_DATA_HOME", home.path().toLocal8Bit());
    const QString userFile =
        QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)).filePath("scores");
    ASSERT_TRUE(userFile.startsWith(home.path()));
    const std::string old = "highlvl:30\r\nhighscore:5000\r\n";
    const std::string fresh = "highlvl:31\r\nhighscore:6000\r\n";
    const bool root = ::geteuid() == 0;
    enum class Folder { writable, notUtf8, readOnly, missing, longPath };
    for (const Folder f :
         {Folder::writable, Folder::notUtf8, Folder::readOnly, Folder::missing, Folder::longPath}) {
        SCOPED_TRACE(static_cast<int>(f));  // in the order listed
        if (f == Folder::readOnly && root) {
            continue;
        }
        QFile::remove(userFile);
        QTemporaryDir dir;
        const std::string top = QFile::encodeName(dir.path()).toStdString();
        std::string program = top + (f == Folder::notUtf8 ? "/game\xff\xfe" : "/game");
        // "scores" still fits within the longest path the system takes, "scores.XXXXXX" not.
        const std::size_t length = PATH_MAX - 1 - std::string("/scores.XXX").size();
        while (f == Folder::longPath && program.size() < length) {
            program.push_back('/');
            program.append(std::min<std::size_t>(200, length - program.size()), 'd');
        }
        if (f != Folder::missing) {
            ASSERT_TRUE(std::filesystem::create_directories(program)) << program.size();
            std::ofstream(program + "/scores", std::ios::binary) << old;
            ::chmod(program.c_str(), f == Folder::readOnly ? 0500 : 0700);
        }
        QtPlatform pf(test::testOptions(dir));
        pf.services().setProgramFolder(program);
        EXPECT_EQ(pf.readScoresFile(), f == Folder::missing ? std::nullopt : std::optional(old));
        EXPECT_TRUE(pf.writeScoresFile(fresh));
        EXPECT_EQ(QFile::exists(userFile), f != Folder::writable && f != Folder::notUtf8);
        EXPECT_EQ(pf.readScoresFile(), std::optional(fresh));
        ::chmod(program.c_str(), 0700);
        std::filesystem::remove_all(top);  // Qt removes by names it holds as text
    }
    if (root) {
        GTEST_SKIP() << "the superuser writes into any folder: the read-only row was left out";
    }
}

// The file-size limit stands in for a full disk.
TEST(ScoresFile, FailedWriteLeavesTheOldFileIntact) {
    QTemporaryDir dir;
    QTemporaryDir settings;
    const QByteArray old = "highlvl:4\r\nhighscore:40\r\n";
    const QString scores = test::writeFile(dir.filePath("scores"), old);
    QtPlatform pf(test::testOptions(settings));
    pf.services().setProgramFolder(dir.path());
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto savedSignal = std::signal(SIGXFSZ, SIG_IGN);
    const rlimit tight{8, saved.rlim_max};
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &tight), 0);
    const bool written = pf.writeScoresFile("highlvl:32000\r\nhighscore:123456789\r\n");
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, savedSignal);
    EXPECT_FALSE(written);
    EXPECT_EQ(test::readFile(scores), old);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"scores"});
}

// A quit signal is handled at the next yield, never in its handler; a second one changes nothing.
TEST(ScoresFile, ClosingTheWindowOrAQuitSignalWritesIt) {
    for (const int signal : {0, SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(signal);  // 0: the window closed
        test::QtGame<TestPlatform> game;
        game.pf.services().setProgramFolder(game.dir.path());
        game.pf.showWindow();
        game.g.highLevel = 12;
        game.g.highScore = 1250;
        if (signal == 0) {
            game.pf.window()->close();
        } else {
            const QuitRequests quit(game.pf);
            ASSERT_EQ(std::raise(signal), 0);
            EXPECT_FALSE(game.pf.programEnded());
            for (int i = 0; i < 2; ++i) {
                ASSERT_EQ(std::raise(signal), 0);
                QCoreApplication::processEvents();
            }
        }
        EXPECT_TRUE(game.pf.programEnded() && game.g.ended);
        EXPECT_EQ(test::readFile(game.dir.filePath("scores")),
                  QByteArray("highlvl:12\r\nhighscore:1250\r\n"));
    }
}

// A flood is cut at the limit and still counts; refused, reset, timed-out, closed: nothing.
TEST(UpdateExchange, RepliesAreReadUpTo64KiBAndOnlyOnceClosed) {
    constexpr int limit = QtServices::replyLimit;
    const std::tuple<QByteArray, End, std::optional<std::string>> cases[] = {
        // the reply, how the exchange ends, the version offered
        {QByteArray(limit - 12, 'x') + "tmkver:1.4.0", End::serverCloses, "1.4.0"},   // all read
        {QByteArray(limit - 12, 'x') + "tmkver:1.4.07", End::serverCloses, "1.4.0"},  // cut
        {"tmkver:1.4.0\r\n" + QByteArray(4 * limit, 'x'), End::never, "1.4.0"},
        {"tmkver:1.4.0\r\n", End::never, std::nullopt},
        {"tmkver:1.4.0\r\n", End::refused, std::nullopt},
        {"tmkver:1.4.0\r\n", End::byGame, std::nullopt},
        {"HTTP/1.0 200 OK\r\n\r\ntmkver:1.3", End::serverResets, std::nullopt},
    };
    for (const auto& [reply, end, offered] : cases) {
        SCOPED_TRACE(testing::Message() << static_cast<int>(end) << ", " << reply.size() << " B");
        FakeServer server(reply, end);
        const auto target = scopedEnv("BRIVANE_UPDATE_SERVER",
                                      end == End::refused ? "127.0.0.1:1" : server.address());
        UpdateGame game;
        if (end == End::never && !offered) {
            game.pf.services().setGiveUpAfter(300);
        }
        startUpdateCheck(game.g);
        if (end == End::byGame) {
            ASSERT_TRUE(QTest::qWaitFor(
                [&] { return game.pf.socketState() == SocketState::connected; }, waitMs));
            game.pf.socketClose();
        }
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                return game.pf.socketState() == SocketState::closed &&
                       (end == End::refused || server.clientGone);
            },
            waitMs));
        QTest::qWait(100);  // for a close report still queued, or one that must not come
        EXPECT_EQ(game.events.closed, offered ? 1 : 0);
        EXPECT_LE(game.g.updateBuffer.size(), static_cast<std::size_t>(limit));
        ASSERT_EQ(game.pf.dialogs.size(), offered ? 1u : 0u);
        if (offered) {
            EXPECT_NE(game.pf.dialogs[0].find("version (" + *offered + ")"), std::string::npos);
        }
    }
}

// A mistyped setting must not send the check to the real server: one line, and no connection.
TEST(UpdateExchange, AServerSettingThatIsNotHostAndPortMakesNoCheck) {
    using HostPort = std::optional<std::pair<QString, int>>;
    EXPECT_EQ(readServerSetting("localhost:1"), HostPort({"localhost", 1}));
    EXPECT_EQ(readServerSetting("mirror.example.org:65535"),
              HostPort({"mirror.example.org", 65535}));
    EXPECT_EQ(readServerSetting("[::1]:80"), HostPort({"::1", 80}));
    for (const char* refused :
         {"127.0.0.1:65536", "127.0.0.1:0", "127.0.0.1", "127.0.0.1:", "user@127.0.0.1:8080",
          "127.0.0.1:+80", "[127.0.0.1]:80", "-x:80", "h\xc3\xa9:80"}) {
        EXPECT_EQ(readServerSetting(QString::fromUtf8(refused)), std::nullopt) << refused;
    }
    const auto target = scopedEnv("BRIVANE_UPDATE_SERVER", "user@127.0.0.1:8080");
    UpdateGame game;
    testing::internal::CaptureStderr();
    startUpdateCheck(game.g);
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(game.pf.socketState(), SocketState::closed);
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    EXPECT_NE(said.find("BRIVANE_UPDATE_SERVER"), std::string::npos);
}

// The offer does not open on top of Jump To Level's dialog, and each answer stays its own.
TEST(UpdateExchange, AReplyDuringAnotherDialogWaitsUntilItCloses) {
    FakeServer server("tmkver:1.4.0\r\n", End::serverCloses);
    const auto target = scopedEnv("BRIVANE_UPDATE_SERVER", server.address());
    UpdateGame game;
    game.g.highLevel = 9;
    std::vector<std::string> answers;
    game.pf.onDialogAnswer = [&answers](const std::string& a) { answers.push_back(a); };
    startUpdateCheck(game.g);
    // The server, served by this thread, replies only once the dialog processes events.
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return game.pf.socketState() == SocketState::connected; }, waitMs));
    std::size_t offersWhileOpen = 99;
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
        if (box == nullptr || !server.clientGone) {
            return;
        }
        QTest::qWait(200);  // time for the reply's events to be handled, were they let in
        offersWhileOpen = game.pf.dialogs.size();
        box->setTextValue(QStringLiteral("5"));
        box->accept();
        answer.stop();
    });
    answer.start(20);
    menuJumpLevel(game.g);
    EXPECT_EQ(offersWhileOpen, 0u);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !game.pf.dialogs.empty(); }, waitMs));
    EXPECT_EQ(answers, std::vector<std::string>{"5"});  // the offer's No is TestPlatform's own
}

}  // namespace
}  // namespace brivane
