// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The Qt platform's services beyond the window: the scores file, the update socket and the
// help viewer.
#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/platform.h"

class QTcpSocket;
class QTextBrowser;

namespace brivane {

class QtPlatform;

// BRIVANE_UPDATE_SERVER's host and port, or nothing when it does not read as host:port.
std::optional<std::pair<QString, int>> readServerSetting(const QString& value);

// The folder of the files the game reads (sounds, music, help): beside the program when they
// are there, else ../share/brivane from it when that exists (an installed game).
QString dataFolderBeside(const QString& programFolder);

class QtServices {
  public:
    // The most of a reply the game is handed; a server sending more is cut off there.
    static constexpr std::int64_t replyLimit = 64 * 1024;
    // A connection still open this long after it was made is given up without a word.
    static constexpr int giveUpMs = 30000;
    // The most of the scores file that is read; two short lines need far less.
    static constexpr std::int64_t scoresLimit = 64 * 1024;

    explicit QtServices(QtPlatform& platform);
    ~QtServices();
    QtServices(const QtServices&) = delete;
    QtServices& operator=(const QtServices&) = delete;

    // The executable's folder, unless told otherwise; as the file system's bytes, which need
    // not be UTF-8, and as text for the files that Qt opens by name.
    std::string programFolderBytes() const;
    QString programFolder() const;
    void setProgramFolder(const QString& folder);
    void setProgramFolder(const std::string& bytes) { programFolder_ = bytes; }
    // The folder of the files the game reads (sounds, playlist, help): the program's folder
    // when they lie there, as in a build folder, else ../share/brivane beside it, where an
    // installed game keeps them.
    QString dataFolder() const;

    // The scores file lives beside the program, and in the user's data folder whenever it
    // cannot be written there (a folder that is read-only or gone, a full disk, a path too long
    // for the temporary file's name), so an installed game still keeps its best score. Both
    // places are read and the better of each value is handed to the game.
    std::string besideScoresPath() const;
    QString userScoresPath() const;
    std::optional<std::string> readScoresFile();
    bool writeScoresFile(const std::string& bytes);

    // The table of best games is always the user's own: "best-games" in the user's data
    // folder, the one the scores of an installed game use. Read up to 64 KiB: ten games need
    // a few, so a larger file is not one the game wrote.
    static constexpr std::int64_t bestGamesLimit = 64 * 1024;
    QString userDataFolder() const;
    void setUserDataFolder(const QString& folder) { userDataFolder_ = folder; }
    QString bestGamesPath() const;
    StoredFile readBestGamesFile();
    bool writeBestGamesFile(const std::string& bytes);
    bool setBestGamesFileAside();

    // The update socket. Its events reach the game queued, so they arrive only inside a yield
    // even when Qt signals them from within one of these calls, and the state the game sees
    // follows the events it has been given. The environment variable BRIVANE_UPDATE_SERVER
    // (host:port) sends the connection to another server. Only a server that closes the
    // connection after its reply is reported as closed; a reset or any other error ends the
    // exchange without an event, as the reply cannot be trusted to be whole.
    SocketState socketState();
    void socketConnect(const std::string& host, int port);
    void socketSend(const std::string& bytes);
    std::string socketRead();
    void socketClose();
    void setGiveUpAfter(int ms) { giveUpAfterMs_ = ms; }
    // While a game dialog is open, what the socket reports waits: its handler would run inside
    // that dialog (an offer on top of Jump To Level, its answer taken for the other's), where
    // the game is not. It reaches the game at the first yield after the dialog closed.
    void dialogOpens() { ++dialogsOpen_; }
    void dialogCloses();

    // The help window: beside the game, not modal, one for the whole run. The document and
    // each picture it names are read only from regular files of a fit size.
    static constexpr std::size_t helpLimit = 4 * 1024 * 1024;
    static constexpr std::size_t helpPictureLimit = 16 * 1024 * 1024;
    void showHelp(const std::string& path);
    QTextBrowser* helpWindow() const { return help_.get(); }

  private:
    void post(std::function<void(EventSink&)> event);
    void dropConnection();
    void watchConnection();
    void forgetConnection();
    bool closedCleanly();

    QtPlatform& platform_;
    std::string programFolder_;
    QString userDataFolder_;
    QObject context_;  // owns the queued socket events
    std::unique_ptr<QTcpSocket> socket_;
    QTimer giveUp_;
    int giveUpAfterMs_ = giveUpMs;
    std::uint64_t connection_ = 0;  // events of an earlier connection are dropped
    SocketState seen_ = SocketState::closed;
    std::int64_t replyBytes_ = 0;
    int watched_ = -1;  // our own descriptor of the connection, to learn how it ended
    std::unique_ptr<QTextBrowser> help_;
    int dialogsOpen_ = 0;
    std::vector<std::function<void()>> deferred_;
};

}  // namespace brivane
