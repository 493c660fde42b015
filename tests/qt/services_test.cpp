// The Qt services against real files and a real local server: where the scores file goes, that
// a failed write keeps the old file, that closing the window writes it, the update exchange
// over TCP with its limits, and the help window.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPointer>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextImageFormat>

#include <csignal>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/events.h"
#include "core/scores.h"
#include "platform/qt/frm_main.h"
#include "platform/qt/qt_platform.h"
#include "platform/qt/qt_services.h"
#include "settings/about_help.h"
#include "settings/update_check.h"
#include "version.h"

namespace brivane {
namespace {

constexpr int waitMs = 10000;

QtPlatform::Options testOptions(const QTemporaryDir& dir) {
    QtPlatform::Options options;
    options.settingsFile = dir.filePath(QStringLiteral("settings.ini"));
    options.exitProcessOnEnd = false;
    return options;
}

// The Qt platform with its two outward-facing dialogs replaced: the offer is answered from a
// queue (No when empty) and web pages are recorded instead of opened.
class TestPlatform : public QtPlatform {
  public:
    using QtPlatform::QtPlatform;
    std::vector<std::string> dialogs;
    std::deque<DialogResult> answers;
    std::vector<std::string> pagesOpened;

    DialogResult messageBox(const std::string& text, const std::string&, DialogButtons) override {
        dialogs.push_back(text);
        if (answers.empty()) {
            return DialogResult::no;
        }
        const DialogResult answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void openWebPage(const std::string& url) override { pagesOpened.push_back(url); }
};

// The game's own handlers, counting the socket events that reach them.
class CountingEvents : public GameEvents {
  public:
    using GameEvents::GameEvents;
    int connected = 0;
    int closed = 0;
    void socketConnected() override {
        ++connected;
        GameEvents::socketConnected();
    }
    void socketClosed() override {
        ++closed;
        GameEvents::socketClosed();
    }
};

// Sets an environment variable for one scope and puts the old value back afterwards.
class ScopedEnv {
  public:
    ScopedEnv(const char* name, const QByteArray& value)
        : name_(name), had_(qEnvironmentVariableIsSet(name)), old_(qgetenv(name)) {
        qputenv(name, value);
    }
    ~ScopedEnv() {
        if (had_) {
            qputenv(name_, old_);
        } else {
            qunsetenv(name_);
        }
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

  private:
    const char* name_;
    bool had_;
    QByteArray old_;
};

// A local update server: collects the request and, once it is complete, sends the reply and
// closes, or keeps the connection open.
class FakeServer {
  public:
    FakeServer(QByteArray reply, bool closeAfterReply)
        : reply_(std::move(reply)), close_(closeAfterReply) {
        server_.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&server_, &QTcpServer::newConnection, [this] {
            client_ = server_.nextPendingConnection();
            ++connections;
            QObject::connect(client_, &QTcpSocket::readyRead, [this] {
                request += client_->readAll();
                if (!replied_ && request.endsWith("\r\n\r\n")) {
                    replied_ = true;
                    client_->write(reply_);
                    if (close_) {
                        client_->disconnectFromHost();
                    }
                }
            });
            QObject::connect(client_, &QTcpSocket::disconnected, [this] { clientGone = true; });
        });
    }
    ~FakeServer() {
        if (client_) {
            QObject::disconnect(client_, nullptr, nullptr, nullptr);
            client_->abort();
        }
    }
    FakeServer(const FakeServer&) = delete;
    FakeServer& operator=(const FakeServer&) = delete;

    quint16 port() const { return server_.serverPort(); }
    QByteArray address() const { return "127.0.0.1:" + QByteArray::number(port()); }

    QByteArray request;
    int connections = 0;
    bool clientGone = false;

