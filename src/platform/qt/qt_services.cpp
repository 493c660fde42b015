// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Services of the Qt platform: the scores file written atomically, the update socket turned
// into game events, and the help window.
#include "platform/qt/qt_services.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
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

#include "platform/qt/qt_platform.h"
#include "platform/qt/window_icon.h"

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

// BRIVANE_UPDATE_SERVER=host:port points the update check at a mirror or a test server. A value
// that is not a host with an optional port is ignored rather than half used.
void applyServerOverride(QString& host, int& port) {
    const QString value = qEnvironmentVariable("BRIVANE_UPDATE_SERVER");
    if (value.isEmpty()) {
        return;
    }
    const QUrl url(QStringLiteral("http://") + value, QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty() || !url.path().isEmpty() || url.hasQuery() ||
        url.hasFragment() || !url.userInfo().isEmpty()) {
        return;
    }
    host = url.host();
    port = url.port(port);
}

// Opened without waiting, so a FIFO put in the file's place cannot hold up start-up, and read
// only when it is a regular file, so a link to a device cannot feed it without end. At most
// `limit` bytes are read; `whole` says whether that was all of it without a read error.
struct BoundedRead {
    StoredFile file;
    bool whole = false;
};
BoundedRead readBounded(const QString& path, std::int64_t limit) {
    BoundedRead result;
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        result.file.state =
            errno == ENOENT ? StoredFile::State::absent : StoredFile::State::unusable;
        return result;
    }
    result.file.state = StoredFile::State::unusable;
    struct stat info {};
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
        std::string& text = result.file.bytes;
        // One byte past the limit tells a file of exactly `limit` bytes from a larger one.
        text.assign(static_cast<std::size_t>(limit) + 1, '\0');
        std::size_t got = 0;
        bool failed = false;
        while (got < text.size()) {
            const ssize_t n = ::read(fd, text.data() + got, text.size() - got);
            if (n < 0 && errno == EINTR) {
                continue;
            }
            failed = n < 0;
            if (n <= 0) {
                break;
            }
            got += static_cast<std::size_t>(n);
        }
        result.whole = !failed && got <= static_cast<std::size_t>(limit);
        text.resize(std::min(got, static_cast<std::size_t>(limit)));
        result.file.state = StoredFile::State::read;
    }
    ::close(fd);
    return result;
}

// More than a scores file ever holds is not read at all.
std::optional<std::string> readRegularFile(const QString& path) {
    BoundedRead read = readBounded(path, QtServices::scoresLimit);
    if (read.file.state != StoredFile::State::read) {
        return std::nullopt;
    }
    return std::move(read.file.bytes);
}

// Written to a temporary file that replaces the old one only once complete, so a full disk or
// a killed process never costs what the old file kept.
bool writeAtomically(const QString& path, const std::string& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return false;
    }
    // The explicit flush matters: commit() renames the temporary file over the old one even
    // when its own final flush fails (a full disk), which would leave a cut-off file.
    if (file.write(bytes.data(), static_cast<qint64>(bytes.size())) !=
            static_cast<qint64>(bytes.size()) ||
        !file.flush()) {
        file.cancelWriting();  // the temporary file goes; the old one stays as it was
        return false;
    }
    return file.commit();
}

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

QString QtServices::programFolder() const {
    return programFolder_.isEmpty() ? QCoreApplication::applicationDirPath() : programFolder_;
}

QString QtServices::dataFolder() const {
    const QDir beside(programFolder());
    for (const char* name : {"brivane.hlp", "music.m3u", "die.wav"}) {
        if (beside.exists(QString::fromLatin1(name))) {
            return beside.path();
        }
    }
    const QString installed = QDir::cleanPath(beside.filePath(QStringLiteral("../share/brivane")));
    return QFileInfo(installed).isDir() ? installed : beside.path();
}

QString QtServices::scoresPath() const {
    const QFileInfo folder(programFolder());
    if (folder.isDir() && folder.isWritable()) {
        return QDir(folder.absoluteFilePath()).filePath(scoresName);
    }
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation))
        .filePath(scoresName);
}

std::optional<std::string> QtServices::readScoresFile() {
    QFile file(scoresPath());
    if (!file.exists()) {
        // A player of an installed game has no file of their own yet: start from the one an
        // earlier version or an administrator left beside the program, if any.
        file.setFileName(QDir(programFolder()).filePath(scoresName));
    }
    return readRegularFile(file.fileName());
}

bool QtServices::writeScoresFile(const std::string& bytes) {
    return writeAtomically(scoresPath(), bytes);
}

QString QtServices::userDataFolder() const {
    return userDataFolder_.isEmpty()
               ? QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)
               : userDataFolder_;
}

QString QtServices::bestGamesPath() const {
    return QDir(userDataFolder()).filePath(bestGamesName);
}

StoredFile QtServices::readBestGamesFile() {
    BoundedRead read = readBounded(bestGamesPath(), bestGamesLimit);
    if (read.file.state == StoredFile::State::read && !read.whole) {
        return StoredFile{StoredFile::State::unusable, {}};
    }
    return std::move(read.file);
}

bool QtServices::writeBestGamesFile(const std::string& bytes) {
    return writeAtomically(bestGamesPath(), bytes);
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
        [this, event = std::move(event), connection = connection_] {
            if (connection != connection_) {
                return;
            }
            if (EventSink* sink = platform_.sink()) {
                event(*sink);
            }
        },
        Qt::QueuedConnection);
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
    applyServerOverride(target, port);
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
        help_ = std::make_unique<QTextBrowser>();
        help_->setWindowTitle(QStringLiteral("Brivane Help"));
        help_->setWindowIcon(gameIcon());
        help_->setOpenExternalLinks(true);
    }
    if (!help_->isVisible()) {
        fitOnScreen(*help_, platform_.window());
    }
    const QString file = QString::fromStdString(path);
    help_->clearHistory();
    if (QFile(file).open(QIODevice::ReadOnly)) {
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
