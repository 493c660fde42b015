// SPDX-FileCopyrightText: 2026 The Brivane developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Every file the game reads is a regular file of a fit size (the scores file alone is cut).
#include "qt_test_support.h"
#include "replay/replay_file.h"

namespace brivane {
namespace {

using test::writeFile;

// A FIFO, or a sparse file one byte past the limit (no disk spent).
bool make(bool oversized, const QString& path, std::size_t limit) {
    const QByteArray name = QFile::encodeName(path);
    return oversized ? !writeFile(path, "x").isEmpty() &&
                           ::truncate(name.constData(), static_cast<off_t>(limit + 1)) == 0
                     : ::mkfifo(name.constData(), 0600) == 0;
}

// Whether the game, on `pf` with its settings in `dir`, took anything from the file at `bad`.
using Reader = std::function<bool(QtPlatform& pf, const QTemporaryDir& dir, const QString& bad)>;

std::string name(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

bool readsSound(QtPlatform& pf, const QTemporaryDir&, const QString& bad) {
    pf.openSoundDevice(0, name(bad));
    return !pf.sound().device(0)->source().isEmpty();
}

bool readsPlaylist(QtPlatform& pf, const QTemporaryDir&, const QString& bad) {
    pf.startMusic(name(bad));
    return !pf.sound().musicWindow()->entries().isEmpty();
}

bool readsPlaylistEntry(QtPlatform& pf, const QTemporaryDir& dir, const QString& bad) {
    return readsPlaylist(pf, dir,
                         writeFile(dir.filePath("music.m3u"), QFile::encodeName(bad) + "\n"));
}

bool readsHelp(QtPlatform& pf, const QTemporaryDir&, const QString& bad) {
    pf.showHelp(name(bad));
    return !pf.services().helpWindow()->toPlainText().contains(QStringLiteral("could not be"));
}

bool readsHelpPicture(QtPlatform& pf, const QTemporaryDir& dir, const QString& bad) {
    pf.showHelp(name(writeFile(dir.filePath("brivane.hlp"),
                               "<p>x<img src=\"" + QFile::encodeName(bad) + "\"></p>")));
    const QVariant picture = pf.services().helpWindow()->document()->resource(
        QTextDocument::ImageResource, QUrl::fromLocalFile(bad));
    return picture.userType() == QMetaType::QByteArray && !picture.toByteArray().isEmpty();
}

// A settings file of its own, never written over, and one line said of it.
bool readsSettings(QtPlatform&, const QTemporaryDir& dir, const QString& bad) {
    QtPlatform::Options options = test::testOptions(dir);
    options.settingsFile = bad;
    testing::internal::CaptureStderr();
    QtPlatform pf(options);
    const std::string said = testing::internal::GetCapturedStderr();
    const QFileInfo before(bad);
    pf.saveSetting("misc", "checkUpdates", "False");
    EXPECT_EQ(QFileInfo(bad).size(), before.size());
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    return pf.readSetting("misc", "checkUpdates").has_value();
}

bool readsScores(QtPlatform& pf, const QTemporaryDir&, const QString& bad) {
    pf.services().setProgramFolder(QFileInfo(bad).absolutePath());
    const auto scores = pf.readScoresFile();
    EXPECT_LE(scores.value_or("").size(), static_cast<std::size_t>(QtServices::scoresLimit));
    return scores.has_value();
}

bool readsBestGames(QtPlatform& pf, const QTemporaryDir&, const QString& bad) {
    pf.services().setUserDataFolder(QFileInfo(bad).absolutePath());
    return pf.readBestGamesFile().state == StoredFile::State::read;
}

bool readsReplay(QtPlatform&, const QTemporaryDir&, const QString& bad) {
    std::string error;
    return loadReplay(name(bad), error).has_value();
}

TEST(FilesTheGameReads, OnlyRegularFilesOfAFitSize) {
    const std::tuple<const char*, Reader, std::size_t, bool> files[] = {
        // the file, its reader, its size limit, and whether one oversized is cut, not refused
        {"die.wav", readsSound, QtSound::effectLimit, false},
        {"music.m3u", readsPlaylist, QtSound::playlistLimit, false},
        {"track.ogg", readsPlaylistEntry, QtSound::musicLimit, false},
        {"brivane.hlp", readsHelp, QtServices::helpLimit, false},
        {"picture.png", readsHelpPicture, QtServices::helpPictureLimit, false},
        {"brivane.conf", readsSettings, QtPlatform::settingsLimit, false},
        {"scores", readsScores, QtServices::scoresLimit, true},
        {"best-games", readsBestGames, QtServices::bestGamesLimit, false},
        {"game.replay", readsReplay, 128 * 1024 * 1024, false},
    };
    for (const auto& [file, reads, limit, oversizedIsCut] : files) {
        for (const bool oversized : {false, true}) {
            SCOPED_TRACE(testing::Message() << file << (oversized ? ", oversized" : ", a FIFO"));
            QTemporaryDir dir;
            const QString bad = dir.filePath(QString::fromLatin1(file));
            ASSERT_TRUE(make(oversized, bad, limit));
            QtPlatform pf(test::testOptions(dir));
            EXPECT_EQ(reads(pf, dir, bad), oversized && oversizedIsCut);
        }
    }
}

}  // namespace
}  // namespace brivane