  private:
    QTcpServer server_;
    QPointer<QTcpSocket> client_;
    QByteArray reply_;
    bool close_;
    bool replied_ = false;
};

// A game without a window: just the record, its handlers and the platform.
struct UpdateGame {
    QTemporaryDir dir;
    TestPlatform pf{testOptions(dir)};
    GameState g{pf};
    CountingEvents events{g};
    UpdateGame() { pf.setEventSink(&events); }
};

std::string request() {
    return std::string("GET http://") + updateHost + "/games/brivane/ver.txt HTTP/1.0\r\n\r\n";
}

std::string offer(const std::string& version) {
    return "(This update check can be disabled in settings)\r\nThere is a more recent version (" +
           version + ") of this game available at\r\n" + webSite +
           "\r\nWould you like to go to the web site now?";
}

quint16 unusedPort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

// --- The scores file ---------------------------------------------------------------------------

TEST(ScoresFile, BesideTheProgramWhenWritableElseInTheUsersDataFolder) {
    QTemporaryDir home;
    const ScopedEnv dataHome("XDG_DATA_HOME", home.path().toLocal8Bit());
    const QString userFile = QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation))
                                 .filePath(QStringLiteral("scores"));
    ASSERT_TRUE(userFile.startsWith(home.path()));

    enum class Folder { writable, readOnly, missing };
    const struct {
        Folder folder;
        bool besideProgram;
    } cases[] = {{Folder::writable, true}, {Folder::readOnly, false}, {Folder::missing, false}};
    for (const auto& c : cases) {
        QFile::remove(userFile);
        QTemporaryDir dir;
        QTemporaryDir settings;
        QString program = dir.filePath(QStringLiteral("game"));
        if (c.folder != Folder::missing) {
            ASSERT_TRUE(QDir().mkpath(program));
        }
        if (c.folder == Folder::readOnly) {
            QFile::setPermissions(program, QFile::ReadOwner | QFile::ExeOwner);
            if (::geteuid() == 0) {
                // The superuser writes into any folder, so the program's folder is rightly
                // used; this row needs an ordinary user.
                QFile::setPermissions(program,
                                      QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
                continue;
            }
        }
        QtPlatform pf(testOptions(settings));
        pf.services().setProgramFolder(program);
        const QString expected =
            c.besideProgram ? QDir(program).filePath(QStringLiteral("scores")) : userFile;
        EXPECT_EQ(pf.services().scoresPath(), expected);
        EXPECT_FALSE(pf.readScoresFile().has_value());
        EXPECT_TRUE(pf.writeScoresFile("highlvl:2\r\nhighscore:20\r\n"));
        QFile written(expected);
        ASSERT_TRUE(written.open(QIODevice::ReadOnly));
        EXPECT_EQ(written.readAll(), QByteArray("highlvl:2\r\nhighscore:20\r\n"));
        EXPECT_EQ(pf.readScoresFile(), std::optional<std::string>("highlvl:2\r\nhighscore:20\r\n"));
        if (c.folder == Folder::readOnly) {
            QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
    }
}

TEST(ScoresFile, ReadOnlyProgramFolderStillGivesItsOldFileToANewPlayer) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "the superuser can write into a read-only folder";
    }
    QTemporaryDir home;
    const ScopedEnv dataHome("XDG_DATA_HOME", home.path().toLocal8Bit());
    QTemporaryDir dir;
    QTemporaryDir settings;
    {
        QFile old(dir.filePath(QStringLiteral("scores")));
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("highlvl:30\r\nhighscore:5000\r\n");
    }
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
    QtPlatform pf(testOptions(settings));
    pf.services().setProgramFolder(dir.path());
    EXPECT_EQ(pf.readScoresFile(), std::optional<std::string>("highlvl:30\r\nhighscore:5000\r\n"));
    EXPECT_TRUE(pf.writeScoresFile("highlvl:31\r\nhighscore:6000\r\n"));
    EXPECT_EQ(pf.readScoresFile(), std::optional<std::string>("highlvl:31\r\nhighscore:6000\r\n"));
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

// A write that cannot finish (here the file-size limit stands in for a full disk) keeps the
// old file whole and leaves no temporary file behind.
TEST(ScoresFile, FailedWriteLeavesTheOldFileIntact) {
    QTemporaryDir dir;
    QTemporaryDir settings;
    const QByteArray old = "highlvl:4\r\nhighscore:40\r\n";
    {
        QFile file(dir.filePath(QStringLiteral("scores")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(old);
    }
    QtPlatform pf(testOptions(settings));
    pf.services().setProgramFolder(dir.path());

    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto savedSignal = std::signal(SIGXFSZ, SIG_IGN);
    rlimit tight = saved;
    tight.rlim_cur = 8;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &tight), 0);
    const bool written = pf.writeScoresFile("highlvl:32000\r\nhighscore:123456789\r\n");
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, savedSignal);

