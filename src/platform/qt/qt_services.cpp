// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Services of the Qt platform: the scores file written atomically, the update socket turned
// into game events, and the help window.
#include "platform/qt/qt_services.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>
#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHostAddress>
#include <QImage>
#include <QSaveFile>
#include <QScreen>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStandardPaths>
#include <QTcpSocket>
#include <QTextBrowser>
#include <QUrl>
#include <QWindow>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>

#include "core/scores.h"
#include "platform/qt/qt_platform.h"
#include "platform/qt/window_icon.h"
#include "platform/regular_file.h"

namespace brivane {

namespace {

// The help window's size where the screen has room for it, in logical pixels.
constexpr QSize helpSize(680, 620);

// Opens a window on the screen of the window it belongs with, no larger than that screen's
// free area (logical pixels, so the same holds at any scale) and inside it.
void fitOnScreen(QWidget& window, const QWidget* beside) {
    QScreen* screen = beside != nullptr ? beside->screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return;
    }
    window.winId();  // a native window to set the screen of
    window.windowHandle()->setScreen(screen);
    const QRect room = screen->availableGeometry();
    // The frame the window system adds is not known before the window is shown: leave a tenth.
    const QSize size = helpSize.boundedTo(room.size() * 0.9);
    window.resize(size);
    if (!room.contains(QRect(window.pos(), size))) {
        QRect placed(QPoint(), size);
        placed.moveCenter(room.center());
        window.move(placed.topLeft());
    }
}

const QString scoresName = QStringLiteral("scores");
const QString bestGamesName = QStringLiteral("best-games");

bool hostCharacter(QChar c) {
    return (c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
           (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) ||
           (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('-') ||
           c == QLatin1Char('.');
}

}  // namespace

// A host name or address, a colon and a port from 1 to 65535, and nothing else: no blanks, no
// user, no path. An IPv6 address stands in brackets.
std::optional<std::pair<QString, int>> readServerSetting(const QString& value) {
    const qsizetype colon = value.lastIndexOf(QLatin1Char(':'));
    if (colon <= 0) {
        return std::nullopt;
    }
    QString host = value.left(colon);
    const QString port = value.mid(colon + 1);
    if (port.isEmpty() || port.size() > 5 || !std::all_of(port.begin(), port.end(), [](QChar c) {
            return c.isDigit() && c.unicode() < 128;
        })) {
        return std::nullopt;
    }
    const int number = port.toInt();
    if (number < 1 || number > 65535) {
        return std::nullopt;
    }
    if (host.startsWith(QLatin1Char('[')) && host.endsWith(QLatin1Char(']'))) {
        host = host.mid(1, host.size() - 2);
        const QHostAddress address(host);
        if (address.protocol() != QAbstractSocket::IPv6Protocol) {
            return std::nullopt;
        }
        return std::pair(host, number);
    }
    if (!std::all_of(host.begin(), host.end(), hostCharacter) ||
        host.startsWith(QLatin1Char('-')) || host.startsWith(QLatin1Char('.'))) {
        return std::nullopt;
    }
    return std::pair(host, number);
}

namespace {

// The browser would read whatever a name points at, a FIFO or /dev/zero as well, and hang or
// fill the memory; this one reads only regular files of a document's or a picture's size.
class HelpBrowser : public QTextBrowser {
  public:
    QVariant loadResource(int type, const QUrl& name) override {
        const QUrl url = source().resolved(name);
        if (!url.isLocalFile() && !url.isRelative()) {
            return QTextBrowser::loadResource(type, name);
        }
        const std::size_t limit = type == QTextDocument::ImageResource
                                      ? QtServices::helpPictureLimit
                                      : QtServices::helpLimit;
        const FileRead read =
            readRegularFile(QFile::encodeName(url.toLocalFile()).toStdString(), limit);
        if (read.check == FileCheck::regular) {
            return QByteArray::fromStdString(read.bytes);
        }
        // Given nothing, the document and its picture handler would open the file themselves:
        // a refused picture is a blank pixel, a refused document empty.
        if (type == QTextDocument::ImageResource) {
            QImage blank(1, 1, QImage::Format_ARGB32);
            blank.fill(Qt::transparent);
            return blank;
        }
        return QByteArray("");
    }
};

}  // namespace

QtServices::QtServices(QtPlatform& platform) : platform_(platform) {
    giveUp_.setSingleShot(true);
    QObject::connect(&giveUp_, &QTimer::timeout, &context_, [this] { dropConnection(); });
}

// The socket is aborted quietly first: destroying a connected socket signals its
// disconnection, which must not reach members already gone.
QtServices::~QtServices() {
    dropConnection();
}

std::string QtServices::programFolderBytes() const {
    if (!programFolder_.empty()) {
        return programFolder_;
    }
    // Qt's own answer is text, and a folder name that is not UTF-8 would not survive it.
    std::string exe(PATH_MAX, '\0');
    const ssize_t n = ::readlink("/proc/self/exe", exe.data(), exe.size());
    if (n > 0 && static_cast<std::size_t>(n) < exe.size()) {
        exe.resize(static_cast<std::size_t>(n));
        const std::size_t slash = exe.rfind('/');
        if (slash != std::string::npos) {
            return slash == 0 ? std::string("/") : exe.substr(0, slash);
        }
    }
    return QFile::encodeName(QCoreApplication::applicationDirPath()).toStdString();
}

QString QtServices::programFolder() const {
    return QFile::decodeName(QByteArray::fromStdString(programFolderBytes()));
}

void QtServices::setProgramFolder(const QString& folder) {
    programFolder_ = QFile::encodeName(folder).toStdString();
}

QString QtServices::dataFolder() const {
    return dataFolderBeside(programFolder());
}

QString dataFolderBeside(const QString& programFolder) {
    const QDir beside(programFolder);
    for (const char* name : {"brivane.hlp", "music.m3u", "die.wav"}) {
        if (beside.exists(QString::fromLatin1(name))) {
            return beside.path();
        }
    }
    const QString installed = QDir::cleanPath(beside.filePath(QStringLiteral("../share/brivane")));
    return QFileInfo(installed).isDir() ? installed : beside.path();
}

std::string QtServices::besideScoresPath() const {
    std::string path = programFolderBytes();
    if (path.empty() || path.back() != '/') {
        path.push_back('/');
    }
    return path + "scores";
}

QString QtServices::userScoresPath() const {
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation))
        .filePath(scoresName);
}