    EXPECT_FALSE(written);
    QFile file(dir.filePath(QStringLiteral("scores")));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), old);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("scores")});
}

// Only the window and the game's handlers: closing goes through the real close event.
TEST(ScoresFile, ClosingTheWindowWritesItAndTheNextRunKeepsTheBest) {
    QTemporaryDir dir;
    QTemporaryDir settings;
    {
        TestPlatform pf(testOptions(settings));
        pf.services().setProgramFolder(dir.path());
        GameState g(pf);
        GameEvents events(g);
        pf.setEventSink(&events);
        pf.showWindow();
        g.highLevel = 12;
        g.highScore = 1250;
        pf.window()->close();
        EXPECT_TRUE(pf.programEnded());
        EXPECT_TRUE(g.ended);
        QFile file(dir.filePath(QStringLiteral("scores")));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), QByteArray("highlvl:12\r\nhighscore:1250\r\n"));
    }
    TestPlatform pf(testOptions(settings));
    pf.services().setProgramFolder(dir.path());
    GameState g(pf);
    loadScores(g);
    EXPECT_EQ(g.highLevel, 12);
    EXPECT_EQ(g.highScore, 1250);
}

// --- The update exchange -----------------------------------------------------------------------

TEST(UpdateExchange, RequestAndRepliesFromALocalServer) {
    const struct {
        QByteArray reply;
        std::optional<std::string> offered;
    } cases[] = {
        {"HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\ntmkver:1.3.8", std::nullopt},
        {"HTTP/1.0 200 OK\r\n\r\ntmkver: 1.4.0\r\n", "1.4.0"},
        {"HTTP/1.0 200 OK\r\n\r\ntmkver:1.4.0beta\r\nmore\r\n", "1.4.0"},
        {"HTTP/1.0 200 OK\r\n\r\ntmkver:\r\n", ""},
        {"tmkver:1.10.0", "1.10.0"},
        {"tmkver:1.2.0\n", "1.2.0"},
        {"HTTP/1.0 200 OK\r\n\r\nTMKVER:1.4.0\r\n", std::nullopt},
        {"HTTP/1.0 200 OK\r\n\r\ntmkver:1.", "1."},  // cut off
        {"", std::nullopt},
    };
    for (const auto& c : cases) {
        FakeServer server(c.reply, true);
        const ScopedEnv target("BRIVANE_UPDATE_SERVER", server.address());
        UpdateGame game;
        startUpdateCheck(game.g);
        ASSERT_TRUE(QTest::qWaitFor([&] { return game.events.closed == 1; }, waitMs))
            << c.reply.constData();
        EXPECT_EQ(server.request.toStdString(), request());
        if (c.offered) {
            ASSERT_EQ(game.pf.dialogs.size(), 1u) << c.reply.constData();
            EXPECT_EQ(game.pf.dialogs[0], offer(*c.offered));
        } else {
            EXPECT_TRUE(game.pf.dialogs.empty()) << c.reply.constData();
        }
        EXPECT_EQ(game.pf.socketState(), SocketState::closed);
    }
}

TEST(UpdateExchange, ReplyIsCutAt64KiB) {
    constexpr int limit = 64 * 1024;
    const struct {
        QByteArray reply;
        bool serverCloses;
        std::optional<std::string> offered;
    } cases[] = {
        // Exactly the limit: all of it is read.
        {QByteArray(limit - 12, 'x') + "tmkver:1.4.0", true, "1.4.0"},
        // One byte more: the last one is not.
        {QByteArray(limit - 12, 'x') + "tmkver:1.4.07", true, "1.4.0"},
        // The key itself across the limit is never seen.
        {QByteArray(limit - 6, 'x') + "tmkver:1.4.0", true, std::nullopt},
        // A flood that never ends is cut off, and what was kept still counts.
        {"tmkver:1.4.0\r\n" + QByteArray(4 * limit, 'x'), false, "1.4.0"},
    };
    for (const auto& c : cases) {
        FakeServer server(c.reply, c.serverCloses);
        const ScopedEnv target("BRIVANE_UPDATE_SERVER", server.address());
        UpdateGame game;
        startUpdateCheck(game.g);
        ASSERT_TRUE(QTest::qWaitFor([&] { return game.events.closed == 1; }, waitMs));
        EXPECT_LE(game.g.updateBuffer.size(), static_cast<std::size_t>(limit));
        if (c.offered) {
            ASSERT_EQ(game.pf.dialogs.size(), 1u);
            EXPECT_EQ(game.pf.dialogs[0], offer(*c.offered));
        } else {
            EXPECT_TRUE(game.pf.dialogs.empty());
        }
        if (!c.serverCloses) {
            EXPECT_TRUE(QTest::qWaitFor([&] { return server.clientGone; }, waitMs));
        }
    }
}

TEST(UpdateExchange, NoServerRefusedPortAndSilentServerShowNothing) {
    enum class Kind { unresolvable, refused, neverCloses };
    const Kind kinds[] = {Kind::unresolvable, Kind::refused, Kind::neverCloses};
    for (const Kind kind : kinds) {
        FakeServer server("tmkver:1.4.0\r\n", false);
        const QByteArray address =
            kind == Kind::unresolvable ? QByteArray("no-such-host.invalid:80")
            : kind == Kind::refused    ? "127.0.0.1:" + QByteArray::number(unusedPort())
                                       : server.address();
        const ScopedEnv target("BRIVANE_UPDATE_SERVER", address);
        UpdateGame game;
        game.pf.services().setGiveUpAfter(300);
        startUpdateCheck(game.g);
        if (kind == Kind::neverCloses) {
            ASSERT_TRUE(QTest::qWaitFor([&] { return server.clientGone; }, waitMs));
            EXPECT_EQ(game.events.connected, 1);
        }
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return game.pf.socketState() == SocketState::closed; }, waitMs));
        QTest::qWait(100);
        EXPECT_EQ(game.events.closed, 0);
        EXPECT_TRUE(game.pf.dialogs.empty());
        EXPECT_TRUE(game.pf.pagesOpened.empty());
    }
}

TEST(UpdateExchange, OfferedOnceAndYesOpensOurPage) {
    const struct {
        DialogResult answer;
        bool opened;
    } cases[] = {{DialogResult::yes, true}, {DialogResult::no, false}};
    for (const auto& c : cases) {
        UpdateGame game;
        game.pf.answers.push_back(c.answer);
        for (int run = 0; run < 2; ++run) {
            FakeServer server("tmkver:2.0.0 see http://elsewhere.example/\r\n", true);
            const ScopedEnv target("BRIVANE_UPDATE_SERVER", server.address());
            startUpdateCheck(game.g);
            ASSERT_TRUE(QTest::qWaitFor([&] { return game.events.closed == run + 1; }, waitMs));
        }
        EXPECT_EQ(game.pf.dialogs.size(), 1u);
        if (c.opened) {
            EXPECT_EQ(game.pf.pagesOpened,
                      std::vector<std::string>{std::string(webSite) + "/games/brivane"});
        } else {
            EXPECT_TRUE(game.pf.pagesOpened.empty());
        }
    }
}

// Closing our own end is not the server closing: the game hears nothing of it.
TEST(UpdateExchange, GameClosingItsConnectionIsNoEvent) {
    FakeServer server("", false);
    const ScopedEnv target("BRIVANE_UPDATE_SERVER", server.address());
    UpdateGame game;
    startUpdateCheck(game.g);
    ASSERT_TRUE(QTest::qWaitFor([&] { return game.events.connected == 1; }, waitMs));
    EXPECT_EQ(game.pf.socketState(), SocketState::connected);
    game.pf.socketClose();
    EXPECT_EQ(game.pf.socketState(), SocketState::closed);
    ASSERT_TRUE(QTest::qWaitFor([&] { return server.clientGone; }, waitMs));
    QTest::qWait(100);
    EXPECT_EQ(game.events.closed, 0);
}