// Only the first 64 KiB of each file are looked at; two short lines need far less.
std::optional<std::string> QtServices::readScoresFile() {
    constexpr auto limit = static_cast<std::size_t>(scoresLimit);
    const FileRead beside = readRegularFile(besideScoresPath(), limit, true);
    const FileRead user =
        readRegularFile(QFile::encodeName(userScoresPath()).toStdString(), limit, true);
    const bool haveBeside = beside.check == FileCheck::regular;
    const bool haveUser = user.check == FileCheck::regular;
    if (haveBeside && haveUser) {
        return betterScoresText(beside.bytes, user.bytes);
    }
    if (haveBeside || haveUser) {
        return haveBeside ? beside.bytes : user.bytes;
    }
    return std::nullopt;
}

bool QtServices::writeScoresFile(const std::string& bytes) {
    if (replaceFile(besideScoresPath(), bytes)) {
        return true;
    }
    const QString user = userScoresPath();
    QDir().mkpath(QFileInfo(user).absolutePath());
    return replaceFile(QFile::encodeName(user).toStdString(), bytes);
}

QString QtServices::userDataFolder() const {
    return userDataFolder_.isEmpty()
               ? QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)
               : userDataFolder_;
}

QString QtServices::bestGamesPath() const {
    return QDir(userDataFolder()).filePath(bestGamesName);
}

// Read as the scores file is: only a regular file, and nothing of one larger than a table holds.
StoredFile QtServices::readBestGamesFile() {
    FileRead read = readRegularFile(QFile::encodeName(bestGamesPath()).toStdString(),
                                    static_cast<std::size_t>(bestGamesLimit));
    switch (read.check) {
        case FileCheck::regular:
            return StoredFile{StoredFile::State::read, std::move(read.bytes)};
        case FileCheck::missing:
            return StoredFile{StoredFile::State::absent, {}};
        default:
            return StoredFile{StoredFile::State::unusable, {}};
    }
}