TEST(UpdateExchange, ServerVariableChoosesHostAndPort) {
    FakeServer named("", false);
    FakeServer overridden("", false);
    const struct {
        std::optional<QByteArray> variable;
        bool toOverridden;
    } cases[] = {
        {std::nullopt, false},
        {"", false},
        {overridden.address(), true},
        {"127.0.0.1:notaport", false},
        {"127.0.0.1:99999", false},
        {"127.0.0.1:" + QByteArray::number(overridden.port()) + "/path", false},
    };
    for (const auto& c : cases) {
        const int namedBefore = named.connections;
        const int overriddenBefore = overridden.connections;
        std::optional<ScopedEnv> target;
        if (c.variable) {
            target.emplace("BRIVANE_UPDATE_SERVER", *c.variable);
        } else {
            qunsetenv("BRIVANE_UPDATE_SERVER");
        }
        UpdateGame game;
        game.pf.socketConnect("127.0.0.1", named.port());
        FakeServer& expected = c.toOverridden ? overridden : named;
        const int before = c.toOverridden ? overriddenBefore : namedBefore;
        ASSERT_TRUE(QTest::qWaitFor([&] { return expected.connections == before + 1; }, waitMs))
            << (c.variable ? c.variable->constData() : "(unset)");
        QTest::qWait(50);
        EXPECT_EQ(named.connections + overridden.connections, namedBefore + overriddenBefore + 1);
    }
}

// --- Help --------------------------------------------------------------------------------------

TEST(HelpWindow, ShowsTheDocumentBesideTheGameAtItsContents) {
    UpdateGame game;
    menuHelpTopics(game.g);
    QTextBrowser* help = game.pf.services().helpWindow();
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    EXPECT_TRUE(help->isWindow());
    EXPECT_EQ(help->windowModality(), Qt::NonModal);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_EQ(help->source().fileName(), QStringLiteral("brivane.hlp"));
    const QString text = help->toPlainText();
    for (const char* heading :
         {"Contents", "How to play", "The particles", "Scoring", "Hazards and the shield", "Menus",
          "Mouse and keys", "Settings", "Files"}) {
        EXPECT_TRUE(text.contains(QString::fromLatin1(heading))) << heading;
    }

    // Every picture the document names is there and loads.
    int pictures = 0;
    QTextDocument* doc = help->document();
    for (QTextBlock block = doc->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = it.fragment().charFormat();
            if (format.isImageFormat()) {
                const QString name = format.toImageFormat().name();
                const QVariant data = doc->resource(QTextDocument::ImageResource, QUrl(name));
                QImage image;
                if (data.typeId() == QMetaType::QByteArray) {
                    image.loadFromData(data.toByteArray());
                } else if (data.canConvert<QImage>()) {
                    image = data.value<QImage>();
                }
                EXPECT_FALSE(image.isNull()) << name.toStdString();
                ++pictures;
            }
        }
    }
    EXPECT_GE(pictures, 6);

    // Asked again after reading on, it comes back at the contents.
    help->resize(400, 200);
    QApplication::processEvents();
    help->verticalScrollBar()->setValue(help->verticalScrollBar()->maximum());
    ASSERT_GT(help->verticalScrollBar()->value(), 0);
    menuHelpTopics(game.g);
    EXPECT_EQ(help->verticalScrollBar()->value(), 0);
    EXPECT_EQ(game.pf.services().helpWindow(), help);  // one window for the run
}

TEST(HelpWindow, MissingDocumentShowsTheViewersNotice) {
    QTemporaryDir dir;
    UpdateGame game;
    const std::string path = dir.filePath(QStringLiteral("brivane.hlp")).toStdString();
    game.pf.showHelp(path);
    QTextBrowser* help = game.pf.services().helpWindow();
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    EXPECT_TRUE(help->toPlainText().contains(QString::fromStdString(path)));
    EXPECT_TRUE(game.pf.dialogs.empty());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

}  // namespace
}  // namespace brivane