bool QtServices::writeBestGamesFile(const std::string& bytes) {
    const QString path = bestGamesPath();
    QDir().mkpath(QFileInfo(path).absolutePath());
    return replaceFile(QFile::encodeName(path).toStdString(), bytes);
}

// "best-games.damaged", or the first of "best-games.damaged-2" and on that is free, so an
// earlier damaged copy is never replaced either.
bool QtServices::setBestGamesFileAside() {
    const QString path = bestGamesPath();
    for (int n = 1; n <= 100; ++n) {
        const QString aside =
            path + QStringLiteral(".damaged") + (n == 1 ? QString() : QStringLiteral("-%1").arg(n));
        const QFileInfo target(aside);
        if (target.exists() || target.isSymLink()) {
            continue;
        }
        return ::rename(QFile::encodeName(path).constData(),
                        QFile::encodeName(aside).constData()) == 0;
    }
    return false;
}

void QtServices::post(std::function<void(EventSink&)> event) {
    QMetaObject::invokeMethod(
        &context_,
        [this, event = std::move(event), connection = connection_]() mutable {
            if (connection != connection_) {
                return;
            }
            if (dialogsOpen_ > 0) {
                deferred_.push_back([this, event = std::move(event), connection] {
                    if (connection != connection_) {
                        return;
                    }
                    if (EventSink* sink = platform_.sink()) {
                        event(*sink);
                    }
                });
                return;
            }
            if (EventSink* sink = platform_.sink()) {
                event(*sink);
            }
        },
        Qt::QueuedConnection);
}

void QtServices::dialogCloses() {
    if (--dialogsOpen_ > 0) {
        return;
    }
    dialogsOpen_ = 0;
    for (std::function<void()>& event : deferred_) {
        QMetaObject::invokeMethod(&context_, std::move(event), Qt::QueuedConnection);
    }
    deferred_.clear();
}

SocketState QtServices::socketState() {
    // A connection that failed before it opened is simply closed, as nothing will follow.
    if (seen_ == SocketState::connecting &&
        (!socket_ || socket_->state() == QAbstractSocket::UnconnectedState)) {
        return SocketState::closed;
    }
    return seen_;
}

void QtServices::socketConnect(const std::string& host, int port) {
    if (!socket_) {
        socket_ = std::make_unique<QTcpSocket>();
        // Qt stops reading from the network once this much waits unread, so a flood costs
        // no memory even while the game is not reading.
        socket_->setReadBufferSize(replyLimit + 1);
        QObject::connect(socket_.get(), &QTcpSocket::connected, &context_, [this] {
            giveUp_.start(giveUpAfterMs_);
            watchConnection();
            post([this](EventSink& sink) {
                seen_ = SocketState::connected;
                sink.socketConnected();
            });
        });
        QObject::connect(socket_.get(), &QTcpSocket::readyRead, &context_, [this] {
            const auto bytes = static_cast<std::size_t>(socket_->bytesAvailable());
            post([bytes](EventSink& sink) { sink.socketDataArrived(bytes); });
        });
        QObject::connect(socket_.get(), &QTcpSocket::disconnected, &context_, [this] {
            giveUp_.stop();
            const bool clean = closedCleanly();
            post([this, clean](EventSink& sink) {
                seen_ = SocketState::closed;
                if (clean) {
                    sink.socketClosed();
                }
            });
        });
        // A lookup or connection that failed leaves nothing to give up on; the game is not
        // told (it has no use for the error).
        QObject::connect(socket_.get(), &QTcpSocket::errorOccurred, &context_, [this] {
            if (socket_->state() == QAbstractSocket::UnconnectedState) {
                giveUp_.stop();
            }
        });
    }
    dropConnection();
    seen_ = SocketState::connecting;
    replyBytes_ = 0;
    QString target = QString::fromStdString(host);
    // BRIVANE_UPDATE_SERVER points the check at a mirror or a test server. A value mistyped
    // must not send the check to the real server instead: it is refused, and no check is made.
    if (const QString value = qEnvironmentVariable("BRIVANE_UPDATE_SERVER"); !value.isEmpty()) {
        const auto server = readServerSetting(value);
        if (!server) {
            std::fprintf(stderr,
                         "brivane: BRIVANE_UPDATE_SERVER=%s is not host:port; no update check\n",
                         value.toLocal8Bit().constData());
            seen_ = SocketState::closed;
            return;
        }
        target = server->first;
        port = server->second;
    }
    if (port < 1 || port > 65535) {
        seen_ = SocketState::closed;
        return;
    }
    giveUp_.start(giveUpAfterMs_);
    socket_->connectToHost(target, static_cast<quint16>(port));
}

void QtServices::socketSend(const std::string& bytes) {
    if (socket_ && socket_->state() == QAbstractSocket::ConnectedState) {
        socket_->write(bytes.data(), static_cast<qint64>(bytes.size()));
    }
}

std::string QtServices::socketRead() {
    if (!socket_) {
        return {};
    }
    const qint64 room = replyLimit - replyBytes_;
    const QByteArray data = socket_->read(std::min(room, socket_->bytesAvailable()));
    replyBytes_ += data.size();
    if (replyBytes_ >= replyLimit && socket_->bytesAvailable() > 0) {
        // More than the limit: stop reading, and let the game parse what it has kept as if
        // the server had closed there.
        dropConnection();
        post([this](EventSink& sink) { sink.socketClosed(); });
    }
    return data.toStdString();
}

void QtServices::socketClose() {
    dropConnection();
}

// Qt reports a reset by the server exactly like the server closing after its reply, and closes
// its descriptor before saying so. A second descriptor of the same connection outlives Qt's, so
// the kernel can still be asked how the connection ended: a closing server leaves it waiting
// for our own close, a reset leaves it closed.
void QtServices::watchConnection() {
    forgetConnection();
    const auto fd = static_cast<int>(socket_->socketDescriptor());
    if (fd >= 0) {
        watched_ = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
    }
}

void QtServices::forgetConnection() {
    if (watched_ >= 0) {
        ::close(watched_);
        watched_ = -1;
    }
}

bool QtServices::closedCleanly() {
    bool clean = socket_->error() == QAbstractSocket::RemoteHostClosedError;
    if (watched_ >= 0) {
        tcp_info info{};
        socklen_t size = sizeof info;
        clean = clean && ::getsockopt(watched_, IPPROTO_TCP, TCP_INFO, &info, &size) == 0 &&
                info.tcpi_state == TCP_CLOSE_WAIT;
    }
    forgetConnection();
    return clean;
}

// Ends the connection without an event: the game closing it, or giving up on it, is not the
// server closing it.
void QtServices::dropConnection() {
    giveUp_.stop();
    forgetConnection();
    ++connection_;
    seen_ = SocketState::closed;
    if (socket_) {
        const QSignalBlocker quiet(socket_.get());
        socket_->abort();
    }
}

void QtServices::showHelp(const std::string& path) {
    if (!help_) {
        help_ = std::make_unique<HelpBrowser>();
        help_->setWindowTitle(QStringLiteral("Brivane Help"));
        help_->setWindowIcon(gameIcon());
        help_->setOpenExternalLinks(true);
    }
    if (!help_->isVisible()) {
        fitOnScreen(*help_, platform_.window());
    }
    const QString file = QFile::decodeName(QByteArray::fromStdString(path));
    help_->clearHistory();
    if (checkRegularFile(path, helpLimit) == FileCheck::regular) {
        help_->setSource(QUrl::fromLocalFile(QFileInfo(file).absoluteFilePath()),
                         QTextDocument::HtmlResource);
        help_->verticalScrollBar()->setValue(0);  // the contents stand at the top
    } else {
        help_->setHtml(QStringLiteral("<h2>Brivane Help</h2><p>The help document could not be "
                                      "opened:</p><p><tt>%1</tt></p>")
                           .arg(file.toHtmlEscaped()));
    }
    help_->show();
    help_->raise();
    help_->activateWindow();
}

}  // namespace brivane
